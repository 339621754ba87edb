// Files created under a name of their own, for temporary content.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/scoped_handles.h"

namespace lk {

// Creates a new file folder\<stem>_<process>_<unique><extension> for writing, without
// sharing. Never opens a file or link that exists already: a name that is taken is
// passed over for another. The path goes to path (capacity characters); an invalid
// handle when no file could be created.
ScopedFileHandle CreateUniqueFile(const wchar_t* folder, const wchar_t* stem,
                                  const wchar_t* extension, DWORD attributes, wchar_t* path,
                                  size_t capacity);

}  // namespace lk

// Files created under a name of their own, for temporary content.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/protected_folder.h"
#include "framework/scoped_handles.h"

namespace lk {

// Characters that make a name unique: kUniqueNameChars of them, between stem and extension.
constexpr size_t kUniqueNameChars = 4;

// Learns each name CreateUniqueFile is about to create before the file exists, and that a
// name was taken after all: a journal of what a run creates so knows the name before a
// kill could leave the file behind.
class CreationRecord {
 public:
  // False: the name must not be created.
  virtual bool WillCreate(const wchar_t* path) = 0;
  virtual void NotCreated(const wchar_t* path) = 0;

 protected:
  ~CreationRecord() = default;
};

// Creates a new file folder\<stem><unique><extension> for writing, without sharing, where
// <unique> is kUniqueNameChars letters and digits: the name is no longer than it must be,
// so that it fits wherever a fixed name of the same length would. Never opens a file or
// link that exists already: a name that is taken is passed over for another. The path goes
// to path (capacity characters); an invalid handle when no file could be created. record
// (optional) learns every name tried, before it is created.
ScopedFileHandle CreateUniqueFile(const wchar_t* folder, const wchar_t* stem,
                                  const wchar_t* extension, DWORD attributes, wchar_t* path,
                                  size_t capacity, CreationRecord* record = nullptr);

// Creates a new folder folder\<stem><unique> with the protection, named as above; never
// one that exists already. Its path goes to path; false when none could be created.
bool CreateUniqueFolder(const wchar_t* folder, const wchar_t* stem, FolderProtection protection,
                        wchar_t* path, size_t capacity);

}  // namespace lk

// Paths built from a folder and a name.
#pragma once

#include <cstddef>

namespace lk {

// path = folder, a backslash unless folder is empty or ends in one, then name. path holds
// capacity characters; false (and path empty) when the result does not fit.
bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t* path, size_t capacity);

template <size_t N>
bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t (&path)[N]) {
  return JoinPath(folder, name, path, N);
}

}  // namespace lk

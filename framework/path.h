// Paths: joining a folder and a name, comparing, and taking them apart.
#pragma once

#include <cstddef>
#include <string>

namespace lk {

// path = folder, a backslash unless folder is empty or ends in one, then name. path holds
// capacity characters; false (and path empty) when the result does not fit.
bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t* path, size_t capacity);

template <size_t N>
bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t (&path)[N]) {
  return JoinPath(folder, name, path, N);
}

// A backslash or a slash: both separate the parts of a Windows path.
bool IsPathSeparator(wchar_t c);

// Equal paths ignoring case, as the file system compares names; two empty paths are not.
bool SamePathText(const std::wstring& a, const std::wstring& b);

// folder with a trailing backslash (an empty folder stays empty).
std::wstring WithTrailingBackslash(std::wstring folder);

// The same in place, in a buffer of capacity characters; false (folder unchanged) when the
// backslash does not fit.
bool AppendTrailingBackslash(wchar_t* folder, size_t capacity);

template <size_t N>
bool AppendTrailingBackslash(wchar_t (&folder)[N]) {
  return AppendTrailingBackslash(folder, N);
}

// path without trailing separators, down to a drive's root ("C:\\" stays): a folder's own
// name, and a link's name as itself rather than what it leads to.
std::wstring WithoutTrailingSeparators(std::wstring path);

// The absolute form of path ("." and ".." resolved, slashes as backslashes); empty when it
// has none.
std::wstring FullPathOf(const wchar_t* path);

// The folder of a path up to and including its last separator; empty when it has none.
std::wstring FolderOfPath(const std::wstring& path);

// The last part of a path, after its last separator.
std::wstring NameOfPath(const std::wstring& path);

// True for the errors of a path that names nothing: the file, or a folder on its way, is
// missing.
bool IsNotFoundError(unsigned long error);

}  // namespace lk

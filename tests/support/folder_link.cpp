#include "support/folder_link.h"

#include <windows.h>

#include <initializer_list>

#include "support/test_support.h"

namespace lktest {

namespace {

// Wine's own export that maps a Windows path to the Unix one (heap memory of the process).
using UnixFileNameFn = char*(CDECL*)(const wchar_t*);

std::string UnixPath(const std::wstring& path) {
  auto unixName = reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return "";
  char* name = unixName(path.c_str());
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Wine does not wait for a Unix program it starts: its result shows a moment later.
template <typename Condition>
bool WaitUntil(Condition condition) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (condition()) return true;
    Sleep(50);
  }
  return false;
}

// Runs a Unix program of /bin; each argument is passed in quotes, so blanks are kept.
bool RunUnix(const std::wstring& program, std::initializer_list<std::string> arguments) {
  std::wstring command = L"Z:\\bin\\" + program;
  for (const std::string& argument : arguments) command += L" \"" + Widen(argument) + L"\"";
  return RunProcess(command) != -1;
}

std::wstring WithoutBackslash(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
  const std::wstring linkPath = WithoutBackslash(link);
  const std::string unixTarget = UnixPath(WithoutBackslash(target));
  // The parent exists, the link not yet: map the parent and append the name.
  const size_t slash = linkPath.rfind(L'\\');
  const std::string unixParent = UnixPath(linkPath.substr(0, slash));
  if (unixTarget.empty() || unixParent.empty()) return false;
  const std::wstring name = linkPath.substr(slash + 1);
  RunUnix(L"ln", {"-s", unixTarget, unixParent + "/" + std::string(name.begin(), name.end())});
  return WaitUntil([&] {
    const DWORD attributes = GetFileAttributesW(linkPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  });
}

void RemoveFolderLink(const std::wstring& link) {
  const std::string unixLink = UnixPath(WithoutBackslash(link));
  if (unixLink.empty()) return;
  RunUnix(L"rm", {"-f", unixLink});
  const std::wstring path = WithoutBackslash(link);
  WaitUntil([&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace lktest

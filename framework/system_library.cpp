#include "framework/system_library.h"

#include "framework/path.h"

namespace lk {

bool SystemLibraryPath(const wchar_t* name, wchar_t (&path)[MAX_PATH]) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  return JoinPath(folder, name, path);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module) return module;
  // Systems without the restricted search flags: name the file in the system folder.
  wchar_t path[MAX_PATH] = {};
  if (!SystemLibraryPath(name, path)) return nullptr;
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace lk

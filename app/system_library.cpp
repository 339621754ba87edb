#include "app/system_library.h"

#include "app/os_version.h"
#include "framework/path.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// The system folder's path of name; false when it does not fit.
bool SystemLibraryPath(const wchar_t* name, wchar_t (&path)[MAX_PATH]) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  return lk::JoinPath(folder, name, path);
}

// SetDefaultDllDirectories of the system's kernel32, where it exists.
SetDefaultDllDirectoriesFn FindSetDefaultDllDirectories() {
  wchar_t path[MAX_PATH] = {};
  if (!SystemLibraryPath(L"kernel32.dll", path)) return nullptr;
  HMODULE kernel = GetModuleHandleW(path);
  if (!kernel) return nullptr;
  return reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

}  // namespace

void HardenDllSearchPath() {
  SetDefaultDllDirectoriesFn setDirectories =
      IsOsVersionAtLeast(6, 1) ? FindSetDefaultDllDirectories() : nullptr;
  if (setDirectories && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module) return module;
  // Systems without the restricted search flags: name the file in the system folder.
  wchar_t path[MAX_PATH] = {};
  if (!SystemLibraryPath(name, path)) return nullptr;
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

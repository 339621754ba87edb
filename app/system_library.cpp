#include "app/system_library.h"

#include "app/os_version.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// SetDefaultDllDirectories of the system's kernel32, where it exists.
SetDefaultDllDirectoriesFn FindSetDefaultDllDirectories() {
  wchar_t path[MAX_PATH] = {};
  if (!lk::SystemLibraryPath(L"kernel32.dll", path)) return nullptr;
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

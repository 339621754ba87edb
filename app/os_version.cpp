#include "app/os_version.h"

#include <cwchar>

namespace {
constexpr DWORD kLoadLibrarySearchSystem32 = 0x800;
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
}  // namespace

void HardenDllSearchPath() {
  wchar_t path[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  if (path[length - 1] != L'\\') wcsncat(path, L"\\", MAX_PATH - wcslen(path) - 1);
  wcsncat(path, L"kernel32.dll", MAX_PATH - wcslen(path) - 1);
  HMODULE kernel = GetModuleHandleW(path);
  if (!kernel) return;
  auto set_directories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (set_directories) set_directories(kLoadLibrarySearchSystem32);
}

bool IsOsVersionAtLeast(WORD major, WORD minor) {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  info.wServicePackMajor = 0;
  DWORDLONG mask = 0;
  mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                            mask) != FALSE;
}

#include "integration/shortcut_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace lk {

namespace {

// The path of a special folder, the Windows folder when it cannot be found; with a
// trailing backslash.
std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  ScopedCoTaskMem list;
  const bool found =
      SUCCEEDED(SHGetSpecialFolderLocation(GetActiveWindow(), csidl,
                                           reinterpret_cast<LPITEMIDLIST*>(list.Receive()))) &&
      SHGetPathFromIDListW(static_cast<LPCITEMIDLIST>(list.Get()), path);
  if (!found) GetWindowsDirectoryW(path, MAX_PATH);
  return WithTrailingBackslash(path);
}

}  // namespace

std::wstring DesktopFolder(int allUsers) {
  return SpecialFolder(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP);
}

std::wstring ProgramsFolder(int allUsers) {
  return SpecialFolder(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
}

}  // namespace lk

#include "uninstall/shortcut_removal.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "integration/shortcut_names.h"

namespace {

constexpr int kDesktopFolders[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY};
constexpr int kProgramsFolders[] = {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS};

// A special folder with a trailing backslash; empty when it cannot be found.
std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
  std::wstring folder = path;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

void RemoveGroup(const std::wstring& programs) {
  const std::wstring group = programs + lk::kGroupFolder + L"\\";
  for (const std::wstring& name :
       {lk::VersionLinkName(), std::wstring(lk::kGroupThumbnailsLinkName),
        std::wstring(lk::kGroupUninstallLinkName)}) {
    DeleteFileW((group + name).c_str());
  }
  for (const lk::DocumentLink& link : lk::kDocumentLinks) {
    DeleteFileW((group + link.fileName).c_str());
  }
  RemoveDirectoryW(group.c_str());  // only when empty
}

}  // namespace

int RemoveShortcuts(std::vector<std::wstring>* /*failures*/) {
  for (int csidl : kDesktopFolders) {
    const std::wstring desktop = SpecialFolder(csidl);
    if (desktop.empty()) continue;
    DeleteFileW((desktop + lk::kDesktopLinkName).c_str());
    DeleteFileW((desktop + lk::kDesktopThumbnailsLinkName).c_str());
  }
  for (int csidl : kProgramsFolders) {
    const std::wstring programs = SpecialFolder(csidl);
    if (!programs.empty()) RemoveGroup(programs);
  }
  return 1;
}

#include "integration/shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <string>

#include "app/os_version.h"
#include "app/product_info.h"
#include "app/target_folder.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "integration/shortcut_folders.h"
#include "integration/shortcut_names.h"

namespace {

using lk::DocumentLink;
using lk::kDocumentLinks;
using lk::kGroupFolder;
using lk::kReplacedVersions;

// Saves one shell link; optional properties may be null. 1 when saved.
int SaveShortcut(const std::wstring& linkPath, const wchar_t* targetPath, const wchar_t* arguments,
                 const wchar_t* iconFile, int iconIndex, const wchar_t* description) {
  lk::ScopedComApartment apartment;
  lk::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.ReceiveVoid()))) {
    return 0;
  }
  lk::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid()))) return 0;
  if (iconFile) link->SetIconLocation(iconFile, iconIndex);
  link->SetPath(targetPath);
  if (arguments) link->SetArguments(arguments);
  if (description) link->SetDescription(description);
  return SUCCEEDED(file->Save(linkPath.c_str(), TRUE)) ? 1 : 0;
}

std::wstring ViewerPath(const wchar_t* installationFolder) {
  return std::wstring(installationFolder) + lk::kViewerExe;
}

}  // namespace

int CreateDesktopShortcut(const wchar_t* targetPath, const wchar_t* fileName,
                          const wchar_t* iconFile, const wchar_t* description,
                          const wchar_t* arguments, int iconIndex, int allUsers,
                          RegistrationFailures* failures) {
  const std::wstring link = lk::DesktopFolder(allUsers) + fileName;
  return NoteLinkSave(failures, link,
                      SaveShortcut(link, targetPath, arguments, iconFile, iconIndex, description));
}

int CreateShortcutIn(const wchar_t* folder, const wchar_t* fileName, const wchar_t* targetPath,
                     const wchar_t* arguments, const wchar_t* iconFile, int iconIndex,
                     RegistrationFailures* failures) {
  const std::wstring link = std::wstring(folder) + fileName;
  return NoteLinkSave(failures, link,
                      SaveShortcut(link, targetPath, arguments, iconFile, iconIndex, nullptr));
}

int CreateProgramGroup(const wchar_t* installationFolder, int allUsers,
                       RegistrationFailures* failures) {
  wchar_t group[MAX_PATH] = {};
  const std::wstring programs = lk::ProgramsFolder(allUsers);
  lk::JoinPath(programs.c_str(), kGroupFolder, group);
  // Afterwards the group path ends in a backslash; without the folder no link can be saved.
  if (!CreateFolderTree(group)) return NoteLinkSave(failures, group, 0);

  const std::wstring viewer = ViewerPath(installationFolder);
  const std::wstring versionLink = lk::VersionLinkName();
  int result = CreateShortcutIn(group, versionLink.c_str(), viewer.c_str(), nullptr, nullptr, 0,
                                failures);

  for (const wchar_t* version : kReplacedVersions) {
    DeleteFileW((std::wstring(group) + L"Lumenkast 64 " + version + L".lnk").c_str());
  }

  result = CreateShortcutIn(group, lk::kGroupThumbnailsLinkName, viewer.c_str(), L"/thumbs",
                            viewer.c_str(), 7, failures);
  if (!IsOsVersionAtLeast(6, 2)) {
    const std::wstring uninstaller = std::wstring(installationFolder) + lk::kUninstallerExe;
    result = CreateShortcutIn(group, lk::kGroupUninstallLinkName, uninstaller.c_str(), nullptr,
                              nullptr, 0, failures);
  }
  for (const DocumentLink& link : kDocumentLinks) {
    const std::wstring target = std::wstring(installationFolder) + link.relativeTarget;
    result =
        CreateShortcutIn(group, link.fileName, target.c_str(), nullptr, nullptr, 0, failures);
  }
  return result;
}

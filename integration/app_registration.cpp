#include "integration/app_registration.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "app/product_info.h"
#include "app/target_folder.h"
#include "framework/registry.h"
#include "integration/file_associations.h"
#include "integration/shortcuts.h"

namespace {

constexpr wchar_t kVerbName[] = L"Browse with &Lumenkast";
constexpr wchar_t kIdentifierKey[] = L"SOFTWARE\\Classes\\Lumenkast";
constexpr wchar_t kFriendlyAppName[] = L"Lumenkast 64-bit";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumenkast64";
constexpr wchar_t kProgramKey[] = L"SOFTWARE\\Lumenkast";
constexpr wchar_t kCapabilitiesKey[] = L"SOFTWARE\\Lumenkast\\Capabilities";
constexpr wchar_t kRegisteredApplicationsKey[] = L"SOFTWARE\\RegisteredApplications";
constexpr wchar_t kApplicationDescription[] =
    L"Picture viewer, editor and converter - one of the most popular viewers worldwide";
constexpr wchar_t kOpenCommandSubkey[] = L"\\shell\\open\\command";

// The strings every step is built from.
struct RegistrationPaths {
  std::wstring folder;          // trimmed, ending in a backslash
  std::wstring viewer;          // folder + lk_main64.exe
  std::wstring openCommand;     // "viewer" "%1"
  std::wstring programCommand;  // "viewer"
  std::wstring verbCommand;     // "viewer" "%1 /thumbs"
};

std::wstring InstallationFolder(const wchar_t* input) {
  std::wstring folder = input;
  folder.push_back(L'\0');  // TrimSpaces works in place on a terminated buffer
  TrimSpaces(&folder[0]);
  folder.resize(wcslen(folder.c_str()));
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring VersionText() {
  wchar_t text[16] = {};
  _snwprintf(text, 15, L"%d.%d", lk::kVersionMajor, lk::kVersionMinor);
  return text;
}

using lk::SetDefaultValue;

void CreateDesktopShortcuts(const RegistrationPaths& paths, int desktop, int thumbnails,
                            int allUsers) {
  const wchar_t* viewer = paths.viewer.c_str();
  if (desktop) {
    CreateDesktopShortcut(viewer, L"Lumenkast 64.lnk", nullptr, L"Lumenkast 64 - Bildbetrachter",
                          nullptr, 0, allUsers);
  }
  if (thumbnails) {
    CreateDesktopShortcut(viewer, L"Lumenkast 64 Thumbnails.lnk", viewer, L"Lumenkast - Thumbnails",
                          L"/thumbs", 7, allUsers);
  }
}

// "Browse with" on folders and drives.
void WriteBrowseVerbs(const RegistrationPaths& paths) {
  for (const wchar_t* target : {L"Directory", L"Drive"}) {
    const std::wstring verbKey =
        std::wstring(L"SOFTWARE\\Classes\\") + target + L"\\shell\\" + kVerbName;
    SetDefaultValue(HKEY_LOCAL_MACHINE, verbKey, kVerbName);
    SetDefaultValue(HKEY_LOCAL_MACHINE, verbKey + L"\\command", paths.verbCommand);
  }
}

void WriteIdentifier(const RegistrationPaths& paths) {
  SetDefaultValue(HKEY_LOCAL_MACHINE, kIdentifierKey, lk::kProductName);
  SetDefaultValue(HKEY_LOCAL_MACHINE, std::wstring(kIdentifierKey) + kOpenCommandSubkey,
                  paths.openCommand);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(kIdentifierKey) + L"\\DefaultIcon").c_str());
}

void WriteKnownApplication(const RegistrationPaths& paths) {
  const std::wstring applicationKey = std::wstring(L"Applications\\") + lk::kViewerExe;
  SetDefaultValue(HKEY_CLASSES_ROOT, applicationKey + kOpenCommandSubkey, paths.openCommand);
  lk::RegistryKey key;
  if (key.Open(HKEY_CLASSES_ROOT, applicationKey.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS) {
    return;
  }
  key.SetString(L"FriendlyAppName", kFriendlyAppName);
}

void WriteUninstallEntry(const RegistrationPaths& paths) {
  SetDefaultValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"");
  lk::RegistryKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
  const std::wstring version = VersionText();
  key.SetString(L"DisplayName",
                (std::wstring(lk::kProductName) + L" " + version + L" (64-bit)").c_str());
  key.SetString(L"UninstallString", Quoted(paths.folder + lk::kUninstallerExe).c_str());
  key.SetString(L"Publisher", lk::kPublisher);
  key.SetString(L"InstallLocation", paths.folder.c_str());
  key.SetString(L"DisplayVersion", version.c_str());
  key.SetString(L"DisplayIcon", (paths.viewer + L",0").c_str());
  key.SetDword(L"VersionMajor", lk::kVersionMajor);
  key.SetDword(L"VersionMinor", lk::kVersionMinor);
  key.SetDword(L"EstimatedSize", lk::kEstimatedSizeKb);
}

void WriteProgramKey(const RegistrationPaths& paths) {
  lk::RegistryKey key;
  key.Create(HKEY_LOCAL_MACHINE, kProgramKey);
  key.Reset();
  SetDefaultValue(HKEY_LOCAL_MACHINE, std::wstring(kProgramKey) + kOpenCommandSubkey,
                  paths.programCommand);
}

// The default-programs capabilities; the pass over the catalogue fills FileAssociations.
void WriteCapabilities() {
  lk::RegistryKey capabilities;
  if (capabilities.Create(HKEY_LOCAL_MACHINE, kCapabilitiesKey) == ERROR_SUCCESS) {
    capabilities.SetString(L"ApplicationDescription", kApplicationDescription);
    capabilities.Reset();
  }
  lk::RegistryKey associations;
  associations.Create(HKEY_LOCAL_MACHINE, lk::kFileAssociationsKey);
  associations.Reset();

  lk::RegistryKey registered;
  if (registered.Open(HKEY_LOCAL_MACHINE, kRegisteredApplicationsKey, KEY_SET_VALUE) !=
      ERROR_SUCCESS) {
    return;
  }
  registered.SetString(lk::kProductName, kCapabilitiesKey);
}

}  // namespace

int RegisterApplication(int associateFormats, const wchar_t* installationFolder, int startMenuGroup,
                        int desktopShortcut, int thumbnailsShortcut, int allUsers,
                        const int32_t* selection) {
  RegistrationPaths paths;
  paths.folder = InstallationFolder(installationFolder);
  if (startMenuGroup) CreateProgramGroup(paths.folder.c_str(), allUsers);

  paths.viewer = paths.folder + lk::kViewerExe;
  paths.programCommand = Quoted(paths.viewer);
  paths.openCommand = paths.programCommand + L" \"%1\"";
  paths.verbCommand = paths.programCommand + L" \"%1 /thumbs\"";
  CreateDesktopShortcuts(paths, desktopShortcut, thumbnailsShortcut, allUsers);
  if (thumbnailsShortcut) WriteBrowseVerbs(paths);

  WriteIdentifier(paths);
  WriteKnownApplication(paths);
  WriteUninstallEntry(paths);
  WriteProgramKey(paths);
  WriteCapabilities();

  AssociateCatalogue(paths.viewer.c_str(), paths.openCommand.c_str(), selection);
  if (associateFormats) RefreshShellAssociations();
  return 1;
}

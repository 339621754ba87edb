#include "integration/app_registration.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "app/product_info.h"
#include "framework/registry.h"
#include "integration/file_associations.h"
#include "integration/registry_names.h"
#include "integration/shortcut_names.h"
#include "integration/shortcuts.h"

namespace {

using lk::kCapabilitiesKey;
using lk::kIdentifierKey;
using lk::kOpenCommandSubkey;
using lk::kProgramKey;
using lk::kRegisteredApplicationsKey;
using lk::kUninstallKey;
using lk::kVerbName;

constexpr wchar_t kFriendlyAppName[] = L"Lumenkast 64-bit";
constexpr wchar_t kApplicationDescription[] =
    L"Picture viewer, editor and converter - one of the most popular viewers worldwide";

// The strings every step is built from.
struct RegistrationPaths {
  std::wstring folder;          // absolute, ending in a backslash
  std::wstring viewer;          // folder + lk_main64.exe
  std::wstring openCommand;     // "viewer" "%1"
  std::wstring programCommand;  // "viewer"
  std::wstring verbCommand;     // "viewer" "%1 /thumbs"
};

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring VersionText() {
  wchar_t text[16] = {};
  _snwprintf(text, 15, L"%d.%d", lk::kVersionMajor, lk::kVersionMinor);
  return text;
}

void CreateDesktopShortcuts(const RegistrationPaths& paths, int desktop, int thumbnails,
                            int allUsers, RegistrationFailures* failures) {
  const wchar_t* viewer = paths.viewer.c_str();
  if (desktop) {
    CreateDesktopShortcut(viewer, lk::kDesktopLinkName, nullptr, L"Lumenkast 64 - Bildbetrachter",
                          nullptr, 0, allUsers, failures);
  }
  if (thumbnails) {
    CreateDesktopShortcut(viewer, lk::kDesktopThumbnailsLinkName, viewer, L"Lumenkast - Thumbnails",
                          L"/thumbs", 7, allUsers, failures);
  }
}

// "Browse with" on folders and drives.
void WriteBrowseVerbs(const RegistrationPaths& paths, RegistrationFailures* failures) {
  for (const wchar_t* target : lk::kVerbTargets) {
    const std::wstring verbKey = lk::VerbKey(target);
    SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, verbKey, kVerbName);
    SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, verbKey + L"\\command", paths.verbCommand);
  }
}

void WriteIdentifier(const RegistrationPaths& paths, RegistrationFailures* failures) {
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, kIdentifierKey, lk::kProductName);
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE,
                       std::wstring(kIdentifierKey) + kOpenCommandSubkey, paths.openCommand);
  // An icon key left by an earlier installation would hide the viewer's own icon.
  const std::wstring iconKey = std::wstring(kIdentifierKey) + lk::kDefaultIconSubkey;
  const LONG deleted = RegDeleteKeyW(HKEY_LOCAL_MACHINE, iconKey.c_str());
  if (deleted != ERROR_FILE_NOT_FOUND) NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, iconKey, deleted);
}

void WriteKnownApplication(const RegistrationPaths& paths, RegistrationFailures* failures) {
  const std::wstring applicationKey = lk::kApplicationKey;
  SetNotedDefaultValue(failures, HKEY_CLASSES_ROOT, applicationKey + kOpenCommandSubkey,
                       paths.openCommand);
  lk::RegistryKey key;
  lk::FirstStatus status;
  status += key.Open(HKEY_CLASSES_ROOT, applicationKey.c_str(), KEY_ALL_ACCESS);
  if (key) status += key.SetString(lk::kFriendlyAppNameValue, kFriendlyAppName);
  NoteKeyWrite(failures, HKEY_CLASSES_ROOT, applicationKey, status.Get());
}

void WriteUninstallValues(const lk::RegistryKey& key, const RegistrationPaths& paths,
                          lk::FirstStatus& status) {
  const std::wstring version = VersionText();
  status += key.SetString(L"DisplayName",
                          (std::wstring(lk::kProductName) + L" " + version + L" (64-bit)").c_str());
  const std::wstring uninstaller = Quoted(paths.folder + lk::kUninstallerExe);
  status += key.SetString(L"UninstallString", uninstaller.c_str());
  status += key.SetString(L"Publisher", lk::kPublisher);
  status += key.SetString(L"InstallLocation", paths.folder.c_str());
  status += key.SetString(L"DisplayVersion", version.c_str());
  status += key.SetString(L"DisplayIcon", (paths.viewer + L",0").c_str());
  status += key.SetDword(L"VersionMajor", lk::kVersionMajor);
  status += key.SetDword(L"VersionMinor", lk::kVersionMinor);
  status += key.SetDword(L"EstimatedSize", lk::kEstimatedSizeKb);
  // For deployment tools: the unattended removal, and no change or repair on offer.
  status += key.SetString(L"QuietUninstallString", (uninstaller + L" /silent").c_str());
  status += key.SetDword(L"NoModify", 1);
  status += key.SetDword(L"NoRepair", 1);
}

void WriteUninstallEntry(const RegistrationPaths& paths, RegistrationFailures* failures) {
  lk::FirstStatus status;
  status += lk::SetDefaultValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"");
  lk::RegistryKey key;
  status += key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS);
  if (key) WriteUninstallValues(key, paths, status);
  NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, kUninstallKey, status.Get());
}

void WriteProgramKey(const RegistrationPaths& paths, RegistrationFailures* failures) {
  lk::RegistryKey key;
  NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, kProgramKey,
               key.Create(HKEY_LOCAL_MACHINE, kProgramKey));
  key.Reset();
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE,
                       std::wstring(kProgramKey) + kOpenCommandSubkey, paths.programCommand);
}

// The default-programs capabilities; the pass over the catalogue fills FileAssociations.
void WriteCapabilities(RegistrationFailures* failures) {
  lk::FirstStatus described;
  lk::RegistryKey capabilities;
  described += capabilities.Create(HKEY_LOCAL_MACHINE, kCapabilitiesKey);
  if (capabilities) {
    described += capabilities.SetString(L"ApplicationDescription", kApplicationDescription);
  }
  NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, kCapabilitiesKey, described.Get());
  capabilities.Reset();

  lk::RegistryKey associations;
  NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, lk::kFileAssociationsKey,
               associations.Create(HKEY_LOCAL_MACHINE, lk::kFileAssociationsKey));
  associations.Reset();

  // A system without the list of registered applications has no list to join.
  lk::RegistryKey registered;
  lk::FirstStatus listed;
  listed += registered.Open(HKEY_LOCAL_MACHINE, kRegisteredApplicationsKey, KEY_SET_VALUE);
  if (listed.Get() == ERROR_FILE_NOT_FOUND) return;
  if (registered) listed += registered.SetString(lk::kProductName, kCapabilitiesKey);
  NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, kRegisteredApplicationsKey, listed.Get());
}

}  // namespace

int RegisterApplication(const ApplicationRegistration& registration,
                        RegistrationFailures* failures) {
  RegistrationPaths paths;
  paths.folder = registration.folder;
  const int allUsers = registration.allUsers;
  if (registration.startMenuGroup) CreateProgramGroup(paths.folder.c_str(), allUsers, failures);

  paths.viewer = paths.folder + lk::kViewerExe;
  paths.programCommand = Quoted(paths.viewer);
  paths.openCommand = paths.programCommand + L" \"%1\"";
  paths.verbCommand = paths.programCommand + L" \"%1 /thumbs\"";
  CreateDesktopShortcuts(paths, registration.desktopShortcut, registration.thumbnailsShortcut,
                         allUsers, failures);
  if (registration.thumbnailsShortcut) WriteBrowseVerbs(paths, failures);

  WriteIdentifier(paths, failures);
  WriteKnownApplication(paths, failures);
  WriteUninstallEntry(paths, failures);
  WriteProgramKey(paths, failures);
  WriteCapabilities(failures);

  AssociateCatalogue(paths.viewer.c_str(), paths.openCommand.c_str(),
                     registration.formatSelection, failures);
  if (registration.associateFormats) RefreshShellAssociations(failures);
  return 1;
}

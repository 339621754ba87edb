#include "integration/file_associations.h"

#include <shlobj.h>

#include <string>

#include "app/os_version.h"
#include "app/product_info.h"
#include "framework/registry.h"
#include "integration/registry_names.h"

namespace {

using lk::ProgrammaticIdentifier;

// Longest extension default that is saved before the viewer replaces it.
constexpr size_t kDefaultCapacity = 1024;

// "Lumenkast <TYPEKEY> File", with only the ASCII letters of the type key upper-cased.
std::wstring IdentifierDescription(const wchar_t* typeKey) {
  std::wstring upper = typeKey;
  for (wchar_t& c : upper) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return std::wstring(lk::kProductName) + L" " + upper + L" File";
}

// The capability value of the type key; skipped when the list cannot be opened.
LONG AddCapability(const wchar_t* typeKey, const std::wstring& identifier,
                   RegistrationFailures* failures) {
  lk::RegistryKey key;
  lk::FirstStatus status;
  status += key.Open(HKEY_LOCAL_MACHINE, lk::kFileAssociationsKey, KEY_SET_VALUE);
  if (key) status += key.SetString((std::wstring(L".") + typeKey).c_str(), identifier.c_str());
  return NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, lk::kFileAssociationsKey, status.Get());
}

// Deletes the saved default of an extension; a missing one is no failure.
void DropStaleBackup(const std::wstring& extensionKey, RegistrationFailures* failures) {
  const LONG status = lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, extensionKey, lk::kBackupValue);
  if (status == ERROR_FILE_NOT_FOUND) return;
  NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, extensionKey, status);
}

// Before the viewer takes over an extension whose default names another program's type,
// that default is kept in the value Lumenkast_Backup of the same key, so that the
// uninstaller can give it back. A default naming one of the viewer's own types (an earlier
// installation's) is never saved over the one kept before. An extension without a default
// replaces nothing: a copy kept from before would be given back to it later, so it goes.
void SaveReplacedDefault(const std::wstring& extensionKey, RegistrationFailures* failures) {
  wchar_t current[kDefaultCapacity] = {};
  lk::ReadRegistryString(HKEY_LOCAL_MACHINE, extensionKey.c_str(), nullptr, current,
                         kDefaultCapacity);
  if (!*current) {
    DropStaleBackup(extensionKey, failures);
    return;
  }
  if (lk::IsOwnIdentifier(current)) return;
  lk::RegistryKey key;
  lk::FirstStatus status;
  status += key.Open(HKEY_LOCAL_MACHINE, extensionKey.c_str(), KEY_SET_VALUE);
  if (key) status += key.SetString(lk::kBackupValue, current);
  NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, extensionKey, status.Get());
}

// Before the viewer replaces the current user's explorer choice of an extension that names
// another program's type, that type is kept in the value Lumenkast_UserChoice of the
// extension's explorer key, so that the uninstaller can give it back. As with the
// extension's default, a choice of one of the viewer's own types is never saved over the
// one kept before, and no choice at all drops a copy kept from before.
void SaveReplacedChoice(const wchar_t* extension, RegistrationFailures* failures) {
  const std::wstring extensionKey = lk::ExplorerExtensionKey(extension);
  wchar_t current[kDefaultCapacity] = {};
  lk::ReadRegistryString(HKEY_CURRENT_USER, lk::ExplorerChoiceKey(extension).c_str(),
                         lk::kProgidValue, current, kDefaultCapacity);
  if (!*current) {
    const LONG status =
        lk::DeleteRegistryValue(HKEY_CURRENT_USER, extensionKey, lk::kChoiceBackupValue);
    if (status != ERROR_FILE_NOT_FOUND) {
      NoteKeyWrite(failures, HKEY_CURRENT_USER, extensionKey, status);
    }
    return;
  }
  if (lk::IsOwnIdentifier(current)) return;
  lk::RegistryKey key;
  lk::FirstStatus status;
  status += key.Open(HKEY_CURRENT_USER, extensionKey.c_str(), KEY_SET_VALUE);
  if (key) status += key.SetString(lk::kChoiceBackupValue, current);
  NoteKeyWrite(failures, HKEY_CURRENT_USER, extensionKey, status.Get());
}

// The current user's explorer choice of extension, deleted and written anew.
LONG SetExplorerChoice(const wchar_t* extension, const std::wstring& identifier,
                       RegistrationFailures* failures) {
  const std::wstring path = lk::ExplorerChoiceKey(extension);
  SaveReplacedChoice(extension, failures);
  RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  lk::RegistryKey key;
  lk::FirstStatus status;
  status += key.Create(HKEY_CURRENT_USER, path.c_str());
  if (key) status += key.SetString(lk::kProgidValue, identifier.c_str());
  return NoteKeyWrite(failures, HKEY_CURRENT_USER, path, status.Get());
}

// The override in one AppX key. Where there was none before, the setup records that it made
// it, so that the uninstaller removes it; one that was there already is left to its owner.
LONG WriteNoOpenWith(const lk::RegistryKey& key) {
  const bool existed =
      RegQueryValueExW(key.Get(), lk::kNoOpenWithValue, nullptr, nullptr, nullptr, nullptr) ==
      ERROR_SUCCESS;
  const LONG status = key.SetString(lk::kNoOpenWithValue, L"");
  if (existed || status != ERROR_SUCCESS) return status;
  return key.SetDword(lk::kNoOpenWithRecordValue, 1);
}

// The icon a row's identifiers show.
std::wstring IconString(FormatIcon icon, const std::wstring& viewerPath) {
  switch (icon) {
    case FormatIcon::FileItself:
      return L"%1";
    case FormatIcon::ViewerIcon9:
      return viewerPath + L",9";
    case FormatIcon::ViewerIcon8:
      return viewerPath + L",8";
    case FormatIcon::ViewerIcon0:
      break;
  }
  return viewerPath + L",0";
}

}  // namespace

LONG AssociateExtension(const wchar_t* extension, const wchar_t* typeKey,
                        const wchar_t* openCommand, const wchar_t* iconString, int32_t chosen,
                        RegistrationFailures* failures) {
  const std::wstring identifier = ProgrammaticIdentifier(typeKey);
  const std::wstring identifierKey = lk::IdentifierKeyOf(typeKey);
  if (chosen) {
    const std::wstring extensionKey = lk::ExtensionKey(extension);
    SaveReplacedDefault(extensionKey, failures);
    SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, extensionKey, identifier);
  }
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, identifierKey,
                       IdentifierDescription(typeKey));
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, identifierKey + lk::kOpenCommandSubkey,
                       openCommand);
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, identifierKey + lk::kDefaultIconSubkey,
                       iconString);
  const LONG status = AddCapability(typeKey, identifier, failures);
  if (!chosen) return status;
  return SetExplorerChoice(extension, identifier, failures);
}

void AssociateCatalogue(const wchar_t* viewerPath, const wchar_t* openCommand,
                        const int32_t* selection, RegistrationFailures* failures) {
  for (const FormatEntry& format : FormatCatalogue) {
    const std::wstring icon = IconString(format.icon, viewerPath);
    for (int i = 0; i < format.extensionCount; ++i) {
      const FormatExtension& extension = format.extensions[i];
      AssociateExtension(extension.extension, extension.typeKey, openCommand, icon.c_str(),
                         selection[format.row], failures);
    }
  }
}

void RefreshShellAssociations(RegistrationFailures* failures) {
  if (IsOsVersionAtLeast(6, 2)) SuppressAppXOpenWith(failures);
  SystemParametersInfoW(SPI_SETICONS, 0, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSHNOWAIT, nullptr, nullptr);
}

void SuppressAppXOpenWith(RegistrationFailures* failures) {
  for (const wchar_t* path : lk::kAppXIdentifierKeys) {
    lk::RegistryKey key;
    lk::FirstStatus status;
    status += key.Create(HKEY_CURRENT_USER, path);
    if (key) status += WriteNoOpenWith(key);
    NoteKeyWrite(failures, HKEY_CURRENT_USER, path, status.Get());
  }
}

#include "uninstall/registration_removal.h"

#include <windows.h>

#include "app/product_info.h"
#include "framework/registry.h"
#include "integration/format_catalogue.h"
#include "integration/registration_failures.h"
#include "integration/registry_names.h"

namespace {

// Longest string value read back here: identifiers, saved defaults, folders.
constexpr size_t kValueCapacity = 1024;

// The keys and values of one removal that exist but could not be deleted.
class Removal {
 public:
  explicit Removal(std::vector<std::wstring>* failures) : failures_(failures) {}

  // Notes the status of deleting root\path (or a value in it): a key or value that was not
  // there is not a failure. Each key is listed once. True when nothing is left.
  bool Note(HKEY root, const std::wstring& path, LONG status) {
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
    failed_ = true;
    const std::wstring name = RegistryKeyName(root, path);
    for (const std::wstring& listed : *failures_) {
      if (listed == name) return false;
    }
    failures_->push_back(name);
    return false;
  }
  bool Tree(HKEY root, const std::wstring& path) {
    return Note(root, path, RegDeleteTreeW(root, path.c_str()));
  }
  bool Value(HKEY root, const std::wstring& path, const wchar_t* name) {
    return Note(root, path, lk::DeleteRegistryValue(root, path, name));
  }
  bool Failed() const { return failed_; }

 private:
  std::vector<std::wstring>* failures_;
  bool failed_ = false;
};

// A string value (null name: the default); false when missing, too long or not a string.
bool ReadString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* value) {
  wchar_t text[kValueCapacity] = {};
  if (!lk::ReadRegistryString(root, key.c_str(), name, text, kValueCapacity)) return false;
  *value = text;
  return true;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  lk::RegistryKey key;
  return key.Open(root, path.c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

// A saved default is given back only when it names another program's type that still
// exists (in the machine's or the current user's classes); otherwise the extension would
// point at nothing.
bool IsRestorableType(const std::wstring& type) {
  if (type.empty() || type.find(L'\\') != std::wstring::npos || lk::IsOwnIdentifier(type)) {
    return false;
  }
  return KeyExists(HKEY_LOCAL_MACHINE, lk::kClassesKey + type) ||
         KeyExists(HKEY_CURRENT_USER, lk::kClassesKey + type);
}

// One extension key: where its default still names one of the viewer's types, the saved
// default comes back when its type exists, and otherwise the default goes; the saved copy
// goes in any case, and the key too when nothing is left in it.
void ReleaseExtension(const wchar_t* extension, Removal* removal) {
  const std::wstring key = lk::ExtensionKey(extension);
  std::wstring current, saved;
  if (ReadString(HKEY_LOCAL_MACHINE, key, nullptr, &current) && lk::IsOwnIdentifier(current)) {
    ReadString(HKEY_LOCAL_MACHINE, key, lk::kBackupValue, &saved);
    if (IsRestorableType(saved)) {
      removal->Note(HKEY_LOCAL_MACHINE, key, lk::SetDefaultValue(HKEY_LOCAL_MACHINE, key, saved));
    } else {
      removal->Value(HKEY_LOCAL_MACHINE, key, nullptr);
    }
  }
  removal->Value(HKEY_LOCAL_MACHINE, key, lk::kBackupValue);
  lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, key);
}

// The current user's explorer choice of extension, when it names one of the viewer's types:
// the choice the setup kept comes back when its type exists, otherwise the choice goes. The
// kept copy goes in any case, and the extension's explorer key too when nothing is left.
void ReleaseExplorerChoice(const wchar_t* extension, Removal* removal) {
  const std::wstring extensionKey = lk::ExplorerExtensionKey(extension);
  const std::wstring choice = lk::ExplorerChoiceKey(extension);
  std::wstring progid, saved;
  if (ReadString(HKEY_CURRENT_USER, choice, lk::kProgidValue, &progid) &&
      lk::IsOwnIdentifier(progid) && removal->Tree(HKEY_CURRENT_USER, choice) &&
      ReadString(HKEY_CURRENT_USER, extensionKey, lk::kChoiceBackupValue, &saved) &&
      IsRestorableType(saved)) {
    lk::RegistryKey key;
    lk::FirstStatus status;
    status += key.Create(HKEY_CURRENT_USER, choice.c_str());
    if (key) status += key.SetString(lk::kProgidValue, saved.c_str());
    removal->Note(HKEY_CURRENT_USER, choice, status.Get());
  }
  removal->Value(HKEY_CURRENT_USER, extensionKey, lk::kChoiceBackupValue);
  lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, extensionKey);
}

void RemoveFileTypes(Removal* removal) {
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const FormatExtension& e = format.extensions[i];
      removal->Tree(HKEY_LOCAL_MACHINE, lk::IdentifierKeyOf(e.typeKey));
      ReleaseExtension(e.extension, removal);
      ReleaseExplorerChoice(e.extension, removal);
    }
  }
  lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, lk::kExplorerFileExtsKey);
}

// The "Browse with" verb of target, and the shell and target keys its writing created
// where nothing else is in them.
void RemoveVerb(const wchar_t* target, Removal* removal) {
  const std::wstring targetKey = std::wstring(lk::kClassesKey) + target;
  removal->Tree(HKEY_LOCAL_MACHINE, lk::VerbKey(target));
  lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, targetKey + L"\\shell");
  lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, targetKey);
}

// Only the overrides the setup recorded as made by it; one that was there before stays. The
// record goes after the override, so that a second run still knows it.
void RemoveAppXOverrides(Removal* removal) {
  for (const wchar_t* key : lk::kAppXIdentifierKeys) {
    lk::RegistryKey opened;
    if (opened.Open(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE) != ERROR_SUCCESS ||
        RegQueryValueExW(opened.Get(), lk::kNoOpenWithRecordValue, nullptr, nullptr, nullptr,
                         nullptr) != ERROR_SUCCESS) {
      continue;
    }
    opened.Reset();
    if (!removal->Value(HKEY_CURRENT_USER, key, lk::kNoOpenWithValue)) continue;
    removal->Value(HKEY_CURRENT_USER, key, lk::kNoOpenWithRecordValue);
    lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, key);
  }
}

}  // namespace

std::wstring RegisteredInstallLocation() {
  std::wstring folder;
  ReadString(HKEY_LOCAL_MACHINE, lk::kUninstallKey, L"InstallLocation", &folder);
  return folder;
}

int RemoveUninstallEntry(std::vector<std::wstring>* failures) {
  Removal removal(failures);
  return removal.Tree(HKEY_LOCAL_MACHINE, lk::kUninstallKey) ? 1 : 0;
}

int RemoveRegistration(int keepUninstallEntry, std::vector<std::wstring>* failures) {
  Removal removal(failures);
  for (const wchar_t* target : lk::kVerbTargets) {
    RemoveVerb(target, &removal);
  }
  removal.Tree(HKEY_LOCAL_MACHINE, lk::kIdentifierKey);
  removal.Tree(HKEY_LOCAL_MACHINE, lk::kMachineApplicationKey);
  removal.Tree(HKEY_LOCAL_MACHINE, lk::kProgramKey);
  removal.Value(HKEY_LOCAL_MACHINE, lk::kRegisteredApplicationsKey, lk::kProductName);
  RemoveFileTypes(&removal);
  RemoveAppXOverrides(&removal);
  // Last, so that a removal left unfinished can be run again from the list of programs.
  if (!keepUninstallEntry && !removal.Failed()) removal.Tree(HKEY_LOCAL_MACHINE, lk::kUninstallKey);
  return removal.Failed() ? 0 : 1;
}

#include "uninstall/registration_removal.h"

#include <windows.h>

#include "app/product_info.h"
#include "framework/registry.h"
#include "integration/format_catalogue.h"
#include "integration/registry_names.h"

namespace {

// Longest string value read back here: identifiers, saved defaults, folders.
constexpr size_t kValueCapacity = 1024;

// A string value (null name: the default); false when missing, too long or not a string.
bool ReadString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* value) {
  wchar_t text[kValueCapacity] = {};
  if (!lk::ReadRegistryString(root, key.c_str(), name, text, kValueCapacity)) return false;
  *value = text;
  return true;
}

// The current user's explorer choice of extension, when it names identifier.
void ReleaseExplorerChoice(const wchar_t* extension, const std::wstring& identifier) {
  const std::wstring choice = lk::ExplorerChoiceKey(extension);
  std::wstring progid;
  if (!ReadString(HKEY_CURRENT_USER, choice, lk::kProgidValue, &progid) || progid != identifier) {
    return;
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, choice.c_str());
  lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, lk::ExplorerExtensionKey(extension));
}

void RemoveFileTypes() {
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const FormatExtension& e = format.extensions[i];
      const std::wstring identifier = lk::ProgrammaticIdentifier(e.typeKey);
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, lk::IdentifierKeyOf(e.typeKey).c_str());
      ReleaseExtension(e.extension, identifier);
      ReleaseExplorerChoice(e.extension, identifier);
    }
  }
  lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, lk::kExplorerFileExtsKey);
}

// The "Browse with" verb of target, and the shell and target keys its writing created
// where nothing else is in them.
void RemoveVerb(const wchar_t* target) {
  const std::wstring targetKey = std::wstring(lk::kClassesKey) + target;
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, lk::VerbKey(target).c_str());
  lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, targetKey + L"\\shell");
  lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, targetKey);
}

void RemoveAppXOverrides() {
  for (const wchar_t* key : lk::kAppXIdentifierKeys) {
    lk::DeleteRegistryValue(HKEY_CURRENT_USER, key, lk::kNoOpenWithValue);
    lk::DeleteKeyIfEmpty(HKEY_CURRENT_USER, key);
  }
}

}  // namespace

void ReleaseExtension(const wchar_t* extension, const std::wstring& identifier) {
  const std::wstring key = lk::ExtensionKey(extension);
  std::wstring current, saved;
  if (ReadString(HKEY_LOCAL_MACHINE, key, nullptr, &current) && current == identifier) {
    if (ReadString(HKEY_LOCAL_MACHINE, key, lk::kBackupValue, &saved) && !saved.empty()) {
      lk::SetDefaultValue(HKEY_LOCAL_MACHINE, key, saved);
    } else {
      lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, key, nullptr);
    }
  }
  lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, key, lk::kBackupValue);
  lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, key);
}

std::wstring RegisteredInstallLocation() {
  std::wstring folder;
  ReadString(HKEY_LOCAL_MACHINE, lk::kUninstallKey, L"InstallLocation", &folder);
  return folder;
}

int RemoveRegistration(int keepUninstallEntry, std::vector<std::wstring>* /*failures*/) {
  for (const wchar_t* target : lk::kVerbTargets) {
    RemoveVerb(target);
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, lk::kIdentifierKey);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, lk::kApplicationKey);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, lk::kProgramKey);
  lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, lk::kRegisteredApplicationsKey, lk::kProductName);
  RemoveFileTypes();
  RemoveAppXOverrides();
  if (!keepUninstallEntry) RegDeleteTreeW(HKEY_LOCAL_MACHINE, lk::kUninstallKey);
  return 1;
}

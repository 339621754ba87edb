#include "integration/file_associations.h"

#include <shlobj.h>

#include <string>

#include "app/os_version.h"
#include "app/product_info.h"
#include "framework/registry.h"

namespace {

constexpr wchar_t kClassesKey[] = L"SOFTWARE\\Classes\\";
constexpr wchar_t kExplorerFileExtsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.";

// Windows' own picture and media apps, which would otherwise offer themselves anew.
constexpr const wchar_t* kAppXIdentifierKeys[] = {
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};

// "Lumenkast.<typeKey>"
std::wstring ProgrammaticIdentifier(const wchar_t* typeKey) {
  return std::wstring(lk::kProductName) + L"." + typeKey;
}

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
  LONG status = key.Open(HKEY_LOCAL_MACHINE, lk::kFileAssociationsKey, KEY_SET_VALUE);
  if (status == ERROR_SUCCESS) {
    status = key.SetString((std::wstring(L".") + typeKey).c_str(), identifier.c_str());
  }
  return NoteKeyWrite(failures, HKEY_LOCAL_MACHINE, lk::kFileAssociationsKey, status);
}

// The current user's explorer choice of extension, deleted and written anew.
LONG SetExplorerChoice(const wchar_t* extension, const std::wstring& identifier,
                       RegistrationFailures* failures) {
  const std::wstring path = kExplorerFileExtsKey + std::wstring(extension) + L"\\UserChoice";
  RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  lk::RegistryKey key;
  LONG status = key.Create(HKEY_CURRENT_USER, path.c_str());
  if (status == ERROR_SUCCESS) status = key.SetString(L"Progid", identifier.c_str());
  return NoteKeyWrite(failures, HKEY_CURRENT_USER, path, status);
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
  const std::wstring identifierKey = kClassesKey + identifier;
  if (chosen) {
    SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE,
                         kClassesKey + std::wstring(L".") + extension, identifier);
  }
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, identifierKey,
                       IdentifierDescription(typeKey));
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, identifierKey + L"\\shell\\open\\command",
                       openCommand);
  SetNotedDefaultValue(failures, HKEY_LOCAL_MACHINE, identifierKey + L"\\DefaultIcon",
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
  for (const wchar_t* path : kAppXIdentifierKeys) {
    lk::RegistryKey key;
    LONG status = key.Create(HKEY_CURRENT_USER, path);
    if (status == ERROR_SUCCESS) status = key.SetString(L"NoOpenWith", L"");
    NoteKeyWrite(failures, HKEY_CURRENT_USER, path, status);
  }
}

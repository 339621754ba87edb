// Where the registration and the associations write in the registry: the keys, values and
// name patterns, shared by the setup that writes them and the uninstaller that removes them.
#pragma once

#include <string>

#include "app/product_info.h"

namespace lk {

// Under HKEY_LOCAL_MACHINE unless said otherwise.
constexpr wchar_t kClassesKey[] = L"SOFTWARE\\Classes\\";
constexpr wchar_t kOpenCommandSubkey[] = L"\\shell\\open\\command";
constexpr wchar_t kDefaultIconSubkey[] = L"\\DefaultIcon";

// "Browse with" on folders and drives: SOFTWARE\Classes\<target>\shell\<verb name>.
constexpr wchar_t kVerbName[] = L"Browse with &Lumenkast";
constexpr const wchar_t* kVerbTargets[] = {L"Directory", L"Drive"};

// The viewer's own programmatic identifier.
constexpr wchar_t kIdentifierKey[] = L"SOFTWARE\\Classes\\Lumenkast";
// The known-application entry, written under HKEY_CLASSES_ROOT. It is removed from the
// machine's classes (kMachineApplicationKey): through HKEY_CLASSES_ROOT a removal would hit a
// user's own copy of it first and leave the machine's key.
constexpr wchar_t kApplicationKey[] = L"Applications\\lk_main64.exe";
constexpr wchar_t kMachineApplicationKey[] = L"SOFTWARE\\Classes\\Applications\\lk_main64.exe";
constexpr wchar_t kFriendlyAppNameValue[] = L"FriendlyAppName";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumenkast64";
constexpr wchar_t kProgramKey[] = L"SOFTWARE\\Lumenkast";
constexpr wchar_t kCapabilitiesKey[] = L"SOFTWARE\\Lumenkast\\Capabilities";
// (The capabilities' file-type list, kFileAssociationsKey, is in app/product_info.h.)
// Holds the value named kProductName, the capabilities key's path.
constexpr wchar_t kRegisteredApplicationsKey[] = L"SOFTWARE\\RegisteredApplications";

// The default an extension key had before the viewer took it over, kept in the same key.
constexpr wchar_t kBackupValue[] = L"Lumenkast_Backup";

// The current user's explorer choices (HKEY_CURRENT_USER).
constexpr wchar_t kExplorerFileExtsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr wchar_t kProgidValue[] = L"Progid";
// The type the current user's explorer choice named before the viewer took the extension
// over, kept in the extension's explorer key (ExplorerExtensionKey) for the uninstaller.
constexpr wchar_t kChoiceBackupValue[] = L"Lumenkast_UserChoice";

// Windows' own picture and media apps (HKEY_CURRENT_USER), which would otherwise offer
// themselves anew; each gets the value kNoOpenWithValue.
constexpr const wchar_t* kAppXIdentifierKeys[] = {
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};
constexpr wchar_t kNoOpenWithValue[] = L"NoOpenWith";
// Written beside a kNoOpenWithValue that the setup created (there was none before), so that
// the uninstaller removes only those; an override without it is not the setup's to remove.
constexpr wchar_t kNoOpenWithRecordValue[] = L"Lumenkast_NoOpenWith";

// Whether a programmatic identifier is one of the viewer's own: "Lumenkast" itself or
// "Lumenkast.<anything>", in any case (the registry ignores case). The setup never saves one
// as the replaced default and the uninstaller never gives one back.
bool IsOwnIdentifier(const std::wstring& identifier);

// SOFTWARE\Classes\<target>\shell\Browse with &Lumenkast
std::wstring VerbKey(const wchar_t* target);
// "Lumenkast.<typeKey>"
std::wstring ProgrammaticIdentifier(const wchar_t* typeKey);
// SOFTWARE\Classes\Lumenkast.<typeKey>
std::wstring IdentifierKeyOf(const wchar_t* typeKey);
// SOFTWARE\Classes\.<extension>
std::wstring ExtensionKey(const wchar_t* extension);
// ...\Explorer\FileExts\.<extension> and its UserChoice subkey.
std::wstring ExplorerExtensionKey(const wchar_t* extension);
std::wstring ExplorerChoiceKey(const wchar_t* extension);

}  // namespace lk

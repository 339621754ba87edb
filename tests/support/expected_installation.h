// What an installation into a folder leaves for Windows to see: the viewer's own registry
// values and its links. The tests of the single operations and those of the whole setup
// check against the same expectations.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lktest {

// The viewer's own identifier and its open command (HKEY_LOCAL_MACHINE), which also tells
// the setup where an earlier installation went.
constexpr wchar_t kIdentifierKey[] = L"SOFTWARE\\Classes\\Lumenkast";
constexpr wchar_t kOpenCommandKey[] = L"SOFTWARE\\Classes\\Lumenkast\\shell\\open\\command";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumenkast64";
constexpr wchar_t kDirectoryVerbKey[] =
    L"SOFTWARE\\Classes\\Directory\\shell\\Browse with &Lumenkast";
constexpr wchar_t kDriveVerbKey[] = L"SOFTWARE\\Classes\\Drive\\shell\\Browse with &Lumenkast";
constexpr wchar_t kFileAssociationsKey[] = L"SOFTWARE\\Lumenkast\\Capabilities\\FileAssociations";

// The current user's AppX overrides (HKEY_CURRENT_USER) that keep the shell from offering
// its apps for the viewer's formats.
constexpr const wchar_t* kAppXOverrideKeys[] = {
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};

// One value of the viewer's registration (name null: the key's default value).
struct ExpectedString {
  HKEY root;
  std::wstring key;
  const wchar_t* name;
  std::wstring data;
};
struct ExpectedDword {
  HKEY root;
  std::wstring key;
  const wchar_t* name;
  DWORD data;
};

// The string values of the viewer's own registration for the installation folder (with its
// trailing backslash): the "Browse with" verbs, the identifier, the application entry, the
// uninstall entry, the program command, the capabilities and the registered application.
std::vector<ExpectedString> ApplicationStrings(const std::wstring& folder);
// Its numbers: the version and size in the uninstall entry.
std::vector<ExpectedDword> ApplicationDwords();

// The key of the identifier "Lumenkast.<typeKey>" (HKEY_LOCAL_MACHINE); its description is
// the default value, its open command and icon the defaults of "shell\open\command" and
// "DefaultIcon" below it.
std::wstring IdentifierKey(const std::wstring& typeKey);

// The explorer's choice for an extension (without its dot), under HKEY_CURRENT_USER.
std::wstring ExplorerChoiceKey(const std::wstring& extension);

// Checks every value of the viewer's own registration for the installation folder (with
// its trailing backslash): the "Browse with" verbs, the identifier, the application entry,
// the uninstall entry, the program command, the capabilities and the registered application.
void ExpectApplicationKeys(const std::wstring& folder);

// Checks one of the viewer's identifiers "Lumenkast.<typeKey>": its description, its open
// command for the viewer at viewer, its icon and its value in the capability list.
void ExpectIdentifier(const std::wstring& typeKey, const std::wstring& viewer,
                      const std::wstring& description, const std::wstring& icon);

// A shell link as the shell reads it back. The icon index counts only with an icon file.
struct ExpectedLink {
  std::wstring fileName;
  std::wstring target;
  std::wstring arguments;
  std::wstring iconFile;
  int iconIndex;
  std::wstring description;
};

// Reads folder + expected.fileName as a shell link and checks it against expected; links
// name no working folder.
void ExpectLink(const std::wstring& folder, const ExpectedLink& expected);

// The file names of the desktop links.
constexpr const wchar_t* kDesktopLinkNames[] = {L"Lumenkast 64.lnk",
                                                L"Lumenkast 64 Thumbnails.lnk"};

// The desktop links of an installation into folder (with its trailing backslash).
std::vector<ExpectedLink> DesktopLinks(const std::wstring& folder);

// The links of the start-menu group that every Windows version gets, in order.
std::vector<ExpectedLink> GroupLinks(const std::wstring& folder);

// The group's link to the uninstaller, made before Windows 8 only.
ExpectedLink UninstallGroupLink(const std::wstring& folder);

}  // namespace lktest

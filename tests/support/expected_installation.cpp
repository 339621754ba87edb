#include "support/expected_installation.h"

#include <gtest/gtest.h>

#include "support/registry_reader.h"
#include "support/shell_link_reader.h"
#include "support/test_support.h"

namespace lktest {

std::vector<ExpectedString> ApplicationStrings(const std::wstring& folder) {
  const std::wstring viewer = folder + L"lk_main64.exe";
  const std::wstring open = L"\"" + viewer + L"\" \"%1\"";
  const std::wstring verb = L"\"" + viewer + L"\" \"%1 /thumbs\"";
  return {
      {HKLM, kDirectoryVerbKey, nullptr, L"Browse with &Lumenkast"},
      {HKLM, std::wstring(kDirectoryVerbKey) + L"\\command", nullptr, verb},
      {HKLM, kDriveVerbKey, nullptr, L"Browse with &Lumenkast"},
      {HKLM, std::wstring(kDriveVerbKey) + L"\\command", nullptr, verb},
      {HKLM, kIdentifierKey, nullptr, L"Lumenkast"},
      {HKLM, kOpenCommandKey, nullptr, open},
      {HKEY_CLASSES_ROOT, L"Applications\\lk_main64.exe\\shell\\open\\command", nullptr, open},
      {HKEY_CLASSES_ROOT, L"Applications\\lk_main64.exe", L"FriendlyAppName", L"Lumenkast 64-bit"},
      {HKLM, kUninstallKey, nullptr, L""},
      {HKLM, kUninstallKey, L"DisplayName", L"Lumenkast 4.50 (64-bit)"},
      {HKLM, kUninstallKey, L"UninstallString", L"\"" + folder + L"lk_uninstall.exe\""},
      {HKLM, kUninstallKey, L"Publisher", L"Orrin Halvask"},
      {HKLM, kUninstallKey, L"InstallLocation", folder},
      {HKLM, kUninstallKey, L"DisplayVersion", L"4.50"},
      {HKLM, kUninstallKey, L"DisplayIcon", viewer + L",0"},
      {HKLM, L"SOFTWARE\\Lumenkast\\shell\\open\\command", nullptr, L"\"" + viewer + L"\""},
      {HKLM, L"SOFTWARE\\Lumenkast\\Capabilities", L"ApplicationDescription",
       L"Picture viewer, editor and converter - one of the most popular viewers worldwide"},
      {HKLM, L"SOFTWARE\\RegisteredApplications", L"Lumenkast",
       L"SOFTWARE\\Lumenkast\\Capabilities"},
  };
}

std::vector<ExpectedDword> ApplicationDwords() {
  return {
      {HKLM, kUninstallKey, L"VersionMajor", 4},
      {HKLM, kUninstallKey, L"VersionMinor", 50},
      {HKLM, kUninstallKey, L"EstimatedSize", 5120},
  };
}

std::wstring IdentifierKey(const std::wstring& typeKey) {
  return L"SOFTWARE\\Classes\\Lumenkast." + typeKey;
}

std::wstring ExplorerChoiceKey(const std::wstring& extension) {
  return L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\." + extension +
         L"\\UserChoice";
}

void ExpectApplicationKeys(const std::wstring& folder) {
  for (const ExpectedString& v : ApplicationStrings(folder)) {
    EXPECT_TRUE(RegStringIs(v.root, v.key, v.name, v.data));
  }
  for (const ExpectedDword& v : ApplicationDwords()) {
    EXPECT_TRUE(RegDwordIs(v.root, v.key, v.name, v.data));
  }
}

void ExpectIdentifier(const std::wstring& typeKey, const std::wstring& viewer,
                      const std::wstring& description, const std::wstring& icon) {
  const std::wstring identifier = IdentifierKey(typeKey);
  EXPECT_TRUE(RegStringIs(HKLM, identifier, nullptr, description));
  EXPECT_TRUE(RegStringIs(HKLM, identifier + L"\\shell\\open\\command", nullptr,
                          L"\"" + viewer + L"\" \"%1\""));
  EXPECT_TRUE(RegStringIs(HKLM, identifier + L"\\DefaultIcon", nullptr, icon));
  EXPECT_TRUE(
      RegStringIs(HKLM, kFileAssociationsKey, (L"." + typeKey).c_str(), L"Lumenkast." + typeKey));
}

void ExpectLink(const std::wstring& folder, const ExpectedLink& expected) {
  SCOPED_TRACE(Narrow(folder + expected.fileName));
  ShellLinkInfo link;
  ASSERT_TRUE(ReadShellLink(folder + expected.fileName, &link));
  EXPECT_EQ(expected.target, link.target);
  EXPECT_EQ(expected.arguments, link.arguments);
  EXPECT_EQ(expected.description, link.description);
  EXPECT_EQ(expected.iconFile, link.iconFile);
  if (!expected.iconFile.empty()) {
    EXPECT_EQ(expected.iconIndex, link.iconIndex);
  }
  EXPECT_EQ(L"", link.workingDirectory);
}

std::vector<ExpectedLink> DesktopLinks(const std::wstring& folder) {
  const std::wstring viewer = folder + L"lk_main64.exe";
  return {
      {kDesktopLinkNames[0], viewer, L"", L"", 0, L"Lumenkast 64 - Bildbetrachter"},
      {kDesktopLinkNames[1], viewer, L"/thumbs", viewer, 7, L"Lumenkast - Thumbnails"},
  };
}

std::vector<ExpectedLink> GroupLinks(const std::wstring& folder) {
  const std::wstring viewer = folder + L"lk_main64.exe";
  return {
      {L"Lumenkast 64 4.50.lnk", viewer, L"", L"", 0, L""},
      {L"Lumenkast - Thumbnails.lnk", viewer, L"/thumbs", viewer, 7, L""},
      {L"\u00DCber Lumenkast.lnk", folder + L"lk_about.txt", L"", L"", 0, L""},
      {L"Was ist neu.lnk", folder + L"lk_changes.txt", L"", L"", 0, L""},
      {L"Kommandozeilen-Optionen.lnk", folder + L"lk_options.txt", L"", L"", 0, L""},
      {L"Verf\u00FCgbare PlugIns.lnk", folder + L"lk_plugins.txt", L"", L"", 0, L""},
      {L"Verf\u00FCgbare Sprachen.lnk", folder + L"lk_languages.txt", L"", L"", 0, L""},
      {L"Lumenkast Hilfe.lnk", folder + L"help\\lk_main32_deutsch.chm", L"", L"", 0, L""},
  };
}

ExpectedLink UninstallGroupLink(const std::wstring& folder) {
  return {L"Lumenkast deinstallieren.lnk", folder + L"lk_uninstall.exe", L"", L"", 0, L""};
}

}  // namespace lktest

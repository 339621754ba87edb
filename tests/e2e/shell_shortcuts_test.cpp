// Desktop links and the start-menu group after an unattended installation, read back as
// the shell reads them, for the current user and for all users, on Windows 7 and 10.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "support/installation_state.h"
#include "support/registry_reader.h"
#include "support/shell_link_reader.h"
#include "support/test_support.h"

namespace {

using lktest::FileExists;
using lktest::SpecialFolder;

constexpr wchar_t kFolder[] = L"C:\\Tools\\Lumenkast\\";
constexpr wchar_t kViewer[] = L"C:\\Tools\\Lumenkast\\lk_main64.exe";
constexpr wchar_t kUninstallLink[] = L"Lumenkast deinstallieren.lnk";
constexpr const wchar_t* kAppXKeys[] = {
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};

struct Link {
  std::wstring name;
  std::wstring target;
  std::wstring arguments;
  std::wstring iconFile;
  int iconIndex;
  std::wstring description;
};

void ExpectLink(const std::wstring& folder, const Link& expected) {
  SCOPED_TRACE(lktest::Narrow(folder + expected.name));
  lktest::ShellLinkInfo link;
  ASSERT_TRUE(lktest::ReadShellLink(folder + expected.name, &link));
  EXPECT_EQ(expected.target, link.target);
  EXPECT_EQ(expected.arguments, link.arguments);
  EXPECT_EQ(expected.description, link.description);
  EXPECT_EQ(expected.iconFile, link.iconFile);
  if (!expected.iconFile.empty()) {
    EXPECT_EQ(expected.iconIndex, link.iconIndex);
  }
}

const std::vector<Link>& DesktopLinks() {
  static const std::vector<Link> links = {
      {L"Lumenkast 64.lnk", kViewer, L"", L"", 0, L"Lumenkast 64 - Bildbetrachter"},
      {L"Lumenkast 64 Thumbnails.lnk", kViewer, L"/thumbs", kViewer, 7, L"Lumenkast - Thumbnails"},
  };
  return links;
}

// The group's links that every Windows version gets.
const std::vector<Link>& GroupLinks() {
  const std::wstring folder = kFolder;
  static const std::vector<Link> links = {
      {L"Lumenkast 64 4.50.lnk", kViewer, L"", L"", 0, L""},
      {L"Lumenkast - Thumbnails.lnk", kViewer, L"/thumbs", kViewer, 7, L""},
      {L"\u00DCber Lumenkast.lnk", folder + L"lk_about.txt", L"", L"", 0, L""},
      {L"Was ist neu.lnk", folder + L"lk_changes.txt", L"", L"", 0, L""},
      {L"Kommandozeilen-Optionen.lnk", folder + L"lk_options.txt", L"", L"", 0, L""},
      {L"Verf\u00FCgbare PlugIns.lnk", folder + L"lk_plugins.txt", L"", L"", 0, L""},
      {L"Verf\u00FCgbare Sprachen.lnk", folder + L"lk_languages.txt", L"", L"", 0, L""},
      {L"Lumenkast Hilfe.lnk", folder + L"help\\lk_main32_deutsch.chm", L"", L"", 0, L""},
  };
  return links;
}

class Shortcuts : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  void Clean() {
    lktest::CloseViewerWindows();
    lktest::RemoveRegistration();
    lktest::RemoveShortcuts();
    lktest::RemoveTree(L"C:\\Tools");
  }
  void Install(const std::wstring& switches) {
    ASSERT_EQ(0,
              lktest::RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast " + switches, cwd_.Path()));
    ASSERT_TRUE(FileExists(std::wstring(kViewer)));
  }
  // Links of earlier versions placed in the group before the installation.
  static void PlaceOldLinks(const std::wstring& group) {
    CreateDirectoryW(group.c_str(), nullptr);
    for (const wchar_t* version : {L"4.44", L"4.42", L"4.41"}) {
      lktest::WriteFileBytes(group + L"Lumenkast 64 " + version + L".lnk", "alt");
    }
  }

  lktest::TempFolder cwd_;
};

TEST_F(Shortcuts, GoToTheUsersOrTheCommonFoldersAndReplaceOnlyTheLinksOf444And442) {
  struct Case {
    const wchar_t* allUsers;
    int desktop, programs;            // where the links go
    int otherDesktop, otherPrograms;  // where none may appear
  } cases[] = {
      {L"0", CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY,
       CSIDL_COMMON_PROGRAMS},
      {L"1", CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOPDIRECTORY,
       CSIDL_PROGRAMS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.allUsers));
    const std::wstring group = SpecialFolder(c.programs) + L"Lumenkast\\";
    PlaceOldLinks(group);
    Install(std::wstring(L"/group=1 /desktop=1 /thumbs=1 /allusers=") + c.allUsers);

    for (const Link& link : DesktopLinks()) {
      ExpectLink(SpecialFolder(c.desktop), link);
      EXPECT_FALSE(FileExists(SpecialFolder(c.otherDesktop) + link.name));
    }
    for (const Link& link : GroupLinks()) ExpectLink(group, link);
    EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.44.lnk"));
    EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.42.lnk"));
    EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.41.lnk"));
    EXPECT_FALSE(lktest::FolderExists(SpecialFolder(c.otherPrograms) + L"Lumenkast"));
    Clean();
  }
}

TEST_F(Shortcuts, WithoutSwitchesNoLinkIsMadeAndNoOldOneRemoved) {
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  PlaceOldLinks(group);
  Install(L"/group=0 /desktop=0 /thumbs=0");
  EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.44.lnk"));
  EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.50.lnk"));
  for (const Link& link : DesktopLinks()) {
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + link.name));
  }
}

TEST_F(Shortcuts, Windows7GroupOffersTheUninstallerAndGetsNoAppXOverrides) {
  lktest::ScopedWineVersion version(L"win7");
  Install(L"/group=1 /assoc=1");
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  ExpectLink(group, {kUninstallLink, L"C:\\Tools\\Lumenkast\\lk_uninstall.exe", L"", L"", 0, L""});
  for (const wchar_t* key : kAppXKeys) {
    EXPECT_FALSE(lktest::RegKeyExists(HKEY_CURRENT_USER, key)) << lktest::Narrow(key);
  }
}

TEST_F(Shortcuts, Windows10GroupHasNoUninstallerAndTheAppXOverridesAreWritten) {
  lktest::ScopedWineVersion version(L"win10");
  Install(L"/group=1 /assoc=1");
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.50.lnk"));
  EXPECT_FALSE(FileExists(group + kUninstallLink));
  for (const wchar_t* key : kAppXKeys) {
    EXPECT_TRUE(lktest::RegStringIs(HKEY_CURRENT_USER, key, L"NoOpenWith", L""));
  }
}

}  // namespace

// Desktop links and the start-menu group after an unattended installation, read back as
// the shell reads them, for the current user and for all users, on Windows 7 and 10.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "support/expected_installation.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/registry_reader.h"
#include "support/test_support.h"

namespace lktest {
namespace {

constexpr wchar_t kFolder[] = L"C:\\Tools\\Lumenkast\\";
constexpr wchar_t kViewer[] = L"C:\\Tools\\Lumenkast\\lk_main64.exe";

class Shortcuts : public InstallationTest {
 protected:
  void Install(const std::wstring& switches) {
    ASSERT_EQ(0, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast " + switches));
    ASSERT_TRUE(FileExists(std::wstring(kViewer)));
  }
  // Links of earlier versions placed in the group before the installation.
  static void PlaceOldLinks(const std::wstring& group) {
    CreateDirectoryW(group.c_str(), nullptr);
    for (const wchar_t* version : {L"4.44", L"4.42", L"4.41"}) {
      WriteFileBytes(group + L"Lumenkast 64 " + version + L".lnk", "alt");
    }
  }
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
    SCOPED_TRACE(Narrow(c.allUsers));
    const std::wstring group = SpecialFolder(c.programs) + L"Lumenkast\\";
    PlaceOldLinks(group);
    Install(std::wstring(L"/group=1 /desktop=1 /thumbs=1 /allusers=") + c.allUsers);

    for (const ExpectedLink& link : DesktopLinks(kFolder)) {
      ExpectLink(SpecialFolder(c.desktop), link);
      EXPECT_FALSE(FileExists(SpecialFolder(c.otherDesktop) + link.fileName));
    }
    for (const ExpectedLink& link : GroupLinks(kFolder)) ExpectLink(group, link);
    EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.44.lnk"));
    EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.42.lnk"));
    EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.41.lnk"));
    EXPECT_FALSE(FolderExists(SpecialFolder(c.otherPrograms) + L"Lumenkast"));
    Clean();
  }
}

TEST_F(Shortcuts, WithoutSwitchesNoLinkIsMadeAndNoOldOneRemoved) {
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  PlaceOldLinks(group);
  Install(L"/group=0 /desktop=0 /thumbs=0");
  EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.44.lnk"));
  EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.50.lnk"));
  for (const ExpectedLink& link : DesktopLinks(kFolder)) {
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + link.fileName));
  }
}

TEST_F(Shortcuts, Windows7GroupOffersTheUninstallerAndGetsNoAppXOverrides) {
  ScopedWineVersion version(L"win7");
  Install(L"/group=1 /assoc=1");
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  ExpectLink(group, UninstallGroupLink(kFolder));
  for (const wchar_t* key : kAppXOverrideKeys) {
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key)) << Narrow(key);
  }
}

TEST_F(Shortcuts, Windows10GroupHasNoUninstallerAndTheAppXOverridesAreWritten) {
  ScopedWineVersion version(L"win10");
  Install(L"/group=1 /assoc=1");
  const std::wstring group = SpecialFolder(CSIDL_PROGRAMS) + L"Lumenkast\\";
  EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.50.lnk"));
  EXPECT_FALSE(FileExists(group + UninstallGroupLink(kFolder).fileName));
  for (const wchar_t* key : kAppXOverrideKeys) {
    EXPECT_TRUE(RegStringIs(HKEY_CURRENT_USER, key, L"NoOpenWith", L""));
  }
}

}  // namespace
}  // namespace lktest

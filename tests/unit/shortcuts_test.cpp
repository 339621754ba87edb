#include "integration/shortcuts.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/os_version.h"
#include "support/expected_installation.h"
#include "support/installation_state.h"
#include "support/shell_folder_redirect.h"
#include "support/test_support.h"

namespace {

using lktest::ExpectLink;
using lktest::FileExists;
using lktest::UninstallGroupLink;

constexpr wchar_t kInstall[] = L"C:\\Programme\\Lumenkast\\";

size_t CountFiles(const std::wstring& folder) {
  size_t count = 0;
  for (const std::wstring& name : lktest::ListFolder(folder)) {
    if (FileExists(folder + name)) ++count;
  }
  return count;
}

TEST(CreateShortcutIn, SavesTargetArgumentsAndIconButNoDescription) {
  lktest::TempFolder folder;
  const std::wstring viewer = std::wstring(kInstall) + L"lk_main64.exe";
  struct Case {
    const wchar_t* fileName;
    const wchar_t* arguments;
    const wchar_t* iconFile;
    int iconIndex;
  } cases[] = {
      {L"plain.lnk", nullptr, nullptr, 0},
      {L"thumbs.lnk", L"/thumbs", viewer.c_str(), 7},
      {L"Verf\u00FCgbare PlugIns.lnk", nullptr, nullptr, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(1, CreateShortcutIn(folder.Path().c_str(), c.fileName, viewer.c_str(), c.arguments,
                                  c.iconFile, c.iconIndex));
    ExpectLink(folder.Path(), {c.fileName, viewer, c.arguments ? c.arguments : L"",
                               c.iconFile ? c.iconFile : L"", c.iconIndex, L""});
  }
}

TEST(CreateShortcutIn, OverwritesAnExistingLinkAndFailsInAMissingFolder) {
  lktest::TempFolder folder;
  ASSERT_EQ(1,
            CreateShortcutIn(folder.Path().c_str(), L"a.lnk", L"C:\\old.exe", L"/old", nullptr, 0));
  ASSERT_EQ(1,
            CreateShortcutIn(folder.Path().c_str(), L"a.lnk", L"C:\\new.exe", nullptr, nullptr, 0));
  ExpectLink(folder.Path(), {L"a.lnk", L"C:\\new.exe", L"", L"", 0, L""});

  const std::wstring missing = folder / L"missing\\";
  EXPECT_EQ(0, CreateShortcutIn(missing.c_str(), L"a.lnk", L"C:\\new.exe", nullptr, nullptr, 0));
  EXPECT_FALSE(FileExists(missing + L"a.lnk"));
}

// The desktop folders as the shell reports them. The shell keeps the desktop folder it
// saw first for the whole process, so these tests use the prefix's real desktops and
// remove what they saved.
class DesktopShortcut : public ::testing::Test {
 protected:
  void SetUp() override { RemoveLinks(); }
  void TearDown() override { RemoveLinks(); }
  void RemoveLinks() {
    for (const std::wstring& folder : {user_, common_}) {
      DeleteFileW((folder + kName).c_str());
    }
  }

  static constexpr wchar_t kName[] = L"Lumenkast Unit Test.lnk";
  const std::wstring user_ = lktest::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring common_ = lktest::SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const std::wstring viewer_ = std::wstring(kInstall) + L"lk_main64.exe";
};

TEST_F(DesktopShortcut, GoesToTheUserOrTheCommonDesktopWithItsProperties) {
  struct Case {
    int allUsers;
    std::wstring used;
    std::wstring unused;
  } cases[] = {{0, user_, common_}, {1, common_, user_}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.allUsers);
    EXPECT_EQ(1, CreateDesktopShortcut(viewer_.c_str(), kName, viewer_.c_str(),
                                       L"Lumenkast - Thumbnails", L"/thumbs", 7, c.allUsers));
    ExpectLink(c.used, {kName, viewer_, L"/thumbs", viewer_, 7, L"Lumenkast - Thumbnails"});
    EXPECT_FALSE(FileExists(c.unused + kName));
    RemoveLinks();
  }
}

TEST_F(DesktopShortcut, LinkThatCannotBeSavedIsNoted) {
  ASSERT_TRUE(CreateDirectoryW((user_ + kName).c_str(), nullptr));
  RegistrationFailures failures;
  EXPECT_EQ(0, CreateDesktopShortcut(viewer_.c_str(), kName, nullptr, nullptr, nullptr, 0, 0,
                                     &failures));
  RemoveDirectoryW((user_ + kName).c_str());
  EXPECT_EQ(user_ + kName, failures.First());
}

TEST_F(DesktopShortcut, WithoutIconOrArgumentsLeavesThemEmpty) {
  EXPECT_EQ(1, CreateDesktopShortcut(viewer_.c_str(), kName, nullptr,
                                     L"Lumenkast 64 - Bildbetrachter", nullptr, 0, 0));
  ExpectLink(user_, {kName, viewer_, L"", L"", 0, L"Lumenkast 64 - Bildbetrachter"});
}

// The programs folders of the process are pointed at temporary folders.
class ProgramGroup : public ::testing::Test {
 protected:
  lktest::ScratchRegistry registry_;
  lktest::RedirectedShellFolders folders_;
};

TEST_F(ProgramGroup, HoldsEveryLinkEvenForMissingTargets) {
  for (int allUsers : {0, 1}) {
    SCOPED_TRACE(allUsers);
    const std::wstring programs = allUsers ? folders_.CommonPrograms() : folders_.UserPrograms();
    const std::wstring other = allUsers ? folders_.UserPrograms() : folders_.CommonPrograms();
    CreateProgramGroup(kInstall, allUsers);

    const std::wstring group = programs + L"Lumenkast\\";
    for (const lktest::ExpectedLink& link : lktest::GroupLinks(kInstall)) ExpectLink(group, link);
    // Before Windows 8 the group also offers the uninstaller.
    const bool uninstallLink = FileExists(group + UninstallGroupLink(kInstall).fileName);
    EXPECT_EQ(!IsOsVersionAtLeast(6, 2), uninstallLink);
    if (uninstallLink) {
      ExpectLink(group, UninstallGroupLink(kInstall));
    }
    EXPECT_EQ(lktest::GroupLinks(kInstall).size() + (uninstallLink ? 1 : 0), CountFiles(group));
    EXPECT_FALSE(lktest::FolderExists(other + L"Lumenkast"));
    lktest::RemoveTree(group);
  }
}

TEST_F(ProgramGroup, ReplacesTheLinksOf444And442Only) {
  const std::wstring group = folders_.UserPrograms() + L"Lumenkast\\";
  CreateDirectoryW(group.c_str(), nullptr);
  for (const wchar_t* old : {L"Lumenkast 64 4.44.lnk", L"Lumenkast 64 4.42.lnk",
                             L"Lumenkast 64 4.41.lnk", L"Lumenkast 64 4.4.lnk"}) {
    ASSERT_TRUE(lktest::WriteFileBytes(group + old, "old"));
  }
  CreateProgramGroup(kInstall, 0);
  EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.44.lnk"));
  EXPECT_FALSE(FileExists(group + L"Lumenkast 64 4.42.lnk"));
  EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.41.lnk"));
  EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.4.lnk"));
  EXPECT_TRUE(FileExists(group + L"Lumenkast 64 4.50.lnk"));
}

TEST_F(ProgramGroup, BlockedGroupFolderSavesNoLinkAnywhere) {
  // A file where the group folder belongs.
  const std::wstring blocker = folders_.UserPrograms() + L"Lumenkast";
  ASSERT_TRUE(lktest::WriteFileBytes(blocker, "Datei"));
  RegistrationFailures failures;
  EXPECT_EQ(0, CreateProgramGroup(kInstall, 0, &failures));
  EXPECT_EQ("Datei", lktest::ReadFileBytes(blocker));
  EXPECT_EQ(1u, CountFiles(folders_.UserPrograms()));
  EXPECT_EQ(blocker + L"\\", failures.First());
}

// A link that cannot be saved is noted by its path; the others are still saved.
TEST_F(ProgramGroup, LinkThatCannotBeSavedIsNotedAndTheRestSaved) {
  const std::wstring group = folders_.UserPrograms() + L"Lumenkast\\";
  ASSERT_TRUE(CreateDirectoryW(group.c_str(), nullptr));
  // A folder where the link file belongs.
  ASSERT_TRUE(CreateDirectoryW((group + L"Was ist neu.lnk").c_str(), nullptr));
  RegistrationFailures failures;
  CreateProgramGroup(kInstall, 0, &failures);
  EXPECT_EQ(group + L"Was ist neu.lnk", failures.First());
  EXPECT_EQ(1, failures.Count());
  EXPECT_TRUE(FileExists(group + L"Lumenkast Hilfe.lnk"));
}

}  // namespace

#include "uninstall/shortcut_removal.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "integration/shortcuts.h"
#include "support/expected_installation.h"
#include "support/folder_link.h"
#include "support/installation_state.h"
#include "support/shell_folder_redirect.h"
#include "support/test_support.h"

namespace {

using lktest::FileExists;
using lktest::FolderExists;

constexpr wchar_t kInstall[] = L"C:\\Programme\\Lumenkast\\";
constexpr wchar_t kViewer[] = L"C:\\Programme\\Lumenkast\\lk_main64.exe";

// The setup's shortcut writer and the uninstaller's remover, with the programs folders
// redirected; the desktops are the prefix's own (the shell keeps the first it saw).
class ShortcutRemoval : public ::testing::Test {
 protected:
  ~ShortcutRemoval() override {
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) {
      const std::wstring desktop = lktest::SpecialFolder(csidl);
      for (const wchar_t* name : lktest::kDesktopLinkNames) DeleteFileW((desktop + name).c_str());
    }
  }
  static void SaveEverything(int allUsers) {
    ASSERT_TRUE(CreateProgramGroup(kInstall, allUsers));
    for (const wchar_t* name : lktest::kDesktopLinkNames) {
      ASSERT_TRUE(CreateDesktopShortcut(kViewer, name, nullptr, nullptr, nullptr, 0, allUsers));
    }
  }
  std::wstring Group(int allUsers) const {
    return (allUsers ? folders_.CommonPrograms() : folders_.UserPrograms()) + L"Lumenkast\\";
  }

  lktest::ScratchRegistry registry_;
  lktest::RedirectedShellFolders folders_;
};

// Whatever the setup saved, in either scope, is found where it was saved and removed; a
// file of the user's in a group keeps that group folder.
TEST_F(ShortcutRemoval, RemovesWhatTheSetupSavedInBothScopesAndNothingElse) {
  SaveEverything(0);
  SaveEverything(1);
  ASSERT_TRUE(lktest::WriteFileBytes(Group(1) + L"Notiz.txt", "mine"));

  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveShortcuts(&failures));

  EXPECT_TRUE(failures.empty());
  EXPECT_FALSE(FolderExists(Group(0)));
  EXPECT_EQ("mine", lktest::ReadFileBytes(Group(1) + L"Notiz.txt"));
  EXPECT_FALSE(FileExists(Group(1) + L"Lumenkast 64 4.50.lnk"));
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) {
    for (const wchar_t* name : lktest::kDesktopLinkNames) {
      EXPECT_FALSE(FileExists(lktest::SpecialFolder(csidl) + name)) << lktest::Narrow(name);
    }
  }
  // Nothing left to remove is no failure.
  EXPECT_EQ(1, RemoveShortcuts(&failures));
  EXPECT_TRUE(failures.empty());
}

// A link that stays (here held open without delete sharing) is listed by its path; the
// others go, and the list the caller passed in is kept.
TEST_F(ShortcutRemoval, ALinkThatCannotBeDeletedIsListed) {
  SaveEverything(0);
  const std::wstring held = Group(0) + L"Was ist neu.lnk";
  HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);

  std::vector<std::wstring> failures = {L"vorher"};
  const int result = RemoveShortcuts(&failures);
  CloseHandle(file);

  EXPECT_EQ(0, result);
  EXPECT_EQ((std::vector<std::wstring>{L"vorher", held}), failures);
  EXPECT_TRUE(FileExists(held));
  EXPECT_FALSE(FileExists(Group(0) + L"Lumenkast Hilfe.lnk"));
}

// A group folder that is a link to another folder is not the one the setup made: nothing
// behind it is deleted, even files with the links' names.
TEST_F(ShortcutRemoval, AGroupFolderThatIsALinkIsNotEntered) {
  lktest::TempFolder elsewhere;
  ASSERT_TRUE(lktest::WriteFileBytes(elsewhere / L"Was ist neu.lnk", "not a link of ours"));
  ASSERT_TRUE(lktest::MakeFolderLink(folders_.UserPrograms() + L"Lumenkast", elsewhere.Path()));

  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveShortcuts(&failures));
  const std::string kept = lktest::ReadFileBytes(elsewhere / L"Was ist neu.lnk");
  lktest::RemoveFolderLink(folders_.UserPrograms() + L"Lumenkast");
  EXPECT_EQ("not a link of ours", kept);
}

}  // namespace

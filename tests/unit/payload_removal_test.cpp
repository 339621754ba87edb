#include "uninstall/payload_removal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/folder_link.h"
#include "support/test_support.h"

namespace {

using lktest::FileExists;
using lktest::FolderExists;

// A payload list as the uninstaller has it compiled in: folders end in a backslash and
// come before what they contain.
const wchar_t* const kEntries[] = {
    L"a.txt",      L"lk_uninstall.exe", L"ro.txt",    L"held.dll",       L"missing.txt",
    L"Sub\\",      L"Sub\\b.txt",       L"Sub\\Deep\\", L"Sub\\Deep\\c.txt", L"Linked\\",
    L"Linked\\d.txt",
};
constexpr int kEntryCount = sizeof(kEntries) / sizeof(kEntries[0]);

class CountingProgress : public RemovalProgress {
 public:
  void Advance() override { ++count; }
  int count = 0;
};

// An installation folder with the payload's files (but missing.txt), a read-only file, a
// file of the user, and "Linked" a link to a folder outside that holds a file of the
// payload's name.
class PayloadRemoval : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring& f = folder_.Path();
    ASSERT_TRUE(CreateDirectoryW((f + L"Sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((f + L"Sub\\Deep").c_str(), nullptr));
    for (const wchar_t* name : {L"a.txt", L"lk_uninstall.exe", L"ro.txt", L"held.dll",
                                L"Sub\\b.txt", L"Sub\\Deep\\c.txt", L"Sub\\user.txt"}) {
      ASSERT_TRUE(lktest::WriteFileBytes(f + name, "x"));
    }
    SetFileAttributesW((f + L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(lktest::WriteFileBytes(outside_ / L"d.txt", "outside"));
    ASSERT_TRUE(lktest::MakeFolderLink(f + L"Linked", outside_.Path()));
    held_ = CreateFileW((f + L"held.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held_);
  }
  void TearDown() override {
    Release();
    lktest::RemoveFolderLink(folder_ / L"Linked");
  }
  void Release() {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
  }
  // The kept file as a short 8.3 path names it: the same file, spelt otherwise.
  std::wstring Keep() const {
    wchar_t shortPath[MAX_PATH] = {};
    GetShortPathNameW((folder_ / L"lk_uninstall.exe").c_str(), shortPath, MAX_PATH);
    return shortPath;
  }

  lktest::TempFolder outside_;
  lktest::TempFolder folder_;
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_F(PayloadRemoval, DeletesThePayloadsFilesButNotThroughALinkAndReportsWhatStays) {
  CountingProgress progress;
  std::vector<std::wstring> failures;
  EXPECT_EQ(0, RemovePayloadFiles(folder_.Path(), kEntries, kEntryCount, Keep(), &progress,
                                  &failures));

  // The entry behind the link is refused, and reported as staying.
  const std::vector<std::wstring> left = {folder_ / L"held.dll", folder_ / L"Linked\\d.txt"};
  EXPECT_EQ(left, failures);
  EXPECT_EQ(kEntryCount, progress.count);
  for (const wchar_t* gone : {L"a.txt", L"ro.txt", L"Sub\\b.txt", L"Sub\\Deep\\c.txt"}) {
    EXPECT_FALSE(FileExists(folder_ / gone)) << lktest::Narrow(gone);
  }
  EXPECT_TRUE(FileExists(folder_ / L"lk_uninstall.exe"));
  EXPECT_TRUE(FileExists(folder_ / L"Sub\\user.txt"));
  EXPECT_EQ("outside", lktest::ReadFileBytes(outside_ / L"d.txt"));

  // Emptied folders go, a folder with the user's file stays, and so the installation folder.
  EXPECT_EQ(0, RemoveEmptyPayloadFolders(folder_.Path(), kEntries, kEntryCount));
  EXPECT_FALSE(FolderExists(folder_ / L"Sub\\Deep"));
  EXPECT_TRUE(FolderExists(folder_ / L"Sub"));
  EXPECT_TRUE(FolderExists(folder_ / L"Linked\\"));  // the link, left alone

  // Once the file is free, a second pass deletes it; the link is the user's to remove.
  Release();
  failures.clear();
  EXPECT_EQ(0, RemovePayloadFiles(folder_.Path(), kEntries, kEntryCount, Keep(), nullptr,
                                  &failures));
  EXPECT_EQ(std::vector<std::wstring>{folder_ / L"Linked\\d.txt"}, failures);
  EXPECT_FALSE(FileExists(folder_ / L"held.dll"));
  EXPECT_EQ("outside", lktest::ReadFileBytes(outside_ / L"d.txt"));
}

// An installation folder that is itself a link an ordinary user could have made (under Wine
// every link is the user's): nothing behind it is deleted, every file is reported, and the
// link stays, also when nothing is left behind it (removing it would remove its target on
// some systems).
TEST_F(PayloadRemoval, AnInstallationFolderThatIsAUsersLinkIsNotFollowed) {
  lktest::TempFolder target;
  lktest::TempFolder parent;
  const std::wstring link = parent / L"Lumenkast";
  ASSERT_TRUE(lktest::MakeFolderLink(link, target.Path()));
  ASSERT_TRUE(lktest::WriteFileBytes(target / L"a.txt", "x"));
  const wchar_t* const entries[] = {L"a.txt"};

  std::vector<std::wstring> failures;
  EXPECT_EQ(0, RemovePayloadFiles(link + L"\\", entries, 1, L"", nullptr, &failures));
  EXPECT_EQ(std::vector<std::wstring>{link + L"\\a.txt"}, failures);
  EXPECT_EQ("x", lktest::ReadFileBytes(target / L"a.txt"));

  ASSERT_TRUE(DeleteFileW((target / L"a.txt").c_str()));
  EXPECT_EQ(0, RemoveEmptyPayloadFolders(link + L"\\", entries, 1));
  EXPECT_TRUE(FolderExists(link + L"\\"));
  EXPECT_TRUE(FolderExists(target.Path()));
  lktest::RemoveFolderLink(link);
}

}  // namespace

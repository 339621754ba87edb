#include "payload/install_transaction.h"

#include <gtest/gtest.h>

#include <string>

#include "payload/entry_output.h"
#include "support/test_support.h"

using lktest::FileExists;
using lktest::FolderExists;
using lktest::ReadFileBytes;
using lktest::WriteFileBytes;

namespace {

using Contents = lktest::TreeContents;
using lktest::DescribeTree;
using lktest::ReadTree;

// An earlier installation: two files at the top, one in a folder.
class InstallTransactionTest : public testing::Test {
 protected:
  InstallTransactionTest() {
    CreateDirectoryW((target_ / L"Plugins").c_str(), nullptr);
    WriteFileBytes(target_ / L"a.txt", "old a");
    WriteFileBytes(target_ / L"b.txt", "old b");
    WriteFileBytes(target_ / L"Plugins\\p.dll", "old p");
    before_ = ReadTree(target_.Path());
  }

  // What a run does: replaces a.txt and Plugins\p.dll, adds a file and a folder tree.
  void ChangeLikeAnUpdate(InstallTransaction* transaction) {
    EntryOutput output(transaction);
    for (const wchar_t* name : {L"a.txt", L"Plugins/p.dll", L"new.txt"}) {
      ASSERT_TRUE(output.BeginFile((target_ / name).c_str())) << lktest::Narrow(name);
      ASSERT_TRUE(output.Write("new", 3));
      output.EndFile(0x5B7B5000);
    }
    output.MakeFolderPath((target_ / L"Deep\\er").c_str());
    ASSERT_TRUE(output.BeginFile((target_ / L"Deep\\er\\x.txt").c_str()));
    output.AbandonFile();
  }

  lktest::TempFolder target_;
  Contents before_;
};

TEST_F(InstallTransactionTest, RollBackGivesTheEarlierFilesBackAndRemovesTheNewOnes) {
  InstallTransaction transaction(target_.Path().c_str());
  ChangeLikeAnUpdate(&transaction);
  EXPECT_EQ(ReadFileBytes(target_ / L"a.txt"), "new");
  EXPECT_EQ(ReadFileBytes(target_ / kSetAsideFolderName + L"\\Plugins\\p.dll"), "old p");
  EXPECT_TRUE(GetFileAttributesW((target_ / kSetAsideFolderName).c_str()) &
              FILE_ATTRIBUTE_HIDDEN);

  EXPECT_TRUE(transaction.RollBack());
  EXPECT_EQ(ReadTree(target_.Path()), before_) << DescribeTree(ReadTree(target_.Path()));
}

TEST_F(InstallTransactionTest, CommitKeepsTheNewFilesAndDropsTheSetAsideOnes) {
  InstallTransaction transaction(target_.Path().c_str());
  ChangeLikeAnUpdate(&transaction);
  transaction.Commit();
  const Contents after = ReadTree(target_.Path());
  const Contents expected = {{L"a.txt", "new"},          {L"b.txt", "old b"},
                             {L"new.txt", "new"},        {L"Plugins\\", ""},
                             {L"Plugins\\p.dll", "new"}, {L"Deep\\", ""},
                             {L"Deep\\er\\", ""},        {L"Deep\\er\\x.txt", ""}};
  EXPECT_EQ(after, expected) << DescribeTree(after);
}

// A killed run leaves only the hidden folder: the next run puts its files back over what
// the killed run wrote, and its new files stay until they are replaced.
TEST_F(InstallTransactionTest, LeftoversOfAKilledRunAreRecoveredWithoutAJournal) {
  {
    InstallTransaction killed(target_.Path().c_str());
    ChangeLikeAnUpdate(&killed);
  }
  EXPECT_TRUE(InstallTransaction::RecoverLeftovers(target_.Path().c_str()));
  Contents after = ReadTree(target_.Path());
  EXPECT_EQ(after.erase(L"new.txt") + after.erase(L"Deep\\") + after.erase(L"Deep\\er\\") +
                after.erase(L"Deep\\er\\x.txt"),
            4u);
  EXPECT_EQ(after, before_) << DescribeTree(after);
  // Nothing left over: recovery is a no-op that succeeds.
  EXPECT_TRUE(InstallTransaction::RecoverLeftovers(target_.Path().c_str()));
}

TEST_F(InstallTransactionTest, FreshInstallationRollsBackToNothing) {
  lktest::TempFolder root;
  const std::wstring fresh = root / L"Fresh\\";
  ASSERT_TRUE(CreateDirectoryW(fresh.c_str(), nullptr));
  InstallTransaction transaction(fresh.c_str());
  ASSERT_TRUE(transaction.RecordCreatedFolder(fresh.c_str()));
  EntryOutput output(&transaction);
  output.MakeFolder((fresh + L"Sub/").c_str());
  ASSERT_TRUE(output.BeginFile((fresh + L"Sub/f.txt").c_str()));
  output.EndFile(0);

  EXPECT_TRUE(transaction.RollBack());
  EXPECT_TRUE(ReadTree(root.Path()).empty()) << DescribeTree(ReadTree(root.Path()));
}

TEST_F(InstallTransactionTest, ExistingFileThatCannotBeSetAsideIsRefusedUntouched) {
  enum class Guard { kReadOnly, kHeldOpen };
  for (Guard guard : {Guard::kReadOnly, Guard::kHeldOpen}) {
    SCOPED_TRACE(guard == Guard::kReadOnly ? "read-only" : "held open");
    const std::wstring file = target_ / L"b.txt";
    HANDLE held = INVALID_HANDLE_VALUE;
    if (guard == Guard::kReadOnly) {
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    } else {
      held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    InstallTransaction transaction(target_.Path().c_str());
    EntryOutput output(&transaction);
    EXPECT_FALSE(output.BeginFile(file.c_str()));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(transaction.RollBack());
    EXPECT_EQ(ReadTree(target_.Path()), before_) << DescribeTree(ReadTree(target_.Path()));
  }
}

// A hard link into the target is set aside as a name: the file outside keeps its bytes,
// whether the run keeps its files or not.
TEST_F(InstallTransactionTest, HardLinkedFileIsNeverWrittenThrough) {
  lktest::TempFolder outside;
  for (bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "commit" : "roll back");
    const std::wstring other = outside / L"other.txt";
    ASSERT_TRUE(WriteFileBytes(other, "outside"));
    const std::wstring linked = target_ / L"linked.txt";
    DeleteFileW(linked.c_str());
    ASSERT_TRUE(CreateHardLinkW(linked.c_str(), other.c_str(), nullptr));
    InstallTransaction transaction(target_.Path().c_str());
    EntryOutput output(&transaction);
    ASSERT_TRUE(output.BeginFile(linked.c_str()));
    ASSERT_TRUE(output.Write("new", 3));
    output.EndFile(0);
    if (commit) {
      transaction.Commit();
      EXPECT_EQ(ReadFileBytes(linked), "new");
    } else {
      EXPECT_TRUE(transaction.RollBack());
      EXPECT_EQ(ReadFileBytes(linked), "outside");
    }
    EXPECT_EQ(ReadFileBytes(other), "outside");
    EXPECT_FALSE(FolderExists(target_ / kSetAsideFolderName));
  }
}

// A link of the hidden folder's name is never followed: it is removed, or the recovery
// refuses (and with it the installation).
TEST_F(InstallTransactionTest, RecoveryDoesNotFollowALinkNamedLikeItsFolder) {
  lktest::TempFolder outside;
  ASSERT_TRUE(WriteFileBytes(outside / L"a.txt", "outside a"));
  const std::wstring link = target_ / kSetAsideFolderName;
  ASSERT_TRUE(lktest::MakeSymbolicLink(outside.Path(), link));
  const bool recovered = InstallTransaction::RecoverLeftovers(target_.Path().c_str());
  EXPECT_EQ(recovered, GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadFileBytes(target_ / L"a.txt"), "old a");
  EXPECT_EQ(ReadFileBytes(outside / L"a.txt"), "outside a");
  if (!recovered) lktest::RemoveSymbolicLink(link);
}

}  // namespace

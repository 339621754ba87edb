#include "payload/install_transaction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/protected_folder.h"
#include "framework/scoped_handles.h"
#include "payload/entry_output.h"
#include "payload/install_journal.h"
#include "payload/no_follow_deletion.h"
#include "support/test_support.h"

using lktest::FileExists;
using lktest::FolderExists;
using lktest::ReadFileBytes;
using lktest::WriteFileBytes;

namespace {

using Contents = lktest::TreeContents;
using lktest::DescribeTree;
using lktest::ReadTree;

std::wstring SetAsideFile(const lktest::TempFolder& target, const std::wstring& name) {
  return target / kSetAsideFolderName + L"\\" + kSetAsideFilesName + L"\\" + name;
}

// The descriptor the folder at path has, read back through a handle on the name itself.
bool IsAdministratorsOnly(const std::wstring& path, const std::wstring& referenceParent) {
  lk::ScopedFileHandle folder(CreateFileW(
      path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
      nullptr));
  return folder && lk::HasProtection(folder.Get(), lk::FolderProtection::kAdministratorsOnly,
                                     referenceParent.c_str());
}

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
    EntryOutput output(target_.Path().c_str(), transaction);
    for (const wchar_t* name : {L"a.txt", L"Plugins/p.dll", L"new.txt"}) {
      ASSERT_TRUE(output.BeginFile(name)) << lktest::Narrow(name);
      ASSERT_TRUE(output.Write("new", 3));
      output.EndFile(0x5B7B5000);
    }
    output.MakeFolderPath(L"Deep\\er");
    ASSERT_TRUE(output.BeginFile(L"Deep\\er\\x.txt"));
    output.AbandonFile();
  }

  // The tree after ChangeLikeAnUpdate was kept.
  Contents Updated() const {
    return {{L"a.txt", "new"},          {L"b.txt", "old b"},
            {L"new.txt", "new"},        {L"Plugins\\", ""},
            {L"Plugins\\p.dll", "new"}, {L"Deep\\", ""},
            {L"Deep\\er\\", ""},        {L"Deep\\er\\x.txt", ""}};
  }

  // A run killed after ChangeLikeAnUpdate: what it wrote and its set-aside folder stay.
  void KillAnUpdate() {
    InstallTransaction killed(target_.Path().c_str());
    ChangeLikeAnUpdate(&killed);
  }

  lktest::TempFolder target_;
  Contents before_;
};

TEST_F(InstallTransactionTest, RollBackGivesTheEarlierFilesBackAndRemovesTheNewOnes) {
  InstallTransaction transaction(target_.Path().c_str());
  ChangeLikeAnUpdate(&transaction);
  EXPECT_EQ(ReadFileBytes(target_ / L"a.txt"), "new");
  EXPECT_EQ(ReadFileBytes(SetAsideFile(target_, L"Plugins\\p.dll")), "old p");
  const std::wstring setAside = target_ / kSetAsideFolderName;
  EXPECT_TRUE(GetFileAttributesW(setAside.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(IsAdministratorsOnly(setAside, target_.Path()));

  EXPECT_TRUE(transaction.RollBack());
  EXPECT_EQ(ReadTree(target_.Path()), before_) << DescribeTree(ReadTree(target_.Path()));
}

TEST_F(InstallTransactionTest, CommitKeepsTheNewFilesAndDropsTheSetAsideOnes) {
  InstallTransaction transaction(target_.Path().c_str());
  ChangeLikeAnUpdate(&transaction);
  EXPECT_TRUE(transaction.Commit());
  const Contents after = ReadTree(target_.Path());
  EXPECT_EQ(after, Updated()) << DescribeTree(after);
}

// A killed run leaves its set-aside folder with the journal: the next run removes what the
// killed one created and puts the earlier files back, whatever it installs afterwards.
TEST_F(InstallTransactionTest, LeftoversOfAKilledRunAreRecoveredToTheEarlierState) {
  KillAnUpdate();
  std::vector<std::wstring> notRestored;
  EXPECT_EQ(InstallTransaction::RecoverLeftovers(target_.Path().c_str(), &notRestored),
            Recovery::kDone);
  EXPECT_TRUE(notRestored.empty());
  EXPECT_EQ(ReadTree(target_.Path()), before_) << DescribeTree(ReadTree(target_.Path()));
  // Nothing left over: recovery is a no-op that succeeds.
  EXPECT_EQ(InstallTransaction::RecoverLeftovers(target_.Path().c_str()), Recovery::kDone);
}

// Only while a name still holds the file or folder the killed run made is it removed: a
// file put there since, and a folder that is no longer empty, stay. A file the run had
// announced but not yet recorded goes only while it is empty: it can only be the one the
// run had just created. (The file moved away is kept, so that its number is not reused.)
TEST_F(InstallTransactionTest, RecoveryRemovesOnlyWhatTheKilledRunCreated) {
  lktest::TempFolder elsewhere;
  {
    InstallTransaction killed(target_.Path().c_str());
    ChangeLikeAnUpdate(&killed);
    for (const wchar_t* name : {L"unrecorded.txt", L"b.txt"}) {
      ASSERT_TRUE(killed.WillCreateFile((target_ / name).c_str()));
    }
    ASSERT_TRUE(WriteFileBytes(target_ / L"unrecorded.txt", ""));
  }
  ASSERT_TRUE(MoveFileW((target_ / L"new.txt").c_str(), (elsewhere / L"new.txt").c_str()));
  ASSERT_TRUE(WriteFileBytes(target_ / L"new.txt", "the user's"));
  ASSERT_TRUE(WriteFileBytes(target_ / L"Deep\\mine.txt", "the user's too"));

  EXPECT_EQ(InstallTransaction::RecoverLeftovers(target_.Path().c_str()), Recovery::kDone);
  Contents expected = before_;
  expected[L"new.txt"] = "the user's";
  expected[L"Deep\\"] = "";
  expected[L"Deep\\mine.txt"] = "the user's too";
  EXPECT_EQ(ReadTree(target_.Path()), expected) << DescribeTree(ReadTree(target_.Path()));
}

// The identities a run records are the ones the recovery will read from the same names
// (the volume's serial included, which the run reads once, and the file's own number):
// anything else would make the recovery leave the run's files, or take another's.
TEST_F(InstallTransactionTest, RecordedIdentitiesAreTheOnesTheNamesHave) {
  KillAnUpdate();
  std::vector<CreatedEntry> created;
  ASSERT_TRUE(ReadInstallJournal(target_ / kSetAsideFolderName + L"\\" + kJournalFileName,
                                 &created));
  std::vector<std::wstring> names;
  for (const CreatedEntry& entry : created) {
    if (!entry.identified) continue;
    names.push_back(entry.name);
    lk::ScopedFileHandle opened(CreateFileW(
        (target_ / entry.name).c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    lk::FileIdentity own;
    ASSERT_TRUE(opened && QueryOwnIdentity(opened.Get(), &own)) << lktest::Narrow(entry.name);
    EXPECT_EQ(entry.identity, own) << lktest::Narrow(entry.name);
    EXPECT_NE(entry.identity.volumeSerial, 0u) << lktest::Narrow(entry.name);
  }
  // Files and folders alike, the abandoned (empty) file too.
  EXPECT_EQ(names, (std::vector<std::wstring>{L"a.txt", L"Plugins\\p.dll", L"new.txt", L"Deep",
                                              L"Deep\\er", L"Deep\\er\\x.txt"}));
}

// A commit killed after its rename leaves a discard folder, part emptied: it is only
// deleted, never restored from, and the new version stays.
TEST_F(InstallTransactionTest, ADiscardFolderIsOnlyDeleted) {
  {
    InstallTransaction transaction(target_.Path().c_str());
    ChangeLikeAnUpdate(&transaction);
  }
  const std::wstring discard = target_ / kDiscardFolderName;
  ASSERT_TRUE(MoveFileW((target_ / kSetAsideFolderName).c_str(), discard.c_str()));
  ASSERT_TRUE(DeleteFileW((discard + L"\\" + kSetAsideFilesName + L"\\a.txt").c_str()));
  // The journal still names the new files: nothing of it is used.
  EXPECT_EQ(InstallTransaction::RecoverLeftovers(target_.Path().c_str()), Recovery::kDone);
  EXPECT_EQ(ReadTree(target_.Path()), Updated()) << DescribeTree(ReadTree(target_.Path()));
}

TEST_F(InstallTransactionTest, FreshInstallationRollsBackToNothing) {
  lktest::TempFolder root;
  const std::wstring fresh = root / L"Fresh\\";
  ASSERT_TRUE(CreateDirectoryW(fresh.c_str(), nullptr));
  InstallTransaction transaction(fresh.c_str());
  ASSERT_TRUE(transaction.RecordCreatedFolder(fresh.c_str()));
  {
    EntryOutput output(fresh.c_str(), &transaction);
    output.MakeFolder(L"Sub/");
    ASSERT_TRUE(output.BeginFile(L"Sub/f.txt"));
    output.EndFile(0);
  }

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
    EntryOutput output(target_.Path().c_str(), &transaction);
    EXPECT_FALSE(output.BeginFile(L"b.txt"));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(transaction.RollBack());
    EXPECT_EQ(ReadTree(target_.Path()), before_) << DescribeTree(ReadTree(target_.Path()));
  }
}

// A hard link into the target is set aside as a name: the file outside keeps its bytes and
// its attributes (read-only and hidden, which no deletion of the name may take off),
// whether the run keeps its files or not.
TEST_F(InstallTransactionTest, HardLinkedFileIsNeverWrittenThrough) {
  lktest::TempFolder outside;
  constexpr DWORD kOutsideAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  for (bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "commit" : "roll back");
    const std::wstring other = outside / L"other.txt";
    const std::wstring linked = target_ / L"linked.txt";
    SetFileAttributesW(other.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(linked.c_str());
    ASSERT_TRUE(WriteFileBytes(other, "outside"));
    ASSERT_TRUE(SetFileAttributesW(other.c_str(), kOutsideAttributes));
    ASSERT_TRUE(CreateHardLinkW(linked.c_str(), other.c_str(), nullptr));
    InstallTransaction transaction(target_.Path().c_str());
    ASSERT_TRUE(transaction.SetAside(linked.c_str()));
    EntryOutput output(target_.Path().c_str(), &transaction);
    ASSERT_TRUE(output.BeginFile(L"linked.txt"));
    ASSERT_TRUE(output.Write("new", 3));
    output.EndFile(0);
    if (commit) {
      EXPECT_TRUE(transaction.Commit());
      EXPECT_EQ(ReadFileBytes(linked), "new");
    } else {
      EXPECT_TRUE(transaction.RollBack());
      EXPECT_EQ(ReadFileBytes(linked), "outside");
    }
    EXPECT_EQ(ReadFileBytes(other), "outside");
    EXPECT_EQ(GetFileAttributesW(other.c_str()) & (kOutsideAttributes | FILE_ATTRIBUTE_NORMAL),
              kOutsideAttributes);
    EXPECT_FALSE(FolderExists(target_ / kSetAsideFolderName));
  }
}

// A folder of the set-aside folder's name that the setup did not make (a plain folder as any
// user makes one, or a link) is never used: the recovery refuses and leaves it, and nothing
// outside or inside the target changes.
TEST_F(InstallTransactionTest, UntrustedSetAsideFolderIsLeftAlone) {
  lktest::TempFolder outside;
  ASSERT_TRUE(CreateDirectoryW((outside / L"files").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(outside / L"files\\a.txt", "planted a"));
  const std::wstring setAside = target_ / kSetAsideFolderName;
  for (bool link : {false, true}) {
    SCOPED_TRACE(link ? "link" : "plain folder");
    if (link) {
      ASSERT_TRUE(lktest::MakeSymbolicLink(outside.Path(), setAside));
    } else {
      ASSERT_TRUE(CreateDirectoryW(setAside.c_str(), nullptr));
      ASSERT_TRUE(CreateDirectoryW((setAside + L"\\files").c_str(), nullptr));
      ASSERT_TRUE(WriteFileBytes(setAside + L"\\files\\a.txt", "planted a"));
    }
    EXPECT_EQ(InstallTransaction::RecoverLeftovers(target_.Path().c_str()), Recovery::kUntrusted);
    EXPECT_EQ(ReadFileBytes(target_ / L"a.txt"), "old a");
    EXPECT_EQ(ReadFileBytes(outside / L"files\\a.txt"), "planted a");
    EXPECT_EQ(ReadFileBytes(setAside + L"\\files\\a.txt"), "planted a");
    if (link) {
      lktest::RemoveSymbolicLink(setAside);
    } else {
      lktest::RemoveTree(setAside);
    }
  }
}

// A folder of the target that became a link to elsewhere since the files were set aside:
// nothing is moved through it. The file stays set aside and the recovery names it.
TEST_F(InstallTransactionTest, NothingIsPutBackThroughALink) {
  lktest::TempFolder outside;
  ASSERT_TRUE(WriteFileBytes(outside / L"p.dll", "outside p"));
  KillAnUpdate();
  const std::wstring plugins = target_ / L"Plugins";
  ASSERT_TRUE(DeleteFileW((plugins + L"\\p.dll").c_str()));
  ASSERT_TRUE(RemoveDirectoryW(plugins.c_str()));
  lktest::ScopedSymbolicLink link(outside.Path(), plugins);
  ASSERT_TRUE(link.Made());

  std::vector<std::wstring> notRestored;
  EXPECT_EQ(InstallTransaction::RecoverLeftovers(target_.Path().c_str(), &notRestored),
            Recovery::kIncomplete);
  EXPECT_EQ(notRestored, std::vector<std::wstring>{plugins});
  EXPECT_EQ(ReadFileBytes(outside / L"p.dll"), "outside p");
  EXPECT_EQ(lktest::ListFolder(outside.Path()), std::vector<std::wstring>{L"p.dll"});
  EXPECT_EQ(ReadFileBytes(SetAsideFile(target_, L"Plugins\\p.dll")), "old p");
  EXPECT_EQ(ReadFileBytes(target_ / L"a.txt"), "old a");
}

// A folder of the target swapped for a link after the walk found it plain: setting a file
// aside through it would carry the file from where the link leads into the set-aside
// folder, and the commit would delete it. The name is checked through the handle that
// moves it: refused, and the file elsewhere stays where and as it is.
TEST_F(InstallTransactionTest, NothingIsSetAsideThroughAFolderSwappedForALink) {
  lktest::TempFolder outside;
  ASSERT_TRUE(WriteFileBytes(outside / L"p.dll", "outside p"));
  const std::wstring plugins = target_ / L"Plugins";
  ASSERT_TRUE(MoveFileW(plugins.c_str(), (target_ / L"Plugins.old").c_str()));
  lktest::ScopedSymbolicLink link(outside.Path(), plugins);
  ASSERT_TRUE(link.Made());

  InstallTransaction transaction(target_.Path().c_str());
  EXPECT_FALSE(transaction.SetAside((plugins + L"\\p.dll").c_str()));
  EXPECT_TRUE(transaction.Commit());

  EXPECT_EQ(lktest::ListFolder(outside.Path()), std::vector<std::wstring>{L"p.dll"});
  EXPECT_EQ(ReadFileBytes(outside / L"p.dll"), "outside p");
}

// A journal as a killed run may leave it: the last record cut short, a folder announced
// that existed, a file announced but killed before its identity, one not created after
// all, names no run writes. Only whole records count, the latest of a name replacing
// earlier ones.
TEST(InstallJournal, OnlyWholeRecordsOfCreatedNamesCount) {
  lktest::TempFolder folder;
  const std::wstring path = folder / kJournalFileName;
  {
    InstallJournal journal;
    ASSERT_TRUE(journal.Create(path));
    ASSERT_TRUE(journal.WillCreateFile(L"a.txt"));
    ASSERT_TRUE(journal.Created(L"a.txt", {1, 2, 3}));
    ASSERT_TRUE(journal.WillCreateFolder(L"Sub"));
    ASSERT_TRUE(journal.Created(L"Sub", {1, 0, 7}));
    ASSERT_TRUE(journal.WillCreateFolder(L"Existing"));
    ASSERT_TRUE(journal.WillCreateFile(L"unrecorded.txt"));
    ASSERT_TRUE(journal.WillCreateFile(L"taken.txt"));
    ASSERT_TRUE(journal.NotCreated(L"taken.txt"));
    ASSERT_TRUE(journal.Created(L"A.TXT", {1, 2, 4}));
    ASSERT_TRUE(journal.Created(L"..\\outside.txt", {1, 0, 9}));
    ASSERT_TRUE(journal.Created(L"C:\\x.txt", {1, 0, 10}));
    ASSERT_TRUE(journal.Created(L"cut.txt", {1, 0, 11}));
  }
  // The last record loses its line end and a few characters, as a torn write would.
  std::string bytes = ReadFileBytes(path);
  bytes.resize(bytes.size() - 2 * 4);
  ASSERT_TRUE(WriteFileBytes(path, bytes));

  std::vector<CreatedEntry> created;
  ASSERT_TRUE(ReadInstallJournal(path, &created));
  ASSERT_EQ(created.size(), 3u);
  EXPECT_EQ(created[0].name, L"Sub");
  EXPECT_EQ(created[0].identity, (lk::FileIdentity{1, 0, 7}));
  EXPECT_EQ(created[1].name, L"unrecorded.txt");
  EXPECT_FALSE(created[1].identified);
  EXPECT_EQ(created[2].name, L"A.TXT");
  EXPECT_EQ(created[2].identity, (lk::FileIdentity{1, 2, 4}));
  EXPECT_TRUE(created[0].identified && created[2].identified);
}

}  // namespace

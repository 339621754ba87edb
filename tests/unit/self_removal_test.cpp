#include "uninstall/self_removal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/test_support.h"

namespace {

using lktest::FileExists;

// The copy deletes the uninstaller's file only while it is still that file: a file a
// reinstall wrote meanwhile, under the same name or another, stays, and so does the folder.
TEST(SelfRemoval, DeletesOnlyTheFileItWasStartedFor) {
  lktest::TempFolder folder;
  const std::wstring renamed = folder / L"lk_uninstall.exe.0000002a.del";
  ASSERT_TRUE(lktest::WriteFileBytes(renamed, "old uninstaller"));
  lk::FileIdentity identity;
  ASSERT_TRUE(lk::QueryFileIdentity(renamed.c_str(), &identity));

  // Replaced by another file of that name: it stays.
  ASSERT_TRUE(lktest::WriteFileBytes(folder / L"new", "new file"));
  ASSERT_TRUE(MoveFileExW((folder / L"new").c_str(), renamed.c_str(), MOVEFILE_REPLACE_EXISTING));
  lk::FileIdentity other;
  ASSERT_TRUE(lk::QueryFileIdentity(renamed.c_str(), &other));
  ASSERT_TRUE(other != identity);
  RemoveUninstallerFile(renamed, identity);
  EXPECT_EQ("new file", lktest::ReadFileBytes(renamed));

  // Its own file goes; the new uninstaller of a reinstall beside it stays with the folder.
  ASSERT_TRUE(lk::QueryFileIdentity(renamed.c_str(), &identity));
  ASSERT_TRUE(lktest::WriteFileBytes(folder / L"lk_uninstall.exe", "reinstalled"));
  RemoveUninstallerFile(renamed, identity);
  EXPECT_FALSE(FileExists(renamed));
  EXPECT_EQ("reinstalled", lktest::ReadFileBytes(folder / L"lk_uninstall.exe"));

  // Never a file of another name, whatever its identity.
  const std::wstring foreign = folder / L"notes.txt";
  ASSERT_TRUE(lktest::WriteFileBytes(foreign, "mine"));
  ASSERT_TRUE(lk::QueryFileIdentity(foreign.c_str(), &identity));
  RemoveUninstallerFile(foreign, identity);
  EXPECT_TRUE(FileExists(foreign));
  EXPECT_TRUE(lktest::FolderExists(folder.Path()));
}

TEST(SelfRemoval, IdentityTextRoundTrip) {
  const lk::FileIdentity identity{0x43000000, 0x12, 0xa72005};
  lk::FileIdentity parsed;
  ASSERT_TRUE(ParseIdentityText(IdentityText(identity), &parsed));
  EXPECT_TRUE(parsed == identity);
  for (const wchar_t* bad : {L"", L"43000000-00000012", L"43000000-00000012-00a7200g",
                             L"43000000+00000012-00a72005", L"43000000-00000012-00a720050"}) {
    EXPECT_FALSE(ParseIdentityText(bad, &parsed)) << lktest::Narrow(bad);
  }
}

}  // namespace

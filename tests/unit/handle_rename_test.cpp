// Moves through handles. Wine carries such a move out by the names the handles were opened
// with (a probe renamed the names after opening: Wine moved whatever had their names by
// then), so what these tests can show here is the request itself: the folder and the name a
// file lands under, and a taken name replaced only when asked. That the file moved is the
// one opened, into the folder opened, is the system's guarantee on Windows.
#include "framework/handle_rename.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/file_links.h"
#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace {

lk::ScopedFileHandle OpenForMove(const std::wstring& path) {
  return lk::OpenNameItself(path, DELETE | FILE_READ_ATTRIBUTES);
}

// Into a folder given by its handle, under a name of its own, and over a file of that name
// only when asked; without a folder nothing moves.
TEST(RenameOpenedInto, LandsInTheFolderUnderTheNameAndReplacesOnlyWhenAsked) {
  lktest::TempFolder root;
  ASSERT_TRUE(CreateDirectoryW((root / L"dest").c_str(), nullptr));
  ASSERT_TRUE(lktest::WriteFileBytes(root / L"file.txt", "moved"));
  ASSERT_TRUE(lktest::WriteFileBytes(root / L"dest\\taken.txt", "taken"));
  {
    lk::ScopedFileHandle folder = lk::HoldFolder(root / L"dest");
    lk::ScopedFileHandle file = OpenForMove(root / L"file.txt");
    ASSERT_TRUE(folder && file);
    EXPECT_FALSE(lk::RenameOpenedInto(file.Get(), nullptr, L"elsewhere.txt", false));
    EXPECT_FALSE(lk::RenameOpenedInto(file.Get(), folder.Get(), L"taken.txt", false));
    EXPECT_EQ("taken", lktest::ReadFileBytes(root / L"dest\\taken.txt"));
    EXPECT_TRUE(lk::RenameOpenedInto(file.Get(), folder.Get(), L"taken.txt", true));
  }

  EXPECT_EQ("moved", lktest::ReadFileBytes(root / L"dest\\taken.txt"));
  EXPECT_EQ(std::vector<std::wstring>{L"taken.txt"}, lktest::ListFolder(root / L"dest\\"));
  EXPECT_EQ(std::vector<std::wstring>{L"dest"}, lktest::ListFolder(root.Path()));
}

TEST(RenameOpened, MovesToTheFullPathAndReplacesOnlyWhenAsked) {
  lktest::TempFolder root;
  ASSERT_TRUE(CreateDirectoryW((root / L"sub").c_str(), nullptr));
  ASSERT_TRUE(lktest::WriteFileBytes(root / L"a.txt", "a"));
  ASSERT_TRUE(lktest::WriteFileBytes(root / L"sub\\taken.txt", "taken"));
  {
    lk::ScopedFileHandle file = OpenForMove(root / L"a.txt");
    ASSERT_TRUE(file);
    EXPECT_FALSE(lk::RenameOpened(file.Get(), root / L"sub\\taken.txt", false));
    EXPECT_EQ("taken", lktest::ReadFileBytes(root / L"sub\\taken.txt"));
    EXPECT_TRUE(lk::RenameOpened(file.Get(), root / L"sub\\taken.txt", true));
  }

  EXPECT_EQ("a", lktest::ReadFileBytes(root / L"sub\\taken.txt"));
  EXPECT_EQ(std::vector<std::wstring>{L"sub"}, lktest::ListFolder(root.Path()));
}

}  // namespace

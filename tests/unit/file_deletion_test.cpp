#include "uninstall/file_deletion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/folder_link.h"
#include "support/test_support.h"

namespace {

using lktest::FileExists;

constexpr DWORD kOutsideAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

// A file that another process holds open with delete sharing (a virus scanner, the search
// indexer) is deleted: the mark is set, and the name goes when that process lets go.
TEST(FileDeletion, AFileHeldWithDeleteSharingCountsAsDeleted) {
  lktest::TempFolder folder;
  const std::wstring path = folder / L"held.dll";
  ASSERT_TRUE(lktest::WriteFileBytes(path, "x"));
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(1, DeleteFileNoFollow(folder.Path(), path));
  CloseHandle(held);
  EXPECT_FALSE(FileExists(path));
}

// A read-only file of one name goes; one held without delete sharing stays, with its
// attribute as it was.
TEST(FileDeletion, AReadOnlyFileGoesAndKeepsItsAttributeWhenItCannot) {
  lktest::TempFolder folder;
  const std::wstring path = folder / L"ro.txt";
  ASSERT_TRUE(lktest::WriteFileBytes(path, "x"));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  const DWORD before = GetFileAttributesW(path.c_str());
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(0, DeleteFileNoFollow(folder.Path(), path));
  CloseHandle(held);
  EXPECT_EQ(before, GetFileAttributesW(path.c_str()));

  EXPECT_EQ(1, DeleteFileNoFollow(folder.Path(), path));
  EXPECT_FALSE(FileExists(path));
}

// A name that is a second name of a read-only, hidden file outside: the attributes belong
// to that file and are never changed. Where the system can delete ignoring the attribute,
// only the name goes; elsewhere (Wine) the name stays and is reported. Either way the file
// outside keeps its content and attributes.
TEST(FileDeletion, ASecondNameOfAReadOnlyFileNeverChangesItsAttributes) {
  lktest::TempFolder folder;
  lktest::TempFolder outside;
  const std::wstring original = outside / L"secret.ini";
  const std::wstring name = folder / L"lk_main64.ini";
  ASSERT_TRUE(lktest::WriteFileBytes(original, "outside"));
  ASSERT_TRUE(CreateHardLinkW(name.c_str(), original.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW(original.c_str(), kOutsideAttributes));
  const DWORD before = GetFileAttributesW(original.c_str());
  ASSERT_TRUE(before & FILE_ATTRIBUTE_READONLY);

  const int deleted = DeleteFileNoFollow(folder.Path(), name);

  EXPECT_EQ(deleted == 1, !FileExists(name));
  EXPECT_EQ(before, GetFileAttributesW(original.c_str()));
  EXPECT_EQ("outside", lktest::ReadFileBytes(original));
  SetFileAttributesW(original.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A folder below the chosen one swapped for a link after the caller's check (here: before
// the call): what the name opens lies elsewhere, so neither the file behind it nor the
// folder it leads to is deleted.
TEST(FileDeletion, AFolderSwappedForALinkIsNotFollowed) {
  lktest::TempFolder chosen;
  lktest::TempFolder outside;
  ASSERT_TRUE(CreateDirectoryW((outside / L"Leer").c_str(), nullptr));
  ASSERT_TRUE(lktest::WriteFileBytes(outside / L"Formats.dll", "outside"));
  ASSERT_TRUE(lktest::MakeFolderLink(chosen / L"Plugins", outside.Path()));

  EXPECT_EQ(0, DeleteFileNoFollow(chosen.Path(), chosen / L"Plugins\\Formats.dll"));
  EXPECT_EQ(0, RemoveEmptyFolderNoFollow(chosen.Path(), chosen / L"Plugins\\Leer"));
  lktest::RemoveFolderLink(chosen / L"Plugins");

  EXPECT_EQ("outside", lktest::ReadFileBytes(outside / L"Formats.dll"));
  EXPECT_TRUE(lktest::FolderExists(outside / L"Leer"));
}

}  // namespace

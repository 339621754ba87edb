#include "framework/unique_file.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// Each call makes a file of its own, new and empty, named after stem and extension with
// four characters between them; the names of other files in the folder are left alone.
TEST(CreateUniqueFile, MakesANewFileOfItsOwnNextToAnyOther) {
  lktest::TempFolder folder;
  ASSERT_TRUE(lktest::WriteFileBytes(folder / L"lk_main64.ini_temp", "planted"));
  std::vector<std::wstring> paths;
  for (int i = 0; i < 3; ++i) {
    wchar_t path[MAX_PATH] = {};
    lk::ScopedFileHandle file = lk::CreateUniqueFile(folder.Path().c_str(), L"lk_main64.ini_",
                                                     L".x", FILE_ATTRIBUTE_NORMAL, path, MAX_PATH);
    ASSERT_TRUE(file);
    const std::wstring name = std::wstring(path).substr(folder.Path().size());
    ASSERT_EQ(name.size(), 14u + 4u + 2u) << lktest::Narrow(name);
    EXPECT_EQ(0u, name.rfind(L"lk_main64.ini_", 0)) << lktest::Narrow(name);
    EXPECT_EQ(std::wstring::npos, name.substr(14, 4).find_first_not_of(
                                      L"0123456789abcdefghijklmnopqrstuv"))
        << lktest::Narrow(name);
    EXPECT_EQ(L".x", name.substr(name.size() - 2));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file.Get(), "new", 3, &written, nullptr));
    paths.push_back(path);
  }
  EXPECT_NE(paths[0], paths[1]);
  EXPECT_NE(paths[1], paths[2]);
  for (const std::wstring& path : paths) EXPECT_EQ("new", lktest::ReadFileBytes(path));
  EXPECT_EQ("planted", lktest::ReadFileBytes(folder / L"lk_main64.ini_temp"));
}

TEST(CreateUniqueFile, NoFileInAFolderThatIsNotThereOrAPathTooLong) {
  lktest::TempFolder folder;
  const std::wstring tooLong = folder.Path() + std::wstring(240, L'd') + L"\\";
  for (const std::wstring& where : {folder / L"missing\\", tooLong}) {
    wchar_t path[MAX_PATH] = L"junk";
    EXPECT_FALSE(lk::CreateUniqueFile(where.c_str(), L"stem", L"", FILE_ATTRIBUTE_NORMAL, path,
                                      MAX_PATH));
    EXPECT_STREQ(L"", path);
  }
}

}  // namespace

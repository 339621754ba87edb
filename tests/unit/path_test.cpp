#include "framework/path.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

TEST(JoinPath, OneBackslashBetweenFolderAndName) {
  const struct {
    const wchar_t* folder;
    const wchar_t* path;
  } cases[] = {
      {L"C:\\Programme\\Lumenkast\\", L"C:\\Programme\\Lumenkast\\lk_main64.exe"},
      {L"C:\\Programme\\Lumenkast", L"C:\\Programme\\Lumenkast\\lk_main64.exe"},
      {L"", L"lk_main64.exe"},
  };
  for (const auto& c : cases) {
    wchar_t path[MAX_PATH] = L"junk";
    EXPECT_TRUE(lk::JoinPath(c.folder, L"lk_main64.exe", path));
    EXPECT_STREQ(c.path, path);
  }
}

TEST(JoinPath, MustFitTheBufferWithItsTerminator) {
  // 245 characters + '\' + 13 = 259 fits MAX_PATH; one more does not, with or without the
  // backslash, and nothing is written past the buffer.
  const std::wstring longest = L"C:\\" + std::wstring(242, L'a');
  struct {
    wchar_t path[MAX_PATH];
    wchar_t canary[4];
  } buffer;
  wmemset(buffer.canary, L'#', 4);
  ASSERT_TRUE(lk::JoinPath(longest.c_str(), L"lk_main64.exe", buffer.path));
  EXPECT_EQ(259u, wcslen(buffer.path));
  EXPECT_TRUE(lk::JoinPath((longest + L"\\").c_str(), L"lk_main64.exe", buffer.path));
  EXPECT_FALSE(lk::JoinPath((longest + L"a").c_str(), L"lk_main64.exe", buffer.path));
  EXPECT_STREQ(L"", buffer.path);
  EXPECT_FALSE(lk::JoinPath((longest + L"a\\").c_str(), L"lk_main64.exe", buffer.path));
  EXPECT_EQ(std::wstring(4, L'#'), std::wstring(buffer.canary, 4));
}

}  // namespace

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

TEST(PathParts, FolderNameAndTrailingSeparators) {
  const struct {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* name;
    const wchar_t* withBackslash;
    const wchar_t* withoutSeparators;
  } cases[] = {
      {L"C:\\Program Files\\Lumenkast\\lk_uninstall.exe", L"C:\\Program Files\\Lumenkast\\",
       L"lk_uninstall.exe", L"C:\\Program Files\\Lumenkast\\lk_uninstall.exe\\",
       L"C:\\Program Files\\Lumenkast\\lk_uninstall.exe"},
      {L"C:\\Tools\\", L"C:\\Tools\\", L"", L"C:\\Tools\\", L"C:\\Tools"},
      {L"C:/Tools/a.txt", L"C:/Tools/", L"a.txt", L"C:/Tools/a.txt\\", L"C:/Tools/a.txt"},
      {L"C:/Tools/", L"C:/Tools/", L"", L"C:/Tools/", L"C:/Tools"},
      {L"C:/Tools//", L"C:/Tools//", L"", L"C:/Tools//", L"C:/Tools"},
      {L"C:\\", L"C:\\", L"", L"C:\\", L"C:\\"},
      {L"a.txt", L"", L"a.txt", L"a.txt\\", L"a.txt"},
      {L"", L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
    EXPECT_EQ(c.folder, lk::FolderOfPath(c.path));
    EXPECT_EQ(c.name, lk::NameOfPath(c.path));
    EXPECT_EQ(c.withBackslash, lk::WithTrailingBackslash(c.path));
    EXPECT_EQ(c.withoutSeparators, lk::WithoutTrailingSeparators(c.path));
  }
}

TEST(PathParts, SameTextIgnoresCaseButNothingElse) {
  EXPECT_TRUE(lk::SamePathText(L"C:\\Program Files\\LK.exe", L"c:\\PROGRAM FILES\\lk.EXE"));
  EXPECT_TRUE(lk::SamePathText(L"C:\\\u00C4rger", L"c:\\\u00E4RGER"));
  EXPECT_FALSE(lk::SamePathText(L"C:\\Tools", L"C:\\Tools\\"));
  EXPECT_FALSE(lk::SamePathText(L"C:\\Tools", L"C:\\Tool"));
  EXPECT_FALSE(lk::SamePathText(L"", L""));
  for (wchar_t c : {L'\\', L'/'}) EXPECT_TRUE(lk::IsPathSeparator(c));
  for (wchar_t c : {L':', L'a', L'\0', L'|'}) EXPECT_FALSE(lk::IsPathSeparator(c));
}

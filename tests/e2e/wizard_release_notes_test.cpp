// The release notes as the setup executable carries them for the what's-new page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

size_t Count(const std::wstring& text, const std::wstring& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(WizardReleaseNotes, AreUtf16WithByteOrderMarkAndCrLfLinesWithoutTerminator) {
  const std::wstring notes = SetupReleaseNotes();
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(L'\xFEFF', notes.front());
  EXPECT_EQ(std::wstring::npos, notes.find(L'\0'));
  EXPECT_EQ(L"\r\n", notes.substr(notes.size() - 2));
  EXPECT_EQ(23u, Count(notes, L"\r\n"));
  EXPECT_EQ(23u, Count(notes, L"\n"));
  EXPECT_EQ(23u, Count(notes, L"\r"));
  EXPECT_NE(std::wstring::npos, notes.find(L'\t'));
  EXPECT_NE(std::wstring::npos, notes.find(L"4.50"));
}

// The build converts the UTF-8 source as it stands: same text, umlauts included.
TEST(WizardReleaseNotes, MatchTheirSourceText) {
  const std::string source =
      ReadFileBytes(std::wstring(LK_SOURCE_DIR) + L"\\res\\release_notes.txt");
  ASSERT_FALSE(source.empty());
  std::wstring text(source.size(), L'\0');
  text.resize(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, source.data(),
                                  static_cast<int>(source.size()), &text[0],
                                  static_cast<int>(text.size())));
  ASSERT_FALSE(text.empty()) << "the source is not UTF-8";
  std::wstring expected = L"\xFEFF";
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n') expected += L'\r';
    expected += c;
  }
  EXPECT_EQ(expected, SetupReleaseNotes());
  EXPECT_NE(std::wstring::npos, expected.find(L"Übersetzung"));
}

}  // namespace
}  // namespace lktest

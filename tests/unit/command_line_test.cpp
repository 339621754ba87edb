#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"

namespace {

struct TrimCase {
  const wchar_t* in;
  const wchar_t* out;
};

TEST(TrimQuotes, RemovesOneQuotePairAndSurroundingSpaces) {
  const TrimCase cases[] = {
      {L"\"C:\\Program Files\\Lk\"  ", L"C:\\Program Files\\Lk"},
      {L"C:\\Tools\\Lumenkast ", L"C:\\Tools\\Lumenkast"},
      {L"\"\"C:\\x\"\"", L"\"C:\\x\""},
      {L"\"C:\\x \"", L"C:\\x"},
      {L"C:\\x\"", L"C:\\x"},
      {L"\"", L""},
      {L"   ", L""},
  };
  for (const TrimCase& c : cases) {
    wchar_t text[64];
    wcscpy(text, c.in);
    TrimQuotes(text);
    EXPECT_STREQ(c.out, text) << "input: " << testing::PrintToString(std::wstring(c.in));
  }
}

TEST(IsUnattendedCommandLine, SearchesCaseSensitiveSubstring) {
  EXPECT_TRUE(IsUnattendedCommandLine(L"setup.exe /silent"));
  EXPECT_TRUE(IsUnattendedCommandLine(L"setup.exe /silently"));
  EXPECT_FALSE(IsUnattendedCommandLine(L"setup.exe /SILENT"));
  EXPECT_FALSE(IsUnattendedCommandLine(L"setup.exe"));
}

TEST(ReadOptionValue, EndsAtSlashEndOrPosition260) {
  wchar_t value[300];
  EXPECT_FALSE(ReadOptionValue(L"x /desktop=1", L"/folder=", value, 300));

  ASSERT_TRUE(ReadOptionValue(L"x /folder=C:\\a b/c /desktop=1", L"/folder=", value, 300));
  EXPECT_STREQ(L"C:\\a b", value);

  ASSERT_TRUE(ReadOptionValue(L"x /folder=", L"/folder=", value, 300));
  EXPECT_STREQ(L"", value);

  // The first occurrence counts.
  ASSERT_TRUE(ReadOptionValue(L"x /group=0 /group=1", L"/group=", value, 300));
  EXPECT_STREQ(L"0 ", value);

  // 260 positions from the option name: 252 characters for "/folder=", 255 for "/ini=".
  std::wstring longValue(300, L'a');
  ASSERT_TRUE(ReadOptionValue((L"x /folder=" + longValue).c_str(), L"/folder=", value, 300));
  EXPECT_EQ(252u, wcslen(value));
  ASSERT_TRUE(ReadOptionValue((L"x /ini=" + longValue).c_str(), L"/ini=", value, 300));
  EXPECT_EQ(255u, wcslen(value));
}

struct OptionsCase {
  const wchar_t* commandLine;
  const wchar_t* folder;
  int desktop, thumbs, group, allUsers;
  const wchar_t* ini;
};

TEST(ApplyCommandLineOptions, FillsSwitchesAndKeepsDefaults) {
  const OptionsCase cases[] = {
      {L"s.exe /silent /folder=C:\\Tools\\Lumenkast /desktop=1", L"C:\\Tools\\Lumenkast", 1, 0, 0,
       0, L""},
      {L"s.exe /silent /folder=\"C:\\Program Files\\Lumen kast\" /group=1",
       L"C:\\Program Files\\Lumen kast", 0, 0, 1, 0, L""},
      {L"s.exe /silent /folder=/desktop=1", L"", 1, 0, 0, 0, L""},
      {L"s.exe /silent /folder=C:\\a/b", L"C:\\a", 0, 0, 0, 0, L""},
      {L"s.exe /silent /desktop=yes /thumbs= 1 /allusers=-3", L"PROPOSED", 0, 1, 0, 1, L""},
      {L"s.exe /silent /ini=\"%APPDATA%\\Lumenkast\"", L"PROPOSED", 0, 0, 0, 0,
       L"%APPDATA%\\Lumenkast"},
      {L"s.exe /silent /group=12abc /desktop=0", L"PROPOSED", 0, 0, 1, 0, L""},
  };
  for (const OptionsCase& c : cases) {
    InstallOptions options;
    wcscpy(options.targetFolder, L"PROPOSED");
    ApplyCommandLineOptions(c.commandLine, options);
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.commandLine)));
    EXPECT_STREQ(c.folder, options.targetFolder);
    EXPECT_EQ(c.desktop, options.desktopShortcut);
    EXPECT_EQ(c.thumbs, options.thumbnailsShortcut);
    EXPECT_EQ(c.group, options.startMenuGroup);
    EXPECT_EQ(c.allUsers, options.allUsers);
    EXPECT_STREQ(c.ini, options.settingsFolder);
    EXPECT_EQ(0, options.associateFormats);
  }
}

TEST(ApplyCommandLineOptions, AssocSelectsImageRowsOrAllRows) {
  struct {
    const wchar_t* commandLine;
    int expectedRows;  // rows 0..expectedRows-1 selected
    int associate;
  } cases[] = {
      {L"s.exe /silent /assoc=1", ImageFormatCount, 1},
      {L"s.exe /silent /assoc=2", FormatCount, 1},
      {L"s.exe /silent /assoc=3", 0, 0},
      {L"s.exe /silent /assoc=", 0, 0},
      {L"s.exe /silent", 0, 0},
  };
  for (const auto& c : cases) {
    InstallOptions options;
    ApplyCommandLineOptions(c.commandLine, options);
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.commandLine)));
    EXPECT_EQ(c.associate, options.associateFormats);
    for (int row = 0; row < FormatCount; ++row) {
      EXPECT_EQ(row < c.expectedRows ? 1 : 0, options.formatSelection[row]) << "row " << row;
    }
  }
}

TEST(ApplyCommandLineOptions, SeesOptionsFarAlongALongCommandLine) {
  std::wstring commandLine = L"s.exe /silent /folder=C:\\Tools\\Lumenkast";
  commandLine += L" " + std::wstring(600, L'x');
  commandLine += L" /desktop=1 /ini=D:\\Settings";
  InstallOptions options;
  ApplyCommandLineOptions(commandLine.c_str(), options);
  EXPECT_EQ(1, options.desktopShortcut);
  EXPECT_STREQ(L"D:\\Settings", options.settingsFolder);
}

}  // namespace

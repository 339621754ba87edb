#include "uninstall/settings_removal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "support/test_support.h"

namespace {

using lktest::FileExists;
using lktest::FolderExists;

class SettingsRemoval : public ::testing::Test {
 protected:
  // The program-folder settings file naming the settings folder text (none: null).
  void WriteProgramFolderFile(const wchar_t* settingsFolder) {
    ASSERT_TRUE(lktest::WriteFileBytes(ProgramFolderFile(), "[Language]\r\nLang=Deutsch\r\n"));
    if (settingsFolder) {
      WritePrivateProfileStringW(L"Others", L"INI_Folder", settingsFolder,
                                 ProgramFolderFile().c_str());
    }
  }
  std::wstring ProgramFolderFile() const { return program_ / L"lk_main64.ini"; }

  lktest::TempFolder program_;
  lktest::TempFolder appData_;
};

TEST_F(SettingsRemoval, FindsTheSettingsFolderTheProgramFolderFileNames) {
  lktest::ScopedEnvironmentVariable variable(L"LK_TEST_APPDATA", appData_.Path().c_str());
  const struct {
    const wchar_t* iniFolder;  // null: no "INI_Folder"
    std::wstring expected;
  } cases[] = {
      {nullptr, program_.Path()},
      {L"%LK_TEST_APPDATA%Lumenkast", appData_ / L"Lumenkast\\"},
      {L" %LK_TEST_APPDATA%Lumenkast\\ ", appData_ / L"Lumenkast\\"},
      // A reference to nothing leaves no folder: the settings are the program folder's.
      {L"%LK_TEST_UNDEFINED%", program_.Path()},
  };
  for (const auto& c : cases) {
    DeleteFileW(ProgramFolderFile().c_str());
    WriteProgramFolderFile(c.iniFolder);
    EXPECT_EQ(c.expected, SettingsFolderOf(program_.Path()))
        << lktest::Narrow(c.iniFolder ? c.iniFolder : L"(none)");
  }
}

TEST_F(SettingsRemoval, DeletesBothFilesAndTheSettingsFolderOnlyWhenEmpty) {
  lktest::ScopedEnvironmentVariable variable(L"LK_TEST_APPDATA", appData_.Path().c_str());
  const std::wstring settings = appData_ / L"Lumenkast\\";
  for (bool otherFile : {true, false}) {
    WriteProgramFolderFile(L"%LK_TEST_APPDATA%Lumenkast");
    CreateDirectoryW(settings.c_str(), nullptr);
    ASSERT_TRUE(lktest::WriteFileBytes(settings + L"lk_main64.ini", "\xFF\xFE"));
    if (otherFile) {
      ASSERT_TRUE(lktest::WriteFileBytes(settings + L"notes.txt", "mine"));
    }

    EXPECT_EQ(1, RemoveSettings(program_.Path()));
    EXPECT_FALSE(FileExists(settings + L"lk_main64.ini"));
    EXPECT_FALSE(FileExists(ProgramFolderFile()));
    EXPECT_EQ(otherFile, FolderExists(settings));
    EXPECT_TRUE(FolderExists(program_.Path()));
    DeleteFileW((settings + L"notes.txt").c_str());
  }
}

}  // namespace

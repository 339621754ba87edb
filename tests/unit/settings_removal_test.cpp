#include "uninstall/settings_removal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/folder_link.h"
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
      // Only an absolute path on a local drive is followed.
      {L"Lumenkast", program_.Path()},
      {L"..\\..\\Windows", program_.Path()},
      {L"\\\\server\\share\\Lumenkast", program_.Path()},
      {L"\\\\?\\C:\\Windows", program_.Path()},
      {L"\\Windows", program_.Path()},
  };
  for (const auto& c : cases) {
    DeleteFileW(ProgramFolderFile().c_str());
    WriteProgramFolderFile(c.iniFolder);
    EXPECT_EQ(c.expected, SettingsFolderOf(program_.Path()))
        << lktest::Narrow(c.iniFolder ? c.iniFolder : L"(none)");
  }
}

// Both settings files and the conversion's temporary files go, in both places; what else
// is there stays, and so does the settings folder while it holds anything.
TEST_F(SettingsRemoval, DeletesTheSettingsFilesInBothPlacesAndNothingElse) {
  lktest::ScopedEnvironmentVariable variable(L"LK_TEST_APPDATA", appData_.Path().c_str());
  const std::wstring settings = appData_ / L"Lumenkast\\";
  for (bool otherFile : {true, false}) {
    SCOPED_TRACE(otherFile);
    WriteProgramFolderFile(L"%LK_TEST_APPDATA%Lumenkast");
    CreateDirectoryW(settings.c_str(), nullptr);
    for (const std::wstring& place : {settings, program_.Path()}) {
      ASSERT_TRUE(lktest::WriteFileBytes(place + L"lk_main64.ini_temp", "t"));
      ASSERT_TRUE(lktest::WriteFileBytes(place + L"lk_main64.ini_temp1a2b", "t"));
      ASSERT_TRUE(lktest::WriteFileBytes(place + L"lk_main64.ini_K3Q0", "t"));
      ASSERT_TRUE(lktest::WriteFileBytes(place + L"lk_main64.ini.bak", "mine"));
      ASSERT_TRUE(lktest::WriteFileBytes(place + L"lk_main64.ini_alt", "mine"));
    }
    ASSERT_TRUE(lktest::WriteFileBytes(settings + L"lk_main64.ini", "\xFF\xFE"));
    if (otherFile) {
      ASSERT_TRUE(lktest::WriteFileBytes(settings + L"notes.txt", "mine"));
    }

    std::vector<std::wstring> failures;
    EXPECT_EQ(1, RemoveSettings(program_.Path(), &failures));
    EXPECT_TRUE(failures.empty());
    const std::vector<std::wstring> mine = {L"lk_main64.ini.bak", L"lk_main64.ini_alt"};
    EXPECT_EQ(mine, lktest::ListFolder(program_.Path()));
    std::vector<std::wstring> left = mine;
    if (otherFile) left.push_back(L"notes.txt");
    EXPECT_EQ(left, lktest::ListFolder(settings));
    DeleteFileW((settings + L"notes.txt").c_str());
    for (const std::wstring& name : mine) {
      DeleteFileW((settings + name).c_str());
      DeleteFileW((program_ / name).c_str());
    }
  }
  // Once only the settings were in it, the settings folder went with them.
  WriteProgramFolderFile(L"%LK_TEST_APPDATA%Lumenkast");
  CreateDirectoryW(settings.c_str(), nullptr);
  ASSERT_TRUE(lktest::WriteFileBytes(settings + L"lk_main64.ini", "\xFF\xFE"));
  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveSettings(program_.Path(), &failures));
  EXPECT_FALSE(FolderExists(settings));
  EXPECT_TRUE(FolderExists(program_.Path()));
}

// A settings file that cannot be deleted (held open by a program) is reported.
TEST_F(SettingsRemoval, ASettingsFileThatStaysIsReported) {
  WriteProgramFolderFile(nullptr);
  HANDLE held = CreateFileW(ProgramFolderFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  std::vector<std::wstring> failures;
  EXPECT_EQ(0, RemoveSettings(program_.Path(), &failures));
  CloseHandle(held);
  EXPECT_EQ(std::vector<std::wstring>{ProgramFolderFile()}, failures);
  EXPECT_TRUE(FileExists(ProgramFolderFile()));
}

// A settings folder reached through a link that an ordinary user could have made (under
// Wine every link is the user's), as the folder itself or as a folder above it: nothing is
// deleted behind it, each file there is reported, and the settings file next to the viewer
// stays as the record of the folder.
TEST_F(SettingsRemoval, NeverDeletesThroughALinkedSettingsFolder) {
  lktest::TempFolder outside;
  lktest::TempFolder parent;
  const std::wstring link = parent / L"LkSettings";
  const struct {
    const char* name;
    std::wstring below;  // the settings folder below the link ("INI_Folder": link\below)
  } cases[] = {
      {"the settings folder is a link", L""},
      {"a folder above it is a link", L"Einstellungen\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring behind = outside / c.below;
    CreateDirectoryW(behind.c_str(), nullptr);
    ASSERT_TRUE(lktest::WriteFileBytes(behind + L"lk_main64.ini", "outside"));
    ASSERT_TRUE(lktest::WriteFileBytes(behind + L"lk_main64.ini_temp", "outside temp"));
    ASSERT_TRUE(lktest::MakeFolderLink(link, outside.Path()));
    const std::wstring settings = link + L"\\" + c.below;
    WriteProgramFolderFile(settings.c_str());
    const std::vector<std::wstring> before = lktest::ListTree(outside.Path());

    std::vector<std::wstring> failures;
    EXPECT_EQ(0, RemoveSettings(program_.Path(), &failures));
    lktest::RemoveFolderLink(link);

    const std::vector<std::wstring> reported = {settings + L"lk_main64.ini",
                                                settings + L"lk_main64.ini_temp"};
    EXPECT_EQ(reported, failures);
    EXPECT_EQ(before, lktest::ListTree(outside.Path()));
    EXPECT_EQ("outside", lktest::ReadFileBytes(behind + L"lk_main64.ini"));
    EXPECT_TRUE(FileExists(ProgramFolderFile()));
  }
}

// The settings in "INI_Folder" go first, the settings file next to the viewer last: while
// one there is held, the file that names the folder stays, so that a second run (once the
// file is free) still finds the folder and finishes.
TEST_F(SettingsRemoval, TheFileThatNamesTheSettingsFolderGoesLast) {
  const std::wstring settings = appData_ / L"Lumenkast\\";
  ASSERT_TRUE(CreateDirectoryW(settings.c_str(), nullptr));
  WriteProgramFolderFile(settings.c_str());
  ASSERT_TRUE(lktest::WriteFileBytes(settings + L"lk_main64.ini", "\xFF\xFE"));
  ASSERT_TRUE(lktest::WriteFileBytes(program_ / L"lk_main64.ini_temp", "t"));
  HANDLE held = CreateFileW((settings + L"lk_main64.ini").c_str(), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);

  std::vector<std::wstring> failures;
  EXPECT_EQ(0, RemoveSettings(program_.Path(), &failures));
  CloseHandle(held);
  EXPECT_EQ(std::vector<std::wstring>{settings + L"lk_main64.ini"}, failures);
  EXPECT_EQ(std::vector<std::wstring>{L"lk_main64.ini"}, lktest::ListFolder(program_.Path()));

  failures.clear();
  EXPECT_EQ(1, RemoveSettings(program_.Path(), &failures));
  EXPECT_TRUE(failures.empty());
  EXPECT_FALSE(FolderExists(settings));
  EXPECT_TRUE(lktest::ListFolder(program_.Path()).empty());
}

}  // namespace

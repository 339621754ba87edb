// The unattended setup, run as an administrator's deployment tool would run it, and
// inspected from outside: exit code, files, settings, install log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings_file.h"
#include "support/expected_installation.h"
#include "support/expected_texts.h"
#include "support/installation_state.h"
#include "support/install_log_entry.h"
#include "support/installation_test.h"
#include "support/test_support.h"

namespace lktest {
namespace {

const wchar_t* const kPayloadFiles[] = {
    L"lk_main64.exe", L"lk_uninstall.exe", L"lk_main32.chm", L"lk_about.txt",
    L"lk_changes.txt", L"lk_options.txt", L"lk_plugins.txt", L"lk_languages.txt",
    L"Languages\\Deutsch.dll", L"Languages\\Deutsch.lng", L"Plugins\\Icons.dll",
    L"Plugins\\Formats.dll", L"Plugins\\Jpeg2000.dll", L"Plugins\\Ecw.dll", L"Plugins\\Djvu.dll",
    L"Plugins\\Postscript.dll", L"Plugins\\Effects.dll", L"Plugins\\Media.dll",
    L"Plugins\\Paint.dll", L"Plugins\\Webp.dll", L"Help\\lk_main32_deutsch.chm",
    L"Html\\index_vorlage.htm", L"Html\\bild_vorlage.htm", L"Html\\vorlage.css",
    L"Html\\liesmich.txt", L"Toolbars\\Marlow_16.png", L"Toolbars\\Marlow_16.txt",
    L"Toolbars\\Kelstrom_24.png", L"Toolbars\\Kelstrom_24.txt",
    L"Toolbars\\gnome-colors-wise_32.png", L"Toolbars\\gnome-colors-wise_32.txt",
    L"Toolbars\\gnome-colors-human_48.png", L"Toolbars\\gnome-colors-human_48.txt",
};

std::wstring ToUtf16(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

FILETIME Stamp(const std::wstring& path, bool creation) {
  FILETIME created = {}, accessed = {}, written = {};
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  GetFileTime(f, &created, &accessed, &written);
  CloseHandle(f);
  return creation ? created : written;
}

FILETIME ArchiveTime() {
  // Every payload entry carries 2026-11-27 10:30:00, local time.
  SYSTEMTIME local = {2026, 11, 5, 27, 10, 30, 0, 0};
  FILETIME localTime, utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  return utc;
}

class UnattendedInstall : public InstallationTest {
 protected:
  std::string Log() const { return ReadFileBytes(cwd_ / L"Lumenkast_Install.log"); }
};

TEST_F(UnattendedInstall, UnpacksThePayloadAndPreparesTheSettings) {
  ASSERT_EQ(0, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast /desktop=1"));
  EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();
  EXPECT_TRUE(TemporaryArchives().empty());

  const FILETIME archiveTime = ArchiveTime();
  for (const wchar_t* file : kPayloadFiles) {
    std::wstring path = std::wstring(L"C:\\Tools\\Lumenkast\\") + file;
    ASSERT_TRUE(FileExists(path)) << Narrow(path);
    FILETIME created = Stamp(path, true);
    EXPECT_EQ(0, CompareFileTime(&archiveTime, &created)) << Narrow(path);
    FILETIME written = Stamp(path, false);
    EXPECT_EQ(0, CompareFileTime(&archiveTime, &written)) << Narrow(path);
  }

  std::string ini = ReadFileBytes(L"C:\\Tools\\Lumenkast\\lk_main64.ini");
  ASSERT_GE(ini.size(), 2u);
  EXPECT_EQ("\xFF\xFE", ini.substr(0, 2));
  std::wstring text = ToUtf16(ini.substr(2));
  EXPECT_EQ(0u, text.find(kSettingsHeader));
  EXPECT_NE(std::wstring::npos, text.find(L"[Language]"));
  EXPECT_NE(std::wstring::npos, text.find(L"DLL=DEUTSCH.DLL"));
  EXPECT_NE(std::wstring::npos, text.find(L"Lang=Deutsch"));
  ToolbarSkin skin = ChooseToolbarSkin();  // the same display as the setup's
  EXPECT_NE(std::wstring::npos, text.find(L"[Toolbar]"));
  EXPECT_NE(std::wstring::npos, text.find(std::wstring(L"Skin=") + skin.skin));
  EXPECT_NE(std::wstring::npos, text.find(std::wstring(L"Size=") + skin.size));
  EXPECT_EQ(std::wstring::npos, text.find(L"INI_Folder"));
}

TEST_F(UnattendedInstall, CopyOfTheSetupBeyondTheAnsiCodePageInstallsFromItself) {
  // The setup reads its payload from its own file, found by its path: a copy in a folder
  // whose name holds spaces and letters outside the ANSI code page installs the same files.
  const std::wstring folder = cwd_ / L"Einrichtung f\u00fcr \u03a9 \u6587\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring copy = folder + L"lumenkast_setup_x64.exe";
  ASSERT_TRUE(CopyFileW(LK_SETUP_EXE, copy.c_str(), TRUE));

  const std::wstring arguments = L" /silent /folder=C:\\Tools\\Lumenkast";
  EXPECT_EQ(0, RunProcess(L"\"" + copy + L"\"" + arguments, cwd_.Path()));
  EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();
  for (const wchar_t* file : kPayloadFiles) {
    EXPECT_TRUE(FileExists(std::wstring(L"C:\\Tools\\Lumenkast\\") + file)) << Narrow(file);
  }
}

// Settings files that are hard links to files outside the installation: the setup writes
// nothing through them and copies nothing of them in; each name becomes a file of its own.
TEST_F(UnattendedInstall, HardLinkedSettingsFilesAreNotWrittenThrough) {
  const std::string outsideBytes = "[Viewer]\r\nSecret=outside\r\n";
  for (const wchar_t* settingsFolder : {L"", L"C:\\Tools\\Settings\\"}) {
    SCOPED_TRACE(Narrow(settingsFolder));
    const std::wstring programIni = L"C:\\Tools\\Lumenkast\\lk_main64.ini";
    const std::wstring settingsIni =
        settingsFolder[0] ? std::wstring(settingsFolder) + L"lk_main64.ini" : programIni;
    std::vector<std::wstring> links = {programIni};
    if (settingsIni != programIni) links.push_back(settingsIni);
    CreateDirectoryW(L"C:\\Tools", nullptr);
    CreateDirectoryW(L"C:\\Tools\\Lumenkast", nullptr);
    CreateDirectoryW(L"C:\\Tools\\Settings", nullptr);
    std::vector<std::wstring> victims;
    for (size_t i = 0; i < links.size(); ++i) {
      victims.push_back(cwd_ / (L"victim" + std::to_wstring(i) + L".ini"));
      ASSERT_TRUE(WriteFileBytes(victims.back(), outsideBytes));
      ASSERT_TRUE(CreateHardLinkW(links[i].c_str(), victims.back().c_str(), nullptr));
    }

    const std::wstring ini = settingsFolder[0] ? std::wstring(L" /ini=") + settingsFolder : L"";
    ASSERT_EQ(0, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast" + ini));

    for (const std::wstring& victim : victims) EXPECT_EQ(ReadFileBytes(victim), outsideBytes);
    const std::string settings = ReadFileBytes(settingsIni);
    ASSERT_GE(settings.size(), 2u);
    EXPECT_EQ("\xFF\xFE", settings.substr(0, 2));
    const std::wstring text = ToUtf16(settings.substr(2));
    EXPECT_EQ(0u, text.find(kSettingsHeader)) << Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"[Language]\r\nDLL=DEUTSCH.DLL\r\nLang=Deutsch\r\n"))
        << Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"[Toolbar]\r\nSkin=")) << Narrow(text);
    EXPECT_EQ(std::wstring::npos, text.find(L"outside")) << Narrow(text);
    if (settingsIni != programIni) {
      EXPECT_EQ(ReadFileBytes(programIni),
                "[Others]\r\nINI_Folder=" + Narrow(settingsFolder) + "\r\n");
    }
    Clean();
  }
}

TEST_F(UnattendedInstall, RefusesWhileTheViewerRuns) {
  ASSERT_NE(nullptr, StartViewerStandIn(10000));

  int code = RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast");
  CloseViewerWindows();

  EXPECT_EQ(2, code);
  EXPECT_FALSE(FolderExists(L"C:\\Tools\\Lumenkast"));
  std::string log = Log();
  EXPECT_NE(std::string::npos,
            log.find(": " + LogBytes(kViewerRunning) + "\r\n" +
                     std::string(48, '-') + "\r\n"))
      << log;
}

TEST_F(UnattendedInstall, FailuresEndWithExitCodeOneAndALogEntry) {
  const struct {
    const wchar_t* arguments;
    std::string entry;
  } cases[] = {
      {L"/silent /folder=/desktop=1", LogBytes(std::wstring(kInvalidFolder) + L": ")},
      {L"/silent /folder=Q:\\Lumenkast",
       LogBytes(std::wstring(kCannotCreateFolder) + L": Q:\\Lumenkast\\")},
  };
  for (const auto& c : cases) {
    DeleteFileW((cwd_ / L"Lumenkast_Install.log").c_str());
    EXPECT_EQ(1, RunSetup(c.arguments)) << Narrow(c.arguments);
    EXPECT_NE(std::string::npos, Log().find(": " + c.entry + "\r\n")) << Log();
  }
}

TEST_F(UnattendedInstall, ReadOnlyFileInTheTargetFailsTheUnpacking) {
  ASSERT_TRUE(CreateDirectoryW(L"C:\\Tools", nullptr));
  ASSERT_TRUE(CreateDirectoryW(L"C:\\Tools\\Lumenkast", nullptr));
  const wchar_t kLocked[] = L"C:\\Tools\\Lumenkast\\lk_about.txt";
  ASSERT_TRUE(WriteFileBytes(kLocked, "alt"));
  SetFileAttributesW(kLocked, FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(1, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast"));
  EXPECT_EQ("alt", ReadFileBytes(kLocked));
  // What was written before the refused file is taken back.
  EXPECT_EQ(std::vector<std::wstring>{L"lk_about.txt"}, ListFolder(L"C:\\Tools\\Lumenkast\\"));
  EXPECT_NE(std::string::npos,
            Log().find(": C:\\Tools\\Lumenkast\\: " + LogBytes(kInstallFailed)))
      << Log();
  SetFileAttributesW(kLocked, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(UnattendedInstall, WithoutFolderSwitchTheEarlierInstallationsFolderIsUsed) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, kOpenCommandKey, &key));
  const wchar_t command[] = L"\"C:\\Tools\\Earlier\\lk_main64.exe\" \"%1\"";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof(command));
  RegCloseKey(key);

  EXPECT_EQ(0, RunSetup(L"/silent"));
  EXPECT_TRUE(FileExists(L"C:\\Tools\\Earlier\\lk_main64.exe"));
}

}  // namespace
}  // namespace lktest

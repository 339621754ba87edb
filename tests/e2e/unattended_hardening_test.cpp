// The unattended setup under faults and unusual input that once went unnoticed: writes of
// the registration or of a shortcut that fail, links inside the target folder, folders
// that cannot be created or need tidying. Run and inspected from outside.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/settings_file.h"
#include "support/expected_installation.h"
#include "support/expected_texts.h"
#include "support/installation_state.h"
#include "support/install_log_entry.h"
#include "support/installation_test.h"
#include "support/registry_reader.h"
#include "support/test_support.h"

namespace lktest {
namespace {

constexpr wchar_t kTarget[] = L"C:\\Tools\\Lumenkast\\";

class UnattendedHardening : public InstallationTest {
 protected:
  std::string Log() const { return ReadFileBytes(cwd_ / L"Lumenkast_Install.log"); }
  // The log holds exactly one entry, with this message.
  void ExpectLogEntry(const std::wstring& message) const {
    EXPECT_TRUE(IsSingleLogEntry(Log(), message));
  }
  // The settings file in folder: UTF-16, with the header, language and toolbar keys.
  static void ExpectCompleteSettings(const std::wstring& folder) {
    const std::string ini = ReadFileBytes(folder + L"lk_main64.ini");
    ASSERT_GE(ini.size(), 2u) << Narrow(folder);
    EXPECT_EQ("\xFF\xFE", ini.substr(0, 2));
    const std::wstring text(reinterpret_cast<const wchar_t*>(ini.data() + 2),
                            (ini.size() - 2) / 2);
    EXPECT_EQ(0u, text.find(kSettingsHeader));
    EXPECT_NE(std::wstring::npos, text.find(L"[Language]\r\nDLL=DEUTSCH.DLL\r\nLang=Deutsch"));
    const ToolbarSkin skin = ChooseToolbarSkin();
    EXPECT_NE(std::wstring::npos, text.find(std::wstring(L"Skin=") + skin.skin));
    EXPECT_EQ(std::wstring::npos, text.find(L"INI_Folder"));
  }
};

// A registry key the registration cannot write: installed, exit 3, the key named in the log,
// everything else registered. A key below a volatile key cannot be created, as under a key
// whose rights forbid it.
TEST_F(UnattendedHardening, RegistryKeyThatCannotBeWrittenEndsWithExitCodeThree) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kIdentifierKey, 0, nullptr,
                                           REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                           nullptr));
  RegCloseKey(key);

  EXPECT_EQ(3, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast"));

  ExpectLogEntry(std::wstring(kRegistrationIncomplete) + L": HKEY_LOCAL_MACHINE\\" +
                 kOpenCommandKey);
  EXPECT_TRUE(FileExists(std::wstring(kTarget) + L"lk_main64.exe"));
  ExpectCompleteSettings(kTarget);
  EXPECT_TRUE(RegStringIs(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", kTarget));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kOpenCommandKey));
}

// A shortcut that cannot be saved (a folder holds its name): exit 3 naming the link; once the
// obstacle is gone, the same command installs completely.
TEST_F(UnattendedHardening, ShortcutThatCannotBeSavedEndsWithExitCodeThree) {
  const std::wstring link = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Lumenkast 64.lnk";
  ASSERT_TRUE(CreateDirectoryW(link.c_str(), nullptr));

  const int code = RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast /desktop=1");
  RemoveDirectoryW(link.c_str());
  EXPECT_EQ(3, code);
  ExpectLogEntry(std::wstring(kRegistrationIncomplete) + L": " + link);
  EXPECT_TRUE(RegStringIs(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", kTarget));

  DeleteFileW((cwd_ / L"Lumenkast_Install.log").c_str());
  EXPECT_EQ(0, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast /desktop=1"));
  EXPECT_TRUE(FileExists(link));
  EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();
}

// A folder of the target that is a link to somewhere else: nothing is written through it,
// the unpacking counts as failed, and what it wrote before is taken back.
TEST_F(UnattendedHardening, NothingIsWrittenThroughALinkInTheTarget) {
  ASSERT_TRUE(CreateDirectoryW(L"C:\\Tools", nullptr));
  ASSERT_TRUE(CreateDirectoryW(kTarget, nullptr));
  TempFolder elsewhere;
  const ScopedSymbolicLink link(elsewhere.Path(), std::wstring(kTarget) + L"Plugins");
  ASSERT_TRUE(link.Made());

  EXPECT_EQ(1, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast"));

  EXPECT_TRUE(ListFolder(elsewhere.Path()).empty());
  EXPECT_EQ(std::vector<std::wstring>{L"Plugins"}, ListFolder(kTarget));
  ExpectLogEntry(std::wstring(kTarget) + L": " + kInstallFailed);
}

// A settings folder on a drive that does not exist: the settings stay next to the viewer,
// complete and converted, and the viewer is not pointed elsewhere.
TEST_F(UnattendedHardening, SettingsFolderThatCannotBeCreatedKeepsTheSettingsWithTheViewer) {
  EXPECT_EQ(0, RunSetup(L"/silent /folder=C:\\Tools\\Lumenkast /ini=Q:\\Settings"));
  ExpectCompleteSettings(kTarget);
  EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();
}

// Blanks around a component of the folder are trimmed where the files go; the settings and
// the registration follow the files.
TEST_F(UnattendedHardening, BlanksAroundAComponentAreTrimmedEverywhere) {
  EXPECT_EQ(0, RunSetup(L"/silent /folder=C:\\Tools \\Lumenkast"));
  EXPECT_TRUE(FileExists(std::wstring(kTarget) + L"lk_main64.exe"));
  ExpectCompleteSettings(kTarget);
  EXPECT_TRUE(RegStringIs(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", kTarget));
  EXPECT_TRUE(RegStringIs(HKEY_LOCAL_MACHINE, kOpenCommandKey, nullptr,
                          L"\"C:\\Tools\\Lumenkast\\lk_main64.exe\" \"%1\""));
}

// A folder that is not an absolute path on a drive is refused like an empty one: the
// entry names it as given, and nothing is created anywhere.
TEST_F(UnattendedHardening, RelativeTargetFoldersAreRefused) {
  for (const wchar_t* folder :
       {L"Lumenkast", L"sub\\x", L"%ProgramFiles%\\x", L"\\Tools\\x", L"C:x"}) {
    SCOPED_TRACE(Narrow(folder));
    DeleteFileW((cwd_ / L"Lumenkast_Install.log").c_str());
    EXPECT_EQ(1, RunSetup(std::wstring(L"/silent /desktop=1 /folder=") + folder));
    ExpectLogEntry(std::wstring(kInvalidFolder) + L": " + folder);
    EXPECT_EQ(std::vector<std::wstring>{L"Lumenkast_Install.log"}, ListFolder(cwd_.Path()));
    EXPECT_FALSE(FolderExists(L"C:\\Tools"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  }
}

}  // namespace
}  // namespace lktest

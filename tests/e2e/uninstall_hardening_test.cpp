// The uninstaller against what an ordinary user of the machine, another program or another
// run can do meanwhile: links and second names where the settings are, files held open, a
// copy that cannot start or is swapped, another setup or uninstallation at the same time.
// Run as a deployment tool runs it, and the prefix inspected from outside.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/file_links.h"
#include "framework/protected_folder.h"
#include "framework/registry.h"
#include "framework/run_guard.h"
#include "framework/scoped_handles.h"
#include "support/complete_installation.h"
#include "support/expected_installation.h"
#include "support/folder_link.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/registry_reader.h"
#include "support/test_support.h"
#include "support/uninstaller_process.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

constexpr wchar_t kFolder[] = L"C:\\Program Files\\Lumenkast\\";
constexpr wchar_t kSettings[] = L"C:\\LkSettings\\";
constexpr wchar_t kOutside[] = L"C:\\LkOutside\\";
constexpr wchar_t kAbove[] = L"C:\\LkAbove\\";
constexpr DWORD kOutsideAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
constexpr wchar_t kOtherRun[] =
    L"Eine andere Installation oder Deinstallation von Lumenkast l\u00E4uft gerade!\n"
    L"Warten Sie bitte, bis sie beendet ist, und starten Sie die Deinstallation dann erneut!";
constexpr char kAtRestart[] =
    ": Lumenkast 64 wurde erfolgreich von Ihrem Computer entfernt. Das "
    "Deinstallationsprogramm wird beim n\xE4" "chsten Neustart von Windows gel\xF6scht:\r\n";
constexpr char kItemsLeft[] =
    ": Folgendes konnte nicht entfernt werden (in Gebrauch oder keine Rechte):\r\n";

// Every file and folder under root with its content and attributes, for "unchanged".
std::vector<std::string> TreeWithContent(const std::wstring& root) {
  std::vector<std::string> tree;
  for (const std::wstring& name : ListTree(root)) {
    const std::wstring path = root + name;
    std::string line = Narrow(name) + " " + std::to_string(GetFileAttributesW(path.c_str()));
    if (name.back() != L'\\' && name.find(L" ->") == std::wstring::npos) {
      line += " " + ReadFileBytes(path);
    }
    tree.push_back(line);
  }
  return tree;
}

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (pid != search->processId || !IsWindowVisible(window) || wcscmp(name, L"#32770") != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// A message box (a visible dialog) of the process; null when it shows none.
HWND FindMessageBox(DWORD processId) {
  BoxSearch search = {processId, nullptr};
  EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void ClearAttributes(const std::wstring& root) {
  for (const std::wstring& name : ListTree(root)) {
    SetFileAttributesW((root + name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

class UninstallHardening : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    Tidy();
  }
  void TearDown() override {
    WaitForUninstallers(30000);
    Tidy();
    InstallationTest::TearDown();
  }
  void Tidy() {
    for (const std::wstring& link : links_) RemoveFolderLink(link);
    links_.clear();
    RemoveUninstallerCopies();
    for (const wchar_t* folder : {kFolder, kSettings, kOutside, kAbove}) {
      ClearAttributes(folder);
      RemoveTree(folder);
    }
  }

  int Install(const std::wstring& switches = L"") {
    return RunSetup(L"/silent /group=1 /desktop=1 /assoc=1" + switches);
  }
  int Uninstall(const std::wstring& arguments) const {
    return RunUninstaller(kFolder, arguments, cwd_.Path());
  }
  std::string Log() const { return ReadFileBytes(cwd_ / L"Lumenkast_Install.log"); }
  bool Link(const std::wstring& link, const std::wstring& target) {
    links_.push_back(link);
    return MakeFolderLink(link, target);
  }

  std::vector<std::wstring> links_;
};

// The copy is made in a new folder that only Administrators and SYSTEM can change (its
// descriptor read back, against one made the same way now: Wine keeps no owner and maps
// the entries onto permission bits), and a watcher that swaps the copy for a file of its own
// the moment it appears never gets that file started: the uninstaller's copy runs and
// removes the installation, and no removal falls back to the next start of Windows.
TEST_F(UninstallHardening, TheCopyIsProtectedAndAPlantedFileIsNeverRun) {
  ASSERT_EQ(0, Install());
  const std::wstring planted = cwd_ / L"planted.exe";
  ASSERT_TRUE(WriteFileBytes(planted, "not the uninstaller"));
  std::atomic<bool> stop(false);
  std::atomic<int> swaps(0);
  std::thread watcher([&] {
    while (!stop) {
      // Only a copy that is there already is swapped: Wine enforces no permissions, so a
      // watcher could also take the name first, which Windows' protection of the folder
      // forbids (and the uninstaller's new file would then refuse the name anyway).
      for (const std::wstring& folder : UninstallerCopyFolders()) {
        const std::wstring copy = folder + L"lk_uninstall.exe";
        if (FileExists(copy) && CopyFileW(planted.c_str(), copy.c_str(), FALSE)) ++swaps;
      }
    }
  });
  const int code = Uninstall(L"/silent /purge=1");
  stop = true;
  watcher.join();

  EXPECT_EQ(0, code);
  const std::vector<std::wstring> copies = UninstallerCopyFolders();
  if (FileExists(cwd_ / L"Lumenkast_Install.log")) {
    // The watcher wrote into the copy in the instant between its handles: the copy no longer
    // matched the uninstaller and was not started but discarded with its folder; the
    // uninstaller goes at the next start.
    EXPECT_GT(swaps.load(), 0);
    EXPECT_TRUE(copies.empty()) << Narrow(copies[0]);
    EXPECT_NE(std::string::npos, Log().find("Neustart")) << Log();
    const std::vector<std::wstring> left = ListTree(kFolder);
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(0u, left[0].rfind(L"lk_uninstall.exe.", 0)) << Narrow(left[0]);
    return;
  }
  // The copy held its file from the moment it was written: it ran and removed everything
  // (Wine, which does not lock a running program's file, lets the watcher swap it after it
  // started, which changes nothing then).
  RecordProperty("swaps_after_start", swaps.load());
  ASSERT_EQ(1u, copies.size());
  const std::wstring copyFolder = copies[0].substr(0, copies[0].size() - 1);
  EXPECT_FALSE(FolderExists(kFolder));
  const std::vector<std::wstring> pending = {L"\\??\\" + copies[0] + L"lk_uninstall.exe",
                                             L"\\??\\" + copyFolder};
  EXPECT_EQ(pending, PendingDeletions());

  lk::ScopedFileHandle folder(CreateFileW(copyFolder.c_str(), READ_CONTROL, lk::kShareAll,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
  ASSERT_TRUE(folder);
  const std::wstring descriptor = lk::SecurityDescriptorText(folder.Get());
  EXPECT_TRUE(lk::HasProtection(folder.Get(), lk::FolderProtection::kAdministratorsOnly,
                                TempFolderPath().c_str()))
      << Narrow(descriptor);
  // Nothing for everyone, as a folder made without a descriptor has.
  EXPECT_EQ(std::wstring::npos, descriptor.find(L";;;WD)")) << Narrow(descriptor);
}

// One settings trap, set after an installation with /ini=.
struct SettingsTrap {
  const char* name;
  const wchar_t* ini;                   // the /ini= folder
  std::function<bool()> set;
  std::wstring reported;                // the path the log lists
};

// The purge never deletes or changes anything through a settings folder that is a link,
// or whose parent is one (under Wine every link is a user's), nor the attributes of the
// file a settings file shares its data with: the outside stays byte for byte and attribute
// for attribute, and what stays is reported (exit 1, the uninstall entry kept).
TEST_F(UninstallHardening, ThePurgeNeverReachesOutsideTheSettingsFolder) {
  const std::wstring outside = kOutside;
  const SettingsTrap traps[] = {
      {"the settings folder replaced by a link", kSettings,
       [&] {
         RemoveTree(kSettings);
         return Link(L"C:\\LkSettings", outside);
       },
       std::wstring(kSettings) + L"lk_main64.ini"},
      {"a folder above the settings folder replaced by a link", L"C:\\LkAbove\\Einstellungen",
       [&] {
         RemoveTree(kAbove);
         return CreateDirectoryW((outside + L"Einstellungen").c_str(), nullptr) &&
                WriteFileBytes(outside + L"Einstellungen\\lk_main64.ini", "outside") &&
                Link(L"C:\\LkAbove", outside);
       },
       std::wstring(kAbove) + L"Einstellungen\\lk_main64.ini"},
      {"the settings file a second name of a read-only hidden file", kSettings,
       [&] {
         const std::wstring name = std::wstring(kSettings) + L"lk_main64.ini";
         return DeleteFileW(name.c_str()) &&
                CreateHardLinkW(name.c_str(), (outside + L"secret.ini").c_str(), nullptr) &&
                SetFileAttributesW((outside + L"secret.ini").c_str(), kOutsideAttributes);
       },
       std::wstring(kSettings) + L"lk_main64.ini"},
  };
  for (const SettingsTrap& trap : traps) {
    SCOPED_TRACE(trap.name);
    ASSERT_TRUE(CreateDirectoryW(kOutside, nullptr));
    ASSERT_TRUE(WriteFileBytes(outside + L"lk_main64.ini", "outside"));
    ASSERT_TRUE(WriteFileBytes(outside + L"lk_main64.ini_temp", "outside temp"));
    ASSERT_TRUE(WriteFileBytes(outside + L"secret.ini", "secret"));
    ASSERT_EQ(0, Install(std::wstring(L" /ini=") + trap.ini));
    ASSERT_TRUE(trap.set());
    const std::vector<std::string> before = TreeWithContent(kOutside);
    DeleteFileW((cwd_ / L"Lumenkast_Install.log").c_str());

    const int code = Uninstall(L"/silent /purge=1");

    EXPECT_EQ(before, TreeWithContent(kOutside));
    const bool left = FileExists(trap.reported);
    EXPECT_EQ(left ? 1 : 0, code);
    if (left) {
      EXPECT_NE(std::string::npos, Log().find(kItemsLeft)) << Log();
      EXPECT_NE(std::string::npos, Log().find(Narrow(trap.reported) + "\r\n")) << Log();
      EXPECT_TRUE(RegKeyExists(HKLM, kUninstallKey));
      // The record of the settings folder stays for the next run.
      EXPECT_TRUE(FileExists(std::wstring(kFolder) + L"lk_main64.ini"));
    }
    WaitForUninstallers(30000);
    Tidy();
    Clean();
  }
}

// A payload file that a scanner holds open with delete sharing is removed: exit 0, and the
// file is gone once the scanner lets go.
TEST_F(UninstallHardening, AFileHeldWithDeleteSharingIsRemoved) {
  ASSERT_EQ(0, Install());
  const std::wstring held = std::wstring(kFolder) + L"Plugins\\Formats.dll";
  HANDLE file = CreateFileW(held.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);

  const int code = Uninstall(L"/silent");
  CloseHandle(file);

  EXPECT_EQ(0, code);
  EXPECT_FALSE(FileExists(held));
  EXPECT_FALSE(RegKeyExists(HKLM, kUninstallKey));
  EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();
}

// Without a temporary folder no copy can be made: the uninstaller's file is marked for
// deletion at the next start of Windows under its unique name, and the log says so.
TEST_F(UninstallHardening, WithoutACopyTheUninstallerGoesAtTheNextStart) {
  ASSERT_EQ(0, Install());
  int code = -1;
  {
    ScopedEnvironmentVariable tmp(L"TMP", L"C:\\LkMissingTemp");
    ScopedEnvironmentVariable temp(L"TEMP", L"C:\\LkMissingTemp");
    code = Uninstall(L"/silent /purge=1");
  }
  EXPECT_EQ(0, code);
  EXPECT_FALSE(RegKeyExists(HKLM, kUninstallKey));
  EXPECT_TRUE(UninstallerCopyFolders().empty());
  // Only the uninstaller is left, under its unique name, and that name is pending.
  const std::vector<std::wstring> left = ListTree(kFolder);
  ASSERT_EQ(1u, left.size());
  EXPECT_EQ(0u, left[0].find(L"lk_uninstall.exe.")) << Narrow(left[0]);
  const std::wstring renamed = std::wstring(kFolder) + left[0];
  EXPECT_EQ(std::vector<std::wstring>{L"\\??\\" + renamed}, PendingDeletions());
  EXPECT_NE(std::string::npos, Log().find(std::string(kAtRestart) + Narrow(renamed) + "\r\n"))
      << Log();
}

// Without a temporary folder and without the next start of Windows (its list of pending
// deletions holds a value of another type, which the system does not extend): the
// uninstaller keeps its name and its entry, lists itself and ends with 1.
TEST_F(UninstallHardening, WithNeitherTheUninstallerAndItsEntryStay) {
  ASSERT_EQ(0, Install());
  lk::RegistryKey session;
  ASSERT_EQ(ERROR_SUCCESS,
            session.Create(HKLM, L"System\\CurrentControlSet\\Control\\Session Manager"));
  ASSERT_EQ(ERROR_SUCCESS, session.SetDword(L"PendingFileRenameOperations", 1));
  int code = -1;
  {
    ScopedEnvironmentVariable tmp(L"TMP", L"C:\\LkMissingTemp");
    ScopedEnvironmentVariable temp(L"TEMP", L"C:\\LkMissingTemp");
    code = Uninstall(L"/silent /purge=1");
  }
  RegDeleteValueW(session.Get(), L"PendingFileRenameOperations");

  EXPECT_EQ(1, code);
  const std::wstring uninstaller = std::wstring(kFolder) + L"lk_uninstall.exe";
  EXPECT_EQ(std::vector<std::wstring>{L"lk_uninstall.exe"}, ListTree(kFolder));
  EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"InstallLocation", kFolder));
  EXPECT_NE(std::string::npos, Log().find(std::string(kItemsLeft) + Narrow(uninstaller) + "\r\n"))
      << Log();

  EXPECT_EQ(0, Uninstall(L"/silent /purge=1"));
  EXPECT_FALSE(FolderExists(kFolder));
  EXPECT_FALSE(RegKeyExists(HKLM, kUninstallKey));
}

// The settings file in the settings folder held (no delete sharing): the first run fails
// and keeps the file next to the viewer that names the folder, the second run removes it.
TEST_F(UninstallHardening, AHeldSettingsFileIsRemovedByTheSecondRun) {
  ASSERT_EQ(0, Install(L" /ini=C:\\LkSettings"));
  const std::wstring settings = std::wstring(kSettings) + L"lk_main64.ini";
  HANDLE file = CreateFileW(settings.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  const int first = Uninstall(L"/silent /purge=1");
  CloseHandle(file);
  EXPECT_EQ(1, first);
  EXPECT_TRUE(FileExists(std::wstring(kFolder) + L"lk_main64.ini"));

  EXPECT_EQ(0, Uninstall(L"/silent /purge=1"));
  EXPECT_FALSE(FolderExists(kSettings));
  EXPECT_FALSE(FolderExists(kFolder));
  EXPECT_FALSE(RegKeyExists(HKLM, kUninstallKey));
}

// The user's explorer choice of another program comes back.
TEST_F(UninstallHardening, GivesBackTheUsersExplorerChoice) {
  const std::wstring choice = ExplorerChoiceKey(L"png");
  ScopedRegString type(HKLM, L"SOFTWARE\\Classes\\Fremdbild.png", nullptr, L"Fremdes Bild");
  WriteRegString(HKCU, choice, L"Progid", L"Fremdbild.png");
  ASSERT_EQ(0, Install());
  ASSERT_TRUE(RegStringIs(HKCU, choice, L"Progid", L"Lumenkast.png"));

  EXPECT_EQ(0, Uninstall(L"/silent"));

  EXPECT_TRUE(RegStringIs(HKCU, choice, L"Progid", L"Fremdbild.png"));
  const std::wstring extensionKey = choice.substr(0, choice.rfind(L'\\'));
  EXPECT_FALSE(QueryRegValue(HKCU, extensionKey, L"Lumenkast_UserChoice").exists);
  RegDeleteTreeW(HKEY_CURRENT_USER, extensionKey.c_str());
}

// A setup started the moment the uninstaller has ended, while its copy still runs, installs
// completely: the copy leaves every folder while the setup holds the guard.
TEST_F(UninstallHardening, ASetupStartedRightAfterAnUninstallIsComplete) {
  // The list of registered applications exists, as on every Windows.
  lk::RegistryKey registered;
  ASSERT_EQ(ERROR_SUCCESS, registered.Create(HKLM, L"SOFTWARE\\RegisteredApplications"));
  ASSERT_EQ(0, Install(L" /thumbs=1"));
  const std::wstring exe = std::wstring(kFolder) + L"lk_uninstall.exe";
  ASSERT_EQ(0, RunProcess(L"\"" + exe + L"\" /silent /purge=1", cwd_.Path()));
  EXPECT_EQ(0, Install(L" /thumbs=1"));
  WaitForUninstallers(30000);
  ExpectCompleteInstallation(kFolder);
}

// While another setup or uninstallation holds the guard: the window says so and ends with
// 4, touching nothing; the unattended run waits and goes ahead once the guard is free.
TEST_F(UninstallHardening, OneRunAtATime) {
  ASSERT_EQ(0, Install());
  const std::vector<std::wstring> installed = ListTree(kFolder);
  auto guard = std::make_unique<lk::RunGuard>(0);
  ASSERT_TRUE(guard->Held());

  ChildProcess window;
  ASSERT_TRUE(window.Start(L"\"" + std::wstring(kFolder) + L"lk_uninstall.exe\"", cwd_.Path()));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(20000, [&] { return (box = FindMessageBox(window.Id())) != nullptr; }));
  EXPECT_TRUE(ShowsText(box, kOtherRun));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(4, window.WaitForExit(30000));
  EXPECT_EQ(installed, ListTree(kFolder));

  ChildProcess silent;
  const std::wstring exe = std::wstring(kFolder) + L"lk_uninstall.exe";
  ASSERT_TRUE(silent.Start(L"\"" + exe + L"\" /silent /purge=1", cwd_.Path()));
  EXPECT_EQ(-1, silent.WaitForExit(1500));
  EXPECT_EQ(installed, ListTree(kFolder));
  guard.reset();
  EXPECT_EQ(0, silent.WaitForExit(30000));
  WaitForUninstallers(30000);
  EXPECT_FALSE(FolderExists(kFolder));
  EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();
}

}  // namespace
}  // namespace lktest

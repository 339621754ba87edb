// The installed uninstaller, run unattended after the unattended setup as a deployment tool
// would run it, and the prefix inspected from outside: registry, files, links, log.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <memory>

#include <functional>
#include <string>
#include <vector>

#include "framework/registry.h"
#include "support/dialog_driver.h"
#include "support/expected_installation.h"
#include "support/folder_link.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/prefix_snapshot.h"
#include "support/registry_reader.h"
#include "support/test_support.h"
#include "support/uninstaller_process.h"
#include "support/wine_own_changes.h"

namespace lktest {
namespace {

// The default folder, so that the installation creates no parent folder of its own.
constexpr wchar_t kFolder[] = L"C:\\Program Files\\Lumenkast\\";
constexpr wchar_t kJpgKey[] = L"SOFTWARE\\Classes\\.jpg";
constexpr wchar_t kForeignType[] = L"Fremdbild.jpg";

// The uninstaller's own trace: its copy in the temporary folder, marked for deletion at the
// next start of Windows (checked on its own below).
constexpr wchar_t kPendingDeletionsKey[] =
    L"HKLM\\System\\CurrentControlSet\\Control\\Session Manager";

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

bool IsUninstallerCopy(const std::wstring& file) {
  for (const std::wstring& folder : UninstallerCopyFolders()) {
    if (StartsWith(file, folder)) return true;
  }
  return false;
}

template <typename T, typename Drop>
void DropIf(std::vector<T>* list, Drop drop) {
  std::vector<T> kept;
  for (const T& item : *list) {
    if (!drop(item)) kept.push_back(item);
  }
  *list = kept;
}

// The difference without what Wine changes on its own and without the uninstaller's copy.
SnapshotDifference OwnChanges(const SnapshotDifference& all) {
  SnapshotDifference d = WithoutWineOwnChanges(all);
  auto value = [](const SnapshotValueName& v) {
    return StartsWith(v.key, kPendingDeletionsKey) && v.name == L"PendingFileRenameOperations";
  };
  for (auto* values : {&d.addedValues, &d.removedValues, &d.changedValues}) DropIf(values, value);
  for (auto* files : {&d.addedFiles, &d.removedFiles, &d.changedFiles}) {
    DropIf(files, IsUninstallerCopy);
  }
  return d;
}

PrefixSnapshot Snapshot() { return TakePrefixSnapshot({L"C:\\"}); }

class Uninstall : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    RemoveTree(kFolder);
    RemoveUninstallerCopies();
  }
  void TearDown() override {
    WaitForUninstallers(30000);
    for (const std::wstring& link : links_) RemoveFolderLink(link);
    RemoveUninstallerCopies();
    RemoveTree(kFolder);
    InstallationTest::TearDown();
  }

  int Install(const std::wstring& switches = L"") {
    return RunSetup(L"/silent /group=1 /desktop=1 /thumbs=1 /assoc=2" + switches);
  }
  int RunUninstaller(const std::wstring& arguments) const {
    return lktest::RunUninstaller(kFolder, arguments, cwd_.Path());
  }
  std::string Log() const { return ReadFileBytes(cwd_ / L"Lumenkast_Install.log"); }
  bool Link(const std::wstring& link, const std::wstring& target) {
    links_.push_back(link);
    return MakeFolderLink(link, target);
  }

  std::vector<std::wstring> links_;
};

TEST_F(Uninstall, RoundTripLeavesThePrefixAsBeforeAndGivesBackAForeignAssociation) {
  const struct {
    const wchar_t* scope;
    const wchar_t* purge;
  } cases[] = {{L"", L""}, {L" /allusers=1", L" /purge=1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(std::wstring(c.scope) + L" /" + c.purge));
    // .jpg belongs to another program (whose type exists) before the installation; the list
    // of registered applications exists, as on every Windows.
    ScopedRegString foreign(HKLM, kJpgKey, nullptr, kForeignType);
    ScopedRegString foreignType(HKLM, std::wstring(L"SOFTWARE\\Classes\\") + kForeignType, nullptr,
                                L"Fremdes Bild");
    lk::RegistryKey registered;
    ASSERT_EQ(ERROR_SUCCESS, registered.Create(HKLM, L"SOFTWARE\\RegisteredApplications"));
    const PrefixSnapshot before = Snapshot();

    ASSERT_EQ(0, Install(c.scope));
    ExpectApplicationKeys(kFolder);
    EXPECT_TRUE(RegStringIs(HKLM, kJpgKey, nullptr, L"Lumenkast.jpg"));
    EXPECT_TRUE(RegStringIs(HKLM, kJpgKey, L"Lumenkast_Backup", kForeignType));
    ASSERT_TRUE(FileExists(std::wstring(kFolder) + L"lk_uninstall.exe"));

    EXPECT_EQ(0, RunUninstaller(std::wstring(L"/silent") + c.purge));

    const SnapshotDifference changes = OwnChanges(CompareSnapshots(before, Snapshot()));
    // Without /purge=1 the settings stay, with their folder; nothing else does.
    std::vector<std::wstring> settings;
    if (!*c.purge) settings = {kFolder, std::wstring(kFolder) + L"lk_main64.ini"};
    EXPECT_EQ(settings, changes.addedFiles) << changes.Describe();
    SnapshotDifference rest = changes;
    rest.addedFiles.clear();
    EXPECT_TRUE(rest.Empty()) << rest.Describe();
    EXPECT_TRUE(RegStringIs(HKLM, kJpgKey, nullptr, kForeignType));
    EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();

    // The copy that removed the uninstaller waits in the temporary folder for the next start.
    const std::vector<std::wstring> copies = UninstallerCopyFolders();
    ASSERT_EQ(1u, copies.size());
    const std::wstring copy = copies[0] + L"lk_uninstall.exe";
    const std::vector<std::wstring> pending = {L"\\??\\" + copy,
                                               L"\\??\\" + copies[0].substr(0, copies[0].size() - 1)};
    EXPECT_EQ(pending, PendingDeletions());
    RemoveUninstallerCopies();
    RemoveTree(kFolder);
  }
}

TEST_F(Uninstall, RefusesWhileTheViewerRunsAndTouchesNothing) {
  ASSERT_EQ(0, Install());
  ASSERT_NE(nullptr, StartViewerStandIn(10000));
  const PrefixSnapshot before = Snapshot();

  const int code = RunUninstaller(L"/silent /purge=1");
  CloseViewerWindows();

  EXPECT_EQ(2, code);
  SnapshotDifference changes = OwnChanges(CompareSnapshots(before, Snapshot()));
  // Only the log entry, in the current directory.
  EXPECT_EQ(std::vector<std::wstring>{cwd_ / L"Lumenkast_Install.log"}, changes.addedFiles);
  changes.addedFiles.clear();
  DropIf(&changes.changedFiles, [this](const std::wstring& f) { return f == cwd_.Path(); });
  EXPECT_TRUE(changes.Empty()) << changes.Describe();
  EXPECT_NE(std::string::npos, Log().find(": Warnung: Lumenkast l\xE4uft!\r\n")) << Log();
}

TEST_F(Uninstall, AFileInUseFailsWithALogEntryAndASecondRunFinishes) {
  ASSERT_EQ(0, Install());
  const std::wstring used = std::wstring(kFolder) + L"Plugins\\Formats.dll";
  HANDLE file = CreateFileW(used.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);

  const int code = RunUninstaller(L"/silent");
  CloseHandle(file);

  EXPECT_EQ(1, code);
  const std::string log = Log();
  EXPECT_NE(std::string::npos,
            log.find(": Folgendes konnte nicht entfernt werden (in Gebrauch oder keine "
                     "Rechte):\r\n" + Narrow(used) + "\r\n" + std::string(48, '-') + "\r\n"))
      << log;
  // The rest is gone; the uninstaller and its entry stay for the second run.
  EXPECT_FALSE(FileExists(std::wstring(kFolder) + L"lk_main64.exe"));
  EXPECT_FALSE(RegKeyExists(HKLM, kIdentifierKey));
  EXPECT_TRUE(FileExists(std::wstring(kFolder) + L"lk_uninstall.exe"));
  EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"InstallLocation", kFolder));
  EXPECT_TRUE(UninstallerCopyFolders().empty());

  EXPECT_EQ(0, RunUninstaller(L"/silent /purge=1"));
  EXPECT_FALSE(FolderExists(kFolder));
  EXPECT_FALSE(RegKeyExists(HKLM, kUninstallKey));
}

TEST_F(Uninstall, NeverDeletesThroughALinkInsideTheFolder) {
  ASSERT_EQ(0, Install());
  TempFolder outside;
  ASSERT_TRUE(WriteFileBytes(outside / L"Formats.dll", "not the viewer's"));
  ASSERT_TRUE(WriteFileBytes(outside / L"notes.txt", "mine"));
  // Plugins itself and a folder of the user's are links to the folder outside.
  RemoveTree(std::wstring(kFolder) + L"Plugins");
  ASSERT_TRUE(Link(std::wstring(kFolder) + L"Plugins", outside.Path()));
  ASSERT_TRUE(Link(std::wstring(kFolder) + L"Extern", outside.Path()));

  // The payload's entries behind the link are refused and reported; the rest goes.
  EXPECT_EQ(1, RunUninstaller(L"/silent /purge=1"));

  EXPECT_EQ("not the viewer's", ReadFileBytes(outside / L"Formats.dll"));
  EXPECT_EQ("mine", ReadFileBytes(outside / L"notes.txt"));
  EXPECT_FALSE(FileExists(std::wstring(kFolder) + L"lk_main64.exe"));
  EXPECT_NE(std::string::npos, Log().find(Narrow(kFolder) + "Plugins\\Formats.dll\r\n")) << Log();
  EXPECT_TRUE(RegKeyExists(HKLM, kUninstallKey));
}

constexpr wchar_t kTools[] = L"C:\\Tools\\";
constexpr char kItemsLeftText[] =
    ": Folgendes konnte nicht entfernt werden (in Gebrauch oder keine Rechte):\r\n"
    "C:\\Tools\\Lumenkast\\\r\n";
constexpr char kNotOwnText[] =
    ": Dieses Programm geh\xF6rt zu keiner Lumenkast-Installation in diesem Ordner.";

// One way of running the uninstaller, and what it must leave.
struct Scenario {
  const char* name;
  std::wstring installFolder;                // /folder= of the installation
  std::function<void()> prepare;             // after the installation
  std::function<int()> run;                  // the uninstaller's exit code
  int code;
  std::wstring root;                         // where to look afterwards
  std::vector<std::wstring> remains;         // empty: root is gone; {L"="}: as before the run
  bool registered;                           // the uninstall entry is still there
  const char* logText;                       // in the install log; null: no log
};

class UninstallScenarios : public Uninstall {
 protected:
  void TearDown() override {
    viewer_.reset();
    Uninstall::TearDown();
  }
  std::unique_ptr<ChildProcess> viewer_;
};

TEST_F(UninstallScenarios, RemoveOnlyTheirOwnInstallation) {
  const std::wstring folder = kFolder;
  const std::wstring tools = kTools;
  wchar_t shortExe[MAX_PATH] = {};
  const Scenario scenarios[] = {
      {"a folder with another program's files, purged", tools,
       [&] {}, [&] { return lktest::RunUninstaller(tools, L"/silent /purge=1", cwd_.Path()); },
       0, tools, {L"Daten\\", L"Daten\\foto.jpg", L"other.exe"}, false, nullptr},
      {"a copy of the uninstaller run from elsewhere", folder,
       [&] {
         CopyFileW((folder + L"lk_uninstall.exe").c_str(), (tools + L"lk_uninstall.exe").c_str(),
                   FALSE);
       },
       [&] { return lktest::RunUninstaller(tools, L"/silent /purge=1", cwd_.Path()); },
       1, folder, {L"="}, true, kNotOwnText},
      {"started through its short 8.3 path", folder,
       [&] { GetShortPathNameW((folder + L"lk_uninstall.exe").c_str(), shortExe, MAX_PATH); },
       [&] { return RunUninstallerFile(shortExe, L"/silent /purge=1", cwd_.Path()); },
       0, folder, {}, false, nullptr},
      {"an installation folder reached through a link", tools + L"Ziel\\",
       [&] {
         WriteFileBytes(tools + L"Ziel\\notes.txt", "mine");
         Link(tools + L"Lumenkast", tools + L"Ziel\\");
         WriteRegString(HKLM, kUninstallKey, L"InstallLocation", tools + L"Lumenkast\\");
       },
       [&] {
         return lktest::RunUninstaller(tools + L"Lumenkast\\", L"/silent /purge=1", cwd_.Path());
       },
       // A link that an ordinary user could have made (under Wine: any): refused at once.
       1, tools, {L"="}, true, kItemsLeftText},
      {"the viewer started (unseen, as in another session) after the window opened", folder,
       [&] {},
       [&] {
         UninstallerWindow window;
         if (!window.Start(kFolder, cwd_.Path())) return -1;
         viewer_.reset(new ChildProcess);
         // Suspended: no window to find, only its file is held.
         if (!viewer_->Start(L"\"" + folder + L"lk_main64.exe\"", L"", CREATE_SUSPENDED)) return -1;
         window.Toggle(kUninstallPurgeBox);
         window.Click(kUninstallRemoveButton);
         AnswerMessageBox(window.WaitForMessageBox(), IDOK);
         const int code = window.WaitForExit();
         viewer_.reset();
         return code;
       },
       2, folder, {L"="}, true, nullptr},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    RemoveTree(kTools);
    ASSERT_TRUE(CreateDirectoryW(kTools, nullptr));
    ASSERT_TRUE(CreateDirectoryW((tools + L"Daten").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(tools + L"Daten\\foto.jpg", "the user's"));
    ASSERT_TRUE(WriteFileBytes(tools + L"other.exe", "another program"));
    ASSERT_EQ(0, Install(L" /folder=" + s.installFolder));
    s.prepare();
    const std::vector<std::wstring> before = ListTree(s.root);
    DeleteFileW((cwd_ / L"Lumenkast_Install.log").c_str());

    EXPECT_EQ(s.code, s.run());

    const std::vector<std::wstring> expected =
        s.remains == std::vector<std::wstring>{L"="} ? before : s.remains;
    EXPECT_EQ(expected, ListTree(s.root));
    if (expected.empty()) {
      EXPECT_FALSE(FolderExists(s.root));
    }
    EXPECT_EQ(s.registered, RegKeyExists(HKLM, kUninstallKey));
    if (s.logText) {
      EXPECT_NE(std::string::npos, Log().find(s.logText)) << Log();
    } else {
      EXPECT_FALSE(FileExists(cwd_ / L"Lumenkast_Install.log")) << Log();
    }
    // Ready for the next one.
    WaitForUninstallers(30000);
    for (const std::wstring& link : links_) RemoveFolderLink(link);
    links_.clear();
    RemoveUninstallerCopies();
    RemoveTree(kFolder);
    RemoveTree(kTools);
    Clean();
  }
}

}  // namespace
}  // namespace lktest

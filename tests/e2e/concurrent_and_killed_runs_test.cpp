// Updates as deployment tools and users really run them: two setups at once, a setup killed
// while it unpacks or while it lets the earlier files go, a settings file the setup cannot
// copy, another run holding the machine-wide guard. Whatever happens, the folder holds
// exactly one version afterwards, byte for byte, and nothing of the other.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/run_guard.h"
#include "payload/install_transaction.h"
#include "support/expected_texts.h"
#include "support/install_log_entry.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/payload_resource.h"
#include "support/test_support.h"
#include "support/test_zip_writer.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

constexpr wchar_t kTarget[] = L"C:\\Tools\\Lumenkast\\";
// Files both versions have, so that an update sets many aside and its commit takes a while.
constexpr int kSharedFiles = 1500;

std::string SharedFileName(int number) {
  return "Many/f" + std::to_string(10000 + number) + ".txt";
}

// The older version: the shared files and a few of its own.
std::string OlderPayload() {
  TestZipWriter zip;
  zip.File("lk_about.txt", "older about").File("lk_only_older.txt", "older only");
  for (int n = 0; n < kSharedFiles; ++n) zip.File(SharedFileName(n), "older " + std::to_string(n));
  return zip.Bytes();
}

// The newer version: more files, one large enough that a kill lands while it is written,
// and files after it.
std::string NewerPayload() {
  TestZipWriter zip;
  zip.File("lk_about.txt", "newer about");
  for (int n = 0; n < kSharedFiles; ++n) zip.File(SharedFileName(n), "newer " + std::to_string(n));
  for (int n = 0; n < 50; ++n) zip.File("New/n" + std::to_string(n) + ".txt", std::string(50000, 'n'));
  zip.File("Zz/large.bin", std::string(128u << 20, '\0')).File("Zz/after.txt", "after");
  return zip.Bytes();
}

using FolderContents = TreeContents;

// The names where two contents differ, for the failure message.
std::string Difference(const FolderContents& now, const FolderContents& expected) {
  std::string text;
  int shown = 0;
  for (const auto& entry : now) {
    const auto other = expected.find(entry.first);
    if ((other == expected.end() || other->second != entry.second) && shown++ < 10) {
      text += "+" + Narrow(entry.first) + " ";
    }
  }
  for (const auto& entry : expected) {
    if (now.find(entry.first) == now.end() && shown++ < 20) text += "-" + Narrow(entry.first) + " ";
  }
  return text;
}

enum class Step {
  kNewer,                // the newer setup: 0
  kOlder,                // the older setup: 0
  kFailing,              // a setup whose payload does not match its digest: 1
  kNewerKilledUnpacking, // the newer setup, killed while it writes its large file
  kNewerKilledCommitting,// the newer setup, killed while it deletes the earlier files
  kTwoNewerTogether,     // two newer setups started together: both 0 one after the other, or
                         // one 0 and the other 4
  kSettingsUnreadable,   // the newer setup while the settings file cannot be read: 1
};

enum class Version { kOlder, kNewerOverOlder };

struct Scenario {
  const char* what;
  std::vector<Step> steps;
  Version expected;
};

const Scenario kScenarios[] = {
    {"killed while unpacking, then the same setup",
     {Step::kNewerKilledUnpacking, Step::kNewer}, Version::kNewerOverOlder},
    {"killed while unpacking, then the older setup",
     {Step::kNewerKilledUnpacking, Step::kOlder}, Version::kOlder},
    {"killed while unpacking, then a failing setup",
     {Step::kNewerKilledUnpacking, Step::kFailing}, Version::kOlder},
    {"killed while committing, then a failing setup",
     {Step::kNewerKilledCommitting, Step::kFailing}, Version::kNewerOverOlder},
    {"two setups started together", {Step::kTwoNewerTogether}, Version::kNewerOverOlder},
    {"settings file that cannot be copied", {Step::kSettingsUnreadable}, Version::kOlder},
};

class ConcurrentAndKilledRuns : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    older_ = MakeSetup(L"older", OlderPayload(), false);
    newer_ = MakeSetup(L"newer", NewerPayload(), false);
    failing_ = MakeSetup(L"failing", OlderPayload() + "damage", true);
  }

  std::wstring MakeSetup(const std::wstring& name, const std::string& archive, bool keepDigest) {
    CreateDirectoryW((setups_ / name).c_str(), nullptr);
    const std::wstring copy = setups_ / name + L"\\lumenkast_setup_x64.exe";
    EXPECT_TRUE(CopySetupWithPayload(LK_SETUP_EXE, copy, archive, keepDigest));
    return copy;
  }

  std::wstring CommandLine(const std::wstring& setup) const {
    return L"\"" + setup + L"\" /silent /folder=" + kTarget;
  }

  std::wstring LogPath() const { return cwd_ / L"Lumenkast_Install.log"; }

  void Run(const std::wstring& setup, int expectedCode) {
    DeleteFileW(LogPath().c_str());
    EXPECT_EQ(expectedCode, RunProcess(CommandLine(setup), cwd_.Path()));
    if (expectedCode == 0) {
      EXPECT_FALSE(FileExists(LogPath())) << ReadFileBytes(LogPath());
    } else {
      EXPECT_TRUE(IsSingleLogEntry(ReadFileBytes(LogPath()),
                                   std::wstring(kTarget) + L": " + kInstallFailed));
    }
  }

  // Starts the newer setup and kills it once landmark exists; false when it ended first.
  bool KillNewerOnceThere(const std::wstring& landmark) {
    ChildProcess setup;
    if (!setup.Start(CommandLine(newer_), cwd_.Path())) return false;
    while (!FileExists(landmark) && !FolderExists(landmark) &&
           WaitForSingleObject(setup.Handle(), 1) == WAIT_TIMEOUT) {
    }
    const bool running = TerminateProcess(setup.Handle(), 99) != 0;
    setup.WaitForExit(10000);
    return running && setup.WaitForExit(0) == 99;
  }

  void TwoTogether() {
    ChildProcess first;
    ChildProcess second;
    ASSERT_TRUE(first.Start(CommandLine(newer_), cwd_.Path()));
    ASSERT_TRUE(second.Start(CommandLine(newer_), cwd_.Path()));
    const int codes[] = {first.WaitForExit(180000), second.WaitForExit(180000)};
    const bool bothInstalled = codes[0] == 0 && codes[1] == 0;
    const bool oneRefused = (codes[0] == 0 && codes[1] == 4) || (codes[0] == 4 && codes[1] == 0);
    EXPECT_TRUE(bothInstalled || oneRefused) << codes[0] << " " << codes[1];
  }

  // The settings file held open without read sharing: it may be moved, never copied.
  void WithSettingsUnreadable() {
    const std::wstring settings = std::wstring(kTarget) + L"lk_main64.ini";
    const std::string before = ReadFileBytes(settings);
    ASSERT_FALSE(before.empty());
    {
      lk::ScopedFileHandle held(CreateFileW(settings.c_str(), GENERIC_READ,
                                            FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(held);
      Run(newer_, 1);
    }
    EXPECT_EQ(before, ReadFileBytes(settings));
  }

  void Carry(Step step) {
    const std::wstring target = kTarget;
    switch (step) {
      case Step::kNewer: return Run(newer_, 0);
      case Step::kOlder: return Run(older_, 0);
      case Step::kFailing: return Run(failing_, 1);
      case Step::kNewerKilledUnpacking:
        ASSERT_TRUE(KillNewerOnceThere(target + L"Zz\\large.bin")) << "ended before the kill";
        EXPECT_EQ("newer about", ReadFileBytes(target + L"lk_about.txt"));
        return;
      case Step::kNewerKilledCommitting:
        ASSERT_TRUE(KillNewerOnceThere(target + kDiscardFolderName)) << "ended before the kill";
        EXPECT_FALSE(FolderExists(target + kSetAsideFolderName));
        return;
      case Step::kTwoNewerTogether: return TwoTogether();
      case Step::kSettingsUnreadable: return WithSettingsUnreadable();
    }
  }

  void StartOver() {
    RemoveRegistration();
    RemoveTree(L"C:\\Tools");
  }

  TempFolder setups_;
  std::wstring older_;
  std::wstring newer_;
  std::wstring failing_;
};

TEST_F(ConcurrentAndKilledRuns, TheFolderHoldsExactlyOneVersion) {
  Run(older_, 0);
  const FolderContents older = ReadTree(kTarget);
  Run(newer_, 0);
  const FolderContents newer = ReadTree(kTarget);
  ASSERT_NE(older, newer);

  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.what);
    StartOver();
    Run(older_, 0);
    for (Step step : scenario.steps) Carry(step);
    const FolderContents& expected = scenario.expected == Version::kOlder ? older : newer;
    const FolderContents now = ReadTree(kTarget);
    EXPECT_TRUE(now == expected) << Difference(now, expected);
  }
}

// Another run holds the guard: an unattended setup waits a minute for it, then ends with 4
// and its log entry; the wizard says the same at once in a box and never shows its pages.
// Neither touches the installation.
TEST_F(ConcurrentAndKilledRuns, AnotherRunKeepsTheGuardForAMinute) {
  Run(older_, 0);
  const FolderContents older = ReadTree(kTarget);
  const lk::RunGuard held(0);
  ASSERT_TRUE(held.Held());
  DeleteFileW(LogPath().c_str());
  const DWORD start = GetTickCount();
  ChildProcess unattended;
  ASSERT_TRUE(unattended.Start(CommandLine(newer_), cwd_.Path()));

  WizardProcess wizard;
  EXPECT_FALSE(wizard.Start(cwd_.Path(), 0));
  const HWND box = wizard.WaitForMessageBox();
  ExpectNotice(box, kAnotherRun);
  EXPECT_TRUE(wizard.Answer(box, IDOK));
  EXPECT_TRUE(wizard.WaitForExit(10000));
  EXPECT_FALSE(wizard.Sheet());

  EXPECT_EQ(4, unattended.WaitForExit(180000));
  EXPECT_GE(GetTickCount() - start, 59000u);
  EXPECT_TRUE(IsSingleLogEntry(ReadFileBytes(LogPath()), kAnotherRun));
  EXPECT_TRUE(ReadTree(kTarget) == older);
}

}  // namespace
}  // namespace lktest

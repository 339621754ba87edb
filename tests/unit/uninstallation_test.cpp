#include "uninstall/uninstallation.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/expected_installation.h"
#include "support/registry_reader.h"
#include "support/test_support.h"

namespace {

using lktest::FileExists;

class Uninstallation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lktest::WriteFileBytes(folder_ / L"lk_uninstall.exe", "MZ"));
    ASSERT_TRUE(lktest::WriteFileBytes(folder_ / L"lk_main64.exe", "MZ"));
  }
  void Register(const std::wstring& location) {
    lktest::WriteRegString(HKEY_LOCAL_MACHINE, lktest::kUninstallKey, L"InstallLocation",
                           location);
  }
  std::wstring ShortPath(const std::wstring& path) const {
    wchar_t shortPath[MAX_PATH] = {};
    GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return shortPath;
  }
  int Check(const std::wstring& exePath, std::wstring* message) const {
    return CheckBeforeRemoval(RequestFor(exePath, 0), message);
  }

  lktest::ScratchRegistry registry_;
  lktest::TempFolder folder_;  // its name is longer than 8.3: it has a short one beside
  lktest::TempFolder other_;
};

// The uninstaller acts only for the installation the uninstall entry names, however the
// entry and its own path spell that folder; a copy elsewhere, or no entry, is refused.
TEST_F(Uninstallation, GoesAheadOnlyForTheFolderTheUninstallEntryNames) {
  const std::wstring exe = folder_ / L"lk_uninstall.exe";
  std::wstring upper = folder_.Path();
  CharUpperW(&upper[0]);
  const struct {
    const char* label;
    std::wstring registered;  // empty: no uninstall entry
    std::wstring exePath;
    int expected;
  } cases[] = {
      {"same", folder_.Path(), exe, kExitRemoved},
      {"no backslash, other case", upper.substr(0, upper.size() - 1), exe, kExitRemoved},
      {"entry short", ShortPath(folder_.Path()), exe, kExitRemoved},
      {"started short", folder_.Path(), ShortPath(exe), kExitRemoved},
      {"other folder", other_.Path(), exe, kExitFailed},
      {"missing folder", folder_ / L"Missing\\", exe, kExitFailed},
      {"no entry", L"", exe, kExitFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, lktest::kUninstallKey);
    if (!c.registered.empty()) Register(c.registered);
    std::wstring message;
    EXPECT_EQ(c.expected, Check(c.exePath, &message));
    // (The text itself comes from the uninstaller's resources: see the end-to-end tests.)
    EXPECT_EQ(c.expected != kExitRemoved, !message.empty());
  }
}

// A viewer whose file is held (as a running program holds it, in any session) stops the
// removal before anything is touched.
TEST_F(Uninstallation, RefusesWhileTheViewersFileCannotBeDeleted) {
  Register(folder_.Path());
  HANDLE held = CreateFileW((folder_ / L"lk_main64.exe").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  std::wstring message;
  EXPECT_EQ(kExitViewerRunning, Check(folder_ / L"lk_uninstall.exe", &message));
  CloseHandle(held);
  EXPECT_TRUE(FileExists(folder_ / L"lk_main64.exe"));
  EXPECT_EQ(kExitRemoved, Check(folder_ / L"lk_uninstall.exe", &message));
}

// The purge takes the settings, never the folder's other contents.
TEST_F(Uninstallation, PurgeLeavesWhatTheProductDidNotMake) {
  Register(folder_.Path());
  ASSERT_TRUE(lktest::WriteFileBytes(folder_ / L"mine.txt", "the user's"));
  ASSERT_TRUE(CreateDirectoryW((folder_ / L"Data").c_str(), nullptr));
  ASSERT_TRUE(lktest::WriteFileBytes(folder_ / L"Data\\photo.jpg", "the user's"));
  ASSERT_TRUE(lktest::WriteFileBytes(folder_ / L"lk_main64.ini", "[Language]\r\n"));
  ASSERT_TRUE(lktest::WriteFileBytes(folder_ / L"lk_main64.ini_temp", "t"));

  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveInstallation(RequestFor(folder_ / L"lk_uninstall.exe", 1), nullptr,
                                  &failures));
  EXPECT_TRUE(failures.empty());
  const std::vector<std::wstring> left = {L"Data", L"lk_uninstall.exe", L"mine.txt"};
  EXPECT_EQ(left, lktest::ListFolder(folder_.Path()));
  EXPECT_EQ("the user's", lktest::ReadFileBytes(folder_ / L"Data\\photo.jpg"));
}

}  // namespace

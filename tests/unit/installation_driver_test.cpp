#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/icon_library.h"
#include "app/installation_driver.h"
#include "app/install_plan.h"
#include "app/string_table.h"
#include "payload/payload_source.h"
#include "res/resource.h"
#include "support/install_log_entry.h"
#include "support/test_support.h"

namespace {

std::wstring Fixture(const wchar_t* name) {
  return std::wstring(LK_BUILD_DIR) + L"\\fixtures\\" + name + L".dll";
}

bool SetFileSize(const std::wstring& path, LONGLONG size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER position;
  position.QuadPart = size;
  bool ok = SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

TEST(IconLibraryDecision, KeepsNewerForeignOrOddSizedLibraries) {
  const struct {
    const wchar_t* fixture;  // null: no file at all
    LONGLONG size;           // 0: as built
    int keep;
  } cases[] = {
      {L"ver_420", 0, 0},
      {L"ver_430", 226816, 0},
      {L"ver_430_lowercase_company", 226816, 0},
      {L"ver_430", 0, 1},
      {L"ver_430", 226817, 1},
      {L"ver_440", 0, 1},
      {L"ver_450", 0, 1},
      {L"ver_420_other_company", 0, 1},
      {L"ver_420_no_company", 0, 1},
      {L"ver_410_0", 0, 0},  // 4.100 reads as 4.1: older, the maker's
      {L"no_version", 0, 0},
      {nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    lktest::TempFolder folder;
    std::wstring library = folder / L"Icons.dll";
    if (c.fixture) {
      ASSERT_TRUE(CopyFileW(Fixture(c.fixture).c_str(), library.c_str(), FALSE));
      if (c.size) {
        ASSERT_TRUE(SetFileSize(library, c.size));
      }
    }
    EXPECT_EQ(c.keep, IconLibraryDecision(library.c_str()))
        << (c.fixture ? lktest::Narrow(c.fixture) : "no file") << " size " << c.size;
  }
}

// Unattended failures before anything is unpacked: one log entry, result 0. A folder that
// is not an absolute path on a drive counts as invalid: it would install under the current
// directory.
TEST(RunInstallation, UnusableTargetFoldersAreLoggedAndRefused) {
  const std::wstring invalid = LoadResString(IDS_INVALID_FOLDER);
  const std::wstring cannot = LoadResString(IDS_CANNOT_CREATE_FOLDER);
  const struct {
    const wchar_t* folder;
    std::wstring entry;
  } cases[] = {
      {L"", invalid + L": "},
      {L"    ", cannot + L": "},
      {L"Q:\\Lumenkast", cannot + L": Q:\\Lumenkast\\"},
      {L"Lumenkast", invalid + L": Lumenkast"},
      {L"sub\\x", invalid + L": sub\\x"},
      {L"%ProgramFiles%\\x", invalid + L": %ProgramFiles%\\x"},
      {L"\\x", invalid + L": \\x"},
      {L"C:x", invalid + L": C:x"},
      {L"\\\\server\\share\\x", invalid + L": \\\\server\\share\\x"},
  };
  for (const auto& c : cases) {
    lktest::CurrentDirectoryGuard guard;
    lktest::TempFolder cwd;
    SetCurrentDirectoryW(cwd.Path().c_str());
    InstallOptions options;
    wcscpy(options.targetFolder, c.folder);
    options.unattended = 1;
    const PayloadSource payload;
    EXPECT_EQ(0, RunInstallation(options, payload));

    EXPECT_TRUE(
        lktest::IsSingleLogEntry(lktest::ReadFileBytes(cwd / L"Lumenkast_Install.log"), c.entry));
    EXPECT_EQ(std::vector<std::wstring>{L"Lumenkast_Install.log"}, lktest::ListFolder(cwd.Path()))
        << lktest::Narrow(c.folder);
  }
}

// The current directory is nobody's parameter: it stays where the setup was started while
// the installation runs, so the log entry of a registration that could not be written lands
// there; the installed folder becomes the current directory only at the end, for the viewer
// started afterwards.
TEST(RunInstallation, TheCurrentDirectoryIsTheTargetOnlyOnceTheRunIsOver) {
  PayloadSource payload;
  ASSERT_TRUE(OpenPayloadSource(&payload));
  lktest::CurrentDirectoryGuard guard;
  lktest::TempFolder start, root;
  ASSERT_TRUE(SetCurrentDirectoryW(start.Path().c_str()));
  const std::wstring target = root / L"Lumenkast";
  InstallOptions options;
  wcscpy(options.targetFolder, target.c_str());
  options.unattended = 1;
  {
    lktest::UnwritableRegistry registry;
    EXPECT_EQ(kInstalledIncomplete, RunInstallation(options, payload));
  }

  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(target, std::wstring(current));
  EXPECT_TRUE(lktest::FileExists(target + L"\\lk_main64.exe"));
  const std::string log = lktest::ReadFileBytes(start / L"Lumenkast_Install.log");
  const std::string entry = lktest::LogBytes(LoadResString(IDS_REGISTRATION_INCOMPLETE));
  EXPECT_NE(std::string::npos, log.find(entry)) << log;
  EXPECT_FALSE(lktest::FileExists(target + L"\\Lumenkast_Install.log"));
  ASSERT_TRUE(SetCurrentDirectoryW(start.Path().c_str()));
}

// The plan's target folder is the one every step uses: absolute, each component's trailing
// blanks trimmed, "." and ".." resolved, one trailing backslash.
TEST(InstallPlan, TargetFolderIsTidiedOnceAndTheChoicesCarriedOver) {
  const struct {
    const wchar_t* chosen;
    const wchar_t* planned;
  } cases[] = {
      {L"C:\\Programme\\Lumenkast", L"C:\\Programme\\Lumenkast\\"},
      {L"  C:\\Programme \\Lumenkast\\  ", L"C:\\Programme\\Lumenkast\\"},
      {L"C:\\Tools\\..\\Lumenkast\\.\\", L"C:\\Lumenkast\\"},
      {L"C:/Tools/Lumenkast", L"C:\\Tools\\Lumenkast\\"},
      {L"Q:\\Lumenkast", L"Q:\\Lumenkast\\"},
      {L"    ", L""},
  };
  for (const auto& c : cases) {
    InstallOptions options;
    wcscpy(options.targetFolder, c.chosen);
    EXPECT_EQ(c.planned, MakeInstallPlan(options).registration.folder) << lktest::Narrow(c.chosen);
  }

  InstallOptions options;
  wcscpy(options.targetFolder, L"C:\\Lumenkast");
  wcscpy(options.settingsFolder, L"%APPDATA%\\Lumenkast");
  options.desktopShortcut = 1;
  options.allUsers = 1;
  SelectImageFormats(options.formatSelection);
  options.associateFormats = 1;
  const InstallPlan plan = MakeInstallPlan(options);
  EXPECT_EQ(L"%APPDATA%\\Lumenkast", plan.settingsFolder);
  EXPECT_EQ(1, plan.registration.desktopShortcut);
  EXPECT_EQ(0, plan.registration.startMenuGroup);
  EXPECT_EQ(1, plan.registration.allUsers);
  EXPECT_EQ(1, plan.registration.associateFormats);
  EXPECT_TRUE(std::equal(std::begin(options.formatSelection), std::end(options.formatSelection),
                         std::begin(plan.registration.formatSelection)));

  // A No to the question: no format taken over, the rest as chosen.
  const ApplicationRegistration declined = WithoutAssociations(plan.registration);
  FormatSelection none;
  SelectNoFormats(none);
  EXPECT_TRUE(std::equal(std::begin(none), std::end(none), std::begin(declined.formatSelection)));
  EXPECT_EQ(0, declined.associateFormats);
  EXPECT_EQ(plan.registration.folder, declined.folder);
  EXPECT_EQ(1, declined.desktopShortcut);
}

}  // namespace

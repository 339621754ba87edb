// The installed uninstaller against registry keys and links it cannot delete, and against
// a replaced association whose program has gone since: run unattended, then the prefix
// inspected from outside.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "framework/registry.h"
#include "support/expected_installation.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/registry_reader.h"
#include "support/test_support.h"
#include "support/undeletable_key.h"
#include "support/uninstaller_process.h"

namespace lktest {
namespace {

constexpr wchar_t kFolder[] = L"C:\\Tools\\Lumenkast\\";
constexpr wchar_t kJpgKey[] = L"SOFTWARE\\Classes\\.jpg";
constexpr wchar_t kForeignTypeKey[] = L"SOFTWARE\\Classes\\Fremdbild.jpg";
constexpr wchar_t kPngIdentifier[] = L"SOFTWARE\\Classes\\Lumenkast.png";

class UninstallRegistration : public InstallationTest {
 protected:
  // Whatever copy folders earlier tests left are gone: a test here may look for this run's.
  void SetUp() override {
    InstallationTest::SetUp();
    RemoveUninstallerCopies();
  }
  void TearDown() override {
    WaitForUninstallers(30000);
    RemoveUninstallerCopies();
    lk::DeleteRegistryValue(HKLM, kJpgKey, nullptr);
    lk::DeleteKeyIfEmpty(HKLM, kJpgKey);
    RegDeleteTreeW(HKLM, kForeignTypeKey);
    RemoveTree(kFolder);
    InstallationTest::TearDown();
  }
  int RunUninstaller(const std::wstring& arguments) const {
    return lktest::RunUninstaller(kFolder, arguments, cwd_.Path());
  }
  std::string Log() const { return ReadFileBytes(cwd_ / L"Lumenkast_Install.log"); }
};

// A key of the viewer's that cannot be deleted and a desktop link held open: exit 1, both
// named in the log, the uninstaller and its entry kept. Once both are free, a second run
// finishes. The program whose .jpg association was replaced has gone meanwhile, so .jpg is
// left without a default instead of naming its missing type.
TEST_F(UninstallRegistration, WhatCannotBeRemovedIsListedAndASecondRunFinishes) {
  WriteRegString(HKLM, kForeignTypeKey, nullptr, L"Fremdes Bild");
  WriteRegString(HKLM, kJpgKey, nullptr, L"Fremdbild.jpg");
  ASSERT_EQ(0, RunSetup(L"/silent /desktop=1 /assoc=2 /folder=C:\\Tools\\Lumenkast"));
  ASSERT_TRUE(RegStringIs(HKLM, kJpgKey, L"Lumenkast_Backup", L"Fremdbild.jpg"));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKLM, kForeignTypeKey));

  const std::wstring link = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"Lumenkast 64.lnk";
  HANDLE held = CreateFileW(link.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  int code = -1;
  {
    UndeletableKey blocked(HKLM, std::wstring(kPngIdentifier) + L"\\shell");
    code = RunUninstaller(L"/silent");
  }
  CloseHandle(held);

  EXPECT_EQ(1, code);
  const std::string log = Log();
  EXPECT_NE(std::string::npos,
            log.find("\r\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Lumenkast.png\r\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("\r\n" + Narrow(link) + "\r\n")) << log;
  EXPECT_TRUE(FileExists(link));
  EXPECT_TRUE(FileExists(std::wstring(kFolder) + L"lk_uninstall.exe"));
  EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"InstallLocation", kFolder));
  EXPECT_TRUE(UninstallerCopyFolders().empty());
  // The rest is gone.
  EXPECT_FALSE(FileExists(std::wstring(kFolder) + L"lk_main64.exe"));
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast.jpg"));
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Applications\\lk_main64.exe"));
  EXPECT_FALSE(RegKeyExists(HKLM, kJpgKey));

  EXPECT_EQ(0, RunUninstaller(L"/silent"));
  EXPECT_FALSE(FileExists(link));
  EXPECT_FALSE(RegKeyExists(HKLM, kPngIdentifier));
  EXPECT_FALSE(RegKeyExists(HKLM, kUninstallKey));
}

}  // namespace
}  // namespace lktest

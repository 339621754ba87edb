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

// /purge=1 empties the folder only when the uninstall entry names it as the installation's:
// an uninstaller copied elsewhere (onto the desktop, say) never empties that folder.
TEST(Uninstallation, PurgeEmptiesOnlyTheRegisteredInstallationFolder) {
  lktest::ScratchRegistry registry;
  lktest::TempFolder folder;
  for (const char* registered : {"", "other", "this"}) {
    SCOPED_TRACE(registered);
    ASSERT_TRUE(lktest::WriteFileBytes(folder / L"mine.txt", "the user's"));
    ASSERT_TRUE(lktest::WriteFileBytes(folder / L"lk_main64.ini", "[Language]\r\n"));
    ASSERT_TRUE(lktest::WriteFileBytes(folder / L"lk_uninstall.exe", "MZ"));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, lktest::kUninstallKey);
    if (*registered) {
      const std::wstring location =
          std::string(registered) == "this" ? folder.Path() : folder / L"Other\\";
      lktest::WriteRegString(HKEY_LOCAL_MACHINE, lktest::kUninstallKey, L"InstallLocation",
                             location);
    }

    std::vector<std::wstring> failures;
    const UninstallRequest request = RequestFor(folder / L"lk_uninstall.exe", 1);
    EXPECT_EQ(1, RemoveInstallation(request, nullptr, &failures));

    EXPECT_FALSE(FileExists(folder / L"lk_main64.ini"));  // the settings go in any case
    EXPECT_EQ(std::string(registered) != "this", FileExists(folder / L"mine.txt"));
    EXPECT_TRUE(FileExists(folder / L"lk_uninstall.exe"));  // its copy removes it later
  }
}

}  // namespace

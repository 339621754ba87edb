#include "uninstall/registration_removal.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "framework/registry.h"
#include "integration/app_registration.h"
#include "integration/file_associations.h"
#include "integration/format_catalogue.h"
#include "support/expected_installation.h"
#include "support/installation_state.h"
#include "support/prefix_snapshot.h"
#include "support/registry_reader.h"
#include "support/shell_folder_redirect.h"
#include "support/test_support.h"

namespace {

using lktest::HKCU;
using lktest::HKLM;
using lktest::RegStringIs;

constexpr wchar_t kFolder[] = L"C:\\Programme\\Lumenkast\\";

// The setup's registration and the uninstaller's removal in a scratch registry that already
// holds other programs' entries beside the viewer's.
class RegistrationRemoval : public ::testing::Test {
 protected:
  RegistrationRemoval() { SelectAllFormats(selection_); }
  ~RegistrationRemoval() override {
    const std::wstring desktop = lktest::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    for (const wchar_t* name : lktest::kDesktopLinkNames) DeleteFileW((desktop + name).c_str());
  }
  void Register() {
    RegisterApplication(1, kFolder, 0, 0, 1, 0, selection_);
    SuppressAppXOpenWith();  // as on Windows 8 and later
  }
  // The keys every Windows has, which the registration writes below; and the user profile
  // entries Wine's shell writes when it first looks up a special folder.
  static void PrepareWindowsKeys() {
    for (const wchar_t* key : {L"SOFTWARE\\Classes\\Applications",
                               L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
      lk::RegistryKey k;
      k.Create(HKLM, key);
    }
    lktest::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  }
  static lktest::PrefixSnapshot Registry() { return lktest::TakePrefixSnapshot({}); }

  lktest::ScratchRegistry registry_;
  lktest::RedirectedShellFolders folders_;
  FormatSelection selection_;
};

TEST_F(RegistrationRemoval, LeavesTheRegistryAsItWasAndGivesBackReplacedDefaults) {
  // Another program owns .jpg, .png has a key with other values, a verb of folders and the
  // registered-applications list exist, and an AppX key holds a value of its own.
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\.jpg", nullptr, L"Fremdbild.jpg");
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\.png", L"Content Type", L"image/png");
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Directory\\shell\\find", nullptr, L"Suchen");
  lktest::WriteRegString(HKLM, L"SOFTWARE\\RegisteredApplications", L"Fremd", L"SOFTWARE\\Fremd");
  lktest::WriteRegString(HKCU, lktest::kAppXOverrideKeys[0], L"Other", L"x");
  PrepareWindowsKeys();
  const lktest::PrefixSnapshot before = Registry();

  Register();
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\.jpg", nullptr, L"Lumenkast.jpg"));
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\.jpg", L"Lumenkast_Backup", L"Fremdbild.jpg"));
  // Only another program's type is kept: nothing for .png, which had no default.
  EXPECT_FALSE(lktest::QueryRegValue(HKLM, L"SOFTWARE\\Classes\\.png", L"Lumenkast_Backup").exists);
  // A second installation keeps the foreign type, not its own.
  Register();
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\.jpg", L"Lumenkast_Backup", L"Fremdbild.jpg"));

  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveRegistration(0, &failures));
  const lktest::SnapshotDifference changes = lktest::CompareSnapshots(before, Registry());
  EXPECT_TRUE(changes.Empty()) << changes.Describe();
}

TEST_F(RegistrationRemoval, AnExtensionTakenOverSinceAndTheUninstallEntryOnRequestStay) {
  PrepareWindowsKeys();
  const lktest::PrefixSnapshot before = Registry();
  Register();
  // Since the installation another program took .gif, and the user's choice of .png too.
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\.gif", nullptr, L"Anders.gif");
  lktest::WriteRegString(HKCU, lktest::ExplorerChoiceKey(L"png"), L"Progid", L"Anders.png");

  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveRegistration(1, &failures));
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\.gif", nullptr, L"Anders.gif"));
  EXPECT_TRUE(RegStringIs(HKCU, lktest::ExplorerChoiceKey(L"png"), L"Progid", L"Anders.png"));
  EXPECT_TRUE(RegStringIs(HKLM, lktest::kUninstallKey, L"InstallLocation", kFolder));
  // Of the viewer's keys only the uninstall entry is left.
  const lktest::SnapshotDifference changes = lktest::CompareSnapshots(before, Registry());
  const std::wstring uninstallKey = L"HKLM\\" + std::wstring(lktest::kUninstallKey);
  for (const std::wstring& key : changes.addedKeys) {
    EXPECT_TRUE(key == uninstallKey || key.find(L"Lumenkast") == std::wstring::npos)
        << lktest::Narrow(key);
  }
  for (const lktest::SnapshotValueName& value : changes.addedValues) {
    EXPECT_TRUE(value.key == uninstallKey || (value.name.find(L"Lumenkast") == std::wstring::npos &&
                                              value.key.find(L"Lumenkast") == std::wstring::npos))
        << lktest::Narrow(value.key + L" " + value.name);
  }
}

}  // namespace

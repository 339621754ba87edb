#include "uninstall/registration_removal.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

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
#include "support/undeletable_key.h"

namespace {

using lktest::HKCU;
using lktest::HKLM;
using lktest::RegStringIs;

constexpr wchar_t kFolder[] = L"C:\\Programme\\Lumenkast\\";
constexpr wchar_t kJpgKey[] = L"SOFTWARE\\Classes\\.jpg";

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
    ApplicationRegistration registration;
    registration.folder = kFolder;
    registration.thumbnailsShortcut = 1;
    for (int row = 0; row < FormatCount; ++row) registration.formatSelection[row] = selection_[row];
    registration.associateFormats = 1;
    RegisterApplication(registration);
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
  // Another program owns .jpg (and its type exists), .png has a key with other values, a verb of
  // folders and the registered-applications list exist, and an AppX key holds a value of its own.
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\.jpg", nullptr, L"Fremdbild.jpg");
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Fremdbild.jpg", nullptr, L"Fremdes Bild");
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
  EXPECT_TRUE(failures.empty());
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
  EXPECT_TRUE(failures.empty());
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

// What a saved default names decides whether it comes back: only another program's type
// whose key still exists (in the machine's or the user's classes). Otherwise the extension
// loses the viewer's default rather than pointing at nothing.
TEST_F(RegistrationRemoval, GivesBackASavedTypeOnlyWhenItExistsAndIsNotTheViewers) {
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Fremdbild.jpg", nullptr, L"Bild");
  lktest::WriteRegString(HKCU, L"SOFTWARE\\Classes\\Benutzerbild.jpg", nullptr, L"Bild");
  const struct {
    const wchar_t* current;
    const wchar_t* saved;
    const wchar_t* expected;  // null: no default left
  } cases[] = {
      {L"Lumenkast.jpg", L"Fremdbild.jpg", L"Fremdbild.jpg"},
      {L"Lumenkast.jpg", L"Benutzerbild.jpg", L"Benutzerbild.jpg"},
      {L"LUMENKAST.JPG", L"Fremdbild.jpg", L"Fremdbild.jpg"},
      {L"Lumenkast.jpg", L"Verschwunden.jpg", nullptr},
      {L"Lumenkast.jpg", L"lumenkast.png", nullptr},
      {L"Lumenkast.jpg", L"", nullptr},
      {L"Lumenkast.jpg", L"Fremdbild.jpg\\..", nullptr},
      // Another program took the extension since: its default stays.
      {L"Anders.jpg", L"Fremdbild.jpg", L"Anders.jpg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(lktest::Narrow(std::wstring(c.current) + L" / " + c.saved));
    lktest::WriteRegString(HKLM, kJpgKey, nullptr, c.current);
    lktest::WriteRegString(HKLM, kJpgKey, L"Lumenkast_Backup", c.saved);

    std::vector<std::wstring> failures;
    EXPECT_EQ(1, RemoveRegistration(0, &failures));

    EXPECT_FALSE(lktest::QueryRegValue(HKLM, kJpgKey, L"Lumenkast_Backup").exists);
    if (c.expected) {
      EXPECT_TRUE(RegStringIs(HKLM, kJpgKey, nullptr, c.expected));
    } else {
      EXPECT_FALSE(lktest::RegKeyExists(HKLM, kJpgKey));
    }
  }
}

// The current user's explorer choice of another program is kept by the setup (also over a
// second installation) and comes back where the extension still points at the viewer and
// that type still exists; otherwise the viewer's choice just goes. The kept copy never stays.
TEST_F(RegistrationRemoval, GivesBackTheUsersExplorerChoice) {
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Fremdbild.png", nullptr, L"Bild");
  const struct {
    const wchar_t* extension;
    const wchar_t* before;  // the user's choice before the installation
    const wchar_t* since;   // chosen after the installation; null: none
    const wchar_t* after;   // after the uninstallation; null: no choice
  } cases[] = {
      {L"png", L"Fremdbild.png", nullptr, L"Fremdbild.png"},
      {L"gif", L"Verschwunden.gif", nullptr, nullptr},
      {L"bmp", L"Fremdbild.png", L"Anders.bmp", L"Anders.bmp"},
  };
  for (const auto& c : cases) {
    lktest::WriteRegString(HKCU, lktest::ExplorerChoiceKey(c.extension), L"Progid", c.before);
  }
  Register();
  Register();
  for (const auto& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.extension));
    EXPECT_TRUE(RegStringIs(HKCU, lktest::ExplorerChoiceKey(c.extension), L"Progid",
                            std::wstring(L"Lumenkast.") + c.extension));
    if (c.since) {
      lktest::WriteRegString(HKCU, lktest::ExplorerChoiceKey(c.extension), L"Progid", c.since);
    }
  }

  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveRegistration(0, &failures));
  EXPECT_TRUE(failures.empty());
  for (const auto& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.extension));
    const std::wstring extensionKey =
        lktest::ExplorerChoiceKey(c.extension).substr(
            0, lktest::ExplorerChoiceKey(c.extension).rfind(L'\\'));
    EXPECT_FALSE(lktest::QueryRegValue(HKCU, extensionKey, L"Lumenkast_UserChoice").exists);
    if (c.after) {
      EXPECT_TRUE(RegStringIs(HKCU, lktest::ExplorerChoiceKey(c.extension), L"Progid", c.after));
    } else {
      EXPECT_FALSE(lktest::RegKeyExists(HKCU, lktest::ExplorerChoiceKey(c.extension)));
    }
  }
}

// The setup keeps no saved default for an extension that has none now: an old copy would be
// given back by the uninstaller although it replaced nothing.
TEST_F(RegistrationRemoval, SetupDropsASavedDefaultWhenTheExtensionHasNone) {
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Alt.jpg", nullptr, L"Bild");
  for (const wchar_t* current : {L"", L"Lumenkast.jpg"}) {
    SCOPED_TRACE(lktest::Narrow(current));
    lktest::WriteRegString(HKLM, kJpgKey, L"Lumenkast_Backup", L"Alt.jpg");
    if (*current) {
      lktest::WriteRegString(HKLM, kJpgKey, nullptr, current);
    } else {
      lk::DeleteRegistryValue(HKLM, kJpgKey, nullptr);
    }
    Register();
    // Over the viewer's own type the copy from before stays; with no default it goes.
    EXPECT_EQ(*current != 0, lktest::QueryRegValue(HKLM, kJpgKey, L"Lumenkast_Backup").exists);
    std::vector<std::wstring> failures;
    EXPECT_EQ(1, RemoveRegistration(0, &failures));
    if (*current) {
      EXPECT_TRUE(RegStringIs(HKLM, kJpgKey, nullptr, L"Alt.jpg"));
    } else {
      EXPECT_FALSE(lktest::RegKeyExists(HKLM, kJpgKey));
    }
  }
}

// The NoOpenWith overrides go only where the setup made them; one that was there before,
// written by the user or by an earlier installation that kept no record, stays.
TEST_F(RegistrationRemoval, RemovesOnlyTheAppXOverridesTheSetupMade) {
  const std::wstring foreign = lktest::kAppXOverrideKeys[0];
  const std::wstring made = lktest::kAppXOverrideKeys[1];
  lktest::WriteRegString(HKCU, foreign, L"NoOpenWith", L"");
  Register();
  EXPECT_FALSE(lktest::QueryRegValue(HKCU, foreign, L"Lumenkast_NoOpenWith").exists);
  EXPECT_TRUE(lktest::QueryRegValue(HKCU, made, L"Lumenkast_NoOpenWith").exists);
  Register();  // a second installation keeps the record

  std::vector<std::wstring> failures;
  EXPECT_EQ(1, RemoveRegistration(0, &failures));
  EXPECT_TRUE(RegStringIs(HKCU, foreign, L"NoOpenWith", L""));
  EXPECT_EQ(std::vector<std::wstring>{L"NoOpenWith"}, lktest::RegValueNames(HKCU, foreign));
  for (size_t i = 1; i < sizeof(lktest::kAppXOverrideKeys) / sizeof(*lktest::kAppXOverrideKeys);
       ++i) {
    EXPECT_FALSE(lktest::RegKeyExists(HKCU, lktest::kAppXOverrideKeys[i]));
  }
}

// A key of the viewer's or a value it wrote that cannot be deleted is listed by name and
// fails the removal; the uninstall entry stays for a second run, which then finishes.
TEST_F(RegistrationRemoval, KeyOrValueThatCannotBeDeletedIsListedAndKeepsTheEntry) {
  PrepareWindowsKeys();
  lk::RegistryKey registered;
  ASSERT_EQ(ERROR_SUCCESS, registered.Create(HKLM, L"SOFTWARE\\RegisteredApplications"));
  registered.Reset();
  const struct {
    HKEY root;
    const wchar_t* key;
    const wchar_t* listed;
  } cases[] = {
      {HKLM, L"SOFTWARE\\Classes\\Lumenkast.jpg\\shell",
       L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Lumenkast.jpg"},
      {HKLM, L"SOFTWARE\\Classes\\Applications\\lk_main64.exe",
       L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Applications\\lk_main64.exe"},
      {HKLM, L"SOFTWARE\\RegisteredApplications",
       L"HKEY_LOCAL_MACHINE\\SOFTWARE\\RegisteredApplications"},
      {HKCU, lktest::kAppXOverrideKeys[2],
       L"HKEY_CURRENT_USER\\SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.listed));
    Register();
    std::vector<std::wstring> failures = {L"C:\\Programme\\Lumenkast\\vorher.dll"};
    {
      lktest::UndeletableKey blocked(c.root, c.key);
      EXPECT_EQ(0, RemoveRegistration(0, &failures));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\Programme\\Lumenkast\\vorher.dll", c.listed}),
              failures);
    EXPECT_TRUE(RegStringIs(HKLM, lktest::kUninstallKey, L"InstallLocation", kFolder));
    EXPECT_FALSE(lktest::RegKeyExists(HKLM, L"SOFTWARE\\Lumenkast"));

    failures.clear();
    EXPECT_EQ(1, RemoveRegistration(0, &failures));
    EXPECT_TRUE(failures.empty());
    EXPECT_FALSE(lktest::RegKeyExists(HKLM, lktest::kUninstallKey));
    EXPECT_FALSE(lktest::RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast.jpg"));
  }
}

}  // namespace

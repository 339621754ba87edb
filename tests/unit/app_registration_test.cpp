#include "integration/app_registration.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/install_plan.h"
#include "framework/scoped_handles.h"
#include "integration/format_catalogue.h"
#include "support/expected_installation.h"
#include "support/installation_state.h"
#include "support/registry_reader.h"
#include "support/shell_folder_redirect.h"
#include "support/test_support.h"

namespace {

using lktest::kDirectoryVerbKey;
using lktest::kUninstallKey;
using lktest::RegKeyExists;
using lktest::RegStringIs;

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCU = HKEY_CURRENT_USER;

constexpr wchar_t kFolder[] = L"C:\\Programme\\Lumenkast\\";
constexpr wchar_t kOpenCommand[] = L"\"C:\\Programme\\Lumenkast\\lk_main64.exe\" \"%1\"";

class Registration : public ::testing::Test {
 protected:
  Registration() { SelectNoFormats(selection_); }
  ~Registration() override {
    // The desktop is the prefix's own (see the shortcut tests).
    const std::wstring desktop = lktest::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    for (const wchar_t* name : lktest::kDesktopLinkNames) DeleteFileW((desktop + name).c_str());
  }

  // The folder as chosen goes through the installation's plan, which tidies it, as in a run.
  int Register(const wchar_t* folder, int thumbnails, int allUsers = 0, int associate = 0,
               int group = 0, int desktop = 0) {
    InstallOptions options;
    wcsncpy(options.targetFolder, folder, MAX_PATH - 1);
    options.startMenuGroup = group;
    options.desktopShortcut = desktop;
    options.thumbnailsShortcut = thumbnails;
    options.allUsers = allUsers;
    for (int row = 0; row < FormatCount; ++row) options.formatSelection[row] = selection_[row];
    options.associateFormats = associate;
    return RegisterApplication(MakeInstallPlan(options).registration, &failures_);
  }

  RegistrationFailures failures_;

  lktest::ScratchRegistry registry_;
  lktest::RedirectedShellFolders folders_;
  FormatSelection selection_;
};

TEST_F(Registration, WritesIdentifierApplicationVerbsUninstallEntryAndCapabilities) {
  EXPECT_EQ(1, Register(L" C:\\Programme\\Lumenkast ", 1));

  lktest::ExpectApplicationKeys(kFolder);
  EXPECT_TRUE(RegKeyExists(HKLM, L"SOFTWARE\\Lumenkast\\Capabilities\\FileAssociations"));
  // The pass over the catalogue ran: every identifier, none of the extensions.
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Lumenkast\\Capabilities\\FileAssociations", L".wma",
                          L"Lumenkast.wma"));
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\.jpg"));
  // The application keys are the machine's classes, not the user's.
  EXPECT_FALSE(RegKeyExists(HKCU, L"Software\\Classes\\Applications\\lk_main64.exe"));
}

TEST_F(Registration, FolderIsTrimmedAndEndsInOneBackslash) {
  for (const wchar_t* input : {L" C:\\Programme\\Lumenkast ", L"C:\\Programme\\Lumenkast\\",
                               L"  C:\\Programme\\Lumenkast\\  "}) {
    SCOPED_TRACE(lktest::Narrow(input));
    Register(input, 0);
    EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"InstallLocation", kFolder));
    EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\shell\\open\\command", nullptr,
                            kOpenCommand));
  }
}

TEST_F(Registration, WithoutThumbnailsFlagNoVerbIsWrittenAndEarlierOnesStay) {
  Register(kFolder, 0);
  EXPECT_FALSE(RegKeyExists(HKLM, kDirectoryVerbKey));
  EXPECT_FALSE(RegKeyExists(HKLM, lktest::kDriveVerbKey));

  Register(L"C:\\Alt\\", 1);
  Register(kFolder, 0);
  EXPECT_TRUE(RegStringIs(HKLM, std::wstring(kDirectoryVerbKey) + L"\\command", nullptr,
                          L"\"C:\\Alt\\lk_main64.exe\" \"%1 /thumbs\""));
  EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"InstallLocation", kFolder));
}

TEST_F(Registration, RemovesTheIconKeyOfAnEarlierInstallation) {
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\DefaultIcon", nullptr, L"old,3");
  Register(kFolder, 0);
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\DefaultIcon"));
  EXPECT_TRUE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast"));
}

// Everything written, every format associated, the earlier icon key removed, the whole
// registration with links: no failure noted.
TEST_F(Registration, CompleteRegistrationNotesNoFailure) {
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\DefaultIcon", nullptr, L"old,3");
  SelectAllFormats(selection_);
  EXPECT_EQ(1, Register(kFolder, 1, 0, /*associate=*/1, /*group=*/1));
  EXPECT_FALSE(failures_.Any()) << lktest::Narrow(failures_.First());
}

// No key can be created: every write fails, the first one is named, and the rest of the
// registration is still tried.
TEST(RegistrationInUnwritableRegistry, EveryWriteFailureIsNotedTheFirstByName) {
  lktest::UnwritableRegistry registry;
  ApplicationRegistration registration;
  registration.folder = kFolder;
  SelectAllFormats(registration.formatSelection);
  registration.associateFormats = 1;
  RegistrationFailures failures;
  EXPECT_EQ(1, RegisterApplication(registration, &failures));
  EXPECT_EQ(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Lumenkast", failures.First());
  // Identifier, application, uninstall, program and capability keys, and per extension
  // at least its identifier, command, icon, capability, extension and explorer choice.
  EXPECT_GT(failures.Count(), 90 * 6);
}

TEST_F(Registration, MissingRegisteredApplicationsKeyOnlySkipsItsValue) {
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKLM, L"SOFTWARE\\RegisteredApplications"));
  EXPECT_EQ(1, Register(kFolder, 0));
  EXPECT_FALSE(failures_.Any()) << lktest::Narrow(failures_.First());
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\RegisteredApplications"));
  EXPECT_TRUE(lktest::RegDwordIs(HKLM, kUninstallKey, L"EstimatedSize", 5120));
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Lumenkast\\Capabilities\\FileAssociations", L".jpg",
                          L"Lumenkast.jpg"));
}

TEST_F(Registration, ChosenFormatsAreAssociatedEvenWithoutTheRefresh) {
  SelectImageFormats(selection_);
  Register(kFolder, 0, 0, /*associate=*/0);
  EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\.jpg", nullptr, L"Lumenkast.jpg"));
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\.mp3"));
}

TEST_F(Registration, AllUsersMovesOnlyTheShortcuts) {
  Register(L" C:\\Programme\\Lumenkast ", 0, /*allUsers=*/1, 0, /*group=*/1);
  EXPECT_TRUE(RegStringIs(HKLM, kUninstallKey, L"InstallLocation", kFolder));
  EXPECT_FALSE(RegKeyExists(HKCU, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));

  lktest::ExpectLink(folders_.CommonPrograms() + L"Lumenkast\\",
                     lktest::GroupLinks(kFolder).front());
  EXPECT_FALSE(lktest::FolderExists(folders_.UserPrograms() + L"Lumenkast"));
}

TEST_F(Registration, DesktopShortcutsNameTheTrimmedFolder) {
  Register(L" C:\\Programme\\Lumenkast ", /*thumbnails=*/1, 0, 0, 0, /*desktop=*/1);
  const std::wstring desktop = lktest::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  for (const lktest::ExpectedLink& link : lktest::DesktopLinks(kFolder)) {
    lktest::ExpectLink(desktop, link);
  }
}

}  // namespace

#include "integration/app_registration.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "framework/scoped_handles.h"
#include "integration/format_catalogue.h"
#include "support/registry_reader.h"
#include "support/shell_folder_redirect.h"
#include "support/shell_link_reader.h"
#include "support/test_support.h"

namespace {

using lktest::RegDwordIs;
using lktest::RegKeyExists;
using lktest::RegStringIs;

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCR = HKEY_CLASSES_ROOT;
const HKEY HKCU = HKEY_CURRENT_USER;

constexpr wchar_t kFolder[] = L"C:\\Programme\\Lumenkast\\";
constexpr wchar_t kViewer[] = L"C:\\Programme\\Lumenkast\\lk_main64.exe";
constexpr wchar_t kOpenCommand[] = L"\"C:\\Programme\\Lumenkast\\lk_main64.exe\" \"%1\"";
constexpr wchar_t kVerbCommand[] = L"\"C:\\Programme\\Lumenkast\\lk_main64.exe\" \"%1 /thumbs\"";
constexpr wchar_t kUninstall[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumenkast64";
constexpr wchar_t kDirectoryVerb[] = L"SOFTWARE\\Classes\\Directory\\shell\\Browse with &Lumenkast";
constexpr wchar_t kDriveVerb[] = L"SOFTWARE\\Classes\\Drive\\shell\\Browse with &Lumenkast";

class Registration : public ::testing::Test {
 protected:
  Registration() { SelectNoFormats(selection_); }
  ~Registration() override {
    // The desktop is the prefix's own (see the shortcut tests).
    wchar_t desktop[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
    for (const wchar_t* name : {L"\\Lumenkast 64.lnk", L"\\Lumenkast 64 Thumbnails.lnk"}) {
      DeleteFileW((std::wstring(desktop) + name).c_str());
    }
  }

  int Register(const wchar_t* folder, int thumbnails, int allUsers = 0, int associate = 0,
               int group = 0, int desktop = 0) {
    return RegisterApplication(associate, folder, group, desktop, thumbnails, allUsers, selection_);
  }

  lktest::ScratchRegistry registry_;
  lktest::RedirectedShellFolders folders_;
  FormatSelection selection_;
};

TEST_F(Registration, WritesIdentifierApplicationVerbsUninstallEntryAndCapabilities) {
  EXPECT_EQ(1, Register(L" C:\\Programme\\Lumenkast ", 1));

  struct Value {
    HKEY root;
    std::wstring key;
    const wchar_t* name;
    std::wstring data;
  } strings[] = {
      {HKLM, kDirectoryVerb, nullptr, L"Browse with &Lumenkast"},
      {HKLM, std::wstring(kDirectoryVerb) + L"\\command", nullptr, kVerbCommand},
      {HKLM, kDriveVerb, nullptr, L"Browse with &Lumenkast"},
      {HKLM, std::wstring(kDriveVerb) + L"\\command", nullptr, kVerbCommand},
      {HKLM, L"SOFTWARE\\Classes\\Lumenkast", nullptr, L"Lumenkast"},
      {HKLM, L"SOFTWARE\\Classes\\Lumenkast\\shell\\open\\command", nullptr, kOpenCommand},
      {HKCR, L"Applications\\lk_main64.exe\\shell\\open\\command", nullptr, kOpenCommand},
      {HKCR, L"Applications\\lk_main64.exe", L"FriendlyAppName", L"Lumenkast 64-bit"},
      {HKLM, kUninstall, nullptr, L""},
      {HKLM, kUninstall, L"DisplayName", L"Lumenkast 4.50 (64-bit)"},
      {HKLM, kUninstall, L"UninstallString", L"\"C:\\Programme\\Lumenkast\\lk_uninstall.exe\""},
      {HKLM, kUninstall, L"Publisher", L"Orrin Halvask"},
      {HKLM, kUninstall, L"InstallLocation", kFolder},
      {HKLM, kUninstall, L"DisplayVersion", L"4.50"},
      {HKLM, kUninstall, L"DisplayIcon", std::wstring(kViewer) + L",0"},
      {HKLM, L"SOFTWARE\\Lumenkast\\shell\\open\\command", nullptr,
       L"\"C:\\Programme\\Lumenkast\\lk_main64.exe\""},
      {HKLM, L"SOFTWARE\\Lumenkast\\Capabilities", L"ApplicationDescription",
       L"Picture viewer, editor and converter - one of the most popular viewers worldwide"},
      {HKLM, L"SOFTWARE\\RegisteredApplications", L"Lumenkast",
       L"SOFTWARE\\Lumenkast\\Capabilities"},
  };
  for (const Value& v : strings) EXPECT_TRUE(RegStringIs(v.root, v.key, v.name, v.data));
  EXPECT_TRUE(RegDwordIs(HKLM, kUninstall, L"VersionMajor", 4));
  EXPECT_TRUE(RegDwordIs(HKLM, kUninstall, L"VersionMinor", 50));
  EXPECT_TRUE(RegDwordIs(HKLM, kUninstall, L"EstimatedSize", 5120));
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
    EXPECT_TRUE(RegStringIs(HKLM, kUninstall, L"InstallLocation", kFolder));
    EXPECT_TRUE(RegStringIs(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\shell\\open\\command", nullptr,
                            kOpenCommand));
  }
}

TEST_F(Registration, WithoutThumbnailsFlagNoVerbIsWrittenAndEarlierOnesStay) {
  Register(kFolder, 0);
  EXPECT_FALSE(RegKeyExists(HKLM, kDirectoryVerb));
  EXPECT_FALSE(RegKeyExists(HKLM, kDriveVerb));

  Register(L"C:\\Alt\\", 1);
  Register(kFolder, 0);
  EXPECT_TRUE(RegStringIs(HKLM, std::wstring(kDirectoryVerb) + L"\\command", nullptr,
                          L"\"C:\\Alt\\lk_main64.exe\" \"%1 /thumbs\""));
  EXPECT_TRUE(RegStringIs(HKLM, kUninstall, L"InstallLocation", kFolder));
}

TEST_F(Registration, RemovesTheIconKeyOfAnEarlierInstallation) {
  lktest::WriteRegString(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\DefaultIcon", nullptr, L"old,3");
  Register(kFolder, 0);
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast\\DefaultIcon"));
  EXPECT_TRUE(RegKeyExists(HKLM, L"SOFTWARE\\Classes\\Lumenkast"));
}

TEST_F(Registration, MissingRegisteredApplicationsKeyOnlySkipsItsValue) {
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKLM, L"SOFTWARE\\RegisteredApplications"));
  EXPECT_EQ(1, Register(kFolder, 0));
  EXPECT_FALSE(RegKeyExists(HKLM, L"SOFTWARE\\RegisteredApplications"));
  EXPECT_TRUE(RegDwordIs(HKLM, kUninstall, L"EstimatedSize", 5120));
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
  EXPECT_TRUE(RegStringIs(HKLM, kUninstall, L"InstallLocation", kFolder));
  EXPECT_FALSE(RegKeyExists(HKCU, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));

  lktest::ShellLinkInfo link;
  ASSERT_TRUE(lktest::ReadShellLink(folders_.CommonPrograms() + L"Lumenkast\\Lumenkast 64 4.50.lnk",
                                    &link));
  EXPECT_EQ(kViewer, link.target);
  EXPECT_FALSE(lktest::FolderExists(folders_.UserPrograms() + L"Lumenkast"));
}

TEST_F(Registration, DesktopShortcutsNameTheTrimmedFolder) {
  Register(L" C:\\Programme\\Lumenkast ", /*thumbnails=*/1, 0, 0, 0, /*desktop=*/1);
  wchar_t desktop[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);

  lktest::ShellLinkInfo viewer;
  ASSERT_TRUE(lktest::ReadShellLink(std::wstring(desktop) + L"\\Lumenkast 64.lnk", &viewer));
  EXPECT_EQ(kViewer, viewer.target);
  EXPECT_EQ(L"Lumenkast 64 - Bildbetrachter", viewer.description);
  EXPECT_EQ(L"", viewer.arguments);

  lktest::ShellLinkInfo thumbs;
  ASSERT_TRUE(
      lktest::ReadShellLink(std::wstring(desktop) + L"\\Lumenkast 64 Thumbnails.lnk", &thumbs));
  EXPECT_EQ(kViewer, thumbs.target);
  EXPECT_EQ(L"/thumbs", thumbs.arguments);
  EXPECT_EQ(L"Lumenkast - Thumbnails", thumbs.description);
  EXPECT_EQ(kViewer, thumbs.iconFile);
  EXPECT_EQ(7, thumbs.iconIndex);
}

}  // namespace

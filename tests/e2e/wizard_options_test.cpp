// The wizard's first pages as a user meets them: the options page, the way back to it,
// and the check of the target folder on Next.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/installation_state.h"
#include "support/registry_reader.h"
#include "support/wizard_driver.h"

namespace {

using lktest::IsChecked;
using lktest::IsUsable;
using lktest::kBackButton;
using lktest::kCancelButton;
using lktest::kNextButton;
using lktest::kOptionsPage;
using lktest::WindowText;

constexpr int kFolderEdit = 1000;
constexpr int kDesktop = 1011;
constexpr int kGroup = 1012;
constexpr int kThumbs = 1021;
constexpr int kCurrentUser = 1016;
constexpr int kAllUsers = 1017;
constexpr int kNoShortcuts = 1019;

constexpr wchar_t kOpenCommandKey[] = L"SOFTWARE\\Classes\\Lumenkast\\shell\\open\\command";

class WizardOptionsPage : public lktest::WizardTest {
 protected:
  bool Enabled(int id) const { return IsWindowEnabled(wizard_.Control(id)) != FALSE; }
};

std::wstring DefaultFolder() {
  std::wstring programFiles;
  lktest::ReadRegString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion",
                        L"ProgramFilesDir", &programFiles);
  if (programFiles.empty() || programFiles.back() != L'\\') programFiles += L'\\';
  return programFiles + L"Lumenkast";
}

TEST_F(WizardOptionsPage, FirstShownWithTheProposedFolderAndEveryShortcutChecked) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  EXPECT_EQ(lktest::kPageCaption, WindowText(wizard_.Sheet()));

  EXPECT_EQ(L"&Beenden", WindowText(wizard_.SheetButton(kCancelButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kCancelButton)));
  EXPECT_EQ(L"&Weiter >", WindowText(wizard_.SheetButton(kNextButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kNextButton)));
  EXPECT_EQ(L"< &Zurück", WindowText(wizard_.SheetButton(kBackButton)));
  EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));

  EXPECT_EQ(DefaultFolder(), WindowText(wizard_.Control(kFolderEdit)));
  for (int id : {kDesktop, kThumbs, kGroup, kCurrentUser}) {
    EXPECT_TRUE(IsChecked(wizard_.Control(id))) << id;
  }
  EXPECT_FALSE(IsChecked(wizard_.Control(kAllUsers)));
  EXPECT_TRUE(Enabled(kCurrentUser));
  EXPECT_TRUE(Enabled(kAllUsers));
}

TEST_F(WizardOptionsPage, AnEarlierInstallationsFolderIsProposed) {
  lktest::WriteRegString(HKEY_LOCAL_MACHINE, kOpenCommandKey, nullptr,
                         L"\"D:\\Apps\\Lumenkast\\lk_main64.exe\" \"%1\"");
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  EXPECT_EQ(L"D:\\Apps\\Lumenkast\\", WindowText(wizard_.Control(kFolderEdit)));
}

TEST_F(WizardOptionsPage, ScopeButtonsAreEnabledExactlyWhileAShortcutIsChecked) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_TRUE(wizard_.Click(kAllUsers));
  ASSERT_TRUE(IsChecked(wizard_.Control(kAllUsers)));

  // "&Keine": no shortcut, scope disabled with its choice kept.
  ASSERT_TRUE(wizard_.Click(kNoShortcuts));
  for (int id : {kDesktop, kThumbs, kGroup}) EXPECT_FALSE(IsChecked(wizard_.Control(id))) << id;
  EXPECT_FALSE(Enabled(kCurrentUser));
  EXPECT_FALSE(Enabled(kAllUsers));
  EXPECT_TRUE(IsChecked(wizard_.Control(kAllUsers)));

  // One box checked again brings both back, with the earlier choice.
  ASSERT_TRUE(wizard_.Click(kThumbs));
  EXPECT_TRUE(Enabled(kCurrentUser));
  EXPECT_TRUE(Enabled(kAllUsers));
  EXPECT_TRUE(IsChecked(wizard_.Control(kAllUsers)));
  EXPECT_FALSE(IsChecked(wizard_.Control(kCurrentUser)));

  // All three checked again, then unchecked box by box: enabled until the last one goes.
  ASSERT_TRUE(wizard_.Click(kDesktop));
  ASSERT_TRUE(wizard_.Click(kGroup));
  for (int id : {kThumbs, kDesktop}) {
    ASSERT_TRUE(wizard_.Click(id));
    EXPECT_FALSE(IsChecked(wizard_.Control(id)));
    EXPECT_TRUE(Enabled(kCurrentUser));
    EXPECT_TRUE(Enabled(kAllUsers));
  }
  ASSERT_TRUE(wizard_.Click(kGroup));
  EXPECT_FALSE(Enabled(kCurrentUser));
  EXPECT_FALSE(Enabled(kAllUsers));
  EXPECT_TRUE(IsChecked(wizard_.Control(kAllUsers)));
}

TEST_F(WizardOptionsPage, BackFromTheWhatsNewPageKeepsEveryEntryAndDisablesBack) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(TypeFolder(L"D:\\Eigene Programme\\Bildbetrachter"));
  ASSERT_TRUE(wizard_.Click(kThumbs));
  ASSERT_TRUE(wizard_.Click(kAllUsers));

  ASSERT_NO_FATAL_FAILURE(NextUntil(lktest::kWhatsNewPage));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kBackButton)));
  EXPECT_EQ(lktest::SetupReleaseNotes(), WindowText(wizard_.Control(1000)));
  EXPECT_TRUE(lktest::ShowsText(wizard_.ActivePageWindow(), L"Was ist neu in dieser Version?"));

  ASSERT_TRUE(wizard_.Press(kBackButton));
  ASSERT_TRUE(wizard_.WaitForPage(kOptionsPage));
  EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
  EXPECT_EQ(L"< &Zurück", WindowText(wizard_.SheetButton(kBackButton)));
  EXPECT_EQ(L"D:\\Eigene Programme\\Bildbetrachter", WindowText(wizard_.Control(kFolderEdit)));
  EXPECT_TRUE(IsChecked(wizard_.Control(kDesktop)));
  EXPECT_FALSE(IsChecked(wizard_.Control(kThumbs)));
  EXPECT_TRUE(IsChecked(wizard_.Control(kGroup)));
  EXPECT_TRUE(IsChecked(wizard_.Control(kAllUsers)));
  EXPECT_FALSE(lktest::FolderExists(L"D:\\Eigene Programme"));
}

// Next checks only that the folder has a drive letter; whether it can be created is the
// installation's business.
TEST_F(WizardOptionsPage, NextRefusesAFolderWithoutDriveLetter) {
  struct Case {
    const wchar_t* folder;
    bool accepted;
  } cases[] = {
      {L"", false},
      {L"Programme\\Lumenkast", false},
      {L"\\Lumenkast", false},
      {L"\\\\server\\share\\Lumenkast", false},
      {L"   ", false},
      {L"  C:\\WizTest\\Lumenkast  ", true},
      {L"C:relativ", true},
      {L"C:\\WizTest\\Lumenkast", true},
  };
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  for (const Case& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.folder));
    ASSERT_NO_FATAL_FAILURE(TypeFolder(c.folder));
    ASSERT_TRUE(wizard_.Press(kNextButton));
    if (c.accepted) {
      ASSERT_TRUE(wizard_.WaitForPage(lktest::kWhatsNewPage));
      EXPECT_FALSE(wizard_.HasMessageBox());
      ASSERT_TRUE(wizard_.Press(kBackButton));
      ASSERT_TRUE(wizard_.WaitForPage(kOptionsPage));
      continue;
    }
    HWND box = wizard_.WaitForMessageBox();
    ASSERT_NE(nullptr, box);
    const lktest::MessageBoxView view = lktest::ReadMessageBox(box);
    EXPECT_EQ(lktest::kBoxCaption, view.caption);
    EXPECT_EQ(L"Ungültiges Zielverzeichnis!", view.text);
    EXPECT_TRUE(view.hasOk);
    EXPECT_FALSE(view.hasYes);
    ASSERT_TRUE(wizard_.Answer(box, IDOK));
    EXPECT_EQ(kOptionsPage, wizard_.ActivePage());
    EXPECT_EQ(c.folder, WindowText(wizard_.Control(kFolderEdit)));
  }
  EXPECT_FALSE(lktest::FolderExists(kTargetRoot));
}

}  // namespace

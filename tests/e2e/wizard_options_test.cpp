// The wizard's first pages as a user meets them: the options page, the way back to it,
// and the check of the target folder on Next.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "res/resource.h"
#include "support/expected_installation.h"
#include "support/expected_texts.h"
#include "support/installation_state.h"
#include "support/registry_reader.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

class WizardOptionsPage : public WizardTest {
 protected:
  bool Enabled(int id) const { return IsWindowEnabled(wizard_.Control(id)) != FALSE; }
};

std::wstring DefaultFolder() {
  std::wstring programFiles;
  ReadRegString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion",
                L"ProgramFilesDir", &programFiles);
  if (programFiles.empty() || programFiles.back() != L'\\') programFiles += L'\\';
  return programFiles + L"Lumenkast";
}

TEST_F(WizardOptionsPage, FirstShownWithTheProposedFolderAndEveryShortcutChecked) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  EXPECT_EQ(kPageCaption, WindowText(wizard_.Sheet()));

  EXPECT_EQ(kQuitButtonText, WindowText(wizard_.SheetButton(kCancelButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kCancelButton)));
  EXPECT_EQ(L"&Weiter >", WindowText(wizard_.SheetButton(kNextButton)));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kNextButton)));
  EXPECT_EQ(L"< &Zurück", WindowText(wizard_.SheetButton(kBackButton)));
  EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));

  EXPECT_EQ(DefaultFolder(), WindowText(wizard_.Control(IDC_FOLDER_EDIT)));
  for (int id : {IDC_DESKTOP_SHORTCUT, IDC_THUMBS_SHORTCUT, IDC_GROUP_SHORTCUT, IDC_CURRENT_USER}) {
    EXPECT_TRUE(IsChecked(wizard_.Control(id))) << id;
  }
  EXPECT_FALSE(IsChecked(wizard_.Control(IDC_ALL_USERS)));
  EXPECT_TRUE(Enabled(IDC_CURRENT_USER));
  EXPECT_TRUE(Enabled(IDC_ALL_USERS));
}

TEST_F(WizardOptionsPage, AnEarlierInstallationsFolderIsProposed) {
  WriteRegString(HKLM, kOpenCommandKey, nullptr, L"\"D:\\Apps\\Lumenkast\\lk_main64.exe\" \"%1\"");
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  EXPECT_EQ(L"D:\\Apps\\Lumenkast\\", WindowText(wizard_.Control(IDC_FOLDER_EDIT)));
}

TEST_F(WizardOptionsPage, ScopeButtonsAreEnabledExactlyWhileAShortcutIsChecked) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_TRUE(wizard_.Click(IDC_ALL_USERS));
  ASSERT_TRUE(IsChecked(wizard_.Control(IDC_ALL_USERS)));

  // "&Keine": no shortcut, scope disabled with its choice kept.
  ASSERT_TRUE(wizard_.Click(IDC_NO_SHORTCUTS));
  for (int id : {IDC_DESKTOP_SHORTCUT, IDC_THUMBS_SHORTCUT, IDC_GROUP_SHORTCUT}) {
    EXPECT_FALSE(IsChecked(wizard_.Control(id))) << id;
  }
  EXPECT_FALSE(Enabled(IDC_CURRENT_USER));
  EXPECT_FALSE(Enabled(IDC_ALL_USERS));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_ALL_USERS)));

  // One box checked again brings both back, with the earlier choice.
  ASSERT_TRUE(wizard_.Click(IDC_THUMBS_SHORTCUT));
  EXPECT_TRUE(Enabled(IDC_CURRENT_USER));
  EXPECT_TRUE(Enabled(IDC_ALL_USERS));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_ALL_USERS)));
  EXPECT_FALSE(IsChecked(wizard_.Control(IDC_CURRENT_USER)));

  // All three checked again, then unchecked box by box: enabled until the last one goes.
  ASSERT_TRUE(wizard_.Click(IDC_DESKTOP_SHORTCUT));
  ASSERT_TRUE(wizard_.Click(IDC_GROUP_SHORTCUT));
  for (int id : {IDC_THUMBS_SHORTCUT, IDC_DESKTOP_SHORTCUT}) {
    ASSERT_TRUE(wizard_.Click(id));
    EXPECT_FALSE(IsChecked(wizard_.Control(id)));
    EXPECT_TRUE(Enabled(IDC_CURRENT_USER));
    EXPECT_TRUE(Enabled(IDC_ALL_USERS));
  }
  ASSERT_TRUE(wizard_.Click(IDC_GROUP_SHORTCUT));
  EXPECT_FALSE(Enabled(IDC_CURRENT_USER));
  EXPECT_FALSE(Enabled(IDC_ALL_USERS));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_ALL_USERS)));
}

TEST_F(WizardOptionsPage, BackFromTheWhatsNewPageKeepsEveryEntryAndDisablesBack) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(TypeFolder(L"D:\\Eigene Programme\\Bildbetrachter"));
  ASSERT_TRUE(wizard_.Click(IDC_THUMBS_SHORTCUT));
  ASSERT_TRUE(wizard_.Click(IDC_ALL_USERS));

  ASSERT_NO_FATAL_FAILURE(NextUntil(kWhatsNewPage));
  EXPECT_TRUE(IsUsable(wizard_.SheetButton(kBackButton)));
  // The notes field has the folder field's id.
  EXPECT_EQ(SetupReleaseNotes(), WindowText(wizard_.Control(IDC_FOLDER_EDIT)));
  EXPECT_TRUE(ShowsText(wizard_.ActivePageWindow(), L"Was ist neu in dieser Version?"));

  ASSERT_TRUE(wizard_.Press(kBackButton));
  ASSERT_TRUE(wizard_.WaitForPage(kOptionsPage));
  EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
  EXPECT_EQ(L"< &Zurück", WindowText(wizard_.SheetButton(kBackButton)));
  EXPECT_EQ(L"D:\\Eigene Programme\\Bildbetrachter", WindowText(wizard_.Control(IDC_FOLDER_EDIT)));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_DESKTOP_SHORTCUT)));
  EXPECT_FALSE(IsChecked(wizard_.Control(IDC_THUMBS_SHORTCUT)));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_GROUP_SHORTCUT)));
  EXPECT_TRUE(IsChecked(wizard_.Control(IDC_ALL_USERS)));
  EXPECT_FALSE(FolderExists(L"D:\\Eigene Programme"));
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
    SCOPED_TRACE(Narrow(c.folder));
    ASSERT_NO_FATAL_FAILURE(TypeFolder(c.folder));
    ASSERT_TRUE(wizard_.Press(kNextButton));
    if (c.accepted) {
      ASSERT_TRUE(wizard_.WaitForPage(kWhatsNewPage));
      EXPECT_FALSE(wizard_.HasMessageBox());
      ASSERT_TRUE(wizard_.Press(kBackButton));
      ASSERT_TRUE(wizard_.WaitForPage(kOptionsPage));
      continue;
    }
    HWND box = wizard_.WaitForMessageBox();
    ASSERT_NO_FATAL_FAILURE(ExpectNotice(box, kInvalidFolder));
    ASSERT_TRUE(wizard_.Answer(box, IDOK));
    EXPECT_EQ(kOptionsPage, wizard_.ActivePage());
    EXPECT_EQ(c.folder, WindowText(wizard_.Control(IDC_FOLDER_EDIT)));
    // The page stays as it was: there is nothing to go back to.
    EXPECT_FALSE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
  }
  EXPECT_FALSE(FolderExists(kTargetRoot));
}

}  // namespace
}  // namespace lktest

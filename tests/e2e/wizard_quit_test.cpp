// Leaving the wizard before the installation: "&Beenden" and the close box ask first.
#include <gtest/gtest.h>
#include <windows.h>

#include "res/resource.h"
#include "support/expected_installation.h"
#include "support/expected_texts.h"
#include "support/registry_reader.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

class WizardQuit : public WizardTest {
 protected:
  void Quit(bool closeBox) {
    if (closeBox) {
      wizard_.PressCloseBox();
    } else {
      ASSERT_TRUE(wizard_.Press(kCancelButton));
    }
  }
};

TEST_F(WizardQuit, BeendenAndTheCloseBoxAskAndNoKeepsEveryEntry) {
  struct Case {
    const char* name;
    int page;
    bool closeBox;
  } cases[] = {
      {"Beenden on the options page", kOptionsPage, false},
      {"close box on the options page", kOptionsPage, true},
      {"Beenden on the association page", kAssociationPage, false},
      {"close box on the ready page", kReadyPage, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
    ASSERT_TRUE(wizard_.Click(IDC_THUMBS_SHORTCUT));
    ASSERT_TRUE(wizard_.Click(IDC_ALL_USERS));
    ASSERT_NO_FATAL_FAILURE(NextUntil(c.page));

    ASSERT_NO_FATAL_FAILURE(Quit(c.closeBox));
    HWND box = wizard_.WaitForMessageBox();
    ASSERT_NO_FATAL_FAILURE(ExpectQuestion(box, kConfirmQuit));
    ASSERT_TRUE(wizard_.Answer(box, IDNO));
    wizard_.Sync();
    EXPECT_TRUE(wizard_.Running());
    EXPECT_EQ(c.page, wizard_.ActivePage());
    HWND options = wizard_.PageWindow(kOptionsPage);
    EXPECT_EQ(kTarget, WindowText(GetDlgItem(options, IDC_FOLDER_EDIT)));
    EXPECT_FALSE(IsChecked(GetDlgItem(options, IDC_THUMBS_SHORTCUT)));
    EXPECT_TRUE(IsChecked(GetDlgItem(options, IDC_DESKTOP_SHORTCUT)));
    EXPECT_TRUE(IsChecked(GetDlgItem(options, IDC_ALL_USERS)));
    EXPECT_EQ(kQuitButtonText, WindowText(wizard_.SheetButton(kCancelButton)));

    // Asked again, Yes ends the program; nothing is installed.
    ASSERT_NO_FATAL_FAILURE(Quit(c.closeBox));
    box = wizard_.WaitForMessageBox();
    ASSERT_NO_FATAL_FAILURE(ExpectQuestion(box, kConfirmQuit));
    ASSERT_TRUE(wizard_.Answer(box, IDYES));
    EXPECT_TRUE(wizard_.WaitForExit(10000));
    EXPECT_FALSE(FolderExists(kTargetRoot));
    EXPECT_FALSE(RegKeyExists(HKLM, kIdentifierKey));
    wizard_.Terminate();
  }
}

}  // namespace
}  // namespace lktest

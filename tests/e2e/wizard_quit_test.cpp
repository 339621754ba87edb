// Leaving the wizard before the installation: "&Beenden" and the close box ask first.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/registry_reader.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace {

using lktest::IsChecked;
using lktest::kOptionsPage;
using lktest::WindowText;

class WizardQuit : public lktest::WizardTest {
 protected:
  void Quit(bool closeBox) {
    if (closeBox) {
      wizard_.PressCloseBox();
    } else {
      ASSERT_TRUE(wizard_.Press(lktest::kCancelButton));
    }
  }
  void ExpectQuitQuestion(HWND box) {
    ASSERT_NE(nullptr, box) << "no question";
    const lktest::MessageBoxView view = lktest::ReadMessageBox(box);
    EXPECT_EQ(lktest::kBoxCaption, view.caption);
    EXPECT_EQ(L"Installation beenden?", view.text);
    EXPECT_TRUE(view.hasYes);
    EXPECT_TRUE(view.hasNo);
    EXPECT_EQ(IDNO, view.defaultButton);
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
      {"Beenden on the association page", lktest::kAssociationPage, false},
      {"close box on the ready page", lktest::kReadyPage, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
    ASSERT_TRUE(wizard_.Click(1021));
    ASSERT_TRUE(wizard_.Click(1017));
    ASSERT_NO_FATAL_FAILURE(NextUntil(c.page));

    ASSERT_NO_FATAL_FAILURE(Quit(c.closeBox));
    HWND box = wizard_.WaitForMessageBox();
    ASSERT_NO_FATAL_FAILURE(ExpectQuitQuestion(box));
    ASSERT_TRUE(wizard_.Answer(box, IDNO));
    wizard_.Sync();
    EXPECT_TRUE(wizard_.Running());
    EXPECT_EQ(c.page, wizard_.ActivePage());
    HWND options = wizard_.PageWindow(kOptionsPage);
    EXPECT_EQ(kTarget, WindowText(GetDlgItem(options, 1000)));
    EXPECT_FALSE(IsChecked(GetDlgItem(options, 1021)));
    EXPECT_TRUE(IsChecked(GetDlgItem(options, 1011)));
    EXPECT_TRUE(IsChecked(GetDlgItem(options, 1017)));
    EXPECT_EQ(L"&Beenden", WindowText(wizard_.SheetButton(lktest::kCancelButton)));

    // Asked again, Yes ends the program; nothing is installed.
    ASSERT_NO_FATAL_FAILURE(Quit(c.closeBox));
    box = wizard_.WaitForMessageBox();
    ASSERT_NO_FATAL_FAILURE(ExpectQuitQuestion(box));
    ASSERT_TRUE(wizard_.Answer(box, IDYES));
    EXPECT_TRUE(wizard_.WaitForExit(10000));
    EXPECT_FALSE(lktest::FolderExists(kTargetRoot));
    EXPECT_FALSE(lktest::RegKeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Lumenkast"));
    wizard_.Terminate();
  }
}

}  // namespace

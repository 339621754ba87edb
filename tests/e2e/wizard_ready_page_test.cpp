// The ready page: the folder it sums up and the settings location it proposes.
#include <gtest/gtest.h>
#include <windows.h>

#include "res/resource.h"
#include "support/installation_state.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

class WizardReadyPage : public WizardTest {};

TEST_F(WizardReadyPage, ShowsTheFolderWithoutTrailingBlanks) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(TypeFolder(L"C:\\WizTest\\Lumenkast   "));
  ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  EXPECT_EQ(L"Zielverzeichnis: C:\\WizTest\\Lumenkast",
            WindowText(wizard_.Control(IDC_READY_FOLDER)));
  EXPECT_TRUE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
  EXPECT_FALSE(IsWindowVisible(wizard_.Control(IDC_PROGRESS_LABEL)));

  // A changed folder is shown on the next visit.
  ASSERT_NO_FATAL_FAILURE(BackUntil(kOptionsPage));
  ASSERT_NO_FATAL_FAILURE(TypeFolder(L"D:\\Bilder\\"));
  ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  EXPECT_EQ(L"Zielverzeichnis: D:\\Bilder\\", WindowText(wizard_.Control(IDC_READY_FOLDER)));
}

// The settings location is proposed afresh on every visit: the application-data folder
// from Windows Vista on, the viewer's folder before.
TEST_F(WizardReadyPage, ProposesTheSettingsLocationForTheWindowsVersionOnEveryVisit) {
  struct Case {
    const wchar_t* version;
    int proposed;
    int other;
  } cases[] = {
      {L"win7", IDC_INI_APPDATA, IDC_INI_PROGRAM_FOLDER},
      {L"win10", IDC_INI_APPDATA, IDC_INI_PROGRAM_FOLDER},
      {L"winxp64", IDC_INI_PROGRAM_FOLDER, IDC_INI_APPDATA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.version));
    ScopedWineVersion version(c.version);
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
    EXPECT_TRUE(IsChecked(wizard_.Control(c.proposed)));
    EXPECT_FALSE(IsChecked(wizard_.Control(c.other)));

    ASSERT_TRUE(wizard_.Click(c.other));
    ASSERT_TRUE(IsChecked(wizard_.Control(c.other)));
    ASSERT_TRUE(wizard_.Press(kBackButton));
    ASSERT_TRUE(wizard_.WaitForPage(kAssociationPage));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
    EXPECT_TRUE(IsChecked(wizard_.Control(c.proposed)));
    EXPECT_FALSE(IsChecked(wizard_.Control(c.other)));
    wizard_.Terminate();
  }
}

}  // namespace
}  // namespace lktest

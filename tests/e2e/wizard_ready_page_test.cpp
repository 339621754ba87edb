// The ready page: the folder it sums up and the settings location it proposes.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/installation_state.h"
#include "support/wizard_driver.h"

namespace {

using lktest::IsChecked;
using lktest::kBackButton;
using lktest::kReadyPage;
using lktest::WindowText;

constexpr int kFolderLine = 1010;
constexpr int kProgramFolderOption = 1038;
constexpr int kAppDataOption = 1039;

class WizardReadyPage : public lktest::WizardTest {};

TEST_F(WizardReadyPage, ShowsTheFolderWithoutTrailingBlanks) {
  ASSERT_NO_FATAL_FAILURE(StartWizard());
  ASSERT_NO_FATAL_FAILURE(TypeFolder(L"C:\\WizTest\\Lumenkast   "));
  ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  EXPECT_EQ(L"Zielverzeichnis: C:\\WizTest\\Lumenkast", WindowText(wizard_.Control(kFolderLine)));
  EXPECT_TRUE(IsWindowEnabled(wizard_.SheetButton(kBackButton)));
  EXPECT_FALSE(IsWindowVisible(wizard_.Control(1044)));

  // A changed folder is shown on the next visit.
  for (int page = kReadyPage; page > lktest::kOptionsPage; --page) {
    ASSERT_TRUE(wizard_.Press(kBackButton));
    ASSERT_TRUE(wizard_.WaitForPage(page - 1));
  }
  ASSERT_NO_FATAL_FAILURE(TypeFolder(L"D:\\Bilder\\"));
  ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
  EXPECT_EQ(L"Zielverzeichnis: D:\\Bilder\\", WindowText(wizard_.Control(kFolderLine)));
}

// The settings location is proposed afresh on every visit: the application-data folder
// from Windows Vista on, the viewer's folder before.
TEST_F(WizardReadyPage, ProposesTheSettingsLocationForTheWindowsVersionOnEveryVisit) {
  struct Case {
    const wchar_t* version;
    int proposed;
    int other;
  } cases[] = {
      {L"win7", kAppDataOption, kProgramFolderOption},
      {L"win10", kAppDataOption, kProgramFolderOption},
      {L"winxp64", kProgramFolderOption, kAppDataOption},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(lktest::Narrow(c.version));
    lktest::ScopedWineVersion version(c.version);
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
    EXPECT_TRUE(IsChecked(wizard_.Control(c.proposed)));
    EXPECT_FALSE(IsChecked(wizard_.Control(c.other)));

    ASSERT_TRUE(wizard_.Click(c.other));
    ASSERT_TRUE(IsChecked(wizard_.Control(c.other)));
    ASSERT_TRUE(wizard_.Press(kBackButton));
    ASSERT_TRUE(wizard_.WaitForPage(lktest::kAssociationPage));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kReadyPage));
    EXPECT_TRUE(IsChecked(wizard_.Control(c.proposed)));
    EXPECT_FALSE(IsChecked(wizard_.Control(c.other)));
    wizard_.Terminate();
  }
}

}  // namespace

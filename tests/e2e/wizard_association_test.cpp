// The association page's list: its rows, their check boxes and the three buttons.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "support/wizard_driver.h"

namespace {

using lktest::CheckedListItems;
using lktest::kAssociationPage;
using lktest::kBackButton;
using lktest::kNextButton;

constexpr int kFormatList = 1579;
constexpr int kImagesOnly = 1091;
constexpr int kCheckAll = 1080;
constexpr int kCheckNone = 1081;
constexpr int kRowCount = 68;

std::vector<int> Rows(int first, int end) {
  std::vector<int> rows;
  for (int i = first; i < end; ++i) rows.push_back(i);
  return rows;
}

class WizardAssociationPage : public lktest::WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kAssociationPage));
    list_ = wizard_.Control(kFormatList);
    ASSERT_NE(nullptr, list_);
  }
  // Back to the options page and forward again.
  void Revisit() {
    for (int page = kAssociationPage; page > lktest::kOptionsPage; --page) {
      ASSERT_TRUE(wizard_.Press(kBackButton));
      ASSERT_TRUE(wizard_.WaitForPage(page - 1));
    }
    ASSERT_NO_FATAL_FAILURE(NextUntil(kAssociationPage));
    ASSERT_EQ(list_, wizard_.Control(kFormatList));
  }

  HWND list_ = nullptr;
};

TEST_F(WizardAssociationPage, ListsEveryCatalogueRowUncheckedInCatalogueOrder) {
  ASSERT_EQ(kRowCount, lktest::ListItemCount(list_));
  EXPECT_TRUE(CheckedListItems(list_).empty());
  struct Row {
    int index;
    const wchar_t* label;
    const wchar_t* description;
  } rows[] = {
      {0, L"ANI", L"Animated Windows Cursors *"},     {26, L"JPG/JPEG/JPE", L"JPEG Format"},
      {34, L"PNG", L"Portable Network Graphics"},     {51, L"XPM", L"X-Pixmap *"},
      {52, L"SWF/FLV", L"Macromedia Flash Format *"}, {67, L"WMA", L"Windows Media Audio File *"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.label, wizard_.ListItemText(list_, row.index, 0)) << row.index;
    EXPECT_EQ(row.description, wizard_.ListItemText(list_, row.index, 1)) << row.index;
  }
}

TEST_F(WizardAssociationPage, ButtonsCheckImagesAllOrNone) {
  ASSERT_TRUE(wizard_.Click(kImagesOnly));
  EXPECT_EQ(Rows(0, 52), CheckedListItems(list_));
  ASSERT_TRUE(wizard_.Click(kCheckAll));
  EXPECT_EQ(Rows(0, kRowCount), CheckedListItems(list_));
  ASSERT_TRUE(wizard_.Click(kImagesOnly));
  EXPECT_EQ(Rows(0, 52), CheckedListItems(list_));
  ASSERT_TRUE(wizard_.Click(kCheckNone));
  EXPECT_TRUE(CheckedListItems(list_).empty());
}

TEST_F(WizardAssociationPage, RowsAndTheirCheckMarksSurviveRepeatedVisits) {
  ASSERT_TRUE(wizard_.SetListItemChecked(list_, 34, true));
  ASSERT_TRUE(wizard_.SetListItemChecked(list_, 60, true));
  for (int visit = 0; visit < 3; ++visit) {
    ASSERT_NO_FATAL_FAILURE(Revisit());
    EXPECT_EQ(kRowCount, lktest::ListItemCount(list_)) << "visit " << visit;
    EXPECT_EQ((std::vector<int>{34, 60}), CheckedListItems(list_)) << "visit " << visit;
  }
  ASSERT_TRUE(wizard_.Press(kNextButton));
  ASSERT_TRUE(wizard_.WaitForPage(lktest::kReadyPage));
  ASSERT_TRUE(wizard_.Press(kBackButton));
  ASSERT_TRUE(wizard_.WaitForPage(kAssociationPage));
  EXPECT_EQ(kRowCount, lktest::ListItemCount(list_));
}

}  // namespace

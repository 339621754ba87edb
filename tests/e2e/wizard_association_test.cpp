// The association page's list: its rows, their check boxes and the three buttons.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "res/resource.h"
#include "support/wizard_driver.h"

namespace lktest {
namespace {

constexpr int kRowCount = 68;

std::vector<int> Rows(int first, int end) {
  std::vector<int> rows;
  for (int i = first; i < end; ++i) rows.push_back(i);
  return rows;
}

class WizardAssociationPage : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(StartWizard());
    ASSERT_NO_FATAL_FAILURE(TypeFolder(kTarget));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kAssociationPage));
    list_ = wizard_.Control(IDC_FORMAT_LIST);
    ASSERT_NE(nullptr, list_);
  }
  // Back to the options page and forward again.
  void Revisit() {
    ASSERT_NO_FATAL_FAILURE(BackUntil(kOptionsPage));
    ASSERT_NO_FATAL_FAILURE(NextUntil(kAssociationPage));
    ASSERT_EQ(list_, wizard_.Control(IDC_FORMAT_LIST));
  }

  HWND list_ = nullptr;
};

TEST_F(WizardAssociationPage, ListsEveryCatalogueRowUncheckedInCatalogueOrder) {
  ASSERT_EQ(kRowCount, ListItemCount(list_));
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
  ASSERT_TRUE(wizard_.Click(IDC_IMAGES_ONLY));
  EXPECT_EQ(Rows(0, 52), CheckedListItems(list_));
  ASSERT_TRUE(wizard_.Click(IDC_CHECK_ALL));
  EXPECT_EQ(Rows(0, kRowCount), CheckedListItems(list_));
  ASSERT_TRUE(wizard_.Click(IDC_IMAGES_ONLY));
  EXPECT_EQ(Rows(0, 52), CheckedListItems(list_));
  ASSERT_TRUE(wizard_.Click(IDC_CHECK_NONE));
  EXPECT_TRUE(CheckedListItems(list_).empty());
}

TEST_F(WizardAssociationPage, RowsAndTheirCheckMarksSurviveRepeatedVisits) {
  ASSERT_TRUE(wizard_.SetListItemChecked(list_, 34, true));
  ASSERT_TRUE(wizard_.SetListItemChecked(list_, 60, true));
  for (int visit = 0; visit < 3; ++visit) {
    ASSERT_NO_FATAL_FAILURE(Revisit());
    EXPECT_EQ(kRowCount, ListItemCount(list_)) << "visit " << visit;
    EXPECT_EQ((std::vector<int>{34, 60}), CheckedListItems(list_)) << "visit " << visit;
  }
  ASSERT_TRUE(wizard_.Press(kNextButton));
  ASSERT_TRUE(wizard_.WaitForPage(kReadyPage));
  ASSERT_TRUE(wizard_.Press(kBackButton));
  ASSERT_TRUE(wizard_.WaitForPage(kAssociationPage));
  EXPECT_EQ(kRowCount, ListItemCount(list_));
}

}  // namespace
}  // namespace lktest

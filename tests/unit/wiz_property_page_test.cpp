#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "wizard/wiz_property_page.h"
#include "wizard/wiz_property_sheet.h"

namespace {

constexpr UINT kTemplates[] = {IDD_OPTIONS_PAGE, IDD_WHATS_NEW_PAGE, IDD_ASSOCIATION_PAGE,
                               IDD_READY_PAGE, IDD_FINISH_PAGE};

struct Wizard {
  CWizPropertySheet sheet;
  std::vector<std::unique_ptr<CWizPropertyPage>> pages;
  Wizard() {
    for (UINT id : kTemplates) {
      pages.push_back(std::make_unique<CWizPropertyPage>(id));
      sheet.AddPage(pages.back().get());
      pages.back()->sheet = &sheet;
    }
  }
};

}  // namespace

TEST(WizPropertyPage, FindAdjacentPageSkipsExcludedPagesAndStopsAtTheEnds) {
  struct Case {
    int active;
    BOOL forward;
    std::vector<int> excluded;
    LRESULT expected;
  } cases[] = {
      {0, TRUE, {}, IDD_WHATS_NEW_PAGE},
      {1, FALSE, {}, IDD_OPTIONS_PAGE},
      {3, TRUE, {}, IDD_FINISH_PAGE},
      {0, FALSE, {}, -1},
      {4, TRUE, {}, -1},
      {0, TRUE, {1}, IDD_ASSOCIATION_PAGE},
      {1, TRUE, {2, 3}, IDD_FINISH_PAGE},
      {3, FALSE, {0, 1, 2}, -1},
      {2, TRUE, {3, 4}, -1},
      {4, FALSE, {3}, IDD_ASSOCIATION_PAGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "active " << c.active << " forward " << c.forward);
    Wizard wizard;
    for (int index : c.excluded) wizard.pages[static_cast<size_t>(index)]->included = 0;
    wizard.sheet.SetActivePage(c.active);
    EXPECT_EQ(wizard.pages[static_cast<size_t>(c.active)]->FindAdjacentPage(c.forward),
              c.expected);
  }
}

TEST(WizPropertyPage, FormatSelectionComesFromTheRowsNotUnchecked) {
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 300, 300,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(list, nullptr);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES);
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  column.cx = 100;
  ListView_InsertColumn(list, 0, &column);
  for (int row = 0; row < FormatCount; ++row) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(L"row");
    ListView_InsertItem(list, &item);
  }

  FormatSelection selection;
  SelectAllFormats(selection);
  int associate = 7;
  ReadFormatSelection(list, selection, &associate);
  EXPECT_EQ(associate, 0);
  for (int row = 0; row < FormatCount; ++row) EXPECT_EQ(selection[row], 0) << row;

  ListView_SetCheckState(list, 34, TRUE);  // PNG
  ReadFormatSelection(list, selection, &associate);
  EXPECT_EQ(associate, 1);
  for (int row = 0; row < FormatCount; ++row) EXPECT_EQ(selection[row], row == 34) << row;

  ReadFormatSelection(nullptr, selection, &associate);
  EXPECT_EQ(associate, 0);
  EXPECT_EQ(selection[34], 0);
  DestroyWindow(list);
}

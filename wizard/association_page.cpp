// The association page: one list row with a check box per catalogue row.
#include <windows.h>
#include <commctrl.h>

#include "integration/format_catalogue.h"
#include "res/resource.h"
#include "wizard/display_scale.h"
#include "wizard/wiz_property_page.h"
#include "wizard/wiz_property_sheet.h"

namespace {

constexpr UINT kUnchecked = 1;
constexpr UINT kChecked = 2;
// What the two columns leave of the list's width on a 96-dpi screen: room for the vertical
// scroll bar, which grows with the screen's scale.
constexpr int kScrollBarRoom = 25;

void InsertColumn(HWND list, int index, int width) {
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(L"");
  ListView_InsertColumn(list, index, &column);
}

}  // namespace

void CWizPropertyPage::ActivateAssociationPage() {
  if (sheet->associationList) return;  // filled already: keep the user's choice
  HWND list = GetDlgItem(IDC_FORMAT_LIST);
  sheet->associationList = list;
  SetUpFormatList(list);
}

void CWizPropertyPage::SetUpFormatList(HWND list) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  RECT bounds = {};
  GetWindowRect(list, &bounds);
  const int width = bounds.right - bounds.left;
  InsertColumn(list, 0, width / 3);
  InsertColumn(list, 1, (2 * width) / 3 - ScaleToDpi(kScrollBarRoom, SystemDpi()));

  for (int row = 0; row < FormatCount; ++row) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(FormatCatalogue[row].label);
    ListView_InsertItem(list, &item);
    ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(FormatCatalogue[row].description));
  }
}

void CWizPropertyPage::CheckFormatRows(int firstUnchecked) {
  HWND list = sheet->associationList;
  if (!list) return;
  const int count = ListView_GetItemCount(list);
  for (int row = 0; row < count; ++row) {
    const UINT state = row < firstUnchecked ? kChecked : kUnchecked;
    ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(state), LVIS_STATEIMAGEMASK);
  }
}

void ReadFormatSelection(HWND list, FormatSelection& selection, int* associate) {
  SelectNoFormats(selection);
  *associate = 0;
  if (!list) return;
  const int count = ListView_GetItemCount(list);
  for (int row = 0; row < count && row < FormatCount; ++row) {
    const UINT image = (ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK) >> 12) & 0xF;
    if (image != kUnchecked) {
      selection[row] = 1;
      *associate = 1;
    }
  }
}

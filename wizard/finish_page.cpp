// The finish page: the FAQ and start-viewer choices and the finish button.
#include "app/string_table.h"
#include "res/resource.h"
#include "wizard/wiz_property_page.h"
#include "wizard/wiz_property_sheet.h"

void CWizPropertyPage::ActivateFinishPage() {
  SetHeadingFont(IDC_FINISH_HEADING);
  CheckDlgButton(m_hWnd, IDC_SHOW_FAQ, BST_CHECKED);
  CheckDlgButton(m_hWnd, IDC_START_VIEWER, BST_CHECKED);
  SetDlgItemTextW(SheetWindow(), kWizardCancelButton, LoadResString(IDS_BUTTON_FINISH).c_str());
  sheet->EnableButton(kWizardBackButton, FALSE);
  sheet->EnableButton(kWizardNextButton, FALSE);
}

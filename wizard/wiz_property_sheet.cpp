#include "wizard/wiz_property_sheet.h"

#include "app/string_table.h"
#include "res/resource.h"

CWizPropertySheet::CWizPropertySheet() : CPropertySheet(L"Lumenkast Setup", nullptr, 0) {
  SetWizardMode();
}

void CWizPropertySheet::EnableButton(int id, BOOL enable) const {
  EnableWindow(GetDlgItem(id), enable);
}

HWND CWizPropertySheet::PageWindow(int position) const {
  CPropertyPage* page = GetPage(position);
  return page ? page->m_hWnd : nullptr;
}

BOOL CWizPropertySheet::OnInitDialog() {
  BOOL result = CPropertySheet::OnInitDialog();
  SetDlgItemTextW(m_hWnd, kWizardCancelButton, LoadResString(IDS_BUTTON_QUIT).c_str());
  return result;
}

BOOL CWizPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == kWizardCancelButton) {
    if (GetActiveIndex() == kFinishPagePosition) {
      RunFinishActions();
    } else if (!ConfirmQuit()) {
      return TRUE;
    }
  }
  return CPropertySheet::OnCommand(wParam, lParam);
}

void CWizPropertySheet::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == SC_CLOSE && GetActiveIndex() != kFinishPagePosition && !ConfirmQuit()) {
    return;
  }
  CPropertySheet::OnSysCommand(id, lParam);
}

void CWizPropertySheet::OnTimer(UINT_PTR id) {
  SetWindowText(LoadResString(IDS_CAPTION).c_str());
  CPropertySheet::OnTimer(id);
}

bool CWizPropertySheet::ConfirmQuit() const {
  return MessageBoxW(m_hWnd, LoadResString(IDS_CONFIRM_QUIT).c_str(),
                     LoadResString(IDS_CAPTION).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

#include "framework/property_page.h"

CPropertyPage::CPropertyPage(UINT templateId) : CDialog(templateId) {
  m_psp.dwSize = sizeof(m_psp);
  m_psp.dwFlags = PSP_DEFAULT;
  m_psp.hInstance = GetModuleHandleW(nullptr);
  m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
  m_psp.pfnDlgProc = PageProc;
  m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

BOOL CPropertyPage::OnSetActive() {
  if (firstSetActive_) {
    firstSetActive_ = false;  // OnInitDialog has just loaded the controls
  } else {
    UpdateData(FALSE);
  }
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->hwndFrom != GetParent()) return CDialog::OnNotify(wParam, lParam, result);
  switch (header->code) {
    case PSN_SETACTIVE:
      *result = OnSetActive() ? 0 : -1;
      return TRUE;
    case PSN_KILLACTIVE:
      *result = OnKillActive() ? FALSE : TRUE;
      return TRUE;
    case PSN_WIZBACK:
      *result = OnWizardBack();
      return TRUE;
    case PSN_WIZNEXT:
      *result = OnWizardNext();
      return TRUE;
    case PSN_WIZFINISH:
      *result = OnWizardFinish() ? FALSE : TRUE;
      return TRUE;
    case PSN_APPLY:
      *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
      return TRUE;
    case PSN_RESET:
      OnReset();
      *result = 0;
      return TRUE;
    case PSN_QUERYCANCEL:
      *result = OnQueryCancel() ? FALSE : TRUE;
      return TRUE;
    default:
      return CDialog::OnNotify(wParam, lParam, result);
  }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // The sheet hands over its copy of the page description.
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, page->lParam);
  }
  auto* self = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (self && message == WM_INITDIALOG) self->firstSetActive_ = true;
  return Dispatch(self, hwnd, message, wParam, lParam);
}

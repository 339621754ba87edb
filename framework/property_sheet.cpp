#include "framework/property_sheet.h"

#include <commctrl.h>

#include "framework/common_controls.h"

namespace {
// The sheet whose window PropertySheetW is creating. Sheets are created on the program's one
// user-interface thread only; a thread-local variable would bring the C runtime's emulated
// thread-local storage and the thread library along.
CPropertySheet* g_sheetBeingCreated = nullptr;
}  // namespace

CPropertySheet::CPropertySheet(const wchar_t* caption, HWND parent, UINT selectPage)
    : caption_(caption ? caption : L""), parent_(parent), startPage_(selectPage) {}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  if (index < 0 || index >= GetPageCount()) return nullptr;
  return pages_[static_cast<size_t>(index)];
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  for (int i = 0; i < GetPageCount(); ++i) {
    if (pages_[static_cast<size_t>(i)] == page) return i;
  }
  return -1;
}

int CPropertySheet::GetActiveIndex() const {
  if (!m_hWnd) return static_cast<int>(startPage_);
  HWND page = PropSheet_GetCurrentPageHwnd(m_hWnd);
  return PropSheet_HwndToIndex(m_hWnd, page);
}

BOOL CPropertySheet::SetActivePage(int index) {
  if (index < 0 || index >= GetPageCount()) return FALSE;
  if (!m_hWnd) {
    startPage_ = static_cast<UINT>(index);
    return TRUE;
  }
  return PropSheet_SetCurSel(m_hWnd, nullptr, index);
}

INT_PTR CPropertySheet::DoModal() {
  std::vector<PROPSHEETPAGEW> descriptions;
  for (CPropertyPage* page : pages_) descriptions.push_back(page->m_psp);

  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | (wizard_ ? PSH_WIZARD : 0);
  header.hwndParent = parent_;
  header.hInstance = GetModuleHandleW(nullptr);
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(descriptions.size());
  header.nStartPage = startPage_;
  header.ppsp = descriptions.data();
  header.pfnCallback = SheetCallback;

  g_sheetBeingCreated = this;
  INT_PTR result = lk::RunPropertySheet(&header);
  g_sheetBeingCreated = nullptr;
  return result;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM) {
  if (message != PSCB_INITIALIZED || !g_sheetBeingCreated) return 0;
  CPropertySheet* sheet = g_sheetBeingCreated;
  g_sheetBeingCreated = nullptr;
  if (sheet->SubclassWindow(hwnd)) sheet->OnInitDialog();
  return 0;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) return 0;
      return Default();
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    default:
      return Default();
  }
}

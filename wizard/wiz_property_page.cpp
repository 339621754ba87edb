#include "wizard/wiz_property_page.h"

#include <algorithm>

#include "app/product_info.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "framework/scoped_handles.h"
#include "res/resource.h"
#include "wizard/display_scale.h"
#include "wizard/wiz_property_sheet.h"

namespace {

// Height of the progress label's font on a 96-dpi screen.
constexpr int kProgressFontHeight = 18;

// Moves the span [start, end) back inside [0, limit), shortened only when it is longer.
void FitSpan(LONG& start, LONG& end, LONG limit) {
  if (end <= limit) return;
  const LONG length = std::min(end - start, limit);
  start = std::max(0L, std::min(start, limit - length));
  end = start + length;
}

}  // namespace

int CWizPropertyPage::Position() const { return sheet ? sheet->GetPageIndex(this) : -1; }

BOOL CWizPropertyPage::OnInitDialog() {
  const BOOL result = CPropertyPage::OnInitDialog();
  if (sheet->Logo()) ShowLogo(sheet->Logo());
  return result;
}

void CWizPropertyPage::DoDataExchange(CDataExchange* dx) {
  switch (Position()) {
    case kOptionsPagePosition:
      DDX_Control(dx, IDC_LICENSE_LINK, sheet->licenseLink);
      sheet->licenseLink.SetUnderlineMode(1);
      sheet->licenseLink.SetLinkUrl(lk::kLicenseUrl);
      break;
    case kReadyPagePosition:
      DDX_Control(dx, IDC_PROGRESS_LABEL, sheet->progressLabel);
      sheet->progressLabel.textColour = RGB(255, 0, 0);
      sheet->progressLabel.SetLabelBold(TRUE);
      sheet->progressLabel.SetLabelFont(ScaleToDpi(kProgressFontHeight, SystemDpi()));
      break;
    default:
      break;
  }
}

BOOL CWizPropertyPage::OnSetActive() {
  KeepControlsOnPage();
  switch (Position()) {
    case kOptionsPagePosition: ActivateOptionsPage(); break;
    case kWhatsNewPagePosition: ActivateWhatsNewPage(); break;
    case kAssociationPagePosition: ActivateAssociationPage(); break;
    case kReadyPagePosition: ActivateReadyPage(); break;
    case kFinishPagePosition: ActivateFinishPage(); break;
    default: break;
  }
  return CPropertyPage::OnSetActive();
}

LRESULT CWizPropertyPage::OnWizardBack() { return FindAdjacentPage(FALSE); }

LRESULT CWizPropertyPage::OnWizardNext() {
  switch (Position()) {
    case kOptionsPagePosition:
      // A refused folder leaves the page as it was, Back disabled.
      if (!ValidateTargetFolder()) return -1;
      break;
    case kReadyPagePosition:
      if (LRESULT result = RunInstallationStep()) return result;
      break;
    default:
      break;
  }
  sheet->EnableButton(kWizardBackButton, TRUE);
  return FindAdjacentPage(TRUE);
}

LRESULT CWizPropertyPage::FindAdjacentPage(BOOL forward) {
  const int step = forward ? 1 : -1;
  for (int index = sheet->GetActiveIndex() + step;; index += step) {
    if (index < 0 || index >= sheet->GetPageCount()) return -1;
    auto* page = static_cast<CWizPropertyPage*>(sheet->GetPage(index));
    if (page->included) return static_cast<LRESULT>(page->m_templateId);
  }
}

BOOL CWizPropertyPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED) return CPropertyPage::OnCommand(wParam, lParam);
  switch (LOWORD(wParam)) {
    case IDC_BROWSE: ApplyBrowsedFolder(m_hWnd); return TRUE;
    case IDC_NO_SHORTCUTS: OnNoShortcuts(); return TRUE;
    case IDC_DESKTOP_SHORTCUT:
    case IDC_THUMBS_SHORTCUT:
    case IDC_GROUP_SHORTCUT: OnShortcutChanged(); return TRUE;
    case IDC_IMAGES_ONLY: CheckFormatRows(ImageFormatCount); return TRUE;
    case IDC_CHECK_ALL: CheckFormatRows(FormatCount); return TRUE;
    case IDC_CHECK_NONE: CheckFormatRows(0); return TRUE;
    default: return CPropertyPage::OnCommand(wParam, lParam);
  }
}

HWND CWizPropertyPage::SheetWindow() const { return sheet->m_hWnd; }

HWND CWizPropertyPage::PageWindow(int position) const { return sheet->PageWindow(position); }

void CWizPropertyPage::ShowMessage(UINT textId, UINT icon) const {
  MessageBoxW(SheetWindow(), LoadResString(textId).c_str(), LoadResString(IDS_CAPTION).c_str(),
              MB_OK | icon);
}

// Every picture control of the page shows logo instead of its template's bitmap, which it
// hands back and which is released here; the control takes the logo's size.
void CWizPropertyPage::ShowLogo(HBITMAP logo) const {
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
    lk::ScopedGdiObject templateBitmap(reinterpret_cast<HGDIOBJ>(
        SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo))));
  }
}

// The sheet measures the page area in its own font's dialog units, the page places its
// controls in its template's font: at some scales the two differ by a rounding, and a
// control on the template's edge reaches a pixel past the page. Such a control is moved
// back onto the page.
void CWizPropertyPage::KeepControlsOnPage() const {
  RECT page = {};
  ::GetClientRect(m_hWnd, &page);
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    RECT fitted = rect;
    FitSpan(fitted.left, fitted.right, page.right);
    FitSpan(fitted.top, fitted.bottom, page.bottom);
    if (EqualRect(&rect, &fitted)) continue;
    SetWindowPos(child, nullptr, fitted.left, fitted.top, fitted.right - fitted.left,
                 fitted.bottom - fitted.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CWizPropertyPage::SetHeadingFont(int headingId) const {
  SendDlgItemMessageW(m_hWnd, headingId, WM_SETFONT,
                      reinterpret_cast<WPARAM>(sheet->HeadingFont()), TRUE);
}

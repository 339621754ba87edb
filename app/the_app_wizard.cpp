// The wizard: the heading font, the five pages and the modal sheet.
#include <cwchar>
#include <memory>

#include "app/os_version.h"
#include "app/string_table.h"
#include "app/the_app.h"
#include "framework/common_controls.h"
#include "framework/run_guard.h"
#include "res/resource.h"
#include "wizard/display_scale.h"
#include "wizard/wiz_property_page.h"
#include "wizard/wiz_property_sheet.h"

namespace {

// The wizard sheet, one for the whole process.
CWizPropertySheet wizardSheet;

constexpr UINT kPageTemplates[] = {IDD_OPTIONS_PAGE, IDD_WHATS_NEW_PAGE, IDD_ASSOCIATION_PAGE,
                                   IDD_READY_PAGE, IDD_FINISH_PAGE};

// Height of the heading font on a 96-dpi screen.
constexpr int kHeadingFontHeight = 20;

}  // namespace

int TheApp::RunWizard() {
  // One setup or uninstallation at a time: held from the wizard's start to its end.
  const lk::RunGuard guard(0);
  if (!guard.Held()) {
    MessageBoxW(nullptr, LoadResString(IDS_ANOTHER_RUN).c_str(),
                LoadResString(IDS_CAPTION).c_str(), MB_ICONEXCLAMATION);
    return kExitAnotherRun;
  }

  // Only the wizard shows common controls; they stay loaded until it returns.
  const lk::CommonControls commonControls;

  // Sizes in pixels follow the screen's scale, as the pages' dialog units do.
  const int dpi = SystemDpi();
  headingFontDescription = {};
  headingFontDescription.lfHeight = ScaleToDpi(kHeadingFontHeight, dpi);
  headingFontDescription.lfQuality = ANTIALIASED_QUALITY;
  const bool xpOrLater = IsOsVersionAtLeast(5, 1);
  headingFontDescription.lfWeight = xpOrLater ? FW_BOLD : FW_SEMIBOLD;
  wcsncpy(headingFontDescription.lfFaceName, xpOrLater ? L"Arial" : L"MS Sans Serif",
          LF_FACESIZE - 1);
  wizardSheet.headingFont.Reset(CreateFontIndirectW(&headingFontDescription));
  wizardSheet.logo.Reset(LoadScaledLogo(dpi));
  wizardSheet.associationList = nullptr;
  wizardSheet.payload = &payload_;

  std::unique_ptr<CWizPropertyPage> pages[std::size(kPageTemplates)];
  for (size_t i = 0; i < std::size(kPageTemplates); ++i) {
    pages[i] = std::make_unique<CWizPropertyPage>(kPageTemplates[i]);
    wizardSheet.AddPage(pages[i].get());
    pages[i]->sheet = &wizardSheet;
  }

  m_pMainWnd = &wizardSheet;
  wizardSheet.DoModal();
  m_pMainWnd = nullptr;
  return 0;
}

// The one page class of the wizard; what a page does is chosen by its position.
#pragma once

#include <windows.h>

#include "app/install_options.h"
#include "framework/property_page.h"

class CWizPropertySheet;

class CWizPropertyPage : public CPropertyPage {
 public:
  explicit CWizPropertyPage(UINT templateId) : CPropertyPage(templateId) {}

  // 1 until the options page has finished its first activation.
  int firstActivation = 1;
  // Back and Next skip pages whose flag is 0.
  int included = 1;
  // The sheet that holds the page; set right after the page is added.
  CWizPropertySheet* sheet = nullptr;

  BOOL OnSetActive() override;
  LRESULT OnWizardBack() override;
  LRESULT OnWizardNext() override;
  // The template id of the nearest included page after (forward) or before the active
  // page; -1 when there is none.
  virtual LRESULT FindAdjacentPage(BOOL forward);

  // The page's position in the sheet (-1 without a sheet).
  int Position() const;

 protected:
  // The framework's initialisation, then the logo for the screen's scale.
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  // Options page.
  void ActivateOptionsPage();
  bool ValidateTargetFolder();
  void OnShortcutChanged();
  void OnNoShortcuts();
  // What's-new page.
  void ActivateWhatsNewPage();
  // Association page.
  void ActivateAssociationPage();
  void SetUpFormatList(HWND list);
  void CheckFormatRows(int firstUnchecked);
  // Ready page and the installation step.
  void ActivateReadyPage();
  LRESULT RunInstallationStep();
  void CollectInstallOptions(InstallOptions& options) const;
  // Finish page.
  void ActivateFinishPage();

  HWND SheetWindow() const;
  HWND PageWindow(int position) const;
  void ShowMessage(UINT textId, UINT icon) const;
  void SetHeadingFont(int headingId) const;
  void ShowLogo(HBITMAP logo) const;
  void KeepControlsOnPage() const;
};

// The choice of the association list: flag i is 1 for every row whose check box is not
// cleared; associate is 1 when any flag is set. A null list chooses nothing.
void ReadFormatSelection(HWND list, FormatSelection& selection, int* associate);

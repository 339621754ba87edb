// One page of a property sheet, made from a dialog template of the program.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "framework/dialog.h"

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(UINT templateId);

  // The page description handed to the sheet; lParam points back to this object.
  PROPSHEETPAGEW m_psp = {};

  // One overridable method per sheet notification (PSN_*).
  // PSN_SETACTIVE: FALSE refuses the activation. The framework's own activation loads
  // the controls from the data (UpdateData(FALSE)) on every activation after the first.
  virtual BOOL OnSetActive();
  // PSN_KILLACTIVE: FALSE keeps the page. The framework saves the controls' data.
  virtual BOOL OnKillActive();
  // PSN_WIZBACK / PSN_WIZNEXT: 0 next page in order, -1 stay, or a template id.
  virtual LRESULT OnWizardBack() { return 0; }
  virtual LRESULT OnWizardNext() { return 0; }
  // PSN_WIZFINISH: FALSE keeps the wizard open.
  virtual BOOL OnWizardFinish() { return TRUE; }
  // PSN_APPLY: FALSE keeps the sheet open on this page.
  virtual BOOL OnApply() { return TRUE; }
  // PSN_RESET: the sheet is being cancelled.
  virtual void OnReset() {}
  // PSN_QUERYCANCEL: FALSE refuses the cancel.
  virtual BOOL OnQueryCancel() { return TRUE; }

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool firstSetActive_ = true;
};

// A property sheet of framework pages, run modally through PropertySheetW; classic
// wizard mode on request. The sheet window is attached while it runs, so that derived
// sheets can handle its commands, system commands and timers.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "framework/property_page.h"
#include "framework/wnd.h"

class CPropertySheet : public CWnd {
 public:
  CPropertySheet(const wchar_t* caption, HWND parent = nullptr, UINT selectPage = 0);

  // Pages are shown in the order they are added; the sheet does not own them.
  void AddPage(CPropertyPage* page) { pages_.push_back(page); }
  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage* page) const;

  // The active page: the sheet's current page while it runs, else the start page.
  int GetActiveIndex() const;
  CPropertyPage* GetActivePage() const { return GetPage(GetActiveIndex()); }
  BOOL SetActivePage(int index);

  // Classic wizard: Back, Next and Cancel, no wizard-97 header.
  void SetWizardMode() { wizard_ = true; }

  // Runs the sheet modally; the result of PropertySheetW.
  INT_PTR DoModal();

 protected:
  // Framework initialisation of the sheet window (after the system's own); overrides
  // call it first and return its result.
  virtual BOOL OnInitDialog() { return TRUE; }
  // TRUE when the command was handled; FALSE lets the sheet's own handling run.
  virtual BOOL OnCommand(WPARAM, LPARAM) { return FALSE; }
  virtual void OnSysCommand(UINT, LPARAM) { Default(); }
  virtual void OnTimer(UINT_PTR) { Default(); }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);

  std::wstring caption_;
  HWND parent_;
  UINT startPage_;
  bool wizard_ = false;
  std::vector<CPropertyPage*> pages_;
};

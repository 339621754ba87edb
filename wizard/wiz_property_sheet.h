// The wizard frame: a classic wizard sheet that owns what its pages share.
#pragma once

#include <windows.h>

#include "framework/property_sheet.h"
#include "framework/scoped_handles.h"
#include "payload/payload_source.h"
#include "wizard/hyper_link.h"
#include "wizard/xcolor_static.h"

// Command ids of the sheet's buttons.
constexpr int kWizardBackButton = 0x3023;  // 12323
constexpr int kWizardNextButton = 0x3024;  // 12324
constexpr int kWizardCancelButton = IDCANCEL;

// Positions of the pages in the sheet.
constexpr int kOptionsPagePosition = 0;
constexpr int kWhatsNewPagePosition = 1;
constexpr int kAssociationPagePosition = 2;
constexpr int kReadyPagePosition = 3;
constexpr int kFinishPagePosition = 4;

class CWizPropertySheet : public CPropertySheet {
 public:
  CWizPropertySheet();

  // Font of the page headings, made by the application and released with the sheet.
  lk::ScopedGdiObject headingFont;
  // The logo drawn for the screen's scale, loaded by the application; null at 100 %, where
  // the pages show the bitmap of their templates.
  lk::ScopedGdiObject logo;
  // List control 1579 of the association page; null until that page is first shown.
  HWND associationList = nullptr;
  // Control 1045 of the options page.
  CHyperLink licenseLink;
  // Control 1044 of the ready page.
  CXColorStatic progressLabel;
  // The folder the installation put the viewer into, as it normalised it (blanks around
  // each component trimmed, trailing backslash); empty until an installation succeeded.
  wchar_t installedFolder[MAX_PATH] = {};
  // The payload the installation unpacks, held by the application object.
  const PayloadSource* payload = nullptr;

  HFONT HeadingFont() const { return static_cast<HFONT>(headingFont.Get()); }
  HBITMAP Logo() const { return static_cast<HBITMAP>(logo.Get()); }
  // Enables or disables one of the sheet's buttons by command id.
  void EnableButton(int id, BOOL enable) const;
  // The window of the page at position, or null while it has none.
  HWND PageWindow(int position) const;
  // The target folder of the options page's folder field, without surrounding blanks.
  void TargetFolder(wchar_t (&folder)[MAX_PATH]) const;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT id, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;

 private:
  // Asks "Installation beenden?"; true when the user answers Yes.
  bool ConfirmQuit() const;
  void RunFinishActions() const;
  void StartViewer() const;
};

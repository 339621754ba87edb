// Dialog windows made from templates, with data exchange and reflection of the
// notifications of framework controls.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

class CDialog;

// One data exchange between a dialog and its controls.
struct CDataExchange {
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;  // TRUE: controls -> data; FALSE: data -> controls
};

// Binds control to the dialog's control id once; later exchanges leave it attached.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId) : m_templateId(templateId) {}
  ~CDialog() override;

  UINT m_templateId;

  // Modeless creation from the program's own template, or from one in memory.
  BOOL Create(HWND parent);
  BOOL CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent);

  // Runs DoDataExchange in the given direction.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

 protected:
  virtual void DoDataExchange(CDataExchange*) {}
  // Framework initialisation: loads the controls from the data. TRUE: default focus.
  virtual BOOL OnInitDialog();
  // Commands of controls that are not framework windows; TRUE when handled.
  virtual BOOL OnCommand(WPARAM, LPARAM) { return FALSE; }
  // Notifications; TRUE when handled, with the answer in *result.
  virtual BOOL OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }
  // The message map. TRUE when handled, with the answer in *result.
  virtual BOOL DialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // Routes one message of the dialog window hwnd to self.
  static INT_PTR Dispatch(CDialog* self, HWND hwnd, UINT message, WPARAM wParam,
                          LPARAM lParam);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

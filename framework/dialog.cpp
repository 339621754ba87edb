#include "framework/dialog.h"

namespace {

bool IsControlColourMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// Messages whose answer is the dialog procedure's return value itself, not DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  return IsControlColourMessage(message) || message == WM_INITDIALOG ||
         message == WM_COMPAREITEM || message == WM_VKEYTOITEM ||
         message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

CDialog::~CDialog() {
  // A window that outlives its object must not reach it any more.
  if (m_hWnd) SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
}

BOOL CDialog::Create(HWND parent) {
  return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                            DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent) {
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, parent,
                                    DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx = {this, saveAndValidate};
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::DialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG:
      *result = OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      if (ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result)) {
        return TRUE;
      }
      *result = 0;
      return OnCommand(wParam, lParam);
    case WM_NOTIFY:
      return OnNotify(wParam, lParam, result);
    default:
      if (IsControlColourMessage(message)) {
        return ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result);
      }
      return FALSE;
  }
}

INT_PTR CDialog::Dispatch(CDialog* self, HWND hwnd, UINT message, WPARAM wParam,
                          LPARAM lParam) {
  if (!self) return FALSE;
  if (message == WM_INITDIALOG) self->m_hWnd = hwnd;
  LRESULT result = 0;
  BOOL handled = self->DialogMessage(message, wParam, lParam, &result);
  if (message == WM_NCDESTROY) self->m_hWnd = nullptr;
  if (!handled) return FALSE;
  if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return Dispatch(self, hwnd, message, wParam, lParam);
}

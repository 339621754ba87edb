#include "uninstall/uninstall_dialog.h"

#include <commctrl.h>

#include "app/string_table.h"
#include "uninstall/resource.h"

CUninstallDialog::CUninstallDialog(const UninstallRequest& request)
    : CDialog(IDD_UNINSTALL), request_(request) {}

int CUninstallDialog::RunModal() {
  if (!Create(nullptr)) return kExitFailed;
  ShowWindow(m_hWnd, SW_SHOW);
  SetForegroundWindow(m_hWnd);
  MSG msg;
  while (!ended_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(m_hWnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  DestroyWindow();
  return exitCode_;
}

BOOL CUninstallDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SendDlgItemMessageW(m_hWnd, IDC_PROGRESS, PBM_SETRANGE32, 0, RemovalStepCount());
  CheckDlgButton(m_hWnd, IDC_PURGE, request_.purge ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

BOOL CUninstallDialog::OnCommand(WPARAM wParam, LPARAM) {
  switch (LOWORD(wParam)) {
    case IDOK:
      Remove();
      return TRUE;
    case IDCANCEL:
      if (IsWindowEnabled(GetDlgItem(IDCANCEL))) End(kExitCancelled);
      return TRUE;
    default:
      return FALSE;
  }
}

void CUninstallDialog::Advance() {
  SendDlgItemMessageW(m_hWnd, IDC_PROGRESS, PBM_SETPOS, ++position_, 0);
  UpdateWindow(m_hWnd);
}

void CUninstallDialog::Remove() {
  // The viewer may have been started, or the installation changed, while the window was open.
  std::wstring refusal;
  if (const int code = CheckBeforeRemoval(request_, &refusal)) {
    MessageBoxW(m_hWnd, refusal.c_str(), LoadResString(IDS_CAPTION).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    End(code);
    return;
  }
  request_.purge = IsDlgButtonChecked(m_hWnd, IDC_PURGE) == BST_CHECKED ? 1 : 0;
  for (int id : {IDOK, IDCANCEL, IDC_PURGE}) EnableWindow(GetDlgItem(id), FALSE);
  SetDlgItemTextW(m_hWnd, IDC_STATUS, LoadResString(IDS_REMOVING).c_str());
  ShowWindow(GetDlgItem(IDC_PROGRESS), SW_SHOW);
  UpdateWindow(m_hWnd);

  std::vector<std::wstring> failures;
  std::wstring notice;
  const int removed = RemoveInstallation(request_, this, &failures) &&
                      CompleteRemoval(request_, &failures, &notice);
  ShowClosingMessage(failures, notice);
  End(removed ? kExitRemoved : kExitFailed);
}

void CUninstallDialog::ShowClosingMessage(const std::vector<std::wstring>& failures,
                                          const std::wstring& notice) {
  const std::wstring caption = LoadResString(IDS_CAPTION);
  if (failures.empty()) {
    const std::wstring text = notice.empty() ? LoadResString(IDS_REMOVED) : notice;
    MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    return;
  }
  const std::wstring text = LoadResString(IDS_NOT_REMOVED) + L"\n\n" + FailureMessage(failures);
  MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void CUninstallDialog::End(int exitCode) {
  exitCode_ = exitCode;
  ended_ = true;
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

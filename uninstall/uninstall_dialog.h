// The uninstaller's window: the confirmation with the settings check box, then the
// removal with a progress bar, then the closing message.
#pragma once

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "uninstall/payload_removal.h"
#include "uninstall/uninstallation.h"

class CUninstallDialog : public CDialog, private RemovalProgress {
 public:
  explicit CUninstallDialog(const UninstallRequest& request);

  // Shows the dialog until the user cancels or the removal has ended; the exit code
  // (kExitRemoved, kExitFailed, kExitCancelled, or the refusal of CheckBeforeRemoval when
  // "Entfernen" is pressed).
  int RunModal();

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void Advance() override;
  void Remove();
  void ShowClosingMessage(const std::vector<std::wstring>& failures, const std::wstring& notice);
  void End(int exitCode);

  UninstallRequest request_;
  int exitCode_ = kExitCancelled;
  bool ended_ = false;
  int position_ = 0;
};

// The uninstaller's application object.
#pragma once

#include <string>

#include "framework/win_app.h"
#include "uninstall/uninstall_command_line.h"
#include "uninstall/uninstallation.h"

class CUninstallApp : public CWinApp {
 public:
  // Runs the copy's work, the silent removal or the dialog. Always FALSE: no message loop
  // follows.
  BOOL InitInstance() override;
  int ExitInstance() override { return exitCode_; }

  // The exit codes of the two ways of removing.
  static int RunSilent(const UninstallRequest& request);
  static int RunInteractive(const UninstallRequest& request);

 private:
  int exitCode_ = kExitRemoved;
};

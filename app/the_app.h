// The setup program's application object.
#pragma once

#include "framework/win_app.h"

class TheApp : public CWinApp {
 public:
  BOOL InitInstance() override { return FALSE; }
};

// The framework's static control.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

// The framework's static control: a CWnd attached to a static text of a dialog.
class CStatic : public CWnd {
 public:
  // The control's font, else the stock GUI font, else the stock variable-pitch font.
  HFONT GetFontOrStock() const;
};

#include "framework/static_control.h"

HFONT CStatic::GetFontOrStock() const {
  HFONT font = GetFont();
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!font) font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  return font;
}

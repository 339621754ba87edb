// A static text that paints itself with its own colours, background brush and font.
#pragma once

#include <windows.h>

#include "framework/scoped_handles.h"
#include "framework/static_control.h"

class CXColorStatic : public CStatic {
 public:
  CXColorStatic();

  // Bold from now on; applies the font the window itself carries, in bold.
  void SetLabelBold(int redraw);
  // Applies an antialiased "Arial" of the given height (logical units), with redraw.
  void SetLabelFont(int height);
  // Makes font the label font, weight 700 when bold, else 400; redraws at once if asked.
  void ApplyLabelFont(const LOGFONTW& font, int redraw);

  HFONT LabelFont() const { return static_cast<HFONT>(labelFont_.Get()); }

  COLORREF textColour;
  COLORREF backgroundColour;
  int bold = 0;
  int textOffsetX = 0;
  int textOffsetY = 0;
  HICON icon = nullptr;

 protected:
  // Attaching: the label font becomes a copy of the control's font.
  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  BOOL OnEraseBackground(HDC dc);

  lk::ScopedGdiObject labelFont_;
  lk::ScopedGdiObject backgroundBrush_;
};

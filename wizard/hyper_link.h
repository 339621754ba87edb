// A static text turned into a web link: link colours, underline, hand cursor, and a
// click that opens the target through the shell or the browser registered for ".htm".
// The link is a tab stop of its dialog: focused, it shows a focus rectangle, and Enter or
// Space opens the target as a click does.
#pragma once

#include <windows.h>

#include <string>

#include "framework/scoped_handles.h"
#include "framework/static_control.h"

class CHyperLink : public CStatic {
 public:
  CHyperLink() = default;
  ~CHyperLink() override;

  // Stores the web address opened on a click; fits the window to its text.
  void SetLinkUrl(const wchar_t* url);
  // -1: underlined only while hovered; 1: always underlined.
  void SetUnderlineMode(int mode);
  // Opens url; a result above 32 means success.
  static INT_PTR OpenUrl(const wchar_t* url);

  BOOL DestroyWindow() override;

  COLORREF linkColour = RGB(0, 0, 238);
  COLORREF visitedColour = RGB(85, 26, 139);
  COLORREF hoverColour = RGB(255, 0, 0);
  int pointerOver = 0;
  int visited = 0;
  int underlineMode = -1;
  int fitToText = 1;
  std::wstring target;
  lk::ScopedGdiObject underlinedFont;
  lk::ScopedGdiObject plainFont;
  HCURSOR linkCursor = nullptr;
  UINT timerId = 100;

 protected:
  // Attaching: notify and tab-stop styles, target and text, fonts, size, cursor.
  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  void FitWindowToText();
  void LoadLinkCursor();

 private:
  LRESULT OnControlColour(HDC dc);
  BOOL OnSetCursor();
  void OnMouseMove();
  void OnTimer();
  void OnClicked();
  BOOL OnEraseBackground(HDC dc);
  void OnPaint();
  LRESULT OnGetDialogCode(const MSG* message);
  bool OnKeyDown(WPARAM key, LPARAM flags);
  bool ShowsFocus();
};

#include "wizard/xcolor_static.h"

#include <cwchar>
#include <string>

namespace {

constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

UINT TextFormatForStyle(DWORD style) {
  UINT format = (style & SS_CENTER) ? DT_CENTER : (style & SS_RIGHT) ? DT_RIGHT : DT_LEFT;
  format |= (style & SS_CENTERIMAGE) ? (DT_VCENTER | DT_SINGLELINE) : DT_WORDBREAK;
  return format;
}

}  // namespace

CXColorStatic::CXColorStatic()
    : textColour(GetSysColor(COLOR_BTNTEXT)), backgroundColour(GetSysColor(COLOR_BTNFACE)) {
  backgroundBrush_.Reset(CreateSolidBrush(backgroundColour));
}

void CXColorStatic::PreSubclassWindow() {
  LOGFONTW description = {};
  GetObjectW(GetFontOrStock(), sizeof(description), &description);
  labelFont_.Reset(CreateFontIndirectW(&description));
  CStatic::PreSubclassWindow();
}

void CXColorStatic::SetLabelBold(int redraw) {
  bold = 1;
  LOGFONTW description = {};
  if (HFONT font = GetFont()) GetObjectW(font, sizeof(description), &description);
  ApplyLabelFont(description, redraw);
}

void CXColorStatic::SetLabelFont(int height) {
  LOGFONTW description = {};
  description.lfHeight = height;
  description.lfQuality = ANTIALIASED_QUALITY;
  wcsncpy(description.lfFaceName, L"Arial", LF_FACESIZE - 1);
  ApplyLabelFont(description, TRUE);
}

void CXColorStatic::ApplyLabelFont(const LOGFONTW& font, int redraw) {
  labelFont_.Reset();
  LOGFONTW description = font;
  description.lfWeight = bold == 1 ? FW_BOLD : FW_NORMAL;
  labelFont_.Reset(CreateFontIndirectW(&description));
  if (redraw && m_hWnd) RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawNow);
}

LRESULT CXColorStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    default:
      return CStatic::WindowProc(message, wParam, lParam);
  }
}

void CXColorStatic::OnPaint() {
  PAINTSTRUCT paint = {};
  HDC dc = BeginPaint(m_hWnd, &paint);
  int saved = SaveDC(dc);
  SetTextColor(dc, textColour);
  SetBkColor(dc, backgroundColour);
  SetBkMode(dc, OPAQUE);
  SelectObject(dc, backgroundBrush_.Get());

  RECT client = {};
  GetClientRect(m_hWnd, &client);
  if (icon) {
    const int width = GetSystemMetrics(SM_CXICON);
    const int height = GetSystemMetrics(SM_CYICON);
    DrawIcon(dc, client.left + (client.right - client.left - width) / 2,
             client.top + (client.bottom - client.top - height) / 2, icon);
  } else {
    SelectObject(dc, labelFont_.Get());
    std::wstring text = GetWindowText();
    client.left += textOffsetX;
    client.top += textOffsetY;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
              TextFormatForStyle(GetStyle()));
  }
  RestoreDC(dc, saved);
  EndPaint(m_hWnd, &paint);
}

BOOL CXColorStatic::OnEraseBackground(HDC dc) {
  RECT client = {};
  GetClientRect(m_hWnd, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(backgroundBrush_.Get()));
  return TRUE;
}

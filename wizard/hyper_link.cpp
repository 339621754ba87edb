#include "wizard/hyper_link.h"

#include <windowsx.h>
#include <shellapi.h>

#include "framework/path.h"
#include "wizard/browser_command.h"

namespace {

// Bit 30 of a key message's flags: the key was down before (a repeat of a held key).
constexpr LPARAM kKeyWasDown = 1 << 30;

}  // namespace

CHyperLink::~CHyperLink() {
  if (linkCursor) DestroyCursor(linkCursor);
}

void CHyperLink::SetLinkUrl(const wchar_t* url) {
  target = url;
  if (m_hWnd) FitWindowToText();
}

INT_PTR CHyperLink::OpenUrl(const wchar_t* url) {
  const INT_PTR shell = reinterpret_cast<INT_PTR>(
      ShellExecuteW(GetDesktopWindow(), L"open", url, nullptr, nullptr, SW_SHOW));
  if (static_cast<UINT_PTR>(shell) > 32) return shell;
  return OpenWithRegisteredBrowser(url, shell);
}

void CHyperLink::SetUnderlineMode(int mode) {
  if (mode == underlineMode) return;
  if (m_hWnd) {
    SetFont(static_cast<HFONT>(mode == 1 ? underlinedFont.Get() : plainFont.Get()), TRUE);
    Invalidate(TRUE);
  }
  underlineMode = mode;
}

BOOL CHyperLink::DestroyWindow() {
  if (m_hWnd) KillTimer(m_hWnd, timerId);
  return CStatic::DestroyWindow();
}

void CHyperLink::PreSubclassWindow() {
  // Clicks are notified, and the keyboard reaches the link in its dialog's tab order.
  SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(GetStyle() | SS_NOTIFY | WS_TABSTOP));
  std::wstring text = GetWindowText();
  if (target.empty()) target = text;
  if (text.empty()) SetWindowText(target.c_str());

  LOGFONTW description = {};
  GetObjectW(GetFontOrStock(), sizeof(description), &description);
  plainFont.Reset(CreateFontIndirectW(&description));
  description.lfUnderline = 1;
  underlinedFont.Reset(CreateFontIndirectW(&description));

  FitWindowToText();
  LoadLinkCursor();
  SetUnderlineMode(-1);
  CStatic::PreSubclassWindow();
}

void CHyperLink::FitWindowToText() {
  if (!m_hWnd || fitToText != 1) return;
  RECT window = {}, client = {};
  GetWindowRect(m_hWnd, &window);
  GetClientRect(m_hWnd, &client);
  MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  if (HWND parent = GetParent()) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);
  }

  std::wstring text = GetWindowText();
  SIZE extent = {};
  HDC dc = GetDC(m_hWnd);
  HGDIOBJ previous = SelectObject(dc, underlinedFont.Get());
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, previous);
  ReleaseDC(m_hWnd, dc);

  const LONG windowWidth = window.right - window.left;
  const LONG windowHeight = window.bottom - window.top;
  const LONG cx = extent.cx + windowWidth - (client.right - client.left);
  const LONG cy = extent.cy + windowHeight - (client.bottom - client.top);

  const DWORD style = GetStyle();
  if (style & SS_CENTERIMAGE) {
    const LONG shrink = (windowHeight - cy) / 2;
    window.top += shrink;
    window.bottom -= shrink;
  } else {
    window.bottom = window.top + cy;
  }
  if (style & SS_CENTER) {
    const LONG shrink = (windowWidth - cx) / 2;
    window.left += shrink;
    window.right -= shrink;
  } else if (style & SS_RIGHT) {
    window.left = window.right - cx;
  } else {
    window.right = window.left + cx;
  }
  SetWindowPos(m_hWnd, nullptr, window.left, window.top, window.right - window.left,
               window.bottom - window.top, SWP_NOZORDER);
}

void CHyperLink::LoadLinkCursor() {
  if (linkCursor) return;
  wchar_t windows[MAX_PATH] = {};
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !lk::JoinPath(windows, L"winhlp32.exe", path)) return;
  lk::ScopedModule help(LoadLibraryW(path));
  if (!help) return;
  if (HCURSOR hand = LoadCursorW(help.Get(), MAKEINTRESOURCEW(106))) {
    linkCursor = CopyCursor(hand);
  }
}

LRESULT CHyperLink::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_REFLECT_BASE + WM_CTLCOLORSTATIC:
      return OnControlColour(reinterpret_cast<HDC>(wParam));
    case WM_SETCURSOR:
      return OnSetCursor();
    case WM_MOUSEMOVE:
      OnMouseMove();
      return Default();
    case WM_TIMER:
      OnTimer();
      return Default();
    case WM_REFLECT_BASE + WM_COMMAND:
      if (HIWORD(wParam) != STN_CLICKED) return FALSE;
      OnClicked();
      return TRUE;
    case WM_ERASEBKGND:
      return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_GETDLGCODE:
      return OnGetDialogCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
      if (OnKeyDown(wParam, lParam)) return 0;
      return Default();
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      // The focus rectangle comes or goes.
      Invalidate(TRUE);
      return Default();
    default:
      return CStatic::WindowProc(message, wParam, lParam);
  }
}

LRESULT CHyperLink::OnControlColour(HDC dc) {
  SetTextColor(dc, pointerOver ? hoverColour : visited ? visitedColour : linkColour);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

BOOL CHyperLink::OnSetCursor() {
  if (!linkCursor) return FALSE;
  SetCursor(linkCursor);
  return TRUE;
}

void CHyperLink::OnMouseMove() {
  if (pointerOver) return;
  pointerOver = 1;
  if (underlineMode == -1) SetFont(static_cast<HFONT>(underlinedFont.Get()), TRUE);
  Invalidate(TRUE);
  SetTimer(m_hWnd, timerId, 100, nullptr);
}

void CHyperLink::OnTimer() {
  DWORD position = GetMessagePos();
  POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  ScreenToClient(m_hWnd, &point);
  RECT client = {};
  GetClientRect(m_hWnd, &client);
  if (PtInRect(&client, point)) return;
  pointerOver = 0;
  KillTimer(m_hWnd, timerId);
  if (underlineMode != 1) SetFont(static_cast<HFONT>(plainFont.Get()), TRUE);
  client.bottom += 10;
  InvalidateRect(m_hWnd, &client, TRUE);
}

void CHyperLink::OnClicked() {
  pointerOver = 0;
  const INT_PTR result = OpenUrl(target.c_str());
  visited = static_cast<int32_t>(result) > 32 ? 1 : 0;
  if (!visited) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  if (m_hWnd) Invalidate(TRUE);
}

BOOL CHyperLink::OnEraseBackground(HDC dc) {
  RECT client = {};
  GetClientRect(m_hWnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  return TRUE;
}

void CHyperLink::OnPaint() {
  PAINTSTRUCT paint = {};
  HDC dc = BeginPaint(m_hWnd, &paint);
  // The static control draws its text into this device context, so that the focus
  // rectangle is drawn once over exactly what was painted.
  SendMessageW(m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  if (ShowsFocus()) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    DrawFocusRect(dc, &client);
  }
  EndPaint(m_hWnd, &paint);
}

bool CHyperLink::ShowsFocus() {
  return GetFocus() == m_hWnd && !(SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

LRESULT CHyperLink::OnGetDialogCode(const MSG* message) {
  // Enter opens the link instead of pressing the dialog's default button.
  const LRESULT code = Default();
  if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
    return code | DLGC_WANTMESSAGE;
  }
  return code;
}

bool CHyperLink::OnKeyDown(WPARAM key, LPARAM flags) {
  if (key != VK_RETURN && key != VK_SPACE) return false;
  // A held key opens the target once.
  if (!(flags & kKeyWasDown)) OnClicked();
  return true;
}

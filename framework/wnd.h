// The base of every framework window: an HWND, a virtual window procedure and the
// reflection of child notifications back to the child that sent them.
#pragma once

#include <windows.h>

#include <string>

// Notifications a parent sends back to the framework control they came from arrive at
// the control as WM_REFLECT_BASE + the original message (WM_COMMAND, WM_CTLCOLORSTATIC...).
constexpr UINT WM_REFLECT_BASE = WM_APP + 0x3C00;

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Attaches to an existing window: runs PreSubclassWindow, then routes the window's
  // messages through WindowProc until it is destroyed. FALSE when hwnd is null or the
  // object is attached already.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Detaches again; returns the window.
  HWND UnsubclassWindow();

  // The framework object attached to hwnd, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // Sends a child's notification back to the child as WM_REFLECT_BASE + message when the
  // child is a framework window. TRUE when the child handled it (non-zero answer).
  static BOOL ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT* result);

  virtual BOOL DestroyWindow();

  // Thin wrappers over the Win32 calls on m_hWnd.
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  HWND GetParent() const { return ::GetParent(m_hWnd); }
  DWORD GetStyle() const { return static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)); }
  std::wstring GetWindowText() const;
  void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
  HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
  void SetFont(HFONT font, BOOL redraw = TRUE) {
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  }
  void Invalidate(BOOL erase = TRUE) { InvalidateRect(m_hWnd, nullptr, erase); }

 protected:
  // Runs while attaching, before the window's messages reach WindowProc.
  virtual void PreSubclassWindow() {}
  // The message map: handle what the class needs, hand the rest to Default().
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The original window procedure with the message being processed.
  LRESULT Default();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  CurrentMessage current_ = {};
  bool subclassed_ = false;
};

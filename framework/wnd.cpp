#include "framework/wnd.h"

#include "framework/common_controls.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x4C4B;  // one id for every framework subclass
// Window property that leads from an attached window to its framework object.
constexpr wchar_t kObjectProperty[] = L"LkFrameworkWnd";
}  // namespace

CWnd::~CWnd() {
  if (subclassed_ && m_hWnd) UnsubclassWindow();
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd) return FALSE;
  m_hWnd = hwnd;
  PreSubclassWindow();
  if (!lk::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    m_hWnd = nullptr;
    return FALSE;
  }
  SetPropW(hwnd, kObjectProperty, this);
  subclassed_ = true;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (!parent) return FALSE;
  return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (subclassed_) {
    lk::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    RemovePropW(hwnd, kObjectProperty);
  }
  subclassed_ = false;
  m_hWnd = nullptr;
  return hwnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  return hwnd ? static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

BOOL CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* result) {
  if (!FromHandlePermanent(child)) return FALSE;
  *result = SendMessageW(child, WM_REFLECT_BASE + message, wParam, lParam);
  return *result != 0;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

std::wstring CWnd::GetWindowText() const {
  int length = ::GetWindowTextLengthW(m_hWnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) { return Default(); }

LRESULT CWnd::Default() {
  // Reflected notifications are the framework's own; the original procedure never saw them.
  if (current_.message >= WM_REFLECT_BASE && current_.message < WM_REFLECT_BASE + WM_USER) {
    return 0;
  }
  return lk::DefSubclassProc(m_hWnd, current_.message, current_.wParam, current_.lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR data) {
  CWnd* self = reinterpret_cast<CWnd*>(data);
  CurrentMessage saved = self->current_;
  self->current_ = {message, wParam, lParam};
  LRESULT result = self->WindowProc(message, wParam, lParam);
  self->current_ = saved;
  if (message == WM_NCDESTROY) self->UnsubclassWindow();
  return result;
}

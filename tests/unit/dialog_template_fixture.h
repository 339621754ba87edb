// In-memory dialog templates for tests that need a real dialog with a few controls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lktest {

struct ControlSpec {
  int id;
  const wchar_t* windowClass;  // "STATIC", "BUTTON", "EDIT", "SysListView32"...
  DWORD style;                 // WS_CHILD | WS_VISIBLE are added
  const wchar_t* text;
  short x, y, cx, cy;          // dialog units
};

// A DLGTEMPLATE with DS_SETFONT ("MS Shell Dlg", 8 point) and the given controls.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short x, short y, short cx, short cy,
                 const std::vector<ControlSpec>& controls) {
    AppendDword(style | DS_SETFONT);
    AppendDword(0);
    words_.push_back(static_cast<WORD>(controls.size()));
    AppendRect(x, y, cx, cy);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // standard dialog class
    AppendText(L"");
    words_.push_back(8);
    AppendText(L"MS Shell Dlg");
    for (const ControlSpec& control : controls) {
      if (words_.size() % 2) words_.push_back(0);  // DWORD alignment
      AppendDword(control.style | WS_CHILD | WS_VISIBLE);
      AppendDword(0);
      AppendRect(control.x, control.y, control.cx, control.cy);
      words_.push_back(static_cast<WORD>(control.id));
      AppendText(control.windowClass);
      AppendText(control.text);
      words_.push_back(0);  // no creation data
    }
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void AppendDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void AppendRect(short x, short y, short cx, short cy) {
    for (short value : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(value));
  }
  void AppendText(const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) words_.push_back(static_cast<WORD>(*c));
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

// Dispatches the messages waiting for this thread.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace lktest

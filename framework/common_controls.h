// The common controls (comctl32), loaded at run time by the user interface that shows
// them, so that a run without windows never loads the library.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/scoped_handles.h"

namespace lk {

// Holds comctl32 loaded, with its window classes registered, while it lives. Where the
// program's manifest binds version 6, the library is loaded by its bare name so that the
// activation context redirects it into the side-by-side store (never a library beside the
// program); otherwise version 5 is loaded from the system folder.
class CommonControls {
 public:
  CommonControls();
  CommonControls(const CommonControls&) = delete;
  CommonControls& operator=(const CommonControls&) = delete;

  explicit operator bool() const { return registered_; }

 private:
  ScopedModule module_;
  bool registered_ = false;
};

// The functions of comctl32 the framework uses, found in the loaded library; while it is
// not loaded they fail (-1, FALSE or 0).
INT_PTR RunPropertySheet(LPCPROPSHEETHEADERW header);
BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lk

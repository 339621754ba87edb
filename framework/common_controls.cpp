#include "framework/common_controls.h"

#include "framework/system_library.h"

namespace {

constexpr wchar_t kLibraryName[] = L"comctl32.dll";

// True when the active activation context redirects name into a side-by-side assembly.
bool IsRedirected(const wchar_t* name) {
  ACTCTX_SECTION_KEYED_DATA data = {};
  data.cbSize = sizeof(data);
  return FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name,
                                  &data) != FALSE;
}

// The export name of the comctl32 the process has loaded; null while none is.
template <typename Function>
Function Export(const char* name) {
  HMODULE module = GetModuleHandleW(kLibraryName);
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using PropertySheetFn = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERW);
using SetWindowSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using RemoveWindowSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefSubclassProcFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

}  // namespace

namespace lk {

CommonControls::CommonControls()
    : module_(IsRedirected(kLibraryName) ? LoadLibraryW(kLibraryName)
                                         : LoadSystemLibrary(kLibraryName)) {
  if (!module_) return;
  const auto initialize = reinterpret_cast<InitCommonControlsExFn>(
      reinterpret_cast<void*>(GetProcAddress(module_.Get(), "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES;
  registered_ = initialize && initialize(&controls);
}

INT_PTR RunPropertySheet(LPCPROPSHEETHEADERW header) {
  const auto run = Export<PropertySheetFn>("PropertySheetW");
  return run ? run(header) : -1;
}

BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  const auto subclass = Export<SetWindowSubclassFn>("SetWindowSubclass");
  return subclass ? subclass(hwnd, proc, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  const auto remove = Export<RemoveWindowSubclassFn>("RemoveWindowSubclass");
  return remove ? remove(hwnd, proc, id) : FALSE;
}

LRESULT DefSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto forward = Export<DefSubclassProcFn>("DefSubclassProc");
  return forward ? forward(hwnd, message, wParam, lParam) : 0;
}

}  // namespace lk

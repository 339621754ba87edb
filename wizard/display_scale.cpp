#include "wizard/display_scale.h"

#include "res/resource.h"

namespace {

struct LogoBitmap {
  int minimumDpi;
  UINT id;
};

// Largest first; the logo of 100 % is the last.
constexpr LogoBitmap kLogoBitmaps[] = {
    {192, IDB_LOGO_200}, {144, IDB_LOGO_150}, {120, IDB_LOGO_125}, {0, IDB_LOGO}};

}  // namespace

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kStandardDpi;
}

int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kStandardDpi); }

UINT LogoForDpi(int dpi) {
  for (const LogoBitmap& logo : kLogoBitmaps) {
    if (dpi >= logo.minimumDpi) return logo.id;
  }
  return IDB_LOGO;
}

HBITMAP LoadScaledLogo(int dpi) {
  const UINT id = LogoForDpi(dpi);
  if (id == IDB_LOGO) return nullptr;
  return static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

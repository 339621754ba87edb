// Sizes given in pixels for a screen of 96 dots per inch, at the screen's scale. The
// manifest declares the setup aware of the system's dpi (not per monitor): every window of
// the process has the system's dpi, which the screen's device context reports.
#pragma once

#include <windows.h>

// The dpi of a screen at 100 %.
constexpr int kStandardDpi = 96;

// The system's dpi: 96 at 100 %, 120 at 125 %, 144 at 150 %, 192 at 200 %.
int SystemDpi();

// pixels, a size for a 96-dpi screen, at dpi; rounded to the nearest pixel.
int ScaleToDpi(int pixels, int dpi);

// The logo bitmap drawn for dpi: the one of the largest scale not above it, with the
// templates' own bitmap (IDB_LOGO) below 125 %.
UINT LogoForDpi(int dpi);

// The logo bitmap for dpi, loaded; null where it is the templates' own bitmap.
HBITMAP LoadScaledLogo(int dpi);

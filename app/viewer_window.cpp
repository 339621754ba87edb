#include "app/viewer_window.h"

#include <windows.h>

#include "app/product_info.h"

bool IsViewerRunning() { return FindWindowW(lk::kViewerWindowClass, nullptr) != nullptr; }

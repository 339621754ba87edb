#include "integration/shortcut_names.h"

#include <cwchar>

#include "app/product_info.h"

namespace lk {

std::wstring VersionLinkName() {
  wchar_t name[64] = {};
  _snwprintf(name, 63, L"Lumenkast 64 %d.%2d.lnk", kVersionMajor, kVersionMinor);
  return name;
}

}  // namespace lk

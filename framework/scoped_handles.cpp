#include "framework/scoped_handles.h"

#include <cwchar>

namespace lk {

LONG RegistryKey::SetString(const wchar_t* name, const wchar_t* data) const {
  const DWORD bytes = static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));
  return RegSetValueExW(Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes);
}

LONG RegistryKey::SetDword(const wchar_t* name, DWORD data) const {
  return RegSetValueExW(Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof(data));
}

LONG SetDefaultValue(HKEY root, const std::wstring& path, const std::wstring& data) {
  return RegSetValueW(root, path.c_str(), REG_SZ, data.c_str(),
                      static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

}  // namespace lk

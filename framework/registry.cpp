#include "framework/registry.h"

#include <cwchar>

namespace lk {

namespace {

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Terminates the units read; false when the text has no terminator and no room for one.
bool TerminateText(wchar_t* value, size_t capacity, DWORD bytes) {
  const size_t units = bytes / sizeof(wchar_t);
  if (units > 0 && value[units - 1] == L'\0') return true;
  if (units >= capacity) return false;
  value[units] = L'\0';
  return true;
}

}  // namespace

LONG DeleteRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name) {
  RegistryKey key;
  const LONG status = key.Open(root, path.c_str(), KEY_SET_VALUE);
  return status == ERROR_SUCCESS ? RegDeleteValueW(key.Get(), name) : status;
}

bool DeleteKeyIfEmpty(HKEY root, const std::wstring& path) {
  DWORD subkeys = 0, values = 0;
  {
    RegistryKey key;
    if (key.Open(root, path.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return false;
    }
  }
  return subkeys == 0 && values == 0 && RegDeleteKeyW(root, path.c_str()) == ERROR_SUCCESS;
}

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

bool ReadRegistryString(HKEY root, const wchar_t* path, const wchar_t* name, wchar_t* value,
                        size_t capacity) {
  if (capacity == 0) return false;
  value[0] = L'\0';
  RegistryKey key;
  if (key.Open(root, path, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>(capacity * sizeof(wchar_t));
  // ERROR_MORE_DATA reports the size needed, not what was read: the value does not fit.
  const LONG status =
      RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
  if (status == ERROR_SUCCESS && IsStringType(type) && bytes <= capacity * sizeof(wchar_t) &&
      TerminateText(value, capacity, bytes)) {
    return true;
  }
  value[0] = L'\0';
  return false;
}

}  // namespace lk

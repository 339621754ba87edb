// Registry access the program shares: a key owner with value writers, default values,
// deletions of values and empty keys, and the one safe way to read a string value.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/scoped_handles.h"

namespace lk {

// A registry key that is closed when it goes out of scope.
class RegistryKey : public ScopedHandle<HKEY, KeyTraits> {
 public:
  RegistryKey() = default;
  // RegOpenKeyExW; returns its status.
  LONG Open(HKEY root, const wchar_t* path, REGSAM access) {
    return RegOpenKeyExW(root, path, 0, access, Receive());
  }
  // RegCreateKeyW (creates or opens); returns its status.
  LONG Create(HKEY root, const wchar_t* path) { return RegCreateKeyW(root, path, Receive()); }
  // A REG_SZ value; the byte length counts the terminating zero.
  LONG SetString(const wchar_t* name, const wchar_t* data) const;
  LONG SetDword(const wchar_t* name, DWORD data) const;
};

// The first failure of a row of registry calls; ERROR_SUCCESS while all went well.
class FirstStatus {
 public:
  void operator+=(LONG status) {
    if (status_ == ERROR_SUCCESS) status_ = status;
  }
  LONG Get() const { return status_; }

 private:
  LONG status_ = ERROR_SUCCESS;
};

// Sets the default value of root\path with RegSetValueW (which creates a missing key).
LONG SetDefaultValue(HKEY root, const std::wstring& path, const std::wstring& data);

// Deletes the value name (null: the default value) of root\path; returns the status.
LONG DeleteRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name);

// Deletes root\path when it holds neither values nor subkeys; true when it was deleted.
bool DeleteKeyIfEmpty(HKEY root, const std::wstring& path);

// Reads the string value name (null: the default value) of root\path into value, which
// holds capacity characters. True only for a REG_SZ or REG_EXPAND_SZ value that fits with
// its terminator; a value stored without one is terminated inside the buffer when there is
// room. Anything else counts as absent: false, value empty, nothing written past capacity.
bool ReadRegistryString(HKEY root, const wchar_t* path, const wchar_t* name, wchar_t* value,
                        size_t capacity);

}  // namespace lk

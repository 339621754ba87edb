// A registry key that cannot be deleted, for tests of removals that must report it.
#pragma once

#include <windows.h>

#include <string>

namespace lktest {

// For its lifetime the key root\path (which must exist) denies everyone DELETE,
// KEY_SET_VALUE and KEY_ENUMERATE_SUB_KEYS, as a key that an administrator's installation
// wrote does to a standard user: neither the key (as a tree) nor its values can be deleted;
// its values can still be read. Afterwards it allows everything again.
class UndeletableKey {
 public:
  UndeletableKey(HKEY root, const std::wstring& path);
  ~UndeletableKey();
  UndeletableKey(const UndeletableKey&) = delete;
  UndeletableKey& operator=(const UndeletableKey&) = delete;

 private:
  void Apply(const wchar_t* sddl) const;
  HKEY root_;
  std::wstring path_;
};

}  // namespace lktest

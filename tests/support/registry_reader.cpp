#include "support/registry_reader.h"

#include <cwchar>

#include "framework/registry.h"
#include "support/test_support.h"

namespace lktest {

namespace {

std::string Describe(HKEY root, const std::wstring& key, const wchar_t* name) {
  const char* rootName = root == HKEY_LOCAL_MACHINE  ? "HKLM"
                         : root == HKEY_CURRENT_USER ? "HKCU"
                         : root == HKEY_CLASSES_ROOT ? "HKCR"
                                                     : "?";
  return std::string(rootName) + "\\" + Narrow(key) + " [" +
         (name ? Narrow(name) : std::string("(default)")) + "]";
}

}  // namespace

RegValue QueryRegValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  RegValue value;
  lk::RegistryKey k;
  if (k.Open(root, key.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return value;
  DWORD bytes = 0;
  if (RegQueryValueExW(k.Get(), name, nullptr, &value.type, nullptr, &bytes) != ERROR_SUCCESS) {
    return value;
  }
  value.data.resize(bytes);
  if (RegQueryValueExW(k.Get(), name, nullptr, &value.type, value.data.data(), &bytes) !=
      ERROR_SUCCESS) {
    return value;
  }
  value.data.resize(bytes);
  value.exists = true;
  return value;
}

bool ReadRegString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* value) {
  const RegValue read = QueryRegValue(root, key, name);
  if (!read.exists || read.type != REG_SZ) return false;
  value->assign(reinterpret_cast<const wchar_t*>(read.data.data()),
                read.data.size() / sizeof(wchar_t));
  value->resize(wcsnlen(value->c_str(), value->size()));
  return true;
}

bool ReadRegDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD* value) {
  const RegValue read = QueryRegValue(root, key, name);
  if (!read.exists || read.type != REG_DWORD || read.data.size() != sizeof(DWORD)) return false;
  *value = *reinterpret_cast<const DWORD*>(read.data.data());
  return true;
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
  lk::RegistryKey k;
  return k.Open(root, key.c_str(), KEY_READ) == ERROR_SUCCESS;
}

std::vector<std::wstring> RegValueNames(HKEY root, const std::wstring& key) {
  std::vector<std::wstring> names;
  lk::RegistryKey k;
  if (k.Open(root, key.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumValueW(k.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    if (length > 0) names.emplace_back(name, length);
  }
  return names;
}

::testing::AssertionResult RegStringIs(HKEY root, const std::wstring& key, const wchar_t* name,
                                       const std::wstring& expected) {
  const RegValue value = QueryRegValue(root, key, name);
  const std::string where = Describe(root, key, name);
  if (!value.exists) return ::testing::AssertionFailure() << where << " is missing";
  if (value.type != REG_SZ) {
    return ::testing::AssertionFailure() << where << " has type " << value.type << ", not REG_SZ";
  }
  std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()),
                    value.data.size() / sizeof(wchar_t));
  const size_t expectedBytes = (expected.size() + 1) * sizeof(wchar_t);
  if (value.data.size() != expectedBytes || text.back() != L'\0') {
    return ::testing::AssertionFailure()
           << where << " is " << value.data.size() << " bytes long, expected " << expectedBytes;
  }
  text.pop_back();
  if (text != expected) {
    return ::testing::AssertionFailure()
           << where << " is \"" << Narrow(text) << "\", expected \"" << Narrow(expected) << "\"";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult RegDwordIs(HKEY root, const std::wstring& key, const wchar_t* name,
                                      DWORD expected) {
  const RegValue value = QueryRegValue(root, key, name);
  const std::string where = Describe(root, key, name);
  if (!value.exists) return ::testing::AssertionFailure() << where << " is missing";
  if (value.type != REG_DWORD || value.data.size() != sizeof(DWORD)) {
    return ::testing::AssertionFailure() << where << " is not a REG_DWORD";
  }
  DWORD data = *reinterpret_cast<const DWORD*>(value.data.data());
  if (data != expected) {
    return ::testing::AssertionFailure() << where << " is " << data << ", expected " << expected;
  }
  return ::testing::AssertionSuccess();
}

void WriteRegString(HKEY root, const std::wstring& key, const wchar_t* name,
                    const std::wstring& data) {
  lk::RegistryKey k;
  if (k.Create(root, key.c_str()) != ERROR_SUCCESS) return;
  k.SetString(name, data.c_str());
}

}  // namespace lktest

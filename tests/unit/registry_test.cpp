#include "framework/registry.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "support/test_support.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\LumenkastRegistryTest";
constexpr wchar_t kCanary = L'#';

void SetRawValue(DWORD type, const void* data, DWORD bytes) {
  lk::RegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, kKey));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key.Get(), L"Value", 0, type, static_cast<const BYTE*>(data), bytes));
}

// A string value of any length, type and termination is read into MAX_PATH characters
// without a write past them; what does not fit, or is no string, counts as absent.
TEST(ReadRegistryString, ReadsOnlyStringsThatFitAndNeverWritesPastTheBuffer) {
  const std::wstring text10 = L"C:\\Progs\\x";
  const DWORD number = 42;
  const struct {
    const char* name;
    DWORD type;
    std::wstring data;  // stored as given, with a terminator when terminated
    bool terminated;
    bool found;
    std::wstring read;
  } cases[] = {
      {"258 characters", REG_SZ, std::wstring(258, L'a'), true, true, std::wstring(258, L'a')},
      {"259 characters", REG_SZ, std::wstring(259, L'b'), true, true, std::wstring(259, L'b')},
      {"260 characters", REG_SZ, std::wstring(260, L'c'), true, false, L""},
      {"261 characters", REG_SZ, std::wstring(261, L'd'), true, false, L""},
      {"100,000 characters", REG_SZ, std::wstring(100000, L'e'), true, false, L""},
      {"expandable", REG_EXPAND_SZ, L"%ProgramFiles%", true, true, L"%ProgramFiles%"},
      {"no terminator", REG_SZ, text10, false, true, text10},
      {"no terminator, no room", REG_SZ, std::wstring(260, L'f'), false, false, L""},
      {"binary", REG_BINARY, text10, true, false, L""},
      {"multi-string", REG_MULTI_SZ, text10 + L'\0', true, false, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    lktest::ScratchRegistry registry;
    const DWORD bytes =
        static_cast<DWORD>((c.data.size() + (c.terminated ? 1 : 0)) * sizeof(wchar_t));
    ASSERT_NO_FATAL_FAILURE(SetRawValue(c.type, c.data.c_str(), bytes));
    struct {
      wchar_t value[MAX_PATH];
      wchar_t canary[8];
    } buffer;
    wmemset(buffer.value, L'?', MAX_PATH);
    wmemset(buffer.canary, kCanary, 8);
    EXPECT_EQ(c.found,
              lk::ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Value", buffer.value, MAX_PATH));
    EXPECT_EQ(c.read, std::wstring(buffer.value, wcsnlen(buffer.value, MAX_PATH)));
    EXPECT_EQ(std::wstring(8, kCanary), std::wstring(buffer.canary, 8));
  }

  lktest::ScratchRegistry registry;
  ASSERT_NO_FATAL_FAILURE(SetRawValue(REG_DWORD, &number, sizeof(number)));
  wchar_t value[MAX_PATH] = L"junk";
  EXPECT_FALSE(lk::ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Value", value, MAX_PATH));
  EXPECT_STREQ(L"", value);
  EXPECT_FALSE(lk::ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, L"Missing", value, MAX_PATH));
  EXPECT_FALSE(lk::ReadRegistryString(HKEY_LOCAL_MACHINE, L"Software\\NoSuchKey", nullptr, value,
                                      MAX_PATH));
}

// A key goes only once it holds nothing: neither a value nor a subkey.
TEST(DeleteKeyIfEmpty, DeletesOnlyKeysThatHoldNothing) {
  lktest::ScratchRegistry registry;
  const std::wstring child = std::wstring(kKey) + L"\\Child";
  lk::RegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, child.c_str()));
  key.Reset();
  ASSERT_NO_FATAL_FAILURE(SetRawValue(REG_SZ, L"x", 4));

  EXPECT_FALSE(lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kKey));  // a value and a subkey
  EXPECT_TRUE(lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, child));
  EXPECT_FALSE(lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kKey));  // still its value
  EXPECT_EQ(ERROR_SUCCESS, lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kKey, L"Value"));
  EXPECT_NE(ERROR_SUCCESS, lk::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kKey, L"Value"));
  EXPECT_TRUE(lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kKey));
  EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, kKey, KEY_READ));
  EXPECT_FALSE(lk::DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kKey));  // gone already
}

}  // namespace

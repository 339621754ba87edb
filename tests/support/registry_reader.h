// The tests' one way to read the registry: single values (type, byte length and data
// together), value names, and whether a key exists.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace lktest {

// Short names of the two roots the installation writes to.
const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCU = HKEY_CURRENT_USER;

struct RegValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// One value as stored (name null: the key's default value).
RegValue QueryRegValue(HKEY root, const std::wstring& key, const wchar_t* name);

// A value as text (REG_SZ, up to its first zero) or number (REG_DWORD); false when it is
// missing or of another type.
bool ReadRegString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* value);
bool ReadRegDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD* value);

bool RegKeyExists(HKEY root, const std::wstring& key);

// The names of a key's named values.
std::vector<std::wstring> RegValueNames(HKEY root, const std::wstring& key);

// Success when the value is REG_SZ, holds expected and is exactly its length plus the
// terminating zero long. (Wine stores a string written without its terminating zero with
// one added, so under Wine only a length counted too long shows.)
::testing::AssertionResult RegStringIs(HKEY root, const std::wstring& key, const wchar_t* name,
                                       const std::wstring& expected);

// Success when the value is a REG_DWORD of expected.
::testing::AssertionResult RegDwordIs(HKEY root, const std::wstring& key, const wchar_t* name,
                                      DWORD expected);

// Writes a REG_SZ value, creating the key (setup of a test's starting state).
void WriteRegString(HKEY root, const std::wstring& key, const wchar_t* name,
                    const std::wstring& data);

}  // namespace lktest

#include "support/registry_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/registry.h"
#include "support/registry_reader.h"
#include "support/test_support.h"

namespace lktest {
namespace {

constexpr wchar_t kScratch[] = L"Software\\LumenkastRegistryTextTest";

std::vector<BYTE> Bytes(const std::wstring& text) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(text.data());
  return std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t));
}

// Values that take each form of the writer: strings with every kind of escape, the other
// string types, numbers, hex of every length (a long one goes on over several lines), and
// names that need escapes themselves.
struct StoredValue {
  const wchar_t* name;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<StoredValue> StoredValues() {
  const BYTE dword[] = {0xEF, 0xBE, 0xAD, 0xDE};
  std::vector<BYTE> longBinary(200);
  for (size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = static_cast<BYTE>(i * 7);
  return {
      {L"", REG_SZ, Bytes(std::wstring(L"default", 8))},
      {L"quotes \"and\" \\back\\slashes [x]", REG_SZ,
       Bytes(std::wstring(L"\"C:\\Program Files\\\" [a] = @", 28))},
      // Beyond ASCII, with and without a hex digit after it (a short or a four-digit escape).
      {L"Gr\x00F6\x00DF" L"e \x20AC", REG_SZ,
       Bytes(std::wstring(L"\x00E4" L"a \x00E4g \x20AC" L"1 \xD83D\xDE00", 12))},
      // Control characters: C escapes, and octal ones before and not before an octal digit.
      {L"control", REG_SZ,
       Bytes(std::wstring(L"\t\n\r\a\b\f\v\x1B|\x01" L"7|\x02x|\x7F", 17))},
      {L"inner zero", REG_SZ, Bytes(std::wstring(L"a\0b", 4))},
      {L"expand", REG_EXPAND_SZ, Bytes(std::wstring(L"%APPDATA%\\Lumenkast", 20))},
      {L"multi", REG_MULTI_SZ, Bytes(std::wstring(L"eins\0zwei\0\0", 11))},
      {L"odd length", REG_SZ, {'a', 0, 'b'}},
      {L"no terminator", REG_EXPAND_SZ, Bytes(L"ab")},
      {L"dword", REG_DWORD, std::vector<BYTE>(dword, dword + 4)},
      {L"short dword", REG_DWORD, {1, 2, 3}},
      {L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {L"binary", REG_BINARY, longBinary},
      {L"empty binary", REG_BINARY, {}},
      {L"none", REG_NONE, {}},
      {L"link-like", REG_LINK, Bytes(L"\\Registry\\Machine")},
  };
}

void Store(HKEY key, const StoredValue& value) {
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, value.name, 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size())))
      << Narrow(value.name);
}

// What the registry answers for every value of key, read one by one.
SnapshotValues ReadValuesOneByOne(HKEY root, const std::wstring& key) {
  SnapshotValues values;
  std::vector<std::wstring> names = RegValueNames(root, key);
  names.push_back(L"");
  for (const std::wstring& name : names) {
    const RegValue read = QueryRegValue(root, key, name.c_str());
    if (read.exists) values[name] = {read.type, read.data};
  }
  return values;
}

std::string Describe(const SnapshotValues& values) {
  std::string text;
  for (const auto& value : values) {
    text += '[';
    text += Narrow(value.first);
    text += "] type ";
    text += std::to_string(value.second.type);
    for (BYTE b : value.second.data) {
      text += ' ';
      text += std::to_string(b);
    }
    text += '\n';
  }
  return text;
}

TEST(ReadSavedBranch, GivesWhatTheRegistryAnswersKeyByKey) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
  const std::wstring valued = std::wstring(kScratch) + L"\\Werte [1] \x00C4";
  const std::wstring empty = std::wstring(kScratch) + L"\\Nur\\Unterschl\x00FCssel\\Leer";
  lk::RegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, valued.c_str()));
  for (const StoredValue& value : StoredValues()) Store(key.Get(), value);
  ASSERT_EQ(ERROR_SUCCESS, lk::RegistryKey().Create(HKEY_CURRENT_USER, empty.c_str()));
  lk::RegistryKey scratch;
  ASSERT_EQ(ERROR_SUCCESS, scratch.Open(HKEY_CURRENT_USER, kScratch, KEY_READ));

  SnapshotKeys keys;
  const bool read = ReadSavedBranch(scratch.Get(), L"T", &keys);
  const SnapshotValues expected = ReadValuesOneByOne(HKEY_CURRENT_USER, valued);
  RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);

  ASSERT_TRUE(read);
  std::vector<std::wstring> names;
  for (const auto& k : keys) names.push_back(k.first);
  // The keys that hold only subkeys come from their subkeys' paths.
  const std::vector<std::wstring> expectedNames = {
      L"T", L"T\\Nur", L"T\\Nur\\Unterschl\x00FCssel", L"T\\Nur\\Unterschl\x00FCssel\\Leer",
      L"T\\Werte [1] \x00C4"};
  EXPECT_EQ(expectedNames, names);
  ASSERT_EQ(StoredValues().size(), expected.size());
  const SnapshotValues& got = keys[L"T\\Werte [1] \x00C4"];
  EXPECT_EQ(Describe(expected), Describe(got));
}

TEST(ParseRegistryText, RefusesTextsNotInTheFormat) {
  const std::string header = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S\n";
  const struct {
    const char* what;
    std::string text;
    bool parsed;
  } cases[] = {
      {"a key, its time, class and link mark, and values",
       header + "\n[A\\\\B] 1\n#time=1d0\n#class=\"x\"\n#link\n@=\"v\"\n\"n\"=dword:00000001\n",
       true},
      {"no header", "[A] 1\n@=\"v\"\n", false},
      {"a value before any key", header + "@=\"v\"\n", false},
      {"a key name without its closing bracket", header + "[A\\\\B 1\n", false},
      {"a string without its closing quote", header + "[A] 1\n\"n\"=\"v\n", false},
      {"a value name without its equals sign", header + "[A] 1\n\"n\" \"v\"\n", false},
      {"a number of seven digits", header + "[A] 1\n\"n\"=dword:0000001\n", false},
      {"hex with a single digit", header + "[A] 1\n\"n\"=hex:01,2\n", false},
      {"hex ending in a comma", header + "[A] 1\n\"n\"=hex:01,\n", false},
      {"hex of an unnamed type", header + "[A] 1\n\"n\"=hex():01\n", false},
      {"an unknown form", header + "[A] 1\n\"n\"=qword:1\n", false},
  };
  for (const auto& c : cases) {
    SnapshotKeys keys;
    EXPECT_EQ(c.parsed, ParseRegistryText(c.text, L"R", &keys)) << c.what;
  }
  SnapshotKeys keys;
  ASSERT_TRUE(ParseRegistryText(cases[0].text, L"R", &keys));
  ASSERT_EQ(3u, keys.size());
  EXPECT_TRUE(keys[L"R"].empty());
  EXPECT_TRUE(keys[L"r\\a"].empty());
  EXPECT_EQ(2u, keys[L"R\\A\\B"].size());
}

}  // namespace
}  // namespace lktest

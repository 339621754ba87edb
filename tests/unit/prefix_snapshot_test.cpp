#include "support/prefix_snapshot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace lktest {
namespace {

// What the snapshots saw under the scratch key and folder of a test, as Describe() lines.
std::vector<std::string> LinesUnder(const SnapshotDifference& difference,
                                    const std::vector<std::string>& prefixes) {
  std::vector<std::string> lines;
  std::string text = difference.Describe();
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    for (const std::string& prefix : prefixes) {
      if (line.find(prefix) != std::string::npos) lines.push_back(line);
    }
    start = end + 1;
  }
  return lines;
}

using ScopedKey = lk::ScopedHandle<HKEY, lk::KeyTraits>;

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const wchar_t* data) {
  ScopedKey k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(root, key.c_str(), k.Receive()));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(k.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                           static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t))));
}

TEST(PrefixSnapshot, ReportsAddedRemovedAndChangedKeysValuesAndFiles) {
  const std::wstring key = L"Software\\LumenkastSnapshotTest";
  TempFolder folder;
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  SetString(HKEY_CURRENT_USER, key + L"\\Kept", L"Same", L"1");
  SetString(HKEY_CURRENT_USER, key + L"\\Kept", L"Changed", L"old");
  SetString(HKEY_CURRENT_USER, key + L"\\Kept", L"Removed", L"x");
  SetString(HKEY_CURRENT_USER, key + L"\\Gone", nullptr, L"default");
  ASSERT_TRUE(WriteFileBytes(folder / L"same.txt", "same"));
  ASSERT_TRUE(WriteFileBytes(folder / L"grows.txt", "a"));
  ASSERT_TRUE(WriteFileBytes(folder / L"gone.txt", "b"));
  ASSERT_TRUE(WriteFileBytes(folder / L"readonly.txt", "c"));
  const PrefixSnapshot before = TakePrefixSnapshot({folder.Path()});
  EXPECT_TRUE(CompareSnapshots(before, before).Empty());

  SetString(HKEY_CURRENT_USER, key + L"\\Kept", L"Changed", L"new");
  SetString(HKEY_CURRENT_USER, key + L"\\Kept", L"Added", L"y");
  SetString(HKEY_CURRENT_USER, key + L"\\KEPT\\New", nullptr, L"z");
  {
    ScopedKey kept;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, (key + L"\\Kept").c_str(), 0,
                                           KEY_ALL_ACCESS, kept.Receive()));
    RegDeleteValueW(kept.Get(), L"Removed");
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, (key + L"\\Gone").c_str());
  ASSERT_TRUE(WriteFileBytes(folder / L"grows.txt", "ab"));
  ASSERT_TRUE(DeleteFileW((folder / L"gone.txt").c_str()));
  ASSERT_TRUE(SetFileAttributesW((folder / L"readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryW((folder / L"Sub").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder / L"Sub\\new.txt", "n"));
  const PrefixSnapshot after = TakePrefixSnapshot({folder.Path()});
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());

  const std::string k = "HKCU\\Software\\LumenkastSnapshotTest\\";
  const std::string f = Narrow(folder.Path());
  const std::vector<std::string> expected = {
      "+key " + k + "Kept\\New",
      "-key " + k + "Gone",
      "+value " + k + "Kept [Added]",
      "+value " + k + "Kept\\New [(default)]",
      "-value " + k + "Gone [(default)]",
      "-value " + k + "Kept [Removed]",
      "~value " + k + "Kept [Changed]",
      "+file " + f + "Sub\\",
      "+file " + f + "Sub\\new.txt",
      "-file " + f + "gone.txt",
      "~file " + f + "grows.txt",
      "~file " + f + "readonly.txt",
  };
  EXPECT_EQ(expected, LinesUnder(CompareSnapshots(before, after), {k, f}));
  SetFileAttributesW((folder / L"readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(PrefixSnapshot, SeesTheWholeRegistryAndTheSystemFolder) {
  const PrefixSnapshot snapshot = TakePrefixSnapshot({L"C:\\windows\\system32\\drivers"});
  EXPECT_TRUE(snapshot.keys.count(L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion"));
  EXPECT_TRUE(snapshot.keys.count(L"HKCU\\Software"));
  EXPECT_GT(snapshot.keys.size(), 1000u);
  bool sawSystemFile = false;
  for (const auto& file : snapshot.files) sawSystemFile |= !file.second.folder;
  EXPECT_TRUE(sawSystemFile);
}

}  // namespace
}  // namespace lktest

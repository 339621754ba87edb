// An unattended installation with every switch writes what the registration, the
// associations, the shortcuts, the settings and the payload name, and nothing else: the
// registry (HKLM, HKCU) and the files of the prefix are compared before and after it.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <set>
#include <string>
#include <vector>

#include "integration/format_catalogue.h"
#include "support/complete_installation.h"
#include "support/expected_installation.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/prefix_snapshot.h"
#include "support/registry_reader.h"
#include "support/test_support.h"
#include "support/wine_own_changes.h"

namespace lktest {
namespace {

constexpr wchar_t kAllSwitches[] = L"/silent /group=1 /desktop=1 /thumbs=1 /allusers=1 /assoc=2";

using NameSet = std::set<std::wstring, NoCaseLess>;

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// A registry key as the snapshot names it. Wine keeps HKEY_CLASSES_ROOT as
// HKLM\Software\Classes, without a per-user part.
std::wstring SnapshotKey(HKEY root, const std::wstring& key) {
  if (root == HKEY_CLASSES_ROOT) return L"HKLM\\SOFTWARE\\Classes\\" + key;
  return (root == HKEY_CURRENT_USER ? L"HKCU\\" : L"HKLM\\") + key;
}

std::wstring ValueId(const std::wstring& key, const std::wstring& name) {
  return key + L" [" + name + L"]";
}

struct Expected {
  NameSet values;  // ValueId of every value the installation writes
  NameSet keys;  // every key it writes to or creates
  NameSet files;  // every file and folder it creates (folders end in '\')

  void Value(HKEY root, const std::wstring& key, const wchar_t* name) {
    keys.insert(SnapshotKey(root, key));
    values.insert(ValueId(SnapshotKey(root, key), name ? name : L""));
  }
  // A key, or a folder of a created path: itself or one of its ancestors.
  static bool Covers(const NameSet& names, const std::wstring& name) {
    for (auto it = names.lower_bound(name); it != names.end() && StartsWith(*it, name); ++it) {
      if (it->size() == name.size() || name.back() == L'\\' || (*it)[name.size()] == L'\\') {
        return true;
      }
    }
    return false;
  }
};

void AddRegistration(const std::wstring& folder, Expected* expected) {
  for (const ExpectedString& v : ApplicationStrings(folder)) {
    expected->Value(v.root, v.key, v.name);
  }
  for (const ExpectedDword& v : ApplicationDwords()) expected->Value(v.root, v.key, v.name);
  expected->keys.insert(SnapshotKey(HKLM, L"SOFTWARE\\Lumenkast"));
}

void AddAssociations(Expected* expected) {
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const FormatExtension& e = format.extensions[i];
      const std::wstring identifier = IdentifierKey(e.typeKey);
      expected->Value(HKLM, std::wstring(L"SOFTWARE\\Classes\\.") + e.extension, nullptr);
      expected->Value(HKLM, identifier, nullptr);
      expected->Value(HKLM, identifier + L"\\shell\\open\\command", nullptr);
      expected->Value(HKLM, identifier + L"\\DefaultIcon", nullptr);
      expected->Value(HKLM, kFileAssociationsKey, (std::wstring(L".") + e.typeKey).c_str());
      expected->Value(HKCU, ExplorerChoiceKey(e.extension), L"Progid");
    }
  }
  // Each override the setup made, with its mark for the uninstaller.
  for (const wchar_t* key : kAppXOverrideKeys) {
    expected->Value(HKCU, key, L"NoOpenWith");
    expected->Value(HKCU, key, L"Lumenkast_NoOpenWith");
  }
}

void AddFiles(const std::wstring& folder, Expected* expected) {
  expected->files.insert(folder);
  for (const ZipEntryLayout& entry : PayloadEntries()) {
    expected->files.insert(EntryPath(folder, entry.name));
  }
  expected->files.insert(folder + L"lk_main64.ini");
  const std::wstring desktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  for (const ExpectedLink& link : DesktopLinks(folder)) {
    expected->files.insert(desktop + link.fileName);
  }
  const std::wstring group = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"Lumenkast\\";
  expected->files.insert(group);
  for (const ExpectedLink& link : GroupLinks(folder)) expected->files.insert(group + link.fileName);
}

std::wstring DefaultFolder() {
  std::wstring programFiles;
  ReadRegString(HKLM, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir",
                &programFiles);
  return programFiles + L"\\Lumenkast\\";
}

class NothingElseWritten : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    RemoveTree(folder_);
    CreateRegisteredApplicationsList();
  }
  void TearDown() override {
    RemoveTree(folder_);
    InstallationTest::TearDown();
  }

  ScopedWineVersion windows10_{L"win10"};  // with the AppX overrides, without the uninstaller link
  const std::wstring folder_ = DefaultFolder();
};

TEST_F(NothingElseWritten, AnInstallationWithEverySwitchWritesWhatItsTablesNameAndNothingElse) {
  Expected expected;
  AddRegistration(folder_, &expected);
  AddAssociations(&expected);
  AddFiles(folder_, &expected);

  const PrefixSnapshot before = TakePrefixSnapshot({L"C:\\"});
  ASSERT_EQ(0, RunSetup(kAllSwitches));
  const PrefixSnapshot after = TakePrefixSnapshot({L"C:\\"});
  const SnapshotDifference difference = WithoutWineOwnChanges(CompareSnapshots(before, after));

  for (const std::wstring& id : expected.values) {
    const size_t split = id.rfind(L" [");
    auto key = after.keys.find(id.substr(0, split));
    const std::wstring name = id.substr(split + 2, id.size() - split - 3);
    EXPECT_TRUE(key != after.keys.end() && key->second.count(name)) << "missing " << Narrow(id);
  }
  for (const std::wstring& file : expected.files) {
    EXPECT_TRUE(after.files.count(file)) << "missing " << Narrow(file);
  }

  for (const std::wstring& key : difference.addedKeys) {
    EXPECT_TRUE(Expected::Covers(expected.keys, key))
        << "key created: " << Narrow(key);
  }
  for (const auto* values : {&difference.addedValues, &difference.changedValues}) {
    for (const SnapshotValueName& v : *values) {
      EXPECT_TRUE(expected.values.count(ValueId(v.key, v.name)))
          << "value written: " << Narrow(ValueId(v.key, v.name));
    }
  }
  for (const std::wstring& key : difference.removedKeys) {
    ADD_FAILURE() << "key removed: " << Narrow(key);
  }
  for (const SnapshotValueName& v : difference.removedValues) {
    ADD_FAILURE() << "value removed: " << Narrow(ValueId(v.key, v.name));
  }
  for (const std::wstring& file : difference.addedFiles) {
    EXPECT_TRUE(Expected::Covers(expected.files, file))
        << "file created: " << Narrow(file);
  }
  EXPECT_TRUE(difference.changedFiles.empty()) << difference.Describe();
  EXPECT_TRUE(difference.removedFiles.empty()) << difference.Describe();
}

}  // namespace
}  // namespace lktest

#include "support/prefix_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace lktest {

namespace {

// The keys under root, named rootName and their path below it; a branch that cannot be read
// fails the test.
void AddRegistryBranch(HKEY root, const wchar_t* rootName, PrefixSnapshot* snapshot) {
  EXPECT_TRUE(ReadSavedBranch(root, rootName, &snapshot->keys))
      << "the registry under " << Narrow(rootName) << " could not be read";
}

// Deeper folder trees than this are not walked: a guard against loops.
constexpr int kMaxDepth = 64;

void AddFolderTree(const std::wstring& folder, int depth, PrefixSnapshot* snapshot) {
  WIN32_FIND_DATAW data;
  lk::ScopedFindHandle find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, 0));
  if (!find) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    SnapshotFile file;
    file.attributes = data.dwFileAttributes;
    file.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (file.folder) {
      const std::wstring path = folder + name + L"\\";
      snapshot->files[path] = file;
      const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (!link && depth < kMaxDepth) AddFolderTree(path, depth + 1, snapshot);
    } else {
      file.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      file.lastWrite = data.ftLastWriteTime;
      snapshot->files[folder + name] = file;
    }
  } while (FindNextFileW(find.Get(), &data));
}

bool SameValue(const SnapshotValue& a, const SnapshotValue& b) {
  return a.type == b.type && a.data == b.data;
}

bool SameFile(const SnapshotFile& a, const SnapshotFile& b) {
  if (a.folder != b.folder || a.attributes != b.attributes) return false;
  if (a.folder) return true;
  return a.size == b.size && CompareFileTime(&a.lastWrite, &b.lastWrite) == 0;
}

void AddAllValues(const std::wstring& key, const SnapshotValues& values,
                  std::vector<SnapshotValueName>* out) {
  for (const auto& value : values) out->push_back({key, value.first});
}

void CompareValues(const std::wstring& key, const SnapshotValues& before,
                   const SnapshotValues& after, SnapshotDifference* difference) {
  for (const auto& value : after) {
    auto old = before.find(value.first);
    if (old == before.end()) {
      difference->addedValues.push_back({key, value.first});
    } else if (!SameValue(old->second, value.second)) {
      difference->changedValues.push_back({key, value.first});
    }
  }
  for (const auto& value : before) {
    if (!after.count(value.first)) difference->removedValues.push_back({key, value.first});
  }
}

void CompareKeys(const PrefixSnapshot& before, const PrefixSnapshot& after,
                 SnapshotDifference* difference) {
  for (const auto& key : after.keys) {
    auto old = before.keys.find(key.first);
    if (old == before.keys.end()) {
      difference->addedKeys.push_back(key.first);
      AddAllValues(key.first, key.second, &difference->addedValues);
    } else {
      CompareValues(key.first, old->second, key.second, difference);
    }
  }
  for (const auto& key : before.keys) {
    if (after.keys.count(key.first)) continue;
    difference->removedKeys.push_back(key.first);
    AddAllValues(key.first, key.second, &difference->removedValues);
  }
}

void CompareFiles(const PrefixSnapshot& before, const PrefixSnapshot& after,
                  SnapshotDifference* difference) {
  for (const auto& file : after.files) {
    auto old = before.files.find(file.first);
    if (old == before.files.end()) {
      difference->addedFiles.push_back(file.first);
    } else if (!SameFile(old->second, file.second)) {
      difference->changedFiles.push_back(file.first);
    }
  }
  for (const auto& file : before.files) {
    if (!after.files.count(file.first)) difference->removedFiles.push_back(file.first);
  }
}

void DescribeNames(const char* mark, const std::vector<std::wstring>& names, std::string* out) {
  for (const std::wstring& name : names) *out += mark + Narrow(name) + "\n";
}

void DescribeValues(const char* mark, const std::vector<SnapshotValueName>& values,
                    std::string* out) {
  for (const SnapshotValueName& v : values) {
    *out += mark + Narrow(v.key) + " [" + (v.name.empty() ? "(default)" : Narrow(v.name)) + "]\n";
  }
}

void SortByName(std::vector<SnapshotValueName>* values) {
  std::sort(values->begin(), values->end(),
            [](const SnapshotValueName& a, const SnapshotValueName& b) {
              const int key = _wcsicmp(a.key.c_str(), b.key.c_str());
              return key != 0 ? key < 0 : _wcsicmp(a.name.c_str(), b.name.c_str()) < 0;
            });
}

}  // namespace

PrefixSnapshot TakePrefixSnapshot(const std::vector<std::wstring>& folders) {
  PrefixSnapshot snapshot;
  AddRegistryBranch(HKEY_LOCAL_MACHINE, L"HKLM", &snapshot);
  AddRegistryBranch(HKEY_CURRENT_USER, L"HKCU", &snapshot);
  for (std::wstring folder : folders) {
    if (folder.empty()) continue;
    if (folder.back() != L'\\') folder += L'\\';
    AddFolderTree(folder, 0, &snapshot);
  }
  return snapshot;
}

bool SnapshotDifference::Empty() const {
  return addedKeys.empty() && removedKeys.empty() && addedValues.empty() &&
         removedValues.empty() && changedValues.empty() && addedFiles.empty() &&
         removedFiles.empty() && changedFiles.empty();
}

std::string SnapshotDifference::Describe() const {
  std::string text;
  DescribeNames("+key ", addedKeys, &text);
  DescribeNames("-key ", removedKeys, &text);
  DescribeValues("+value ", addedValues, &text);
  DescribeValues("-value ", removedValues, &text);
  DescribeValues("~value ", changedValues, &text);
  DescribeNames("+file ", addedFiles, &text);
  DescribeNames("-file ", removedFiles, &text);
  DescribeNames("~file ", changedFiles, &text);
  return text;
}

SnapshotDifference CompareSnapshots(const PrefixSnapshot& before, const PrefixSnapshot& after) {
  SnapshotDifference difference;
  CompareKeys(before, after, &difference);
  CompareFiles(before, after, &difference);
  SortByName(&difference.addedValues);
  SortByName(&difference.removedValues);
  SortByName(&difference.changedValues);
  return difference;
}

}  // namespace lktest

#include "support/prefix_snapshot.h"

#include <algorithm>
#include <cwchar>

#include "framework/registry.h"
#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace lktest {

namespace {

// Deeper trees than this are links looping back (Wine keeps a few registry links).
constexpr int kMaxDepth = 64;


// The values of an open key.
SnapshotValues ReadValues(HKEY key) {
  SnapshotValues values;
  DWORD maxName = 0, maxData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
    return values;
  }
  std::vector<wchar_t> name(maxName + 2);
  std::vector<BYTE> data(maxData + 2);
  for (DWORD i = 0;;) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataLength = static_cast<DWORD>(data.size());
    SnapshotValue value;
    const LONG status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &value.type,
                                      data.data(), &dataLength);
    if (status == ERROR_MORE_DATA && name.size() < 32768) {
      // The key grew since it was measured: try the same value with larger buffers.
      name.resize(32768);
      data.resize(std::max<size_t>(data.size() * 2, dataLength + 2));
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    ++i;
    value.data.assign(data.begin(), data.begin() + dataLength);
    values[std::wstring(name.data(), nameLength)] = value;
  }
  return values;
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

// A registry link (Wine keeps some, such as the 32-bit views): its target is listed on its
// own, so the link is recorded but not followed.
bool IsLink(const SnapshotValues& values) {
  auto link = values.find(L"SymbolicLinkValue");
  return link != values.end() && link->second.type == REG_LINK;
}

void AddKeyTree(HKEY parent, const std::wstring& subkey, const std::wstring& fullName, int depth,
                PrefixSnapshot* snapshot) {
  lk::RegistryKey key;
  if (RegOpenKeyExW(parent, subkey.empty() ? nullptr : subkey.c_str(), REG_OPTION_OPEN_LINK,
                    KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return;
  }
  SnapshotValues& values = snapshot->keys[fullName] = ReadValues(key.Get());
  if (IsLink(values) || depth >= kMaxDepth) return;
  for (const std::wstring& name : SubkeyNames(key.Get())) {
    AddKeyTree(key.Get(), name, fullName + L"\\" + name, depth + 1, snapshot);
  }
}

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

bool NoCaseLess::operator()(const std::wstring& a, const std::wstring& b) const {
  return _wcsicmp(a.c_str(), b.c_str()) < 0;
}

PrefixSnapshot TakePrefixSnapshot(const std::vector<std::wstring>& folders) {
  PrefixSnapshot snapshot;
  AddKeyTree(HKEY_LOCAL_MACHINE, L"", L"HKLM", 0, &snapshot);
  AddKeyTree(HKEY_CURRENT_USER, L"", L"HKCU", 0, &snapshot);
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

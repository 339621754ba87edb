#include "support/wine_own_changes.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace lktest {

namespace {

// Where Wine records the devices it finds when a desktop or a display driver starts: their
// classes with driver dates, and their instances with the display's properties. (Its
// records of hardware, displays, mounted drives and fonts are volatile keys, which a
// snapshot does not read.)
constexpr const wchar_t* kWineOwnBranches[] = {
    L"HKLM\\System\\CurrentControlSet\\Control\\Class",
    L"HKLM\\System\\CurrentControlSet\\Enum",
};

// key is branch or lies below it.
bool IsInBranch(const std::wstring& key, const std::wstring& branch) {
  return _wcsnicmp(key.c_str(), branch.c_str(), branch.size()) == 0 &&
         (key.size() == branch.size() || key[branch.size()] == L'\\');
}

template <typename T, typename Drop>
void Erase(std::vector<T>* list, Drop drop) {
  list->erase(std::remove_if(list->begin(), list->end(), drop), list->end());
}

}  // namespace

bool IsWineOwnKey(const std::wstring& key) {
  for (const wchar_t* branch : kWineOwnBranches) {
    if (IsInBranch(key, branch)) return true;
  }
  return false;
}

SnapshotDifference WithoutWineOwnChanges(SnapshotDifference difference) {
  for (auto* keys : {&difference.addedKeys, &difference.removedKeys}) Erase(keys, IsWineOwnKey);
  for (auto* values :
       {&difference.addedValues, &difference.removedValues, &difference.changedValues}) {
    Erase(values, [](const SnapshotValueName& value) { return IsWineOwnKey(value.key); });
  }
  return difference;
}

}  // namespace lktest

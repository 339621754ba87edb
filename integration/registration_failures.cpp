#include "integration/registration_failures.h"

#include "framework/registry.h"

namespace {

struct RootName {
  HKEY root;
  const wchar_t* name;
};
const RootName kRootNames[] = {
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},
    {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
    {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},
    {HKEY_USERS, L"HKEY_USERS"},
};

}  // namespace

std::wstring RegistryKeyName(HKEY root, const std::wstring& path) {
  for (const RootName& entry : kRootNames) {
    if (entry.root == root) return std::wstring(entry.name) + L"\\" + path;
  }
  return path;
}

LONG RegistrationFailures::NoteKey(HKEY root, const std::wstring& path, LONG status) {
  if (status != ERROR_SUCCESS) Note(RegistryKeyName(root, path));
  return status;
}

int RegistrationFailures::NoteLink(const std::wstring& linkPath, int saved) {
  if (!saved) Note(linkPath);
  return saved;
}

void RegistrationFailures::Note(const std::wstring& name) {
  if (count_++ == 0) first_ = name;
}

LONG NoteKeyWrite(RegistrationFailures* failures, HKEY root, const std::wstring& path,
                  LONG status) {
  return failures ? failures->NoteKey(root, path, status) : status;
}

int NoteLinkSave(RegistrationFailures* failures, const std::wstring& linkPath, int saved) {
  return failures ? failures->NoteLink(linkPath, saved) : saved;
}

LONG SetNotedDefaultValue(RegistrationFailures* failures, HKEY root, const std::wstring& path,
                          const std::wstring& data) {
  return NoteKeyWrite(failures, root, path, lk::SetDefaultValue(root, path, data));
}

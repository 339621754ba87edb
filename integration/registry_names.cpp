#include "integration/registry_names.h"

#include <windows.h>

#include "app/product_info.h"

namespace lk {

bool IsOwnIdentifier(const std::wstring& identifier) {
  const std::wstring product = kProductName;
  if (identifier.size() < product.size()) return false;
  if (identifier.size() > product.size() && identifier[product.size()] != L'.') return false;
  return CompareStringOrdinal(identifier.c_str(), static_cast<int>(product.size()),
                              product.c_str(), static_cast<int>(product.size()),
                              TRUE) == CSTR_EQUAL;
}

std::wstring VerbKey(const wchar_t* target) {
  return std::wstring(kClassesKey) + target + L"\\shell\\" + kVerbName;
}

std::wstring ProgrammaticIdentifier(const wchar_t* typeKey) {
  return std::wstring(kProductName) + L"." + typeKey;
}

std::wstring IdentifierKeyOf(const wchar_t* typeKey) {
  return kClassesKey + ProgrammaticIdentifier(typeKey);
}

std::wstring ExtensionKey(const wchar_t* extension) {
  return std::wstring(kClassesKey) + L"." + extension;
}

std::wstring ExplorerExtensionKey(const wchar_t* extension) {
  return std::wstring(kExplorerFileExtsKey) + L"\\." + extension;
}

std::wstring ExplorerChoiceKey(const wchar_t* extension) {
  return ExplorerExtensionKey(extension) + L"\\UserChoice";
}

}  // namespace lk

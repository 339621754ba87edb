#include "support/undeletable_key.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "framework/registry.h"

namespace lktest {

namespace {

// DELETE, KEY_SET_VALUE and KEY_ENUMERATE_SUB_KEYS. Wine grants DELETE whatever the rights
// say; a tree delete is stopped all the same by the enumeration it needs first.
constexpr wchar_t kDenyDelete[] = L"D:(D;;0x1000A;;;WD)(A;;KA;;;WD)";
constexpr wchar_t kAllowAll[] = L"D:(A;;KA;;;WD)";

}  // namespace

UndeletableKey::UndeletableKey(HKEY root, const std::wstring& path) : root_(root), path_(path) {
  Apply(kDenyDelete);
}

UndeletableKey::~UndeletableKey() { Apply(kAllowAll); }

void UndeletableKey::Apply(const wchar_t* sddl) const {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  lk::RegistryKey key;
  const LONG opened = key.Open(root_, path_.c_str(), WRITE_DAC);
  if (opened == ERROR_SUCCESS) {
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor));
  }
  LocalFree(descriptor);
  EXPECT_EQ(ERROR_SUCCESS, opened) << "key to protect is missing";
}

}  // namespace lktest

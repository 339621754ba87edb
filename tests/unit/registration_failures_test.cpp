#include "integration/registration_failures.h"

#include <gtest/gtest.h>

namespace {

// The first failure is the one named, whatever follows; successes are not failures.
TEST(RegistrationFailures, NamesTheFirstFailedKeyOrLinkWithItsRoot) {
  const struct Case {
    HKEY root;  // null: a link
    const wchar_t* path;
    LONG status;  // for a link: 1 saved, 0 not
    const wchar_t* first;
    int count;
  } writes[] = {
      {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Lumenkast", ERROR_SUCCESS, L"", 0},
      {nullptr, L"C:\\Desktop\\Lumenkast 64.lnk", 1, L"", 0},
      {HKEY_CLASSES_ROOT, L"Applications\\lk_main64.exe", ERROR_ACCESS_DENIED,
       L"HKEY_CLASSES_ROOT\\Applications\\lk_main64.exe", 1},
      {HKEY_CURRENT_USER, L"Software\\x", ERROR_ACCESS_DENIED,
       L"HKEY_CLASSES_ROOT\\Applications\\lk_main64.exe", 2},
      {nullptr, L"C:\\Desktop\\Lumenkast 64 Thumbnails.lnk", 0,
       L"HKEY_CLASSES_ROOT\\Applications\\lk_main64.exe", 3},
  };
  RegistrationFailures failures;
  for (const Case& write : writes) {
    if (write.root) {
      EXPECT_EQ(write.status, failures.NoteKey(write.root, write.path, write.status));
    } else {
      EXPECT_EQ(write.status, failures.NoteLink(write.path, write.status));
    }
    EXPECT_EQ(write.first, failures.First());
    EXPECT_EQ(write.count, failures.Count());
    EXPECT_EQ(write.count > 0, failures.Any());
  }
}

TEST(RegistrationFailures, EachRootIsNamedInFull) {
  const struct {
    HKEY root;
    const wchar_t* name;
  } roots[] = {{HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE\\k"},
               {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER\\k"},
               {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT\\k"}};
  for (const auto& root : roots) {
    RegistrationFailures failures;
    failures.NoteKey(root.root, L"k", ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(root.name, failures.First());
  }
  // Without a collector nothing is noted, and the status passes through.
  EXPECT_EQ(ERROR_ACCESS_DENIED, NoteKeyWrite(nullptr, HKEY_LOCAL_MACHINE, L"k",
                                              ERROR_ACCESS_DENIED));
  EXPECT_EQ(0, NoteLinkSave(nullptr, L"C:\\a.lnk", 0));
}

}  // namespace

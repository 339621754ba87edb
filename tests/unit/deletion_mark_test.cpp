#include "framework/deletion_mark.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace {

using lktest::FileExists;
using ScopedMapping = lk::ScopedHandle<HANDLE, lk::NullHandleTraits<HANDLE, CloseHandle>>;
using ScopedView = lk::ScopedHandle<void*, lk::NullHandleTraits<void*, UnmapViewOfFile>>;

// A mark taken back before the last handle closes leaves the file (the uninstaller asks so
// whether the viewer's file could go); a mark kept deletes it.
TEST(DeletionMark, AMarkTakenBackLeavesTheFile) {
  lktest::TempFolder folder;
  for (bool takenBack : {false, true}) {
    SCOPED_TRACE(takenBack ? "taken back" : "kept");
    const std::wstring path = folder / L"lk_main64.exe";
    ASSERT_TRUE(lktest::WriteFileBytes(path, "x"));
    {
      lk::ScopedFileHandle file = lk::OpenForDeletion(path);
      ASSERT_TRUE(file);
      ASSERT_TRUE(lk::SetDeletionMark(file.Get(), true));
      if (takenBack) {
        EXPECT_TRUE(lk::SetDeletionMark(file.Get(), false));
      }
    }
    EXPECT_EQ(takenBack, FileExists(path));
  }
}

// A read-only file of one name whose mark is refused even without the attribute (a view of
// it is mapped) gets the attribute back, beside the others it has; once the view is gone,
// the same call deletes it.
TEST(DeletionMark, AReadOnlyFileWhoseMarkIsRefusedGetsItsAttributeBack) {
  constexpr DWORD kAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  lktest::TempFolder folder;
  const std::wstring path = folder / L"lk_icons.dll";
  ASSERT_TRUE(lktest::WriteFileBytes(path, "mapped"));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), kAttributes));
  lk::ScopedFileHandle file = lk::OpenForDeletion(path);
  ASSERT_TRUE(file);
  DWORD attributes = 0;
  ASSERT_TRUE(lk::AttributesOf(file.Get(), &attributes));
  ASSERT_EQ(kAttributes, attributes & kAttributes);
  {
    lk::ScopedFileHandle reader(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    ScopedMapping mapping(CreateFileMappingW(reader.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    ASSERT_TRUE(mapping);
    ScopedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    ASSERT_TRUE(view);

    EXPECT_FALSE(lk::MarkClearingReadOnly(file.Get(), attributes));
    EXPECT_EQ(attributes, GetFileAttributesW(path.c_str()));
  }
  EXPECT_TRUE(lk::MarkClearingReadOnly(file.Get(), attributes));
  file.Reset();
  EXPECT_FALSE(FileExists(path));
}

}  // namespace

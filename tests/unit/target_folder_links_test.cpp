// The target folder as an elevated run makes it: never through a link a user could have
// made, and, outside the system's program folders, as safe as the program folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/target_folder.h"
#include "framework/protected_folder.h"
#include "framework/scoped_handles.h"
#include "support/test_support.h"

namespace {

constexpr wchar_t kCurrentVersion[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

void SetMachineString(const wchar_t* name, const wchar_t* value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, kCurrentVersion, &key));
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

TEST(IsInSystemProgramFolder, EachProgramFolderValueAndWhatLiesBelowIt) {
  lktest::ScratchRegistry registry;
  SetMachineString(L"ProgramFilesDir", L"D:\\Progs");
  SetMachineString(L"ProgramFilesDir (x86)", L"D:\\Progs (x86)\\");
  SetMachineString(L"ProgramW6432Dir", L"E:\\P64");
  const struct {
    const wchar_t* folder;
    bool inside;
  } cases[] = {
      {L"D:\\Progs\\Lumenkast\\", true},
      {L"d:\\PROGS\\Lumenkast", true},
      {L"D:\\Progs (x86)\\Lumenkast\\", true},
      {L"E:\\P64\\A\\B\\", true},
      {L"D:\\Progs", true},
      {L"D:\\ProgsX\\Lumenkast\\", false},   // a longer name is another folder
      {L"D:\\Progs\\..\\Lumenkast\\", false},  // resolved before it is compared
      {L"C:\\Lumenkast\\", false},
      {L"D:\\", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsInSystemProgramFolder(c.folder), c.inside) << lktest::Narrow(c.folder);
  }
}

// Protection as read back through a handle on the folder, compared with a folder made
// with it now (Wine keeps the access entries as Unix permission bits only).
bool HasProgramFolderProtection(const std::wstring& folder, const std::wstring& referenceParent) {
  lk::ScopedFileHandle handle(CreateFileW(folder.c_str(), READ_CONTROL,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
  return handle && lk::HasProtection(handle.Get(), lk::FolderProtection::kProgramFolder,
                                     referenceParent.c_str());
}

class CreateTargetFolderTest : public testing::Test {
 protected:
  lktest::TempFolder scratch_;
  lktest::TempFolder outside_;
};

// The top-most folder the run makes gets the program folder's protection and the folders
// below it inherit it; a folder that was there keeps its own.
TEST_F(CreateTargetFolderTest, TheTopMostFolderItMakesIsProtectedAnExistingOneKeepsItsOwn) {
  const std::wstring existing = scratch_ / L"Existing";
  ASSERT_TRUE(CreateDirectoryW(existing.c_str(), nullptr));
  wchar_t path[MAX_PATH] = {};
  wcscpy(path, (existing + L"\\Tools \\Lumenkast").c_str());
  std::vector<std::wstring> created;

  ASSERT_EQ(CreateTargetFolder(path, &created), 1);

  EXPECT_EQ(std::wstring(path), existing + L"\\Tools\\Lumenkast\\");
  EXPECT_EQ(created, (std::vector<std::wstring>{existing + L"\\Tools",
                                                existing + L"\\Tools\\Lumenkast"}));
  EXPECT_TRUE(HasProgramFolderProtection(existing + L"\\Tools", scratch_.Path()));
  EXPECT_FALSE(HasProgramFolderProtection(existing, scratch_.Path()));
  // Made again: it exists, nothing is made or changed.
  created.clear();
  EXPECT_EQ(CreateTargetFolder(path, &created), 1);
  EXPECT_TRUE(created.empty());
}

// A folder on the way that is a link (every link is a user's under Wine), at the target,
// above it or at a folder still to be made below an existing link: refused before anything
// is made, and nothing appears where the link leads.
TEST_F(CreateTargetFolderTest, ALinkOnTheWayIsRefusedAndNothingIsMadeThrough) {
  const std::wstring link = scratch_ / L"link";
  const lktest::ScopedSymbolicLink made(outside_.Path(), link);
  ASSERT_TRUE(made.Made());
  for (const std::wstring& target : {link, link + L"\\Lumenkast", link + L"\\A\\B"}) {
    SCOPED_TRACE(lktest::Narrow(target));
    wchar_t path[MAX_PATH] = {};
    wcscpy(path, target.c_str());
    std::vector<std::wstring> created;
    EXPECT_EQ(CreateTargetFolder(path, &created), 0);
    EXPECT_TRUE(created.empty());
    EXPECT_TRUE(lktest::ListFolder(outside_.Path()).empty());
  }
}

}  // namespace

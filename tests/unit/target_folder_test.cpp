#include <gtest/gtest.h>

#include <string>

#include "app/target_folder.h"
#include "support/expected_installation.h"
#include "support/test_support.h"

namespace {

void SetMachineString(const wchar_t* key, const wchar_t* name, const wchar_t* value) {
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, key, &k));
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}

constexpr wchar_t kCurrentVersion[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

TEST(GetDefaultInstallFolder, ProgramFilesFolderOrFallback) {
  lktest::ScratchRegistry registry;
  wchar_t folder[MAX_PATH];
  GetDefaultInstallFolder(folder);
  EXPECT_STREQ(L"C:\\Lumenkast\\", folder);

  SetMachineString(kCurrentVersion, L"ProgramFilesDir", L"C:\\Program Files");
  GetDefaultInstallFolder(folder);
  EXPECT_STREQ(L"C:\\Program Files\\Lumenkast", folder);

  SetMachineString(kCurrentVersion, L"ProgramFilesDir", L"D:\\Progs\\");
  GetDefaultInstallFolder(folder);
  EXPECT_STREQ(L"D:\\Progs\\Lumenkast", folder);
}

TEST(GetPreviousInstallFolder, ReadsTheFolderOfTheRegisteredOpenCommand) {
  const struct {
    const wchar_t* command;  // null: no key
    bool found;
    const wchar_t* folder;
  } cases[] = {
      {nullptr, false, L""},
      {L"", false, L""},
      {L"\"D:\\Apps\\Lumenkast\\lk_main64.exe\" \"%1\"", true, L"D:\\Apps\\Lumenkast\\"},
      {L"\"C:\\Program Files\\Lumenkast\\lk_main64.exe\"", true, L"C:\\Program Files\\Lumenkast\\"},
      {L"\"C:\\Other\\viewer.exe\" \"%1\"", false, L""},
      {L"\"C:\\Other\\LK_MAIN64.EXE\" \"%1\"", false, L""},
  };
  for (const auto& c : cases) {
    lktest::ScratchRegistry registry;
    if (c.command) SetMachineString(lktest::kOpenCommandKey, nullptr, c.command);
    wchar_t folder[MAX_PATH] = L"junk";
    EXPECT_EQ(c.found, GetPreviousInstallFolder(folder));
    EXPECT_STREQ(c.folder, folder);
  }
}

TEST(GetProposedInstallFolder, EarlierInstallationWinsOverDefault) {
  lktest::ScratchRegistry registry;
  SetMachineString(kCurrentVersion, L"ProgramFilesDir", L"C:\\Program Files");
  wchar_t folder[MAX_PATH];
  GetProposedInstallFolder(folder);
  EXPECT_STREQ(L"C:\\Program Files\\Lumenkast", folder);

  SetMachineString(lktest::kOpenCommandKey, nullptr,
                   L"\"D:\\Apps\\Lumenkast\\lk_main64.exe\" \"%1\"");
  GetProposedInstallFolder(folder);
  EXPECT_STREQ(L"D:\\Apps\\Lumenkast\\", folder);
}

// Registered strings of any length or type: what cannot be read whole counts as missing,
// and the proposal falls back as it does without the value.
TEST(GetProposedInstallFolder, UnreadableRegistryStringsFallBackAsIfMissing) {
  const struct {
    size_t commandLength;  // "\"C:\<name>\lk_main64.exe\" \"%1\"": 24 + name length
    bool found;
  } commands[] = {{258, true}, {259, true}, {260, false}, {261, false}, {100000, false}};
  for (const auto& c : commands) {
    SCOPED_TRACE(c.commandLength);
    lktest::ScratchRegistry registry;
    SetMachineString(kCurrentVersion, L"ProgramFilesDir", L"C:\\Program Files");
    const std::wstring folder = L"C:\\" + std::wstring(c.commandLength - 24, L'n') + L"\\";
    const std::wstring command = L"\"" + folder + L"lk_main64.exe\" \"%1\"";
    ASSERT_EQ(c.commandLength, command.size());
    SetMachineString(lktest::kOpenCommandKey, nullptr, command.c_str());
    wchar_t proposal[MAX_PATH] = L"junk";
    GetProposedInstallFolder(proposal);
    EXPECT_EQ(c.found ? folder : L"C:\\Program Files\\Lumenkast", std::wstring(proposal));
  }

  const struct {
    std::wstring programFiles;
    DWORD type;
    const wchar_t* folder;
  } defaults[] = {
      {std::wstring(249, L'p'), REG_SZ, nullptr},  // 249 + "\\Lumenkast" fits
      {std::wstring(250, L'p'), REG_SZ, L"C:\\Lumenkast\\"},
      {std::wstring(261, L'p'), REG_SZ, L"C:\\Lumenkast\\"},
      {std::wstring(100000, L'p'), REG_SZ, L"C:\\Lumenkast\\"},
      {L"D:\\Progs", REG_BINARY, L"C:\\Lumenkast\\"},
      {L"D:\\Progs", REG_DWORD, L"C:\\Lumenkast\\"},
  };
  for (const auto& d : defaults) {
    SCOPED_TRACE(d.programFiles.size());
    lktest::ScratchRegistry registry;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, kCurrentVersion, &key));
    const DWORD bytes = d.type == REG_DWORD
                            ? 4
                            : static_cast<DWORD>((d.programFiles.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key, L"ProgramFilesDir", 0, d.type,
                   reinterpret_cast<const BYTE*>(d.programFiles.c_str()), bytes);
    RegCloseKey(key);
    wchar_t proposal[MAX_PATH] = L"junk";
    GetProposedInstallFolder(proposal);
    const std::wstring expected = d.folder ? d.folder : d.programFiles + L"\\Lumenkast";
    EXPECT_EQ(expected, std::wstring(proposal));
  }
}

TEST(IsAbsoluteDriveFolder, OnlyAFullPathOnADriveCounts) {
  const struct {
    const wchar_t* folder;
    bool absolute;
  } cases[] = {
      {L"C:\\Tools\\Lumenkast", true},
      {L"  d:\\x\\  ", true},
      {L"C:\\", true},
      {L"C:/Tools", true},
      {L"", false},
      {L"   ", false},
      {L"Lumenkast", false},
      {L"sub\\x", false},
      {L"\\x", false},
      {L"C:x", false},
      {L"C:", false},
      {L"%ProgramFiles%\\x", false},
      {L"\\\\server\\share\\x", false},
      {L"\\\\?\\C:\\x", false},
      {L"1:\\x", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.absolute, IsAbsoluteDriveFolder(c.folder)) << lktest::Narrow(c.folder);
  }
}

TEST(TrimSpaces, TrimsSpacesOnlyOnBothEnds) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"  C:\\a b  ", L"C:\\a b"}, {L"   ", L""}, {L"", L""}, {L"\tC:\\x\t", L"\tC:\\x\t"},
      {L"C:\\x", L"C:\\x"},
  };
  for (const auto& c : cases) {
    wchar_t text[MAX_PATH];
    wcscpy(text, c.in);
    TrimSpaces(text);
    EXPECT_STREQ(c.out, text);
  }
}

class CreateFolderTreeTest : public testing::Test {
 protected:
  lktest::TempFolder temp_;
  wchar_t before_[MAX_PATH] = {};
  void SetUp() override { GetCurrentDirectoryW(MAX_PATH, before_); }
  void TearDown() override {
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before_, after) << "the current directory must be restored";
  }
};

TEST_F(CreateFolderTreeTest, TrimsEachComponentAndCreatesTheTree) {
  std::wstring base = temp_.Path();
  wchar_t path[MAX_PATH];
  wcscpy(path, (L" " + base + L"New Folder \\Sub").c_str());
  ASSERT_EQ(1, CreateFolderTree(path));
  EXPECT_EQ(base + L"New Folder\\Sub\\", std::wstring(path));
  EXPECT_TRUE(lktest::FolderExists(base + L"New Folder\\Sub"));
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + L"New*").c_str(), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  EXPECT_STREQ(L"New Folder", data.cFileName);
  EXPECT_FALSE(FindNextFileW(find, &data));
  FindClose(find);
}

TEST_F(CreateFolderTreeTest, ExistingFolderAndUnusablePaths) {
  std::wstring existing = temp_.Path();
  existing.pop_back();
  const struct {
    std::wstring in;
    int result;
    std::wstring out;
  } cases[] = {
      {existing, 1, temp_.Path()},
      {L"    ", 0, L""},
      {L"", 0, L""},
      {L"Q:\\Lumenkast", 0, L"Q:\\Lumenkast\\"},
      {L"\\\\nosuchserver\\share\\dir", 0, L"\\\\nosuchserver\\share\\dir\\"},
  };
  for (const auto& c : cases) {
    wchar_t path[MAX_PATH];
    wcscpy(path, c.in.c_str());
    EXPECT_EQ(c.result, CreateFolderTree(path)) << lktest::Narrow(c.in);
    EXPECT_EQ(c.out, std::wstring(path));
  }
}

TEST(AppendProductFolderIfMissing, BrowsedFolderBecomesTheProposal) {
  const struct {
    const wchar_t* chosen;
    const wchar_t* proposal;
  } cases[] = {
      {L"D:\\", L"D:\\Lumenkast\\"},
      {L"D:\\Tools", L"D:\\Tools\\Lumenkast\\"},
      {L"D:\\Tools\\", L"D:\\Tools\\Lumenkast\\"},
      {L"D:\\Tools\\LUMENKAST", L"D:\\Tools\\LUMENKAST\\"},
      {L"D:\\Tools\\lumenkast\\", L"D:\\Tools\\lumenkast\\"},
      {L"D:\\Lumenkast", L"D:\\Lumenkast\\"},
  };
  for (const auto& c : cases) {
    wchar_t folder[MAX_PATH];
    wcscpy(folder, c.chosen);
    AppendProductFolderIfMissing(folder);
    EXPECT_STREQ(c.proposal, folder);
  }
}

}  // namespace

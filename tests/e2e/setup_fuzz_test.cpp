// The real setup under generated command lines and damaged payloads, each run into a
// scratch folder: it ends with a known exit code, never drops a settings file into the
// Windows folder, and keeps its files inside the target.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/unpacked_bytes.h"
#include "support/archive_mutator.h"
#include "support/command_line_generator.h"
#include "support/fuzz_budget.h"
#include "support/installation_test.h"
#include "support/payload_resource.h"
#include "support/test_support.h"

namespace lktest {
namespace {

// The exit codes of the unattended mode other than "the viewer is running".
bool IsKnownExitCode(int code) { return code == 0 || code == 1 || code == 3; }

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

std::wstring WindowsSettingsFile() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + L"\\lk_main64.ini";
}

void EmptyFolder(const std::wstring& folder) {
  for (const std::wstring& name : ListFolder(folder)) {
    const std::wstring path = folder + name;
    if (FolderExists(path)) {
      RemoveTree(path);
    } else {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
  }
}

class SetupFuzz : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    ASSERT_FALSE(FileExists(WindowsSettingsFile()));
  }

  // Whether an option's value, as the setup reads and expands it, names a folder inside
  // the scratch folder (relative values land in the current directory, which is there).
  bool StaysInScratch(const std::wstring& line, const wchar_t* name) const {
    const RuleValue rule = OptionValueByRule(line, name);
    std::wstring value = rule.found ? UnquotedByRule(rule.text) : L"";
    while (!value.empty() && value.front() == L' ') value.erase(0, 1);
    if (value.empty()) return true;
    if (value[0] == L'\\') return false;  // the drive's root or a share
    wchar_t expanded[32768] = {};
    ExpandEnvironmentStringsW(value.c_str(), expanded, 32768);
    std::wstring path = expanded;
    if (path.size() < 2 || path[1] != L':') path = cwd_.Path() + path;
    wchar_t full[32768] = {};
    GetFullPathNameW(path.c_str(), 32768, full, nullptr);
    return StartsWith(full, cwd_.Path());
  }

  // A generated command line whose folders all lie in the scratch folder.
  std::wstring NextCommandLine(CommandLineGenerator* generator) {
    for (;;) {
      std::wstring line = L"/silent" + generator->Next(400);
      if (!OptionValueByRule(line, L"/folder=").found) line += L" /folder=" + cwd_ / L"Ziel";
      if (StaysInScratch(line, L"/folder=") && StaysInScratch(line, L"/ini=")) return line;
    }
  }
};

TEST_F(SetupFuzz, GeneratedCommandLinesEndWithAKnownExitCode) {
  ScopedEnvironmentVariable base(L"LKFUZZ", cwd_.Path().c_str());
  CommandLineGenerator generator(
      FuzzSeed(1712), {cwd_.Path(), L"\"" + cwd_.Path(), L"%LKFUZZ%\\", L"Relativ\\"});
  const unsigned count = FuzzCount(50);
  for (unsigned n = 0; n < count; ++n) {
    const std::wstring line = NextCommandLine(&generator);
    SCOPED_TRACE(testing::Message() << "command line " << n << ": " << Narrow(line));
    const int code = RunSetup(line);
    EXPECT_TRUE(IsKnownExitCode(code)) << code;
    EXPECT_FALSE(FileExists(WindowsSettingsFile()));
    if (HasFailure()) break;
    EmptyFolder(cwd_.Path());
  }
}

TEST_F(SetupFuzz, DamagedPayloadsEndWithAKnownExitCodeAndStayInTheTarget) {
  const std::string shipped = ReadPayloadResource(LK_SETUP_EXE);
  ASSERT_FALSE(shipped.empty());
  ArchiveMutator mutator(shipped, FuzzSeed(4711));
  TempFolder setups;
  const std::wstring setup = setups / L"lumenkast_setup_x64.exe";
  const std::wstring target = cwd_ / L"Ziel\\";
  const std::vector<std::wstring> driveRoot = ListFolder(L"C:\\");
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::vector<std::wstring> temporaryFiles = ListFolder(temp);
  const unsigned count = FuzzCount(20);
  for (unsigned n = 0; n < count; ++n) {
    SCOPED_TRACE(testing::Message() << "damaged payload " << n);
    const std::string archive = mutator.Next();
    ASSERT_TRUE(CopySetupWithPayload(LK_SETUP_EXE, setup, archive));
    const int code = RunProcess(L"\"" + setup + L"\" /silent /folder=" + target, cwd_.Path());

    EXPECT_TRUE(IsKnownExitCode(code)) << code;
    // A run that reports its files in place wrote exactly the bytes the archive declares.
    if (code == 0 || code == 3) {
      EXPECT_EQ("", UnpackedBytesDiffer(archive, target));
    }
    for (const std::wstring& name : ListFolder(cwd_.Path())) {
      EXPECT_TRUE(name == L"Ziel" || name == L"Lumenkast_Install.log") << Narrow(name);
    }
    EXPECT_EQ(driveRoot, ListFolder(L"C:\\"));
    EXPECT_EQ(temporaryFiles, ListFolder(temp));
    EXPECT_FALSE(FileExists(WindowsSettingsFile()));
    if (HasFailure()) break;
    EmptyFolder(cwd_.Path());
  }
}

}  // namespace
}  // namespace lktest

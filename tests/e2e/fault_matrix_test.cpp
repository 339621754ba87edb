// The unattended setup under the faults an administrator meets: a full or read-only drive,
// a file another program holds, no temporary folder, a damaged download, an archive with
// hostile names. Every case checks the exit code, the one log entry, that nothing was
// written outside the target folder and the log, that no temporary file is left, and that
// a second run once the fault is gone installs completely.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/complete_installation.h"
#include "support/expected_texts.h"
#include "support/hostile_entry_names.h"
#include "support/install_log_entry.h"
#include "support/installation_state.h"
#include "support/installation_test.h"
#include "support/payload_resource.h"
#include "support/prefix_snapshot.h"
#include "support/scratch_drive.h"
#include "support/test_support.h"
#include "support/test_zip_writer.h"
#include "support/zip_layout.h"

namespace lktest {
namespace {

constexpr wchar_t kToolsTarget[] = L"C:\\Tools\\Lumenkast\\";

// What the setup makes of a run: its exit code and its log entry (none when empty).
struct Outcome {
  int exitCode;
  std::wstring logMessage;
};

Outcome Installed() { return {0, L""}; }
Outcome UnpackingFailed(const std::wstring& folder) {
  return {1, folder + L": " + kInstallFailed};
}
Outcome FolderNotCreated(const std::wstring& folder) {
  return {1, std::wstring(kCannotCreateFolder) + L": " + folder};
}

// What the setup makes of each fault, one place each.
Outcome FullDrive(const std::wstring& folder) { return UnpackingFailed(folder); }
Outcome TargetFileHeldOpen(const std::wstring& folder) { return UnpackingFailed(folder); }
Outcome ReadOnlyTargetFile(const std::wstring& folder) { return UnpackingFailed(folder); }
Outcome ReadOnlyTargetFolder(const std::wstring& folder) { return UnpackingFailed(folder); }
Outcome TargetOnReadOnlyDrive(const std::wstring& folder) { return FolderNotCreated(folder); }
// The payload is read from the setup's own file: the temporary folder is not needed.
Outcome NoTemporaryFolder(const std::wstring&) { return Installed(); }
Outcome DamagedPayload(const std::wstring& folder) { return UnpackingFailed(folder); }
Outcome HostileName(EntryNameOutcome name, const std::wstring& folder) {
  return name == EntryNameOutcome::kWritten ? Installed() : UnpackingFailed(folder);
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// Keys Wine itself writes while it runs any program: each new process that draws registers
// the display adapter it found under a key of its own. None of them is the setup's doing.
bool IsWineBookkeeping(const std::wstring& key) {
  return StartsWith(key, L"HKLM\\System\\") &&
         key.find(L"\\Control\\Video\\") != std::wstring::npos;
}

// Every file difference lies under the target folder (or is one of the folders on the way
// to it, which the setup creates) or is the log; every registry difference is Wine's own
// bookkeeping (or, with registryAllowed, anything: a run that installed registers).
void ExpectOnlyWritten(const SnapshotDifference& difference, const std::wstring& target,
                       const std::wstring& log, bool registryAllowed) {
  auto isAllowed = [&](const std::wstring& path) {
    const bool folderOnTheWay = path.back() == L'\\' && StartsWith(target, path);
    return StartsWith(path, target) || folderOnTheWay || _wcsicmp(path.c_str(), log.c_str()) == 0;
  };
  for (const auto* files :
       {&difference.addedFiles, &difference.removedFiles, &difference.changedFiles}) {
    for (const std::wstring& path : *files) {
      EXPECT_TRUE(isAllowed(path)) << "written outside the target: " << Narrow(path);
    }
  }
  if (registryAllowed) return;
  for (const auto* keys : {&difference.addedKeys, &difference.removedKeys}) {
    for (const std::wstring& key : *keys) {
      EXPECT_TRUE(IsWineBookkeeping(key)) << "registry key: " << Narrow(key);
    }
  }
  for (const auto* values :
       {&difference.addedValues, &difference.removedValues, &difference.changedValues}) {
    for (const SnapshotValueName& value : *values) {
      EXPECT_TRUE(IsWineBookkeeping(value.key))
          << "registry value: " << Narrow(value.key) << " [" << Narrow(value.name) << "]";
    }
  }
}

std::string Describe(const std::vector<std::wstring>& names) {
  std::string text;
  for (const std::wstring& name : names) text += Narrow(name) + " ";
  return text;
}

class FaultMatrix : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    // Every Windows has the list of registered applications; a new Wine prefix has not.
    HKEY key = nullptr;
    RegCreateKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", &key);
    if (key) RegCloseKey(key);
  }

  std::wstring LogPath() const { return cwd_ / L"Lumenkast_Install.log"; }

  // Runs setup (an executable) unattended into folder, with the prefix and extraRoots
  // watched, and checks what it did against expected.
  void RunUnderFault(const std::wstring& setup, const std::wstring& folder,
                     const Outcome& expected, const std::vector<std::wstring>& extraRoots = {}) {
    std::vector<std::wstring> roots = {L"C:\\"};
    roots.insert(roots.end(), extraRoots.begin(), extraRoots.end());
    DeleteFileW(LogPath().c_str());
    const PrefixSnapshot before = TakePrefixSnapshot(roots);
    const int code =
        RunProcess(L"\"" + setup + L"\" /silent /folder=" + folder, cwd_.Path());
    const PrefixSnapshot after = TakePrefixSnapshot(roots);

    EXPECT_EQ(expected.exitCode, code);
    if (expected.logMessage.empty()) {
      EXPECT_FALSE(FileExists(LogPath())) << ReadFileBytes(LogPath());
    } else {
      EXPECT_TRUE(IsSingleLogEntry(ReadFileBytes(LogPath()), expected.logMessage));
    }
    ExpectOnlyWritten(CompareSnapshots(before, after), folder, LogPath(),
                      expected.exitCode == 0);
    EXPECT_TRUE(TemporaryArchives().empty()) << Describe(TemporaryArchives());
  }

  // The fault is gone: the real setup installs everything into folder (with the verbs
  // that the thumbnails switch adds, so that the whole registration is there).
  void ExpectSecondRunInstalls(const std::wstring& folder) {
    DeleteFileW(LogPath().c_str());
    EXPECT_EQ(0, RunSetup(L"/silent /thumbs=1 /folder=" + folder));
    EXPECT_FALSE(FileExists(LogPath())) << ReadFileBytes(LogPath());
    ExpectCompleteInstallation(folder);
  }

  // A copy of the setup that carries archive as its payload.
  std::wstring SetupWithPayload(const std::string& archive) {
    const std::wstring copy = setups_ / L"lumenkast_setup_x64.exe";
    EXPECT_TRUE(CopySetupWithPayload(LK_SETUP_EXE, copy, archive));
    return copy;
  }

  TempFolder setups_;
};

TEST_F(FaultMatrix, FullDrive) {
  ScratchDrive drive("96k");
  if (!drive.Mounted()) GTEST_SKIP() << "no full drive to test with: " << drive.Refusal();
  const std::wstring folder = drive.Root() + L"Lumenkast\\";

  RunUnderFault(LK_SETUP_EXE, folder, FullDrive(folder), {drive.Root()});

  ASSERT_TRUE(drive.Remount("size=64m"));
  ExpectSecondRunInstalls(folder);
  RemoveTree(folder);
}

TEST_F(FaultMatrix, ReadOnlyTargetFolderOrDrive) {
  ScratchDrive drive("4m");
  if (!drive.Mounted()) GTEST_SKIP() << "no read-only drive to test with: " << drive.Refusal();
  const std::wstring existing = drive.Root() + L"Lumenkast\\";
  const std::wstring missing = drive.Root() + L"Neu\\Lumenkast\\";
  ASSERT_TRUE(CreateDirectoryW(existing.c_str(), nullptr));
  ASSERT_TRUE(drive.Remount("ro"));

  RunUnderFault(LK_SETUP_EXE, existing, ReadOnlyTargetFolder(existing), {drive.Root()});
  RunUnderFault(LK_SETUP_EXE, missing, TargetOnReadOnlyDrive(missing), {drive.Root()});

  ASSERT_TRUE(drive.Remount("rw"));
  ExpectSecondRunInstalls(existing);
  RemoveTree(drive.Root() + L"Lumenkast");
}

TEST_F(FaultMatrix, TargetFileHeldOpenOrReadOnly) {
  const std::wstring file = std::wstring(kToolsTarget) + L"lk_about.txt";
  for (bool heldOpen : {true, false}) {
    SCOPED_TRACE(heldOpen ? "held open" : "read-only");
    RemoveTree(L"C:\\Tools");
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Tools", nullptr));
    ASSERT_TRUE(CreateDirectoryW(kToolsTarget, nullptr));
    ASSERT_TRUE(WriteFileBytes(file, "alt"));
    HANDLE held = INVALID_HANDLE_VALUE;
    if (heldOpen) {
      held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, held);
    } else {
      ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    }

    RunUnderFault(LK_SETUP_EXE, kToolsTarget,
                  heldOpen ? TargetFileHeldOpen(kToolsTarget) : ReadOnlyTargetFile(kToolsTarget));

    if (heldOpen) CloseHandle(held);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("alt", ReadFileBytes(file));
    ExpectSecondRunInstalls(kToolsTarget);
  }
}

TEST_F(FaultMatrix, TemporaryFolderMissing) {
  {
    const wchar_t kMissing[] = L"C:\\NoSuchTemporaryFolder";
    ASSERT_FALSE(FolderExists(kMissing));
    ScopedEnvironmentVariable tmp(L"TMP", kMissing);
    ScopedEnvironmentVariable temp(L"TEMP", kMissing);
    RunUnderFault(LK_SETUP_EXE, kToolsTarget, NoTemporaryFolder(kToolsTarget));
    EXPECT_FALSE(FolderExists(kMissing));
  }
  ExpectSecondRunInstalls(kToolsTarget);
}

// Damage done to one byte or field of the shipped payload archive.
struct PayloadDamage {
  const char* what;
  void (*apply)(std::string* archive, const ZipLayout& layout);
};

// The entry damaged where one entry is: a small text file in the middle of the walk.
const ZipEntryLayout& VictimEntry(const ZipLayout& layout) {
  for (const ZipEntryLayout& entry : layout.entries) {
    if (entry.name == "lk_about.txt") return entry;
  }
  return layout.entries[layout.entries.size() / 2];
}

const PayloadDamage kPayloadDamages[] = {
    {"CRC-32 recorded for other data",
     [](std::string* archive, const ZipLayout& layout) {
       const ZipEntryLayout& entry = VictimEntry(layout);
       const uint32_t crc = Get32(*archive, entry.centralRecord + kCentralCrcField) ^ 0x00010000;
       Set32(archive, entry.centralRecord + kCentralCrcField, crc);
       Set32(archive, entry.localHeader + kLocalCrcField, crc);
     }},
    {"deflate stream with a reserved block type",
     [](std::string* archive, const ZipLayout& layout) {
       (*archive)[VictimEntry(layout).data] |= 0x06;
     }},
    {"central directory record with a broken signature",
     [](std::string* archive, const ZipLayout& layout) {
       (*archive)[VictimEntry(layout).centralRecord + 1] ^= 0x20;
     }},
    {"archive cut in half",
     [](std::string* archive, const ZipLayout&) { archive->resize(archive->size() / 2); }},
};

TEST_F(FaultMatrix, DamagedPayload) {
  const std::string shipped = ReadPayloadResource(LK_SETUP_EXE);
  ZipLayout layout;
  ASSERT_TRUE(ReadZipLayout(shipped, &layout));
  for (const PayloadDamage& damage : kPayloadDamages) {
    SCOPED_TRACE(damage.what);
    std::string archive = shipped;
    damage.apply(&archive, layout);
    RunUnderFault(SetupWithPayload(archive), kToolsTarget, DamagedPayload(kToolsTarget));
    RemoveTree(L"C:\\Tools");
  }
  ExpectSecondRunInstalls(kToolsTarget);
}

TEST_F(FaultMatrix, HostileEntryNames) {
  for (const HostileEntryName& name : kHostileEntryNames) {
    SCOPED_TRACE(name.storedName);
    TestZipWriter zip;
    zip.File("lk_about.txt", "benign")
        .Folder("Plugins/")
        .File(name.storedName, "hostile")
        .File("lk_changes.txt", "benign too");
    RunUnderFault(SetupWithPayload(zip.Bytes()), kToolsTarget,
                  HostileName(name.outcome, kToolsTarget));
    RemoveRegistration();
    RemoveTree(L"C:\\Tools");
  }
  ExpectSecondRunInstalls(kToolsTarget);
}

}  // namespace
}  // namespace lktest

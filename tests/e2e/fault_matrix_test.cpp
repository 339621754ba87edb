// The unattended setup under the faults an administrator meets: a full or read-only drive,
// a file another program holds, no temporary folder, a damaged download, an archive with
// hostile names, links into the target, a run killed half-way. Every case checks the exit
// code, the one log entry, that nothing was written outside the target folder and the log,
// that no temporary file is left, and that a second run once the fault is gone installs
// completely. The faults of an update run over an installed older version, which must be
// unchanged afterwards with nothing new beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/install_transaction.h"
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
#include "support/wine_own_changes.h"
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

// Every file difference lies under the target folder (or is one of the folders on the way
// to it, which the setup creates) or is the log; there is no registry difference but Wine's
// own (or, with registryAllowed, any: a run that installed registers).
void ExpectOnlyWritten(const SnapshotDifference& all, const std::wstring& target,
                       const std::wstring& log, bool registryAllowed) {
  const SnapshotDifference difference = WithoutWineOwnChanges(all);
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
    for (const std::wstring& key : *keys) ADD_FAILURE() << "registry key: " << Narrow(key);
  }
  for (const auto* values :
       {&difference.addedValues, &difference.removedValues, &difference.changedValues}) {
    for (const SnapshotValueName& value : *values) {
      ADD_FAILURE() << "registry value: " << Narrow(value.key) << " [" << Narrow(value.name)
                    << "]";
    }
  }
}

class FaultMatrix : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    CreateRegisteredApplicationsList();
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
    EXPECT_TRUE(TemporaryArchives().empty()) << DescribeTree(TemporaryArchives());
  }

  // The fault is gone: the real setup installs everything into folder (with the verbs
  // that the thumbnails switch adds, so that the whole registration is there).
  void ExpectSecondRunInstalls(const std::wstring& folder) {
    DeleteFileW(LogPath().c_str());
    EXPECT_EQ(0, RunSetup(L"/silent /thumbs=1 /folder=" + folder));
    EXPECT_FALSE(FileExists(LogPath())) << ReadFileBytes(LogPath());
    ExpectCompleteInstallation(folder);
  }

  // A copy of the setup that carries archive as its payload; with keepDigest the built-in
  // digest stays that of the shipped payload, as in a damaged download.
  std::wstring SetupWithPayload(const std::string& archive, bool keepDigest = false) {
    const std::wstring copy = setups_ / L"lumenkast_setup_x64.exe";
    EXPECT_TRUE(CopySetupWithPayload(LK_SETUP_EXE, copy, archive, keepDigest));
    return copy;
  }

  // Installs the real setup into folder and marks every file of it, so that an older version
  // can be told from the new one; what the folder holds then. The icon library stays as
  // shipped: a changed one is kept by the next installation, by design.
  TreeContents InstallOlderVersion(const std::wstring& folder) {
    EXPECT_EQ(0, RunSetup(L"/silent /folder=" + folder));
    TreeContents older = ReadTree(folder);
    for (auto& entry : older) {
      if (entry.first.back() == L'\\' || entry.first == L"Plugins\\Icons.dll") continue;
      entry.second += "\r\n; older version";
      EXPECT_TRUE(WriteFileBytes(folder + entry.first, entry.second)) << Narrow(entry.first);
    }
    EXPECT_FALSE(older.empty());
    return older;
  }

  void ExpectOlderVersion(const std::wstring& folder, const TreeContents& older) {
    const TreeContents now = ReadTree(folder);
    EXPECT_TRUE(now == older) << "now: " << DescribeTree(now);
  }

  TempFolder setups_;
};

// The drive holds the older version but not a second copy beside it.
TEST_F(FaultMatrix, FullDriveUnderAnUpdate) {
  ScratchDrive drive("2m");
  if (!drive.Mounted()) GTEST_SKIP() << "no full drive to test with: " << drive.Refusal();
  const std::wstring folder = drive.Root() + L"Lumenkast\\";
  const TreeContents older = InstallOlderVersion(folder);
  // Filled up, then 128 KB made free again: less than the new files need.
  const std::string filler(64 * 1024, 'f');
  int fillers = 0;
  while (WriteFileBytes(drive.Root() + L"filler" + std::to_wstring(fillers), filler)) ++fillers;
  for (int n = 0; n < 3 && n < fillers; ++n) {
    DeleteFileW((drive.Root() + L"filler" + std::to_wstring(n)).c_str());
  }

  RunUnderFault(LK_SETUP_EXE, folder, FullDrive(folder), {drive.Root()});
  ExpectOlderVersion(folder, older);

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

// Faults of an update, each over an installed older version: afterwards the older version
// is there as it was, and nothing new beside it.
struct UpdateFault {
  const char* what;
  enum Kind { kPayload, kHeldOpen, kReadOnly } kind;
  // For kPayload: the damage and whether the built-in digest is made to match it.
  void (*damage)(std::string* archive, const ZipLayout& layout);
  bool keepDigest;
};

// The last file entry of the archive, where the most is written before it.
const ZipEntryLayout& LastFileEntry(const ZipLayout& layout) {
  for (auto entry = layout.entries.rbegin(); entry != layout.entries.rend(); ++entry) {
    if (!entry->folder) return *entry;
  }
  return layout.entries.back();
}

const UpdateFault kUpdateFaults[] = {
    {"one byte changed in a late entry's data", UpdateFault::kPayload,
     [](std::string* archive, const ZipLayout& layout) {
       const ZipEntryLayout& entry = LastFileEntry(layout);
       (*archive)[entry.data + entry.dataSize / 2] ^= 0x10;
     },
     true},
    // Everything unpacks well; only the digest, known once all is read, tells the damage.
    {"a late entry's recorded time changed, still a valid time", UpdateFault::kPayload,
     [](std::string* archive, const ZipLayout& layout) {
       (*archive)[LastFileEntry(layout).centralRecord + kCentralTimeField] ^= 0x01;
     },
     true},
    {"payload cut short", UpdateFault::kPayload,
     [](std::string* archive, const ZipLayout&) { archive->resize(archive->size() * 3 / 4); },
     true},
    {"late entry declares one byte more than it inflates to", UpdateFault::kPayload,
     [](std::string* archive, const ZipLayout& layout) {
       const ZipEntryLayout& entry = LastFileEntry(layout);
       Set32(archive, entry.centralRecord + kCentralSizeField, entry.size + 1);
     },
     false},
    {"last file held open", UpdateFault::kHeldOpen, nullptr, false},
    {"last file read-only", UpdateFault::kReadOnly, nullptr, false},
};

TEST_F(FaultMatrix, FailedUpdateLeavesTheOlderVersion) {
  const std::string shipped = ReadPayloadResource(LK_SETUP_EXE);
  ZipLayout layout;
  ASSERT_TRUE(ReadZipLayout(shipped, &layout));
  const std::wstring lastFile = EntryPath(kToolsTarget, LastFileEntry(layout).name);
  for (const UpdateFault& fault : kUpdateFaults) {
    SCOPED_TRACE(fault.what);
    const TreeContents older = InstallOlderVersion(kToolsTarget);
    std::wstring setup = LK_SETUP_EXE;
    if (fault.kind == UpdateFault::kPayload) {
      std::string archive = shipped;
      fault.damage(&archive, layout);
      setup = SetupWithPayload(archive, fault.keepDigest);
    }
    HANDLE held = INVALID_HANDLE_VALUE;
    if (fault.kind == UpdateFault::kHeldOpen) {
      held = CreateFileW(lastFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         0, nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, held);
    }
    if (fault.kind == UpdateFault::kReadOnly) {
      ASSERT_TRUE(SetFileAttributesW(lastFile.c_str(), FILE_ATTRIBUTE_READONLY));
    }

    Outcome expected = DamagedPayload(kToolsTarget);
    if (fault.kind == UpdateFault::kHeldOpen) expected = TargetFileHeldOpen(kToolsTarget);
    if (fault.kind == UpdateFault::kReadOnly) expected = ReadOnlyTargetFile(kToolsTarget);
    RunUnderFault(setup, kToolsTarget, expected);

    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    // The older file stays read-only, as it was.
    ExpectOlderVersion(kToolsTarget, older);
    RemoveRegistration();
    RemoveTree(L"C:\\Tools");
  }
  ExpectSecondRunInstalls(kToolsTarget);
}

// Files of the target that are hard links to files elsewhere: the update replaces the names
// in the target and never writes the files outside.
TEST_F(FaultMatrix, HardLinksIntoTheTargetAreNotWrittenThrough) {
  InstallOlderVersion(kToolsTarget);
  TempFolder outside;
  for (const wchar_t* name : {L"lk_about.txt", L"lk_main64.ini"}) {
    const std::wstring other = outside / name;
    ASSERT_TRUE(WriteFileBytes(other, "outside the target"));
    const std::wstring inside = std::wstring(kToolsTarget) + name;
    ASSERT_TRUE(DeleteFileW(inside.c_str()));
    ASSERT_TRUE(CreateHardLinkW(inside.c_str(), other.c_str(), nullptr));
  }

  EXPECT_EQ(0, RunSetup(L"/silent /thumbs=1 /folder=" + std::wstring(kToolsTarget)));

  for (const wchar_t* name : {L"lk_about.txt", L"lk_main64.ini"}) {
    EXPECT_EQ("outside the target", ReadFileBytes(outside / name)) << Narrow(name);
  }
  ExpectCompleteInstallation(kToolsTarget);
  EXPECT_EQ(std::string::npos,
            ReadFileBytes(std::wstring(kToolsTarget) + L"lk_main64.ini").find("outside"));
}

// A run killed while it unpacks a large payload leaves the older files set aside and its
// journal; the next run removes what it created and gives the older files back before it
// installs. Shown with a next run whose payload is damaged (it recovers, then fails: the
// older version is back, nothing else) and then with the real setup.
TEST_F(FaultMatrix, RunKilledWhileUnpackingIsRecoveredByTheNextRun) {
  const TreeContents older = InstallOlderVersion(kToolsTarget);
  TestZipWriter large;
  large.File("lk_about.txt", "new about")
      .File("lk_changes.txt", "new changes")
      .File("Plugins/Webp.dll", "new plug-in")
      .File("Zz/large.bin", std::string(128u << 20, '\0'));
  const std::wstring setup = SetupWithPayload(large.Bytes());
  const std::wstring largeFile = std::wstring(kToolsTarget) + L"Zz\\large.bin";
  const std::wstring setAside = std::wstring(kToolsTarget) + kSetAsideFolderName;

  {
    ChildProcess run;
    ASSERT_TRUE(run.Start(L"\"" + setup + L"\" /silent /folder=" + kToolsTarget, cwd_.Path()));
    while (!FileExists(largeFile) && WaitForSingleObject(run.Handle(), 1) == WAIT_TIMEOUT) {
    }
    TerminateProcess(run.Handle(), 99);
    WaitForSingleObject(run.Handle(), INFINITE);
  }
  ASSERT_TRUE(FolderExists(setAside)) << "the run was not killed while it unpacked";
  EXPECT_EQ("new about", ReadFileBytes(std::wstring(kToolsTarget) + L"lk_about.txt"));

  std::string damaged = ReadPayloadResource(LK_SETUP_EXE);
  damaged[damaged.size() / 2] ^= 1;
  // The journal names what the killed run created: the large file goes with the rest.
  RunUnderFault(SetupWithPayload(damaged, true), kToolsTarget, UnpackingFailed(kToolsTarget));
  EXPECT_FALSE(FolderExists(setAside));
  EXPECT_FALSE(FileExists(largeFile));
  ExpectOlderVersion(kToolsTarget, older);

  ExpectSecondRunInstalls(kToolsTarget);
  EXPECT_FALSE(FolderExists(setAside));
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
    const std::string archive = ArchiveAroundHostileEntry(name.storedName).Bytes();
    RunUnderFault(SetupWithPayload(archive), kToolsTarget, HostileName(name.outcome, kToolsTarget));
    RemoveRegistration();
    RemoveTree(L"C:\\Tools");
  }
  ExpectSecondRunInstalls(kToolsTarget);
}

}  // namespace
}  // namespace lktest

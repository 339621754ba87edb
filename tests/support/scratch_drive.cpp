#include "support/scratch_drive.h"

#include <windows.h>

#include <cstdlib>

#include "support/test_support.h"

namespace lktest {

namespace {

// The host path of the Wine prefix (its folder with drive_c and dosdevices).
std::string PrefixFolder() {
  const char* prefix = getenv("WINEPREFIX");
  if (prefix && *prefix) return prefix;
  const char* home = getenv("HOME");
  return std::string(home ? home : "") + "/.wine";
}

// A host path as Windows programs reach it under Wine.
std::wstring HostPathForWindows(const std::string& path) {
  std::wstring windows = L"Z:";
  for (char c : path) windows += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return windows;
}

// A drive letter nothing is linked to yet, from S down.
wchar_t FreeDriveLetter() {
  const DWORD used = GetLogicalDrives();
  for (wchar_t letter = L'S'; letter > L'F'; --letter) {
    if (!(used & (1u << (letter - L'A')))) return letter;
  }
  return 0;
}

// A host path quoted for the shell (the paths used here hold no single quote).
std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

bool RunHostShell(const std::string& command, unsigned timeout_ms) {
  static LONG counter = 0;
  const std::string status = PrefixFolder() + "/lk_host_shell_" +
                             std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(InterlockedIncrement(&counter));
  const std::wstring statusFile = HostPathForWindows(status);
  DeleteFileW(statusFile.c_str());
  // The host process runs detached from Wine's process handles, so it reports through a file.
  const std::wstring line = L"/bin/sh -c \"(" + std::wstring(command.begin(), command.end()) +
                            L") >/dev/null 2>&1; echo $? > " +
                            std::wstring(status.begin(), status.end()) + L"\"";
  PROCESS_INFORMATION process = {};
  if (!StartProcess(line, L"", 0, &process)) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (unsigned waited = 0; waited < timeout_ms; waited += 50) {
    const std::string code = ReadFileBytes(statusFile);
    if (!code.empty() && code.back() == '\n') {
      DeleteFileW(statusFile.c_str());
      return code == "0\n";
    }
    Sleep(50);
  }
  return false;
}

ScratchDrive::ScratchDrive(const char* size) {
  letter_ = FreeDriveLetter();
  if (!letter_) {
    refusal_ = "no free drive letter";
    return;
  }
  const char letter = static_cast<char>(letter_ - L'A' + 'a');
  mountPoint_ = PrefixFolder() + "/lk_scratch_drive_" + letter;
  link_ = PrefixFolder() + "/dosdevices/" + letter + ":";
  if (!RunHostShell("mkdir -p " + Quoted(mountPoint_) + " && mount -t tmpfs -o size=" + size +
                    " lk_scratch_drive " + Quoted(mountPoint_))) {
    refusal_ = "the host refused to mount a tmpfs (tests must run as root)";
    return;
  }
  mounted_ = RunHostShell("ln -sfn " + Quoted(mountPoint_) + " " + Quoted(link_));
  if (!mounted_) refusal_ = "the drive letter could not be linked in the prefix";
}

ScratchDrive::~ScratchDrive() {
  if (mountPoint_.empty()) return;
  RunHostShell("rm -f " + Quoted(link_) + "; umount " + Quoted(mountPoint_) + "; rmdir " +
               Quoted(mountPoint_));
}

std::wstring ScratchDrive::Root() const { return std::wstring(1, letter_) + L":\\"; }

bool ScratchDrive::Remount(const char* options) {
  return mounted_ &&
         RunHostShell("mount -o remount," + std::string(options) + " " + Quoted(mountPoint_));
}

}  // namespace lktest

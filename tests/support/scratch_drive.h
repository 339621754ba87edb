// A small file system of its own (tmpfs) mounted on the host and linked as a drive letter
// of the Wine prefix, so that tests can fill a drive or make it read-only. Mounting needs
// root; where the host refuses it, Mounted() is false and Refusal() says why.
#pragma once

#include <string>

namespace lktest {

// Runs a POSIX shell command on the host (Wine starts host programs too) and waits up to
// timeout_ms for it; true when it exited with 0.
bool RunHostShell(const std::string& command, unsigned timeout_ms = 30000);

class ScratchDrive {
 public:
  // size as the mount option takes it ("96k", "64m").
  explicit ScratchDrive(const char* size);
  ~ScratchDrive();
  ScratchDrive(const ScratchDrive&) = delete;
  ScratchDrive& operator=(const ScratchDrive&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Refusal() const { return refusal_; }
  // The drive's root, L"S:\\".
  std::wstring Root() const;
  // Remounts with other options: "size=64m", "ro", "rw".
  bool Remount(const char* options);

 private:
  wchar_t letter_ = 0;
  std::string mountPoint_;  // host path
  std::string link_;  // host path of the drive letter in dosdevices
  bool mounted_ = false;
  std::string refusal_;
};

}  // namespace lktest

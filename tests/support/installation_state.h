// What an installation leaves in the Wine prefix, and the means to start from a known
// state: tests that run the setup share one prefix and set up and clear what they use.
#pragma once

#include <windows.h>

#include <string>

namespace lktest {

// Runs the setup executable with arguments in directory; its exit code.
int RunSetup(const std::wstring& arguments, const std::wstring& directory);

// Removes every key and value an installation registers (identifiers, extension owners
// that name them, explorer choices, verbs, uninstall entry, capabilities, AppX overrides),
// and the keys around them that a fresh prefix does not have, where they are left empty.
void RemoveRegistration();

// Creates the list of registered applications, which every Windows has and a new Wine
// prefix has not.
void CreateRegisteredApplicationsList();

// Removes the desktop links and the start-menu groups of both the user and all users.
void RemoveShortcuts();

// A special folder of the prefix (SHGetFolderPathW), with a trailing backslash.
std::wstring SpecialFolder(int csidl);

// Starts the build's stand-in of the viewer, as a user's running viewer; its window, waited
// for up to timeoutMs, or null when it does not start or shows none.
HWND StartViewerStandIn(DWORD timeoutMs);
// The stand-in viewer's window, waited for up to timeoutMs; null when none appears.
HWND WaitForViewerWindow(DWORD timeoutMs);
// Closes every viewer window and waits until they are gone.
void CloseViewerWindows();

// Sets a REG_SZ value for the lifetime of the object and then puts back what was there
// (the old string, or no value).
class ScopedRegString {
 public:
  ScopedRegString(HKEY root, const std::wstring& key, const wchar_t* name,
                  const std::wstring& data);
  ~ScopedRegString();
  ScopedRegString(const ScopedRegString&) = delete;
  ScopedRegString& operator=(const ScopedRegString&) = delete;

 private:
  HKEY root_;
  std::wstring key_;
  std::wstring name_;
  bool has_name_;
  bool hadValue_ = false;
  std::wstring old_;
};

// The Windows version Wine reports to processes started while the object lives
// ("win7", "win10"); the prefix's setting is put back afterwards.
class ScopedWineVersion {
 public:
  explicit ScopedWineVersion(const wchar_t* version);
  ~ScopedWineVersion();
  ScopedWineVersion(const ScopedWineVersion&) = delete;
  ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;

 private:
  ScopedRegString setting_;
};

}  // namespace lktest

// Helpers for tests that run under Wine: scratch registry, scratch folders, processes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace lktest {

// Asks condition every 50 ms until it holds (true) or timeoutMs have passed (false).
template <typename Condition>
bool WaitUntil(DWORD timeoutMs, Condition condition) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
}

// Redirects HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT of this process
// into a fresh scratch key for its lifetime, and removes the scratch key afterwards.
class ScratchRegistry {
 public:
  ScratchRegistry();
  ~ScratchRegistry();
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

 private:
  std::wstring path_;
  HKEY machine_ = nullptr;
  HKEY user_ = nullptr;
  HKEY classes_ = nullptr;
};

// Redirects HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT of this process
// onto one fresh volatile scratch key for its lifetime: no key can be created below it
// (ERROR_CHILD_MUST_BE_VOLATILE), so every write of the program fails as it does without
// rights. (Under Wine a key handle opened read-only still lets subkeys be created.)
class UnwritableRegistry {
 public:
  UnwritableRegistry();
  ~UnwritableRegistry();
  UnwritableRegistry(const UnwritableRegistry&) = delete;
  UnwritableRegistry& operator=(const UnwritableRegistry&) = delete;

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
};

// A new empty folder under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder path, with a trailing backslash.
  const std::wstring& Path() const { return path_; }
  std::wstring operator/(const std::wstring& relative) const { return path_ + relative; }

 private:
  std::wstring path_;
};

// Restores the current directory when it goes out of scope.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard();
  ~CurrentDirectoryGuard();

 private:
  wchar_t saved_[MAX_PATH] = {};
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(const wchar_t* name, const wchar_t* value);
  ~ScopedEnvironmentVariable();

 private:
  std::wstring name_;
  std::wstring old_;
  bool hadOld_ = false;
};

// Removes path with everything in it; a symbolic link inside is removed, not followed.
void RemoveTree(const std::wstring& path);
// Makes link a symbolic link to target with the host's own "ln -s" (Wine's
// CreateSymbolicLinkW makes none); Wine shows a link to a folder as a reparse point. True
// when link exists afterwards.
bool MakeSymbolicLink(const std::wstring& target, const std::wstring& link);
void RemoveSymbolicLink(const std::wstring& link);

// A symbolic link for the lifetime of the object. Declared after the owner of its target,
// it goes first: Wine does not show a link whose target is gone, so it could not be
// removed any more.
class ScopedSymbolicLink {
 public:
  ScopedSymbolicLink(const std::wstring& target, const std::wstring& link)
      : link_(link), made_(MakeSymbolicLink(target, link)) {}
  ~ScopedSymbolicLink() {
    if (made_) RemoveSymbolicLink(link_);
  }
  ScopedSymbolicLink(const ScopedSymbolicLink&) = delete;
  ScopedSymbolicLink& operator=(const ScopedSymbolicLink&) = delete;
  bool Made() const { return made_; }

 private:
  std::wstring link_;
  bool made_;
};
// Names of the files and folders directly in folder (ending in a backslash), sorted.
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// Every file and folder under root (ending in a backslash), relative to it, sorted; folders
// end in a backslash, and a link or junction is shown as "name ->" and not walked into.
std::vector<std::wstring> ListTree(const std::wstring& root);
// The entries of ListTree with their bytes: a file's content, nothing for a folder or link.
using TreeContents = std::map<std::wstring, std::string>;
TreeContents ReadTree(const std::wstring& root);
// The entries' names separated by blanks, for test messages.
std::string DescribeTree(const std::vector<std::wstring>& entries);
std::string DescribeTree(const TreeContents& contents);
// The temporary folder of this process, with its trailing backslash.
std::wstring TempFolderPath();
// Temporary copies of the payload archive ("lkmaing_x64*") in the temporary folder.
std::vector<std::wstring> TemporaryArchives();
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Starts commandLine in directory (empty: this process's) with the CreateProcessW flags; the
// new process's handles go to started. Wine loses a new process now and then while it starts
// it, before the program ran (about one start in a few thousand on a loaded machine):
// CreateProcessW then fails with ERROR_INTERNAL_ERROR, and the start is made again, twice at
// most, and said on the error stream.
bool StartProcess(const std::wstring& commandLine, const std::wstring& directory, DWORD flags,
                  PROCESS_INFORMATION* started);

// One started program: start, wait for its exit code; ended on destruction if it still runs.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts commandLine in directory (empty: this process's) with the CreateProcessW flags.
  bool Start(const std::wstring& commandLine, const std::wstring& directory = L"",
             DWORD flags = 0);
  // The exit code once the process has ended within timeoutMs, -1 otherwise.
  int WaitForExit(DWORD timeoutMs);
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Starts a command line, waits up to timeoutMs and returns the exit code (-1 on failure).
int RunProcess(const std::wstring& commandLine, const std::wstring& directory = L"",
               DWORD timeoutMs = 120000);

// Converts between UTF-16 and UTF-8 for messages.
std::string Narrow(const std::wstring& text);

}  // namespace lktest

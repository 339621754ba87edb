// What one installation changes in the target folder, so that a failure can be undone.
//
// An existing file is never written: its name is moved into a hidden folder inside the
// target ("set aside") that mirrors its relative path, and a new file takes its place. The
// hidden folder alone is enough to bring the earlier files back, also after a run that was
// killed; what this run created is recorded in memory.
#pragma once

#include <string>
#include <vector>

// Name of the hidden folder inside the target folder that holds the set-aside files.
constexpr wchar_t kSetAsideFolderName[] = L".lk_setup_previous";

class InstallTransaction {
 public:
  // targetFolder: absolute path of the (existing) target folder, trailing backslash allowed.
  explicit InstallTransaction(const wchar_t* targetFolder);
  InstallTransaction(const InstallTransaction&) = delete;
  InstallTransaction& operator=(const InstallTransaction&) = delete;

  // Records a file or folder that this run created (path absolute, or relative to the
  // current directory). False when the path could not be resolved.
  bool RecordCreatedFile(const wchar_t* path);
  bool RecordCreatedFolder(const wchar_t* path);

  // Moves the existing file at path (inside the target folder) into the hidden folder; the
  // name is then free for a new file. False when it could not be moved (held open, outside
  // the target folder, no room for the name): nothing changed then.
  bool SetAside(const wchar_t* path);
  // Where path's set-aside file lies; empty when path is not inside the target folder.
  std::wstring SetAsidePath(const wchar_t* path) const;

  // Removes what this run created (files, then folders deepest first, each only when
  // empty) and puts the set-aside files back. True when every set-aside file is back.
  bool RollBack();
  // Keeps this run's files: the set-aside files are deleted.
  void Commit();

  // Puts back what a killed earlier run left set aside in targetFolder, over whatever is
  // there now, and removes the hidden folder. True when nothing is left set aside.
  static bool RecoverLeftovers(const wchar_t* targetFolder);

 private:
  bool Resolve(const wchar_t* path, std::wstring* full) const;

  std::wstring target_;  // absolute, with trailing backslash
  std::vector<std::wstring> createdFiles_;
  std::vector<std::wstring> createdFolders_;  // in the order of creation
};

// What one installation changes in the target folder, so that a failure, or a kill at any
// instant, can be undone.
//
// An existing file is never written: its name is moved into a hidden folder inside the
// target ("set aside") that mirrors its relative path, and a new file takes its place. The
// set-aside folder is made before the first change, with a descriptor that lets only
// administrators change it, and holds the journal: before the run creates a file or folder
// it records the name there, and once it exists its identity. A run that was killed so
// leaves everything the next run needs to give back the earlier state: remove what was
// created (only while it is still that file), put back what was set aside.
//
// The commit renames the set-aside folder to a discard name in one step and then deletes
// it: a discard folder found later is only deleted, never restored from.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "framework/file_identity.h"
#include "payload/install_journal.h"

// Names of the hidden folders inside the target folder: the set-aside files and the journal,
// and what a commit lets go (a number may follow the discard name).
constexpr wchar_t kSetAsideFolderName[] = L".lk_setup_previous";
constexpr wchar_t kDiscardFolderName[] = L".lk_setup_discard";
// The mirror of the set-aside files inside the set-aside folder, beside the journal.
constexpr wchar_t kSetAsideFilesName[] = L"files";

// What the recovery of a killed run's leftovers found.
enum class Recovery {
  kDone,        // nothing left set aside (there was nothing, or all of it is back)
  kIncomplete,  // some of it could not be put back or removed: listed
  kUntrusted,   // a set-aside folder that an elevated run did not make, or a link: left alone
};

class InstallTransaction {
 public:
  // targetFolder: absolute path of the (existing) target folder, trailing backslash allowed.
  explicit InstallTransaction(const wchar_t* targetFolder);
  InstallTransaction(const InstallTransaction&) = delete;
  InstallTransaction& operator=(const InstallTransaction&) = delete;

  // Makes the set-aside folder and its journal; the first record does it when not called.
  // False when it cannot be made (the name is taken, no rights): nothing may change then.
  bool Begin();

  // Records in the journal that a file or folder is about to be created at path (absolute,
  // or relative to the current directory). A path that is not below the target folder is
  // not the journal's. False when it could not be recorded: it must not be created.
  bool WillCreateFile(const wchar_t* path);
  bool WillCreateFolder(const wchar_t* path);
  // The file announced at path could not be created (the name was taken).
  void NotCreated(const wchar_t* path);
  // Records the file this run created at path, through its open handle; a path outside the
  // target folder is not the journal's (true). False when it could not be recorded: the
  // caller removes it again.
  bool RecordCreatedFile(const wchar_t* path, HANDLE file);
  // Records a folder this run created, through its open handle when given (else the name
  // is opened as itself). The target folder and the folders above it, made before the
  // transaction, are remembered for this run's rollback only.
  bool RecordCreatedFolder(const wchar_t* path, HANDLE folder = nullptr);

  // Moves the existing file at path (inside the target folder) into the set-aside folder;
  // the name is then free for a new file. False when it could not be moved (held open,
  // outside the target folder, no room for the name): nothing changed then.
  bool SetAside(const wchar_t* path);
  // Where path's set-aside file lies; empty when path is not inside the target folder.
  std::wstring SetAsidePath(const wchar_t* path) const;

  // Removes what this run created and puts the set-aside files back. True when the target
  // is as it was; otherwise notRestored (when given) receives what could not be put back
  // or removed.
  bool RollBack(std::vector<std::wstring>* notRestored = nullptr);
  // Keeps this run's files: the set-aside folder is renamed to the discard name, then
  // deleted. False when it could not be renamed: nothing was let go, RollBack still works.
  bool Commit();

  // Deletes the discard folders of earlier commits, then puts back what a killed earlier
  // run left set aside in targetFolder, after removing what its journal says it created,
  // and removes the set-aside folder. notRestored (when given) receives what stays.
  static Recovery RecoverLeftovers(const wchar_t* targetFolder,
                                   std::vector<std::wstring>* notRestored = nullptr);

 private:
  bool Resolve(const wchar_t* path, std::wstring* full) const;
  // The identity of something this run created in the target folder, through its handle.
  bool IdentityOf(HANDLE created, lk::FileIdentity* identity) const;
  // Whether the open file is the one at name (relative) below the target's real location.
  bool LiesAt(HANDLE file, const std::wstring& name) const;
  // The part of full below the target folder; empty when it is not below it.
  std::wstring RelativeName(const std::wstring& full) const;

  std::wstring target_;  // absolute, with trailing backslash
  InstallJournal journal_;
  bool owned_ = false;   // this transaction made the set-aside folder, which is still there
  // The volume serial of the target, read once from the journal, when the file number
  // alone (QueryFileIndex) agrees there with the number the full identity reports: then a
  // created file's identity is that serial and its own number.
  bool numberSuffices_ = false;
  DWORD volumeSerial_ = 0;
  // The target's real location, read once from the journal's final path; what is set aside
  // must lie below it.
  std::wstring finalTarget_;
  std::map<std::wstring, lk::FileIdentity> createdFiles_;  // by full path, upper case
  std::vector<std::wstring> outerFolders_;  // the target and above, in the order of creation
};

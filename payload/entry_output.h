// The output side of the entry walk: folders and files created below the target folder,
// written, stamped, and recorded in the installation's transaction. An existing file is never
// opened for writing: it is set aside and a new file takes its name, so that a hard link or
// a link to elsewhere is never written through. Every folder and file it makes is checked,
// through the handle, for where it really is before it is used: inside the target's real
// location, at the entry's name.
#pragma once

#include <windows.h>

#include <string>

#include "framework/scoped_handles.h"
#include "payload/install_transaction.h"

class EntryOutput {
 public:
  // targetFolder: the absolute path of the existing target folder, a trailing backslash
  // allowed. It is looked at here: reached through a link a user could have made, or not
  // there, nothing is made (IsReady says so). While the output lives, the target folder is
  // held open so that it cannot be renamed or removed.
  EntryOutput(const wchar_t* targetFolder, InstallTransaction* transaction);
  virtual ~EntryOutput() = default;

  // The target folder was found where its name leads and is held.
  bool IsReady() const { return !finalTarget_.empty(); }

  // The names below are an entry's path names, relative to the target folder, with '/' or
  // '\' between their components.

  // True when a folder along name is a link, junction or mount point (or could not be looked
  // at): nothing may be made there. What one look found plain is not looked at again.
  bool LeadsThroughLink(const wchar_t* name);
  // Creates the folder of a folder entry; an existing folder is left as it is.
  void MakeFolder(const wchar_t* name);
  // Creates a folder with its missing parents, each checked as MakeFolder does.
  void MakeFolderPath(const wchar_t* name);

  // Starts a new file at name. An existing file is set aside first; a read-only one, one
  // that cannot be moved (held open without delete sharing), or a symbolic link, junction
  // or mount point at the name refuses: false. So does a file that would land outside the
  // target (a folder on the way swapped for a link): it is deleted again at once.
  bool BeginFile(const wchar_t* name);
  // Appends size bytes to the file; false when they were not all written. Virtual so that
  // a failing disk can be stood in for.
  virtual bool Write(const void* data, DWORD size);
  // Stamps the file with the entry's MS-DOS date and time and closes it.
  void EndFile(DWORD dosDateTime);
  // Closes a file whose copy failed; the transaction removes it on rollback.
  void AbandonFile() { file_.Reset(); }

 private:
  HANDLE CreateNew(const std::wstring& path, const wchar_t* name);
  bool IsInTarget(HANDLE made, const wchar_t* name) const;

  InstallTransaction* transaction_;
  // The target folder as named, without a trailing separator: what the entries' names are
  // joined to.
  std::wstring target_;
  // The target folder, opened without delete sharing.
  lk::ScopedFileHandle targetFolder_;
  // The target's real location; empty when it is reached through a link a user could have
  // made, or could not be opened: then nothing is made.
  std::wstring finalTarget_;
  // The leading folders of the last name the link check found plain.
  std::wstring plainFolder_;
  lk::ScopedFileHandle file_;
};

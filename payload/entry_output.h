// The output side of the entry walk: folders and files created under the current
// directory (or at absolute paths, used only where no link lies on their way), written,
// stamped, and recorded in the installation's transaction. An existing file is never
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
  explicit EntryOutput(InstallTransaction* transaction) : transaction_(transaction) {}
  virtual ~EntryOutput() = default;

  // Creates the folder of a folder entry; an existing folder is left as it is.
  void MakeFolder(const wchar_t* path);
  // Creates a folder with its missing parents, each checked as MakeFolder does.
  void MakeFolderPath(const wchar_t* path);

  // Starts a new file at path. An existing file is set aside first; a read-only one, one
  // that cannot be moved (held open without delete sharing), or a symbolic link, junction
  // or mount point at the name refuses: false. So does a file that would land outside the
  // target (a folder on the way swapped for a link): it is deleted again at once.
  bool BeginFile(const wchar_t* path);
  // Appends size bytes to the file; false when they were not all written. Virtual so that
  // a failing disk can be stood in for.
  virtual bool Write(const void* data, DWORD size);
  // Stamps the file with the entry's MS-DOS date and time and closes it.
  void EndFile(DWORD dosDateTime);
  // Closes a file whose copy failed; the transaction removes it on rollback.
  void AbandonFile() { file_.Reset(); }

 private:
  HANDLE CreateNew(const wchar_t* path);
  bool IsInTarget(HANDLE made, const wchar_t* relative);

  InstallTransaction* transaction_;
  lk::ScopedFileHandle file_;
  // The target's real location, taken from the current directory at the first use: the
  // walk runs in the target. Empty when it is reached through a link a user could have made:
  // then nothing is made.
  std::wstring finalTarget_;
  bool targetKnown_ = false;
};

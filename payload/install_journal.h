// The record of what one installation creates in the target folder, kept on disk in the
// set-aside folder, so that the run after a killed one removes exactly that.
//
// One line of UTF-16 text per record, each appended with one write: "+" (a file) or "/" (a
// folder) and the name (relative to the target folder) before it is created, "=" with its
// identity and the name once it exists, "-" and the name when the file was not created
// after all. A later record of the same name replaces the earlier one.
// The writes are not flushed: a process that is killed loses nothing the system has
// accepted; only a power failure can lose the last records.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/file_identity.h"
#include "framework/scoped_handles.h"

// The journal's file name inside the set-aside folder.
constexpr wchar_t kJournalFileName[] = L"journal";

class InstallJournal {
 public:
  // Creates the journal file at path, which must not exist yet.
  bool Create(const std::wstring& path);
  bool IsOpen() const { return static_cast<bool>(file_); }
  // The journal file itself, while open.
  HANDLE File() const { return file_.Get(); }
  void Close() { file_.Reset(); }

  // Before the file or folder name is created.
  bool WillCreateFile(const std::wstring& name);
  bool WillCreateFolder(const std::wstring& name);
  // The file announced as name was not created.
  bool NotCreated(const std::wstring& name);
  // Once it exists, with the identity of what was created.
  bool Created(const std::wstring& name, const lk::FileIdentity& identity);

 private:
  bool Append(const std::wstring& record);

  lk::ScopedFileHandle file_;
};

// What a journal says a run created, in the order of creation.
struct CreatedEntry {
  std::wstring name;  // relative to the target folder
  lk::FileIdentity identity;
  // False for a file announced whose identity was never recorded: the run was killed in
  // the instant after it was created (then it is empty) or before.
  bool identified = true;
};

// Reads the journal at path (a plain file, never a link). Folders announced without an
// identity, and files announced and then not created, are left out. A record cut short at the end,
// and a name that could leave the target folder, are passed over. False when the journal
// cannot be read.
bool ReadInstallJournal(const std::wstring& path, std::vector<CreatedEntry>* created);

#include "payload/entry_output.h"

#include "payload/file_times.h"
#include "payload/folder_paths.h"

void EntryOutput::MakeFolder(const wchar_t* path) {
  if (transaction_->WillCreateFolder(path) && CreateDirectoryW(path, nullptr)) {
    transaction_->RecordCreatedFolder(path);
  }
}

void EntryOutput::MakeFolderPath(const wchar_t* path) { MakeDirectoryPath(path, transaction_); }

HANDLE EntryOutput::CreateNew(const wchar_t* path) {
  if (!transaction_->WillCreateFile(path)) return INVALID_HANDLE_VALUE;
  HANDLE created = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    transaction_->NotCreated(path);
    SetLastError(error);
    return created;
  }
  if (!transaction_->RecordCreatedFile(path, created)) {
    CloseHandle(created);
    DeleteFileW(path);
    return INVALID_HANDLE_VALUE;
  }
  return created;
}

bool EntryOutput::BeginFile(const wchar_t* path) {
  file_.Reset(CreateNew(path));
  if (file_) return true;
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  // Windows refuses to replace a read-only file; so does the setup, also where a privileged
  // process could move it.
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  if (!transaction_->SetAside(path)) return false;
  file_.Reset(CreateNew(path));
  return static_cast<bool>(file_);
}

bool EntryOutput::Write(const void* data, DWORD size) {
  DWORD written = 0;
  return WriteFile(file_.Get(), data, size, &written, nullptr) && written == size;
}

void EntryOutput::EndFile(DWORD dosDateTime) {
  // Stamped through the handle that wrote it, before it is closed: no second open.
  SetFileTimeFromDos(file_.Get(), dosDateTime);
  file_.Reset();
}

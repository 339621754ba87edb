#include "framework/handle_rename.h"

#include <cstring>
#include <vector>

#include "framework/ntdll_functions.h"

namespace lk {

namespace {

// The rename request for name beside root (null: name is a full path), in buffer.
FILE_RENAME_INFO* RenameInfo(HANDLE root, const std::wstring& name, bool replaceExisting,
                             std::vector<unsigned char>* buffer) {
  const size_t nameBytes = name.size() * sizeof(wchar_t);
  buffer->assign(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer->data());
  rename->ReplaceIfExists = replaceExisting ? TRUE : FALSE;
  rename->RootDirectory = root;
  rename->FileNameLength = static_cast<DWORD>(nameBytes);
  memcpy(rename->FileName, name.c_str(), nameBytes);
  return rename;
}

}  // namespace

bool RenameOpened(HANDLE file, const std::wstring& destination, bool replaceExisting) {
  std::vector<unsigned char> buffer;
  FILE_RENAME_INFO* rename = RenameInfo(nullptr, destination, replaceExisting, &buffer);
  return SetFileInformationByHandle(file, FileRenameInfo, rename,
                                    static_cast<DWORD>(buffer.size())) != FALSE;
}

bool RenameOpenedInto(HANDLE file, HANDLE folder, const std::wstring& name, bool replaceExisting) {
  // NtSetInformationFile itself: Wine's SetFileInformationByHandle refuses a name beside a
  // root folder (it makes every new name a full path first), where Windows passes it on.
  const NtFileInformationFunction set = NtFileInformation("NtSetInformationFile");
  if (!set || !folder || name.empty()) return false;
  std::vector<unsigned char> buffer;
  FILE_RENAME_INFO* rename = RenameInfo(folder, name, replaceExisting, &buffer);
  IO_STATUS_BLOCK status = {};
  return NT_SUCCESS(set(file, &status, rename, static_cast<ULONG>(buffer.size()),
                        kFileRenameInformation));
}

}  // namespace lk

#include "support/shell_link_reader.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/scoped_handles.h"

namespace lktest {

bool ReadShellLink(const std::wstring& path, ShellLinkInfo* info) {
  lk::ScopedComApartment apartment;
  lk::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.ReceiveVoid()))) {
    return false;
  }
  lk::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid()))) return false;
  if (FAILED(file->Load(path.c_str(), STGM_READ))) return false;

  wchar_t text[1024] = {};
  link->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
  info->target = text;
  text[0] = L'\0';
  link->GetArguments(text, 1024);
  info->arguments = text;
  text[0] = L'\0';
  link->GetDescription(text, 1024);
  info->description = text;
  text[0] = L'\0';
  info->iconIndex = 0;
  link->GetIconLocation(text, 1024, &info->iconIndex);
  info->iconFile = text;
  text[0] = L'\0';
  link->GetWorkingDirectory(text, 1024);
  info->workingDirectory = text;
  return true;
}

}  // namespace lktest

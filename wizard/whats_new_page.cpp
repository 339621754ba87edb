// The what's-new page: the release notes.
#include <string>

#include "res/resource.h"
#include "wizard/wiz_property_page.h"

namespace {

// The release notes resource as stored (UTF-16 with its byte-order mark, no terminator).
bool LoadReleaseNotes(std::wstring& text) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDR_RELEASE_NOTES), L"TXT");
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  const DWORD bytes = SizeofResource(module, resource);
  text.assign(static_cast<const wchar_t*>(data), bytes / sizeof(wchar_t));
  return true;
}

}  // namespace

void CWizPropertyPage::ActivateWhatsNewPage() {
  std::wstring notes;
  if (LoadReleaseNotes(notes)) SetDlgItemTextW(m_hWnd, IDC_FOLDER_EDIT, notes.c_str());
}

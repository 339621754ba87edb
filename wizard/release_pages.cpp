// The what's-new, ready and finish pages.
#include <string>

#include "app/os_version.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "res/resource.h"
#include "wizard/wiz_property_page.h"
#include "wizard/wiz_property_sheet.h"

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

void CWizPropertyPage::ActivateReadyPage() {
  SetHeadingFont(IDC_READY_HEADING);

  wchar_t folder[MAX_PATH] = {};
  GetDlgItemTextW(PageWindow(kOptionsPagePosition), IDC_FOLDER_EDIT, folder, MAX_PATH);
  TrimSpaces(folder);
  std::wstring label = LoadResString(IDS_TARGET_FOLDER_LABEL).substr(0, 49);
  label += L": ";
  label += folder;
  SetDlgItemTextW(m_hWnd, IDC_READY_FOLDER, label.c_str());

  const bool vistaOrLater = IsOsVersionAtLeast(6, 0);
  CheckDlgButton(m_hWnd, IDC_INI_APPDATA, vistaOrLater ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_INI_PROGRAM_FOLDER, vistaOrLater ? BST_UNCHECKED : BST_CHECKED);
}

void CWizPropertyPage::ActivateFinishPage() {
  SetHeadingFont(IDC_FINISH_HEADING);
  CheckDlgButton(m_hWnd, IDC_SHOW_FAQ, BST_CHECKED);
  CheckDlgButton(m_hWnd, IDC_START_VIEWER, BST_CHECKED);
  SetDlgItemTextW(SheetWindow(), kWizardCancelButton, LoadResString(IDS_BUTTON_FINISH).c_str());
  sheet->EnableButton(kWizardBackButton, FALSE);
  sheet->EnableButton(kWizardNextButton, FALSE);
}

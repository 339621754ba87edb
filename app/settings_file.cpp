// Not implemented yet.
#include "app/settings_file.h"

void PrepareSettingsFile(const wchar_t*, const wchar_t*, wchar_t (&settingsFile)[MAX_PATH]) {
  settingsFile[0] = L'\0';
}
void ExpandVariableReferences(const wchar_t*, wchar_t (&expanded)[MAX_PATH]) {
  expanded[0] = L'\0';
}
ToolbarSkin ChooseToolbarSkinFor(int, int) { return {L"", L""}; }
ToolbarSkin ChooseToolbarSkin() { return {L"", L""}; }
bool ConvertSettingsToUnicode(const wchar_t*, FILE* file) {
  if (file) fclose(file);
  return true;
}

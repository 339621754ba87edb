#include "integration/format_catalogue.h"

void SelectNoFormats(FormatSelection& selection) {
  for (int32_t& flag : selection) flag = 0;
}

void SelectImageFormats(FormatSelection& selection) {
  for (int row = 0; row < FormatCount; ++row) selection[row] = row < ImageFormatCount ? 1 : 0;
}

void SelectAllFormats(FormatSelection& selection) {
  for (int32_t& flag : selection) flag = 1;
}

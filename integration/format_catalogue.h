// The fixed list of file formats the viewer can be made the default program for.
#pragma once

#include <cstdint>

constexpr int FormatCount = 68;
constexpr int ImageFormatCount = 52;  // rows 0 to 51

// Per-row choice: non-zero makes the viewer the default program for that row.
using FormatSelection = int32_t[FormatCount];

void SelectNoFormats(FormatSelection& selection);
void SelectImageFormats(FormatSelection& selection);
void SelectAllFormats(FormatSelection& selection);

// The fixed list of file formats the viewer can be made the default program for.
#pragma once

#include <cstdint>

constexpr int FormatCount = 68;
constexpr int ImageFormatCount = 52;  // rows 0 to 51
constexpr int MaxExtensionsPerFormat = 3;

// Which picture a format's programmatic identifier shows (its DefaultIcon).
enum class FormatIcon {
  FileItself,   // "%1": the file's own picture (cursors and icons)
  ViewerIcon0,  // viewer path ",0": images and the other formats
  ViewerIcon9,  // viewer path ",9": video
  ViewerIcon8,  // viewer path ",8": audio
};

// Rows 0 to 51 are images, 52 and 53 other formats, 54 to 58 video, 59 to 67 audio.
enum class FormatGroup { Image, Other, Video, Audio };

// One extension of a row and the type key its programmatic identifier is filed under
// ("Lumenkast.<typeKey>"): the row's first extension unless the extension has its own.
struct FormatExtension {
  const wchar_t* extension;
  const wchar_t* typeKey;
};

// One catalogue row. label and description are shown in the association list; a
// description ending in " *" names a format read through a plug-in.
struct FormatEntry {
  int row;
  const wchar_t* label;
  const wchar_t* description;
  int extensionCount;
  FormatExtension extensions[MaxExtensionsPerFormat];  // in registration order
  FormatIcon icon;
  FormatGroup group;
};

// The catalogue, indexed by row (FormatCatalogue[row].row == row).
extern const FormatEntry FormatCatalogue[FormatCount];

// Per-row choice: non-zero makes the viewer the default program for that row.
using FormatSelection = int32_t[FormatCount];

void SelectNoFormats(FormatSelection& selection);
void SelectImageFormats(FormatSelection& selection);
void SelectAllFormats(FormatSelection& selection);

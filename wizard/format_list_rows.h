// The texts the association list shows for a catalogue row.
#pragma once

// Label of row (first column), for example "JPG/JPEG/JPE"; empty outside 0..67.
const wchar_t* FormatRowLabel(int row);
// Description of row (second column), with its plug-in mark " *" where it has one.
const wchar_t* FormatRowDescription(int row);

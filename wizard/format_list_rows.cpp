#include "wizard/format_list_rows.h"

#include "integration/format_catalogue.h"

namespace {

struct RowTexts {
  const wchar_t* label;
  const wchar_t* description;
};

// In catalogue order: rows 0 to 51 are the images. (A copy of the catalogue's texts until
// the catalogue offers access to its rows.)
constexpr RowTexts kRows[FormatCount] = {
    {L"ANI", L"Animated Windows Cursors *"},
    {L"B3D", L"BodyPaint 3D Format *"},
    {L"BMP/DIB", L"Windows Bitmap"},
    {L"CAM", L"Casio Camera Format (JPG only) *"},
    {L"CLP", L"Windows Clipboard"},
    {L"CRW/CR2", L"Canon RAW Format *"},
    {L"CUR", L"Windows Cursor"},
    {L"DCM/ACR/IMA", L"DICOM Format *"},
    {L"DCX", L"Multipage Zsoft Paintbrush"},
    {L"DDS", L"Direct Draw Surface *"},
    {L"DJVU/IW44", L"DjVu Format *"},
    {L"DXF", L"Drawing Interchange Format *"},
    {L"ECW", L"Enhanced Compressed Wavelet *"},
    {L"EMF", L"Enhanced Windows Metafile"},
    {L"EPS/PS", L"PostScript Format *"},
    {L"EXR", L"EXR Format *"},
    {L"FPX", L"FlashPix Format *"},
    {L"G3", L"G3 FAX Format *"},
    {L"GIF", L"Compuserve GIF"},
    {L"HDP/JXR/WDP", L"JPEG-XR/HD-Photo Format *"},
    {L"ICL", L"Windows Icon Library"},
    {L"ICO", L"Windows Icon"},
    {L"IFF", L"Amiga Interchange File Format *"},
    {L"IMG", L"GEM Raster Format *"},
    {L"JLS", L"JPEG-LS Format *"},
    {L"JP2/JPC/J2K", L"JPEG2000 Format *"},
    {L"JPG/JPEG/JPE", L"JPEG Format"},
    {L"JPM", L"JPM Format *"},
    {L"KDC", L"Kodak Digital Camera Format *"},
    {L"MNG/JNG", L"Multiple Network Graphics *"},
    {L"PBM", L"Portable Bitmap"},
    {L"PCD", L"Kodak Photo CD"},
    {L"PCX", L"Zsoft Paintbrush"},
    {L"PGM", L"Portable Greymap"},
    {L"PNG", L"Portable Network Graphics"},
    {L"PPM", L"Portable Pixelmap"},
    {L"PSD", L"Adobe Photoshop Image"},
    {L"PSP", L"Paint Shop Pro Image *"},
    {L"RAS", L"Sun Raster Format *"},
    {L"RAW", L"RAW Image Data *"},
    {L"RLE", L"Utah RLE Format *"},
    {L"SFF", L"Structured Fax Format *"},
    {L"SFW", L"Seattle Film Works Format *"},
    {L"SGI", L"Silicon Graphics Image *"},
    {L"SID", L"LizardTech MrSID Format *"},
    {L"TGA", L"Truevision Targa"},
    {L"TIF/TIFF", L"Tagged Image File Format"},
    {L"WBMP", L"WAP Bitmap *"},
    {L"WEBP", L"Weppy Format *"},
    {L"WMF", L"Windows Metafile"},
    {L"XBM", L"X-Bitmap *"},
    {L"XPM", L"X-Pixmap *"},
    {L"SWF/FLV", L"Macromedia Flash Format *"},
    {L"TTF", L"True Type Font Format *"},
    {L"ASF", L"Advanced Systems Format *"},
    {L"AVI", L"Video for Windows *"},
    {L"MPG/MPE/MPEG", L"MPEG Movie *"},
    {L"MOV", L"Apple QuickTime Movie *"},
    {L"WMV", L"Windows Media Video File *"},
    {L"AIF", L"Audio Interchange Format *"},
    {L"MID/RMI", L"MIDI Sound Format *"},
    {L"MED", L"MED/OctaMED Audio Format *"},
    {L"MP3", L"MPEG Audio Format *"},
    {L"OGG", L"Ogg Vorbis Audio Format *"},
    {L"RA", L"Real Audio Format *"},
    {L"AU/SND", L"SUN Audio Format *"},
    {L"WAV", L"Windows Audio Format *"},
    {L"WMA", L"Windows Media Audio File *"},
};

}  // namespace

const wchar_t* FormatRowLabel(int row) {
  return row >= 0 && row < FormatCount ? kRows[row].label : L"";
}

const wchar_t* FormatRowDescription(int row) {
  return row >= 0 && row < FormatCount ? kRows[row].description : L"";
}

#include "integration/format_catalogue.h"

namespace {
using I = FormatIcon;
using G = FormatGroup;
}  // namespace

// Row, label, description, extensions with their type keys, icon, group.
// clang-format off
const FormatEntry FormatCatalogue[FormatCount] = {
    {0, L"ANI", L"Animated Windows Cursors *", 1, {{L"ani", L"ani"}}, I::FileItself, G::Image},
    {1, L"B3D", L"BodyPaint 3D Format *", 1, {{L"b3d", L"b3d"}}, I::ViewerIcon0, G::Image},
    {2, L"BMP/DIB", L"Windows Bitmap", 2, {{L"bmp", L"bmp"}, {L"dib", L"bmp"}}, I::ViewerIcon0, G::Image},
    {3, L"CAM", L"Casio Camera Format (JPG only) *", 1, {{L"cam", L"cam"}}, I::ViewerIcon0, G::Image},
    {4, L"CLP", L"Windows Clipboard", 1, {{L"clp", L"clp"}}, I::ViewerIcon0, G::Image},
    {5, L"CRW/CR2", L"Canon RAW Format *", 2, {{L"crw", L"crw"}, {L"cr2", L"cr2"}}, I::ViewerIcon0, G::Image},
    {6, L"CUR", L"Windows Cursor", 1, {{L"cur", L"cur"}}, I::FileItself, G::Image},
    {7, L"DCM/ACR/IMA", L"DICOM Format *", 3, {{L"dcm", L"dcm"}, {L"acr", L"dcm"}, {L"ima", L"dcm"}}, I::ViewerIcon0, G::Image},
    {8, L"DCX", L"Multipage Zsoft Paintbrush", 1, {{L"dcx", L"dcx"}}, I::ViewerIcon0, G::Image},
    {9, L"DDS", L"Direct Draw Surface *", 1, {{L"dds", L"dds"}}, I::ViewerIcon0, G::Image},
    {10, L"DJVU/IW44", L"DjVu Format *", 2, {{L"djvu", L"djvu"}, {L"iw44", L"djvu"}}, I::ViewerIcon0, G::Image},
    {11, L"DXF", L"Drawing Interchange Format *", 1, {{L"dxf", L"dxf"}}, I::ViewerIcon0, G::Image},
    {12, L"ECW", L"Enhanced Compressed Wavelet *", 1, {{L"ecw", L"ecw"}}, I::ViewerIcon0, G::Image},
    {13, L"EMF", L"Enhanced Windows Metafile", 1, {{L"emf", L"emf"}}, I::ViewerIcon0, G::Image},
    {14, L"EPS/PS", L"PostScript Format *", 2, {{L"eps", L"eps"}, {L"ps", L"eps"}}, I::ViewerIcon0, G::Image},
    {15, L"EXR", L"EXR Format *", 1, {{L"exr", L"exr"}}, I::ViewerIcon0, G::Image},
    {16, L"FPX", L"FlashPix Format *", 1, {{L"fpx", L"fpx"}}, I::ViewerIcon0, G::Image},
    {17, L"G3", L"G3 FAX Format *", 1, {{L"g3", L"g3"}}, I::ViewerIcon0, G::Image},
    {18, L"GIF", L"Compuserve GIF", 1, {{L"gif", L"gif"}}, I::ViewerIcon0, G::Image},
    {19, L"HDP/JXR/WDP", L"JPEG-XR/HD-Photo Format *", 3, {{L"hdp", L"hdp"}, {L"jxr", L"hdp"}, {L"wdp", L"hdp"}}, I::ViewerIcon0, G::Image},
    {20, L"ICL", L"Windows Icon Library", 1, {{L"icl", L"icl"}}, I::FileItself, G::Image},
    {21, L"ICO", L"Windows Icon", 1, {{L"ico", L"ico"}}, I::FileItself, G::Image},
    {22, L"IFF", L"Amiga Interchange File Format *", 2, {{L"iff", L"iff"}, {L"lbm", L"iff"}}, I::ViewerIcon0, G::Image},
    {23, L"IMG", L"GEM Raster Format *", 1, {{L"img", L"img"}}, I::ViewerIcon0, G::Image},
    {24, L"JLS", L"JPEG-LS Format *", 1, {{L"jls", L"jls"}}, I::ViewerIcon0, G::Image},
    {25, L"JP2/JPC/J2K", L"JPEG2000 Format *", 3, {{L"jp2", L"jp2"}, {L"jpc", L"jp2"}, {L"j2k", L"jp2"}}, I::ViewerIcon0, G::Image},
    {26, L"JPG/JPEG/JPE", L"JPEG Format", 3, {{L"jpg", L"jpg"}, {L"jpeg", L"jpg"}, {L"jpe", L"jpg"}}, I::ViewerIcon0, G::Image},
    {27, L"JPM", L"JPM Format *", 1, {{L"jpm", L"jpm"}}, I::ViewerIcon0, G::Image},
    {28, L"KDC", L"Kodak Digital Camera Format *", 1, {{L"kdc", L"kdc"}}, I::ViewerIcon0, G::Image},
    {29, L"MNG/JNG", L"Multiple Network Graphics *", 2, {{L"mng", L"mng"}, {L"jng", L"jng"}}, I::ViewerIcon0, G::Image},
    {30, L"PBM", L"Portable Bitmap", 1, {{L"pbm", L"pbm"}}, I::ViewerIcon0, G::Image},
    {31, L"PCD", L"Kodak Photo CD", 1, {{L"pcd", L"pcd"}}, I::ViewerIcon0, G::Image},
    {32, L"PCX", L"Zsoft Paintbrush", 1, {{L"pcx", L"pcx"}}, I::ViewerIcon0, G::Image},
    {33, L"PGM", L"Portable Greymap", 1, {{L"pgm", L"pgm"}}, I::ViewerIcon0, G::Image},
    {34, L"PNG", L"Portable Network Graphics", 1, {{L"png", L"png"}}, I::ViewerIcon0, G::Image},
    {35, L"PPM", L"Portable Pixelmap", 1, {{L"ppm", L"ppm"}}, I::ViewerIcon0, G::Image},
    {36, L"PSD", L"Adobe Photoshop Image", 1, {{L"psd", L"psd"}}, I::ViewerIcon0, G::Image},
    {37, L"PSP", L"Paint Shop Pro Image *", 1, {{L"psp", L"psp"}}, I::ViewerIcon0, G::Image},
    {38, L"RAS", L"Sun Raster Format *", 2, {{L"ras", L"ras"}, {L"sun", L"ras"}}, I::ViewerIcon0, G::Image},
    {39, L"RAW", L"RAW Image Data *", 1, {{L"raw", L"raw"}}, I::ViewerIcon0, G::Image},
    {40, L"RLE", L"Utah RLE Format *", 1, {{L"rle", L"rle"}}, I::ViewerIcon0, G::Image},
    {41, L"SFF", L"Structured Fax Format *", 1, {{L"sff", L"sff"}}, I::ViewerIcon0, G::Image},
    {42, L"SFW", L"Seattle Film Works Format *", 1, {{L"sfw", L"sfw"}}, I::ViewerIcon0, G::Image},
    {43, L"SGI", L"Silicon Graphics Image *", 2, {{L"sgi", L"sgi"}, {L"rgb", L"sgi"}}, I::ViewerIcon0, G::Image},
    {44, L"SID", L"LizardTech MrSID Format *", 1, {{L"sid", L"sid"}}, I::ViewerIcon0, G::Image},
    {45, L"TGA", L"Truevision Targa", 1, {{L"tga", L"tga"}}, I::ViewerIcon0, G::Image},
    {46, L"TIF/TIFF", L"Tagged Image File Format", 2, {{L"tif", L"tif"}, {L"tiff", L"tif"}}, I::ViewerIcon0, G::Image},
    {47, L"WBMP", L"WAP Bitmap *", 1, {{L"wbmp", L"wbmp"}}, I::ViewerIcon0, G::Image},
    {48, L"WEBP", L"Weppy Format *", 1, {{L"webp", L"webp"}}, I::ViewerIcon0, G::Image},
    {49, L"WMF", L"Windows Metafile", 1, {{L"wmf", L"wmf"}}, I::ViewerIcon0, G::Image},
    {50, L"XBM", L"X-Bitmap *", 1, {{L"xbm", L"xbm"}}, I::ViewerIcon0, G::Image},
    {51, L"XPM", L"X-Pixmap *", 1, {{L"xpm", L"xpm"}}, I::ViewerIcon0, G::Image},
    {52, L"SWF/FLV", L"Macromedia Flash Format *", 2, {{L"swf", L"swf"}, {L"flv", L"flv"}}, I::ViewerIcon0, G::Other},
    {53, L"TTF", L"True Type Font Format *", 1, {{L"ttf", L"ttf"}}, I::ViewerIcon0, G::Other},
    {54, L"ASF", L"Advanced Systems Format *", 1, {{L"asf", L"asf"}}, I::ViewerIcon9, G::Video},
    {55, L"AVI", L"Video for Windows *", 1, {{L"avi", L"avi"}}, I::ViewerIcon9, G::Video},
    {56, L"MPG/MPE/MPEG", L"MPEG Movie *", 3, {{L"mpg", L"mpg"}, {L"mpe", L"mpe"}, {L"mpeg", L"mpg"}}, I::ViewerIcon9, G::Video},
    {57, L"MOV", L"Apple QuickTime Movie *", 1, {{L"mov", L"mov"}}, I::ViewerIcon9, G::Video},
    {58, L"WMV", L"Windows Media Video File *", 1, {{L"wmv", L"wmv"}}, I::ViewerIcon9, G::Video},
    {59, L"AIF", L"Audio Interchange Format *", 1, {{L"aif", L"aif"}}, I::ViewerIcon8, G::Audio},
    {60, L"MID/RMI", L"MIDI Sound Format *", 2, {{L"mid", L"mid"}, {L"rmi", L"rmi"}}, I::ViewerIcon8, G::Audio},
    {61, L"MED", L"MED/OctaMED Audio Format *", 1, {{L"med", L"med"}}, I::ViewerIcon8, G::Audio},
    {62, L"MP3", L"MPEG Audio Format *", 1, {{L"mp3", L"mp3"}}, I::ViewerIcon8, G::Audio},
    {63, L"OGG", L"Ogg Vorbis Audio Format *", 1, {{L"ogg", L"ogg"}}, I::ViewerIcon8, G::Audio},
    {64, L"RA", L"Real Audio Format *", 1, {{L"ra", L"ra"}}, I::ViewerIcon8, G::Audio},
    {65, L"AU/SND", L"SUN Audio Format *", 2, {{L"au", L"au"}, {L"snd", L"au"}}, I::ViewerIcon8, G::Audio},
    {66, L"WAV", L"Windows Audio Format *", 1, {{L"wav", L"wav"}}, I::ViewerIcon8, G::Audio},
    {67, L"WMA", L"Windows Media Audio File *", 1, {{L"wma", L"wma"}}, I::ViewerIcon8, G::Audio},
};
// clang-format on

void SelectNoFormats(FormatSelection& selection) {
  for (int32_t& flag : selection) flag = 0;
}

void SelectImageFormats(FormatSelection& selection) {
  for (int row = 0; row < FormatCount; ++row) selection[row] = row < ImageFormatCount ? 1 : 0;
}

void SelectAllFormats(FormatSelection& selection) {
  for (int32_t& flag : selection) flag = 1;
}

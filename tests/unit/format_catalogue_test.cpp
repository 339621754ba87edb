#include "integration/format_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::wstring::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
  return text;
}

// Every extension of the catalogue in registration order, with its type key.
std::vector<FormatExtension> AllExtensions() {
  std::vector<FormatExtension> all;
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) all.push_back(format.extensions[i]);
  }
  return all;
}

TEST(FormatCatalogue, RowsCarryTheirOwnNumberAndTheListLabels) {
  const std::vector<std::wstring> labels = Split(
      L"ANI B3D BMP/DIB CAM CLP CRW/CR2 CUR DCM/ACR/IMA DCX DDS DJVU/IW44 DXF ECW EMF EPS/PS "
      L"EXR FPX G3 GIF HDP/JXR/WDP ICL ICO IFF IMG JLS JP2/JPC/J2K JPG/JPEG/JPE JPM KDC "
      L"MNG/JNG PBM PCD PCX PGM PNG PPM PSD PSP RAS RAW RLE SFF SFW SGI SID TGA TIF/TIFF WBMP "
      L"WEBP WMF XBM XPM SWF/FLV TTF ASF AVI MPG/MPE/MPEG MOV WMV AIF MID/RMI MED MP3 OGG RA "
      L"AU/SND WAV WMA",
      L' ');
  ASSERT_EQ(static_cast<size_t>(FormatCount), labels.size());
  for (int row = 0; row < FormatCount; ++row) {
    EXPECT_EQ(row, FormatCatalogue[row].row);
    EXPECT_EQ(labels[row], FormatCatalogue[row].label) << "row " << row;
  }
}

TEST(FormatCatalogue, DescriptionsAreStoredWithTheirPlugInMarker) {
  struct Case {
    int row;
    const wchar_t* description;
  } cases[] = {
      {0, L"Animated Windows Cursors *"},
      {2, L"Windows Bitmap"},
      {3, L"Casio Camera Format (JPG only) *"},
      {17, L"G3 FAX Format *"},
      {26, L"JPEG Format"},
      {48, L"Weppy Format *"},
      {52, L"Macromedia Flash Format *"},
      {61, L"MED/OctaMED Audio Format *"},
      {67, L"Windows Media Audio File *"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.description, FormatCatalogue[c.row].description);
  // Formats the viewer reads itself carry no marker; every other row ends in " *".
  const std::set<int> ownFormats = {2,  4,  6,  8,  13, 18, 20, 21, 26, 30,
                                    31, 32, 33, 34, 35, 36, 45, 46, 49};
  for (const FormatEntry& format : FormatCatalogue) {
    const std::wstring description = format.description;
    const bool marked =
        description.size() > 2 && description.compare(description.size() - 2, 2, L" *") == 0;
    EXPECT_NE(ownFormats.count(format.row) == 1, marked) << "row " << format.row;
  }
}

TEST(FormatCatalogue, HoldsTheNinetyExtensionsInRegistrationOrder) {
  const std::vector<std::wstring> expected = Split(
      L"ani b3d bmp dib cam clp crw cr2 cur dcm acr ima dcx dds djvu iw44 dxf ecw emf eps ps "
      L"exr fpx g3 gif hdp jxr wdp icl ico iff lbm img jls jp2 jpc j2k jpg jpeg jpe jpm kdc "
      L"mng jng pbm pcd pcx pgm png ppm psd psp ras sun raw rle sff sfw sgi rgb sid tga tif tiff "
      L"wbmp webp wmf xbm xpm swf flv ttf asf avi mpg mpe mpeg mov wmv aif mid rmi med mp3 ogg "
      L"ra au snd wav wma",
      L' ');
  ASSERT_EQ(90u, expected.size());
  const std::vector<FormatExtension> all = AllExtensions();
  ASSERT_EQ(expected.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(expected[i], all[i].extension) << i;
  std::set<std::wstring> distinct;
  for (const FormatExtension& e : all) distinct.insert(e.extension);
  EXPECT_EQ(all.size(), distinct.size());
}

TEST(FormatCatalogue, LabelsNameTheRowsExtensionsInCapitals) {
  for (const FormatEntry& format : FormatCatalogue) {
    ASSERT_GE(format.extensionCount, 1);
    ASSERT_LE(format.extensionCount, MaxExtensionsPerFormat);
    const std::vector<std::wstring> parts = Split(format.label, L'/');
    EXPECT_EQ(Upper(format.extensions[0].extension), parts[0]) << "row " << format.row;
    for (const std::wstring& part : parts) {
      bool named = false;
      for (int i = 0; i < format.extensionCount; ++i) {
        named = named || Upper(format.extensions[i].extension) == part;
      }
      EXPECT_TRUE(named) << "row " << format.row;
    }
  }
}

TEST(FormatCatalogue, FilesExtensionsUnder73TypeKeysFiveOfThemOwnKeys) {
  const std::vector<std::wstring> expectedKeys = Split(
      L"ani b3d bmp cam clp crw cr2 cur dcm dcx dds djvu dxf ecw emf eps exr fpx g3 gif hdp icl "
      L"ico iff img jls jp2 jpg jpm kdc mng jng pbm pcd pcx pgm png ppm psd psp ras raw rle sff "
      L"sfw sgi sid tga tif wbmp webp wmf xbm xpm swf flv ttf asf avi mpg mpe mov wmv aif mid "
      L"rmi med mp3 ogg ra au wav wma",
      L' ');
  ASSERT_EQ(73u, expectedKeys.size());
  std::vector<std::wstring> keys;
  for (const FormatExtension& e : AllExtensions()) {
    if (std::find(keys.begin(), keys.end(), e.typeKey) == keys.end()) keys.push_back(e.typeKey);
  }
  EXPECT_EQ(expectedKeys, keys);

  // Extensions filed under another extension's key, and the five with keys of their own
  // although they are not first in their row.
  const std::set<std::pair<std::wstring, std::wstring>> shared = {
      {L"dib", L"bmp"},  {L"acr", L"dcm"}, {L"ima", L"dcm"}, {L"iw44", L"djvu"}, {L"ps", L"eps"},
      {L"jxr", L"hdp"},  {L"wdp", L"hdp"}, {L"lbm", L"iff"}, {L"jpc", L"jp2"},   {L"j2k", L"jp2"},
      {L"jpeg", L"jpg"}, {L"jpe", L"jpg"}, {L"sun", L"ras"}, {L"rgb", L"sgi"},   {L"tiff", L"tif"},
      {L"mpeg", L"mpg"}, {L"snd", L"au"}};
  const std::set<std::wstring> ownKeys = {L"cr2", L"jng", L"flv", L"mpe", L"rmi"};
  for (const FormatEntry& format : FormatCatalogue) {
    for (int i = 0; i < format.extensionCount; ++i) {
      const std::wstring extension = format.extensions[i].extension;
      const std::wstring key = format.extensions[i].typeKey;
      if (i == 0 || ownKeys.count(extension)) {
        EXPECT_EQ(extension, key);
      } else {
        EXPECT_EQ(1u, shared.count({extension, key})) << lktest::Narrow(extension);
        EXPECT_EQ(std::wstring(format.extensions[0].extension), key);
      }
    }
  }
}

TEST(FormatCatalogue, IconAndGroupFollowTheRowRanges) {
  for (const FormatEntry& format : FormatCatalogue) {
    const int row = format.row;
    SCOPED_TRACE(row);
    const FormatGroup group = row < 52   ? FormatGroup::Image
                              : row < 54 ? FormatGroup::Other
                              : row < 59 ? FormatGroup::Video
                                         : FormatGroup::Audio;
    EXPECT_EQ(group, format.group);
    FormatIcon icon = group == FormatGroup::Video   ? FormatIcon::ViewerIcon9
                      : group == FormatGroup::Audio ? FormatIcon::ViewerIcon8
                                                    : FormatIcon::ViewerIcon0;
    if (row == 0 || row == 6 || row == 20 || row == 21) icon = FormatIcon::FileItself;
    EXPECT_EQ(icon, format.icon);
  }
}

TEST(FormatSelection, WritersSetTheRowRanges) {
  struct Case {
    void (*select)(FormatSelection&);
    int firstUnchosen;  // rows before it are 1, from it on 0
  } cases[] = {{SelectNoFormats, 0}, {SelectImageFormats, 52}, {SelectAllFormats, 68}};
  for (const Case& c : cases) {
    FormatSelection selection;
    for (int32_t& flag : selection) flag = 7;  // stale values of an earlier choice
    c.select(selection);
    for (int row = 0; row < FormatCount; ++row) {
      EXPECT_EQ(row < c.firstUnchosen ? 1 : 0, selection[row]) << c.firstUnchosen << " " << row;
    }
  }
}

}  // namespace

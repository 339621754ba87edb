// The names of the shortcut files an installation saves, shared by the setup that saves
// them and the uninstaller that removes them.
#pragma once

#include <string>

namespace lk {

// The start-menu group folder below the programs folder.
constexpr wchar_t kGroupFolder[] = L"Lumenkast";

constexpr wchar_t kDesktopLinkName[] = L"Lumenkast 64.lnk";
constexpr wchar_t kDesktopThumbnailsLinkName[] = L"Lumenkast 64 Thumbnails.lnk";

constexpr wchar_t kGroupThumbnailsLinkName[] = L"Lumenkast - Thumbnails.lnk";
constexpr wchar_t kGroupUninstallLinkName[] = L"Lumenkast deinstallieren.lnk";

// Start-menu links of earlier versions that this one replaces.
constexpr const wchar_t* kReplacedVersions[] = {L"4.44", L"4.42"};

// A group link to one of the viewer's files, without arguments or icon.
struct DocumentLink {
  const wchar_t* fileName;
  const wchar_t* relativeTarget;  // below the installation folder
};
constexpr DocumentLink kDocumentLinks[] = {
    {L"\u00DCber Lumenkast.lnk", L"lk_about.txt"},
    {L"Was ist neu.lnk", L"lk_changes.txt"},
    {L"Kommandozeilen-Optionen.lnk", L"lk_options.txt"},
    {L"Verf\u00FCgbare PlugIns.lnk", L"lk_plugins.txt"},
    {L"Verf\u00FCgbare Sprachen.lnk", L"lk_languages.txt"},
    {L"Lumenkast Hilfe.lnk", L"help\\lk_main32_deutsch.chm"},
};

// "Lumenkast 64 4.50.lnk": the start-menu link to the viewer, named with the version.
std::wstring VersionLinkName();

}  // namespace lk

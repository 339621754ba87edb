// Fixed facts about the product this setup installs, in one place.
#pragma once

namespace lk {

constexpr int kVersionMajor = 4;
constexpr int kVersionMinor = 50;

constexpr wchar_t kProductName[] = L"Lumenkast";
constexpr wchar_t kPublisher[] = L"Orrin Halvask";
constexpr wchar_t kViewerExe[] = L"lk_main64.exe";
constexpr wchar_t kUninstallerExe[] = L"lk_uninstall.exe";
constexpr wchar_t kViewerWindowClass[] = L"Lumenkast";

// The viewer's settings file, and the start of the names of the temporary files its
// conversion to UTF-16 writes beside it: this prefix and a few unique letters or digits
// (earlier versions wrote "lk_main64.ini_temp" and more).
constexpr wchar_t kSettingsFileName[] = L"lk_main64.ini";
constexpr wchar_t kSettingsTempFilePrefix[] = L"lk_main64.ini_";

// The default-programs list of the file types the viewer can open (under HKLM).
constexpr wchar_t kFileAssociationsKey[] = L"SOFTWARE\\Lumenkast\\Capabilities\\FileAssociations";

// Kilobytes shown in the list of installed programs (a constant, not measured).
constexpr unsigned kEstimatedSizeKb = 5120;

// The vendor's web pages opened from the wizard.
constexpr wchar_t kLicenseUrl[] = L"https://www.lumenkast.de/lizenz.html";
constexpr wchar_t kFaqUrl[] = L"https://www.lumenkast.de/faq.html";

}  // namespace lk

// The German texts the setup shows and logs, as a user reads them. They are typed here on
// their own, not taken from the resource script, so that the tests compare what the
// program carries with what it must say, byte for byte.
#pragma once

namespace lktest {

// Window title of the wizard's sheet (the pages' caption) and caption of its message boxes.
constexpr wchar_t kPageCaption[] = L"Lumenkast 64-bit Setup";
constexpr wchar_t kBoxCaption[] = L"Lumenkast 64-bit Installation";

// The sheet's cancel button before the installation and on the finish page.
constexpr wchar_t kQuitButtonText[] = L"&Beenden";
constexpr wchar_t kFinishButtonText[] = L"&Fertig stellen";

// Questions and messages, in the wizard's message boxes and in the install log.
constexpr wchar_t kConfirmQuit[] = L"Installation beenden?";
constexpr wchar_t kConfirmAssociations[] =
    L"Sie möchten die aktuellen Verknüpfungen ändern und einen oder mehrere Dateitypen mit "
    L"Lumenkast verknüpfen!\n\nSind Sie sicher!?";
constexpr wchar_t kInvalidFolder[] = L"Ungültiges Zielverzeichnis!";
constexpr wchar_t kCannotCreateFolder[] =
    L"Kann Zielverzeichnis nicht erstellen!\n\nBitte überprüfen Sie Ihre Schreibrechte und "
    L"System-Policies!\n\nVersuchen Sie das Zielverzeichnis zuerst händisch zu erstellen.";
constexpr wchar_t kInstallFailed[] =
    L"Fehler beim Installieren!\n\nÜberprüfen Sie bitte ob Lumenkast läuft, das "
    L"Zielverzeichnis voll ist oder keine Schreibrechte vorhanden sind!\n\n(Der Installer "
    L"sollte im ADMIN-Modus gestartet werden, z.B. den Installer mit der rechten Maustaste "
    L"anklicken)";
constexpr wchar_t kRegistrationIncomplete[] =
    L"Lumenkast wurde installiert, aber die Registrierung oder eine Verknüpfung ist "
    L"unvollständig!\n\nBitte überprüfen Sie Ihre Schreibrechte und System-Policies!\n\n"
    L"Zuerst fehlgeschlagen";
constexpr wchar_t kViewerRunning[] =
    L"Warnung: Lumenkast läuft!\nBeenden Sie bitte Lumenkast bevor Sie mit der Installation "
    L"fortsetzen!";

constexpr wchar_t kAnotherRun[] =
    L"Eine andere Installation oder Deinstallation von Lumenkast läuft gerade!\nWarten Sie "
    L"bitte, bis sie beendet ist, und starten Sie die Installation dann erneut!";
constexpr wchar_t kRollbackIncomplete[] =
    L"Die vorherige Version konnte nicht vollständig wiederhergestellt werden!\n\nBitte "
    L"überprüfen Sie Ihre Schreibrechte und ob Lumenkast läuft, und starten Sie die "
    L"Installation erneut. Nicht wiederhergestellt";

// How every settings file the setup writes begins (after its byte-order mark).
constexpr wchar_t kSettingsHeader[] = L"; UNICODE FILE - edit with care ;-)\r\n\r\n";

}  // namespace lktest

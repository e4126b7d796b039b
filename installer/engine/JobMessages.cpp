// The messages of the result codes and the file deletion with its notice,
// in both languages (code page 1252).
#include "ToolInstallJob.h"

#include "Format.h"

#include <windows.h>

namespace {

// Indexed by the code; 8 has no text of its own and reads as 9.
const BilingualText kResultMessages[] = {
    {"Cannot create Destination-Directory", "Zielverzeichnis kann nicht erzeugt werden"},
    {"Cannot write into Destination-Directory", "Fehler beim Schreiben ins Zielverzeichnis"},
    {"Error Reading Destination Directory", "Fehler beim Lesen des Quellverzeichnis"},
    {"Setup not complete", "Setup nicht vollst\xE4ndig"},
    {"Please terminate active Setup-process", "Bitte beenden Sie aktiven Setup-Prozess"},
    {"Application already installed, not possible to re-install",
     "Applikation bereits installiert, bitte manuell deinstallieren"},
    {"Executable Setup program not found", "Ausf\xFChrbares Setup Programm nicht gefunden"},
    {"Not enough space on destination drive", "Nicht gen\xFCgend freier Speicher auf Ziellaufwerk"},
    {"Unknown problem in Setup", "Unbekannter Fehler im Setup"},
    {"Unknown problem in Setup", "Unbekannter Fehler im Setup"},
};
const int kMessageCount = sizeof kResultMessages / sizeof kResultMessages[0];

const BilingualText kDeletionNotice = {"Can not delete %s!",
                                       "Datei: %s kann nicht gel\xF6scht werden!"};

}  // namespace

const char* CToolInstallJob::GetResultMessage(int code) const {
    return kResultMessages[code >= 0 && code < kMessageCount ? code : ResultUnknown].in(language);
}

bool CToolInstallJob::DeleteFileWithNotice(const std::string& path) {
    // A file that is there but cannot be deleted gets the same notice as a
    // missing one; the job goes on either way.
    if (PathExists(path) && DeleteFileA(path.c_str())) return true;
    const std::string text = Format(kDeletionNotice.in(language), path);
    if (log) log->Line("Notice: " + text);
    if (host_) host_->ShowMessage(text.c_str(), "Info", MB_ICONERROR);
    return false;
}

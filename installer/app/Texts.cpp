#include "Texts.h"

namespace {

struct TextPair {
    const char* german;
    const char* english;
};

// Umlauts as code page 1252 escapes so the source encoding cannot alter them.
const TextPair kTexts[TXT_COUNT] = {
    {"Sprache", "Language"},
    {"Ziellaufwerk", "Target Drive"},
    {"Projekt", "Project"},
    {"Benutzerinformation", "User Information"},
    {"Anwendungen", "Software Tools"},
    {"Name", "Name"},
    {"Firma", "Company"},
    {"Englisch", "English"},
    {"Deutsch", "German"},
    {"Installieren", "Install"},
    {"Alles ausw\xE4hlen", "Select all"},
    {"Auswahl l\xF6schen", "Unselect all"},
    {"Beenden", "Exit"},
    {"Setup %s starten", "Starting %s Setup"},
    {"Installation erfolgreich abgeschlossen", "Installation completed successfully"},
    {"Installation mit Problemen beendet", "Installation finished, problems occured"},
    {"Zum Fertigstellen der Installation muss der Computer neu gebootet werden.\n\n"
     "Soll Windows jetzt beendet und neu gestartet werden?",
     "To complete the installation you need to reboot the computer.\n\nDo you wish to reboot now?"},
    {"Fehler", "Error"},
    {"Kein Projekt spezifiziert!", "No project specified"},
    {"Bitte geben Sie Ihren Namen ein", "Please input your name"},
    {"Bitte geben Sie Ihre Firma ein", "Please input your company"},
    {"Windows neu starten?", "Restart Windows?"},
    {"Windows kann nicht beendet werden!\n\nBitte beenden und starten Sie den Rechner manuell.",
     "Not possible to restart Windows!\n\nYou need to reboot it manually."},
    {"Windows wird neu gestartet, bitte warten", "Restarting Windows, please wait"},
};

}  // namespace

const char* DialogText(int id, int language) {
    if (id < 0 || id >= TXT_COUNT) return "";
    return language ? kTexts[id].german : kTexts[id].english;
}

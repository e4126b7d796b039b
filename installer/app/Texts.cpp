#include "Texts.h"

const char kWindowTitle[] = "Tarvo Kinetics Kitbay Setup";

namespace {

// Umlauts as code page 1252 escapes so the source encoding cannot alter them.
const BilingualText kTexts[TXT_COUNT] = {
    {"Language", "Sprache"},
    {"Target Drive", "Ziellaufwerk"},
    {"Project", "Projekt"},
    {"User Information", "Benutzerinformation"},
    {"Software Tools", "Anwendungen"},
    {"Name", "Name"},
    {"Company", "Firma"},
    {"English", "Englisch"},
    {"German", "Deutsch"},
    {"Install", "Installieren"},
    {"Select all", "Alles ausw\xE4hlen"},
    {"Unselect all", "Auswahl l\xF6schen"},
    {"Exit", "Beenden"},
    {"Starting %s Setup", "Setup %s starten"},
    {"Installation completed successfully", "Installation erfolgreich abgeschlossen"},
    {"Installation finished, problems occured", "Installation mit Problemen beendet"},
    {"To complete the installation you need to reboot the computer.\n\nDo you wish to reboot now?",
     "Zum Fertigstellen der Installation muss der Computer neu gebootet werden.\n\n"
     "Soll Windows jetzt beendet und neu gestartet werden?"},
    {"Error", "Fehler"},
    {"No project specified", "Kein Projekt spezifiziert!"},
    {"Please input your name", "Bitte geben Sie Ihren Namen ein"},
    {"Please input your company", "Bitte geben Sie Ihre Firma ein"},
    {"Restart Windows?", "Windows neu starten?"},
    {"Not possible to restart Windows!\n\nYou need to reboot it manually.",
     "Windows kann nicht beendet werden!\n\nBitte beenden und starten Sie den Rechner manuell."},
    {"Restarting Windows, please wait", "Windows wird neu gestartet, bitte warten"},
    {"Project name too long (at most %s characters)",
     "Projektname zu lang (h\xF6" "chstens %s Zeichen)"},
    {"A project name must not contain \\ / : * ? \" < > |",
     "Ein Projektname darf \\ / : * ? \" < > | nicht enthalten"},
};

}  // namespace

const char* DialogText(int id, Language language) {
    if (id < 0 || id >= TXT_COUNT) return "";
    return kTexts[id].in(language);
}

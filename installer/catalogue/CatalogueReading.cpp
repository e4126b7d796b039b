#include "CatalogueReading.h"

#include <windows.h>

#include <climits>

#include "Varnet01.h"

const ConfigKey kConfigSelectAll = {"Selectall", KeyKind::Flag};
const ConfigKey kConfigProject = {"Project", KeyKind::Text};
const ConfigKey kConfigProjectEdit = {"ProjectEdit", KeyKind::Flag};
const ConfigKey kConfigLanguage = {"Language", KeyKind::Flag};
const ConfigKey kConfigName = {"Name", KeyKind::Text};
const ConfigKey kConfigCompany = {"Company", KeyKind::Text};
const ConfigKey* const kConfigKeys[6] = {&kConfigSelectAll, &kConfigProject, &kConfigProjectEdit,
                                         &kConfigLanguage,  &kConfigName,    &kConfigCompany};

int SpaceBytes(int megabytes) {
    long long bytes = static_cast<long long>(megabytes) * 1048576LL;
    if (bytes < 0) return 0;
    if (bytes > INT_MAX) return INT_MAX;
    return static_cast<int>(bytes);
}

bool ReadToolRecord(CIniData& ini, int n, WindowsFamily family, ToolRecord& rec,
                    const KeyRead& heard) {
    auto text = [&](const char* key, const char* def) {
        if (heard) heard(key, KeyKind::Text);
        return std::string(ini.GetSectionIniString(key, def));
    };
    auto number = [&](const char* key, int def) {
        if (heard) heard(key, KeyKind::Number);
        return ini.GetSectionIniValue(key, def);
    };
    auto flag = [&](const char* key, int def) {
        if (heard) heard(key, KeyKind::Flag);
        return ini.GetSectionIniFlag(key, def);
    };

    ini.SetDefaultPid(n);
    char section[256];
    lstrcpynA(section, ini.GetSection(), sizeof section);
    rec.section = ini.GetSectionName(section, n) ? section : "";
    rec.name = text("Name", "?");
    rec.dir = text("Dir", rec.name.c_str());

    bool offered = true;
    switch (family) {
    case FamilyWin95: offered = number("Win95", 1) != 0; break;
    case FamilyWin98: offered = number("Win98", 1) != 0; break;
    case FamilyNT: offered = number("WinNT", 1) != 0; break;
    case FamilyUnknown: break;
    }

    rec.file = text("File", "");
    rec.setup = text("Setup", "Setup.exe");
    rec.command = text("Command", "");
    if (heard) heard("Title", KeyKind::Text);
    rec.title = ini.GetIniString("Title", n, "Setup");
    rec.languageGerman = text("Sprache_d", "1");
    rec.languageEnglish = text("Sprache_e", "0");
    rec.installPath = flag("Installpath", 1);
    rec.space = SpaceBytes(number("Space", 20));
    rec.delay = number("Delay", 10);
    rec.copyFiles = number("CopyFiles", 1);
    rec.restartWindows = rec.file.empty() ? 0 : flag("RestartWindows", 1);
    return offered;
}

bool ReadToolSelect(CIniData& ini, bool offered, bool selectAll, const KeyRead& heard) {
    if (heard) heard("Select", KeyKind::Flag);
    return ini.GetSectionIniFlag("Select", offered && selectAll ? 1 : 0) != 0;
}

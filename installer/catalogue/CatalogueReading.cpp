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

namespace {

// The keys of tool n's section. Read through the [Config] index, every key
// would look the section's name up again: a second read of the file per
// key, and each read opens the file anew. Read by the section's name once it
// is known, the same keys give the same values.
class ToolKeys {
public:
    ToolKeys(CIniData& ini, int n, const std::string& knownSection, const KeyRead& heard)
        : heard_(heard), byName_(ini), keys_(&ini) {
        ini.SetDefaultPid(n);
        char name[256];
        lstrcpynA(name, ini.GetSection(), sizeof name);
        if (!knownSection.empty()) {
            section = knownSection;
            named = true;
        } else if (ini.GetSectionName(name, n)) {
            section = name;
            named = true;
        }
        if (named && byName_.SetSection(section.c_str())) {
            byName_.SetDefaultPid(0);
            keys_ = &byName_;
        }
    }

    std::string Text(const char* key, const char* def) {
        if (heard_) heard_(key, KeyKind::Text);
        return std::string(keys_->GetSectionIniString(key, def));
    }
    int Number(const char* key, int def) {
        if (heard_) heard_(key, KeyKind::Number);
        return keys_->GetSectionIniValue(key, def);
    }
    int Flag(const char* key, int def) {
        if (heard_) heard_(key, KeyKind::Flag);
        return keys_->GetSectionIniFlag(key, def);
    }

    bool named = false;
    std::string section;

private:
    const KeyRead& heard_;
    CIniData byName_;
    CIniData* keys_;
};

}  // namespace

// GetNumberOfSections gives up on a list of this many keys.
const int kMaxListedTools = 999;

int ReadToolSections(CIniData& ini, std::vector<std::string>& sections) {
    sections.clear();
    for (int n = 1; n <= kMaxListedTools; ++n) {
        const std::string key = std::to_string(n);
        char name[256];
        lstrcpynA(name, ini.GetSection(), sizeof name);
        if (!ini.GetSectionName(name, n)) return n - 1;
        // An absent key reads as a section named after the key itself, as a
        // value of that number does, and an empty value as an empty name:
        // only then does the value itself decide whether the list goes on.
        if (key == name || !name[0]) {
            const char* value = ini.GetConfigIniString(key.c_str(), "");
            if (!value || !value[0]) return n - 1;
        }
        sections.push_back(name);
    }
    // As many keys as that make no valid list.
    sections.clear();
    return 0;
}

namespace {

bool ReadOffered(ToolKeys& keys, WindowsFamily family) {
    switch (family) {
    case FamilyWin95: return keys.Number("Win95", 1) != 0;
    case FamilyWin98: return keys.Number("Win98", 1) != 0;
    case FamilyNT: return keys.Number("WinNT", 1) != 0;
    case FamilyUnknown: break;
    }
    return true;
}

// Everything after the family's key.
void ReadRest(ToolKeys& keys, ToolRecord& rec) {
    rec.file = keys.Text("File", "");
    rec.setup = keys.Text("Setup", "Setup.exe");
    rec.command = keys.Text("Command", "");
    rec.title = keys.Text("Title", "Setup");
    rec.languageGerman = keys.Text("Sprache_d", "1");
    rec.languageEnglish = keys.Text("Sprache_e", "0");
    rec.installPath = keys.Flag("Installpath", 1);
    rec.space = SpaceBytes(keys.Number("Space", 20));
    rec.delay = keys.Number("Delay", 10);
    rec.copyFiles = keys.Number("CopyFiles", 1);
    rec.restartWindows = rec.file.empty() ? 0 : keys.Flag("RestartWindows", 1);
}

}  // namespace

bool ReadToolHeading(CIniData& ini, int n, WindowsFamily family, ToolRecord& rec,
                     const KeyRead& heard) {
    ToolKeys keys(ini, n, rec.section, heard);
    rec.section = keys.section;
    rec.name = keys.Text("Name", "?");
    return ReadOffered(keys, family);
}

void ReadToolDetails(CIniData& ini, int n, ToolRecord& rec, const KeyRead& heard) {
    ToolKeys keys(ini, n, rec.section, heard);
    rec.dir = keys.Text("Dir", rec.name.c_str());
    ReadRest(keys, rec);
}

bool ReadToolRecord(CIniData& ini, int n, WindowsFamily family, ToolRecord& rec,
                    const KeyRead& heard) {
    ToolKeys keys(ini, n, rec.section, heard);
    rec.section = keys.section;
    rec.name = keys.Text("Name", "?");
    rec.dir = keys.Text("Dir", rec.name.c_str());
    const bool offered = ReadOffered(keys, family);
    ReadRest(keys, rec);
    return offered;
}

bool ReadToolSelect(CIniData& ini, const ToolRecord& rec, bool offered, bool selectAll,
                    const KeyRead& heard) {
    ToolKeys keys(ini, ini.GetDefaultPid(), rec.section, heard);
    return keys.Flag("Select", offered && selectAll ? 1 : 0) != 0;
}

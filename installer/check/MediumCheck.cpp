#include "MediumCheck.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "CatalogueReading.h"
#include "FolderEntries.h"
#include "IniIndex.h"
#include "PathText.h"
#include "ProjectFiles.h"
#include "SetupPlan.h"
#include "Varnet01.h"

namespace {

const char kIniName[] = "KVTInstall.ini";
const int kMaxTools = 32;
// The longest path Windows 95 and NT 4 open: MAX_PATH with its NUL.
const size_t kMaxOpenPath = MAX_PATH - 1;
// Where the deepest targets lie: the drive the user picks adds nothing
// beyond "C:\", and these are the deepest usual Windows folders.
const char kDeepDrive[] = "C:\\";
const char kDeepWindows[] = "C:\\WINDOWS";
const char kDeepSystem[] = "C:\\WINDOWS\\SYSTEM32";
// Titles of windows every desktop of these Windows versions shows; a
// setup Title that begins them makes the supervision wait for good.
const char* const kCommonTitles[] = {"Program Manager", "Exploring - ", "My Computer",
                                     "Control Panel",   "Recycle Bin",  "Windows Explorer",
                                     "Printers",        "Network Neighborhood"};
// Shorter Titles match the beginning of too many unrelated windows.
const size_t kShortTitle = 4;

const struct {
    WindowsFamily family;
    const char* name;
} kFamilies[] = {{FamilyWin95, "Windows 95"}, {FamilyWin98, "Windows 98"}, {FamilyNT, "NT"}};

std::string Quote(const std::string& s) { return "`" + s + "`"; }

size_t EditDistance(const std::string& a, const std::string& b) {
    const std::string x = UpperAscii(a), y = UpperAscii(b);
    std::vector<size_t> row(y.size() + 1);
    for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= y.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[y.size()];
}

// The closest of `known` to `word` when it is close enough to be a typo.
std::string Closest(const std::string& word, const std::vector<std::string>& known) {
    std::string best;
    size_t bestDistance = 3;
    for (const std::string& k : known) {
        const size_t d = EditDistance(word, k);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

bool BeginsNoCase(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && EqualsNoCase(text.substr(0, start.size()), start);
}

std::string Megabytes(unsigned long long bytes) {
    return std::to_string((bytes + 1048575) / 1048576) + " MB";
}

struct KnownKey {
    std::string name;
    KeyKind kind;
};

class Checker {
public:
    Checker(const std::string& shown, const std::string& full, Findings& findings)
        : shownRoot_(shown), fullRoot_(full), out_(findings) {}

    int Run();

private:
    struct Tool {
        int number = 0;
        std::string sectionName;
        const IniSection* section = nullptr;
        ToolRecord record;
        SetupKind kind = SetupStandard;
        std::string folder;  // full path on the medium
        std::vector<KnownKey> keysRead;  // in the order the installer reads them
    };

    // The path as the user named it, for a full path below the medium.
    std::string Shown(const std::string& full) const {
        if (full.size() >= fullRoot_.size() && EqualsNoCase(full.substr(0, fullRoot_.size()), fullRoot_))
            return JoinPath(shownRoot_, full.substr(fullRoot_.size() + (full.size() > fullRoot_.size() && full[fullRoot_.size()] == '\\' ? 1 : 0)));
        return full;
    }
    std::string IniShown() const { return JoinPath(shownRoot_, kIniName); }
    void AtIni(int line, Severity s, const std::string& text) { out_.Add(IniShown(), line, s, text); }
    void At(const std::string& full, int line, Severity s, const std::string& text) {
        out_.Add(Shown(full), line, s, text);
    }
    int KeyLine(const Tool& t, const char* key) const {
        if (!t.section) return configLine_;
        const IniEntry* e = IniIndex::Entry(*t.section, key);
        return e ? e->line : t.section->line;
    }

    void CheckToolList(int count);
    void CheckConfig();
    // Keys the installer never reads, values longer than it keeps, numbers
    // that are none; `known` are the keys it reads, with how.
    void CheckEntries(const IniSection& section, const std::vector<KnownKey>& known,
                      const std::function<std::string(const char*)>& textOf,
                      const std::function<int(const char*)>& numberOf);
    void ReadTool(Tool& t);
    void CheckKeys(Tool& t);
    void CheckTitle(const Tool& t);
    void CheckSetup(const Tool& t);
    void CheckRegistryFile(const std::string& path);
    void CheckGroups(const Tool& t);
    void CheckPlacedFile(const Tool& t, const projectfiles::Placement& p, const std::string& name);

    std::string shownRoot_;
    std::string fullRoot_;
    Findings& out_;
    IniIndex index_;
    CIniData ini_;
    int configLine_ = 1;
    std::string deepProject_;
    std::set<std::string> placedChecked_;
};

int Checker::Run() {
    const std::string iniPath = JoinPath(fullRoot_, kIniName);
    if (!IsFolder(fullRoot_) || !index_.Load(iniPath)) {
        std::fprintf(stderr, "KVTCheck: %s cannot be read\n", IniShown().c_str());
        return CheckUnreadable;
    }
    ini_.SetIniFileName(iniPath.c_str());
    const IniSection* config = index_.Section("Config");
    if (config) configLine_ = config->line;

    const int count = ini_.GetNumberOfSections();
    CheckToolList(count);
    CheckConfig();
    if (count == 0) return CheckClean;

    // The deepest project folder: the fixed project, or the longest name
    // the install run accepts when the user may type one.
    const std::string project = ini_.GetConfigIniString(kConfigProject.name, "");
    if (!project.empty() && !ini_.GetConfigIniFlag(kConfigProjectEdit.name, 0))
        deepProject_ = project;
    else
        deepProject_.assign(kMaxProjectLength, 'P');

    // A section listed under several numbers reads the same each time: its
    // findings would only repeat.
    std::set<std::string> sectionsChecked;
    for (int n = 1; n <= count; ++n) {
        char buffer[256] = "Config";
        const char* name = ini_.GetSectionName(buffer, n);
        if (!sectionsChecked.insert(UpperAscii(name ? name : "")).second) continue;
        Tool t;
        t.number = n;
        ReadTool(t);
        CheckKeys(t);
        CheckTitle(t);
        CheckSetup(t);
        CheckGroups(t);
    }
    return CheckClean;
}

void Checker::CheckToolList(int count) {
    if (count == 0) {
        AtIni(configLine_, Severity::Error,
              "[Config] lists no tools from key 1 on: the installer stops with \"Wrong Definition "
              "of Tools in KVTInstall.ini!\"");
        return;
    }
    if (count > kMaxTools) {
        const IniSection* config = index_.Section("Config");
        const IniEntry* e = config ? IniIndex::Entry(*config, std::to_string(kMaxTools + 1)) : nullptr;
        AtIni(e ? e->line : configLine_, Severity::Error,
              std::to_string(count) + " tools: the installer allows 32 and stops with \"Too many "
              "Tools defined\"");
    }
    // Numbered keys past the first missing one are never read.
    const IniSection* config = index_.Section("Config");
    if (!config) return;
    for (const IniEntry& e : config->entries) {
        const std::string& k = e.key;
        if (k.empty() || k.find_first_not_of("0123456789") != std::string::npos) continue;
        const long number = std::strtol(k.c_str(), nullptr, 10);
        if (number > count + 1)
            AtIni(e.line, Severity::Warning,
                  "tool " + k + " is never read: the list stops at " + std::to_string(count) +
                      ", as key " + std::to_string(count + 1) + " is missing or empty");
    }
}

void Checker::ReadTool(Tool& t) {
    char buffer[256] = "Config";
    const char* name = ini_.GetSectionName(buffer, t.number);
    t.sectionName = name ? name : "";
    t.section = index_.Section(t.sectionName);
    const IniSection* config = index_.Section("Config");
    const IniEntry* listed = config ? IniIndex::Entry(*config, std::to_string(t.number)) : nullptr;
    if (!t.section)
        AtIni(listed ? listed->line : configLine_, Severity::Error,
              "section [" + t.sectionName + "] of tool " + std::to_string(t.number) +
                  " is missing: every key reads as its default (Name \"?\", Dir \"?\")");

    // Read once per family: the keys read are the union, the offers each.
    bool offeredSomewhere = false;
    for (const auto& f : kFamilies) {
        ToolRecord rec;
        const KeyRead heard = [&t](const char* key, KeyKind kind) {
            for (const KnownKey& k : t.keysRead)
                if (EqualsNoCase(k.name, key)) return;
            t.keysRead.push_back({key, kind});
        };
        const bool offered = ReadToolRecord(ini_, t.number, f.family, rec, heard);
        ReadToolSelect(ini_, rec, offered, false, heard);
        offeredSomewhere = offeredSomewhere || offered;
        t.record = rec;
    }
    t.kind = SetupKindOf(t.record.dir);
    t.folder = JoinPath(fullRoot_, t.record.dir);
    if (t.section && !offeredSomewhere)
        AtIni(t.section->line, Severity::Warning,
              "tool " + Quote(t.record.name) + " is offered on no Windows family (Win95, Win98 "
              "and WinNT are all 0)");
    if (t.section)
        AtIni(KeyLine(t, "Dir"), Severity::Note,
              "tool " + Quote(t.record.name) + ": Dir " + Quote(t.record.dir) + " selects the " +
                  SetupKindName(t.kind) + " setup kind");
}

void Checker::CheckEntries(const IniSection& section, const std::vector<KnownKey>& known,
                           const std::function<std::string(const char*)>& textOf,
                           const std::function<int(const char*)>& numberOf) {
    std::vector<std::string> names;
    for (const KnownKey& k : known) names.push_back(k.name);
    for (const IniEntry& e : section.entries) {
        // The numbered tool list has checks of its own.
        if (EqualsNoCase(section.name, "Config") && !e.key.empty() &&
            e.key.find_first_not_of("0123456789") == std::string::npos)
            continue;
        const KnownKey* k = nullptr;
        for (const KnownKey& candidate : known)
            if (EqualsNoCase(candidate.name, e.key)) k = &candidate;
        if (!k) {
            const std::string guess = Closest(e.key, names);
            AtIni(e.line, Severity::Warning,
                  "key " + Quote(e.key) + " is never read by the installer" +
                      (guess.empty() ? std::string() : "; did you mean " + Quote(guess) + "?"));
            continue;
        }
        // Only the first of keys written twice is read.
        if (IniIndex::Entry(section, e.key) != &e) continue;
        // What the access layer hands the installer, against what is written.
        const std::string got = textOf(e.key.c_str());
        if (got.size() < e.value.size()) {
            AtIni(e.line, Severity::Warning,
                  "value of " + std::to_string(e.value.size()) + " characters: the installer keeps the first " +
                      std::to_string(got.size()));
            continue;
        }
        if (k->kind == KeyKind::Text || e.value.empty()) continue;
        // Numbers, read as the installer reads them.
        const int value = numberOf(e.key.c_str());
        if (std::to_string(value) != e.value)
            AtIni(e.line, Severity::Warning,
                  Quote(e.value) + " is not a number: the installer reads " + k->name + " as " +
                      std::to_string(value));
    }
}

void Checker::CheckConfig() {
    const IniSection* config = index_.Section("Config");
    if (!config) return;
    std::vector<KnownKey> known;
    for (const ConfigKey* k : kConfigKeys) known.push_back({k->name, k->kind});
    CheckEntries(
        *config, known, [this](const char* key) { return std::string(ini_.GetConfigIniString(key, "")); },
        [this](const char* key) { return ini_.GetConfigIniValue(key, 0); });
}

void Checker::CheckKeys(Tool& t) {
    if (!t.section) return;
    const int n = t.number;
    CheckEntries(
        *t.section, t.keysRead, [this, n](const char* key) { return std::string(ini_.GetIniString(key, n, "")); },
        [this, n](const char* key) { return ini_.GetIniValue(key, n, 0); });
    for (const char* key : {"Space", "Delay"}) {
        const IniEntry* e = IniIndex::Entry(*t.section, key);
        if (!e || e->value.empty()) continue;
        const int value = ini_.GetIniValue(key, t.number, 0);
        if (std::to_string(value) != e->value) continue;  // told as no number
        if (EqualsNoCase(key, "Space") &&
            static_cast<long long>(SpaceBytes(value)) != static_cast<long long>(value) * 1048576LL)
            AtIni(e->line, Severity::Warning,
                  value < 0 ? "Space " + e->value + " is negative: no free space is required"
                            : "Space " + e->value + " MB is more than the record holds: it counts as " +
                                  std::to_string(SpaceBytes(value) / 1048576) + " MB");
        if (EqualsNoCase(key, "Delay") && value < 0)
            AtIni(e->line, Severity::Warning,
                  "Delay " + e->value + " is negative: the setup is looked for at once");
    }
}

void Checker::CheckTitle(const Tool& t) {
    // Only a tool that runs a setup is supervised.
    if (!t.section || (t.record.file.empty() && t.kind == SetupStandard)) return;
    const std::string& title = t.record.title;
    const int line = KeyLine(t, "Title");
    if (title.empty()) {
        AtIni(line, Severity::Warning,
              "empty Title: the setup is recognised by its process name " + Quote(t.record.setup) +
                  " only");
        return;
    }
    if (title.size() < kShortTitle) {
        AtIni(line, Severity::Warning,
              "Title " + Quote(title) + " is so short that the title of any window beginning with it "
              "counts as the setup");
        return;
    }
    for (const char* common : kCommonTitles)
        if (BeginsNoCase(common, title)) {
            AtIni(line, Severity::Warning,
                  "Title " + Quote(title) + " begins the title of " + Quote(common) +
                      ", which is always open: the supervision waits for good");
            return;
        }
}

void Checker::CheckSetup(const Tool& t) {
    if (!t.section) return;
    const ToolRecord& r = t.record;
    struct {
        const char* key;
        const std::string& value;
    } names[] = {{"Dir", r.dir}, {"Setup", r.setup}, {"File", r.file}};
    for (const auto& n : names)
        if (!StaysInsideFolder(n.value)) {
            AtIni(KeyLine(t, n.key), Severity::Error,
                  std::string(n.key) + " " + Quote(n.value) +
                      " leaves its folder: the installer refuses the tool");
            return;
        }

    // A standard tool without File only copies project files.
    const bool runsSetup = !r.file.empty() || t.kind != SetupStandard;
    if (!IsFolder(t.folder)) {
        AtIni(KeyLine(t, "Dir"), runsSetup ? Severity::Error : Severity::Warning,
              "tool folder " + Quote(Shown(t.folder)) + " is missing" +
                  (runsSetup ? ": the setup is not found" : ": nothing is installed"));
        return;
    }
    if (!runsSetup) return;

    const int setupLine = KeyLine(t, "Setup");
    if (r.copyFiles != 0) {
        const std::string staged = SetupToStage(t.folder, r.setup);
        if (staged.empty()) {
            AtIni(setupLine, Severity::Error,
                  "setup program " + Quote(r.setup) + " is not in " + Quote(Shown(t.folder)) +
                      (EndsWith(UpperAscii(r.setup), "SETUP.EXE") ? " (nor as SETUP.EX_)" : ""));
            return;
        }
        if (EndsWith(staged, "SETUP.EX_"))
            At(JoinPath(t.folder, staged.substr(staged.rfind('\\') + 1)), 1, Severity::Note, "staged as SETUP.EXE, the setup program " + Quote(r.setup));
    }
    if (HasOwnCommandLine(t.kind) || r.copyFiles == 0) {
        // Started from the medium by its name, without the staged rename.
        if (SetupToStart(t.folder, r.setup).empty()) {
            AtIni(setupLine, Severity::Error,
                  "setup program " + Quote(r.setup) + " is not in " + Quote(Shown(t.folder)) +
                      ": the " + SetupKindName(t.kind) + " setup kind looks for it there under this name");
            return;
        }
    }
    if (r.copyFiles == 0) return;

    const std::vector<StagedFile> plan = StagingPlan(t.folder, JoinPath(kDeepDrive, "Tarvo"), t.kind);
    unsigned long long total = 0;
    std::map<std::string, std::string> byListed;
    for (const StagedFile& f : plan) {
        const std::string source = JoinPath(f.src, f.found);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &data))
            total += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        const std::string key = UpperAscii(f.listed);
        auto seen = byListed.find(key);
        if (seen == byListed.end())
            byListed[key] = source;
        else
            // Told at the later name of the two, whatever order the folder lists.
            At(std::max(source, seen->second), 1, Severity::Warning,
               "staged under the same upper-cased name as " +
                   Quote(Shown(std::min(source, seen->second))) + ": only one of them arrives");
    }
    if (r.space > 0 && total > static_cast<unsigned long long>(r.space))
        AtIni(KeyLine(t, "Space"), Severity::Warning,
              "the staged setup files take " + Megabytes(total) + ", more than Space (" +
                  Megabytes(static_cast<unsigned long long>(r.space)) + ")");
}

void Checker::CheckRegistryFile(const std::string& path) {
    int lastLine = 0;
    bool lastContinues = false;
    const std::string shown = Shown(path);
    projectfiles::ImportRegFile(path, [&](const projectfiles::RegLineReport& l) {
        using projectfiles::RegLine;
        const bool continuation = lastContinues && l.line == lastLine + 1;
        lastLine = l.line;
        lastContinues = !l.text.empty() && l.text.back() == '\\';
        auto warn = [&](const std::string& text) { out_.Add(shown, l.line, Severity::Warning, text); };
        switch (l.what) {
        case RegLine::Key: return;
        case RegLine::Dword:
            if (l.digitsDropped) {
                char stored[16];
                std::snprintf(stored, sizeof stored, "%08lX", l.number);
                warn("dword of " + Quote(l.name) + " has more than 8 hexadecimal digits: the installer "
                     "keeps the last 8 and stores " + Quote(std::string("0x") + stored) + " (" +
                     std::to_string(l.number) + ")");
            }
            return;
        case RegLine::String:
            // A registry-editor export doubles every backslash; the parser
            // keeps both (a leading pair is a network path).
            if (l.value.find("\\\\", 1) != std::string::npos)
                warn("doubled backslashes are stored as written: " + Quote(l.name) + " = " +
                     Quote(l.value));
            return;
        case RegLine::NotKeyOrValue:
            if (continuation)
                warn("continues the line before, which the installer does not know: this line is "
                     "skipped");
            else if (l.text[0] == ';' || EqualsNoCase(l.text, "REGEDIT4") ||
                     BeginsNoCase(l.text, "Windows Registry Editor"))
                return;  // header and comments: skipped by design
            else if (l.text[0] == '@')
                warn("default value written with @ is skipped: write \"\"=\"...\" for the installer");
            else
                warn("neither a key nor a value: the line is skipped");
            return;
        case RegLine::NoKeyPath: warn("key line without a key below its root: skipped"); return;
        case RegLine::UnknownRoot:
            warn(l.root.size() && l.root[0] == '-'
                     ? "deletion line: nothing is deleted, and the values under it are not written"
                     : "root " + Quote(l.root) + " is refused: the values under it are not written");
            return;
        case RegLine::NoEquals: warn("value line without \"=\": skipped"); return;
        case RegLine::UnquotedName: warn("value name without its closing quote: skipped"); return;
        case RegLine::UnclosedText:
            warn(lastContinues ? "string continued with a trailing backslash: the installer knows no "
                                 "continuation and skips the value"
                               : "string value without its closing quote: skipped");
            return;
        case RegLine::NoType: warn("value neither a quoted string nor a typed value: skipped"); return;
        case RegLine::OtherType:
            warn(Quote(l.value + ":") + " value of " + Quote(l.name) +
                 " is ignored: only strings and dwords are stored" +
                 (lastContinues ? " (nor does the installer read its continuation lines)" : ""));
            return;
        case RegLine::NoNumber: warn("dword of " + Quote(l.name) + " without a hexadecimal number: nothing is stored"); return;
        case RegLine::NoKey: warn("value " + Quote(l.name) + " before any key with a known root: nothing is stored"); return;
        }
    });
}

void Checker::CheckPlacedFile(const Tool& t, const projectfiles::Placement& p, const std::string& name) {
    (void)t;
    if (!placedChecked_.insert(UpperAscii(p.sourcePath)).second) return;
    const std::string targetName = p.targetPath.substr(p.targetPath.rfind('\\') + 1);
    if (targetName != name)
        At(p.sourcePath, 1, Severity::Note,
           "copied as " + Quote(targetName) + (p.onlyIfAbsent ? ", and only where no file of that name is" : ""));
    if (p.movesDrives) {
        std::string letters;
        const int found = projectfiles::FindDriveLetters(p.sourcePath, letters);
        if (found == 0) {
            At(p.sourcePath, 1, Severity::Warning,
               "marked with _~_ but holds no drive path (X:\\tarvo\\): no drive letter moves");
        } else if (found > 0) {
            std::map<char, int> counts;
            for (char c : letters) ++counts[c];
            std::string list;
            for (const auto& c : counts)
                list += (list.empty() ? "" : ", ") + std::string(1, c.first) + ": (" + std::to_string(c.second) + ")";
            At(p.sourcePath, 1, Severity::Note, "drive letters moved to the target drive: " + list);
        }
    }
    if (p.rewritten) {
        projectfiles::FindUnknownPlaceholders(p.sourcePath, [&](int line, const std::string& word) {
            const std::string guess = Closest(word, projectfiles::Placeholders());
            At(p.sourcePath, line, Severity::Warning,
               "placeholder " + Quote(word) + " is not known and stays as written" +
                   (guess.empty() ? std::string() : "; did you mean " + Quote(guess) + "?"));
        });
    }
}

void Checker::CheckGroups(const Tool& t) {
    if (!t.section || !IsFolder(t.folder)) return;

    // Registry files, where the job applies them: after the setup, so a
    // tool that only copies project files never applies them.
    const bool runsSetup = !t.record.file.empty() || t.kind != SetupStandard;
    const std::string base = JoinPath(t.folder, t.record.dir);
    for (const char* suffix : {".REG", "_V.REG", "NT.REG"})
        if (!runsSetup && PathExists(base + suffix))
            At(base + suffix, 1, Severity::Warning,
               "never applied: the tool has no File and runs no setup, so it only copies project files");
    for (const char* suffix : {".REG", "_V.REG"})
        if (runsSetup && PathExists(base + suffix)) CheckRegistryFile(base + suffix);
    if (runsSetup && PathExists(base + "NT.REG"))
        At(base + "NT.REG", 1, Severity::Note,
           "applied by the registry editor, on the NT family only; the installer's own parser "
           "does not read it");

    // Staged setup files are rewritten as well.
    if (runsSetup && t.record.copyFiles != 0) {
        projectfiles::Context staging;
        staging.naming = projectfiles::Naming::SetupFiles;
        for (const StagedFile& f : StagingPlan(t.folder, JoinPath(kDeepDrive, "Tarvo"), t.kind)) {
            const projectfiles::Placement p = projectfiles::PlanPlacement(staging, f.name, f.dest, f.src);
            if (p.rewritten) CheckPlacedFile(t, p, f.name);
        }
    }

    const std::string toolTarget = std::string(kDeepDrive) + "Tarvo\\" +
                                   (t.record.installPath ? deepProject_ + "\\" : std::string()) +
                                   t.record.dir;
    std::set<std::string> treesSeen;
    std::map<std::string, std::vector<std::string>> treesOfGroup;
    std::map<std::string, size_t> longest;  // source -> longest target
    std::map<std::string, std::string> longestPath;
    std::set<std::string> collisionsTold;
    for (const GroupFolder& g : GroupFolders(t.kind, toolTarget, deepProject_, kDeepWindows, kDeepSystem)) {
        for (const auto& f : kFamilies) {
            for (Language language : {LanguageEnglish, LanguageGerman}) {
                projectfiles::Context c;
                c.sourceFolder = t.folder;
                c.targetFolder = g.folder;
                c.naming = projectfiles::Naming::ProjectFiles;
                c.language = language;
                c.family = f.family;
                c.reportOnly = true;
                std::map<std::string, std::string> targets;  // within one tree
                c.treeFound = [&](const std::string& root) {
                    targets.clear();
                    const std::string rel = root.substr(t.folder.size() + 1);
                    if (treesSeen.insert(UpperAscii(rel)).second) treesOfGroup[g.group].push_back(rel);
                };
                projectfiles::CopyFileGroup(c, g.group, [&](const std::string& name, const std::string& dest,
                                                            const std::string& src) {
                    const projectfiles::Placement p = projectfiles::PlanPlacement(c, name, dest, src);
                    const std::string key = UpperAscii(p.targetPath);
                    auto seen = targets.find(key);
                    if (seen == targets.end()) {
                        targets[key] = p.sourcePath;
                    } else if (seen->second != p.sourcePath &&
                               collisionsTold.insert(UpperAscii(std::max(seen->second, p.sourcePath))).second) {
                        At(std::max(seen->second, p.sourcePath), 1, Severity::Warning,
                           "lands on the same name as " + Quote(Shown(std::min(seen->second, p.sourcePath))) +
                               " once upper-cased: which one stays depends on the order the folder lists");
                    }
                    const std::string srcKey = UpperAscii(p.sourcePath);
                    if (p.targetPath.size() > longest[srcKey]) {
                        longest[srcKey] = p.targetPath.size();
                        longestPath[srcKey] = p.sourcePath;
                    }
                    CheckPlacedFile(t, p, name);
                    return 1;
                });
            }
        }
    }
    for (const auto& g : treesOfGroup) {
        std::string list;
        for (const std::string& rel : g.second) list += (list.empty() ? "" : ", ") + rel;
        At(t.folder, 1, Severity::Note, "group " + g.first + " copies " + list);
    }
    for (const auto& l : longest)
        if (l.second > kMaxOpenPath)
            At(longestPath[l.first], 1, Severity::Warning,
               "installed under a path of up to " + std::to_string(l.second) +
                   " characters: Windows 95 and NT 4 open at most " + std::to_string(kMaxOpenPath));

    // Folders named like a group tree that no family or language reads.
    const std::vector<std::string> staged = StagedSubfolders(t.kind);
    for (FolderEntries e(t.folder); e.Next();) {
        if (!e.isFolder()) continue;
        const std::string name = e.name();
        if (treesSeen.count(UpperAscii(name))) continue;
        bool isStaged = false;
        for (const std::string& s : staged) isStaged = isStaged || EqualsNoCase(s, name);
        if (isStaged || UpperAscii(name).find("FILES") == std::string::npos) continue;
        At(JoinPath(t.folder, name), 1, Severity::Warning,
           "folder " + Quote(name) + " looks like a file group's variant or overlay but is none: "
           "it is never copied");
    }
}

}  // namespace

int CheckMedium(const std::string& folder, Findings& findings) {
    std::string shown = folder;
    for (char& c : shown)
        if (c == '/') c = '\\';
    while (shown.size() > 1 && shown.back() == '\\' && shown[shown.size() - 2] != ':') shown.pop_back();
    char full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(shown.c_str(), sizeof full, full, NULL);
    if (n == 0 || n >= sizeof full) return CheckUnreadable;
    std::string fullRoot = full;
    while (fullRoot.size() > 3 && fullRoot.back() == '\\') fullRoot.pop_back();
    Checker checker(shown, fullRoot, findings);
    return checker.Run();
}

#include "SetupPlan.h"

#include "FolderEntries.h"
#include "PathText.h"

namespace {

const struct {
    const char* keyword;
    SetupKind kind;
} kKinds[] = {
    {"Ulvan", SetupUlvan},     {"Qev", SetupQev},       {"Trakset", SetupTrakset},
    {"Lapvue", SetupLapvue},   {"Components", SetupComponents},
};

}  // namespace

SetupKind SetupKindOf(const std::string& dir) {
    for (const auto& k : kKinds)
        if (EqualsNoCase(dir, k.keyword)) return k.kind;
    return SetupStandard;
}

const char* SetupKindName(SetupKind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind) return k.keyword;
    return "standard";
}

bool HasOwnCommandLine(SetupKind kind) {
    return kind == SetupQev || kind == SetupTrakset || kind == SetupLapvue ||
           kind == SetupComponents;
}

std::vector<std::string> StagedSubfolders(SetupKind kind) {
    if (kind == SetupUlvan) return {"W2KSUP", "Manuals"};
    return {};
}

std::string SetupToStage(const std::string& folder, const std::string& setup) {
    std::string path = UpperAscii(JoinPath(folder, setup));
    if (!PathExists(path) && EndsWith(path, "SETUP.EXE")) path.back() = '_';
    return PathExists(path) ? path : std::string();
}

std::string SetupToStart(const std::string& folder, const std::string& setup) {
    const std::string path = UpperAscii(JoinPath(folder, setup));
    return PathExists(path) ? path : std::string();
}

namespace {

unsigned long long EntrySize(const FolderEntries& entries) {
    return (static_cast<unsigned long long>(entries.entry().nFileSizeHigh) << 32) |
           entries.entry().nFileSizeLow;
}

}  // namespace

std::vector<StagedFile> StagingPlan(const std::string& setupSourceFolder,
                                    const std::string& targetFolder, SetupKind kind) {
    std::vector<StagedFile> copies;
    for (FolderEntries entries(setupSourceFolder); entries.Next();) {
        if (entries.isFolder()) continue;
        std::string name = UpperAscii(entries.name());
        if (name == "_ISDEL.EXE") continue;
        // InstallFile stores "SETUP.EX_" as "SETUP.EXE"; the list names
        // what is on disk.
        std::string onDisk = name;
        if (EndsWith(onDisk, "SETUP.EX_")) onDisk.back() = 'E';
        copies.push_back({name, entries.name(), targetFolder, setupSourceFolder,
                          JoinPath(targetFolder, onDisk), EntrySize(entries)});
    }
    for (const std::string& sub : StagedSubfolders(kind)) {
        const std::string dest = JoinPath(targetFolder, sub);
        const std::string src = JoinPath(setupSourceFolder, sub);
        for (FolderEntries entries(src); entries.Next();) {
            if (entries.isFolder()) continue;
            copies.push_back({UpperAscii(entries.name()), entries.name(), dest, src,
                              JoinPath(dest, entries.name()), EntrySize(entries)});
        }
    }
    return copies;
}

std::vector<GroupFolder> GroupFolders(SetupKind kind, const std::string& toolTarget,
                                      const std::string& projectName,
                                      const std::string& windowsFolder,
                                      const std::string& systemFolder) {
    const std::string toolFolder = kind == SetupUlvan ? toolTarget + "2.1" : toolTarget;
    const std::string tarvo = toolFolder.substr(0, 3) + "Tarvo";
    // Without a known folder the group would land in the current drive's
    // root: it is left out instead.
    return {{"APP", toolFolder},
            {"Tarvo", tarvo},
            {"Projekt", JoinPath(tarvo, projectName)},
            {"Win", windowsFolder},
            {"WinSys", systemFolder}};
}

// What a tool's setup kind makes of the medium, as the install job decides
// it: the kind its Dir selects, where the setup program is looked for, the
// files staging copies, and the folder each project file group goes to.
// The job acts on these; a checker of the medium asks the same questions
// without installing anything.
#pragma once
#include "InstallTypes.h"

#include <string>
#include <vector>

// The kind the Dir keyword selects (compared without regard to case).
SetupKind SetupKindOf(const std::string& dir);
// A short name of the kind: "standard", "Ulvan", "Qev", ...
const char* SetupKindName(SetupKind kind);
// Qev, Trakset, Lapvue and Components: a command line of their own and a
// setup that must exist on the medium when it is started.
bool HasOwnCommandLine(SetupKind kind);
// Folders below the setup folder that the kind stages as well.
std::vector<std::string> StagedSubfolders(SetupKind kind);

// Phase 1: the setup program staging looks for in `folder`, upper-cased,
// a missing "SETUP.EXE" found as "SETUP.EX_"; empty when there is none.
std::string SetupToStage(const std::string& folder, const std::string& setup);
// Phase 2 of the kinds with their own command line: the program looked for
// in `folder`, upper-cased and without that fallback; empty when missing.
std::string SetupToStart(const std::string& folder, const std::string& setup);

// One file staging copies into the target folder.
struct StagedFile {
    std::string name;    // as InstallFile is given it (upper-cased)
    std::string found;   // as the folder lists it
    std::string dest;    // folder it goes to
    std::string src;     // folder it comes from
    std::string listed;  // the staging list's line: the path of the copy
    unsigned long long size;  // on the medium
};
// Every file of the setup folder (not "_ISDEL.EXE"), then those of the
// kind's subfolders, in the order the file system lists them.
std::vector<StagedFile> StagingPlan(const std::string& setupSourceFolder,
                                    const std::string& targetFolder, SetupKind kind);

// A project file group and the folder it is copied into.
struct GroupFolder {
    const char* group;
    std::string folder;  // empty: the group is left out
};
// The groups of phase 5 in their order: APP into the tool's folder (with
// "2.1" for Ulvan), Tarvo into the drive's "Tarvo" folder, Projekt into the
// project's folder below it, Win and WinSys into the machine's folders.
std::vector<GroupFolder> GroupFolders(SetupKind kind, const std::string& toolTarget,
                                      const std::string& projectName,
                                      const std::string& windowsFolder,
                                      const std::string& systemFolder);

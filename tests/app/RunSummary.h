// What an install run left behind, for the summary of scripts/run.sh: file
// and registry snapshots taken before and after, their differences, and the
// Unix path of a Windows path inside the Wine prefix.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace runsummary {

struct FileState {
    unsigned long long size = 0;
    unsigned long long written = 0;  // last-write time
};
// Every file below a folder, by upper-cased full path; the path as found is
// kept beside its state.
using FileSnapshot = std::map<std::string, std::pair<std::string, FileState>>;

// The files of `root` and of all its subfolders; empty when it is missing.
FileSnapshot SnapshotTree(const std::string& root);
// Full paths of the files in `after` that `before` lacks or that differ in
// size or write time, sorted.
std::vector<std::string> NewOrChanged(const FileSnapshot& before, const FileSnapshot& after);
// Full paths of every file below `folder`, sorted.
std::vector<std::string> FilesBelow(const std::string& folder);

// Values below a registry key and its subkeys: "<key path>\0<value name>"
// to the value as text ("text" in quotes, dword:0000001f, or the type and
// size of anything else).
using RegSnapshot = std::map<std::string, std::string>;
// `view` is 0 or KEY_WOW64_64KEY / KEY_WOW64_32KEY; a missing key gives
// an empty snapshot.
RegSnapshot SnapshotRegistry(HKEY root, const std::string& key, REGSAM view);
// One line per value that is new or changed in `after`:
// "<root name>\<key path>: <name> = <value>", the unnamed value as "@".
std::vector<std::string> NewOrChangedValues(const RegSnapshot& before, const RegSnapshot& after,
                                            const std::string& rootName);
// Deletes a key with all its subkeys; true when it is gone afterwards.
bool DeleteKeyTree(HKEY root, const std::string& key, REGSAM view);

// Where a Windows path lies in the prefix: "C:\Tarvo\x" is "drive_c/Tarvo/x".
// A 32-bit program under WoW64 sees the 32-bit system folder under the name
// of the 64-bit one: paths below `systemFolder` then go to `wow64Folder`
// (leave it empty when there is no redirection).
struct PathMap {
    std::string systemFolder;
    std::string wow64Folder;
};
std::string UnixPath(const std::string& windowsPath, const PathMap& map);
// The map of this process.
PathMap CurrentPathMap();
// The Windows folder (kind 0) or the system folder (kind 1), as this
// process sees them.
std::string WindowsFolder(int kind);
// True when `path` is `folder` or lies below it (case ignored).
bool IsBelow(const std::string& path, const std::string& folder);

}  // namespace runsummary

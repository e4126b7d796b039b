// The backup copy of an installation folder: the whole tree, without the
// files whose path carries an excluded extension.
#pragma once
#include <windows.h>

#include <atomic>
#include <ctime>
#include <string>

// Copies the tree under `source` into the new folder `destination` (its
// parent must exist; an existing folder fails). Every "." in `exclusions`
// starts a four-character mark (".bin" in "*.bin, *.tmp"); a file whose full
// source path contains a mark, in any place and of the same case, is left
// out, while folders are always made. Names beginning with "." are passed
// over. `abort` is polled before each entry. Returns 0, or the system's code
// of the first failure (ERROR_OPERATION_ABORTED when `abort` stopped it).
DWORD CopyTree(const std::string& source, const std::string& destination,
               const std::string& exclusions, const std::atomic<unsigned char>& abort);

// What every backup leaves out.
extern const char kBackupExclusions[];

// The copy a backup runs: CopyTree, unless a caller puts another in its place.
typedef DWORD (*CopyTreeRoutine)(const std::string& source, const std::string& destination,
                                 const std::string& exclusions,
                                 const std::atomic<unsigned char>& abort);

// The backup folder of `source` for the local time `when`:
// source + "_backup_" + "%y%m%d_%H%M%S".
std::string BackupFolderName(const std::string& source, const std::tm& when);

#include "BackupCopy.h"

#include "FolderEntries.h"

#include <cstring>
#include <vector>

namespace {

// The failure code of the call that just failed; never 0, so a failure
// cannot pass for success.
DWORD LastFailure() {
    const DWORD code = GetLastError();
    return code ? code : ERROR_GEN_FAILURE;
}

std::vector<std::string> Marks(const std::string& exclusions) {
    std::vector<std::string> marks;
    for (std::size_t dot = exclusions.find('.'); dot != std::string::npos;
         dot = exclusions.find('.', dot + 1))
        marks.push_back(exclusions.substr(dot, 4));
    return marks;
}

DWORD CopyLevel(const std::string& source, const std::string& destination,
                const std::vector<std::string>& marks, const std::atomic<unsigned char>& abort) {
    if (!CreateDirectoryA(destination.c_str(), NULL)) return LastFailure();
    FolderEntries entries(source);
    if (!entries.started()) return 0;
    // Polled once the folder is listed and before every entry.
    const auto aborted = [&abort] {
        if (!abort.load()) return false;
        SetLastError(ERROR_OPERATION_ABORTED);
        return true;
    };
    if (aborted()) return ERROR_OPERATION_ABORTED;
    while (entries.Next()) {
        if (aborted()) return ERROR_OPERATION_ABORTED;
        const WIN32_FIND_DATAA& e = entries.entry();
        if (e.cFileName[0] == '.') continue;
        const std::string from = source + "\\" + e.cFileName;
        const std::string to = destination + "\\" + e.cFileName;
        if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // The sub-copy's own code: the thread's last error may have been
            // overwritten (even to 0) by the time it returns.
            const DWORD result = CopyLevel(from, to, marks, abort);
            if (result) return result;
            continue;
        }
        bool excluded = false;
        for (const std::string& mark : marks)
            if (from.find(mark) != std::string::npos) excluded = true;
        if (excluded) continue;
        if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return LastFailure();
    }
    const DWORD end = entries.endCode();
    return end == ERROR_NO_MORE_FILES ? 0 : (end ? end : ERROR_GEN_FAILURE);
}

}  // namespace

const char kBackupExclusions[] = "*.bin, *.tmp";

DWORD CopyTree(const std::string& source, const std::string& destination,
               const std::string& exclusions, const std::atomic<unsigned char>& abort) {
    return CopyLevel(source, destination, Marks(exclusions), abort);
}

std::string BackupFolderName(const std::string& source, const std::tm& when) {
    char stamp[32];
    if (!std::strftime(stamp, sizeof stamp, "%y%m%d_%H%M%S", &when)) stamp[0] = '\0';
    return source + "_backup_" + stamp;
}

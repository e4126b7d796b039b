#include "FolderEntries.h"

#include <string.h>

#include "PathText.h"

namespace {

bool IsDotEntry(const char* name) {
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

}  // namespace

FolderEntries::FolderEntries(const std::string& folder)
    : find_(FindFirstFileA(JoinPath(folder, "*.*").c_str(), &data_)), started_(find_.valid()) {
    if (!started_) end_ = GetLastError();
}

bool FolderEntries::Next() {
    if (!find_) return false;
    for (;;) {
        if (first_) {
            first_ = false;
        } else if (!FindNextFileA(find_.get(), &data_)) {
            end_ = GetLastError();
            find_.reset();
            return false;
        }
        if (!IsDotEntry(data_.cFileName)) return true;
    }
}

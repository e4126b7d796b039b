// The entries of one folder, in the order the file system lists them,
// without "." and "..". Every folder walk of the installer goes through it.
#pragma once
#include <windows.h>

#include <string>

#include "WinHandles.h"

class FolderEntries {
public:
    // Lists JoinPath(folder, "*.*").
    explicit FolderEntries(const std::string& folder);
    FolderEntries(const FolderEntries&) = delete;
    FolderEntries& operator=(const FolderEntries&) = delete;

    // The folder could be listed at all.
    bool started() const { return started_; }
    // Moves to the next entry; false once there is none. The first call
    // yields the first entry.
    bool Next();
    // The system's code that ended the listing: ERROR_NO_MORE_FILES when
    // every entry was seen.
    DWORD endCode() const { return end_; }

    const WIN32_FIND_DATAA& entry() const { return data_; }
    const char* name() const { return data_.cFileName; }
    bool isFolder() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

private:
    WIN32_FIND_DATAA data_;
    win::FindHandle find_;
    bool started_;
    bool first_ = true;
    DWORD end_ = 0;
};

// File access shared by the project-file operations: opening with the
// sharing a CD-ROM source and a freshly placed target need, and text read
// by lines of any length.
#pragma once
#include "WinHandles.h"

#include <string>
#include <vector>

namespace projectfiles {

// Existing file for reading; others may read it too.
win::File OpenForRead(const std::string& path);
// Target for writing: created, or an existing one emptied. Opened rather
// than re-created so that a hidden target can be replaced like any other;
// a read-only target or a folder of that name fails.
win::File CreateForWrite(const std::string& path);
// Whether the file at `path` may be replaced: absent, or an ordinary file
// that is not read-only and that nobody else has open. `attributes` gets
// the existing file's attributes (0 when absent). False sets GetLastError.
bool MayReplace(const std::string& path, DWORD* attributes);
// A new empty file in the folder of `path`, named so that no other writer
// picks it; empty when none can be made there.
std::string CreateBesideFile(const std::string& path);
// Returns 0 with `error` as the thread's last error: a failure's cleanup
// must not hide why it failed.
int FailWith(DWORD error);
// True for a file marked read-only (or whose attributes cannot be read).
// Windows refuses to open such a file for writing; Wine lets a privileged
// user do it, so writers check for themselves once they have it open.
bool IsReadOnly(const std::string& path);
// Writes all of `size` bytes; false on any short write (a short write that
// Windows calls a success is a full disk).
bool WriteAll(HANDLE file, const char* data, size_t size);

// Lines of a file read as 8-bit text: a line ends at a line feed, and a
// carriage return in front of it (or at the very end of the file) belongs to
// the line end. A last line without a line end still counts; an empty file
// has no lines.
class LineReader {
public:
    explicit LineReader(HANDLE file);
    bool Next(std::string& line);

private:
    bool Fill();
    HANDLE file_;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
};

}  // namespace projectfiles

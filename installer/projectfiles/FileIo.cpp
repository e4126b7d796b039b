#include "FileIo.h"

#include <string.h>

namespace projectfiles {

namespace {
const size_t kLineChunk = 64 * 1024;
}

// Shares reading and writing as the C runtime's fopen does: a source that
// another program keeps open for writing can still be read.
win::File OpenForRead(const std::string& path) {
    return win::File(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL));
}

// The attributes are read by name, not with GetFileInformationByHandle:
// that also asks for the volume's serial number, which under Wine costs
// more than creating the file and writing it.
bool IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY);
}

win::File CreateForWrite(const std::string& path) {
    // Not shared: a target that is open elsewhere, the source of this very
    // copy included, is refused instead of being emptied under its reader.
    SetLastError(NO_ERROR);
    win::File f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL));
    if (!f) return f;
    // Windows refuses to write a read-only file; a file system that lets a
    // privileged user open one anyway must not make us overwrite it. A file
    // made just now is neither read-only nor has it any content to drop.
    if (GetLastError() == ERROR_ALREADY_EXISTS && IsReadOnly(path)) {
        f.reset();
        SetLastError(ERROR_ACCESS_DENIED);
    } else if (!SetEndOfFile(f.get())) {
        f.reset();
    }
    return f;
}

bool MayReplace(const std::string& path, DWORD* attributes) {
    *attributes = 0;
    // Opened as CreateForWrite would, so the same targets are refused.
    win::File f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL));
    if (!f) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const DWORD found = GetFileAttributesA(path.c_str());
    if (found == INVALID_FILE_ATTRIBUTES || (found & FILE_ATTRIBUTE_READONLY)) {
        f.reset();
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    *attributes = found;
    return true;
}

std::string CreateBesideFile(const std::string& path) {
    const size_t slash = path.rfind('\\');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "kvt", 0, name)) return std::string();
    return name;
}

int FailWith(DWORD error) {
    SetLastError(error);
    return 0;
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, part, &written, NULL)) return false;
        if (written != part) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data += part;
        size -= part;
    }
    return true;
}

LineReader::LineReader(HANDLE file) : file_(file), buffer_(kLineChunk) {}

bool LineReader::Fill() {
    if (eof_) return false;
    DWORD got = 0;
    // A read error ends the text like the end of the file does.
    if (!ReadFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, NULL) ||
        got == 0) {
        eof_ = true;
        return false;
    }
    pos_ = 0;
    end_ = got;
    return true;
}

bool LineReader::Next(std::string& line) {
    line.clear();
    for (;;) {
        if (pos_ == end_ && !Fill()) break;
        const char* start = buffer_.data() + pos_;
        const char* lf = static_cast<const char*>(memchr(start, '\n', end_ - pos_));
        if (lf) {
            line.append(start, lf - start);
            pos_ += (lf - start) + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        line.append(start, end_ - pos_);
        pos_ = end_;
    }
    if (line.empty()) return false;
    if (line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace projectfiles

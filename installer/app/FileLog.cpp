#include "FileLog.h"

#include <windows.h>

#include <cstdio>

FileLog::FileLog(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL)) {}

void FileLog::Line(const std::string& text) {
    if (!file_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::string line = stamp + text;
    // One event, one line: a message's own line breaks become blanks.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    line += "\r\n";
    // Another run may have appended since: always at the end.
    SetFilePointer(file_.get(), 0, NULL, FILE_END);
    DWORD written = 0;
    WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, NULL);
}

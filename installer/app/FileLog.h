// The install log as a file: opened for appending, one line per event with
// the local time in front, CR LF line ends, code page 1252 as the texts are.
// Each line is written at once, so a log ends where a run stopped.
#pragma once
#include <string>

#include "RunLog.h"
#include "WinHandles.h"

class FileLog : public RunLog {
public:
    // A file that cannot be opened leaves a log that writes nothing: the run
    // goes on without one.
    explicit FileLog(const std::string& path);
    bool opened() const { return static_cast<bool>(file_); }
    void Line(const std::string& text) override;

private:
    win::File file_;
};

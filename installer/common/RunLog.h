// The install log's one entrance. The program hands a log to the install run,
// which gives it to every job and file operation; none of them writes a file
// of its own for it. A null log means none was asked for: callers test the
// pointer before they build a line, so a run without a log does no more work
// than before.
#pragma once
#include <string>

class RunLog {
public:
    // One event, without time stamp or line end (the log adds both).
    virtual void Line(const std::string& text) = 0;

protected:
    ~RunLog() = default;
};

// "1 file", "2 files": a count with its noun.
std::string Counted(unsigned long long count, const char* noun);
// "1,234,567": byte counts in the log.
std::string GroupedNumber(unsigned long long value);
// "error 5 (Access is denied.)": a Windows error code with the system's
// text for it, when it has one.
std::string WindowsErrorText(unsigned long code);

// The checker's findings, printed the way Windows compilers print theirs so
// that an editor can jump to the place: "<path>(<line>): <severity>: <text>".
#pragma once
#include <string>

enum class Severity { Error, Warning, Note };

class Findings {
public:
    // A finding about a whole file or folder points at its line 1.
    void Add(const std::string& path, int line, Severity severity, const std::string& text);
    int errors() const { return errors_; }
    int warnings() const { return warnings_; }
    // "N errors, M warnings".
    std::string Summary() const;

private:
    int errors_ = 0;
    int warnings_ = 0;
};

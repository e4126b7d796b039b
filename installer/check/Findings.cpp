#include "Findings.h"

#include <cstdio>

void Findings::Add(const std::string& path, int line, Severity severity, const std::string& text) {
    const char* word = "note";
    if (severity == Severity::Error) {
        word = "error";
        ++errors_;
    } else if (severity == Severity::Warning) {
        word = "warning";
        ++warnings_;
    }
    std::printf("%s(%d): %s: %s\n", path.c_str(), line < 1 ? 1 : line, word, text.c_str());
    std::fflush(stdout);
}

std::string Findings::Summary() const {
    return std::to_string(errors_) + (errors_ == 1 ? " error, " : " errors, ") +
           std::to_string(warnings_) + (warnings_ == 1 ? " warning" : " warnings");
}

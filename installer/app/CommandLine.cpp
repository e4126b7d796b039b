#include "CommandLine.h"

#include <vector>

const char kCommandLineUsage[] =
    "KVTInstall [/RECORD=<answer file>] [/UNATTENDED=<answer file> [/RESTART]] [/LOG=<log file>]";

namespace {

// Splits at blanks outside double quotes; the quotes themselves are dropped,
// so /LOG="C:\My Logs\a.log" and "/LOG=C:\My Logs\a.log" are the same.
std::vector<std::string> Tokens(const char* text) {
    std::vector<std::string> tokens;
    std::string current;
    bool quoted = false, any = false;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (*p == ' ' || *p == '\t')) {
            if (any) tokens.push_back(current);
            current.clear();
            any = false;
        } else {
            current += *p;
            any = true;
        }
    }
    if (any) tokens.push_back(current);
    return tokens;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

bool ParseCommandLine(const char* text, CommandLine& out, std::string& error) {
    out = CommandLine();
    error.clear();
    // Every usable switch is taken even after an error, so that the caller
    // knows whether the run was meant to be unattended and where it logs.
    auto fail = [&error](const std::string& text) {
        if (error.empty()) error = text;
    };
    bool restartSeen = false;
    for (const std::string& token : Tokens(text)) {
        if (token.size() < 2 || token[0] != '/') {
            fail("Unknown argument: " + token);
            continue;
        }
        const size_t eq = token.find('=');
        const std::string name = Upper(token.substr(1, eq == std::string::npos ? std::string::npos : eq - 1));
        const bool hasValue = eq != std::string::npos;
        const std::string value = hasValue ? token.substr(eq + 1) : std::string();
        std::string* slot = name == "RECORD" ? &out.record
                            : name == "UNATTENDED" ? &out.unattended
                            : name == "LOG" ? &out.log
                                            : nullptr;
        if (slot == &out.unattended) out.unattendedAsked = true;
        if (slot) {
            if (value.empty()) {
                fail("/" + name + " needs a file: /" + name + "=<file>");
                continue;
            }
            if (!slot->empty()) {
                fail("/" + name + " is given twice");
                continue;
            }
            *slot = value;
        } else if (name == "RESTART") {
            if (hasValue) {
                fail("/RESTART takes no value");
                continue;
            }
            if (restartSeen) {
                fail("/RESTART is given twice");
                continue;
            }
            restartSeen = out.restart = true;
        } else {
            fail("Unknown switch: " + token);
        }
    }
    if (!out.record.empty() && !out.unattended.empty())
        fail("/RECORD and /UNATTENDED cannot be used together");
    if (out.restart && out.unattended.empty()) fail("/RESTART is only for /UNATTENDED");
    return error.empty();
}

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
    bool restartSeen = false;
    for (const std::string& token : Tokens(text)) {
        if (token.size() < 2 || token[0] != '/') {
            error = "Unknown argument: " + token;
            return false;
        }
        const size_t eq = token.find('=');
        const std::string name = Upper(token.substr(1, eq == std::string::npos ? std::string::npos : eq - 1));
        const bool hasValue = eq != std::string::npos;
        const std::string value = hasValue ? token.substr(eq + 1) : std::string();
        std::string* slot = name == "RECORD" ? &out.record
                            : name == "UNATTENDED" ? &out.unattended
                            : name == "LOG" ? &out.log
                                            : nullptr;
        if (slot) {
            if (value.empty()) {
                error = "/" + name + " needs a file: /" + name + "=<file>";
                return false;
            }
            if (!slot->empty()) {
                error = "/" + name + " is given twice";
                return false;
            }
            *slot = value;
        } else if (name == "RESTART") {
            if (hasValue) {
                error = "/RESTART takes no value";
                return false;
            }
            if (restartSeen) {
                error = "/RESTART is given twice";
                return false;
            }
            restartSeen = out.restart = true;
        } else {
            error = "Unknown switch: " + token;
            return false;
        }
    }
    if (!out.record.empty() && !out.unattended.empty()) {
        error = "/RECORD and /UNATTENDED cannot be used together";
        return false;
    }
    if (out.restart && out.unattended.empty()) {
        error = "/RESTART is only for /UNATTENDED";
        return false;
    }
    return true;
}

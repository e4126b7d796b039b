#include "AnswerFile.h"

#include <windows.h>

#include <stdlib.h>

namespace {

const char kSection[] = "Answers";

// The profile functions look for a bare file name in the Windows folder:
// the answer file is always named by its full path.
std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    char* name = NULL;
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, &name);
    return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

std::string Value(const std::string& file, const char* key, const char* fallback) {
    std::vector<char> buffer(4096);
    const DWORD n = GetPrivateProfileStringA(kSection, key, fallback, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), file.c_str());
    return std::string(buffer.data(), n);
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool EqualNoCaseAscii(const std::string& a, const char* b) {
    return lstrcmpiA(a.c_str(), b) == 0;
}

// A whole non-negative decimal number, or -1.
long Number(const std::string& text) {
    if (text.empty() || text.size() > 9) return -1;
    for (char c : text)
        if (c < '0' || c > '9') return -1;
    return atol(text.c_str());
}

}  // namespace

bool ReadAnswers(const std::string& path, Answers& out, std::string& error) {
    out = Answers();
    const std::string file = FullPath(path);
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "The answer file " + file + " cannot be found";
        return false;
    }
    out.project = Trim(Value(file, "Project", ""));
    out.name = Trim(Value(file, "Name", ""));
    out.company = Trim(Value(file, "Company", ""));
    out.drive = Trim(Value(file, "Drive", ""));
    const struct {
        const char* key;
        const std::string& value;
    } required[] = {{"Project", out.project}, {"Name", out.name}, {"Company", out.company}, {"Drive", out.drive}};
    for (const auto& r : required) {
        if (r.value.empty()) {
            error = std::string("The answer file gives no ") + r.key;
            return false;
        }
    }

    const std::string language = Trim(Value(file, "Language", "0"));
    if (language != "0" && language != "1") {
        error = "Language must be 0 (English) or 1 (German), not " + language;
        return false;
    }
    out.language = language == "1";

    const std::string backup = Trim(Value(file, "Backup", "No"));
    if (!EqualNoCaseAscii(backup, "Yes") && !EqualNoCaseAscii(backup, "No")) {
        error = "Backup must be Yes or No, not " + backup;
        return false;
    }
    out.backup = EqualNoCaseAscii(backup, "Yes");

    const std::string timeout = Trim(Value(file, "SetupTimeout", "60"));
    const long minutes = Number(timeout);
    if (minutes <= 0 || minutes > 24 * 60) {
        error = "SetupTimeout must be a number of minutes from 1 to 1440, not " + timeout;
        return false;
    }
    out.setupTimeoutMinutes = static_cast<int>(minutes);

    const std::string tools = Value(file, "Tools", "");
    for (size_t start = 0; start <= tools.size();) {
        size_t comma = tools.find(',', start);
        if (comma == std::string::npos) comma = tools.size();
        const std::string tool = Trim(tools.substr(start, comma - start));
        if (!tool.empty()) out.tools.push_back(tool);
        start = comma + 1;
    }
    return true;
}

bool WriteAnswers(const std::string& path, const Answers& answers) {
    const std::string file = FullPath(path);
    std::string tools;
    for (const std::string& t : answers.tools) tools += (tools.empty() ? "" : ",") + t;
    const std::string timeout = std::to_string(answers.setupTimeoutMinutes);
    const struct {
        const char* key;
        std::string value;
    } values[] = {
        {"Project", answers.project},   {"Name", answers.name},
        {"Company", answers.company},   {"Drive", answers.drive},
        {"Language", answers.language ? "1" : "0"},
        {"Tools", tools},               {"Backup", answers.backup ? "Yes" : "No"},
        {"SetupTimeout", timeout},
    };
    // A section written anew: nothing of an earlier recording stays.
    if (!WritePrivateProfileStringA(kSection, NULL, NULL, file.c_str()) &&
        GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    for (const auto& v : values)
        if (!WritePrivateProfileStringA(kSection, v.key, v.value.c_str(), file.c_str())) return false;
    // Flush the profile cache, so the file is complete when the run goes on.
    WritePrivateProfileStringA(NULL, NULL, NULL, file.c_str());
    return true;
}

#include "PathText.h"

#include <algorithm>

#include <windows.h>

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; }

std::string UpperAscii(std::string text) {
    for (char& c : text) c = UpperAscii(c);
    return text;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool StaysInsideFolder(const std::string& relative) {
    if (relative.find(':') != std::string::npos) return false;
    if (!relative.empty() && (relative[0] == '\\' || relative[0] == '/')) return false;
    size_t start = 0;
    for (;;) {
        const size_t end = relative.find_first_of("\\/", start);
        const std::string part =
            relative.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // Windows drops a name's trailing dots and blanks, and Windows 95
        // reads "..." as two levels up: a part of nothing but dots and
        // blanks climbs once it has two dots.
        if (part.find_first_not_of(". ") == std::string::npos &&
            std::count(part.begin(), part.end(), '.') >= 2)
            return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

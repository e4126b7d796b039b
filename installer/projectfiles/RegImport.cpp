// The installer's own reader for registry-editor files: keys, string values
// and dword values, one per line. Everything else in such a file is skipped.
#include "ProjectFiles.h"

#include "FileIo.h"
#include "PathText.h"
#include "Varnet01.h"

namespace projectfiles {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimStart(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return s.substr(b);
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

HKEY RootByName(const std::string& name) {
    static const struct {
        const char* name;
        HKEY root;
    } kRoots[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"HKEY_DYN_DATA", HKEY_DYN_DATA},
    };
    for (const auto& r : kRoots)
        if (EqualsNoCase(name, r.name)) return r.root;
    return NULL;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The hexadecimal number at the start of `text` as "%X" reads it: an
// optional sign and "0x", then digits up to the first other character;
// more than eight digits keep the low 32 bits. False without any digit.
bool ParseHex(const std::string& text, DWORD& number) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool digits = false;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        digits = true;  // the "0" alone already is a number
        i += 2;
    }
    DWORD value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = (value << 4) | static_cast<DWORD>(HexDigit(text[i]));
        digits = true;
    }
    if (!digits) return false;
    number = negative ? 0u - value : value;
    return true;
}

struct RegState {
    HKEY root = NULL;     // none until a key line names a known root
    std::string key;
};

// True when the line names a key of a known root (the library tells no
// success for a key alone: a key it could not make shows in the values that
// fail after it).
bool KeyLine(const std::string& line, RegState& state) {
    size_t close = line.find(']');
    if (close == std::string::npos) return false;
    std::string text = line.substr(1, close - 1);
    size_t slash = text.find('\\');
    if (slash == std::string::npos) return false;  // a root alone names no key
    HKEY root = RootByName(text.substr(0, slash));
    if (!root) {
        // A deletion line or a misspelt root: what follows must not land in
        // the key of an earlier line, so values are dropped until the next
        // key with a known root.
        state.root = NULL;
        state.key.clear();
        return false;
    }
    state.root = root;
    state.key = text.substr(slash + 1);
    fWriteRegistry(state.root, state.key.c_str(), NULL, NULL);
    return true;
}

// True when the line wrote its value.
bool ValueLine(const std::string& line, const RegState& state) {
    std::string body = line.substr(1);
    size_t eq = body.find('=');
    if (eq == std::string::npos) return false;
    const std::string namePart = body.substr(0, eq);
    const std::string rest = TrimStart(body.substr(eq + 1));
    size_t nameEnd = namePart.rfind('"');
    if (nameEnd == std::string::npos) return false;
    const std::string name = namePart.substr(0, nameEnd);

    if (!rest.empty() && rest[0] == '"') {
        size_t textEnd = rest.rfind('"');
        if (textEnd == 0) return false;
        const std::string text = rest.substr(1, textEnd - 1);
        return state.root &&
               fWriteRegistry(state.root, state.key.c_str(), name.c_str(), text.c_str()) != 0;
    }

    size_t colon = rest.find(':');
    if (colon == std::string::npos) return false;
    if (!EqualsNoCase(rest.substr(0, colon), "dword")) return false;  // hex(...), expandable, ...
    DWORD number = 0;
    // Without digits there is no number: nothing is written.
    if (!ParseHex(TrimStart(rest.substr(colon + 1)), number)) return false;
    return state.root &&
           fWriteRegistryValue(state.root, state.key.c_str(), name.c_str(), number) != 0;
}

// The registry editor's first line, which names the format.
bool IsHeaderLine(const std::string& line) {
    return EqualsNoCase(line, "REGEDIT4") || EqualsNoCase(line, "REGEDIT") ||
           line.compare(0, 31, "Windows Registry Editor Version") == 0;
}

}  // namespace

int ImportRegFile(const std::string& path, RegImportTally* tally) {
    win::File file = OpenForRead(path);
    if (!file) return 0;

    RegState state;
    LineReader reader(file.get());
    std::string raw;
    int number = 0;
    while (reader.Next(raw)) {
        ++number;
        // The registry functions take C strings: text behind a NUL (as in
        // a file stored as UTF-16) must not shorten a key path or name.
        size_t nul = raw.find('\0');
        if (nul != std::string::npos) raw.erase(nul);
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        bool applied = false;
        if (line[0] == '[')
            applied = KeyLine(line, state);
        else if (line[0] == '"')
            applied = ValueLine(line, state);
        if (!tally) continue;
        if (applied) {
            ++tally->applied;
        } else if (line[0] != ';' && !(number == 1 && IsHeaderLine(line))) {
            ++tally->skipped;
            tally->skippedLines.push_back(number);
        }
    }
    return 1;
}

}  // namespace projectfiles

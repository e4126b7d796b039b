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
// more than eight digits keep the low 32 bits, and `dropped` tells whether
// that lost any digit other than 0. False without any digit.
bool ParseHex(const std::string& text, DWORD& number, bool& dropped) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool digits = false;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        digits = true;  // the "0" alone already is a number
        i += 2;
    }
    DWORD value = 0;
    dropped = false;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        dropped = dropped || (value >> 28) != 0;
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
    const RegReport* report = NULL;  // set: nothing is written, all is told
    RegLineReport line;              // of the line being read
    bool applied = false;            // the line's key made or value written
};

// Tells the report of the current line's outcome; false when there is no
// report and the caller writes.
bool Told(RegState& state, RegLine what) {
    if (!state.report) return false;
    state.line.what = what;
    (*state.report)(state.line);
    return true;
}

void KeyLine(const std::string& line, RegState& state) {
    size_t close = line.find(']');
    if (close == std::string::npos) {
        Told(state, RegLine::NoKeyPath);
        return;
    }
    std::string text = line.substr(1, close - 1);
    size_t slash = text.find('\\');
    if (slash == std::string::npos) {  // a root alone names no key
        Told(state, RegLine::NoKeyPath);
        return;
    }
    state.line.root = text.substr(0, slash);
    HKEY root = RootByName(state.line.root);
    if (!root) {
        // A deletion line or a misspelt root: what follows must not land in
        // the key of an earlier line, so values are dropped until the next
        // key with a known root.
        state.root = NULL;
        state.key.clear();
        Told(state, RegLine::UnknownRoot);
        return;
    }
    state.root = root;
    state.key = text.substr(slash + 1);
    state.line.key = state.key;
    // The library tells no success for a key alone: a key it could not make
    // shows in the values that fail after it.
    if (!Told(state, RegLine::Key)) {
        fWriteRegistry(state.root, state.key.c_str(), NULL, NULL);
        state.applied = true;
    }
}

void ValueLine(const std::string& line, RegState& state) {
    std::string body = line.substr(1);
    size_t eq = body.find('=');
    if (eq == std::string::npos) {
        Told(state, RegLine::NoEquals);
        return;
    }
    const std::string namePart = body.substr(0, eq);
    const std::string rest = TrimStart(body.substr(eq + 1));
    size_t nameEnd = namePart.rfind('"');
    if (nameEnd == std::string::npos) {
        Told(state, RegLine::UnquotedName);
        return;
    }
    const std::string name = namePart.substr(0, nameEnd);
    state.line.name = name;
    state.line.key = state.key;

    if (!rest.empty() && rest[0] == '"') {
        size_t textEnd = rest.rfind('"');
        if (textEnd == 0) {
            Told(state, RegLine::UnclosedText);
            return;
        }
        const std::string text = rest.substr(1, textEnd - 1);
        state.line.value = text;
        if (!state.root) {
            Told(state, RegLine::NoKey);
            return;
        }
        if (!Told(state, RegLine::String))
            state.applied =
                fWriteRegistry(state.root, state.key.c_str(), name.c_str(), text.c_str()) != 0;
        return;
    }

    size_t colon = rest.find(':');
    if (colon == std::string::npos) {
        Told(state, RegLine::NoType);
        return;
    }
    if (!EqualsNoCase(rest.substr(0, colon), "dword")) {  // hex(...), expandable, ...
        state.line.value = rest.substr(0, colon);
        Told(state, RegLine::OtherType);
        return;
    }
    DWORD number = 0;
    // Without digits there is no number: nothing is written.
    if (!ParseHex(TrimStart(rest.substr(colon + 1)), number, state.line.digitsDropped)) {
        Told(state, RegLine::NoNumber);
        return;
    }
    state.line.number = number;
    if (!state.root) {
        Told(state, RegLine::NoKey);
        return;
    }
    if (!Told(state, RegLine::Dword))
        state.applied =
            fWriteRegistryValue(state.root, state.key.c_str(), name.c_str(), number) != 0;
}

// The registry editor's first line, which names the format.
bool IsHeaderLine(const std::string& line) {
    return EqualsNoCase(line, "REGEDIT4") || EqualsNoCase(line, "REGEDIT") ||
           line.compare(0, 31, "Windows Registry Editor Version") == 0;
}

int Import(const std::string& path, const RegReport* report, RegImportTally* tally) {
    win::File file = OpenForRead(path);
    if (!file) return 0;

    RegState state;
    state.report = report;
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
        state.line = RegLineReport();
        state.line.line = number;
        state.line.text = line;
        state.applied = false;
        if (line[0] == '[')
            KeyLine(line, state);
        else if (line[0] == '"')
            ValueLine(line, state);
        else
            Told(state, RegLine::NotKeyOrValue);
        if (!tally) continue;
        if (state.applied) {
            ++tally->applied;
        } else if (line[0] != ';' && !(number == 1 && IsHeaderLine(line))) {
            ++tally->skipped;
            tally->skippedLines.push_back(number);
        }
    }
    return 1;
}

}  // namespace

int ImportRegFile(const std::string& path, RegImportTally* tally) {
    return Import(path, NULL, tally);
}

int ImportRegFile(const std::string& path, const RegReport& report) {
    return Import(path, &report, NULL);
}

}  // namespace projectfiles

#include "IniIndex.h"

#include "FileIo.h"
#include "PathText.h"

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

}  // namespace

bool IniIndex::Load(const std::string& path) {
    win::File file = projectfiles::OpenForRead(path);
    if (!file) return false;
    projectfiles::LineReader reader(file.get());
    std::string raw;
    for (int number = 1; reader.Next(raw); ++number) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            IniSection section;
            section.name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            section.line = number;
            sections_.push_back(section);
            continue;
        }
        const size_t eq = line.find('=');
        if (sections_.empty() || eq == std::string::npos) continue;
        IniEntry entry;
        entry.key = Trim(line.substr(0, eq));
        entry.value = Trim(line.substr(eq + 1));
        if (entry.value.size() >= 2 && entry.value.front() == '"' && entry.value.back() == '"')
            entry.value = entry.value.substr(1, entry.value.size() - 2);
        entry.line = number;
        sections_.back().entries.push_back(entry);
    }
    return true;
}

const IniSection* IniIndex::Section(const std::string& name) const {
    for (const IniSection& s : sections_)
        if (EqualsNoCase(s.name, name)) return &s;
    return nullptr;
}

const IniEntry* IniIndex::Entry(const IniSection& section, const std::string& key) {
    for (const IniEntry& e : section.entries)
        if (EqualsNoCase(e.key, key)) return &e;
    return nullptr;
}

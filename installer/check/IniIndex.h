// Where the sections and keys of an INI file are written: the line of each,
// for pointing at them. The values the installer gets are asked of the
// utility library; this index only knows what the author wrote.
#pragma once
#include <string>
#include <vector>

struct IniEntry {
    std::string key;
    std::string value;  // as written: blanks around it and enclosing quotes dropped
    int line = 0;
};

struct IniSection {
    std::string name;
    int line = 0;
    std::vector<IniEntry> entries;  // in file order
};

class IniIndex {
public:
    // False when the file cannot be read.
    bool Load(const std::string& path);
    // The first section of that name (any case), or null.
    const IniSection* Section(const std::string& name) const;
    // The first entry of that key (any case) in the section, or null.
    static const IniEntry* Entry(const IniSection& section, const std::string& key);

private:
    std::vector<IniSection> sections_;
};

// What the installer reads from KVTInstall.ini, without any window: a tool's
// section into its ToolRecord, the Space rule, and the longest project name
// the install run accepts. The catalogue builds its check boxes on it; a
// checker of the medium reads the file through the same code.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "ToolRecord.h"
#include "WindowsFamily.h"

class CIniData;

// How a key's value is read.
enum class KeyKind { Text, Number, Flag };
// Told of each key of a tool section just before it is read.
typedef std::function<void(const char* key, KeyKind kind)> KeyRead;

// The tool list of `ini`'s index section ([Config]): the number of tools, as
// CIniData::GetNumberOfSections counts them, and the name of each tool's
// section, as CIniData::GetSectionName gives it. Each key of the list is read
// once for both, where counting first and naming then reads it twice.
int ReadToolSections(CIniData& ini, std::vector<std::string>& sections);

// Reads tool n's section (n is 1-based) into `rec` with `ini`'s default
// section set to n. Returns whether the tool is offered on `family`; only the
// key of that family is read. A section already in rec.section (from
// ReadToolSections) is not looked up again.
bool ReadToolRecord(CIniData& ini, int n, WindowsFamily family, ToolRecord& rec,
                    const KeyRead& heard = KeyRead());
// ReadToolRecord in two steps. The heading is what the check list shows: the
// section's name, Name and whether the tool is offered. The details are the
// rest, Dir first, which only the install needs; they are read from
// rec.section once the heading has found it.
bool ReadToolHeading(CIniData& ini, int n, WindowsFamily family, ToolRecord& rec,
                     const KeyRead& heard = KeyRead());
void ReadToolDetails(CIniData& ini, int n, ToolRecord& rec, const KeyRead& heard = KeyRead());
// Whether the tool's box starts checked: its Select flag, defaulting to the
// select-all state for an offered tool and to unchecked for a withdrawn one.
// Read after the tool's heading, from its section.
bool ReadToolSelect(CIniData& ini, const ToolRecord& rec, bool offered, bool selectAll,
                    const KeyRead& heard = KeyRead());

// The keys read from [Config] besides the numbered tool list. The installer
// reads them by these names, so a checker of the medium knows every one.
struct ConfigKey {
    const char* name;
    KeyKind kind;
};
extern const ConfigKey kConfigSelectAll;    // every offered tool starts checked
extern const ConfigKey kConfigProject;      // the fixed project name
extern const ConfigKey kConfigProjectEdit;  // the user may change the project
extern const ConfigKey kConfigLanguage;     // 1: German, before the user's own choice
extern const ConfigKey kConfigName;         // the user's name, before the saved one
extern const ConfigKey kConfigCompany;      // the company, before the saved one
// All of the above.
extern const ConfigKey* const kConfigKeys[6];

// Bytes for a Space value in megabytes. The record holds a signed 32-bit
// count: requirements it cannot hold are capped at its largest value, and
// negative ones mean no requirement.
int SpaceBytes(int megabytes);

// The project names a registry key, SOFTWARE\Tarvo Kinetics\<project> (a key
// name holds at most 255 characters, and the library reads what it stores
// into buffers of 256 bytes), and folders, <drive>Tarvo\<project> and
// <drive>Tarvo\<project>\<Dir>, below which a tool's files must still fit in
// MAX_PATH (260) and a folder in the 248 that CreateDirectory allows. 64
// characters leave some 170 for the tool's folder, its subfolders and names.
const size_t kMaxProjectLength = 64;

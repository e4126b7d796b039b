// Placing a tool's ready-made files from the medium and rewriting them for
// this machine: file groups with their Windows-family variants and language
// overlays, the breadth-first tree copy, the renaming rules of InstallFile,
// byte copies with the drive-letter move, configuration files with their
// placeholders replaced, and registry files read by the installer's own
// parser. Functions over one small context value; whoever runs them (the
// install job) keeps its own state.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "Language.h"
#include "RunLog.h"
#include "WindowsFamily.h"

namespace projectfiles {

// How InstallFile names what it places.
enum class Naming {
    AsFound,       // the name on the medium
    SetupFiles,    // a name ending in "SETUP.EX_" arrives as "...SETUP.EXE"
    ProjectFiles   // a trailing "_" is dropped, and an existing file stays
};

// Told of each file or folder that could not be placed: its target path and
// the Windows error code (0 when none is known). The walk goes on after it.
typedef std::function<void(const std::string& targetPath, unsigned long error)> PlaceFailed;

// What the operations read besides their arguments.
struct Context {
    std::string sourceFolder;   // the tool's folder on the medium
    std::string targetFolder;   // where the current file group goes
    Naming naming = Naming::AsFound;
    Language language = LanguageEnglish;
    WindowsFamily family = FamilyUnknown;
    std::string projectName;
    std::string userName;
    std::string company;
    std::string languageValue;  // the tool's Sprache_d or Sprache_e value
    // The machine's folders as the utility library reports them; empty when
    // unknown.
    std::string windowsFolder;
    std::string systemFolder;
    std::string tempFolder;
    // Hears of every file InstallFile could not place and every target
    // folder a walk could not make; may be empty.
    PlaceFailed failed;
    // A walk that only reports: no target folder is made, and each file
    // found goes to the walk's PlaceFile alone (which then places nothing).
    bool reportOnly = false;
    // Hears of every source tree a walk enters (the tree, each of its
    // variants and overlays that exists), before its files; may be empty.
    std::function<void(const std::string& sourceRoot)> treeFound;
    // The install log, or null: with one, every tree copied is logged with
    // the files and bytes placed.
    RunLog* log = nullptr;
};

// What a tree walk placed: the files InstallFile reported as placed (or
// left alone as present) and their sizes on the medium.
struct TreeTally {
    unsigned long files = 0;
    unsigned long long bytes = 0;
};

// Places one file found by a tree walk: (name, destination folder, source
// folder); its result is that of InstallFile.
typedef std::function<int(const std::string& name, const std::string& destFolder,
                          const std::string& srcFolder)>
    PlaceFile;

// Copies the group's trees (group + "Files", its Windows-family variants,
// each followed by its language overlay) into context.targetFolder.
void CopyFileGroup(const Context& context, const std::string& group, const PlaceFile& place);
// The tree, then its "_d" or "_e" overlay, into the same target root.
void CopyProjectTree(const Context& context, const std::string& targetRoot,
                     const std::string& sourceRoot, const PlaceFile& place);
// Breadth-first walk of one tree; a missing source creates nothing. A
// target folder that cannot be made is told to `failed`.
void CopyTreeOnce(const std::string& targetRoot, const std::string& sourceRoot,
                  const PlaceFile& place, const PlaceFailed& failed = PlaceFailed());
// The same walk with the context's hooks: its failures, a report-only walk,
// the trees found. With `tally`, what was placed is added to it.
void CopyTreeOnce(const Context& context, const std::string& targetRoot,
                  const std::string& sourceRoot, const PlaceFile& place,
                  TreeTally* tally = nullptr);

// What InstallFile would do with one file, without doing it.
struct Placement {
    std::string sourcePath;
    std::string namedPath;      // the name the copy is made under
    std::string targetPath;     // where the file lands: a "_~_" dropped too
    bool onlyIfAbsent = false;  // an existing file of that name stays
    bool rewritten = false;     // a configuration file: placeholders replaced
    bool movesDrives = false;   // a "_~_" byte copy: drive letters moved
};
Placement PlanPlacement(const Context& context, const std::string& name,
                        const std::string& destFolder, const std::string& srcFolder);

// Places one file by the context's naming rule: configuration files are
// rewritten, others copied as bytes through `buffer` (kept by the caller so
// that one buffer serves many files). 1 when placed or left alone as
// already present, 0 when the file could not be placed (then told to
// context.failed).
int InstallFile(const Context& context, std::vector<char>& buffer, const std::string& name,
                const std::string& destFolder, const std::string& srcFolder);
// Byte copy keeping the source's times; a "_~_" name prefix is dropped and
// the copy's drive letters are moved instead. 1 = copied; 0 leaves no
// partial copy and the Windows error code in GetLastError.
int CopyBinaryFile(std::vector<char>& buffer, const std::string& targetPath,
                   const std::string& sourcePath);
// Writes `drive` in front of every occurrence of the template without its
// first character (":\tarvo\" for "?:\tarvo\"), letters matched in any
// case. Number of bytes rewritten, or -1 when the file cannot be opened for
// update.
int MoveDriveLetters(const std::string& path, const std::string& driveTemplate, char drive);
// The bytes MoveDriveLetters would replace in a "_~_" copy (the old drive
// letters), in file order, without changing the file. -1 when it cannot be
// read, else their number.
int FindDriveLetters(const std::string& path, std::string& letters);

// Writes the source line by line, placeholders replaced, CR LF line ends.
// The text goes to a file beside the target, which replaces the target once
// complete. 1 when every line was written and the target replaced; 0 leaves
// the target as it was and the Windows error code in GetLastError.
int RewriteConfigFile(const Context& context, const std::string& targetPath,
                      const std::string& sourcePath);
// Replaces every occurrence of `placeholder`, repeating while a replacement
// forms a new occurrence with the surrounding text. Text a replacement
// inserted is not searched again on its own, so a value that contains the
// placeholder itself is inserted once and the line ends.
std::string ReplacePlaceholder(const std::string& line, const std::string& placeholder,
                               const std::string& value);

// The lines of one registry file: applied (a key made or a value written)
// and skipped (every other line but blank ones, comments and the editor's
// header), with the numbers of the skipped ones.
struct RegImportTally {
    int applied = 0;
    int skipped = 0;
    std::vector<int> skippedLines;
};

// Imports keys, string and dword values of a .REG file through the utility
// library's registry functions. 1 when the file could be opened. With
// `tally`, the lines are counted into it.
int ImportRegFile(const std::string& path, RegImportTally* tally = nullptr);

// What the registry-file parser made of one line.
enum class RegLine {
    Key,            // a key created: root, key
    String,         // a string value stored: root, key, name, value
    Dword,          // a dword value stored: root, key, name, number
    NotKeyOrValue,  // neither "[" nor a double quote in front: skipped
    NoKeyPath,      // a key line without "]" or without a key below the root
    UnknownRoot,    // a key line whose root is none of the six: root
    NoEquals,       // a value line without "="
    UnquotedName,   // a value line whose name has no closing quote
    UnclosedText,   // a string value without its closing quote
    NoType,         // neither a quoted text nor "type:" behind "="
    OtherType,      // a type other than dword (hex, hex(2), ...): value holds it
    NoNumber,       // a dword without a hexadecimal number
    NoKey           // a value before any key with a known root: nothing stored
};
struct RegLineReport {
    int line = 0;        // 1-based
    RegLine what = RegLine::NotKeyOrValue;
    std::string text;    // the line, trimmed
    std::string root;    // as written
    std::string key;
    std::string name;
    std::string value;   // the string stored, or the type not read
    unsigned long number = 0;
    bool digitsDropped = false;  // a dword of more than 8 digits: `number` is its low 32 bits
};
typedef std::function<void(const RegLineReport&)> RegReport;
// The parser in a mode that only reports: every line that is not empty,
// with what importing it would do; nothing is written. 1 when the file
// could be opened.
int ImportRegFile(const std::string& path, const RegReport& report);

// Placeholders RewriteConfigFile replaces, in its order.
const std::vector<std::string>& Placeholders();
// Reports each text of the form "%%WORD%%" in the file that is none of
// them, with its 1-based line; the rewrite leaves these as they are. 1 when
// the file could be opened.
typedef std::function<void(int line, const std::string& placeholder)> PlaceholderReport;
int FindUnknownPlaceholders(const std::string& sourcePath, const PlaceholderReport& report);

}  // namespace projectfiles

// Path and name rules of the installer's own code. Names on the medium and in
// the target folders match without regard to case, and upper-casing turns a
// to z into A to Z and leaves every other character alone, whatever the
// system's code page says about the others.
#pragma once
#include <string>

// folder + "\" + name, without doubling a backslash the folder ends with.
// An empty folder gives "\" + name.
std::string JoinPath(const std::string& folder, const std::string& name);

char UpperAscii(char c);
std::string UpperAscii(std::string text);
// Equal after UpperAscii.
bool EqualsNoCase(const std::string& a, const std::string& b);
// `text` ends with `suffix`, compared exactly.
bool EndsWith(const std::string& text, const std::string& suffix);

// `relative` names something inside the folder it is joined to: no drive
// or stream (":"), no leading backslash or slash, no ".." part. Empty is
// the folder itself. "BIN\TOOL.EXE" stays inside; "..\X", "C:\X" and
// "\X" leave it.
bool StaysInsideFolder(const std::string& relative);

// An entry (file or folder) exists at `path`.
bool PathExists(const std::string& path);
// A folder exists at `path`.
bool IsFolder(const std::string& path);

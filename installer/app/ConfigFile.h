// Which KVTInstall.ini the program reads. The library names a program's INI
// file after the text behind the last backslash of the whole command line;
// a switch whose value holds a path would name another file. With switches
// the program names it itself, from its own name alone, in the same folder.
#pragma once
#include <string>

#include "Varnet01.h"

// <current folder>\<program name>.ini, the name taken from the command
// line's first token (quoted or up to the first blank), from behind its last
// backslash up to its first "." or quote. Empty when the name cannot be
// built or would not fit the library's buffers.
std::string ProgramIniFileName(const char* commandLine, const std::string& currentFolder);

// From now on, ConfigFile() readers use `path`; empty: the library's default.
void UseConfigFileName(const std::string& path);
// A reader of the program's INI file, on its [Config] section.
CIniData ConfigFile();

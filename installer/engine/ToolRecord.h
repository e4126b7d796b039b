// The definition of one catalogue tool, read from its section of
// KVTInstall.ini. The catalogue owns the records for the program's whole run;
// install jobs refer to them without owning them.
#pragma once
#include <string>

struct ToolRecord {
    std::string section;         // its section's name in KVTInstall.ini
    std::string name;            // Name: caption and the name in messages
    std::string dir;             // Dir: folder keyword (may select a setup kind)
    std::string file;            // File: main file in the target folder
    std::string setup;           // Setup: setup program's file name
    std::string command;         // Command: extra command-line text
    std::string title;           // Title: setup window title
    std::string languageGerman;  // Sprache_d
    std::string languageEnglish; // Sprache_e
    int installPath = 1;         // Installpath: project forms a folder level
    int restartWindows = 0;      // a successful install needs a restart
    int space = 0;               // Space x 1048576, in bytes
    int delay = 10;              // Delay: ticks before the first check
    int copyFiles = 1;           // CopyFiles: 0 run from medium, 1 stage+remove, else stage+keep
};

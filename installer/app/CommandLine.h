// The program's switches. Without any, it runs as it always has: the main
// dialog, nothing recorded, no log.
//   /RECORD=<file>      the dialog's choices are written to an answer file
//   /UNATTENDED=<file>  no dialog: the choices come from an answer file
//   /LOG=<file>         a log of the run is appended to the file
//   /RESTART            with /UNATTENDED: restart Windows when a tool needs it
// Switches begin with "/" and are case-insensitive; a value follows "=" and
// may be quoted.
#pragma once
#include <string>

struct CommandLine {
    std::string record;
    std::string unattended;
    std::string log;
    bool restart = false;
    // /UNATTENDED was given, with or without its value: nobody is there to
    // read an error box.
    bool unattendedAsked = false;
};

// Reads the switches of `text` (the command line without the program's
// name). False with `error` set to the first problem (English, one line)
// when a switch is unknown, lacks its value, is given twice, or the
// switches do not go together; `out` then still holds every switch that
// could be read.
bool ParseCommandLine(const char* text, CommandLine& out, std::string& error);

// The switches for an error box that lists them.
extern const char kCommandLineUsage[];

// Finding, starting, stopping and showing other programs: processes by their
// executable file name (name and extension, no folder, any case), top-level
// windows by the beginning of their caption (any case). Include Varnet01.h
// rather than this file.
#pragma once

// The first top-level window, in the window manager's order and hidden ones
// included, whose caption begins with `title`; null for an empty title or
// when none matches.
VARNET_C HWND GetTaskHandle(char const* title);
// As GetTaskHandle, passing over the calling process's own windows: a
// program that supervises others by title never finds itself.
VARNET_C HWND GetOtherTaskHandle(char const* title);
// Shows `window` in its default show state; 0 for a null window, else 1.
VARNET_C int ActivateTaskbyHandle(HWND window);
VARNET_C int ActivateTaskbyTitle(char const* title);

// Id of the first running process whose executable file name equals
// `fileName`; a 16-bit task on the NT family gives the id of the NTVDM that
// runs it. 0 when none runs, for an empty name, a name with a folder, or
// when this Windows offers no way to list processes.
VARNET_C int GetProcessId_Varnet(char const* fileName);
// As GetProcessId_Varnet, passing over the calling process itself.
VARNET_C int GetOtherProcessId_Varnet(char const* fileName);
// Terminates every process of that executable file name. A process that
// cannot be opened or that survives three termination attempts is given up,
// and at most 256 processes are ended per call, so the call always returns.
// The result is always 0.
VARNET_C int KillProcess(char const* fileName);

// StartProcessCommand(fileName, directory, NULL).
VARNET_C int StartProcess(char const* fileName, char const* directory);
// Starts directory\fileName with `commandLine` as its complete command line
// (unchanged; null for none) in `directory`, detached and in a new process
// group, without waiting. 1 when it was started or a process of that file
// name already runs (nothing is started then); 0 for a null directory or a
// failed start.
VARNET_C int StartProcessCommand(char const* fileName, char const* directory, char* commandLine);

// The installation without the main dialog: the choices come from an answer
// file, the same install run installs them, the progress windows show, and
// nothing waits for an answer. Every message goes to the log instead.
#pragma once
#include <string>

#include "AnswerFile.h"
#include "RunLog.h"
#include "SystemRestart.h"
#include "WindowsFamily.h"

// Exit codes of an unattended run, as deployment systems read them.
enum UnattendedExit {
    kExitInstalled = 0,         // every named tool offered here was installed
    kExitToolFailed = 1,        // at least one tool failed
    kExitUnusable = 2,          // answers or command line unusable; nothing installed
    kExitRestartNeeded = 3010   // as 0, and Windows must be restarted
};

// The first lines of every log: program and version, command line, Windows
// family and medium root.
void LogStart(RunLog& log, WindowsFamily family);

// "C:\" for a drive text such as "c", "C:" or "c:\" that names one of the
// machine's fixed disks; empty otherwise.
std::string FixedDriveRoot(const std::string& text);

// Installs what the answer file names from the medium of the program's
// KVTInstall.ini. With `restart`, Windows is restarted through `restarter`
// when a tool needs it; without, never. `log` may be null. The exit code.
int RunUnattended(const std::string& answerFile, bool restart, WindowsFamily family, RunLog* log,
                  SystemRestart& restarter);

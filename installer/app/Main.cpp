// KVTInstall: installs the tools of an installation medium. Started in the
// folder that holds KVTInstall.ini. Without switches it shows the main
// dialog; CommandLine.h lists the switches for recording answers, an
// unattended installation and a log.
#include <windows.h>

#include <memory>
#include <string>

#include "Backdrop.h"
#include "CommandLine.h"
#include "ConfigFile.h"
#include "FileLog.h"
#include "ToolFont.h"
#include "Unattended.h"
#include "WindowsFamily.h"

namespace {

std::string CurrentFolder() {
    char folder[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
    return n > 0 && n < sizeof folder ? std::string(folder, n) : std::string();
}

bool HasArguments(const char* args) {
    for (const char* p = args ? args : ""; *p; ++p)
        if (*p != ' ' && *p != '\t') return true;
    return false;
}

int Ended(RunLog* log, int code) {
    if (log) log->Line("Exit code " + std::to_string(code));
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR args, int) {
    CommandLine options;
    std::string error;
    const bool usable = ParseCommandLine(args, options, error);
    // Only the text of the switches could mislead the library's own choice.
    if (HasArguments(args))
        UseConfigFileName(ProgramIniFileName(GetCommandLineA(), CurrentFolder()));
    std::unique_ptr<FileLog> file;
    if (!options.log.empty()) file.reset(new FileLog(options.log));
    RunLog* log = file && file->opened() ? file.get() : nullptr;
    const bool unattended = options.unattendedAsked;

    // Controls get their three-dimensional look from DS_3DLOOK in the dialog
    // templates; no hosted (OLE) controls are used.
    const ToolFont toolFont;
    const WindowsFamily family = DetectWindowsFamily();
    if (log) LogStart(*log, family);
    if (!usable) {
        if (log) log->Line("The command line cannot be used: " + error);
        if (!unattended) {
            const std::string text = error + "\n\nUsage: " + kCommandLineUsage;
            MessageBoxA(NULL, text.c_str(), "KVTInstall", MB_OK | MB_ICONERROR);
        }
        return Ended(log, kExitUnusable);
    }
    if (family == FamilyUnknown) {
        if (log) log->Line("KVTInstall can not determine Windows Version!");
        if (unattended) return Ended(log, kExitUnusable);
        MessageBoxA(NULL, "KVTInstall can not determine Windows Version!", "Error",
                    MB_OK | MB_ICONERROR);
        return Ended(log, 1);
    }
    if (unattended)
        return RunUnattended(options.unattended, options.restart, family, log, WindowsRestart());
    {
        DialogOptions dialogOptions;
        dialogOptions.recordFile = options.record;
        dialogOptions.log = log;
        CBackdropDlg backdrop(family, toolFont.get(), dialogOptions);
        backdrop.DoModal(NULL);
    }
    return Ended(log, 0);
}

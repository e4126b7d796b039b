// Phase 2: the silent command line of the tool's setup kind, and the start
// of the setup program from the medium or from the staged copy.
#include "ToolInstallJob.h"

#include "Varnet01.h"

#include <vector>

void CToolInstallJob::StartSetup() {
    if (!tool.command.empty()) setupArguments = tool.setup + " " + tool.command;

    const bool ownCommandLine = HasOwnCommandLine(setupKind);
    if (ownCommandLine) {
        // Looked up on the medium, without the "SETUP.EX_" fallback.
        if (SetupToStart(setupSourceFolder, tool.setup).empty()) {
            EndJob(ResultSetupNotFound);
            return;
        }
        if (setupArguments.empty()) {
            switch (setupKind) {
            case SetupQev: setupArguments = " /VERYSILENT"; break;
            case SetupTrakset:
            case SetupLapvue: setupArguments = " /S /D=" + targetFolder; break;
            default: setupArguments = tool.command; break;  // Components: stays empty
            }
        }
    }

    std::string folder;
    if (tool.copyFiles == 0) {
        if (!ownCommandLine) {
            const std::string installDir = "/v\"INSTALLDIR=\\\"" + targetFolder + "\\\" /qn\"";
            if (!setupArguments.empty())
                setupArguments += " " + installDir;
            else
                setupArguments = tool.setup + " " + installDir;
        }
        folder = toolSourceFolder;
    } else {
        folder = targetFolder;
    }
    std::vector<char> line(setupArguments.begin(), setupArguments.end());
    line.push_back('\0');
    // A start that fails shows later as a setup that has gone at once.
    const int started = StartProcessCommand(tool.setup.c_str(), folder.c_str(), line.data());
    if (log)
        log->Line((started ? "Setup started: " : "Setup could not be started: ") +
                  JoinPath(folder, tool.setup) + ", command line \"" + setupArguments + "\"" +
                  (started ? "" : " (" + WindowsErrorText(GetLastError()) + ")"));

    delayCountdown = tool.delay;
    if (host_) host_->StartTimer(kSupervisionPeriodMs);
    AdvancePhase();
}

// Preparation of a job: setup kind, first phase, busy and free-space checks.
#include "ToolInstallJob.h"

#include "SetupPlan.h"
#include "Varnet01.h"

bool CToolInstallJob::Prepare() {
    try {
        return PrepareSteps();
    } catch (...) {
        EndJob(ResultUnknown);
        return false;
    }
}

bool CToolInstallJob::PrepareSteps() {
    setupComplete = 0;
    lastStartedPhase = StartNotRequested;
    setupSourceFolder = toolSourceFolder;

    // A Dir, Setup or File that climbs out of its folder would place files
    // outside the "Tarvo" folder, or start a program from anywhere.
    if (!StaysInsideFolder(tool.dir) || !StaysInsideFolder(tool.setup) || !StaysInsideFolder(tool.file)) {
        EndJob(ResultCannotCreateTarget);
        return false;
    }

    // Without a temporary folder the list lands in the current drive's root.
    const char* temp = fGetWindowsDirectory(VARNET_DIR_TEMP);
    stagingListPath = JoinPath(temp ? temp : "", "~KVTFile.tmp");

    setupKind = SetupKindOf(tool.dir);
    // These setups leave no main file the job could look for; the record
    // keeps the empty File for the rest of the run.
    if (setupKind != SetupStandard) tool.file.clear();

    if (log) {
        const bool runsSetup = !tool.file.empty() || setupKind != SetupStandard;
        log->Line(tool.name + ": target folder " + targetFolder + ", setup kind " +
                  SetupKindName(setupKind) + (runsSetup ? "" : " (project files only, no setup)"));
    }
    if (!tool.file.empty() || setupKind != SetupStandard) {
        projectFilesOnly = 0;
        phase = PhaseCopySetup;
        if (IsSetupRunning()) {
            EndJob(ResultSetupActive);
            return false;
        }
    } else {
        projectFilesOnly = 1;
        phase = PhaseProjectFiles;
    }

    if (tool.space != 0) {
        const unsigned long long available = AvailableBytes(targetFolder.substr(0, 3));
        // 0 means the drive could not tell: no check.
        if (available != 0 && static_cast<long long>(available) < static_cast<long long>(tool.space)) {
            EndJob(ResultNoSpace);
            return false;
        }
    }
    return true;
}

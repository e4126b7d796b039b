// Values shared by the install job, its progress window and the install run.
#pragma once

// How a tool's setup is staged and started, chosen from its Dir keyword.
enum SetupKind {
    SetupStandard,
    SetupUlvan,
    SetupQev,
    SetupTrakset,
    SetupLapvue,
    SetupComponents
};

// Values of CToolInstallJob::phase.
enum {
    PhaseCopySetup = 1,     // stage the setup files
    PhaseStartSetup = 2,    // compose the command line, start the setup
    PhaseWaitSetup = 3,     // the supervision timer advances the job
    PhaseAfterSetup = 4,    // registry files, outcome, staged files removed
    PhaseProjectFiles = 5,  // project file groups, then success
    PhaseEnded = -2
};

// Values of CToolInstallJob::lastStartedPhase before the first step.
enum {
    StartNotRequested = -2,  // no paint yet: the first one asks for the start
    StartRequested = -1      // timer 1 runs for the start; no step begun
};

// The one result code a job ends with.
enum InstallResult {
    ResultSuccess = -1,
    ResultCannotCreateTarget = 0,
    ResultCannotWriteTarget = 1,
    ResultCannotReadTarget = 2,
    ResultSetupIncomplete = 3,
    ResultSetupActive = 4,
    ResultAlreadyInstalled = 5,
    ResultSetupNotFound = 6,
    ResultNoSpace = 7,
    ResultUnknown = 9
};

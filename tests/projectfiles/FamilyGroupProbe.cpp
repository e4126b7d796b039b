// Copies the group "APP" of the medium given as the first argument into the
// folder given as the second, leaving the Windows family to be detected.
// The exit code is the family it found.
#include "ToolInstallJob.h"

#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 3) return 100;
    ToolRecord tool;
    CToolInstallJob job(tool);
    job.toolSourceFolder = argv[1];
    job.targetFolder = argv[2];
    job.phase = PhaseProjectFiles;
    job.CopyFileGroup("APP");
    return job.family;
}

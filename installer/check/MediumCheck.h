// Reads a medium the way the installer reads it, through the installer's
// own code in its report-only modes, and tells what the installer would
// silently get wrong. Changes nothing anywhere and starts nothing.
#pragma once
#include <string>

#include "Findings.h"

// Exit codes of KVTCheck.
enum { CheckClean = 0, CheckErrors = 1, CheckUnreadable = 2 };

// Checks the medium in `folder` (as the user gave it; findings name their
// files below it). Returns CheckUnreadable when KVTInstall.ini cannot be
// read, else CheckClean; the findings say the rest.
int CheckMedium(const std::string& folder, Findings& findings);

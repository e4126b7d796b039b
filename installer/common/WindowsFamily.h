// The Windows family the installer runs on. Start-up detects it once and
// hands it to the catalogue and to every install job.
#pragma once

enum WindowsFamily {
    FamilyUnknown = 0,
    FamilyWin95 = 1,   // Windows 95 (4.0)
    FamilyWin98 = 2,   // Windows 98 and the later releases of the 9x line
    FamilyNT = 3       // every NT-family system
};

// Asks the system; FamilyUnknown when the version query fails.
WindowsFamily DetectWindowsFamily();

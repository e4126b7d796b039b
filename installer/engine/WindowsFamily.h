// The Windows family the installer runs on, decided once at start-up and
// read by the catalogue and the install job.
#pragma once

enum {
    FamilyUnknown = 0,
    FamilyWin95 = 1,   // Windows 95 (4.0)
    FamilyWin98 = 2,   // Windows 98 and the later releases of the 9x line
    FamilyNT = 3       // every NT-family system
};

// 0 until detected. Start-up stores DetectWindowsFamily() here; tests set it
// directly to drive each family without restarting.
extern int WindowsFamily;

// Asks the system: 1, 2 or 3, or 0 when the version query fails.
int DetectWindowsFamily();

// WindowsFamily, detected and stored first if nobody has set it yet.
int CurrentWindowsFamily();

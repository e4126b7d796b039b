// The backup offer the install run makes before each tool's setup.
#pragma once
#include <windows.h>

#include "BackupCopy.h"
#include "Language.h"

// The answer the user chose to keep for the rest of the program run.
enum BackupAnswer { kAskForBackup = 0, kAlwaysBackUp = 1, kNeverBackUp = 2 };
int RememberedBackupAnswer();
void RememberBackupAnswer(int answer);

// Whether a target folder of these attributes is offered a backup: only a
// plain folder, exactly FILE_ATTRIBUTE_DIRECTORY (not missing, not a file,
// nor read-only, hidden or otherwise marked).
bool IsBackupCandidate(DWORD attributes);

// Offers a copy of `targetFolder` when it is a candidate and runs the prompt
// modally over `owner`; `copy` makes the copy. Always true: the install goes
// on whatever happens here.
bool OfferBackup(HWND owner, Language language, const char* targetFolder, const char* displayName,
                 CopyTreeRoutine copy = &CopyTree);

// The backup offer the install run makes before each tool's setup.
#pragma once
#include <windows.h>

#include <string>

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

// The copy "Yes" makes, without a prompt, on this thread: `targetFolder`
// into its dated backup folder (named in `backupFolder`). 0, or the system's
// code of the failure.
DWORD BackUpFolder(const std::string& targetFolder, std::string& backupFolder,
                   CopyTreeRoutine copy = &CopyTree);

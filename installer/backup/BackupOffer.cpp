#include "BackupOffer.h"

#include "BackupDlg.h"

namespace {
int g_answer = kAskForBackup;   // never stored: it lives as long as the program
}

int RememberedBackupAnswer() { return g_answer; }
void RememberBackupAnswer(int answer) { g_answer = answer; }

bool IsBackupCandidate(DWORD attributes) { return attributes == FILE_ATTRIBUTE_DIRECTORY; }

bool OfferBackup(HWND owner, Language language, const char* targetFolder, const char* displayName,
                 CopyTreeRoutine copy) {
    if (!targetFolder || !IsBackupCandidate(GetFileAttributesA(targetFolder))) return true;
    CBackupDlg prompt(language, displayName, targetFolder, copy);
    prompt.DoModal(owner);
    return true;
}

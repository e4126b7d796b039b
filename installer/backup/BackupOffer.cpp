#include "BackupOffer.h"

#include "BackupDlg.h"

#include <ctime>

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

DWORD BackUpFolder(const std::string& targetFolder, std::string& backupFolder,
                   CopyTreeRoutine copy) {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    backupFolder = local ? BackupFolderName(targetFolder, *local) : targetFolder + "_backup_";
    const std::atomic<unsigned char> never{0};
    try {
        return (copy ? copy : &CopyTree)(targetFolder, backupFolder, kBackupExclusions, never);
    } catch (...) {
        return ERROR_GEN_FAILURE;
    }
}

// The backup prompt: asks whether to copy an existing installation folder,
// and while the copy runs on its worker thread shows the animation.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "BackupCopy.h"
#include "Dialog.h"
#include "Language.h"
#include "picture/AnimatedPicture.h"
#include "WinHandles.h"

// Which controls show: the question, and the running copy.
enum BackupLayout { kQuestionLayout = 31, kRunningLayout = 33 };

class CBackupDlg : public CDialog {
public:
    // `displayName` is the tool's folder keyword, `sourceFolder` the
    // existing installation; `copy` makes the copy.
    CBackupDlg(Language language, const char* displayName, const char* sourceFolder,
               CopyTreeRoutine copy = &CopyTree);

    const std::string& backupFolder() const { return backupFolder_; }
    int showMask() const { return showMask_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;
    void OnDestroy() override;

private:
    void ApplyShowMask(int mask);
    void ShowMessage();
    void OnYes();
    void OnNo();
    bool DontAskTicked();
    bool BeginEnding();
    void WaitForWorker();
    static DWORD WINAPI Worker(LPVOID self);
    DWORD RunCopy();
    void ReportFailure(HWND owner) const;

    // Who may still use the prompt's window: the worker's error box takes it
    // as owner only while the prompt is not ending, and the prompt does not
    // end while that box is over it.
    enum OwnerState { kCopying, kBoxOverPrompt, kPromptEnding };

    AnimatedPicture animation_;
    win::Handle worker_;
    std::string sourceFolder_;
    std::string backupFolder_;
    std::string exclusions_;
    std::string displayName_;
    CopyTreeRoutine copy_;
    std::atomic<unsigned char> abort_{0};
    std::atomic<int> owner_{kCopying};
    std::atomic<bool> workerDone_{false};   // the worker no longer reads this object
    Language language_;
    int showMask_ = kQuestionLayout;
    std::string message_;
    int dontAsk_ = 0;
    HWND window_ = NULL;   // the prompt's window, as the worker saw it start
};

// The copy-finished message the worker posts to the prompt.
const UINT WM_BACKUP_FINISHED = WM_USER + 1;

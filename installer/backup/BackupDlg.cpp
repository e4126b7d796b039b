#include "BackupDlg.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

#include "BackupCopy.h"
#include "BackupOffer.h"
#include "Format.h"
#include "picture_res.h"
#include "resource.h"

namespace {

enum TextId { kYes, kNo, kCaption, kDontAsk, kQuestion, kRunning, kErrorCaption, kErrorText };

const BilingualText kTexts[] = {
    {"Yes", "Ja"},
    {"No", "Nein"},
    {"Note", "Hinweis"},
    {"Don't ask me again!", "Nicht mehr nachfragen!"},
    {"An existing installation of %s was detected. Do you want to create a backup?",
     "Eine bestehende Installation von %s wurde erkannt. Wollen Sie eine Sicherungskopie machen?"},
    {"Backup is running... please wait!", "Backup l\xE4uft... bitte warten!"},
    {"Error", "Fehler"},
    {"Error during backup!", "Fehler w\xE4hrend dem Backup!"},
};

const char* Text(Language language, TextId id) { return kTexts[id].in(language); }

// Controls in the order of their show-mask bits.
const int kMaskedControls[] = {IDC_BACKUP_MESSAGE, IDC_BACKUP_YES, IDC_BACKUP_NO,
                               IDC_BACKUP_DONT_ASK, IDC_BACKUP_ICON, IDC_BACKUP_ANIMATION};

}  // namespace

CBackupDlg::CBackupDlg(Language language, const char* displayName, const char* sourceFolder,
                       CopyTreeRoutine copy)
    : CDialog(IDD_BACKUP),
      sourceFolder_(sourceFolder ? sourceFolder : ""),
      exclusions_(kBackupExclusions),
      displayName_(displayName ? displayName : ""),
      copy_(copy ? copy : &CopyTree),
      language_(language) {}

BOOL CBackupDlg::OnInitDialog() {
    SetWindowTextA(hwnd(), Text(language_, kCaption));
    SetItemText(IDC_BACKUP_YES, Text(language_, kYes));
    SetItemText(IDC_BACKUP_NO, Text(language_, kNo));
    SetItemText(IDC_BACKUP_DONT_ASK, Text(language_, kDontAsk));
    SendDlgItemMessageA(hwnd(), IDC_BACKUP_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconA(NULL, IDI_EXCLAMATION)), 0);
    if (animation_.SubclassDlgItem(IDC_BACKUP_ANIMATION, hwnd()) &&
        animation_.Load(MAKEINTRESOURCEA(IDR_BACKUP_ANIMATION), "GIF"))
        animation_.Draw();
    message_ = Format(Text(language_, kQuestion), displayName_);
    ApplyShowMask(kQuestionLayout);
    ShowMessage();
    CheckDlgButton(hwnd(), IDC_BACKUP_DONT_ASK, dontAsk_ ? BST_CHECKED : BST_UNCHECKED);

    switch (RememberedBackupAnswer()) {
    case kAlwaysBackUp: OnYes(); break;
    case kNeverBackUp: OnNo(); break;
    }
    return TRUE;
}

void CBackupDlg::ApplyShowMask(int mask) {
    showMask_ = mask;
    for (int bit = 0; bit < 6; ++bit)
        ShowWindow(Item(kMaskedControls[bit]), (mask & (1 << bit)) ? SW_SHOW : SW_HIDE);
    if (!(mask & (2 | 4))) {
        // Without buttons the prompt shrinks to its text.
        RECT window, text;
        GetWindowRect(hwnd(), &window);
        GetWindowRect(Item(IDC_BACKUP_MESSAGE), &text);
        SetWindowPos(hwnd(), NULL, 0, 0, window.right - window.left, text.bottom + 5 - window.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CBackupDlg::ShowMessage() { SetItemText(IDC_BACKUP_MESSAGE, message_.c_str()); }

bool CBackupDlg::DontAskTicked() {
    dontAsk_ = IsDlgButtonChecked(hwnd(), IDC_BACKUP_DONT_ASK) == BST_CHECKED;
    return dontAsk_ != 0;
}

bool CBackupDlg::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
    case IDC_BACKUP_YES:
        if (!worker_) OnYes();
        return true;
    case IDC_BACKUP_NO:
        if (!worker_) OnNo();
        return true;
    case IDOK:   // Enter answers nothing: the user chooses
        return true;
    case IDCANCEL:   // closing: like No, nothing remembered
        if (BeginEnding()) EndDialog(IDCANCEL);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

// False while the worker's error box is over the prompt: the prompt ends once
// that box has been confirmed, so the box never loses its owner. Otherwise
// the prompt is ending from now on and the copy is told to stop.
bool CBackupDlg::BeginEnding() {
    int expected = kCopying;
    if (!owner_.compare_exchange_strong(expected, kPromptEnding) && expected == kBoxOverPrompt)
        return false;
    abort_ = 1;
    return true;
}

void CBackupDlg::OnYes() {
    if (DontAskTicked()) RememberBackupAnswer(kAlwaysBackUp);
    message_ = displayName_ + "\n" + Text(language_, kRunning);
    ApplyShowMask(kRunningLayout);
    ShowMessage();

    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    backupFolder_ = local ? BackupFolderName(sourceFolder_, *local) : sourceFolder_ + "_backup_";
    window_ = hwnd();
    DWORD id = 0;
    worker_.reset(CreateThread(NULL, 0, &Worker, this, 0, &id));
    if (!worker_) {
        ReportFailure(hwnd());
        EndDialog(IDABORT);
    }
}

void CBackupDlg::OnNo() {
    if (DontAskTicked()) RememberBackupAnswer(kNeverBackUp);
    EndDialog(IDC_BACKUP_NO);
}

void CBackupDlg::ReportFailure(HWND owner) const {
    MessageBoxA(owner, Text(language_, kErrorText), Text(language_, kErrorCaption),
                MB_OK | MB_ICONERROR);
}

// Nothing thrown by the copy leaves this thread: it ends the copy as a failed
// one, with the backup error.
DWORD CBackupDlg::RunCopy() {
    try {
        return copy_(sourceFolder_, backupFolder_, exclusions_, abort_);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_GEN_FAILURE;
    }
}

DWORD WINAPI CBackupDlg::Worker(LPVOID param) {
    CBackupDlg* self = static_cast<CBackupDlg*>(param);
    const DWORD result = self->RunCopy();
    if (result) {
        // Owned by the prompt only while it is not ending; once it is going
        // its window is no owner and the box stands alone.
        int expected = kCopying;
        const bool owned = self->owner_.compare_exchange_strong(expected, kBoxOverPrompt);
        self->ReportFailure(owned ? self->window_ : NULL);
    }
    if (self->owner_.load() != kPromptEnding) PostMessageA(self->window_, WM_BACKUP_FINISHED, 0, 0);
    self->workerDone_ = true;   // the last use of the prompt
    return result;
}

bool CBackupDlg::OnMessage(UINT msg, WPARAM, LPARAM, INT_PTR* result) {
    if (msg != WM_BACKUP_FINISHED) return false;
    EndDialog(IDOK);
    *result = 0;
    return true;
}

void CBackupDlg::OnDestroy() {
    // Also when the window goes without a close (its owner went first).
    int expected = kCopying;
    owner_.compare_exchange_strong(expected, kPromptEnding);
    abort_ = 1;
    if (!worker_) return;
    Sleep(10);
    WaitForWorker();
    worker_.reset();
}

// Until the worker has gone: it reads this object. Messages that other
// threads send here (its error box, owned by this window, sends some) are
// handled meanwhile, or the two threads would wait for each other. A wait
// that fails says nothing about the worker, so then the worker's own word
// is polled instead.
void CBackupDlg::WaitForWorker() {
    HANDLE thread = worker_.get();
    while (!workerDone_.load()) {
        const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return;
        if (r != WAIT_OBJECT_0 + 1) Sleep(10);
        MSG m;
        PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE);
    }
}

#include "BackupDlg.h"

#include <cstdio>
#include <cstring>
#include <ctime>
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

CBackupDlg::CBackupDlg(Language language, const char* displayName, const char* sourceFolder)
    : CDialog(IDD_BACKUP),
      sourceFolder_(sourceFolder ? sourceFolder : ""),
      exclusions_("*.bin, *.tmp"),
      displayName_(displayName ? displayName : ""),
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
        OnNo();
        return true;
    case IDOK:   // Enter answers nothing: the user chooses
        return true;
    }
    return CDialog::OnCommand(id, code, control);   // closing: like No, nothing remembered
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

DWORD WINAPI CBackupDlg::Worker(LPVOID param) {
    CBackupDlg* self = static_cast<CBackupDlg*>(param);
    const DWORD result = CopyTree(self->sourceFolder_, self->backupFolder_, self->exclusions_,
                                  self->abort_);
    // Once the prompt is going its window is no owner: the box stands alone.
    const bool ending = self->abort_.load() != 0;
    if (result) self->ReportFailure(ending ? NULL : self->window_);
    if (!self->abort_.load() && IsWindow(self->window_))
        PostMessageA(self->window_, WM_BACKUP_FINISHED, 0, 0);
    return result;
}

bool CBackupDlg::OnMessage(UINT msg, WPARAM, LPARAM, INT_PTR* result) {
    if (msg != WM_BACKUP_FINISHED) return false;
    EndDialog(IDOK);
    *result = 0;
    return true;
}

void CBackupDlg::OnDestroy() {
    abort_ = 1;
    if (!worker_) return;
    Sleep(10);
    // Until the worker has gone: it reads this object. Messages that other
    // threads send here (its error box, owned by this window, sends some)
    // are handled meanwhile, or the two threads would wait for each other.
    for (;;) {
        HANDLE thread = worker_.get();
        const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) break;
        MSG m;
        PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE);
    }
    worker_.reset();
}

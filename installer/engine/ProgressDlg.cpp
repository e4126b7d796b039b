#include "ProgressDlg.h"

#include "resource.h"

std::vector<std::string> ProgressLines(const CToolInstallJob& job) {
    // Each line is its label, a blank and its value; English always.
    std::vector<std::string> lines;
    const int phase = job.phase;
    if (!job.projectFilesOnly) {
        lines.push_back("Application: " + job.tool.dir);
        lines.push_back("Destination: " + job.targetFolder);
        lines.push_back("Copying Temporary Setup Files ");
        if (phase > PhaseCopySetup) lines.push_back("Executing Setup ");
        if (phase == PhaseWaitSetup && job.stillWaitingShown) lines.push_back(job.StillWaitingText());
        if (phase > PhaseWaitSetup) {
            lines.push_back(job.setupComplete ? "Setup finished " : "Setup terminated ");
            lines.push_back("Deleting Temporary Setup Files ");
        }
    }
    if (phase > PhaseAfterSetup) lines.push_back("Copying Project Files ");
    return lines;
}

CSetupProgressDlg::CSetupProgressDlg(ToolRecord& tool) : CDialog(IDD_PROGRESS), job_(tool) {}

BOOL CSetupProgressDlg::OnInitDialog() {
    font_.reset(CreateFontA(-11, 0, 0, 0, 400, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif"));
    job_.SetHost(*this);
    // A job that ends here closes the window before it is ever shown.
    job_.Prepare();
    return TRUE;
}

bool CSetupProgressDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    {
        // Without its font the lines are drawn in the DC's own.
        win::SelectGuard selected(dc, font_.get());
        SetBkMode(dc, TRANSPARENT);
        int y = 20;
        for (const std::string& line : ProgressLines(job_)) {
            TextOutA(dc, 10, y, line.c_str(), static_cast<int>(line.size()));
            y += 20;
        }
    }
    EndPaint(hwnd(), &ps);
    // After the paint is over: the step may repaint (and so nest) at once.
    job_.OnPainted();
    return true;
}

bool CSetupProgressDlg::OnTimer(UINT_PTR id) { return job_.OnSupervisionTick(static_cast<unsigned>(id)); }

bool CSetupProgressDlg::OnCommand(WORD id, WORD code, HWND control) {
    // Enter and Escape (and the window's Close, which sends Escape) would
    // close the window with 1 or 2 while the setup goes on, and the run
    // would report a failure that did not happen. Escape is the job's to
    // decide: while it waits for the setup, it offers to stop waiting.
    if (id == IDCANCEL) {
        if (!unattended_) job_.OnEscape();
        return true;
    }
    if (id == IDOK) return true;
    return CDialog::OnCommand(id, code, control);
}

void CSetupProgressDlg::RepaintNow() {
    InvalidateRect(hwnd(), NULL, TRUE);
    UpdateWindow(hwnd());
}

void CSetupProgressDlg::Close(int result) {
    KillTimer(hwnd(), kJobTimer);
    EndDialog(result);
}

void CSetupProgressDlg::StartTimer(unsigned periodMs) { SetTimer(hwnd(), kJobTimer, periodMs, NULL); }

void CSetupProgressDlg::StopTimer() { KillTimer(hwnd(), kJobTimer); }

bool CSetupProgressDlg::AskYesNo(const char* text, const char* caption) {
    if (unattended_) return false;
    return MessageBoxA(hwnd(), text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CSetupProgressDlg::ShowMessage(const char* text, const char* caption, unsigned icon) {
    if (unattended_) return;
    MessageBoxA(hwnd(), text, caption, MB_OK | icon);
}

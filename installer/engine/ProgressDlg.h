// The progress window of one tool: it hosts the tool's install job, shows
// how far the job has come, starts each step from its paint and returns the
// job's result code.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Dialog.h"
#include "ToolInstallJob.h"
#include "WinHandles.h"

// The progress lines for the job as it stands, in the order they are drawn.
std::vector<std::string> ProgressLines(const CToolInstallJob& job);

class CSetupProgressDlg : public CDialog, public JobHost {
public:
    explicit CSetupProgressDlg(ToolRecord& tool);

    // The job's inputs are set here before DoModal; DoModal returns the
    // job's result (ResultSuccess or a failure code).
    CToolInstallJob& job() { return job_; }
    // Nobody is there to answer: no message box shows (the job logs its
    // notices), and Escape asks nothing.
    void SetUnattended() { unattended_ = true; }

    void RepaintNow() override;
    void Close(int result) override;
    void StartTimer(unsigned periodMs) override;
    void StopTimer() override;
    void ShowMessage(const char* text, const char* caption, unsigned icon) override;
    bool AskYesNo(const char* text, const char* caption) override;

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    CToolInstallJob job_;
    win::GdiObject font_;  // the lines' font, made once with the window
    bool unattended_ = false;
};

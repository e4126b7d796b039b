// The phase machine: steps follow each other through repaints of the window,
// and the job ends once.
#include "ToolInstallJob.h"

#include "Varnet01.h"

#include <string>

CToolInstallJob::CToolInstallJob(ToolRecord& toolRecord) : tool(toolRecord) {}

CToolInstallJob::~CToolInstallJob() {}

void CToolInstallJob::RunPhase() {
    // A step that throws (a failed allocation, say) would otherwise never
    // end the job, and its window would stay open for good: the job ends
    // as an unknown problem and the run goes on with the next tool.
    try {
        switch (phase) {
        case PhaseCopySetup: CopySetupFiles(); break;
        case PhaseStartSetup: StartSetup(); break;
        case PhaseAfterSetup: AfterSetup(); break;
        case PhaseProjectFiles: CopyProjectFiles(); break;
        default: break;  // waiting for the setup, or ended
        }
    } catch (...) {
        EndJob(ResultUnknown);
    }
}

void CToolInstallJob::AdvancePhase() {
    if (phase == PhaseEnded) return;
    ++phase;
    if (host_) host_->RepaintNow();
}

void CToolInstallJob::EndJob(int code) {
    if (phase == PhaseEnded) return;
    phase = PhaseEnded;
    if (log)
        log->Line(code == ResultSuccess ? tool.name + ": result: installed"
                                        : tool.name + ": result: code " + std::to_string(code) +
                                              ", " + GetResultMessage(code));
    if (host_) host_->Close(code);
}

void CToolInstallJob::OnPainted() {
    // PhaseEnded has the value that also means "not yet shown": without this
    // a paint after the end would ask for a new start.
    if (phase == PhaseEnded) return;
    if (lastStartedPhase == StartNotRequested) {
        if (host_) host_->StartTimer(kStartDelayMs);
        return;
    }
    if (lastStartedPhase == phase) return;
    lastStartedPhase = phase;
    RunPhase();
}

unsigned long long CToolInstallJob::AvailableBytes(const std::string& root) const {
    return fGetDriveInfo(root.c_str(), NULL);
}

std::string CToolInstallJob::WindowsFolder(int kind) const {
    const char* folder = fGetWindowsDirectory(kind);
    return folder ? std::string(folder) : std::string();
}

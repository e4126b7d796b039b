// Phase 3: timer 1 counts down the tool's Delay, then looks once a second
// for the setup until it has gone. The same timer gives the first start.
#include "ToolInstallJob.h"

#include "Varnet01.h"

// The installer itself never counts: a Title like its own progress
// window's caption, or a Setup named like its program, would otherwise keep
// that tool from ever being installed.
bool CToolInstallJob::IsSetupRunning() const {
    if (GetOtherProcessId_Varnet(tool.setup.c_str()) != 0) return true;
    return GetOtherTaskHandle(tool.title.c_str()) != NULL;
}

bool CToolInstallJob::OnSupervisionTick(unsigned timerId) {
    if (timerId != kJobTimer) return false;
    if (phase == PhaseEnded) return true;
    if (phase == PhaseWaitSetup) {
        // A negative Delay would count down for years: it waits for none.
        if (delayCountdown > 0) {
            --delayCountdown;
            return true;
        }
        bool running;
        try {
            running = IsSetupRunning();
        } catch (...) {
            // As a step that throws: the job ends rather than wait for good.
            if (host_) host_->StopTimer();
            EndJob(ResultUnknown);
            return true;
        }
        if (running) return true;
        if (host_) host_->StopTimer();
        AdvancePhase();
        return true;
    }
    if (lastStartedPhase == StartNotRequested) {
        // The start request of the first paint.
        lastStartedPhase = StartRequested;
        if (host_) {
            host_->StopTimer();
            host_->RepaintNow();
        }
    }
    return true;
}

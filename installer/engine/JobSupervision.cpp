// Phase 3: timer 1 counts down the tool's Delay, then looks once a second
// for the setup until it has gone. The same timer gives the first start.
#include "ToolInstallJob.h"

#include "Format.h"
#include "Varnet01.h"

namespace {

const BilingualText kStillWaiting = {"Still waiting for %s Setup (Esc: stop waiting)",
                                     "Warte auf %s Setup (Esc: nicht mehr warten)"};
const BilingualText kStopQuestion = {
    "Stop waiting for %s Setup? The setup program keeps running.",
    "Nicht mehr auf %s Setup warten? Das Setup-Programm l\xE4uft weiter."};
// The progress window's caption.
const char kQuestionCaption[] = "Kitbay";

}  // namespace

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
        if (running) {
            ++waitedTicks;
            if (waitedTicks == kStillWaitingTicks) {
                stillWaitingShown = true;
                if (host_) host_->RepaintNow();
            }
            if (setupTimeoutTicks > 0 && waitedTicks >= setupTimeoutTicks) {
                if (log)
                    log->Line("Setup still running after " + std::to_string(waitedTicks) +
                              " s of waiting: no longer waited for");
                StopWaiting();
            }
            return true;
        }
        if (host_) host_->StopTimer();
        if (log)
            log->Line("Setup seen gone after " + std::to_string(tool.delay > 0 ? tool.delay : 0) +
                      " s of Delay and " + std::to_string(waitedTicks) + " s of waiting");
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

std::string CToolInstallJob::StillWaitingText() const {
    return Format(kStillWaiting.in(language), tool.name);
}

void CToolInstallJob::OnEscape() {
    if (phase != PhaseWaitSetup || !host_) return;
    const std::string question = Format(kStopQuestion.in(language), tool.name);
    if (!host_->AskYesNo(question.c_str(), kQuestionCaption)) return;
    // The supervision goes on while the question is open: the setup may
    // have gone, and the job moved on, by now.
    if (phase != PhaseWaitSetup) return;
    if (log) log->Line("Setup still running: the user stopped the wait");
    StopWaiting();
}

void CToolInstallJob::StopWaiting() {
    if (phase != PhaseWaitSetup) return;
    setupAbandoned = true;
    if (host_) host_->StopTimer();
    AdvancePhase();
}

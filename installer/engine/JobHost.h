// What an install job asks of the window that hosts it. The progress window
// implements it; tests implement it to drive a job without a window.
#pragma once

// The one timer identifier a job uses, and its two periods.
const unsigned kJobTimer = 1;
const unsigned kStartDelayMs = 100;         // once, from the first paint to the first step
const unsigned kSupervisionPeriodMs = 1000; // while the setup runs

class JobHost {
public:
    // Invalidates the whole window and paints it before returning. The
    // paint ends with CToolInstallJob::OnPainted, which runs the next step.
    virtual void RepaintNow() = 0;
    // Closes the window; `result` is what its modal run returns.
    virtual void Close(int result) = 0;
    // Starts (or restarts) timer 1 with this period; its ticks go to
    // CToolInstallJob::OnSupervisionTick.
    virtual void StartTimer(unsigned periodMs) = 0;
    virtual void StopTimer() = 0;
    // A modal message box owned by the window, with an OK button; returns
    // when it has been dismissed. `icon` is an MB_ICON... value.
    virtual void ShowMessage(const char* text, const char* caption, unsigned icon) = 0;
    // A modal question owned by the window, with Yes and No; true for Yes.
    virtual bool AskYesNo(const char* text, const char* caption) = 0;

protected:
    ~JobHost() = default;
};

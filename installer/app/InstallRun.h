// The install run behind "Install": it checks the input, stores the user's
// choices, installs every selected tool (backup offer, then the tool's job in
// its progress window), keeps the tally and the restart flag and produces the
// final status text. It reaches its surroundings only through
// RunSurroundings, so the main dialog and a run without it can drive it
// alike.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Language.h"
#include "RunLog.h"
#include "ToolRecord.h"
#include "WindowsFamily.h"

class CSetupProgressDlg;

// The user's input for one run.
struct RunSettings {
    std::string project;
    std::string userName;
    std::string company;
    std::string drive;  // a root such as "C:\", as shown
    Language language = LanguageEnglish;
};

// What a run asks of whoever drives it.
class RunSurroundings {
public:
    // The status line.
    virtual void ShowStatus(const std::string& text) = 0;
    // An error box with the error icon; returns once confirmed.
    virtual void ShowError(const std::string& text, const std::string& caption) = 0;
    // The backup offer for an existing target folder; its answer does not
    // matter to the run.
    virtual void OfferBackup(Language language, const std::string& targetFolder,
                             const std::string& dir) = 0;
    // Runs the progress window, its job filled in, modally; returns what the
    // modal run returned.
    virtual INT_PTR RunProgressWindow(CSetupProgressDlg& window) = 0;
    // The tool has been through its window, whatever the result (the main
    // dialog disables its check box).
    virtual void ToolProcessed(const ToolRecord& tool) = 0;
    // The input has passed the checks and nothing is installed yet (the
    // dialog records it into an answer file when asked to).
    virtual void InputAccepted(const RunSettings& settings,
                               const std::vector<ToolRecord*>& tools) {
        (void)settings;
        (void)tools;
    }

protected:
    ~RunSurroundings() = default;
};

class InstallRun {
public:
    // `family` goes to every job.
    InstallRun(RunSurroundings& surroundings, WindowsFamily family);

    // The folder of KVTInstall.ini with its trailing "\": every tool's
    // source folder is below it.
    void SetMediumRoot(const std::string& mediumRoot) { mediumRoot_ = mediumRoot; }
    // The install log, or null; the run hands it to every job. Every error
    // the run shows is logged as well.
    void SetLog(RunLog* log) { log_ = log; }

    // The first refusal of the input, in the order of the fields, in the
    // input's language; empty when it passes.
    static std::string Refusal(const RunSettings& settings);

    // Validates, stores the settings for the project, and installs `tools`
    // (the selected ones, in tool-number order), one failure not stopping
    // the next. The final status text when at least one tool was installed;
    // empty when the input was refused or nothing was installed (the status
    // line then keeps the last error).
    std::string Install(const RunSettings& settings, const std::vector<ToolRecord*>& tools);

    // The folder a tool installs into: drive + "Tarvo\" + (project + "\"
    // when the tool's Installpath is set) + the tool's Dir.
    static std::string TargetFolder(const std::string& drive, const std::string& project,
                                    const ToolRecord& tool);

    // Set once a tool that needs a restart has been installed; Exit clears
    // it after trying one.
    int restartNeeded = 0;
    // Tools installed and tools failed, over every Install of the run.
    int toolsInstalled = 0;
    int toolsFailed = 0;

private:
    bool Validate(const RunSettings& settings);
    bool ProcessTool(const RunSettings& settings, ToolRecord& tool);

    RunSurroundings& surroundings_;
    const WindowsFamily family_;
    std::string mediumRoot_;
    RunLog* log_ = nullptr;
};

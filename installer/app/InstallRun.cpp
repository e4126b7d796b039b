#include "InstallRun.h"

#include "CatalogueReading.h"

#include "Format.h"
#include "InstallTypes.h"
#include "PathText.h"
#include "ProgressDlg.h"
#include "Settings.h"
#include "Texts.h"

#include <cstring>

InstallRun::InstallRun(RunSurroundings& surroundings, WindowsFamily family)
    : surroundings_(surroundings), family_(family) {}

std::string InstallRun::TargetFolder(const std::string& drive, const std::string& project,
                                     const ToolRecord& tool) {
    return drive + "Tarvo\\" + (tool.installPath ? project + "\\" : std::string()) + tool.dir;
}

namespace {

// kMaxProjectLength: CatalogueReading.h, which says why.

// What no folder or single key name can hold: the separators, the
// characters Windows reserves in file names, and control characters.
bool HasBadProjectCharacter(const std::string& project) {
    for (unsigned char c : project)
        if (c < 32 || std::strchr("\\/:*?\"<>|", c)) return true;
    return false;
}

}  // namespace

// The first refusal of the input, in the order of the fields; empty when it
// passes.
std::string InstallRun::Refusal(const RunSettings& settings) {
    const Language language = settings.language;
    // Only an empty text fails: blanks are content.
    if (settings.project.empty()) return DialogText(TXT_NO_PROJECT, language);
    if (settings.project.size() > kMaxProjectLength)
        return Format(DialogText(TXT_PROJECT_TOO_LONG, language), std::to_string(kMaxProjectLength));
    if (HasBadProjectCharacter(settings.project))
        return DialogText(TXT_PROJECT_BAD_CHARACTER, language);
    if (settings.userName.empty()) return DialogText(TXT_NO_NAME, language);
    if (settings.company.empty()) return DialogText(TXT_NO_COMPANY, language);
    return std::string();
}

bool InstallRun::Validate(const RunSettings& settings) {
    const std::string refusal = Refusal(settings);
    if (refusal.empty()) return true;
    if (log_) log_->Line("Input refused: " + refusal);
    surroundings_.ShowStatus(refusal);
    surroundings_.ShowError(refusal, DialogText(TXT_ERROR, settings.language));
    return false;
}

std::string InstallRun::Install(const RunSettings& settings,
                                const std::vector<ToolRecord*>& tools) {
    if (!Validate(settings)) return std::string();
    surroundings_.InputAccepted(settings, tools);
    if (log_) {
        std::string names;
        for (const ToolRecord* tool : tools) names += (names.empty() ? "" : ", ") + tool->name;
        log_->Line("Choices: project \"" + settings.project + "\", name \"" + settings.userName +
                   "\", company \"" + settings.company + "\", drive " + settings.drive +
                   ", language " +
                   (settings.language == LanguageGerman ? "German" : "English") + ", tools: " +
                   (names.empty() ? "none" : names));
    }
    StoreSettings(settings.project, settings.userName, settings.company, settings.drive,
                  settings.language);

    int installed = 0;
    bool allOk = true;
    for (ToolRecord* tool : tools) {
        if (ProcessTool(settings, *tool)) {
            if (tool->restartWindows) {
                restartNeeded = 1;
                if (log_) log_->Line(tool->name + ": Windows must be restarted");
            }
            ++installed;
        } else {
            allOk = false;
        }
    }
    toolsInstalled += installed;
    toolsFailed += static_cast<int>(tools.size()) - installed;
    // Without any success the status line keeps the last tool's error.
    if (installed == 0) {
        if (log_) log_->Line("Outcome: nothing installed");
        return std::string();
    }
    const std::string text =
        DialogText(allOk ? TXT_INSTALL_OK : TXT_INSTALL_PROBLEMS, settings.language);
    if (log_) log_->Line("Outcome: " + text);
    return text;
}

bool InstallRun::ProcessTool(const RunSettings& settings, ToolRecord& tool) {
    CSetupProgressDlg progress(tool);
    CToolInstallJob& job = progress.job();
    job.toolSourceFolder = mediumRoot_ + tool.dir;
    job.targetFolder = TargetFolder(settings.drive, settings.project, tool);
    job.projectName = settings.project;
    job.language = settings.language;
    job.family = family_;
    job.userName = settings.userName;
    job.company = settings.company;
    job.log = log_;

    surroundings_.ShowStatus(Format(DialogText(TXT_STARTING_SETUP, settings.language), tool.name));
    // A Dir that leaves the "Tarvo" folder names someone else's folder: no
    // backup of it either (the job refuses the tool).
    if (StaysInsideFolder(tool.dir))
        surroundings_.OfferBackup(settings.language, job.targetFolder, tool.dir);

    const INT_PTR result = surroundings_.RunProgressWindow(progress);
    surroundings_.ToolProcessed(tool);
    // A window that could not be made also answers -1: only a job that
    // really ended counts as a success.
    const bool ended = job.phase == PhaseEnded;
    if (result == ResultSuccess && ended) return true;

    const int code = !ended || result < 0 || result > ResultUnknown ? ResultUnknown
                                                                    : static_cast<int>(result);
    const std::string text = tool.name + ": " + job.GetResultMessage(code);
    if (log_) log_->Line("Failed: " + text + " (code " + std::to_string(code) + ")");
    surroundings_.ShowStatus(text);
    surroundings_.ShowError(text, DialogText(TXT_ERROR, settings.language));
    return false;
}

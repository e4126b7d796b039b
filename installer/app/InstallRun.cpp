#include "InstallRun.h"

#include "Format.h"
#include "InstallTypes.h"
#include "PathText.h"
#include "ProgressDlg.h"
#include "Settings.h"
#include "Texts.h"

InstallRun::InstallRun(RunSurroundings& surroundings, WindowsFamily family)
    : surroundings_(surroundings), family_(family) {}

std::string InstallRun::TargetFolder(const std::string& drive, const std::string& project,
                                     const ToolRecord& tool) {
    return drive + "Tarvo\\" + (tool.installPath ? project + "\\" : std::string()) + tool.dir;
}

bool InstallRun::Validate(const RunSettings& settings) {
    // Only an empty text fails: blanks are content.
    const struct {
        const std::string& field;
        int text;
    } required[] = {
        {settings.project, TXT_NO_PROJECT},
        {settings.userName, TXT_NO_NAME},
        {settings.company, TXT_NO_COMPANY},
    };
    for (const auto& r : required) {
        if (!r.field.empty()) continue;
        const char* text = DialogText(r.text, settings.language);
        surroundings_.ShowStatus(text);
        surroundings_.ShowError(text, DialogText(TXT_ERROR, settings.language));
        return false;
    }
    return true;
}

std::string InstallRun::Install(const RunSettings& settings,
                                const std::vector<ToolRecord*>& tools) {
    if (!Validate(settings)) return std::string();
    StoreSettings(settings.project, settings.userName, settings.company, settings.drive,
                  settings.language);

    int installed = 0;
    bool allOk = true;
    for (ToolRecord* tool : tools) {
        if (ProcessTool(settings, *tool)) {
            if (tool->restartWindows) restartNeeded = 1;
            ++installed;
        } else {
            allOk = false;
        }
    }
    // Without any success the status line keeps the last tool's error.
    if (installed == 0) return std::string();
    return DialogText(allOk ? TXT_INSTALL_OK : TXT_INSTALL_PROBLEMS, settings.language);
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
    surroundings_.ShowStatus(text);
    surroundings_.ShowError(text, DialogText(TXT_ERROR, settings.language));
    return false;
}

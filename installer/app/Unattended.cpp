#include "Unattended.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "BackupOffer.h"
#include "Catalogue.h"
#include "ConfigFile.h"
#include "InstallRun.h"
#include "PathText.h"
#include "ProgressDlg.h"
#include "Varnet01.h"

#ifndef KVT_VERSION
#define KVT_VERSION "unknown"
#endif

namespace {

const char* FamilyName(WindowsFamily family) {
    switch (family) {
    case FamilyWin95: return "Windows 95";
    case FamilyWin98: return "Windows 98";
    case FamilyNT: return "Windows NT";
    default: return "unknown";
    }
}

// The run's surroundings when nobody is at the machine to answer: what the
// dialog would show is logged (the run logs its errors itself), the backup
// prompt is answered from the answer file.
class UnattendedSurroundings : public RunSurroundings {
public:
    UnattendedSurroundings(const Answers& answers, RunLog* log) : answers_(answers), log_(log) {}

    void ShowStatus(const std::string&) override {}
    void ShowError(const std::string&, const std::string&) override {}
    void OfferBackup(Language, const std::string& targetFolder, const std::string&) override {
        if (!IsBackupCandidate(GetFileAttributesA(targetFolder.c_str()))) return;
        if (!answers_.backup) {
            Log("Backup of " + targetFolder + ": not made (Backup=No)");
            return;
        }
        std::string backupFolder;
        const DWORD error = BackUpFolder(targetFolder, backupFolder);
        Log(error == 0 ? "Backup of " + targetFolder + " made in " + backupFolder
                       : "Backup of " + targetFolder + " into " + backupFolder +
                             " failed: " + WindowsErrorText(error));
    }
    INT_PTR RunProgressWindow(CSetupProgressDlg& window) override {
        window.SetUnattended();
        window.job().setupTimeoutTicks = answers_.setupTimeoutMinutes * 60;
        return window.DoModal(NULL);
    }
    void ToolProcessed(const ToolRecord&) override {}

private:
    void Log(const std::string& text) {
        if (log_) log_->Line(text);
    }

    const Answers& answers_;
    RunLog* log_;
};

// The catalogue's records, in tool-number order, and whether each is
// offered on this family.
struct CatalogueTool {
    ToolRecord record;
    bool offered = false;
};

}  // namespace

void LogStart(RunLog& log, WindowsFamily family) {
    log.Line("KVTInstall " KVT_VERSION);
    log.Line(std::string("Command line: ") + GetCommandLineA());
    log.Line(std::string("Windows family: ") + FamilyName(family));
    CIniData config = ConfigFile();
    const std::string ini = config.GetIniFileName();
    const size_t slash = ini.rfind('\\');
    log.Line("Medium root: " + (slash == std::string::npos ? ini : ini.substr(0, slash + 1)));
}

std::string FixedDriveRoot(const std::string& text) {
    if (text.empty() || text.size() > 3) return std::string();
    const char letter = UpperAscii(text[0]);
    if (letter < 'A' || letter > 'Z') return std::string();
    if (text.size() >= 2 && text[1] != ':') return std::string();
    if (text.size() == 3 && text[2] != '\\') return std::string();
    const char root[4] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root) == DRIVE_FIXED ? std::string(root) : std::string();
}

int RunUnattended(const std::string& answerFile, bool restart, WindowsFamily family, RunLog* log,
                  SystemRestart& restarter) {
    auto unusable = [log](const std::string& reason) {
        if (log) {
            log->Line("Nothing installed: " + reason);
            log->Line("Exit code 2");
        }
        return static_cast<int>(kExitUnusable);
    };

    Answers answers;
    std::string error;
    if (!ReadAnswers(answerFile, answers, error)) return unusable(error);

    CIniData config = ConfigFile();
    std::string mediumRoot;
    std::vector<std::string> sections;
    if (const char* problem = OpenCatalogue(config, mediumRoot, sections)) return unusable(problem);
    std::vector<std::unique_ptr<CatalogueTool>> catalogue;
    for (size_t i = 0; i < sections.size(); ++i) {
        std::unique_ptr<CatalogueTool> tool(new CatalogueTool);
        tool->record.section = sections[i];
        tool->offered = ReadToolRecord(config, static_cast<int>(i) + 1, family, tool->record);
        catalogue.push_back(std::move(tool));
    }

    // Named tools in tool-number order, as the dialog hands them over.
    std::vector<bool> chosen(catalogue.size(), false);
    for (const std::string& name : answers.tools) {
        bool known = false;
        for (size_t i = 0; i < catalogue.size(); ++i) {
            if (!EqualsNoCase(catalogue[i]->record.section, name)) continue;
            known = chosen[i] = true;
        }
        if (!known) return unusable("the tool " + name + " is not in KVTInstall.ini");
    }
    const std::string drive = FixedDriveRoot(answers.drive);
    if (drive.empty()) return unusable("the drive " + answers.drive + " is not a fixed disk here");

    RunSettings settings;
    settings.project = answers.project;
    settings.userName = answers.name;
    settings.company = answers.company;
    settings.drive = drive;
    settings.language = LanguageFromValue(answers.language);
    const std::string refusal = InstallRun::Refusal(settings);
    if (!refusal.empty()) return unusable(refusal);

    std::vector<ToolRecord*> tools;
    for (size_t i = 0; i < catalogue.size(); ++i) {
        if (!chosen[i]) continue;
        if (catalogue[i]->offered)
            tools.push_back(&catalogue[i]->record);
        else if (log)
            log->Line(catalogue[i]->record.name + ": skipped, not offered on " +
                      FamilyName(family));
    }

    UnattendedSurroundings surroundings(answers, log);
    InstallRun run(surroundings, family);
    run.SetMediumRoot(mediumRoot);
    run.SetLog(log);
    run.Install(settings, tools);

    int code = kExitInstalled;
    if (run.toolsFailed > 0) {
        code = kExitToolFailed;
    } else if (run.restartNeeded) {
        code = kExitRestartNeeded;
    }
    if (run.restartNeeded) {
        if (!restart) {
            if (log) log->Line("Windows needs a restart; not restarted (no /RESTART)");
        } else {
            const bool privileged =
                fGetWinVersion() != VARNET_PLATFORM_NT || restarter.EnableShutdownPrivilege();
            const bool requested = privileged && restarter.RequestRestart();
            if (log)
                log->Line(requested ? "Windows is restarting"
                                    : "Windows refused to restart: " +
                                          WindowsErrorText(GetLastError()));
        }
    }
    if (log) {
        log->Line("Installed " + std::to_string(run.toolsInstalled) + ", failed " +
                  std::to_string(run.toolsFailed));
        log->Line("Exit code " + std::to_string(code));
    }
    return code;
}

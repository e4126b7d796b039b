// The install run behind "Install", and "Exit" with its restart question.
#include "MainDlg.h"

#include <vector>

#include "BackupOffer.h"
#include "Format.h"
#include "InstallTypes.h"
#include "ProgressDlg.h"
#include "Texts.h"
#include "Varnet01.h"
#include "resource.h"

void CMainDlg::OnInstall() {
    // Enter reaches here only through an enabled Install button; a command
    // sent past a disabled one has nothing to install.
    if (!IsWindowEnabled(Item(IDOK))) return;
    // Only an empty text fails: blanks are content.
    const struct {
        int field;
        int text;
    } required[] = {
        {IDC_PROJECT, TXT_NO_PROJECT},
        {IDC_USER_NAME, TXT_NO_NAME},
        {IDC_COMPANY, TXT_NO_COMPANY},
    };
    for (const auto& r : required) {
        if (!ItemText(r.field).empty()) continue;
        SetStatus(Text(r.text));
        MessageBoxA(hwnd(), Text(r.text), Text(TXT_ERROR), MB_OK | MB_ICONERROR);
        return;
    }

    StoreCurrentSettings();

    int installed = 0;
    bool allOk = true;
    for (size_t i = 0; i < ToolCount(); ++i) {
        ToolCheckBox& tool = Tool(i);
        if (!tool.hwnd() || !tool.IsSelected()) continue;
        if (ProcessTool(tool)) {
            if (tool.record.restartWindows) restartNeeded = 1;
            ++installed;
        } else {
            allOk = false;
        }
    }

    RefreshButtons();
    // Without any success the status line keeps the last tool's error.
    if (installed > 0) SetStatus(Text(allOk ? TXT_INSTALL_OK : TXT_INSTALL_PROBLEMS));
}

bool CMainDlg::ProcessTool(ToolCheckBox& tool) {
    const ToolRecord& rec = tool.record;
    const std::string project = ItemText(IDC_PROJECT);
    CSetupProgressDlg progress(tool.record);
    CToolInstallJob& job = progress.job();
    job.toolSourceFolder = MediumRoot() + rec.dir;
    job.targetFolder =
        ItemText(IDC_DRIVE) + "Tarvo\\" + (rec.installPath ? project + "\\" : std::string()) + rec.dir;
    job.projectName = project;
    job.language = language();
    job.family = family_;
    job.userName = ItemText(IDC_USER_NAME);
    job.company = ItemText(IDC_COMPANY);

    SetStatus(Format(Text(TXT_STARTING_SETUP), rec.name));
    OfferBackup(hwnd(), language(), job.targetFolder.c_str(), rec.dir.c_str());

    const INT_PTR result = progress.DoModal(hwnd());
    tool.Disable();
    // The dialog manager also answers -1 when it could not make the window:
    // only a job that really ended counts as a success.
    const bool ended = job.phase == PhaseEnded;
    if (result == ResultSuccess && ended) return true;

    const int code = !ended || result < 0 ? ResultUnknown : static_cast<int>(result);
    const std::string text = rec.name + ": " + job.GetResultMessage(code);
    SetStatus(text);
    MessageBoxA(hwnd(), text.c_str(), Text(TXT_ERROR), MB_OK | MB_ICONERROR);
    return false;
}

void CMainDlg::OnExit() {
    if (restartNeeded) {
        const int answer = MessageBoxA(hwnd(), Text(TXT_RESTART_QUESTION), Text(TXT_RESTART_CAPTION),
                                       MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL) return;   // asked again at the next Exit
        if (answer == IDYES) {
            const bool privileged =
                fGetWinVersion() != VARNET_PLATFORM_NT || restart_->EnableShutdownPrivilege();
            if (privileged && restart_->RequestRestart())
                MessageBoxA(hwnd(), Text(TXT_RESTARTING), Text(TXT_EXIT), MB_OK | MB_ICONINFORMATION);
            else
                MessageBoxA(hwnd(), Text(TXT_RESTART_REFUSED), Text(TXT_ERROR), MB_OK | MB_ICONWARNING);
            restartNeeded = 0;
        }
    }
    EndDialog(IDCANCEL);
}

// The main dialog: catalogue check boxes, drive list, language, project,
// name and company fields, and the status line. It drives the install run
// for "Install" and stands in for the run's surroundings.
#pragma once
#include <string>

#include "Catalogue.h"
#include "Dialog.h"
#include "DialogOptions.h"
#include "InstallRun.h"
#include "Language.h"
#include "SystemRestart.h"
#include "WinHandles.h"
#include "WindowsFamily.h"

class CMainDlg : public CDialog, private RunSurroundings {
public:
    // `family` chooses the tools offered and goes to every install job;
    // `toolFont` (not owned) is the tool check boxes' font.
    CMainDlg(WindowsFamily family, HFONT toolFont);
    ~CMainDlg() override;

    // Text of the dialog's table in the current language.
    const char* Text(int textId) const;
    Language language() const { return language_; }
    // Stores the language and relabels every control.
    void ApplyLanguage(Language language);

    // Install is enabled exactly when a tool is selected; select-all is
    // disabled once no tool is enabled (never re-enabled here).
    void RefreshButtons();
    void SetStatus(const std::string& text);

    // The run's input as the fields show it now.
    RunSettings CurrentSettings() const;
    // Writes name, company, drive text and language under the project's key.
    void StoreCurrentSettings() const;

    // Install: hands the fields and the selected tools to the install run,
    // then shows its final text.
    void OnInstall();
    InstallRun& installRun() { return run_; }

    // An answer file to record the accepted input into, and the log.
    void SetOptions(const DialogOptions& options);

    // Exit's restart requests go here instead of to Windows (tests).
    void SetSystemRestart(SystemRestart& restart) { restart_ = &restart; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    // Exit (button 2, Escape, closing).
    virtual void OnExit();

private:
    // RunSurroundings
    void ShowStatus(const std::string& text) override;
    void ShowError(const std::string& text, const std::string& caption) override;
    void OfferBackup(Language language, const std::string& targetFolder,
                     const std::string& dir) override;
    INT_PTR RunProgressWindow(CSetupProgressDlg& window) override;
    void ToolProcessed(const ToolRecord& tool) override;
    void InputAccepted(const RunSettings& settings, const std::vector<ToolRecord*>& tools) override;

    void ShowBanner();
    void Relabel(int id, const char* text);
    bool LoadCatalogue();
    void InitProjectField();
    void LoadSettingsAtStart();
    void ReloadSettings();
    void FillDriveList();
    void OnSelectAll();

    const WindowsFamily family_;
    const HFONT toolFont_;
    ToolCatalogue catalogue_;
    InstallRun run_;
    int selectAll_ = 0;
    Language language_ = LanguageEnglish;
    std::string startDrive_;  // the stored drive, matched by the drive list
    SystemRestart* restart_ = &WindowsRestart();
    DialogOptions options_;
    win::GdiObject banner_;  // outlives the dialog's window, which shows it
};

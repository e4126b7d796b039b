// The main dialog: catalogue check boxes, drive list, language, project,
// name and company fields, and the status line.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Catalogue.h"
#include "Dialog.h"
#include "Language.h"
#include "SystemRestart.h"
#include "ToolRecord.h"
#include "WindowsFamily.h"

class CIniData;

class CMainDlg : public CDialog, public ToolOwner {
public:
    // `family` chooses the tools offered and goes to every install job.
    explicit CMainDlg(WindowsFamily family);
    ~CMainDlg() override;

    // Text of the dialog's table in the current language.
    const char* Text(int textId) const;
    Language language() const { return language_; }
    // Stores the language and relabels every control.
    void ApplyLanguage(Language language);

    const std::string& MediumRoot() const { return mediumRoot_; }
    size_t ToolCount() const { return tools_.size(); }
    ToolCheckBox& Tool(size_t index) { return *tools_[index]; }
    // Enabled and checked tools, in tool-number order.
    std::vector<ToolCheckBox*> SelectedTools() const;

    // Install is enabled exactly when a tool is selected; select-all is
    // disabled once no tool is enabled (never re-enabled here).
    void RefreshButtons() override;
    void SetStatus(const std::string& text);

    // Writes name, company, drive text and language under the project's key.
    void StoreCurrentSettings() const;

    // Install: validates, stores the settings, installs every selected tool
    // in tool-number order and reports the outcome in the status line.
    void OnInstall();
    // One tool: backup offer, then its job in a progress window; the check
    // box is disabled afterwards. True when the tool was installed.
    bool ProcessTool(ToolCheckBox& tool);

    // Exit's restart requests go here instead of to Windows (tests).
    void SetSystemRestart(SystemRestart& restart) { restart_ = &restart; }

    int restartNeeded = 0;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    // Exit (button 2, Escape, closing).
    virtual void OnExit();

private:
    bool LoadCatalogue();
    void ShowCatalogueError(const char* text);
    void BuildEntry(int index, SlotLayout& layout);
    void InitProjectField();
    void LoadSettingsAtStart();
    void ReloadSettings();
    void FillDriveList();
    void OnSelectAll();

    std::string mediumRoot_;
    std::vector<std::unique_ptr<ToolCheckBox>> tools_;
    int selectAll_ = 0;
    Language language_ = LanguageEnglish;
    const WindowsFamily family_;
    std::string startDrive_;  // the stored drive, matched by the drive list
    SystemRestart* restart_ = &WindowsRestart();
};

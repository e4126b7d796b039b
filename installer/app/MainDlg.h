// The main dialog: catalogue check boxes, drive list, language, project,
// name and company fields, and the status line.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Catalogue.h"
#include "Dialog.h"
#include "SystemRestart.h"
#include "ToolRecord.h"

class CIniData;

class CMainDlg : public CDialog, public ToolOwner {
public:
    CMainDlg();
    ~CMainDlg() override;

    // Text of the dialog's table in the current language.
    const char* Text(int textId) const;
    int Language() const { return language_; }
    // Stores the language (1 = German, any other value = English) and
    // relabels every control.
    void ApplyLanguage(int value);

    const std::string& MediumRoot() const { return mediumRoot_; }
    size_t ToolCount() const { return tools_.size(); }
    ToolCheckBox& Tool(size_t index) { return *tools_[index]; }
    // Enabled and checked tools, in tool-number order.
    std::vector<ToolCheckBox*> SelectedTools() const;

    // Install is enabled exactly when a tool is selected; select-all is
    // disabled once no tool is enabled (never re-enabled here).
    void RefreshButtons() override;
    void SetStatus(const std::string& text) { SetItemText(1023, text.c_str()); }

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
    int language_ = 0;
    std::string startDrive_;  // the stored drive, matched by the drive list
    SystemRestart* restart_ = &WindowsRestart();
};

// The tool catalogue: the tools that KVTInstall.ini offers, each one a
// ToolRecord and a check box of the main dialog at the same time.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CatalogueReading.h"
#include "Dialog.h"
#include "ToolRecord.h"
#include "WindowsFamily.h"

class CIniData;

// Messages of a catalogue that cannot be loaded (English only: the language
// is not known yet).
extern const char kMsgIniNotFound[];
extern const char kMsgWrongDefinition[];
extern const char kMsgTooManyTools[];

// A non-automatic check box that owns one tool's record: the program, not the
// control, toggles it, and then calls `onClick`.
class ToolCheckBox : public CControl {
public:
    // Only the heading until the tool is installed: the rest of its section
    // is read when it is first needed (ToolCatalogue::SelectedRecords).
    ToolRecord record;
    int number = 0;  // in [Config]'s list, from 1
    bool detailsRead = false;
    std::function<void()> onClick;

    bool IsEnabled() const { return IsWindowEnabled(hwnd()) != FALSE; }
    bool IsChecked() const;
    // Enabled and checked: the user wants the tool installed.
    bool IsSelected() const { return IsEnabled() && IsChecked(); }
    void SetChecked(bool checked);
    void Disable() { EnableWindow(hwnd(), FALSE); }

    bool OnReflectedCommand(WORD code) override;
};

// Opens the catalogue of `config`'s file: the medium root (its folder with
// the trailing "\") and the tools' section names, one per tool. Null when
// there are 1 to 32 tools, or the message that says why the catalogue cannot
// be used.
const char* OpenCatalogue(CIniData& config, std::string& mediumRoot,
                          std::vector<std::string>& sections);

// Places the tool check boxes in the "Software Tools" group box: 20-pixel
// rows from just below its top edge, a new column from its middle once a
// box's bottom reaches the group box's bottom less 20 pixels, and boxes half
// as wide as the group box while more than 16 tools remain to be placed.
// These rules are fixed: in a group box that holds fewer than 16 rows (a
// dialog font with smaller metrics) they apply unchanged, even where they
// make a box of no width or start a third column over the second.
class SlotLayout {
public:
    SlotLayout(const RECT& group, int toolCount);
    // The rectangle of tool `index` (0-based). An offered tool moves the slot
    // down one row first; a withdrawn one gets the slot unchanged.
    RECT Place(int index, bool offered);

private:
    void StartColumn(int left);

    RECT group_;
    int count_;
    RECT slot_;
};

// The catalogue of the medium in the current folder: reads KVTInstall.ini
// and owns a check box for every tool, offered or not, for the dialog's
// whole life.
class ToolCatalogue {
public:
    // Reads the catalogue and creates the check boxes in `dialog`, placed in
    // `group` (the tool group box, in the dialog's client coordinates), with
    // `font`; each reports its clicks to `onClick`. Null when loaded, or
    // the message that says why not (English: no language is known yet).
    const char* Load(CDialog& dialog, const RECT& group, WindowsFamily family, HFONT font,
                     const std::function<void()>& onClick);

    // The folder of KVTInstall.ini with its trailing "\".
    const std::string& mediumRoot() const { return mediumRoot_; }
    // [Config] Selectall: every offered tool starts checked.
    bool selectAllAtStart() const { return selectAll_; }

    // Records of the enabled and checked tools, in tool-number order, read
    // in full.
    std::vector<ToolRecord*> SelectedRecords();
    // Disables the check box of `record`.
    void Disable(const ToolRecord& record);
    // Checks or clears every enabled tool.
    void CheckAllEnabled(bool checked);
    int EnabledCount() const;
    int SelectedCount() const;

private:
    // Tool index + 1, whose section is `section`.
    void AddTool(CDialog& dialog, int index, const std::string& section, WindowsFamily family,
                 HFONT font, SlotLayout& layout, const std::function<void()>& onClick);

    std::string mediumRoot_;
    bool selectAll_ = false;
    std::vector<std::unique_ptr<ToolCheckBox>> tools_;
};

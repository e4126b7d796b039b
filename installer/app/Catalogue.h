// The tool catalogue: the tools that KVTInstall.ini offers, each one a
// ToolRecord and a check box of the main dialog at the same time.
#pragma once
#include <windows.h>

#include "Dialog.h"
#include "ToolRecord.h"

class CIniData;

// Messages of a catalogue that cannot be loaded (English only: the language
// is not known yet).
extern const char kMsgIniNotFound[];
extern const char kMsgWrongDefinition[];
extern const char kMsgTooManyTools[];

// A non-automatic check box that owns one tool's record: the program, not the
// control, toggles it.
class ToolCheckBox : public CControl {
public:
    ToolRecord record;

    bool IsEnabled() const { return IsWindowEnabled(hwnd()) != FALSE; }
    bool IsChecked() const;
    // Enabled and checked: the user wants the tool installed.
    bool IsSelected() const { return IsEnabled() && IsChecked(); }
    void SetChecked(bool checked);
    void Disable() { EnableWindow(hwnd(), FALSE); }

    bool OnReflectedCommand(WORD code) override;
};

// Reads tool n's section (n is 1-based) into `rec` with `ini`'s default
// section set to n. Returns whether the tool is offered on `family`; only the
// key of that family is read.
bool ReadToolRecord(CIniData& ini, int n, int family, ToolRecord& rec);

// Bytes for a Space value in megabytes. The record holds a signed 32-bit
// count: requirements it cannot hold are capped at its largest value, and
// negative ones mean no requirement.
int SpaceBytes(int megabytes);

// Places the tool check boxes in the "Software Tools" group box: 20-pixel
// rows from just below its top edge, a second column from its middle once a
// row would reach its bottom less 20 pixels, and half-width boxes while more
// than 16 tools remain to be placed, so that a box shares its row only with
// a half-width neighbour.
//
// That layout assumes a group box that holds 16 rows (the dialog's font
// decides its height in pixels). In a shorter one it would place a box of no
// width at the top of the second column, boxes on top of each other beside
// the half-width ones, and a third column over the second; there, a column
// holds as many boxes as the group box has rows, or half the tools when more
// than two such columns would be needed, and boxes are half width while more
// tools remain than a column holds.
class SlotLayout {
public:
    SlotLayout(const RECT& group, int toolCount);
    // The rectangle of tool `index` (0-based). An offered tool moves the slot
    // down one row first; a withdrawn one gets the slot unchanged.
    RECT Place(int index, bool offered);
    // Rows that fit in one column of the group box.
    int FittingRows() const { return fittingRows_; }

private:
    void StartColumn(int left);

    RECT group_;
    int count_;
    int fittingRows_;
    int columnRows_;   // boxes per column in a short group box, else 0
    int rowsPlaced_ = 0;
    RECT slot_;
};

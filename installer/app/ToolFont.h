// The font of every tool check box. Start-up makes it; it lives as long as
// the program's windows, and goes with its owner.
#pragma once
#include <windows.h>

#include "WinHandles.h"

class ToolFont {
public:
    // "MS Sans Serif", 16 pixels, normal weight; null when it cannot be made
    // (the boxes then keep the system font).
    ToolFont();
    HFONT get() const { return static_cast<HFONT>(font_.get()); }

private:
    win::GdiObject font_;
};

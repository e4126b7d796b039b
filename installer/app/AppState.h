// Process-wide state of the program besides the Windows family (detected at
// start-up and passed down from there).
#pragma once
#include <windows.h>

// The font of every tool check box; lives until the program ends.
extern HFONT ToolFont;

// Creates ToolFont ("MS Sans Serif", 16 pixels, normal weight).
void CreateToolFont();
void DestroyToolFont();

#include "AppState.h"

HFONT ToolFont = NULL;

void CreateToolFont() {
    if (ToolFont) return;
    ToolFont = CreateFontA(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
}

void DestroyToolFont() {
    if (ToolFont) DeleteObject(ToolFont);
    ToolFont = NULL;
}

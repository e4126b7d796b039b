// Placement of the caption picture: flush against the caption buttons,
// vertically centred in the caption, never left of a fixed minimum.
#include "CaptionHookPlacement.h"

namespace varnet {

CaptionMetrics CurrentCaptionMetrics() {
    CaptionMetrics m;
    m.buttonWidth = GetSystemMetrics(SM_CXSIZE);
    m.borderWidth = GetSystemMetrics(SM_CXBORDER);
    m.frameHeight = GetSystemMetrics(SM_CYFRAME);
    m.dlgFrameHeight = GetSystemMetrics(SM_CYDLGFRAME);
    m.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    return m;
}

CaptionPlacement PlaceCaptionPicture(int windowWidth, LONG style, int pictureWidth,
                                     int pictureHeight, const CaptionMetrics& metrics) {
    int buttons = 0;
    if (style & WS_MAXIMIZEBOX) ++buttons;
    if (style & WS_MINIMIZEBOX) ++buttons;
    if (style & WS_SYSMENU) ++buttons;

    CaptionPlacement p;
    p.clip.right = windowWidth - buttons * (metrics.buttonWidth + metrics.borderWidth);
    p.clip.left = p.clip.right - pictureWidth;
    if (p.clip.left < kCaptionMinLeft) p.clip.left = kCaptionMinLeft;
    p.clip.top = (style & WS_THICKFRAME) ? metrics.frameHeight : metrics.dlgFrameHeight;
    p.clip.bottom = p.clip.top + metrics.captionHeight;
    p.x = p.clip.left;
    // C++ division truncates toward zero, as the rule asks.
    p.y = (p.clip.top + p.clip.bottom - pictureHeight) / 2;
    return p;
}

}  // namespace varnet

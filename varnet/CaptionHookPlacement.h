// Where the caption hook draws its picture: a pure computation, kept apart
// from the painting so it can be checked without a window. Library-internal.
#pragma once
#include <windows.h>

namespace varnet {

struct CaptionMetrics {
    int buttonWidth;      // SM_CXSIZE
    int borderWidth;      // SM_CXBORDER
    int frameHeight;      // SM_CYFRAME (sizing border)
    int dlgFrameHeight;   // SM_CYDLGFRAME
    int captionHeight;    // SM_CYCAPTION
};

struct CaptionPlacement {
    RECT clip;    // window coordinates; the picture is cut to it
    int x, y;     // top-left corner of the picture
};

// The picture never starts left of this, however narrow the window.
enum { kCaptionMinLeft = 150 };

CaptionMetrics CurrentCaptionMetrics();
CaptionPlacement PlaceCaptionPicture(int windowWidth, LONG style, int pictureWidth,
                                     int pictureHeight, const CaptionMetrics& metrics);

}  // namespace varnet

// A picture in a window's caption bar, right-aligned in front of the caption
// buttons and drawn again after every caption repaint. One window per
// process at a time; the hook ends when that window is destroyed. Include
// Varnet01.h rather than this file.
#pragma once

class VARNET_API CCaptionHook {
public:
    // Uses the library's own caption image (icon resource 101).
    static void SetCaptionHook(HWND window);
    // The hook takes ownership of `icon` and destroys it with the window.
    // Ignored (and `icon` left to the caller) when `icon` is null, a hook is
    // already active, or `window` cannot be hooked.
    static void SetCaptionHook(HWND window, HICON icon);
};

// CCaptionHook: subclasses one window and draws a picture into its caption
// after the window's own procedure has painted the caption.
#include "Varnet01.h"
#include "VarnetInternal.h"
#include "CaptionHookPlacement.h"
#include "WinHandles.h"

#include <new>

namespace {

enum { kCaptionIconId = 101 };

struct HookRecord {
    HWND window;
    HICON icon;      // owned
    int iconWidth;
    int iconHeight;
    WNDPROC previous;
};

// The one active hook of the process; null when none.
HookRecord* g_hook = NULL;

void MeasureIcon(HICON icon, int* width, int* height) {
    *width = *height = 0;
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return;
    win::GdiObject color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm;
    if (color && GetObjectA(color.get(), sizeof bm, &bm)) {
        *width = bm.bmWidth;
        *height = bm.bmHeight;
    } else if (mask && GetObjectA(mask.get(), sizeof bm, &bm)) {
        // A monochrome icon keeps its AND and XOR halves in one mask.
        *width = bm.bmWidth;
        *height = bm.bmHeight / 2;
    }
}

void DrawCaptionPicture(const HookRecord& hook) {
    win::WindowDC dc(hook.window);
    if (!dc.get()) return;
    RECT window;
    if (!GetWindowRect(hook.window, &window)) return;
    const varnet::CaptionPlacement p = varnet::PlaceCaptionPicture(
        window.right - window.left, GetWindowLongA(hook.window, GWL_STYLE), hook.iconWidth,
        hook.iconHeight, varnet::CurrentCaptionMetrics());

    win::SavedDCState state(dc.get());
    const int region =
        IntersectClipRect(dc.get(), p.clip.left, p.clip.top, p.clip.right, p.clip.bottom);
    if (region != NULLREGION && region != ERROR)
        DrawIconEx(dc.get(), p.x, p.y, hook.icon, 0, 0, 0, NULL, DI_NORMAL);
}

LRESULT CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HookRecord* hook = g_hook;
    if (!hook) return DefWindowProcA(window, message, wParam, lParam);  // cannot happen
    switch (message) {
    case WM_DESTROY: {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook->previous));
        const LRESULT result = CallWindowProcA(hook->previous, window, message, wParam, lParam);
        DestroyIcon(hook->icon);
        g_hook = NULL;
        delete hook;
        return result;
    }
    case WM_SETTEXT:
    case WM_NCPAINT:
    case WM_NCACTIVATE: {
        const LRESULT result = CallWindowProcA(hook->previous, window, message, wParam, lParam);
        DrawCaptionPicture(*hook);
        return result;
    }
    default:
        return CallWindowProcA(hook->previous, window, message, wParam, lParam);
    }
}

}  // namespace

void CCaptionHook::SetCaptionHook(HWND window) {
    // A private copy rather than the shared resource icon: the hook destroys
    // its icon with the window, and a destroyed shared icon would be gone for
    // every later user of the same resource.
    HICON icon = static_cast<HICON>(LoadImageA(varnet::g_module, MAKEINTRESOURCEA(kCaptionIconId),
                                               IMAGE_ICON, 0, 0, 0));
    if (!icon) return;
    SetCaptionHook(window, icon);
    // Not taken over (another hook is active, or the window is not ours).
    if (!g_hook || g_hook->icon != icon) DestroyIcon(icon);
}

void CCaptionHook::SetCaptionHook(HWND window, HICON icon) {
    if (!icon || g_hook) return;
    HookRecord* hook = new (std::nothrow) HookRecord();
    if (!hook) return;
    hook->window = window;
    hook->icon = icon;
    MeasureIcon(icon, &hook->iconWidth, &hook->iconHeight);
    // The record is complete and active before the procedure is replaced.
    g_hook = hook;
    hook->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
    if (!hook->previous) {
        // Not a window of this process: no hook, so a later one may follow.
        g_hook = NULL;
        delete hook;
    }
}

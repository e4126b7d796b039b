// A small window that plays the installer's animation (resource 148), for
// looking at it by eye and for the screenshot of scripts/picture-screenshot.sh.
//
//   PictureDemo.exe [MILLISECONDS]   closes itself after that long (default 8000)
#include <windows.h>

#include <cstdlib>

#include "picture/AnimatedPicture.h"
#include "picture_res.h"

namespace {

const char kClass[] = "KVTPictureDemo";
const int kPictureId = 1031;
const UINT_PTR kCloseTimer = 1;
AnimatedPicture* g_picture = nullptr;

LRESULT CALLBACK DemoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        HWND control = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 16, 16, 10, 10, hwnd,
                                       reinterpret_cast<HMENU>(kPictureId),
                                       GetModuleHandleA(NULL), NULL);
        if (!control || !g_picture->Attach(control) ||
            !g_picture->Load(MAKEINTRESOURCEA(IDR_BACKUP_ANIMATION), "GIF"))
            return -1;
        g_picture->Draw();
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        SetBkMode(dc, TRANSPARENT);
        RECT text = {80, 24, 380, 70};
        DrawTextA(dc, "Copying the existing installation\nto a backup folder...", -1, &text,
                  DT_LEFT | DT_NOPREFIX);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kCloseTimer) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    const int lifetime = commandLine && *commandLine ? std::atoi(commandLine) : 8000;
    AnimatedPicture picture;
    g_picture = &picture;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = DemoProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(0, kClass, "Kitbay Setup - Backup", WS_OVERLAPPED | WS_CAPTION |
                                  WS_SYSMENU, 0, 0, 400, 110, NULL, NULL, instance, NULL);
    if (!window) return 2;
    ShowWindow(window, show);
    UpdateWindow(window);
    SetTimer(window, kCloseTimer, UINT(lifetime), NULL);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// Shows a window with the library's caption image, for a screenshot:
//   caption_hook_shot [MILLISECONDS]   (default 5000)
#include "Varnet01.h"

#include <stdlib.h>

int main(int argc, char** argv) {
    const UINT lifetime = argc > 1 ? static_cast<UINT>(atoi(argv[1])) : 5000;
    HWND window = CreateWindowExA(0, "STATIC", "Tarvo Kinetics Kitbay", WS_OVERLAPPEDWINDOW, 20,
                                  20, 600, 160, NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (!window) return 1;
    // Hooked before it is shown: the picture follows the first caption paint.
    CCaptionHook::SetCaptionHook(window);
    ShowWindow(window, SW_SHOW);
    SetTimer(window, 1, lifetime, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == window) break;
        DispatchMessageA(&msg);
    }
    DestroyWindow(window);
    return 0;
}

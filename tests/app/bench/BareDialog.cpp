// The anchor of the start-up benchmark: a program that does nothing but
// show a modal dialog of about the main dialog's size, from a template in
// memory, and ends when it is closed.
#include <windows.h>

namespace {

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // DLGTEMPLATE followed by empty menu, class and title arrays.
    struct {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tpl;
    ZeroMemory(&tpl, sizeof tpl);
    tpl.t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
    tpl.t.cx = 360;
    tpl.t.cy = 250;
    return static_cast<int>(DialogBoxIndirectParamA(instance, &tpl.t, NULL, Proc, 0));
}

#include "Backdrop.h"

#include "MainDlg.h"
#include "Texts.h"
#include "resource.h"

namespace {
// Posted from the initialisation so the main dialog runs once the backdrop
// has been set up and shown.
const UINT kRunMainDialog = WM_APP + 1;
}  // namespace

void PaintGradient(HDC dc, const RECT& rect) {
    const float step = static_cast<float>(rect.bottom - rect.top) * 0.00390625f;
    float y = static_cast<float>(rect.top);
    int top = rect.top;
    int blue = 255;
    COLORREF oldBk = GetBkColor(dc);
    for (;;) {
        y += step;
        int bottom = static_cast<int>(y);
        if (bottom > rect.bottom) bottom = rect.bottom;
        RECT band = {rect.left, top, rect.right, bottom};
        SetBkColor(dc, RGB(0, 0, blue < 0 ? 0 : blue));
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &band, NULL, 0, NULL);
        top = bottom;
        --blue;
        if (bottom >= rect.bottom) break;
    }
    SetBkColor(dc, oldBk);
}

CBackdropDlg::CBackdropDlg(WindowsFamily family, HFONT toolFont, const DialogOptions& options)
    : CDialog(IDD_BACKDROP), family_(family), toolFont_(toolFont), options_(options) {}

BOOL CBackdropDlg::OnInitDialog() {
    SetWindowTextA(hwnd(), kWindowTitle);
    WINDOWPLACEMENT wp;
    ZeroMemory(&wp, sizeof wp);
    wp.length = sizeof wp;
    GetWindowPlacement(hwnd(), &wp);
    wp.showCmd = SW_SHOWMAXIMIZED;
    SetWindowPlacement(hwnd(), &wp);
    PostMessageA(hwnd(), kRunMainDialog, 0, 0);
    return TRUE;
}

bool CBackdropDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT r;
    GetClientRect(hwnd(), &r);
    PaintGradient(dc, r);
    EndPaint(hwnd(), &ps);
    return true;
}

// The paint covers everything; erasing first would only flicker.
bool CBackdropDlg::OnEraseBackground(HDC) { return true; }

bool CBackdropDlg::OnMessage(UINT msg, WPARAM, LPARAM, INT_PTR* result) {
    if (msg != kRunMainDialog) return false;
    {
        CMainDlg main(family_, toolFont_);
        main.SetOptions(options_);
        main.DoModal(hwnd());
    }
    EndDialog(IDOK);
    *result = 0;
    return true;
}

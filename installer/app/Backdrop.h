// The maximised blue backdrop behind the main dialog; the application's main
// window and the owner of the main dialog.
#pragma once
#include "Dialog.h"
#include "DialogOptions.h"
#include "WindowsFamily.h"

// Fills `rect` with 256 horizontal bands from pure blue at the top to black
// at the bottom (bands of a rectangle lower than 256 pixels may be empty).
void PaintGradient(HDC dc, const RECT& rect);

class CBackdropDlg : public CDialog {
public:
    // All go to the main dialog.
    CBackdropDlg(WindowsFamily family, HFONT toolFont,
                 const DialogOptions& options = DialogOptions());

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;
    bool OnEraseBackground(HDC dc) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;

private:
    const WindowsFamily family_;
    const HFONT toolFont_;
    const DialogOptions options_;
};

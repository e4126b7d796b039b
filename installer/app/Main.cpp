// KVTInstall: installs the tools of an installation medium. Started in the
// folder that holds KVTInstall.ini; takes no command-line options.
#include <windows.h>

#include "Backdrop.h"
#include "ToolFont.h"
#include "WindowsFamily.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Controls get their three-dimensional look from DS_3DLOOK in the dialog
    // templates; no hosted (OLE) controls are used.
    const ToolFont toolFont;
    const WindowsFamily family = DetectWindowsFamily();
    if (family == FamilyUnknown) {
        MessageBoxA(NULL, "KVTInstall can not determine Windows Version!", "Error",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    {
        CBackdropDlg backdrop(family, toolFont.get());
        backdrop.DoModal(NULL);
    }
    return 0;
}

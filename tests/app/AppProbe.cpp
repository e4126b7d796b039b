// Command-line helper of scripts/run.sh: waits for the main dialog of
// whichever KVTInstall runs in the Wine prefix, or presses its Exit button.
//   kvt_app_probe wait [timeout-ms]   exit code 0 once the dialog shows
//   kvt_app_probe exit                exit code 0 when Exit was pressed
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "AppDriver.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kvt_app_probe wait [timeout-ms] | exit\n");
        return 2;
    }
    if (std::strcmp(argv[1], "wait") == 0) {
        DWORD timeout = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 30000;
        HWND dlg = NULL;
        apptest::WaitFor([&] { return (dlg = apptest::FindMainDialog(0)) != NULL; }, timeout);
        if (!dlg) return 1;
        // Let the backdrop and the dialog finish painting.
        apptest::Send(dlg, WM_NULL);
        return 0;
    }
    if (std::strcmp(argv[1], "exit") == 0) {
        HWND dlg = apptest::FindMainDialog(0);
        return dlg && apptest::Click(GetDlgItem(dlg, IDCANCEL)) ? 0 : 1;
    }
    return 2;
}

// FakeInstaller.exe: the windows of an install run as kvt_app_probe meets
// them, for the probe's own test: a main dialog with the installer's control
// ids, and on Install a backup prompt ("Note"), a progress window ("Kitbay")
// beside a setup window captioned "Tool A Setup", with "fail" on the command
// line an error box, then the final status text; Exit asks the restart
// question. What the probe answered goes to answers.txt in the working
// folder, one "<window>=<button id>" a line.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

HWND g_main;
bool g_fail;
int g_noteAnswer;

void Answer(const char* what, int id) {
    FILE* f = fopen("answers.txt", "ab");
    if (!f) return;
    fprintf(f, "%s=%d\n", what, id);
    fclose(f);
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int id, int y) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, y, 200, 20, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), NULL, NULL);
}

INT_PTR CALLBACK NoteProc(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND && (LOWORD(wp) == 1026 || LOWORD(wp) == 1027)) g_noteAnswer = LOWORD(wp);
    return FALSE;
}

HWND Popup(const char* caption, DLGPROC proc) {
    HWND w = CreateWindowExA(0, "#32770", caption, WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100,
                             300, 150, g_main, NULL, NULL, NULL);
    SetWindowLongPtrA(w, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    return w;
}

// Runs the messages of this thread while `done` is false or for `ms`.
void Pump(DWORD ms, const int* done) {
    const DWORD start = GetTickCount();
    while ((done ? *done == 0 : true) && GetTickCount() - start < ms) {
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(20);
    }
}

void InstallRun() {
    HWND status = GetDlgItem(g_main, 1023);
    EnableWindow(g_main, FALSE);
    SetWindowTextA(status, "Starting Tool A Setup");
    HWND note = Popup("Note", NoteProc);
    Child(note, "BUTTON", "Yes", BS_PUSHBUTTON, 1026, 10);
    Child(note, "BUTTON", "No", BS_PUSHBUTTON, 1027, 40);
    g_noteAnswer = 0;
    Pump(30000, &g_noteAnswer);
    Answer("note", g_noteAnswer);
    DestroyWindow(note);

    HWND progress = Popup("Kitbay", NoteProc);
    HWND setup = CreateWindowExA(0, "STATIC", "Tool A Setup", WS_POPUP | WS_CAPTION | WS_VISIBLE, 400,
                                 100, 200, 100, NULL, NULL, NULL, NULL);
    Pump(2500, NULL);
    DestroyWindow(setup);
    DestroyWindow(progress);

    if (g_fail) {
        SetWindowTextA(status, "Tool A: Setup not complete");
        Answer("error", MessageBoxA(g_main, "Tool A: Setup not complete", "Error", MB_OK | MB_ICONERROR));
    }
    EnableWindow(g_main, TRUE);
    SetWindowTextA(status, g_fail ? "Tool A: Setup not complete" : "Installation completed successfully");
    if (g_fail) {
        // A second tool that succeeded.
        SetWindowTextA(status, "Installation finished, problems occured");
    }
}

INT_PTR CALLBACK MainProc(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND) return FALSE;
    if (LOWORD(wp) == IDOK) {
        InstallRun();
        return TRUE;
    }
    if (LOWORD(wp) == IDCANCEL) {
        Answer("restart", MessageBoxA(g_main, "Do you wish to reboot now?", "Restart Windows?",
                                      MB_YESNOCANCEL | MB_ICONWARNING));
        DestroyWindow(g_main);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    g_fail = strstr(commandLine, "fail") != NULL;
    // Shown once complete, as a dialog is after its initialisation.
    g_main = CreateWindowExA(0, "#32770", "Tarvo Kinetics Kitbay Setup", WS_POPUP, 0, 0,
                             400, 400, NULL, NULL, NULL, NULL);
    SetWindowLongPtrA(g_main, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(MainProc));
    Child(g_main, "BUTTON", "Software Tools", BS_GROUPBOX, 1018, 0);
    Child(g_main, "STATIC", "", 0, 1023, 20);
    HWND project = Child(g_main, "EDIT", "Sample", 0, 1011, 40);
    EnableWindow(project, FALSE);
    Child(g_main, "EDIT", "", 0, 1012, 60);
    Child(g_main, "EDIT", "", 0, 1013, 80);
    Child(g_main, "EDIT", "C:\\", 0, 1007, 100);
    Child(g_main, "BUTTON", "Install", BS_PUSHBUTTON, IDOK, 120);
    Child(g_main, "BUTTON", "Exit", BS_PUSHBUTTON, IDCANCEL, 140);
    SendMessageA(Child(g_main, "BUTTON", "Tool A", BS_CHECKBOX, 10001, 160), BM_SETCHECK, BST_CHECKED, 0);
    HWND withdrawn = CreateWindowExA(0, "BUTTON", "Tool B", WS_CHILD | BS_CHECKBOX, 10, 180, 200, 20,
                                     g_main, reinterpret_cast<HMENU>(10002), NULL, NULL);
    EnableWindow(withdrawn, FALSE);
    ShowWindow(g_main, SW_SHOW);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}

// Drives a running KVTInstall from outside, as a user would: finds its
// windows by process id, reads and sets control texts, clicks buttons and
// answers message boxes.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace apptest {

// Visible top-level windows of the process (pid 0: of every process).
std::vector<HWND> TopWindows(DWORD pid);
// The main dialog: a visible dialog with the "Software Tools" group (1018).
HWND FindMainDialog(DWORD pid);
// Whether a window is a dialog (of the system's dialog class).
bool IsDialog(HWND hwnd);
// Whether a window is a dialog with the main dialog's group and status line.
bool IsMainDialog(HWND hwnd);
// A visible dialog captioned `caption` that is not the main dialog.
HWND FindMessageBox(DWORD pid, const char* caption);
// The message text of a message box (its longest static text).
std::string MessageBoxText(HWND box);

// Window texts through messages, so edit controls of another process report
// what they show.
std::string Text(HWND hwnd);
bool SetText(HWND hwnd, const std::string& text);
// A mouse click on a button (BM_CLICK), processed before this returns.
bool Click(HWND button);
// Presses a dialog's command button by message, as the keyboard does
// (Escape is IDCANCEL, Enter IDOK).
bool PressCommand(HWND dialog, int id);
LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);

// Polls `done` until it is true or `timeoutMs` has passed.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);

// A KVTInstall (or a copy of it) started in a medium folder.
class AppProcess {
public:
    // `arguments` follow the quoted program path on its command line.
    AppProcess(const std::string& exePath, const std::string& mediumDir,
               const std::string& arguments = "");
    ~AppProcess();  // terminates the program if it still runs
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    bool started() const { return process_ != NULL; }
    DWORD pid() const { return pid_; }
    HWND WaitMainDialog(DWORD timeoutMs = 20000) const;
    HWND WaitMessageBox(const char* caption, DWORD timeoutMs = 20000) const;
    // True when the program ended within the time; its exit code in *code.
    bool WaitExit(DWORD timeoutMs, DWORD* code) const;

private:
    HANDLE process_ = NULL;
    DWORD pid_ = 0;
};

}  // namespace apptest

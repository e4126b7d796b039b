#include "AppDriver.h"

#include <vector>

namespace apptest {

namespace {

struct EnumState {
    DWORD pid;
    std::vector<HWND>* out;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
    EnumState* s = reinterpret_cast<EnumState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if ((s->pid == 0 || pid == s->pid) && IsWindowVisible(hwnd)) s->out->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectStatics(HWND hwnd, LPARAM lp) {
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid) {
    std::vector<HWND> out;
    EnumState s = {pid, &out};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
    return out;
}

bool IsDialog(HWND hwnd) {
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    return lstrcmpA(cls, "#32770") == 0;
}

bool IsMainDialog(HWND hwnd) {
    return IsDialog(hwnd) && GetDlgItem(hwnd, 1018) && GetDlgItem(hwnd, 1023);
}

HWND FindMainDialog(DWORD pid) {
    for (HWND w : TopWindows(pid))
        if (IsMainDialog(w)) return w;
    return NULL;
}

HWND FindMessageBox(DWORD pid, const char* caption) {
    for (HWND w : TopWindows(pid)) {
        if (!IsDialog(w) || GetDlgItem(w, 1018)) continue;
        if (Text(w) == caption) return w;
    }
    return NULL;
}

std::string MessageBoxText(HWND box) {
    std::vector<HWND> statics;
    EnumChildWindows(box, CollectStatics, reinterpret_cast<LPARAM>(&statics));
    std::string best;
    for (HWND s : statics) {
        std::string t = Text(s);
        if (t.size() > best.size()) best = t;
    }
    return best;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, 10000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

std::string Text(HWND hwnd) {
    char buf[1024] = "";
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                             SMTO_NORMAL, 10000, &len))
        return std::string();
    return std::string(buf);
}

bool SetText(HWND hwnd, const std::string& text) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_NORMAL, 10000, &r) != 0;
}

bool Click(HWND button) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &r) != 0;
}

bool PressCommand(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != 0;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
}

AppProcess::AppProcess(const std::string& exePath, const std::string& mediumDir,
                       const std::string& arguments) {
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string cmd = "\"" + exePath + "\"";
    if (!arguments.empty()) cmd += " " + arguments;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    if (!CreateProcessA(exePath.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                        mediumDir.c_str(), &si, &pi))
        return;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

AppProcess::~AppProcess() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

HWND AppProcess::WaitMainDialog(DWORD timeoutMs) const {
    HWND found = NULL;
    WaitFor([&] { return (found = FindMainDialog(pid_)) != NULL; }, timeoutMs);
    return found;
}

HWND AppProcess::WaitMessageBox(const char* caption, DWORD timeoutMs) const {
    HWND found = NULL;
    WaitFor([&] { return (found = FindMessageBox(pid_, caption)) != NULL; }, timeoutMs);
    return found;
}

bool AppProcess::WaitExit(DWORD timeoutMs, DWORD* code) const {
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process_, code);
    return true;
}

}  // namespace apptest

#include "ProcessSupport.h"

#include "TestSupport.h"

#include <tlhelp32.h>

namespace kvttest {

std::string FakeSetupExe() { return BinDir() + "\\FakeSetup.exe"; }

bool CopyFakeSetup(const std::string& folder, const std::string& exeName) {
    return CopyFileA(FakeSetupExe().c_str(), (folder + "\\" + exeName).c_str(), FALSE) != 0;
}

void SetFakeSetupOption(const std::string& folder, const std::string& section,
                        const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                               (folder + "\\FakeSetup.ini").c_str());
}

std::vector<FakeSetupRun> ReadFakeSetupRecord(const std::string& recordFile) {
    std::vector<FakeSetupRun> runs;
    std::vector<FakeSetupRun> open;
    std::string text = ReadFile(recordFile);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) break;  // a line still being written
        std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "Run") {
            open.push_back(FakeSetupRun());
            open.back().processId = strtoul(value.c_str(), NULL, 10);
            continue;
        }
        if (key == "Exited") {
            for (FakeSetupRun& r : runs)
                if (r.processId == strtoul(value.c_str(), NULL, 10)) r.exited = true;
            continue;
        }
        if (open.empty()) continue;
        FakeSetupRun& r = open.back();
        if (key == "CommandLine") r.commandLine = value;
        else if (key == "WorkingFolder") r.workingFolder = value;
        else if (key == "InstallFolder") r.installFolder = value;
        else if (key == "Program") r.program = value;
        else if (key == "Recorded") {
            runs.push_back(r);
            open.pop_back();
        }
    }
    return runs;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return done();
        Sleep(20);
    }
}

int CountProcesses(const std::string& exeName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
        std::string path = entry.szExeFile;
        std::string name = path.substr(path.find_last_of('\\') + 1);
        if (lstrcmpiA(name.c_str(), exeName.c_str()) == 0) ++count;
    }
    CloseHandle(snap);
    return count;
}

namespace {
LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}
}  // namespace

TestWindow::TestWindow(const std::string& caption, bool visible) {
    static ATOM cls = 0;
    if (!cls) {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.lpfnWndProc = PlainWindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "KVTTestWindow";
        cls = RegisterClassA(&wc);
    }
    window_ = CreateWindowExA(0, "KVTTestWindow", caption.c_str(),
                              WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 200, 100, NULL,
                              NULL, GetModuleHandleA(NULL), NULL);
}

TestWindow::~TestWindow() {
    if (window_) DestroyWindow(window_);
}

OwnedProcess::~OwnedProcess() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool OwnedProcess::Start(const std::string& exe, const std::string& commandLine,
                         const std::string& cwd, bool guarded) {
    SECURITY_DESCRIPTOR sd;
    ACL noAccess;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&noAccess, sizeof noAccess, ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &noAccess, FALSE);
    SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(exe.c_str(), line.data(), guarded ? &sa : NULL, NULL, FALSE, 0, NULL,
                        cwd.empty() ? NULL : cwd.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
    return true;
}

bool OwnedProcess::WaitExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace kvttest

// Test helpers around other processes: the stand-in setup program
// (tests/fixtures/FakeSetup.cpp, whose top comment lists its settings),
// programs owned by a test, and a count of running processes that does not
// go through the library under test.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kvttest {

// The built stand-in setup program, BinDir()\FakeSetup.exe.
std::string FakeSetupExe();
// Copies it into `folder` as `exeName`; true on success.
bool CopyFakeSetup(const std::string& folder, const std::string& exeName);
// Sets one key of FakeSetup.ini in `folder`; `section` is "FakeSetup" for
// every copy there, or a copy's file name for that copy alone.
void SetFakeSetupOption(const std::string& folder, const std::string& section,
                        const std::string& key, const std::string& value);

// One run of the stand-in as its record file tells it.
struct FakeSetupRun {
    DWORD processId = 0;
    std::string commandLine;
    std::string workingFolder;
    std::string installFolder;
    std::string program;
    bool exited = false;
};
// The complete runs recorded in `recordFile`, in start order.
std::vector<FakeSetupRun> ReadFakeSetupRecord(const std::string& recordFile);

// Polls `done` every 20 ms until it holds or `timeoutMs` passed; its last
// answer.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// Running processes whose executable file name equals `exeName` (any case),
// counted through the toolhelp snapshot.
int CountProcesses(const std::string& exeName);

// A top-level window of the test's own (hidden unless `visible`),
// destroyed when the object goes.
class TestWindow {
public:
    TestWindow(const std::string& caption, bool visible);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

// A program started by a test and terminated when the object goes.
class OwnedProcess {
public:
    OwnedProcess() = default;
    ~OwnedProcess();
    OwnedProcess(const OwnedProcess&) = delete;
    OwnedProcess& operator=(const OwnedProcess&) = delete;
    // Starts `exe` with `commandLine` (the complete line) in `cwd`. A
    // `guarded` process refuses every access by id (a DACL without entries),
    // like another user's program; this object's own handle keeps full access.
    bool Start(const std::string& exe, const std::string& commandLine, const std::string& cwd,
               bool guarded = false);
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }
    bool WaitExit(DWORD timeoutMs) const;

private:
    HANDLE process_ = NULL;
    DWORD id_ = 0;
};

}  // namespace kvttest

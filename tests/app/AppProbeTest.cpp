// kvt_app_probe install against FakeInstaller.exe, the windows of an install
// run without the installer: what it answers, when it asks for screenshots,
// what it prints and its exit code.
#include "ProcessSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kvttest::FileExists;
using kvttest::ReadFile;

namespace {

struct ProbeRun {
    DWORD exitCode = 0;
    std::string output;
    std::vector<std::string> shots;  // in the order asked for
    bool ended = false;
};

// Runs the probe as scripts/run.sh does, taking the screenshots it asks for
// (here: only noting them).
ProbeRun RunProbe(const kvttest::TempDir& dir, const std::string& medium) {
    ProbeRun run;
    const std::string shots = dir / "shots", out = dir / "probe.txt";
    kvttest::MakeDirs(shots);
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = file;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    const std::string exe = kvttest::BinDir() + "\\kvt_app_probe.exe";
    std::string line = "\"" + exe + "\" install \"" + medium + "\" Other \"Jo Sample\" \"Sample Works\" \"" +
                       shots + "\"";
    std::vector<char> cmd(line.begin(), line.end());
    cmd.push_back('\0');
    PROCESS_INFORMATION pi;
    const bool started = CreateProcessA(exe.c_str(), cmd.data(), NULL, NULL, TRUE, 0, NULL, NULL,
                                        &si, &pi) != 0;
    CloseHandle(file);
    if (!started) return run;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT && GetTickCount() - start < 100000) {
        for (const char* name : {"main", "progress"}) {
            const std::string req = shots + "\\" + name + ".req";
            if (!FileExists(req)) continue;
            DeleteFileA(req.c_str());
            run.shots.push_back(name);
            kvttest::WriteFile(shots + "\\" + name + ".done", "");
        }
    }
    run.ended = WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    if (!run.ended) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // Its standard output is in text mode: CR LF line ends.
    for (char c : ReadFile(out))
        if (c != '\r') run.output += c;
    return run;
}

}  // namespace

TEST(AppProbe, InstallRunAnsweredAsAUserWouldWithItsOutcomeAsExitCode) {
    const struct {
        const char* scenario;
        DWORD exitCode;
        const char* answers;  // what the fake installer was answered
        std::vector<std::string> printed;
    } cases[] = {
        {"ok", 0, "note=1027\nrestart=7\n",
         {"Main dialog: project \"Sample\" (fixed), name \"Jo Sample\", company \"Sample Works\", "
          "drive \"C:\\\"\n",
          "  tool 1 Kitbay Tool A: selected\n", "  tool 2 Tool B: withdrawn\n", "Backup prompt: ",
          "Status line: Installation completed successfully\n", "Error boxes: 0\n",
          "  Kitbay Tool A: drive_c/Tarvo/Sample/A (no such folder)\n", "Registry values written",
          "Restart question: Do you wish to reboot now? -> No\n"}},
        {"fail", 1, "note=1027\nerror=1\nrestart=7\n",
         {"Error box: Tool A: Setup not complete -> OK\n",
          "Status line: Installation finished, problems occured\n", "Error boxes: 1\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        kvttest::TempDir dir("probe");
        const std::string medium = dir / "medium";
        kvttest::MakeDirs(medium);
        kvttest::WriteFile(medium + "\\KVTInstall.ini",
                           "[Config]\r\n1=A\r\n2=B\r\n[A]\r\nName=Kitbay Tool A\r\nDir=A\r\n"
                           "Title=Tool A Setup\r\n[B]\r\nName=Tool B\r\nWinNT=0\r\n");
        kvttest::OwnedProcess installer;
        ASSERT_TRUE(installer.Start(kvttest::BinDir() + "\\FakeInstaller.exe",
                                    std::string("FakeInstaller.exe ") + c.scenario, medium));
        const ProbeRun run = RunProbe(dir, medium);
        ASSERT_TRUE(run.ended) << run.output;
        EXPECT_EQ(c.exitCode, run.exitCode) << run.output;
        for (const std::string& p : c.printed)
            EXPECT_NE(std::string::npos, run.output.find(p)) << "missing: " << p << "\n" << run.output;
        EXPECT_EQ((std::vector<std::string>{"main", "progress"}), run.shots);
        EXPECT_TRUE(installer.WaitExit(10000));
        EXPECT_EQ(c.answers, ReadFile(medium + "\\answers.txt"));
    }
}

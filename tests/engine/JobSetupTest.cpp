// Phases 2 and 3 with the stand-in setup really started: the command line
// and working folder of each setup kind, and the supervision's ticks.
#include "JobTestSupport.h"

#include "Varnet01.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace jobtest;
using kvttest::FakeSetupRun;
using kvttest::WaitFor;

namespace {

std::string Expand(std::string text, const Scene& s) {
    const std::pair<const char*, std::string> keys[] = {{"{S}", s.tool.setup}, {"{T}", s.target}};
    for (const auto& k : keys)
        for (size_t at = text.find(k.first); at != std::string::npos;
             at = text.find(k.first, at + k.second.size()))
            text.replace(at, strlen(k.first), k.second);
    return text;
}

}  // namespace

TEST(JobSetupStart, CommandLineAndFolderOfEachKind) {
    // {S} is the tool's Setup, {T} the target folder; "-q -x" the Command.
    struct Case {
        const char* dir;
        int copyFiles;
        const char* command;
        const char* line;
    } cases[] = {
        {"Alpha", 0, "", "{S} /v\"INSTALLDIR=\\\"{T}\\\" /qn\""},
        {"Alpha", 0, "-q -x", "{S} -q -x /v\"INSTALLDIR=\\\"{T}\\\" /qn\""},
        {"Alpha", 1, "", ""},
        {"Alpha", 1, "-q -x", "{S} -q -x"},
        {"Ulvan", 0, "", "{S} /v\"INSTALLDIR=\\\"{T}\\\" /qn\""},
        {"Ulvan", 0, "-q -x", "{S} -q -x /v\"INSTALLDIR=\\\"{T}\\\" /qn\""},
        {"Ulvan", 1, "", ""},
        {"Ulvan", 1, "-q -x", "{S} -q -x"},
        {"Qev", 0, "", " /VERYSILENT"},
        {"Qev", 1, "", " /VERYSILENT"},
        {"Qev", 0, "-q -x", "{S} -q -x"},
        {"Qev", 1, "-q -x", "{S} -q -x"},
        {"Trakset", 0, "", " /S /D={T}"},
        {"Trakset", 1, "", " /S /D={T}"},
        {"Trakset", 1, "-q -x", "{S} -q -x"},
        {"Lapvue", 0, "", " /S /D={T}"},
        {"Lapvue", 1, "", " /S /D={T}"},
        {"Lapvue", 0, "-q -x", "{S} -q -x"},
        {"Components", 0, "", ""},
        {"Components", 1, "", ""},
        {"Components", 1, "-q -x", "{S} -q -x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dir << ", CopyFiles " << c.copyFiles << ", Command '"
                                        << c.command << "'");
        Scene s(c.dir);
        s.tool.command = c.command;
        s.tool.copyFiles = c.copyFiles;
        s.tool.file = "Alpha.exe";  // the special kinds drop it
        s.AddSetup();
        s.SetupOption("MainFile", "Alpha.exe");
        ASSERT_TRUE(s.Start());
        ASSERT_EQ(PhaseWaitSetup, s.job.phase);
        EXPECT_EQ(Expand(c.line, s), s.job.setupArguments);
        ASSERT_TRUE(WaitFor([&] { return !s.Runs().empty(); }, kSetupStartMs));
        const FakeSetupRun run = s.Runs()[0];
        const std::string folder = c.copyFiles == 0 ? s.source : s.target;
        if (*c.line) {
            EXPECT_EQ(Expand(c.line, s), run.commandLine);
        } else {
            // Wine hands a program started with an empty line its own
            // quoted path instead.
            EXPECT_TRUE(run.commandLine.empty() || EqualsNoCase(run.commandLine, "\"" + folder +
                                                                    "\\" + s.tool.setup + "\""))
                << run.commandLine;
        }
        EXPECT_TRUE(EqualsNoCase(folder, run.workingFolder)) << run.workingFolder;
        EXPECT_TRUE(EqualsNoCase(folder + "\\" + s.tool.setup, run.program)) << run.program;
        EXPECT_TRUE(s.FinishAfterSetupRan());
        EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);
    }
}

TEST(JobSetupStart, SpecialKindsLookOnTheMediumWithoutFallback) {
    // Staging found "SETUP.EX_", but the start looks for "Setup.exe" itself.
    Scene s("Lapvue", "Setup.exe");
    Put(s.source + "\\SETUP.EX_", "packed");
    ASSERT_TRUE(s.Start());
    EXPECT_TRUE(kvttest::FileExists(s.target + "\\SETUP.EXE"));
    EXPECT_EQ(std::vector<int>{ResultSetupNotFound}, s.host.closes);
    EXPECT_FALSE(s.host.timerRunning);
}

// The first look for the setup comes on tick Delay + 1; with nothing
// started (a missing program run from the medium) it then moves on at once.
TEST(JobSupervision, FirstCheckOnTickDelayPlusOne) {
    struct Case {
        int delay;
        int checkTick;
    } cases[] = {{0, 1}, {1, 2}, {3, 4}, {10, 11}, {-5, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Delay " << c.delay);
        Scene s("Alpha");
        s.tool.file = "Alpha.exe";
        s.tool.copyFiles = 0;
        s.tool.delay = c.delay;
        ASSERT_TRUE(s.Start());
        ASSERT_EQ(PhaseWaitSetup, s.job.phase);
        EXPECT_EQ(1000u, s.host.timerPeriod);
        for (int tick = 1; tick < c.checkTick; ++tick) {
            ASSERT_TRUE(s.host.Tick());
            EXPECT_EQ(PhaseWaitSetup, s.job.phase) << "tick " << tick;
        }
        ASSERT_TRUE(s.host.Tick());
        EXPECT_FALSE(s.host.timerRunning);
        // The main file never came.
        EXPECT_EQ(std::vector<int>{ResultSetupIncomplete}, s.host.closes);
        EXPECT_EQ(c.checkTick, s.host.ticks - 1);  // the start tick came first
    }
}

// The setup starts a child that shows a window with the tool's Title and
// exits at once: the job waits for the window, however many ticks it takes.
TEST(JobSupervision, ChildWindowWithTheTitleKeepsTheJobWaiting) {
    Scene s("Alpha");
    s.tool.file = "Alpha.exe";
    s.tool.copyFiles = 0;
    const std::string child = kvttest::UniqueName("Child") + ".exe";
    s.AddSetup();
    s.AddSetup(s.source, child);
    kvttest::SetFakeSetupOption(s.source, s.tool.setup, "Child", child);
    kvttest::SetFakeSetupOption(s.source, child, "Window", s.tool.title + " - Installing");
    kvttest::SetFakeSetupOption(s.source, child, "WindowMs", "120000");
    kvttest::SetFakeSetupOption(s.source, child, "MainFile", "Alpha.exe");
    ASSERT_TRUE(s.Start());

    HWND window = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<FakeSetupRun> runs = s.Runs();
        return runs.size() == 2 && runs[0].exited &&
               (window = GetTaskHandle(s.tool.title.c_str())) != NULL;
    }, kSetupStartMs));
    EXPECT_EQ(0, GetProcessId_Varnet(s.tool.setup.c_str()));
    for (int tick = 0; tick < 5; ++tick) {
        ASSERT_TRUE(s.host.Tick());
        EXPECT_EQ(PhaseWaitSetup, s.job.phase);
        Sleep(20);
    }
    ASSERT_TRUE(IsWindow(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(s.FinishWaiting([&] {
        std::vector<FakeSetupRun> runs = s.Runs();
        return runs.size() == 2 && runs[1].exited;
    }));
    EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);
}

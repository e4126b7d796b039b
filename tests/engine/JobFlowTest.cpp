// The phase machine as a whole: the order of what a job asks of its window,
// and one end with one result code on every path.
#include "JobTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace jobtest;
using kvttest::MakeDirs;

namespace {

// After the end nothing the window can still do starts anything again.
void ExpectEndedForGood(Scene& s) {
    const size_t calls = s.host.calls.size();
    s.host.Paint();
    s.job.OnSupervisionTick(kJobTimer);
    s.job.RunPhase();
    s.job.EndJob(ResultUnknown);
    EXPECT_EQ(PhaseEnded, s.job.phase);
    EXPECT_EQ(calls, s.host.calls.size());
    EXPECT_EQ(1u, s.host.closes.size());
}

}  // namespace

TEST(JobFlow, WholeJobAsksTheWindowInThisOrder) {
    Scene s("Alpha");
    s.tool.file = "Alpha.exe";
    s.AddSetup();
    s.SetupOption("MainFile", "Alpha.exe");
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.FinishAfterSetupRan());
    const std::vector<std::string> expected = {
        "timer 100", "stop", "repaint 1",           // the start request
        "repaint 2", "timer 1000", "repaint 3",     // staged, started, waiting
        "stop",      "repaint 4",  "repaint 5",     // gone: after setup, groups
        "close -1"};
    EXPECT_EQ(expected, s.host.calls);
    EXPECT_EQ(1, s.job.setupComplete);
    ExpectEndedForGood(s);
}

TEST(JobFlow, ProjectFilesOnlyJobGoesStraightToTheGroups) {
    Scene s("Alpha");
    s.tool.file = "";
    ASSERT_TRUE(s.Start());
    EXPECT_EQ(1, s.job.projectFilesOnly);
    const std::vector<std::string> expected = {"timer 100", "stop", "repaint 5", "close -1"};
    EXPECT_EQ(expected, s.host.calls);
    ExpectEndedForGood(s);
}

TEST(JobFlow, StartRequestAndTicksOutsideTheWait) {
    Scene s("Alpha");
    s.tool.file = "Alpha.exe";
    s.host.drive = false;
    ASSERT_TRUE(s.job.Prepare());
    EXPECT_EQ(-2, s.job.lastStartedPhase);
    EXPECT_TRUE(s.host.calls.empty());

    // A timer that is not the job's is left to the window.
    EXPECT_FALSE(s.job.OnSupervisionTick(2));
    EXPECT_TRUE(s.host.calls.empty());

    s.host.Paint();
    s.host.Paint();  // covered and uncovered before the first tick
    EXPECT_EQ((std::vector<std::string>{"timer 100", "timer 100"}), s.host.calls);
    EXPECT_TRUE(s.job.OnSupervisionTick(kJobTimer));
    EXPECT_EQ(-1, s.job.lastStartedPhase);
    EXPECT_EQ((std::vector<std::string>{"timer 100", "timer 100", "stop", "repaint 1"}),
              s.host.calls);
    // Once the first step has been asked for, a tick outside phase 3 does
    // nothing.
    s.job.OnSupervisionTick(kJobTimer);
    EXPECT_EQ(4u, s.host.calls.size());
    EXPECT_EQ(PhaseCopySetup, s.job.phase);
}

TEST(JobFlow, RepaintWithoutAPhaseChangeStartsNothing) {
    Scene s("Alpha");
    s.tool.file = "Alpha.exe";
    s.tool.copyFiles = 0;
    s.host.drive = false;
    ASSERT_TRUE(s.job.Prepare());
    s.job.lastStartedPhase = -1;
    s.job.OnPainted();  // runs phase 1: nothing staged with CopyFiles 0
    EXPECT_EQ(PhaseStartSetup, s.job.phase);
    EXPECT_EQ(1, s.job.lastStartedPhase);
    s.job.lastStartedPhase = PhaseStartSetup;
    s.job.OnPainted();  // the phase's step has been started already
    EXPECT_EQ(PhaseStartSetup, s.job.phase);
    EXPECT_EQ((std::vector<std::string>{"repaint 2"}), s.host.calls);
}

// Each way a job can end, from preparation to the groups: one close, with
// its code, and nothing afterwards.
TEST(JobFlow, EveryEndComesOnceWithItsCode) {
    struct Case {
        const char* what;
        std::function<void(Scene&)> arrange;
        int code;
    } cases[] = {
        {"busy setup (preparation)",
         [](Scene& s) {
             s.AddSetup();
             s.SetupOption("ExitMs", "60000");
             ASSERT_TRUE(s.other.Start(s.source + "\\" + s.tool.setup, s.tool.setup, s.source));
             ASSERT_TRUE(kvttest::WaitFor([&] { return !s.Runs().empty(); }, kSetupStartMs));
         },
         ResultSetupActive},
        {"too little space (preparation)",
         [](Scene& s) {
             s.tool.space = 20 * 1048576;
             s.job.fakeSpace = true;
             s.job.space = 15ull * 1048576;
         },
         ResultNoSpace},
        {"no setup program (staging)", [](Scene&) {}, ResultSetupNotFound},
        {"target cannot be created (staging)",
         [](Scene& s) {
             s.AddSetup();
             Put(s.root / "file", "x");
             s.job.targetFolder = s.root / "file\\Alpha";
         },
         ResultCannotCreateTarget},
        {"staging list cannot be written (staging)",
         [](Scene& s) {
             s.AddSetup();
             MakeDirs(s.StagingList());
         },
         ResultCannotWriteTarget},
        {"earlier main file cannot be parked (staging)",
         [](Scene& s) {
             s.AddSetup();
             Put(s.target + "\\Alpha.exe", "old");
             Put(s.target + "\\_~Alpha.exe", "older");
         },
         ResultAlreadyInstalled},
        {"no setup program for a special kind (start)",
         [](Scene& s) {
             s.tool.dir = "Qev";
             s.tool.copyFiles = 0;
         },
         ResultSetupNotFound},
        {"staging list gone (after setup)",
         [](Scene& s) {
             s.AddSetup();
             s.SetupOption("MainFile", "Alpha.exe");
         },
         ResultCannotReadTarget},
        {"main file missing (after setup)", [](Scene& s) { s.AddSetup(); }, ResultSetupIncomplete},
        {"a step throws (staging)",
         [](Scene& s) {
             s.AddSetup();
             s.job.throwOn = s.tool.setup;
         },
         ResultUnknown},
        {"a step throws (project files)",
         [](Scene& s) {
             s.AddSetup();
             s.SetupOption("MainFile", "Alpha.exe");
             Put(s.source + "\\APPFiles\\Readme.txt", "x");
             s.job.throwOn = "Readme.txt";
         },
         ResultUnknown},
        {"success",
         [](Scene& s) {
             s.AddSetup();
             s.SetupOption("MainFile", "Alpha.exe");
         },
         ResultSuccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Alpha");
        s.tool.file = "Alpha.exe";
        c.arrange(s);
        if (s.Start()) {
            if (c.code == ResultCannotReadTarget) {  // taken away during the wait
                ASSERT_EQ(PhaseWaitSetup, s.job.phase);
                ASSERT_TRUE(DeleteFileA(s.StagingList().c_str()));
            }
            EXPECT_TRUE(s.FinishAfterSetupRan());
        }
        EXPECT_EQ(std::vector<int>{c.code}, s.host.closes);
        EXPECT_FALSE(s.host.timerRunning);
        ExpectEndedForGood(s);
    }
}

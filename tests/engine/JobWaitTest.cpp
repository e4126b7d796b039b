// The way out of a wait for a setup that does not end: the hint line after
// two minutes beyond the Delay, Escape's question and its two answers, the
// unattended time limit, and Escape outside the wait.
#include "JobTestSupport.h"
#include "ProgressDlg.h"
#include "Varnet01.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace jobtest;

namespace {

bool Has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// The tool's setup started and still running (it stays a minute): the job
// waits in phase 3 with its Delay counted down.
void WaitForARunningSetup(Scene& s) {
    s.AddSetup();
    s.SetupOption("ExitMs", "60000");
    ASSERT_TRUE(s.Start());
    ASSERT_EQ(PhaseWaitSetup, s.job.phase);
    ASSERT_TRUE(kvttest::WaitFor([&] { return !s.Runs().empty(); }, kSetupStartMs));
    while (s.job.delayCountdown > 0) s.host.Tick();
}

TEST(JobWait, HintLineOnlyOnceTheSetupRanTwoMinutesBeyondItsDelay) {
    for (Language language : {LanguageEnglish, LanguageGerman}) {
        Scene s("Alpha");
        s.tool.name = "Alpha Tool";
        s.tool.delay = 2;
        s.job.language = language;
        WaitForARunningSetup(s);
        const std::string hint = language == LanguageGerman
                                     ? "Warte auf Alpha Tool Setup (Esc: nicht mehr warten)"
                                     : "Still waiting for Alpha Tool Setup (Esc: stop waiting)";
        for (int i = 1; i < CToolInstallJob::kStillWaitingTicks; ++i) ASSERT_TRUE(s.host.Tick());
        EXPECT_FALSE(Has(ProgressLines(s.job), hint));
        const size_t repaints = std::count(s.host.calls.begin(), s.host.calls.end(), "repaint 3");
        ASSERT_TRUE(s.host.Tick());
        EXPECT_EQ(PhaseWaitSetup, s.job.phase);
        EXPECT_TRUE(Has(ProgressLines(s.job), hint));
        // Shown at once, then left as it is.
        EXPECT_EQ(repaints + 1, static_cast<size_t>(std::count(s.host.calls.begin(), s.host.calls.end(), "repaint 3")));
        EXPECT_TRUE(s.host.questions.empty());
    }
}

TEST(JobWait, EscapeAsksAndOnlyYesStopsTheWait) {
    struct Case {
        const char* what;
        bool foreignWindow;  // the wait is held by another program's window only
        bool yes;
        int code;            // -100: still waiting
    } cases[] = {
        {"a setup that never ends, No", false, false, -100},
        {"a setup that never ends, Yes", false, true, ResultSetupIncomplete},
        {"an unrelated window of the Title, Yes", true, true, ResultSuccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Alpha");
        s.tool.name = "Alpha Tool";
        s.tool.file = "Alpha.exe";
        if (c.foreignWindow) {
            // The setup leaves its main file and ends; a program of another
            // name shows a window whose caption begins with the Title.
            // The window comes after the preparation, which would refuse to
            // start beside it, and is there before the tick that looks.
            s.AddSetup();
            s.SetupOption("MainFile", "Alpha.exe");
            ASSERT_TRUE(s.Start());
            const std::string caption = s.tool.title + " - Folder";
            ASSERT_TRUE(s.StartForeignWindow(caption));
            ASSERT_TRUE(kvttest::WaitFor([&] { return FindWindowA(NULL, caption.c_str()) != NULL; },
                                         kSetupStartMs));
            ASSERT_TRUE(kvttest::WaitFor(
                [&] {
                    const std::vector<kvttest::FakeSetupRun> runs = s.Runs();
                    return !runs.empty() && runs[0].exited;
                },
                kSetupStartMs));
            ASSERT_TRUE(s.job.IsSetupRunning());
        } else {
            WaitForARunningSetup(s);
        }
        ASSERT_TRUE(s.host.Tick());
        ASSERT_EQ(PhaseWaitSetup, s.job.phase);

        s.host.answerYes = c.yes;
        s.job.OnEscape();
        ASSERT_EQ(1u, s.host.questions.size());
        EXPECT_EQ("Stop waiting for Alpha Tool Setup? The setup program keeps running.", s.host.questions[0].text);
        EXPECT_EQ("Kitbay", s.host.questions[0].caption);
        if (c.code == -100) {
            EXPECT_EQ(PhaseWaitSetup, s.job.phase);
            EXPECT_TRUE(s.host.timerRunning);
            EXPECT_TRUE(s.host.closes.empty());
        } else {
            EXPECT_EQ(std::vector<int>{c.code}, s.host.closes);
            EXPECT_TRUE(s.job.setupAbandoned);
            EXPECT_FALSE(s.host.timerRunning);
        }
    }
}

TEST(JobWait, GermanQuestion) {
    Scene s("Alpha");
    s.tool.name = "Alpha Tool";
    s.job.language = LanguageGerman;
    WaitForARunningSetup(s);
    s.job.OnEscape();
    ASSERT_EQ(1u, s.host.questions.size());
    EXPECT_EQ("Nicht mehr auf Alpha Tool Setup warten? Das Setup-Programm l\xE4uft weiter.",
              s.host.questions[0].text);
    EXPECT_EQ(PhaseWaitSetup, s.job.phase);
}

// The supervision goes on while the question is open: when the setup ends
// then, a Yes afterwards changes nothing and the job ends once.
TEST(JobWait, SetupEndsWhileTheQuestionIsOpen) {
    Scene s("Alpha");
    s.tool.file = "Alpha.exe";
    WaitForARunningSetup(s);
    s.host.answerYes = true;
    s.host.whileAsking = [&] {
        KillProcess(s.tool.setup.c_str());
        kvttest::WaitFor([&] { return !s.job.IsSetupRunning(); }, kSetupStartMs);
        s.host.Tick();
    };
    s.job.OnEscape();
    EXPECT_EQ(std::vector<int>{ResultSetupIncomplete}, s.host.closes);
    EXPECT_FALSE(s.job.setupAbandoned);
}

TEST(JobWait, EscapeOutsideTheWaitAsksNothing) {
    for (int phase : {int(PhaseCopySetup), int(PhaseStartSetup), int(PhaseAfterSetup), int(PhaseProjectFiles),
                      int(PhaseEnded)}) {
        SCOPED_TRACE(phase);
        Scene s("Alpha");
        s.host.answerYes = true;
        s.job.phase = phase;
        s.job.OnEscape();
        EXPECT_EQ(phase, s.job.phase);
        EXPECT_TRUE(s.host.calls.empty());
    }
}

TEST(JobWait, TimeLimitStopsTheWaitWithoutAsking) {
    Scene s("Alpha");
    s.tool.file = "Alpha.exe";
    s.job.setupTimeoutTicks = 3;
    WaitForARunningSetup(s);
    ASSERT_TRUE(s.host.Tick());
    ASSERT_TRUE(s.host.Tick());
    EXPECT_EQ(PhaseWaitSetup, s.job.phase);
    ASSERT_TRUE(s.host.Tick());
    EXPECT_EQ(std::vector<int>{ResultSetupIncomplete}, s.host.closes);
    EXPECT_TRUE(s.job.setupAbandoned);
    EXPECT_TRUE(s.host.questions.empty());
}

}  // namespace

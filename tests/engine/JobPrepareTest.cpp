// Preparation: setup kind and File, first phase, busy check, free space.
#include "JobTestSupport.h"
#include "Varnet01.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace jobtest;

TEST(JobPrepare, SetupKindFromTheFirstMatchingKeyword) {
    struct Case {
        const char* dir;
        SetupKind kind;
    } cases[] = {
        {"Ulvan", SetupUlvan},           {"ULVAN", SetupUlvan},
        {"Qev", SetupQev},               {"qev", SetupQev},
        {"Trakset", SetupTrakset},       {"tRAKSET", SetupTrakset},
        {"Lapvue", SetupLapvue},         {"lapvue", SetupLapvue},
        {"Components", SetupComponents}, {"COMPONENTS", SetupComponents},
        {"Alpha", SetupStandard},        {"Qev2", SetupStandard},
        {"Lapvue ", SetupStandard},      {"Ulva", SetupStandard},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        Scene s(c.dir);
        s.tool.file = "Main.exe";
        ASSERT_TRUE(s.job.Prepare());
        EXPECT_EQ(c.kind, s.job.setupKind);
        // The special kinds lose File in the catalogue's record itself.
        EXPECT_EQ(c.kind == SetupStandard ? "Main.exe" : "", s.tool.file);
        EXPECT_EQ(PhaseCopySetup, s.job.phase);
        EXPECT_EQ(0, s.job.projectFilesOnly);
        EXPECT_EQ(0, s.job.setupComplete);
        EXPECT_EQ(-2, s.job.lastStartedPhase);
        EXPECT_EQ(s.job.toolSourceFolder, s.job.setupSourceFolder);
        EXPECT_EQ(s.StagingList(), s.job.stagingListPath);
        EXPECT_TRUE(s.host.calls.empty());
    }
}

TEST(JobPrepare, StandardToolWithoutFileOnlyCopiesProjectFiles) {
    Scene s("Alpha");
    s.tool.file = "";
    ASSERT_TRUE(s.job.Prepare());
    EXPECT_EQ(PhaseProjectFiles, s.job.phase);
    EXPECT_EQ(1, s.job.projectFilesOnly);
    EXPECT_EQ(SetupStandard, s.job.setupKind);
}

// Busy by the setup's process name or by a window whose title begins with
// the tool's Title; looked for only when the job would run a setup.
TEST(JobPrepare, BusySetupEndsAJobThatWouldRunOne) {
    enum Busy { ByProcess, ByWindow };
    struct Case {
        const char* what;
        Busy busy;
        const char* file;  // "" with the standard kind: project files only
        int closes;
    } cases[] = {
        {"process, standard tool", ByProcess, "Main.exe", 1},
        {"window, standard tool", ByWindow, "Main.exe", 1},
        {"process, project files only", ByProcess, "", 0},
        {"window, project files only", ByWindow, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Alpha");
        s.tool.file = c.file;
        std::unique_ptr<kvttest::TestWindow> window;
        if (c.busy == ByProcess) {
            s.AddSetup();
            s.SetupOption("ExitMs", "60000");
            ASSERT_TRUE(s.other.Start(s.source + "\\" + s.tool.setup, s.tool.setup, s.source));
            ASSERT_TRUE(kvttest::WaitFor([&] { return !s.Runs().empty(); }, kSetupStartMs));
        } else {
            // Another program's window: the installer's own never count.
            ASSERT_TRUE(s.StartForeignWindow(s.tool.title + " - Wizard"));
            ASSERT_TRUE(kvttest::WaitFor([&] { return GetTaskHandle(s.tool.title.c_str()) != NULL; },
                                         kSetupStartMs));
        }
        EXPECT_EQ(c.closes == 0, s.job.Prepare());
        EXPECT_EQ(c.closes, static_cast<int>(s.host.closes.size()));
        if (c.closes) {
            EXPECT_EQ(ResultSetupActive, s.host.closes[0]);
            EXPECT_EQ(PhaseEnded, s.job.phase);
        } else {
            EXPECT_EQ(PhaseProjectFiles, s.job.phase);
        }
    }
}

// The installer's own windows (its progress window is captioned like a
// tool's Title may be) never make a tool look busy, hidden or shown.
TEST(JobPrepare, TheInstallersOwnWindowIsNoBusySetup) {
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible ? "shown" : "hidden");
        Scene s("Alpha");
        kvttest::TestWindow own(s.tool.title, visible);
        ASSERT_TRUE(own.get());
        EXPECT_TRUE(s.job.Prepare());
        EXPECT_TRUE(s.host.closes.empty());
        EXPECT_FALSE(s.job.IsSetupRunning());
    }
}

// A Dir, Setup or File that would leave its folder ends the job before
// anything is placed; a sub-folder is fine.
TEST(JobPrepare, NamesThatLeaveTheirFolderAreRefused) {
    struct Case {
        const char* dir;
        const char* setup;  // null: the scene's own
        const char* file;
        bool refused;
    } cases[] = {
        {"Alpha", "BIN\\SETUP.EXE", "BIN\\TOOL.EXE", false},
        {"Alpha\\Sub", nullptr, "Main.exe", false},
        {"Alpha", nullptr, ".\\Main.exe", false},
        {"..\\..\\JEscape", nullptr, "Main.exe", true},
        {"..\\x", nullptr, "Main.exe", true},
        {"Alpha\\..\\..\\x", nullptr, "Main.exe", true},
        {"Alpha/../../x", nullptr, "Main.exe", true},
        {"...", nullptr, "Main.exe", true},
        {".. ", nullptr, "Main.exe", true},
        {"C:\\JEscape", nullptr, "Main.exe", true},
        {"C:JEscape", nullptr, "Main.exe", true},
        {"\\JEscape", nullptr, "Main.exe", true},
        {"\\\\server\\share", nullptr, "Main.exe", true},
        {"Alpha", "..\\SETUP.EXE", "Main.exe", true},
        {"Alpha", "C:\\WINDOWS\\REGEDIT.EXE", "Main.exe", true},
        {"Alpha", nullptr, "..\\..\\Main.exe", true},
        {"Alpha", nullptr, "\\Main.exe", true},
        {"Alpha", nullptr, "Main.exe:stream", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dir) + " | " + (c.setup ? c.setup : "-") + " | " + c.file);
        Scene s("Alpha");
        s.tool.dir = c.dir;
        if (c.setup) s.tool.setup = c.setup;
        s.tool.file = c.file;
        EXPECT_EQ(!c.refused, s.job.Prepare());
        if (c.refused) {
            EXPECT_EQ(std::vector<int>{ResultCannotCreateTarget}, s.host.closes);
            EXPECT_EQ(PhaseEnded, s.job.phase);
        } else {
            EXPECT_TRUE(s.host.closes.empty());
        }
        EXPECT_FALSE(kvttest::DirExists(s.target));
    }
}

TEST(JobPrepare, FreeSpaceOfTheTargetDrive) {
    const int mb = 1048576;
    struct Case {
        const char* what;
        int space;                  // the tool's Space in bytes
        unsigned long long avail;   // what the drive reports
        const char* file;
        bool asked;
        bool ends;
    } cases[] = {
        {"20 MB needed, 15 MB free", 20 * mb, 15ull * mb, "Main.exe", true, true},
        {"20 MB needed, 20 MB free", 20 * mb, 20ull * mb, "Main.exe", true, false},
        {"20 MB needed, 1 byte less", 20 * mb, 20ull * mb - 1, "Main.exe", true, true},
        {"free space unknown", 20 * mb, 0, "Main.exe", true, false},
        {"no requirement", 0, 1, "Main.exe", false, false},
        {"more free than 32 bits hold", 2047 * mb, 0x100000000ull, "Main.exe", true, false},
        {"project files only still checks", 20 * mb, 15ull * mb, "", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Alpha");
        s.tool.file = c.file;
        s.tool.space = c.space;
        s.job.fakeSpace = true;
        s.job.space = c.avail;
        s.job.targetFolder = "Q:\\Tarvo\\KVT\\Alpha";
        EXPECT_EQ(!c.ends, s.job.Prepare());
        EXPECT_EQ(c.asked ? std::vector<std::string>{"Q:\\"} : std::vector<std::string>{},
                  s.job.spaceRoots);
        EXPECT_EQ(c.ends ? std::vector<int>{ResultNoSpace} : std::vector<int>{}, s.host.closes);
    }
}

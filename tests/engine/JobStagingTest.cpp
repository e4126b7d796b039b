// Phase 1 on its own: what is staged into the target folder, under which
// names, and what the staging list says.
#include "JobTestSupport.h"

#include "WinHandles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace jobtest;
using kvttest::FileExists;
using kvttest::MakeDirs;
using kvttest::ReadFile;

namespace {

// Names of the entries in `folder` as the file system spells them, sorted;
// folders end with "\".
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    win::FindHandle h(FindFirstFileA((folder + "\\*").c_str(), &fd));
    if (!h) return names;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) name += "\\";
        names.push_back(name);
    } while (FindNextFileA(h.get(), &fd));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Runs phase 1 alone: the repaint that would start phase 2 is only noted.
void RunStaging(Scene& s) {
    ASSERT_TRUE(s.job.Prepare());
    s.host.drive = false;
    s.job.lastStartedPhase = PhaseCopySetup;
    s.job.RunPhase();
}

}  // namespace

TEST(JobStaging, SetupFolderFilesOnlyUpperCasedAndListed) {
    Scene s("Alpha", "setup.exe");
    Put(s.source + "\\setup.exe", "exe");
    Put(s.source + "\\data1.cab", "cab");
    Put(s.source + "\\_ISDEL.EXE", "isdel");
    Put(s.source + "\\Sub\\inner.txt", "inner");
    Put(s.source + "\\Setup.ini", "User=%%NAME%%\n");
    RunStaging(s);

    EXPECT_EQ((std::vector<std::string>{"repaint 2"}), s.host.calls);
    EXPECT_EQ(PhaseStartSetup, s.job.phase);
    EXPECT_EQ((std::vector<std::string>{"DATA1.CAB", "SETUP.EXE", "SETUP.INI"}), Entries(s.target));
    EXPECT_EQ((std::vector<std::string>{s.target + "\\DATA1.CAB", s.target + "\\SETUP.EXE",
                                        s.target + "\\SETUP.INI"}),
              Sorted(ReadLines(s.StagingList())));
    EXPECT_EQ("cab", ReadFile(s.target + "\\DATA1.CAB"));
    // Staged files follow the placing rules: configuration files are rewritten.
    EXPECT_EQ("User=Test User\r\n", ReadFile(s.target + "\\SETUP.INI"));
    EXPECT_EQ("", s.job.savedMainFile);
}

TEST(JobStaging, CompressedSetupIsStagedAndListedAsSetupExe) {
    for (const char* onMedium : {"SETUP.EX_", "setup.ex_"}) {
        SCOPED_TRACE(onMedium);
        Scene s("Alpha", "Setup.exe");
        Put(s.source + "\\" + onMedium, "packed");
        RunStaging(s);
        EXPECT_TRUE(s.host.closes.empty());
        EXPECT_EQ((std::vector<std::string>{"SETUP.EXE"}), Entries(s.target));
        EXPECT_EQ("packed", ReadFile(s.target + "\\SETUP.EXE"));
        EXPECT_EQ((std::vector<std::string>{s.target + "\\SETUP.EXE"}), ReadLines(s.StagingList()));
    }
}

TEST(JobStaging, FallbackOnlyForSetupExe) {
    // "Install.exe" has no compressed form to look for.
    Scene s("Alpha", "Install.exe");
    Put(s.source + "\\INSTALL.EX_", "packed");
    RunStaging(s);
    EXPECT_EQ(std::vector<int>{ResultSetupNotFound}, s.host.closes);
    EXPECT_FALSE(kvttest::DirExists(s.target));
    EXPECT_FALSE(FileExists(s.StagingList()));
}

TEST(JobStaging, CopyFilesZeroStagesNothing) {
    Scene s("Alpha");
    s.tool.copyFiles = 0;
    s.tool.file = "Alpha.exe";
    Put(s.source + "\\" + s.tool.setup, "exe");
    Put(s.target + "\\Alpha.exe", "old");
    RunStaging(s);
    EXPECT_EQ((std::vector<std::string>{"repaint 2"}), s.host.calls);
    EXPECT_EQ((std::vector<std::string>{"Alpha.exe"}), Entries(s.target));
    EXPECT_FALSE(FileExists(s.StagingList()));
    EXPECT_EQ("", s.job.savedMainFile);
}

TEST(JobStaging, EarlierMainFileIsParkedBesideItself) {
    // A target folder given with its trailing backslash joins the same way.
    for (const char* tail : {"", "\\"}) {
        SCOPED_TRACE(*tail ? "target with backslash" : "target without");
        Scene s("Alpha");
        s.tool.file = "Tool.exe";
        Put(s.source + "\\" + s.tool.setup, "exe");
        Put(s.target + "\\Tool.exe", "earlier");
        Put(s.StagingList(), "C:\\stale\\line\r\nC:\\another\r\n");
        s.job.targetFolder = s.target + tail;
        RunStaging(s);
        EXPECT_EQ(s.target + "\\_~Tool.exe", s.job.savedMainFile);
        EXPECT_EQ("earlier", ReadFile(s.target + "\\_~Tool.exe"));
        EXPECT_FALSE(FileExists(s.target + "\\Tool.exe"));
        // The list was emptied first and names the staged setup only.
        EXPECT_EQ(std::vector<std::string>{s.target + "\\" + UpperAscii(s.tool.setup)},
                  ReadLines(s.StagingList()));
    }
}

TEST(JobStaging, UlvanAlsoStagesItsTwoSubfolders) {
    Scene s("Ulvan", "Setup.exe");
    Put(s.source + "\\Setup.exe", "exe");
    Put(s.source + "\\W2KSUP\\ntdrv.dll", "dll");
    Put(s.source + "\\W2KSUP\\_ISDEL.EXE", "isdel");
    Put(s.source + "\\W2KSUP\\Deeper\\x.bin", "deeper");
    Put(s.source + "\\Manuals\\Guide.pdf", "pdf");
    Put(s.source + "\\Other\\skip.bin", "other");
    RunStaging(s);

    EXPECT_EQ((std::vector<std::string>{"Manuals\\", "SETUP.EXE", "W2KSUP\\"}), Entries(s.target));
    EXPECT_EQ((std::vector<std::string>{"NTDRV.DLL", "_ISDEL.EXE"}), Entries(s.target + "\\W2KSUP"));
    EXPECT_EQ((std::vector<std::string>{"GUIDE.PDF"}), Entries(s.target + "\\Manuals"));
    // The subfolders' lines keep the names as found, after the main folder's.
    std::vector<std::string> lines = ReadLines(s.StagingList());
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(s.target + "\\SETUP.EXE", lines[0]);
    EXPECT_EQ((std::vector<std::string>{s.target + "\\W2KSUP\\_ISDEL.EXE",
                                        s.target + "\\W2KSUP\\ntdrv.dll"}),
              Sorted({lines[1], lines[2]}));
    EXPECT_EQ(s.target + "\\Manuals\\Guide.pdf", lines[3]);
}

// A "_~" file already there may hold what an unfinished job parked: nothing
// is parked over it, nothing is staged, and every file keeps its name.
TEST(JobStaging, NoParkingOverAnEarlierParkedFile) {
    Scene s("Alpha");
    s.tool.file = "Tool.exe";
    Put(s.source + "\\" + s.tool.setup, "exe");
    Put(s.source + "\\data1.cab", "cab");
    Put(s.source + "\\readme.txt", "medium readme");
    Put(s.target + "\\Tool.exe", "earlier");
    Put(s.target + "\\DATA1.CAB", "my cab");
    Put(s.target + "\\readme.txt", "mine");
    Put(s.target + "\\_~README.TXT", "parked before");
    RunStaging(s);

    EXPECT_EQ(std::vector<int>{ResultAlreadyInstalled}, s.host.closes);
    EXPECT_EQ((std::vector<std::string>{"DATA1.CAB", "Tool.exe", "_~README.TXT", "readme.txt"}),
              Entries(s.target));
    EXPECT_EQ("earlier", ReadFile(s.target + "\\Tool.exe"));
    EXPECT_EQ("my cab", ReadFile(s.target + "\\DATA1.CAB"));
    EXPECT_EQ("mine", ReadFile(s.target + "\\readme.txt"));
    EXPECT_EQ("parked before", ReadFile(s.target + "\\_~README.TXT"));
    EXPECT_EQ("", s.job.savedMainFile);
}

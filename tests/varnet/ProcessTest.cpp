// Process and window utilities of Varnet01 against real processes and
// windows under Wine. Every window caption, program name and folder here is
// unique to the test, as other tests run beside these on the same desktop.
#include "Varnet01.h"

#include "ProcessSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kvttest;

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A folder with a copy of the stand-in setup under a name of its own,
// running until it is killed (or for a minute).
struct RunningSetup {
    TempDir dir;
    std::string name;
    OwnedProcess process;

    explicit RunningSetup(const char* tag) : dir(tag), name(UniqueName(tag) + ".exe") {
        EXPECT_TRUE(CopyFakeSetup(dir.path(), name));
        SetFakeSetupOption(dir.path(), "FakeSetup", "ExitMs", "60000");
        EXPECT_TRUE(process.Start(dir / name, name, dir.path()));
    }
};

}  // namespace

// ---- Windows by caption ------------------------------------------------------

struct CaptionCase {
    const char* caption;  // {u} stands for a prefix unique to the case
    const char* title;
    bool visible;
    bool found;
};

TEST(ProcessWindows, CaptionMatchesTitleFromItsBeginningInAnyCase) {
    const CaptionCase cases[] = {
        {"{u} Setup", "{u} Setup", true, true},
        {"{u} SETUP", "{u} setup", true, true},
        {"{u} Setup Wizard", "{u} Setup", true, true},
        {"{u} SETUP - Tool", "{u} Setup", true, true},
        {"{u} Setup", "{u} Setup", false, true},            // hidden windows count
        {"{u} Set", "{u} Setup", true, false},              // title longer than caption
        {"My {u} Setup", "{u} Setup", true, false},         // not at the beginning
        {"{u} Setup", "{u} Setup Wizard", true, false},
        {"{u} \xC4nderung", "{u} \xE4nderung", true, true},  // code page 1252 letters
    };
    for (const CaptionCase& c : cases) {
        std::string u = UniqueName("Cap");
        std::string caption = Replace(c.caption, "{u}", u);
        std::string title = Replace(c.title, "{u}", u);
        SCOPED_TRACE("caption '" + caption + "', title '" + title + "'");
        TestWindow window(caption, c.visible);
        ASSERT_TRUE(window.get());
        EXPECT_EQ(c.found ? window.get() : NULL, GetTaskHandle(title.c_str()));
    }
}

TEST(ProcessWindows, FirstOfTwoMatchingWindowsWins) {
    std::string u = UniqueName("Two");
    TestWindow one(u + " one", true), two(u + " two", true);
    ASSERT_TRUE(one.get() && two.get());
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (HWND first : {one.get(), two.get(), one.get()}) {
        SetWindowPos(first, HWND_TOP, 0, 0, 0, 0, keep);
        EXPECT_EQ(first, GetTaskHandle(u.c_str()));
    }
}

TEST(ProcessWindows, EmptyTitleFindsNothing) {
    // Every caption begins with the empty text: only the guard keeps these
    // from returning some window.
    TestWindow window(UniqueName("Empty"), true);
    ASSERT_TRUE(window.get());
    EXPECT_EQ(NULL, GetTaskHandle(""));
    EXPECT_EQ(NULL, GetTaskHandle(NULL));
    EXPECT_EQ(0, ActivateTaskbyTitle(""));
}

// The stand-in setup, under a name of its own, showing a window with
// `caption` for a minute.
struct ForeignWindow {
    TempDir dir{"Win"};
    std::string name = UniqueName("Win") + ".exe";
    OwnedProcess process;

    explicit ForeignWindow(const std::string& caption) {
        EXPECT_TRUE(CopyFakeSetup(dir.path(), name));
        SetFakeSetupOption(dir.path(), "FakeSetup", "Window", caption);
        SetFakeSetupOption(dir.path(), "FakeSetup", "WindowMs", "60000");
        EXPECT_TRUE(process.Start(dir / name, name, dir.path()));
    }
    // Whether `search` finds a window of this process for `title`, in time.
    bool FoundBy(HWND (*search)(char const*), const std::string& title) {
        HWND found = NULL;
        if (!WaitFor([&] { return (found = search(title.c_str())) != NULL; })) return false;
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        return owner == process.id();
    }
};

TEST(ProcessWindows, FindsWindowOfAnotherProcess) {
    std::string caption = UniqueName("Foreign") + " Setup Wizard";
    ForeignWindow setup(caption);
    EXPECT_TRUE(setup.FoundBy(GetTaskHandle, caption.substr(0, caption.size() - strlen(" Wizard"))));
}

TEST(ProcessWindows, TheOtherSearchPassesOverTheCallersOwnWindows) {
    std::string caption = UniqueName("Own") + " Setup";
    TestWindow own(caption, true);
    ASSERT_TRUE(own.get());
    EXPECT_EQ(own.get(), GetTaskHandle(caption.c_str()));
    EXPECT_EQ(NULL, GetOtherTaskHandle(caption.c_str()));
    EXPECT_EQ(NULL, GetOtherTaskHandle(""));

    // Another process's window of the same caption is found, ours is not.
    ForeignWindow other(caption);
    EXPECT_TRUE(other.FoundBy(GetOtherTaskHandle, caption));
}

TEST(ProcessWindows, ActivateShowsTheWindowOrReportsNone) {
    std::string u = UniqueName("Act");
    TestWindow byTitle(u + " by title", false), byHandle(u + " by handle", false);
    ASSERT_FALSE(IsWindowVisible(byTitle.get()));

    EXPECT_EQ(1, ActivateTaskbyTitle((u + " by title").c_str()));
    EXPECT_TRUE(IsWindowVisible(byTitle.get()));
    EXPECT_FALSE(IsWindowVisible(byHandle.get()));

    EXPECT_EQ(1, ActivateTaskbyHandle(byHandle.get()));
    EXPECT_TRUE(IsWindowVisible(byHandle.get()));

    EXPECT_EQ(0, ActivateTaskbyTitle((u + " no such window").c_str()));
    EXPECT_EQ(0, ActivateTaskbyHandle(NULL));
}

// ---- Processes by file name ----------------------------------------------------

TEST(ProcessSearch, MatchesFileNameWithExtensionInAnyCaseNeverAPath) {
    RunningSetup setup("Srch");
    ASSERT_TRUE(WaitFor([&] { return CountProcesses(setup.name) == 1; }));
    std::string stem = setup.name.substr(0, setup.name.size() - 4);
    std::string upper = setup.name, lower = setup.name;
    CharUpperA(&upper[0]);
    CharLowerA(&lower[0]);

    struct Query {
        std::string fileName;
        bool found;
    } queries[] = {
        {setup.name, true},
        {upper, true},
        {lower, true},
        {stem, false},                                    // no extension
        {stem + ".com", false},
        {setup.dir / setup.name, false},                  // full path
        {"." "\\" + setup.name, false},                   // any folder part
        {setup.name + " ", false},
        {setup.name.substr(1), false},                    // only the end of the name
    };
    for (const Query& q : queries) {
        SCOPED_TRACE(q.fileName);
        EXPECT_EQ(q.found ? static_cast<int>(setup.process.id()) : 0,
                  GetProcessId_Varnet(q.fileName.c_str()));
    }
}

TEST(ProcessSearch, NameWithoutExtensionMatchesOnlyAProgramWithout) {
    TempDir dir("Bare");
    std::string stem = UniqueName("Stem");
    ASSERT_TRUE(CopyFakeSetup(dir.path(), stem));
    SetFakeSetupOption(dir.path(), "FakeSetup", "ExitMs", "60000");
    OwnedProcess process;
    ASSERT_TRUE(process.Start(dir / stem, stem, dir.path()));
    ASSERT_TRUE(WaitFor([&] { return CountProcesses(stem) == 1; }));
    EXPECT_EQ(static_cast<int>(process.id()), GetProcessId_Varnet(stem.c_str()));
    EXPECT_EQ(0, GetProcessId_Varnet((stem + ".exe").c_str()));
    EXPECT_EQ(0, GetProcessId_Varnet((stem + ".").c_str()));
}

TEST(ProcessSearch, ProgramMerelyCalledNtvdmIsAnOrdinaryProcess) {
    // Only the real NTVDM hosts 16-bit tasks; under Wine a program of that
    // name is passed by every search that walks the whole list.
    TempDir dir("Vdm");
    ASSERT_TRUE(CopyFakeSetup(dir.path(), "NTVDM.EXE"));
    SetFakeSetupOption(dir.path(), "FakeSetup", "ExitMs", "60000");
    OwnedProcess vdm;
    ASSERT_TRUE(vdm.Start(dir / "NTVDM.EXE", "NTVDM.EXE", dir.path()));
    ASSERT_TRUE(WaitFor([&] { return CountProcesses("NTVDM.EXE") >= 1; }));
    EXPECT_EQ(0, GetProcessId_Varnet((UniqueName("Vdm") + ".exe").c_str()));
    EXPECT_NE(0, GetProcessId_Varnet("ntvdm.exe"));
}

TEST(ProcessSearch, EmptyOrMissingNameFindsNothing) {
    EXPECT_EQ(0, GetProcessId_Varnet(""));
    EXPECT_EQ(0, GetProcessId_Varnet(NULL));
    EXPECT_EQ(0, GetProcessId_Varnet((UniqueName("Absent") + ".exe").c_str()));
}

// ---- Starting --------------------------------------------------------------------

struct StartCase {
    const char* commandLine;   // {t} stands for a target folder
    const char* installFolder; // what the stand-in takes from it; "" = its working folder
};

TEST(StartProcessCommand, PassesCommandLineUnchangedAndStartsInTheFolder) {
    const StartCase cases[] = {
        {" /VERYSILENT", ""},
        {" /S /D={t}", "{t}"},
        {"Setup.exe /v\"INSTALLDIR=\\\"{t}\\\" /qn\"", "{t}"},
        {"Setup.exe -r  two  blanks, \"quotes\" and \\ back\\slashes", ""},
        {"Setup.exe extra /v\"INSTALLDIR=\\\"{t}\\\" /qn\"", "{t}"},
    };
    for (const StartCase& c : cases) {
        TempDir dir("Start");
        std::string target = dir / "Tarvo dir\\Tool";
        std::string line = Replace(c.commandLine, "{t}", target);
        SCOPED_TRACE(line);
        std::string name = UniqueName("Start") + ".exe";
        ASSERT_TRUE(CopyFakeSetup(dir.path(), name));
        SetFakeSetupOption(dir.path(), "FakeSetup", "Record", "record.txt");

        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        EXPECT_EQ(1, StartProcessCommand(name.c_str(), dir.path().c_str(), buffer.data()));
        EXPECT_EQ(line, std::string(buffer.data()));  // the caller's text is left alone

        std::vector<FakeSetupRun> runs;
        ASSERT_TRUE(WaitFor([&] {
            runs = ReadFakeSetupRecord(dir / "record.txt");
            return runs.size() == 1 && runs[0].exited;
        }));
        EXPECT_EQ(line, runs[0].commandLine);
        EXPECT_EQ(0, lstrcmpiA(dir.path().c_str(), runs[0].workingFolder.c_str()))
            << runs[0].workingFolder;
        EXPECT_EQ(0, lstrcmpiA((dir / name).c_str(), runs[0].program.c_str())) << runs[0].program;
        std::string install = *c.installFolder ? Replace(c.installFolder, "{t}", target)
                                               : runs[0].workingFolder;
        EXPECT_EQ(install, runs[0].installFolder);
    }
}

TEST(StartProcessCommand, WithoutCommandLineStartsTheProgram) {
    TempDir dir("Bare");
    std::string name = UniqueName("Bare") + ".exe";
    ASSERT_TRUE(CopyFakeSetup(dir.path(), name));
    SetFakeSetupOption(dir.path(), "FakeSetup", "Record", "record.txt");
    EXPECT_EQ(1, StartProcess(name.c_str(), dir.path().c_str()));
    std::vector<FakeSetupRun> runs;
    ASSERT_TRUE(WaitFor([&] {
        runs = ReadFakeSetupRecord(dir / "record.txt");
        return runs.size() == 1;
    }));
    EXPECT_EQ(0, lstrcmpiA(dir.path().c_str(), runs[0].workingFolder.c_str()));
    // With no command line at all Windows puts the program path there.
    EXPECT_NE(std::string::npos, runs[0].commandLine.find(name)) << runs[0].commandLine;
}

TEST(StartProcessCommand, NameAlreadyRunningStartsNothingWhereverTheCopyLives) {
    RunningSetup running("Busy");
    ASSERT_TRUE(WaitFor([&] { return CountProcesses(running.name) == 1; }));

    TempDir other("Busy");
    ASSERT_TRUE(CopyFakeSetup(other.path(), running.name));
    SetFakeSetupOption(other.path(), "FakeSetup", "Record", "record.txt");
    TempDir empty("Busy");  // no program at all: a start would fail
    std::string upper = running.name;
    CharUpperA(&upper[0]);
    char line[] = " /VERYSILENT";

    struct Attempt {
        std::string fileName;
        const char* folder;
    } attempts[] = {
        {running.name, running.dir.path().c_str()},
        {running.name, other.path().c_str()},
        {upper, other.path().c_str()},
        {running.name, empty.path().c_str()},
        {running.name, NULL},  // the running check comes first
    };
    for (const Attempt& a : attempts) {
        SCOPED_TRACE(a.fileName + " in " + (a.folder ? a.folder : "(null)"));
        EXPECT_EQ(1, StartProcessCommand(a.fileName.c_str(), a.folder, line));
        EXPECT_EQ(1, CountProcesses(running.name));
    }
    Sleep(300);
    EXPECT_FALSE(FileExists(other / "record.txt"));
    EXPECT_EQ(static_cast<int>(running.process.id()), GetProcessId_Varnet(running.name.c_str()));
}

TEST(StartProcessCommand, NullFolderOrMissingProgramGivesZero) {
    TempDir dir("Fail");
    std::string present = UniqueName("Fail") + ".exe";
    ASSERT_TRUE(CopyFakeSetup(dir.path(), present));
    std::string absent = UniqueName("Fail") + ".exe";
    std::string noFolder = dir / "no such folder";
    char line[] = " /VERYSILENT";

    EXPECT_EQ(0, StartProcessCommand(present.c_str(), NULL, line));
    EXPECT_EQ(0, StartProcess(present.c_str(), NULL));
    EXPECT_EQ(0, StartProcessCommand(absent.c_str(), dir.path().c_str(), line));
    EXPECT_EQ(0, StartProcessCommand(present.c_str(), noFolder.c_str(), line));
    EXPECT_EQ(0, StartProcess(absent.c_str(), dir.path().c_str()));
    EXPECT_EQ(0, StartProcessCommand(NULL, dir.path().c_str(), line));
    EXPECT_EQ(0, CountProcesses(present));
}

TEST(StartProcessCommand, KeepsNoHandleOfTheStartedProcess) {
    TempDir dir("Leak");
    std::string name = UniqueName("Leak") + ".exe";
    ASSERT_TRUE(CopyFakeSetup(dir.path(), name));
    SetFakeSetupOption(dir.path(), "FakeSetup", "Record", "record.txt");
    ASSERT_EQ(1, StartProcessCommand(name.c_str(), dir.path().c_str(), NULL));

    std::vector<FakeSetupRun> runs;
    ASSERT_TRUE(WaitFor([&] {
        runs = ReadFakeSetupRecord(dir / "record.txt");
        return runs.size() == 1 && runs[0].exited;
    }));
    ASSERT_TRUE(WaitFor([&] { return CountProcesses(name) == 0; }));
    // A process object outlives its process only while someone holds a
    // handle to it (under Wine also for a moment after the last one went);
    // as long as it lives it can be opened by its id.
    DWORD id = runs[0].processId;
    EXPECT_TRUE(WaitFor([&] {
        HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
        DWORD code = 0;
        if (h) GetExitCodeProcess(h, &code);
        if (h) CloseHandle(h);
        return h == NULL || code == STILL_ACTIVE;  // gone, or the id reused
    }, 5000)) << "a handle of the ended process is still held";
}

// ---- Stopping ----------------------------------------------------------------------

TEST(KillProcess, EndsEveryInstanceOfTheName) {
    RunningSetup first("Kill");
    OwnedProcess second, third;
    TempDir elsewhere("Kill");
    ASSERT_TRUE(CopyFakeSetup(elsewhere.path(), first.name));
    SetFakeSetupOption(elsewhere.path(), "FakeSetup", "ExitMs", "60000");
    ASSERT_TRUE(second.Start(first.dir / first.name, first.name, first.dir.path()));
    ASSERT_TRUE(third.Start(elsewhere / first.name, first.name, elsewhere.path()));
    RunningSetup bystander("Kill");
    ASSERT_TRUE(WaitFor([&] { return CountProcesses(first.name) == 3; }));

    EXPECT_EQ(0, KillProcess(first.name.c_str()));
    EXPECT_EQ(0, GetProcessId_Varnet(first.name.c_str()));
    for (const OwnedProcess* p : {&first.process, &second, &third}) {
        ASSERT_TRUE(p->WaitExit(5000));
        DWORD code = 1;
        GetExitCodeProcess(p->handle(), &code);
        EXPECT_EQ(0u, code);
    }
    EXPECT_FALSE(bystander.process.WaitExit(0));  // another name is left alone
}

TEST(KillProcess, ReturnsAtOnceWhenNothingMatches) {
    DWORD start = GetTickCount();
    EXPECT_EQ(0, KillProcess((UniqueName("None") + ".exe").c_str()));
    EXPECT_EQ(0, KillProcess(""));
    EXPECT_EQ(0, KillProcess(NULL));
    EXPECT_LT(GetTickCount() - start, 5000u);
}

// ---- The stand-in setup as the installer meets it ----------------------------------

TEST(StandInSetup, ChildOutlivesItsParentAndLeavesTheMainFile) {
    // A setup that hands over to a child and exits at once: only the child's
    // window still shows that the installation runs.
    TempDir dir("Hand");
    std::string parent = UniqueName("Hand") + ".exe", child = UniqueName("HandChild") + ".exe";
    std::string caption = UniqueName("Hand") + " Setup";
    std::string target = dir / "Target\\Tool";
    ASSERT_TRUE(CopyFakeSetup(dir.path(), parent));
    ASSERT_TRUE(CopyFakeSetup(dir.path(), child));
    SetFakeSetupOption(dir.path(), "FakeSetup", "Record", "record.txt");
    SetFakeSetupOption(dir.path(), parent, "Child", child);
    SetFakeSetupOption(dir.path(), child, "Window", caption);
    // The window stays until the test closes it: a window with a lifetime of
    // its own can come and go unseen while a loaded machine starves the poll.
    SetFakeSetupOption(dir.path(), child, "WindowMs", "120000");
    SetFakeSetupOption(dir.path(), child, "MainFile", "TOOL.EXE");

    std::string line = " /S /D=" + target;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    ASSERT_EQ(1, StartProcessCommand(parent.c_str(), dir.path().c_str(), buffer.data()));

    HWND window = NULL;
    ASSERT_TRUE(WaitFor([&] { return (window = GetTaskHandle(caption.c_str())) != NULL; },
                        30000));  // two programs start one after the other
    EXPECT_TRUE(WaitFor([&] { return GetProcessId_Varnet(parent.c_str()) == 0; }));
    EXPECT_NE(0, GetProcessId_Varnet(child.c_str()));
    EXPECT_FALSE(FileExists(target + "\\TOOL.EXE")) << "written while the window is up";

    PostMessageA(window, WM_CLOSE, 0, 0);

    ASSERT_TRUE(WaitFor([&] {
        return !GetTaskHandle(caption.c_str()) && GetProcessId_Varnet(child.c_str()) == 0;
    }));
    EXPECT_TRUE(FileExists(target + "\\TOOL.EXE"));
    std::vector<FakeSetupRun> runs = ReadFakeSetupRecord(dir / "record.txt");
    ASSERT_EQ(2u, runs.size());
    for (const FakeSetupRun& run : runs) {
        EXPECT_EQ(line, run.commandLine);
        EXPECT_EQ(target, run.installFolder);
        EXPECT_TRUE(run.exited);
    }
    EXPECT_EQ(0, lstrcmpiA((dir / child).c_str(), runs[1].program.c_str())) << runs[1].program;
}

// ---- Both process enumerators --------------------------------------------------------

// Runs ProcessProbe (a program using the library) under the Windows version
// Wine reports for its copied name; the result file's two numbers.
struct ProbeResult {
    int platform = -1;
    long result = -1;
};

class ProbeUnder {
public:
    explicit ProbeUnder(const char* version)
        : name_(UniqueName("Probe") + ".exe"), copy_(BinDir() + "\\" + name_) {
        CopyFileA((BinDir() + "\\ProcessProbe.exe").c_str(), copy_.c_str(), FALSE);
        SetWineVersionFor(name_, version);
    }
    ~ProbeUnder() {
        SetWineVersionFor(name_, NULL);
        DeleteFileA(copy_.c_str());
    }
    ProbeResult Run(const std::string& args) {
        std::string out = out_.path() + "\\result.txt";
        DeleteFileA(out.c_str());
        RunResult run = RunProgram(copy_, name_ + " \"" + out + "\" " + args, out_.path());
        ProbeResult r;
        EXPECT_TRUE(run.finished && run.exitCode == 0) << args;
        std::string text = ReadFile(out);
        sscanf(text.c_str(), "Platform=%d Result=%ld", &r.platform, &r.result);
        return r;
    }

    const std::string& name() const { return name_; }

private:
    std::string name_, copy_;
    TempDir out_{"Probe"};
};

TEST(ProcessEnumerators, EachWindowsFamilyFindsStartsAndStops) {
    struct Family {
        const char* version;
        int platform;
    } families[] = {{"win95", VARNET_PLATFORM_WIN9X},
                    {"win98", VARNET_PLATFORM_WIN9X},
                    {"nt40", VARNET_PLATFORM_NT}};
    for (const Family& f : families) {
        SCOPED_TRACE(f.version);
        ProbeUnder probe(f.version);
        RunningSetup setup("Fam");
        ASSERT_TRUE(WaitFor([&] { return CountProcesses(setup.name) == 1; }));
        std::string upper = setup.name;
        CharUpperA(&upper[0]);
        std::string stem = setup.name.substr(0, setup.name.size() - 4);

        ProbeResult found = probe.Run("pid " + upper);
        EXPECT_EQ(f.platform, found.platform);
        EXPECT_EQ(static_cast<long>(setup.process.id()), found.result);
        EXPECT_EQ(0, probe.Run("pid " + stem).result);
        EXPECT_EQ(0, probe.Run("pid \"" + (setup.dir / setup.name) + "\"").result);

        TempDir other("Fam");
        ASSERT_TRUE(CopyFakeSetup(other.path(), setup.name));
        EXPECT_EQ(1, probe.Run("start " + setup.name + " \"" + other.path() + "\"").result);
        EXPECT_EQ(1, CountProcesses(setup.name));

        EXPECT_EQ(0, probe.Run("kill " + setup.name).result);
        EXPECT_TRUE(setup.process.WaitExit(5000));
    }
}

// The program searches for its own file name (both enumerators): the plain
// search finds the program itself, the other search only a twin of it.
TEST(ProcessSearch, TheOtherSearchPassesOverTheCallingProcess) {
    for (const char* version : {"win98", "nt40"}) {
        SCOPED_TRACE(version);
        ProbeUnder probe(version);
        EXPECT_NE(0, probe.Run("pid " + probe.name()).result);
        EXPECT_EQ(0, probe.Run("other " + probe.name()).result);

        TempDir dir("Twin");
        ASSERT_TRUE(CopyFakeSetup(dir.path(), probe.name()));
        SetFakeSetupOption(dir.path(), "FakeSetup", "ExitMs", "60000");
        OwnedProcess twin;
        ASSERT_TRUE(twin.Start(dir / probe.name(), probe.name(), dir.path()));
        ASSERT_TRUE(WaitFor([&] { return CountProcesses(probe.name()) == 1; }));
        EXPECT_EQ(static_cast<long>(twin.id()), probe.Run("other " + probe.name()).result);
    }
}

TEST(KillProcess, PassesOverAProcessItCannotOpenAndStillEndsTheOthers) {
    // Under Windows 98 the process list names a process that refuses access
    // (another user's program), so the search keeps finding it: KillProcess
    // must give it up, end the one it can, and return.
    ProbeUnder probe("win98");
    TempDir dir("Guard");
    std::string name = UniqueName("Guard") + ".exe";
    ASSERT_TRUE(CopyFakeSetup(dir.path(), name));
    SetFakeSetupOption(dir.path(), "FakeSetup", "ExitMs", "60000");
    OwnedProcess guarded, open;
    ASSERT_TRUE(guarded.Start(dir / name, name, dir.path(), true));  // listed first
    ASSERT_TRUE(open.Start(dir / name, name, dir.path()));
    ASSERT_TRUE(WaitFor([&] { return CountProcesses(name) == 2; }));
    ASSERT_EQ(NULL, OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, guarded.id()));

    // The NT walk cannot read its path, so there it never matches the name.
    EXPECT_EQ(static_cast<int>(open.id()), GetProcessId_Varnet(name.c_str()));

    EXPECT_EQ(static_cast<long>(guarded.id()), probe.Run("kill " + name).result);
    EXPECT_TRUE(open.WaitExit(5000));
    EXPECT_FALSE(guarded.WaitExit(0));
    EXPECT_EQ(0, GetProcessId_Varnet(name.c_str()));
}

TEST(ProcessEnumerators, WithoutOneNothingCountsAsRunning) {
    // Win32s has no way to list processes: a running program is not found,
    // so a start is not held back and a kill ends nothing.
    ProbeUnder probe("win31");
    RunningSetup setup("W31");
    ASSERT_TRUE(WaitFor([&] { return CountProcesses(setup.name) == 1; }));
    ProbeResult found = probe.Run("pid " + setup.name);
    ASSERT_EQ(VARNET_PLATFORM_WIN32S, found.platform);
    EXPECT_EQ(0, found.result);

    TempDir other("W31");
    ASSERT_TRUE(CopyFakeSetup(other.path(), setup.name));
    SetFakeSetupOption(other.path(), "FakeSetup", "Record", "record.txt");
    EXPECT_EQ(1, probe.Run("start " + setup.name + " \"" + other.path() + "\"").result);
    EXPECT_TRUE(WaitFor([&] { return FileExists(other / "record.txt"); }));
    probe.Run("kill " + setup.name);
    EXPECT_FALSE(setup.process.WaitExit(500));
    KillProcess(setup.name.c_str());
    EXPECT_TRUE(setup.process.WaitExit(5000));
}

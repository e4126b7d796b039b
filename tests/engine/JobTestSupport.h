// Driving an install job without a window: a host that records what the job
// asks of its window and delivers timer ticks when the test says so, and a
// scene of its own (medium, target, temporary folder) around one job.
#pragma once
#include "ToolInstallJob.h"

#include "ProcessSupport.h"
#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace jobtest {

// How long a test waits for a stand-in setup to show up: generous, as Wine
// starts programs slowly on a loaded machine.
const unsigned kSetupStartMs = 30000;

// A job whose free space and Windows folders a test may choose, and which
// notes every file it places (source folder, name, destination folder).
class TestJob : public CToolInstallJob {
public:
    explicit TestJob(ToolRecord& t) : CToolInstallJob(t) {}

    struct Placed {
        std::string src, name, dest;
    };
    std::vector<Placed> placed;
    bool placeFiles = true;        // false: note only, place nothing
    std::string throwOn;           // placing a file of this name (any case) throws, as a failed allocation would
    bool fakeSpace = false;        // true: AvailableBytes answers `space`
    unsigned long long space = 0;
    std::vector<std::string> spaceRoots;  // the roots asked for
    bool fakeFolders = false;      // true: WindowsFolder answers `windowsFolder`
    std::string windowsFolder[2];  // the Windows and the system folder

    int InstallFile(const std::string& name, const std::string& dest,
                    const std::string& src) override;

protected:
    unsigned long long AvailableBytes(const std::string& root) const override;
    std::string WindowsFolder(int kind) const override;
};

struct Message {
    std::string text, caption;
    unsigned icon;
};

// Stands in for the progress window. A repaint ends like the window's paint,
// with the job's OnPainted, so the steps nest as they do on screen.
class FakeHost : public JobHost {
public:
    explicit FakeHost(CToolInstallJob& job) : job_(job) { job.SetHost(*this); }

    void RepaintNow() override;
    void Close(int result) override;
    void StartTimer(unsigned periodMs) override;
    void StopTimer() override;
    void ShowMessage(const char* text, const char* caption, unsigned icon) override;
    // Records the question ("question" in calls) and gives `answerYes`.
    bool AskYesNo(const char* text, const char* caption) override;

    // The window's first paint.
    void Paint() { job_.OnPainted(); }
    // One tick of timer 1; false (and nothing happens) while it is stopped.
    bool Tick();

    // False: a repaint is only noted, so a test can run one step alone.
    bool drive = true;
    std::vector<std::string> calls;  // "repaint <phase>", "timer <ms>", "stop", "close <code>", "message"
    std::vector<int> closes;
    std::vector<Message> messages;
    std::vector<Message> questions;
    bool answerYes = false;
    // Runs while a question is open, as the window's timer goes on then.
    std::function<void()> whileAsking;
    bool timerRunning = false;
    unsigned timerPeriod = 0;
    int ticks = 0;

private:
    CToolInstallJob& job_;
};

// A scratch medium with one tool folder, a target folder and a temporary
// folder of the test's own (TMP and TEMP point there while the scene lives,
// so the staging list does not meet another test's).
class Scene {
public:
    // `dir` is the tool's Dir keyword. The tool has the main file
    // "Main.exe", Delay 0, CopyFiles 1, no Space; its setup program and
    // Title are unique to the scene unless `setup` is given.
    explicit Scene(const std::string& dir, const std::string& setup = "");
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    kvttest::TempDir root;
    std::string medium;   // medium root, with its trailing backslash
    std::string source;   // the tool's folder on the medium
    std::string target;   // the tool's target folder (not created)
    std::string temp;     // the temporary folder
    std::string record;   // where the stand-in setups write their runs
    ToolRecord tool;
    TestJob job;
    FakeHost host;
    kvttest::OwnedProcess other;  // a program the test keeps running beside the job

    // The stand-in setup as `name` (default: the tool's Setup) in `folder`
    // (default: the tool's folder on the medium), recording its runs.
    void AddSetup(const std::string& folder = "", const std::string& name = "");
    // Starts, as `other`, a program of a name of its own (not the tool's
    // Setup) that shows a top-level window captioned `caption` for a minute
    // and records no run. False when it could not be started.
    bool StartForeignWindow(const std::string& caption);
    // A FakeSetup.ini key for every copy in `folder` (default: the tool's folder).
    void SetupOption(const std::string& key, const std::string& value,
                     const std::string& folder = "");
    std::string StagingList() const { return temp + "\\~KVTFile.tmp"; }
    std::vector<kvttest::FakeSetupRun> Runs() const { return kvttest::ReadFakeSetupRecord(record); }

    // Prepare, the first paint and the start tick: the job runs up to the
    // wait for its setup (or its end). False when preparation ended it.
    bool Start();
    // Ticks until the job has ended. Before the first tick that looks for
    // the setup, waits until `ready` holds (the setup has really started);
    // between ticks that find it running, waits a little. False on timeout.
    bool FinishWaiting(const std::function<bool()>& ready, unsigned timeoutMs = 30000);
    // FinishWaiting for the first recorded run of the setup.
    bool FinishAfterSetupRan(unsigned timeoutMs = 30000);

private:
    std::vector<std::string> setupNames_;
    std::string savedTmp_, savedTemp_;
};

// Writes a file, creating its folders first.
void Put(const std::string& path, const std::string& bytes);

// Lines of a text file (CR LF line ends); empty when it is missing.
std::vector<std::string> ReadLines(const std::string& path);

}  // namespace jobtest

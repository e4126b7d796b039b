#include "JobTestSupport.h"

#include <new>

#include "Varnet01.h"

#include <gtest/gtest.h>

namespace jobtest {

int TestJob::InstallFile(const std::string& name, const std::string& dest,
                         const std::string& src) {
    placed.push_back({src, name, dest});
    if (!throwOn.empty() && EqualsNoCase(name, throwOn)) throw std::bad_alloc();
    return placeFiles ? CToolInstallJob::InstallFile(name, dest, src) : 1;
}

unsigned long long TestJob::AvailableBytes(const std::string& root) const {
    const_cast<TestJob*>(this)->spaceRoots.push_back(root);
    return fakeSpace ? space : CToolInstallJob::AvailableBytes(root);
}

std::string TestJob::WindowsFolder(int kind) const {
    if (fakeFolders && kind >= 0 && kind < 2) return windowsFolder[kind];
    return CToolInstallJob::WindowsFolder(kind);
}

void FakeHost::RepaintNow() {
    calls.push_back("repaint " + std::to_string(job_.phase));
    if (drive) job_.OnPainted();
}

void FakeHost::Close(int result) {
    calls.push_back("close " + std::to_string(result));
    closes.push_back(result);
}

void FakeHost::StartTimer(unsigned periodMs) {
    calls.push_back("timer " + std::to_string(periodMs));
    timerRunning = true;
    timerPeriod = periodMs;
}

void FakeHost::StopTimer() {
    calls.push_back("stop");
    timerRunning = false;
}

void FakeHost::ShowMessage(const char* text, const char* caption, unsigned icon) {
    calls.push_back("message");
    messages.push_back({text, caption, icon});
}

bool FakeHost::AskYesNo(const char* text, const char* caption) {
    calls.push_back("question");
    questions.push_back({text, caption, 0});
    if (whileAsking) whileAsking();
    return answerYes;
}

bool FakeHost::Tick() {
    if (!timerRunning) return false;
    ++ticks;
    job_.OnSupervisionTick(kJobTimer);
    return true;
}

namespace {

std::string Env(const char* name) {
    char value[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? value : "";
}

}  // namespace

Scene::Scene(const std::string& dir, const std::string& setup)
    : root("job"), job(tool), host(job) {
    medium = root / "medium\\";
    source = medium + dir;
    target = root / "target\\" + dir;
    temp = root / "tmp";
    record = root / "record.txt";
    kvttest::MakeDirs(source);
    kvttest::MakeDirs(temp);
    savedTmp_ = Env("TMP");
    savedTemp_ = Env("TEMP");
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());

    tool.name = "Tool " + dir;
    tool.dir = dir;
    tool.file = "Main.exe";  // a standard tool with a main file runs its setup
    tool.setup = setup.empty() ? kvttest::UniqueName("S") + ".exe" : setup;
    tool.title = kvttest::UniqueName("T") + " Setup";
    tool.languageGerman = "1";
    tool.languageEnglish = "0";
    tool.space = 0;
    tool.delay = 0;
    tool.copyFiles = 1;

    job.toolSourceFolder = source;
    job.targetFolder = target;
    job.projectName = kvttest::UniqueName("P");
    job.userName = "Test User";
    job.company = "Test Company";
}

Scene::~Scene() {
    SetEnvironmentVariableA("TMP", savedTmp_.empty() ? NULL : savedTmp_.c_str());
    SetEnvironmentVariableA("TEMP", savedTemp_.empty() ? NULL : savedTemp_.c_str());
    // A setup still running would keep its folder from being removed.
    for (const std::string& name : setupNames_) KillProcess(name.c_str());
}

void Scene::AddSetup(const std::string& folder, const std::string& name) {
    const std::string where = folder.empty() ? source : folder;
    kvttest::MakeDirs(where);
    setupNames_.push_back(name.empty() ? tool.setup : name);
    EXPECT_TRUE(kvttest::CopyFakeSetup(where, setupNames_.back()));
    SetupOption("Record", record, where);
}

void Scene::SetupOption(const std::string& key, const std::string& value,
                        const std::string& folder) {
    kvttest::SetFakeSetupOption(folder.empty() ? source : folder, "FakeSetup", key, value);
}

bool Scene::StartForeignWindow(const std::string& caption) {
    const std::string folder = root / "other";
    kvttest::MakeDirs(folder);
    const std::string name = kvttest::UniqueName("Other") + ".exe";
    AddSetup(folder, name);
    SetupOption("Window", caption, folder);
    SetupOption("WindowMs", "60000", folder);
    SetupOption("ExitMs", "60000", folder);
    SetupOption("Record", "", folder);
    return other.Start(folder + "\\" + name, name, folder);
}

bool Scene::Start() {
    if (!job.Prepare()) return false;
    host.Paint();
    host.Tick();
    return true;
}

bool Scene::FinishWaiting(const std::function<bool()>& ready, unsigned timeoutMs) {
    const DWORD start = GetTickCount();
    bool waitedForReady = false;
    while (job.phase != PhaseEnded) {
        if (GetTickCount() - start > timeoutMs) return false;
        if (job.phase == PhaseWaitSetup && job.delayCountdown <= 0 && !waitedForReady) {
            waitedForReady = true;
            if (!kvttest::WaitFor(ready, timeoutMs)) return false;
        }
        if (!host.Tick()) return false;  // no timer: the job cannot move on
        if (job.phase == PhaseWaitSetup && job.delayCountdown <= 0) Sleep(20);
    }
    return true;
}

bool Scene::FinishAfterSetupRan(unsigned timeoutMs) {
    return FinishWaiting([this] { return !Runs().empty(); }, timeoutMs);
}

void Put(const std::string& path, const std::string& bytes) {
    kvttest::MakeDirs(path.substr(0, path.find_last_of('\\')));
    kvttest::WriteFile(path, bytes);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string text = kvttest::ReadFile(path);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

}  // namespace jobtest

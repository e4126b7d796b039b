// The install run driven through a fake of its surroundings: no window is
// made, each tool's progress window answers as the case says.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "InstallRun.h"
#include "InstallTypes.h"
#include "ProgressDlg.h"
#include "Settings.h"
#include "TestSupport.h"

namespace {

// The window answer of a progress window that could not be made: the
// dialog manager's -1 with a job that never ran.
const int kWindowNotMade = 1000;

// What a job looked like when its window was run.
struct JobSeen {
    std::string tool, source, target, project, user, company;
    Language language;
    WindowsFamily family;
};

class FakeSurroundings : public RunSurroundings {
public:
    // Tool name -> the window's answer; a tool not listed succeeds.
    std::map<std::string, int> answers;

    std::vector<std::string> events;
    std::vector<JobSeen> jobs;

    void ShowStatus(const std::string& text) override { events.push_back("status " + text); }
    void ShowError(const std::string& text, const std::string& caption) override {
        events.push_back("error [" + caption + "] " + text);
    }
    void OfferBackup(Language, const std::string& targetFolder, const std::string& dir) override {
        events.push_back("backup " + targetFolder + " " + dir);
    }
    INT_PTR RunProgressWindow(CSetupProgressDlg& window) override {
        CToolInstallJob& job = window.job();
        events.push_back("window " + job.tool.name);
        jobs.push_back({job.tool.name, job.toolSourceFolder, job.targetFolder, job.projectName,
                        job.userName, job.company, job.language, job.family});
        const auto found = answers.find(job.tool.name);
        const int answer = found == answers.end() ? ResultSuccess : found->second;
        if (answer == kWindowNotMade) return -1;
        // Without a host the job's end only changes its phase, as the
        // window's end would.
        job.EndJob(answer);
        return answer;
    }
    void ToolProcessed(const ToolRecord& tool) override { events.push_back("processed " + tool.name); }

    // The events that are not status lines.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> boxes;
        for (const std::string& e : events)
            if (e.compare(0, 6, "error ") == 0) boxes.push_back(e);
        return boxes;
    }
    std::string LastStatus() const {
        for (auto e = events.rbegin(); e != events.rend(); ++e)
            if (e->compare(0, 7, "status ") == 0) return e->substr(7);
        return "";
    }
};

// A project key of its own under HKLM\SOFTWARE\Tarvo Kinetics.
class Project {
public:
    Project() : key_("run", HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarvo Kinetics") {}
    std::string name() const { return key_.path().substr(key_.path().rfind('\\') + 1); }

private:
    kvttest::ScratchKey key_;
};

ToolRecord MakeTool(const std::string& name, int installPath = 1, int restart = 0) {
    ToolRecord t;
    t.name = name;
    t.dir = name + "Dir";
    t.installPath = installPath;
    t.restartWindows = restart;
    return t;
}

RunSettings Settings(const std::string& project, Language language = LanguageEnglish) {
    RunSettings s;
    s.project = project;
    s.userName = "Ann Example";
    s.company = "Example Works";
    s.drive = "D:\\";
    s.language = language;
    return s;
}

}  // namespace

TEST(InstallRunAlone, RefusedInputStopsBeforeAnythingIsStoredOrInstalled) {
    // Beyond what a registry key name and the target folders can hold.
    const std::string longProject(1000, 'P'), justOver(65, 'P');
    struct Case {
        const char* what;
        const char* project;  // null: the scratch project
        const char* user;
        const char* company;
        Language language;
        const char* box;  // the error box, or null when the input passes
    } cases[] = {
        {"no project", "", "Ann", "Works", LanguageEnglish, "error [Error] No project specified"},
        {"no name", nullptr, "", "Works", LanguageEnglish, "error [Error] Please input your name"},
        {"no company", nullptr, "Ann", "", LanguageEnglish, "error [Error] Please input your company"},
        {"no name, German", nullptr, "", "", LanguageGerman,
         "error [Fehler] Bitte geben Sie Ihren Namen ein"},
        {"no project first", "", "", "", LanguageGerman, "error [Fehler] Kein Projekt spezifiziert!"},
        {"blanks are content", nullptr, " ", " ", LanguageEnglish, nullptr},
        {"a project of 1,000 characters", longProject.c_str(), "Ann", "Works", LanguageEnglish,
         "error [Error] Project name too long (at most 64 characters)"},
        {"a project of 65 characters, German", justOver.c_str(), "Ann", "Works",
         LanguageGerman, "error [Fehler] Projektname zu lang (h\xF6" "chstens 64 Zeichen)"},
        {"a long project before an empty name", longProject.c_str(), "", "", LanguageEnglish,
         "error [Error] Project name too long (at most 64 characters)"},
        {"a colon in the project", "A:B", "Ann", "Works", LanguageEnglish,
         "error [Error] A project name must not contain \\ / : * ? \" < > |"},
        {"a backslash in the project, German", "A\\B", "Ann", "Works", LanguageGerman,
         "error [Fehler] Ein Projektname darf \\ / : * ? \" < > | nicht enthalten"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Project project;
        FakeSurroundings fake;
        InstallRun run(fake, FamilyNT);
        RunSettings settings = Settings(c.project ? c.project : project.name(), c.language);
        settings.userName = c.user;
        settings.company = c.company;
        ToolRecord tool = MakeTool("Alpha");
        const std::string finalText = run.Install(settings, {&tool});

        const std::string key = SettingsKey(project.name());
        if (c.box) {
            const std::string text = std::string(c.box).substr(std::string(c.box).find("] ") + 2);
            EXPECT_EQ((std::vector<std::string>{"status " + text, c.box}), fake.events);
            EXPECT_EQ("", finalText);
            EXPECT_EQ("", ReadSettingString(key, "Company"));
        } else {
            EXPECT_TRUE(fake.Boxes().empty());
            ASSERT_EQ(1u, fake.jobs.size());
            EXPECT_EQ(" ", fake.jobs[0].user);
            EXPECT_EQ("Installation completed successfully", finalText);
            EXPECT_EQ(" ", ReadSettingString(key, "Company"));
        }
    }
}

TEST(InstallRunAlone, SettingsAreStoredForTheProject) {
    Project project;
    FakeSurroundings fake;
    InstallRun run(fake, FamilyNT);
    RunSettings settings = Settings(project.name(), LanguageGerman);
    settings.drive = "x:\\typed";
    run.Install(settings, {});
    const std::string key = SettingsKey(project.name());
    EXPECT_EQ("Ann Example", ReadSettingString(key, "Name"));
    EXPECT_EQ("Example Works", ReadSettingString(key, "Company"));
    EXPECT_EQ("x:\\typed", ReadSettingString(key, "Drive"));
    int language = -1;
    EXPECT_TRUE(ReadSettingNumber(key, "Language", &language));
    EXPECT_EQ(1, language);
}

TEST(InstallRunAlone, EachToolGetsItsJobBackupOfferAndWindowInOrder) {
    Project project;
    FakeSurroundings fake;
    InstallRun run(fake, FamilyWin98);
    run.SetMediumRoot("E:\\Medium\\");
    ToolRecord alpha = MakeTool("Alpha", 1), beta = MakeTool("Beta", 0);
    run.Install(Settings(project.name(), LanguageGerman), {&alpha, &beta});

    const std::string p = project.name();
    const std::vector<std::string> expected = {
        "status Setup Alpha starten",
        "backup D:\\Tarvo\\" + p + "\\AlphaDir AlphaDir",
        "window Alpha",
        "processed Alpha",
        "status Setup Beta starten",
        "backup D:\\Tarvo\\BetaDir BetaDir",
        "window Beta",
        "processed Beta",
    };
    EXPECT_EQ(expected, fake.events);
    ASSERT_EQ(2u, fake.jobs.size());
    const JobSeen& a = fake.jobs[0];
    EXPECT_EQ("E:\\Medium\\AlphaDir", a.source);
    EXPECT_EQ("D:\\Tarvo\\" + p + "\\AlphaDir", a.target);
    EXPECT_EQ(p, a.project);
    EXPECT_EQ("Ann Example", a.user);
    EXPECT_EQ("Example Works", a.company);
    EXPECT_EQ(LanguageGerman, a.language);
    EXPECT_EQ(FamilyWin98, a.family);
    EXPECT_EQ("D:\\Tarvo\\BetaDir", fake.jobs[1].target);
}

// A Dir that climbs out of the "Tarvo" folder gets no backup offer for
// the folder it names; its job (which refuses it) still runs and reports.
TEST(InstallRunAlone, NoBackupOfAFolderOutsideTarvo) {
    Project project;
    FakeSurroundings fake;
    InstallRun run(fake, FamilyNT);
    ToolRecord escape = MakeTool("Escape");
    escape.dir = "..\\..\\JEscape";
    run.Install(Settings(project.name()), {&escape});
    for (const std::string& e : fake.events) EXPECT_NE(0, e.compare(0, 7, "backup ")) << e;
    EXPECT_EQ(1u, fake.jobs.size());
}

TEST(InstallRunAlone, TargetFolderRule) {
    struct Case {
        const char* drive;
        const char* project;
        int installPath;
        const char* expected;
    } cases[] = {
        {"D:\\", "KVT", 0, "D:\\Tarvo\\Alpha"},
        {"D:\\", "KVT", 1, "D:\\Tarvo\\KVT\\Alpha"},
        {"C:\\", " ", 1, "C:\\Tarvo\\ \\Alpha"},
        {"x:\\typed", "P", 1, "x:\\typedTarvo\\P\\Alpha"},
    };
    for (const Case& c : cases) {
        ToolRecord tool;
        tool.dir = "Alpha";
        tool.installPath = c.installPath;
        EXPECT_EQ(c.expected, InstallRun::TargetFolder(c.drive, c.project, tool)) << c.expected;
    }
}

// Every tool's answer, the tally of a run, its final text and the restart
// flag.
TEST(InstallRunAlone, ResultsTallyFinalTextAndRestart) {
    struct Tool {
        const char* name;
        int answer;    // the window's answer
        int restart;   // RestartWindows
    };
    struct Case {
        const char* what;
        Language language;
        std::vector<Tool> tools;
        std::vector<std::string> boxes;
        const char* finalText;   // "" when there is none
        const char* lastStatus;
        int restartNeeded;
    } cases[] = {
        {"all succeed", LanguageEnglish, {{"A", ResultSuccess, 0}, {"B", ResultSuccess, 0}}, {},
         "Installation completed successfully", "Installation completed successfully", 0},
        {"the first fails with 7, the second follows", LanguageEnglish,
         {{"A", ResultNoSpace, 0}, {"B", ResultSuccess, 0}},
         {"error [Error] A: Not enough space on destination drive"},
         "Installation finished, problems occured", "Installation finished, problems occured", 0},
        {"German", LanguageGerman, {{"A", ResultSuccess, 0}, {"B", ResultSetupIncomplete, 0}},
         {"error [Fehler] B: Setup nicht vollst\xE4ndig"}, "Installation mit Problemen beendet",
         "Installation mit Problemen beendet", 0},
        {"all fail: the last error stays", LanguageEnglish,
         {{"A", ResultSetupActive, 0}, {"B", ResultSetupNotFound, 0}},
         {"error [Error] A: Please terminate active Setup-process",
          "error [Error] B: Executable Setup program not found"},
         "", "B: Executable Setup program not found", 0},
        {"12 reads as 9", LanguageEnglish, {{"A", 12, 0}}, {"error [Error] A: Unknown problem in Setup"},
         "", "A: Unknown problem in Setup", 0},
        {"a window that was never made", LanguageEnglish, {{"A", kWindowNotMade, 1}},
         {"error [Error] A: Unknown problem in Setup"}, "", "A: Unknown problem in Setup", 0},
        {"a restart tool installed", LanguageEnglish, {{"A", ResultSuccess, 0}, {"R", ResultSuccess, 1}},
         {}, "Installation completed successfully", "Installation completed successfully", 1},
        {"a restart tool that failed", LanguageEnglish, {{"R", ResultCannotCreateTarget, 1}},
         {"error [Error] R: Cannot create Destination-Directory"}, "",
         "R: Cannot create Destination-Directory", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Project project;
        FakeSurroundings fake;
        InstallRun run(fake, FamilyNT);
        std::vector<std::unique_ptr<ToolRecord>> records;
        std::vector<ToolRecord*> selected;
        for (const Tool& t : c.tools) {
            records.emplace_back(new ToolRecord(MakeTool(t.name, 1, t.restart)));
            selected.push_back(records.back().get());
            fake.answers[t.name] = t.answer;
        }
        const std::string finalText = run.Install(Settings(project.name(), c.language), selected);
        EXPECT_EQ(c.boxes, fake.Boxes());
        EXPECT_EQ(c.finalText, finalText);
        // The final text is shown by whoever drives the run.
        EXPECT_EQ(c.lastStatus, finalText.empty() ? fake.LastStatus() : finalText);
        EXPECT_EQ(c.restartNeeded, run.restartNeeded);
        // Every tool went through its window, whatever became of the others.
        EXPECT_EQ(c.tools.size(), fake.jobs.size());
    }
}

TEST(InstallRunAlone, TheRestartFlagOutlivesALaterRun) {
    Project project;
    FakeSurroundings fake;
    InstallRun run(fake, FamilyNT);
    ToolRecord restart = MakeTool("R", 1, 1), plain = MakeTool("P");
    fake.answers["P"] = ResultNoSpace;
    run.Install(Settings(project.name()), {&restart});
    EXPECT_EQ(1, run.restartNeeded);
    run.Install(Settings(project.name()), {&plain});
    EXPECT_EQ(1, run.restartNeeded);
}

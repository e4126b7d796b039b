// Whole install runs through KVTInstall's windows: the stand-in setup as
// every tool's setup program, a project of the test's own (so the target
// folders and the settings key belong to this test alone), and the test
// clicking and answering as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "AppDriver.h"
#include "AppRun.h"
#include "ProcessSupport.h"
#include "TestSupport.h"
#include "resource.h"

using namespace apptest::ids;
using apptest::FindMessageBox;
using apptest::MessageBoxText;
using apptest::PressCommand;
using apptest::Text;
using kvttest::TempDir;

namespace {

const DWORD kPatience = 30000;
const char kSettingsRoot[] = "SOFTWARE\\Tarvo Kinetics\\";

// One tool of the scene's medium. Its setup leaves the main file, Main.exe,
// in the folder it is told (a tool without a main file would only copy
// project files).
struct Tool {
    // A setup's file name is the test's own: the job waits while any process
    // of that name runs, a parallel test's too.
    Tool(std::string n, std::string d, std::string s = "", bool present = true, std::string more = "")
        : name(n), dir(d), setup(s.empty() ? kvttest::UniqueName("Setup") + ".exe" : s),
          setupPresent(present), extra(more) {}
    std::string name;
    std::string dir;
    std::string setup;      // the stand-in is copied under this name
    bool setupPresent;
    std::string extra;      // further lines of its section
    std::string fakeSetup;  // further FakeSetup.ini lines ([FakeSetup])
};

// A medium of tools, the program running on it, and the clean-up of what
// the run leaves in C:\Tarvo and the registry.
class Scene {
public:
    Scene(const std::vector<Tool>& tools, const std::string& project,
          const std::string& config = "")
        : medium_("run"), project_(project), record_(medium_ / "record.txt") {
        std::string ini = "[Config]\r\nSelectall=1\r\nProject=" + project + "\r\n" + config;
        for (size_t i = 0; i < tools.size(); ++i) ini += std::to_string(i + 1) + "=S" + std::to_string(i + 1) + "\r\n";
        for (size_t i = 0; i < tools.size(); ++i) {
            const Tool& t = tools[i];
            ini += "[S" + std::to_string(i + 1) + "]\r\nName=" + t.name + "\r\nDir=" + t.dir +
                   "\r\nFile=Main.exe\r\nSetup=" + t.setup + "\r\nTitle=" +
                   kvttest::UniqueName("NoSuchTitle") + "\r\nDelay=0\r\n" + t.extra;
            const std::string folder = medium_ / t.dir;
            kvttest::MakeDirs(folder);
            if (t.setupPresent) kvttest::CopyFakeSetup(folder, t.setup);
            kvttest::WriteFile(folder + "\\FakeSetup.ini",
                               "[FakeSetup]\r\nRecord=" + record_ + "\r\nMainFile=Main.exe\r\n" +
                                   t.fakeSetup);
            dirs_.push_back(t.dir);
        }
        kvttest::WriteFile(medium_ / "KVTInstall.ini", ini);
        // Every installer keeps its staging list in the temporary folder
        // under one name: each program of a test gets a folder of its own.
        const std::string temp = medium_ / "temp";
        kvttest::MakeDirs(temp);
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
        app_.reset(new apptest::AppProcess(kvttest::BinDir() + "\\KVTInstall.exe", medium_.path()));
    }
    ~Scene() {
        app_.reset();
        // Both target levels: with the project, and straight below Tarvo.
        // (Windows drops a last path part's trailing blanks: "C:\Tarvo\ "
        // would be all of C:\Tarvo.)
        if (!project_.empty() && project_.back() != ' ') kvttest::RemoveTree("C:\\Tarvo\\" + project_);
        for (const std::string& d : dirs_) kvttest::RemoveTree("C:\\Tarvo\\" + d);
        kvttest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kSettingsRoot + project_);
    }

    HWND Dialog() {
        if (!dlg_) dlg_ = app_->WaitMainDialog();
        return dlg_;
    }
    HWND Item(int id) { return GetDlgItem(Dialog(), id); }
    std::string Status() { return Text(Item(kStatus)); }
    void Fill(const std::string& name, const std::string& company) {
        apptest::SetText(Item(kName), name);
        apptest::SetText(Item(kCompany), company);
    }
    // Posted, as the run stays inside the click until every tool is done.
    bool Install() { return PressCommand(Dialog(), kInstall); }
    HWND WaitBox(const char* caption) { return app_->WaitMessageBox(caption, kPatience); }
    bool WaitStatus(const std::string& text) {
        return apptest::WaitFor([&] { return Status() == text; }, kPatience);
    }
    bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }
    std::vector<kvttest::FakeSetupRun> Runs() const { return kvttest::ReadFakeSetupRecord(record_); }
    apptest::AppProcess& app() { return *app_; }
    const std::string& medium() const { return medium_.path(); }
    std::string Drive() { return Text(Item(kDrive)); }

private:
    TempDir medium_;
    std::string project_;
    std::string record_;
    std::vector<std::string> dirs_;
    std::unique_ptr<apptest::AppProcess> app_;
    HWND dlg_ = NULL;
};

// Answers a message box: its text, then the button.
std::string Answer(HWND box, int button = IDOK) {
    const std::string text = box ? MessageBoxText(box) : std::string("(no box)");
    // Gone before the caller looks for the next box, which would otherwise
    // find this one on its way out, with its texts already empty.
    if (box && PressCommand(box, button)) apptest::WaitFor([&] { return !IsWindow(box); }, kPatience);
    return text;
}

bool KeyExists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string Setting(const std::string& project, const char* name) {
    char value[256] = "";
    DWORD size = sizeof value, type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kSettingsRoot + project).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    const LONG r = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(value) : "(no value)";
}

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(InstallRun, ValidationStopsAtTheFirstEmptyFieldInEitherLanguage) {
    struct Case {
        bool german;
        const char* caption;
        const char* noProject;
        const char* noName;
        const char* noCompany;
    } cases[] = {
        {false, "Error", "No project specified", "Please input your name", "Please input your company"},
        {true, "Fehler", "Kein Projekt spezifiziert!", "Bitte geben Sie Ihren Namen ein",
         "Bitte geben Sie Ihre Firma ein"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const std::string project = kvttest::UniqueName("Valid");
        Scene scene({{"Tool A", kvttest::UniqueName("A")}}, project);
        ASSERT_TRUE(scene.Dialog() != NULL);
        if (c.german) {
            ASSERT_TRUE(apptest::Click(scene.Item(kGerman)));
        }
        struct Step {
            const char* project;
            const char* name;
            const char* company;
            const char* expected;
        } steps[] = {
            {"", "Ann", "Works", c.noProject},
            {project.c_str(), "", "", c.noName},
            {project.c_str(), "Ann", "", c.noCompany},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(s.expected);
            apptest::SetText(scene.Item(kProject), s.project);
            scene.Fill(s.name, s.company);
            ASSERT_TRUE(scene.Install());
            EXPECT_EQ(s.expected, Answer(scene.WaitBox(c.caption)));
            EXPECT_EQ(s.expected, scene.Status());
        }
        // Nothing stored, nothing installed.
        EXPECT_FALSE(KeyExists(kSettingsRoot + project));
        EXPECT_TRUE(scene.Enabled(kFirstTool));
        EXPECT_TRUE(scene.Runs().empty());
    }
}

TEST(InstallRun, TargetFolderWithAndWithoutTheProjectLevel) {
    // Setups run from the medium are told their folder on the command line.
    const std::string project = kvttest::UniqueName("Level");
    const std::string a = kvttest::UniqueName("A"), b = kvttest::UniqueName("B");
    Scene scene({{"Tool A", a, "", true, "Installpath=1\r\nCopyFiles=0\r\n"},
                 {"Tool B", b, "", true, "Installpath=0\r\nCopyFiles=0\r\n"}},
                project);
    ASSERT_TRUE(scene.Dialog() != NULL);
    scene.Fill("Ann", "Works");
    const std::string drive = scene.Drive();
    ASSERT_EQ(3u, drive.size());
    ASSERT_TRUE(scene.Install());
    ASSERT_TRUE(scene.WaitStatus("Installation completed successfully")) << scene.Status();
    const auto runs = scene.Runs();
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(drive + "Tarvo\\" + project + "\\" + a, runs[0].installFolder);
    EXPECT_EQ(drive + "Tarvo\\" + b, runs[1].installFolder);
    EXPECT_EQ("Ann", Setting(project, "Name"));
    EXPECT_EQ("Works", Setting(project, "Company"));
    EXPECT_EQ(drive, Setting(project, "Drive"));
}

TEST(InstallRun, AProjectOfOneBlankIsAProject) {
    // A Trakset setup is told its folder after "/D=" and leaves no main file
    // to look for; run from the medium, nothing needs the folder to exist.
    Scene scene({{"Tool A", "Trakset", "", true, "Installpath=1\r\nCopyFiles=0\r\n"}}, " ");
    ASSERT_TRUE(scene.Dialog() != NULL);
    apptest::SetText(scene.Item(kProject), " ");   // the INI cannot give it: it drops blanks
    scene.Fill("Ann", "Works");
    ASSERT_TRUE(scene.Install());
    ASSERT_TRUE(scene.WaitStatus("Installation completed successfully")) << scene.Status();
    EXPECT_EQ("Ann", Setting(" ", "Name"));
    const auto runs = scene.Runs();
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(scene.Drive() + "Tarvo\\ \\Trakset", runs[0].installFolder);
}

TEST(InstallRun, AFailedToolIsReportedAndTheNextFollows) {
    struct Case {
        bool german;
        const char* caption;
        const char* failure;   // tool A's setup is missing
        const char* final;     // nullptr: the last error stays
        bool secondFails;
    } cases[] = {
        {false, "Error", "Tool A: Executable Setup program not found",
         "Installation finished, problems occured", false},
        {true, "Fehler", "Tool A: Ausf\xFChrbares Setup Programm nicht gefunden",
         "Installation mit Problemen beendet", false},
        {false, "Error", "Tool A: Executable Setup program not found", nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        Tool first{"Tool A", kvttest::UniqueName("A"), "Missing.exe", false};
        Tool second{"Tool B", kvttest::UniqueName("B")};
        second.setupPresent = !c.secondFails;
        Scene scene({first, second}, kvttest::UniqueName("Fail"));
        ASSERT_TRUE(scene.Dialog() != NULL);
        if (c.german) {
            ASSERT_TRUE(apptest::Click(scene.Item(kGerman)));
        }
        scene.Fill("Ann", "Works");
        ASSERT_TRUE(scene.Install());

        HWND box = scene.WaitBox(c.caption);
        ASSERT_TRUE(box != NULL);
        EXPECT_EQ(c.failure, scene.Status());
        EXPECT_TRUE(scene.Runs().empty());   // the second tool waits for the answer
        EXPECT_EQ(c.failure, Answer(box));
        if (c.secondFails) {
            const std::string second = "Tool B: Executable Setup program not found";
            EXPECT_EQ(second, Answer(scene.WaitBox(c.caption)));
            // No final text: the last error stays.
            ASSERT_TRUE(apptest::WaitFor([&] { return !scene.Enabled(kFirstTool + 1); }, kPatience));
            EXPECT_EQ(second, scene.Status());
        } else {
            ASSERT_TRUE(scene.WaitStatus(c.final)) << scene.Status();
            EXPECT_EQ(1u, scene.Runs().size());
        }
        // Every processed tool is disabled, and nothing is left to install.
        EXPECT_FALSE(scene.Enabled(kFirstTool));
        EXPECT_FALSE(scene.Enabled(kFirstTool + 1));
        EXPECT_FALSE(scene.Enabled(kInstall));
    }
}

TEST(InstallRun, ASecondInstallSkipsWhatTheFirstProcessed) {
    Tool second{"Tool B", kvttest::UniqueName("B")};
    second.extra = "Select=0\r\n";
    Scene scene({{"Tool A", kvttest::UniqueName("A")}, second}, kvttest::UniqueName("Again"));
    ASSERT_TRUE(scene.Dialog() != NULL);
    scene.Fill("Ann", "Works");
    ASSERT_TRUE(scene.Install());
    ASSERT_TRUE(scene.WaitStatus("Installation completed successfully")) << scene.Status();
    ASSERT_EQ(1u, scene.Runs().size());
    EXPECT_FALSE(scene.Enabled(kFirstTool));
    EXPECT_FALSE(scene.Enabled(kInstall));

    ASSERT_TRUE(apptest::Click(scene.Item(kFirstTool + 1)));
    ASSERT_TRUE(scene.Enabled(kInstall));
    apptest::SetText(scene.Item(kStatus), "");
    ASSERT_TRUE(scene.Install());
    ASSERT_TRUE(scene.WaitStatus("Installation completed successfully")) << scene.Status();
    const auto runs = scene.Runs();
    ASSERT_EQ(2u, runs.size());
    EXPECT_NE(runs[0].workingFolder, runs[1].workingFolder);   // tool A did not run again
}

TEST(InstallRun, TheProgressWindowWhileASetupRuns) {
    // The setup stays a while; Enter and repaints meanwhile change nothing,
    // Escape only asks whether to stop waiting, and after No the job goes
    // on to its end.
    Tool slow{"Tool A", kvttest::UniqueName("A")};
    slow.fakeSetup = "ExitMs=8000\r\n";
    Scene scene({slow}, kvttest::UniqueName("Window"));
    ASSERT_TRUE(scene.Dialog() != NULL);
    scene.Fill("Ann", "Works");
    ASSERT_TRUE(scene.Install());
    HWND progress = scene.WaitBox("Kitbay");
    ASSERT_TRUE(progress != NULL);
    ASSERT_TRUE(apptest::WaitFor([&] { return scene.Runs().size() == 1; }, kPatience));

    HWND units = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PROGRESS), NULL,
                                    InertDialog, 0);
    ASSERT_TRUE(units != NULL);
    RECT want = {0, 0, 230, 137}, client;
    MapDialogRect(units, &want);
    GetClientRect(progress, &client);
    EXPECT_EQ(want.right, client.right);
    EXPECT_EQ(want.bottom, client.bottom);
    const LONG style = GetWindowLongA(progress, GWL_STYLE);
    EXPECT_EQ(LONG(WS_CAPTION), style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongA(progress, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(scene.Dialog(), GetWindow(progress, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(scene.Dialog()));   // modal over the main dialog

    // The banner: the only control, bitmap 142 at its place, at its size.
    HWND banner = GetWindow(progress, GW_CHILD);
    ASSERT_TRUE(banner != NULL);
    EXPECT_EQ(NULL, GetWindow(banner, GW_HWNDNEXT));
    EXPECT_EQ(SS_BITMAP, GetWindowLongA(banner, GWL_STYLE) & SS_TYPEMASK);
    EXPECT_TRUE(apptest::Send(banner, STM_GETIMAGE, IMAGE_BITMAP) != 0);
    RECT place = {28, 115, 0, 0}, got;
    MapDialogRect(units, &place);
    GetWindowRect(banner, &got);
    MapWindowPoints(NULL, progress, reinterpret_cast<POINT*>(&got), 2);
    EXPECT_EQ(place.left, got.left);
    EXPECT_EQ(place.top, got.top);
    EXPECT_EQ(259, got.right - got.left);
    EXPECT_EQ(25, got.bottom - got.top);
    DestroyWindow(units);

    apptest::Send(progress, WM_COMMAND, IDOK);
    EXPECT_TRUE(IsWindow(progress));
    // Posted: the question is modal inside the window's handler.
    PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
    HWND question = NULL;
    ASSERT_TRUE(apptest::WaitFor([&] {
        for (HWND w : apptest::TopWindows(scene.app().pid()))
            if (GetWindow(w, GW_OWNER) == progress) question = w;
        return question != NULL;
    }, kPatience));
    EXPECT_EQ("Kitbay", Text(question));
    EXPECT_EQ("Stop waiting for Tool A Setup? The setup program keeps running.", MessageBoxText(question));
    ASSERT_TRUE(PressCommand(question, IDNO));
    EXPECT_TRUE(IsWindow(progress));
    for (int i = 0; i < 5; ++i) RedrawWindow(progress, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(IsWindow(progress));

    ASSERT_TRUE(scene.WaitStatus("Installation completed successfully")) << scene.Status();
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_EQ(1u, scene.Runs().size());   // started once
}

TEST(InstallRun, ABusySetupEndsTheToolBeforeItsWindowShows) {
    TempDir elsewhere("busy");
    const std::string setup = kvttest::UniqueName("Busy") + ".exe";
    ASSERT_TRUE(kvttest::CopyFakeSetup(elsewhere.path(), setup));
    kvttest::WriteFile(elsewhere / "FakeSetup.ini", "[FakeSetup]\r\nExitMs=60000\r\n");
    kvttest::OwnedProcess running;
    ASSERT_TRUE(running.Start(elsewhere / setup, "\"" + setup + "\"", elsewhere.path()));
    ASSERT_TRUE(kvttest::WaitFor([&] { return kvttest::CountProcesses(setup) == 1; }, kPatience));

    Scene scene({{"Tool A", kvttest::UniqueName("A"), setup}}, kvttest::UniqueName("Busy"));
    ASSERT_TRUE(scene.Dialog() != NULL);
    scene.Fill("Ann", "Works");
    ASSERT_TRUE(scene.Install());
    bool windowSeen = false;
    HWND box = NULL;
    ASSERT_TRUE(apptest::WaitFor([&] {
        windowSeen = windowSeen || FindMessageBox(scene.app().pid(), "Kitbay") != NULL;
        return (box = FindMessageBox(scene.app().pid(), "Error")) != NULL;
    }, kPatience));
    EXPECT_FALSE(windowSeen);
    EXPECT_EQ("Tool A: Please terminate active Setup-process", Answer(box));
    EXPECT_TRUE(scene.Runs().empty());
    EXPECT_FALSE(scene.Enabled(kFirstTool));
}

TEST(InstallRun, AToolThatNeedsARestartMakesExitAsk) {
    Tool tool{"Tool A", kvttest::UniqueName("A")};
    tool.extra = "RestartWindows=1\r\n";
    Scene scene({tool}, kvttest::UniqueName("Restart"));
    ASSERT_TRUE(scene.Dialog() != NULL);
    scene.Fill("Ann", "Works");
    ASSERT_TRUE(scene.Install());
    ASSERT_TRUE(scene.WaitStatus("Installation completed successfully")) << scene.Status();
    ASSERT_TRUE(PressCommand(scene.Dialog(), kExit));
    EXPECT_EQ("To complete the installation you need to reboot the computer.\n\nDo you wish to reboot now?",
              Answer(scene.WaitBox("Restart Windows?"), IDNO));
    DWORD code = 99;
    EXPECT_TRUE(scene.app().WaitExit(kPatience, &code));
    EXPECT_EQ(0u, code);
}


}  // namespace

namespace {

TEST(InstallRun, AnExistingInstallationIsOfferedABackupAndInstalledEitherWay) {
    struct Case {
        int answer;   // to the backup prompt
        bool backup;
    } cases[] = {{1026, true}, {1027, false}};   // Yes, No
    for (const Case& c : cases) {
        SCOPED_TRACE(c.backup ? "Yes" : "No");
        const std::string project = kvttest::UniqueName("Backup"), dir = kvttest::UniqueName("A");
        Scene scene({{"Tool A", dir}}, project);
        ASSERT_TRUE(scene.Dialog() != NULL);
        const std::string target = scene.Drive() + "Tarvo\\" + project + "\\" + dir;
        kvttest::MakeDirs(target);
        kvttest::WriteFile(target + "\\app.exe", "old program");
        kvttest::WriteFile(target + "\\cache.tmp", "cache");
        scene.Fill("Ann", "Works");
        ASSERT_TRUE(scene.Install());

        HWND prompt = scene.WaitBox("Note");
        ASSERT_TRUE(prompt != NULL);
        EXPECT_EQ("An existing installation of " + dir + " was detected. Do you want to create a backup?",
                  Text(GetDlgItem(prompt, 1028)));
        EXPECT_EQ(scene.Dialog(), GetWindow(prompt, GW_OWNER));
        EXPECT_TRUE(scene.Runs().empty());   // the backup comes first
        ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, c.answer)));
        ASSERT_TRUE(scene.WaitStatus("Installation completed successfully")) << scene.Status();
        EXPECT_EQ(1u, scene.Runs().size());
        EXPECT_TRUE(kvttest::FileExists(target + "\\Main.exe"));

        std::vector<std::string> backups;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((target + "_backup_*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do backups.push_back(data.cFileName);
            while (FindNextFileA(find, &data));
            FindClose(find);
        }
        ASSERT_EQ(c.backup ? 1u : 0u, backups.size());
        if (c.backup) {
            const std::string copy = scene.Drive() + "Tarvo\\" + project + "\\" + backups[0];
            EXPECT_EQ("old program", kvttest::ReadFile(copy + "\\app.exe"));
            EXPECT_FALSE(kvttest::FileExists(copy + "\\cache.tmp"));
        }
    }
}

}  // namespace

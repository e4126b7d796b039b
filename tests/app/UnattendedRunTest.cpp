// KVTInstall started with switches, as an administrator's script starts it:
// unattended runs from an answer file with their exit codes and log, the
// answers and command lines that stop a run before anything is installed,
// and the error box of a bad command line in a dialog run. Each scene has a
// medium, a project and a temporary folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "AppDriver.h"
#include "ProcessSupport.h"
#include "TestSupport.h"

using kvttest::FileExists;
using kvttest::ReadFile;

namespace {

const DWORD kPatience = 60000;
const char kSettingsRoot[] = "SOFTWARE\\Tarvo Kinetics\\";

// One tool of a scene's medium: a standard setup (the stand-in) that leaves
// Main.exe in its target folder.
struct Tool {
    Tool(const char* s, bool present = true, const char* more = "")
        : section(s), setupPresent(present), extra(more) {}
    std::string section;    // also its Dir
    bool setupPresent;
    std::string extra;      // further lines of its section
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Scene {
public:
    explicit Scene(const std::vector<Tool>& tools, bool withIni = true)
        : medium_("unattended"), project_(kvttest::UniqueName("Unatt")) {
        std::string ini = "[Config]\r\n";
        for (size_t i = 0; i < tools.size(); ++i)
            ini += std::to_string(i + 1) + "=" + tools[i].section + "\r\n";
        for (const Tool& t : tools) {
            // The setup's name is the scene's own: the job waits while any
            // process of that name runs, a parallel test's too.
            const std::string setup = kvttest::UniqueName("Setup") + ".exe";
            // The first of two keys counts: the extra lines come first.
            ini += "[" + t.section + "]\r\n" + t.extra + "Name=Tool " + t.section + "\r\nDir=" +
                   t.section + "\r\nFile=Main.exe\r\nSetup=" + setup + "\r\nTitle=" +
                   kvttest::UniqueName("NoSuchTitle") +
                   "\r\nDelay=0\r\nSpace=0\r\nRestartWindows=0\r\n";
            const std::string folder = medium_ / t.section;
            kvttest::MakeDirs(folder);
            if (t.setupPresent) kvttest::CopyFakeSetup(folder, setup);
            kvttest::WriteFile(folder + "\\FakeSetup.ini", "[FakeSetup]\r\nMainFile=Main.exe\r\n");
        }
        if (withIni) kvttest::WriteFile(medium_ / "KVTInstall.ini", ini);
        const std::string temp = medium_ / "temp";
        kvttest::MakeDirs(temp);
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
    }
    ~Scene() {
        kvttest::RemoveTree(Target());
        kvttest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kSettingsRoot + project_);
    }

    // Answers for the scene's project: `lines` go below the section header;
    // "%P" in them stands for the project.
    std::string Answers(std::string lines) {
        for (size_t at; (at = lines.find("%P")) != std::string::npos;) lines.replace(at, 2, project_);
        const std::string path = medium_ / "answers.ini";
        kvttest::WriteFile(path, "[Answers]\r\n" + lines);
        return path;
    }
    std::string Answers(const std::string& tools, const std::string& more) {
        return Answers("Project=%P\r\nName=Jo Admin\r\nCompany=Admin Works\r\nDrive=C:\\\r\nTools=" +
                       tools + "\r\n" + more);
    }

    // Runs the program with `arguments` and a log; its exit code. A message
    // box waiting for an answer shows as a run that does not end.
    DWORD Run(const std::string& arguments) {
        apptest::AppProcess app(kvttest::BinDir() + "\\KVTInstall.exe", medium_.path(),
                                arguments + " /LOG=\"" + LogPath() + "\"");
        DWORD code = 12345;
        EXPECT_TRUE(app.WaitExit(kPatience, &code)) << "the run did not end\n" << Log();
        return code;
    }
    std::string LogPath() const { return medium_ / "install.log"; }
    std::string Log() const { return ReadFile(LogPath()); }
    std::string Target() const { return "C:\\Tarvo\\" + project_; }
    const std::string& project() const { return project_; }
    const std::string& medium() const { return medium_.path(); }

private:
    kvttest::TempDir medium_;
    std::string project_;
};

std::string Setting(const std::string& project, const char* name) {
    char value[256] = "";
    DWORD size = sizeof value, type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kSettingsRoot + project).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "(no key)";
    const LONG r = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return "(missing)";
    if (type == REG_DWORD) return "dword:" + std::to_string(*reinterpret_cast<DWORD*>(value));
    return value;
}

// ---- Exit codes -------------------------------------------------------------

struct ExitCase {
    const char* what;
    std::vector<Tool> tools;
    const char* named;        // the answers' Tools
    DWORD code;
    std::vector<const char*> logLines;
};

const ExitCase kExitCases[] = {
    {"a tool installs", {{"Alpha"}}, "Alpha", 0,
     {"Tool Alpha: result: installed", "Installed 1, failed 0", "Exit code 0"}},
    {"a tool needs a restart", {{"Alpha", true, "RestartWindows=1\r\n"}}, "alpha", 3010,
     {"Tool Alpha: Windows must be restarted", "not restarted (no /RESTART)", "Exit code 3010"}},
    {"a setup is missing", {{"Alpha", false}}, "Alpha", 1,
     {"Tool Alpha: result: code 6, Executable Setup program not found",
      "Failed: Tool Alpha: Executable Setup program not found (code 6)", "Exit code 1"}},
    {"a failure outweighs a restart",
     {{"Alpha", true, "RestartWindows=1\r\n"}, {"Beta", false}}, "Alpha,Beta", 1,
     {"Tool Alpha: result: installed", "Tool Beta: result: code 6", "Installed 1, failed 1",
      "Exit code 1"}},
    {"a tool not offered here is skipped",
     {{"Alpha"}, {"Beta", true, "Win95=0\r\nWin98=0\r\nWinNT=0\r\n"}}, "Beta, Alpha", 0,
     {"Tool Beta: skipped, not offered on", "Tool Alpha: result: installed", "Exit code 0"}},
};

class UnattendedExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(UnattendedExit, CodeAndLogTellTheOutcome) {
    const ExitCase& c = GetParam();
    Scene scene(c.tools);
    EXPECT_EQ(c.code, scene.Run("/UNATTENDED=\"" + scene.Answers(c.named, "") + "\""));
    const std::string log = scene.Log();
    for (const char* line : c.logLines) EXPECT_TRUE(Contains(log, line)) << line << "\n" << log;
    // Stored as an interactive Install stores them.
    EXPECT_EQ("Jo Admin", Setting(scene.project(), "Name"));
    EXPECT_EQ("Admin Works", Setting(scene.project(), "Company"));
    EXPECT_EQ("C:\\", Setting(scene.project(), "Drive"));
    EXPECT_EQ("dword:0", Setting(scene.project(), "Language"));
}

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.what; }

INSTANTIATE_TEST_SUITE_P(Cases, UnattendedExit, ::testing::ValuesIn(kExitCases),
                         [](const ::testing::TestParamInfo<ExitCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

// ---- Nothing installed: exit code 2 -----------------------------------------

struct RefusalCase {
    const char* what;
    const char* answers;     // null: no answer file at all
    const char* arguments;   // "%A": the answer file's path
    const char* logLine;
};

const RefusalCase kRefusals[] = {
    {"no answer file", nullptr, "/UNATTENDED=\"%A\"", "cannot be found"},
    {"no project", "Project=\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\nTools=Alpha\r\n",
     "/UNATTENDED=\"%A\"", "gives no Project"},
    {"no name", "Project=%P\r\nCompany=C\r\nDrive=C:\\\r\nTools=Alpha\r\n", "/UNATTENDED=\"%A\"",
     "gives no Name"},
    {"no company", "Project=%P\r\nName=N\r\nDrive=C:\\\r\nTools=Alpha\r\n", "/UNATTENDED=\"%A\"",
     "gives no Company"},
    {"an unknown tool", "Project=%P\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\nTools=Alpha,Gamma\r\n",
     "/UNATTENDED=\"%A\"", "the tool Gamma is not in KVTInstall.ini"},
    {"a drive that is not there", "Project=%P\r\nName=N\r\nCompany=C\r\nDrive=Q:\\\r\nTools=Alpha\r\n",
     "/UNATTENDED=\"%A\"", "the drive Q:\\ is not a fixed disk here"},
    {"a folder for a drive",
     "Project=%P\r\nName=N\r\nCompany=C\r\nDrive=C:\\Tarvo\r\nTools=Alpha\r\n", "/UNATTENDED=\"%A\"",
     "is not a fixed disk here"},
    {"a project no folder can hold",
     "Project=a/b\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\nTools=Alpha\r\n", "/UNATTENDED=\"%A\"",
     "Nothing installed: "},
    {"a language that is none",
     "Project=%P\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\nLanguage=2\r\nTools=Alpha\r\n",
     "/UNATTENDED=\"%A\"", "Language must be 0 (English) or 1 (German)"},
    {"an unknown switch", "Project=%P\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\nTools=Alpha\r\n",
     "/UNATTENDED=\"%A\" /QUIET", "Unknown switch: /QUIET"},
    {"the switch without its value", "", "/UNATTENDED", "/UNATTENDED needs a file"},
    {"recording and replaying at once",
     "Project=%P\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\nTools=Alpha\r\n",
     "/UNATTENDED=\"%A\" /RECORD=b.ini", "/RECORD and /UNATTENDED cannot be used together"},
};

class UnattendedRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(UnattendedRefusal, EndsWithCode2BeforeAnythingIsInstalled) {
    const RefusalCase& c = GetParam();
    Scene scene({Tool("Alpha")});
    std::string answers = scene.medium() + "\\answers.ini";
    if (c.answers) answers = scene.Answers(c.answers);
    std::string arguments = c.arguments;
    const size_t at = arguments.find("%A");
    if (at != std::string::npos) arguments.replace(at, 2, answers);

    EXPECT_EQ(2u, scene.Run(arguments));
    const std::string log = scene.Log();
    EXPECT_TRUE(Contains(log, c.logLine)) << c.logLine << "\n" << log;
    EXPECT_TRUE(Contains(log, "Exit code 2")) << log;
    EXPECT_FALSE(Contains(log, "Tool Alpha")) << log;
    EXPECT_FALSE(kvttest::DirExists(scene.Target()));
    EXPECT_EQ("(no key)", Setting(scene.project(), "Name"));
}

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.what; }

INSTANTIATE_TEST_SUITE_P(Cases, UnattendedRefusal, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(UnattendedRun, MediumWithoutCatalogueEndsWithCode2) {
    Scene scene({Tool("Alpha")}, false);
    EXPECT_EQ(2u, scene.Run("/UNATTENDED=\"" + scene.Answers("Alpha", "") + "\""));
    EXPECT_TRUE(Contains(scene.Log(), "Nothing installed: KVTInstall.ini not found!")) << scene.Log();
}

// ---- The log of a run with every kind of event ------------------------------

TEST(UnattendedRun, LogTellsToolByToolWhatHappened) {
    // Alpha installs, with a registry file the parser partly skips; Beta has
    // no setup; Gamma's project file meets a read-only file of the same name.
    Scene scene({{"Alpha"}, {"Beta", false}, {"Gamma"}});
    kvttest::WriteFile(scene.medium() + "\\Alpha\\Alpha.REG",
                       "REGEDIT4\r\n"
                       "\r\n"
                       "[HKEY_LOCAL_MACHINE\\" + std::string(kSettingsRoot) + scene.project() + "\\Alpha]\r\n"
                       "\"Good\"=\"yes\"\r\n"
                       "\"Bytes\"=hex:01,02\r\n"
                       "[HKEY_NOWHERE\\Alpha]\r\n"
                       "\"Lost\"=\"x\"\r\n");
    kvttest::MakeDirs(scene.medium() + "\\Gamma\\APPFiles");
    kvttest::WriteFile(scene.medium() + "\\Gamma\\APPFiles\\Data.bin", "new data");
    kvttest::WriteFile(scene.medium() + "\\Gamma\\APPFiles\\Other.bin", "more");
    const std::string locked = scene.Target() + "\\Gamma\\Data.bin";
    kvttest::MakeDirs(scene.Target() + "\\Gamma");
    kvttest::WriteFile(locked, "old data");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(1u, scene.Run("/UNATTENDED=\"" + scene.Answers("Alpha,Beta,Gamma", "") + "\""));
    const std::string log = scene.Log();
    const std::string target = scene.Target();
    const std::string lines[] = {
        "KVTInstall 1.",
        "Command line: ",
        "Windows family: Windows",
        "Medium root: " + scene.medium() + "\\",
        "Choices: project \"" + scene.project() +
            "\", name \"Jo Admin\", company \"Admin Works\", drive C:\\, language English, "
            "tools: Tool Alpha, Tool Beta, Tool Gamma",
        "Tool Alpha: target folder " + target + "\\Alpha, setup kind standard",
        "Staged 3 of 3 setup files (",
        "Setup started: " + target + "\\Alpha\\",
        "Setup seen gone after 0 s of Delay",
        "Registry file " + target + "\\Alpha\\Alpha.REG: 2 lines applied, 3 skipped (lines 5, 6, 7)",
        "Tool Alpha: result: installed",
        "Tool Beta: result: code 6, Executable Setup program not found",
        "Failed: Tool Beta: Executable Setup program not found (code 6)",
        "Could not place " + target + "\\Gamma\\Data.bin: error 5",
        "Copied " + scene.medium() + "\\Gamma\\APPFiles to " + target + "\\Gamma: 1 file, 4 bytes",
        "Tool Gamma: result: code 1, Cannot write into Destination-Directory",
        "Outcome: Installation finished, problems occured",
        "Installed 1, failed 2",
        "Exit code 1",
    };
    for (const std::string& line : lines) EXPECT_TRUE(Contains(log, line)) << line << "\n" << log;
    // Every line carries its time.
    size_t start = 0;
    for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = log.substr(start, end - start);
        EXPECT_TRUE(line.size() > 20 && line[4] == '-' && line[13] == ':' && line[19] == ' ') << line;
    }
    EXPECT_EQ(log.size(), start) << "the last line is unfinished";
    EXPECT_EQ("old data", ReadFile(locked));
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(UnattendedRun, LogIsAppendedToAndAbsentWithoutTheSwitch) {
    Scene scene({Tool("Alpha")});
    const std::string answers = scene.Answers("Alpha", "");
    kvttest::WriteFile(scene.LogPath(), "an earlier line\r\n");
    EXPECT_EQ(0u, scene.Run("/UNATTENDED=\"" + answers + "\""));
    const std::string log = scene.Log();
    EXPECT_EQ(0u, log.find("an earlier line\r\n")) << log;
    EXPECT_TRUE(Contains(log, "Exit code 0")) << log;

    // Without /LOG nothing is written anywhere in the medium.
    DeleteFileA(scene.LogPath().c_str());
    kvttest::RemoveTree(scene.Target());
    apptest::AppProcess app(kvttest::BinDir() + "\\KVTInstall.exe", scene.medium(),
                            "/UNATTENDED=\"" + answers + "\"");
    DWORD code = 1;
    ASSERT_TRUE(app.WaitExit(kPatience, &code));
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(FileExists(scene.LogPath()));
    EXPECT_TRUE(FileExists(scene.Target() + "\\Alpha\\Main.exe"));
}

// Backup answers the prompt for every tool whose folder is already there.
TEST(UnattendedRun, BackupAnswerIsTheFilesAnswer) {
    for (const bool backup : {true, false}) {
        SCOPED_TRACE(backup ? "Backup=Yes" : "Backup=No");
        Scene scene({Tool("Alpha")});
        const std::string target = scene.Target() + "\\Alpha";
        kvttest::MakeDirs(target);
        kvttest::WriteFile(target + "\\Notes.txt", "the user's notes");
        EXPECT_EQ(0u, scene.Run("/UNATTENDED=\"" +
                                scene.Answers("Alpha", backup ? "Backup=Yes\r\n" : "") + "\""));
        const std::string log = scene.Log();
        std::vector<std::string> copies;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((target + "_backup_*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do copies.push_back(scene.Target() + "\\" + found.cFileName);
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
        if (backup) {
            ASSERT_EQ(1u, copies.size()) << log;
            EXPECT_EQ("the user's notes", ReadFile(copies[0] + "\\Notes.txt"));
            EXPECT_TRUE(Contains(log, "Backup of " + target + " made in " + copies[0])) << log;
        } else {
            EXPECT_TRUE(copies.empty()) << log;
            EXPECT_TRUE(Contains(log, "Backup of " + target + ": not made (Backup=No)")) << log;
        }
    }
}

// ---- Switches in a dialog run -----------------------------------------------

struct BadLineCase {
    const char* arguments;
    const char* error;
};

const BadLineCase kBadLines[] = {
    {"/QUIET", "Unknown switch: /QUIET"},
    {"/LOG", "/LOG needs a file"},
    {"/RECORD=", "/RECORD needs a file"},
    {"/RESTART", "/RESTART is only for /UNATTENDED"},
    {"answers.ini", "Unknown argument: answers.ini"},
};

class BadCommandLine : public ::testing::TestWithParam<BadLineCase> {};

TEST_P(BadCommandLine, ErrorBoxListsTheSwitchesAndNothingRuns) {
    Scene scene({Tool("Alpha")});
    apptest::AppProcess app(kvttest::BinDir() + "\\KVTInstall.exe", scene.medium(),
                            GetParam().arguments);
    HWND box = app.WaitMessageBox("KVTInstall", kPatience);
    ASSERT_TRUE(box != NULL);
    const std::string text = apptest::MessageBoxText(box);
    EXPECT_TRUE(Contains(text, GetParam().error)) << text;
    for (const char* sw : {"/RECORD=", "/UNATTENDED=", "/RESTART", "/LOG="})
        EXPECT_TRUE(Contains(text, sw)) << text;
    ASSERT_TRUE(apptest::PressCommand(box, IDOK));
    DWORD code = 0;
    ASSERT_TRUE(app.WaitExit(kPatience, &code));
    EXPECT_EQ(2u, code);
    EXPECT_EQ("(no key)", Setting(scene.project(), "Name"));
}

void PrintTo(const BadLineCase& c, std::ostream* os) { *os << c.arguments; }

INSTANTIATE_TEST_SUITE_P(Cases, BadCommandLine, ::testing::ValuesIn(kBadLines),
                         [](const ::testing::TestParamInfo<BadLineCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

// A switch whose value holds a path must not change which KVTInstall.ini
// the program reads.
TEST(SwitchesInADialogRun, PathInALogSwitchKeepsTheMediumsIni) {
    Scene scene({Tool("Alpha")});
    kvttest::MakeDirs(scene.medium() + "\\logs");
    const std::string log = scene.medium() + "\\logs\\run.log";
    apptest::AppProcess app(kvttest::BinDir() + "\\KVTInstall.exe", scene.medium(),
                            "/LOG=" + log);
    HWND dlg = app.WaitMainDialog(kPatience);
    ASSERT_TRUE(dlg != NULL) << apptest::MessageBoxText(apptest::FindMessageBox(app.pid(), "Error"));
    EXPECT_EQ("Tool Alpha", apptest::Text(GetDlgItem(dlg, 10001)));
    ASSERT_TRUE(apptest::PressCommand(dlg, IDCANCEL));
    DWORD code = 1;
    ASSERT_TRUE(app.WaitExit(kPatience, &code));
    EXPECT_EQ(0u, code);
    const std::string text = ReadFile(log);
    EXPECT_TRUE(Contains(text, "Medium root: " + scene.medium() + "\\")) << text;
    EXPECT_TRUE(Contains(text, "Exit code 0")) << text;
}

}  // namespace

// The sample medium of examples/medium installed by KVTInstall itself under
// each Windows family Wine can report (a copy of the program under a name
// of its own, with Wine's version for that name), driven through its
// windows, with the stand-in setup and the NSIS installers copied in as
// scripts/run.sh does: every offered tool succeeds, each setup leaves its
// main file (the NSIS ones in the folder given by /D= and nowhere else,
// registered under the Uninstall key), staged files go
// or stay as the tool's CopyFiles says, the registry files land, and the
// project file groups place their family variants, English overlays,
// renamed and rewritten files.
#include "AppDriver.h"
#include "AppRun.h"
#include "RunSummary.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

using kvttest::FileExists;
using kvttest::ReadFile;

namespace {

const char kProject[] = "MediumTest";
const char kUser[] = "Jo Sample";
const char kCompany[] = "Sample Works";
const char kToolKeys[] = "SOFTWARE\\Tarvo Kinetics\\Sample";

// Both registry views, whatever this test's own flavour: the registry
// editor that applies NT.REG files may be a 64-bit program, an NSIS
// installer a 32-bit one.
const REGSAM kViews[] = {0, KEY_WOW64_64KEY, KEY_WOW64_32KEY};

// A string or dword value in any registry view.
std::string RegValue(const std::string& key, const char* name) {
    for (REGSAM view : kViews) {
        HKEY h;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS)
            continue;
        BYTE data[512];
        DWORD type = 0, size = sizeof data;
        LONG r = RegQueryValueExA(h, name, NULL, &type, data, &size);
        RegCloseKey(h);
        if (r != ERROR_SUCCESS) continue;
        if (type == REG_DWORD) return "dword:" + std::to_string(*reinterpret_cast<DWORD*>(data));
        return std::string(reinterpret_cast<char*>(data));
    }
    return "(missing)";
}

// What one family must find after all its tools. Paths begin with a folder
// letter: T the target base with the project level (a drive of the test's
// own), C the one without it, P the project folder
// C:\Tarvo\<project>, D the "Tarvo" folder C:\Tarvo, W the Windows folder,
// S the system folder. `text` null: absent; "": present; else a line of it.
struct FileExpectation {
    const char* families;  // of "1", "2", "3"
    const char* path;
    const char* text;
};

const FileExpectation kFiles[] = {
    // Designer: standard, staged and cleaned up, every kind of project file.
    {"123", "T\\Designer\\Designer.exe", "KVT fake main file"},
    {"123", "T\\Designer\\SETUP.EXE", nullptr},
    {"123", "T\\Designer\\FAKESETUP.INI", nullptr},
    {"123", "T\\Designer\\DESIGNER.REG", nullptr},
    {"123", "T\\Designer\\Readme.txt", "Kitbay Designer: English overlay.\r\n"},
    {"123", "T\\Designer\\Designer.ini", "User=Jo Sample\r\n"},
    {"123", "T\\Designer\\Designer.ini", "Language=eng\r\n"},
    {"123", "T\\Designer\\Designer.ini", "Drive=C:\r\n"},
    {"123", "T\\Designer\\Templates\\Blank.kvd", "KVD1 blank drawing\n"},
    {"123", "D\\Kitbay.ini", "Designer=C:\\Tarvo\\MediumTest\\Designer\r\n"},
    {"1", "P\\Platform.ini", "Family=95\r\n"},
    {"2", "P\\Platform.ini", "Family=98\r\n"},
    {"3", "P\\Platform.ini", "Family=NT\r\n"},
    {"123", "P\\user.ini", "Company=Sample Works\r\n"},
    {"123", "P\\user.ini_", nullptr},
    {"123", "P\\Paths.dat", "Drawings=C:\\tarvo\\Sample\\Drawings\nLibrary=C:\\TARVO\\Sample\\Library\n"},
    {"123", "P\\_~_Paths.dat", nullptr},
    {"123", "P\\Project.txt", "Project MediumTest of Sample Works (English)\r\n"},
    {"123", "P\\Projekt.txt", nullptr},
    {"123", "W\\KVTDES.INI", "Drive=C:\r\n"},
    {"12", "S\\KVTDES9X.DAT", ""},
    {"3", "S\\KVTDES9X.DAT", nullptr},
    {"3", "S\\KVTDESNT.DAT", ""},
    {"12", "S\\KVTDESNT.DAT", nullptr},
    // Qev: /VERYSILENT in the staging folder.
    {"123", "T\\Qev\\MotionLab.dat", ""},
    {"123", "T\\Qev\\MOTIONLAB.EXE", nullptr},
    {"123", "P\\Motion\\Scenes\\Crane.txt", "Scene of project MediumTest\r\n"},
    // Trakset: its NSIS installer with /S /D=, CopyFiles 2 keeps the staged
    // copies.
    {"123", "T\\Trakset\\Recorder.exe", "Trakset Recorder 2.4\r\n"},
    {"123", "T\\Trakset\\Uninstall.exe", ""},
    {"123", "T\\Trakset\\TRAKSETSETUP.EXE", ""},
    {"123", "T\\Trakset\\TRAKSET.REG", ""},
    {"123", "P\\Recordings\\Readme.txt", ""},
    // Lapvue: like Trakset, cleaned up; English help.
    {"123", "T\\Lapvue\\Viewer.exe", "Lapvue Viewer 1.7\r\n"},
    {"123", "T\\Lapvue\\Uninstall.exe", ""},
    {"123", "T\\Lapvue\\LAPVUESETUP.EXE", nullptr},
    {"123", "T\\Lapvue\\Viewer.txt", "Lapvue Viewer: English help.\r\n"},
    {"123", "P\\viewer.ini", "LastProject=MediumTest\r\n"},
    // Components: no project level; the runtime file per family.
    {"123", "C\\Components\\KVTComp.dll", ""},
    {"123", "D\\Shared\\Components.txt", "Shared components of Sample Works\r\n"},
    {"12", "S\\KvtRt.ini", "Family=9x\r\n"},
    {"3", "S\\KvtRt.ini", "Family=NT\r\n"},
    // Ulvan: everything staged is gone with the folder; files in "2.1".
    {"23", "T\\Ulvan", nullptr},
    {"23", "T\\Ulvan2.1\\Ulvan.ini", "User=Jo Sample\r\n"},
    {"23", "P\\Models\\Beam.txt", "Beam model for MediumTest\r\n"},
    {"1", "T\\Ulvan2.1", nullptr},
    // Drivers9x: the 9x line only, staged copies stay.
    {"12", "T\\Drivers9x\\KVTPORT.VXD", ""},
    {"12", "T\\Drivers9x\\SETUP.EXE", ""},
    {"12", "S\\KVTPORT.INI", ""},
    {"1", "S\\KVTPORT.TXT", "Port driver notes for Windows 95\r\n"},
    {"2", "S\\KVTPORT.TXT", "Port driver notes for Windows 98\r\n"},
    {"3", "T\\Drivers9x", nullptr},
    {"3", "S\\KVTPORT.INI", nullptr},
    // Reports: run from the medium, nothing staged.
    {"123", "T\\Reports\\Reports.exe", ""},
    {"123", "T\\Reports\\REPSETUP.EXE", nullptr},
    {"123", "P\\Reports\\Layout.xml", "<layout project=\"MediumTest\" company=\"Sample Works\">\r\n"},
    {"123", "P\\Reports\\Index.bin", "Index=C:\\Tarvo\\Sample\\Reports\n"},
    {"123", "P\\Reports\\_~_Report.ini", "Project=MediumTest\r\n"},
    // Samples: project files only.
    {"123", "T\\Samples\\Samples.txt", "Sample projects for Jo Sample of Sample Works\r\n"},
    {"123", "P\\Examples\\Bridge.ini", "Owner=Jo Sample\r\n"},
    {"123", "P\\Examples\\Bridge.kvp", ""},
    {"123", "P\\Examples.txt", ""},
};

struct RegExpectation {
    const char* families;
    const char* key;  // below kToolKeys
    const char* name;
    const char* value;
};

const RegExpectation kValues[] = {
    {"123", "Designer", "User", "Jo Sample"},
    {"123", "Designer", "Company", "Sample Works"},
    {"123", "Designer", "Project", "MediumTest"},
    {"123", "Designer", "Language", "eng"},
    {"123", "Designer", "Drive", "C:"},
    {"123", "Designer", "Version", "3.24"},
    {"123", "Designer", "Build", "dword:804"},
    {"3", "Designer\\NT", "Helper", "KVTDesignerHelper"},
    {"12", "Designer\\NT", "Helper", "(missing)"},
    {"123", "Qev", "User", "Jo Sample"},
    {"123", "Qev", "Version", "dword:266"},
    {"123", "Trakset", "Channels", "dword:16"},
    {"123", "Lapvue", "Tool", "Lapvue Viewer"},
    {"3", "Lapvue\\NT", "Renderer", "GDI"},
    {"123", "Components", "Runtime", "C:\\Tarvo\\Components"},
    {"123", "Components", "Version", "dword:2"},
    {"23", "Ulvan", "Release", "2.1"},
    {"1", "Ulvan", "Release", "(missing)"},
    {"12", "Drivers9x", "Version", "dword:1"},
    {"3", "Drivers9x", "Port", "(missing)"},
    {"123", "Reports", "Pages", "dword:64"},
};

// The tools whose setup is a real NSIS installer: where each registers
// itself, and the folder it would use without /D=.
struct NsisTool {
    const char* setup;   // on the medium
    const char* target;  // a path of kFiles
    const char* key;     // below kUninstallKeys
    const char* product;
};
const char kUninstallKeys[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const NsisTool kNsisTools[] = {
    {"Trakset\\TraksetSetup.exe", "T\\Trakset", "TraksetRecorder", "Trakset Recorder"},
    {"Lapvue\\LapvueSetup.exe", "T\\Lapvue", "LapvueViewer", "Lapvue Viewer"},
};
// "Program Files" of both views, where an installer that ignored /D= would
// have put its files.
std::vector<std::string> ProgramFilesFolders() {
    std::vector<std::string> folders;
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        char buf[MAX_PATH];
        const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
        if (n > 0 && n < sizeof buf) folders.push_back(buf);
    }
    return folders;
}

struct Family {
    int number;           // 1 Windows 95, 2 98, 3 NT
    const char* version;  // what Wine reports to the program
    const char* name;
};
void PrintTo(const Family& f, std::ostream* os) { *os << f.version; }
const Family kFamilies[] = {{1, "win95", "Win95"}, {2, "win98", "Win98"}, {3, "nt40", "NT"}};

class SampleMedium : public ::testing::TestWithParam<Family> {
protected:
    void SetUp() override {
        base_ = scratch_.path();
        medium_ = scratch_ / "medium";
        std::string source = KVT_MEDIUM_DIR;
        for (char& c : source)
            if (c == '/') c = '\\';
        kvttest::CopyTree("Z:" + source, medium_);
        ASSERT_TRUE(FileExists(medium_ + "\\KVTInstall.ini")) << "no medium at Z:" << source;
        // The NSIS installers and the stand-in setups, where run.sh puts
        // them; each stand-in records its run.
        kvttest::CopyTree(kvttest::BinDir() + "\\medium-setups", medium_);
        for (const NsisTool& t : kNsisTools)
            ASSERT_TRUE(FileExists(medium_ + "\\" + t.setup)) << "no NSIS installer " << t.setup;
        for (const std::string& line : kvttest::ReadStandInList("Z:" + source + "\\stand-ins.txt")) {
            ASSERT_TRUE(CopyFileA((kvttest::BinDir() + "\\FakeSetup.exe").c_str(),
                                  (medium_ + "\\" + line).c_str(), FALSE))
                << line;
            const std::string dir = line.substr(0, line.find('\\'));
            const std::string ini = medium_ + "\\" + dir + "\\FakeSetup.ini";
            WritePrivateProfileStringA("FakeSetup", "Record", (base_ + "\\" + dir + ".run").c_str(),
                                       ini.c_str());
            // The Designer's window is for the screenshot only.
            WritePrivateProfileStringA("FakeSetup", "WindowMs", "1", ini.c_str());
        }
        // The program's copy, its INI named after it, and its Windows.
        program_ = kvttest::UniqueName("kvtmedium");
        exe_ = kvttest::BinDir() + "\\" + program_ + ".exe";
        ASSERT_TRUE(CopyFileA((kvttest::BinDir() + "\\KVTInstall.exe").c_str(), exe_.c_str(), FALSE));
        kvttest::SetWineVersionFor(program_ + ".exe", GetParam().version);
        kvttest::WriteFile(medium_ + "\\" + program_ + ".ini", ReadFile(medium_ + "\\KVTInstall.ini"));
        // The staging list of this run, in a folder of its own.
        kvttest::MakeDirs(base_ + "\\temp");
        SetEnvironmentVariableA("TMP", (base_ + "\\temp").c_str());
        SetEnvironmentVariableA("TEMP", (base_ + "\\temp").c_str());
        RemoveLeftovers();
    }
    void TearDown() override {
        kvttest::SetWineVersionFor(program_ + ".exe", nullptr);
        DeleteFileA(exe_.c_str());
        RemoveLeftovers();
        runsummary::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string("SOFTWARE\\Tarvo Kinetics\\") + kProject, 0);
    }

    // What the medium places outside the test's folder.
    void RemoveLeftovers() {
        kvttest::RemoveTree(std::string("C:\\Tarvo\\") + kProject);
        DeleteFileA("C:\\Tarvo\\Kitbay.ini");
        kvttest::RemoveTree("C:\\Tarvo\\Shared");
        kvttest::RemoveTree("C:\\Tarvo\\Components");  // a tool without the project level
        RemoveDirectoryA("C:\\Tarvo");
        for (const char* f : {"KVTDES.INI"}) DeleteFileA((runsummary::WindowsFolder(0) + "\\" + f).c_str());
        for (const char* f : {"KVTDES9X.DAT", "KVTDESNT.DAT", "KvtRt.ini", "KVTPORT.INI", "KVTPORT.TXT"})
            DeleteFileA((runsummary::WindowsFolder(1) + "\\" + f).c_str());
        for (REGSAM view : kViews) {
            runsummary::DeleteKeyTree(HKEY_LOCAL_MACHINE, kToolKeys, view);
            for (const NsisTool& t : kNsisTools)
                runsummary::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kUninstallKeys) + "\\" + t.key, view);
        }
        for (const std::string& folder : ProgramFilesFolders()) {
            kvttest::RemoveTree(folder + "\\Tarvo Kinetics");
        }
    }

    kvttest::TempDir scratch_{"medium"};
    std::string base_, medium_;
    std::string program_, exe_;
};

std::string Expand(const char* path, const std::string& base) {
    const std::string rest = path + 1;
    switch (path[0]) {
    case 'T': return base + "\\Tarvo\\" + kProject + rest;
    case 'C': return base + "\\Tarvo" + rest;
    case 'P': return std::string("C:\\Tarvo\\") + kProject + rest;
    case 'D': return "C:\\Tarvo" + rest;
    case 'W': return runsummary::WindowsFolder(0) + rest;
    default: return runsummary::WindowsFolder(1) + rest;
    }
}

// The tools each family is offered, in catalogue order.
const char* const kToolNames[] = {"Kitbay Designer", "Kitbay Motion Lab", "Trakset Recorder",
                                  "Lapvue Viewer", "Shared Components", "Ulvan Simulator",
                                  "Kitbay Port Drivers 9x", "Kitbay Report Generator",
                                  "Sample Projects"};
const char* const kToolSections[] = {"Designer", "Motion", "Recorder", "Viewer", "Components",
                                     "Simulator", "Drivers", "Reports", "Samples"};
const bool kOffers[3][9] = {{true, true, true, true, true, false, true, true, true},
                            {true, true, true, true, true, true, true, true, true},
                            {true, true, true, true, true, true, false, true, true}};

// Every offered tool checked, the fields filled, Install, and the run ends
// with its success text: no backup prompt (nothing is there yet), no error,
// no notice. Exit asks about the restart that tools need; No leaves.
void InstallThroughDialog(apptest::AppProcess& app, int family, const std::string& drive) {
    namespace ids = apptest::ids;
    HWND dlg = app.WaitMainDialog();
    ASSERT_TRUE(dlg != NULL);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(kToolNames[i]);
        HWND box = GetDlgItem(dlg, ids::kFirstTool + i);
        ASSERT_TRUE(box != NULL);
        EXPECT_EQ(kToolNames[i], apptest::Text(box));
        const bool offered = kOffers[family - 1][i];
        EXPECT_EQ(offered, IsWindowEnabled(box) != FALSE);
        if (offered && apptest::Send(box, BM_GETCHECK) != BST_CHECKED) {
            ASSERT_TRUE(apptest::Click(box));
        }
    }
    // The project field takes the test's project although the medium fixes
    // "Sample".
    apptest::SetText(GetDlgItem(dlg, ids::kDrive), drive);
    apptest::SetText(GetDlgItem(dlg, ids::kProject), kProject);
    apptest::SetText(GetDlgItem(dlg, ids::kName), kUser);
    apptest::SetText(GetDlgItem(dlg, ids::kCompany), kCompany);
    ASSERT_TRUE(apptest::PressCommand(dlg, ids::kInstall));

    std::string status;
    HWND unexpected = NULL;
    ASSERT_TRUE(apptest::WaitFor([&] {
        status = apptest::Text(GetDlgItem(dlg, ids::kStatus));
        for (const char* caption : {"Error", "Info", "Note"})
            if ((unexpected = apptest::FindMessageBox(app.pid(), caption)) != NULL) return true;
        return status == "Installation completed successfully";
    }, 180000)) << status;
    ASSERT_TRUE(unexpected == NULL) << apptest::Text(unexpected) << ": " << apptest::MessageBoxText(unexpected);

    ASSERT_TRUE(apptest::PressCommand(dlg, ids::kExit));
    HWND question = app.WaitMessageBox("Restart Windows?");
    ASSERT_TRUE(question != NULL);
    ASSERT_TRUE(apptest::PressCommand(question, IDNO));
    DWORD code = 1;
    EXPECT_TRUE(app.WaitExit(20000, &code));
    EXPECT_EQ(0u, code);
}

// What the family's tools left, with the tools' folders below `toolsBase`
// (a drive such as "C:", or a folder).
void ExpectInstalled(int family, const std::string& toolsBase) {
    const char f = static_cast<char>('0' + family);
    for (const FileExpectation& e : kFiles) {
        if (!strchr(e.families, f)) continue;
        const std::string path = Expand(e.path, toolsBase);
        if (!e.text) {
            EXPECT_FALSE(FileExists(path) || kvttest::DirExists(path)) << path << " should be absent";
        } else {
            ASSERT_TRUE(FileExists(path)) << path;
            EXPECT_NE(std::string::npos, ReadFile(path).find(e.text)) << path << " lacks " << e.text;
        }
    }
    for (const RegExpectation& e : kValues) {
        if (!strchr(e.families, f)) continue;
        EXPECT_EQ(e.value, RegValue(std::string(kToolKeys) + "\\" + e.key, e.name))
            << e.key << " " << e.name;
    }
    // The NSIS installers went where /D= said and registered that folder.
    for (const NsisTool& t : kNsisTools) {
        SCOPED_TRACE(t.product);
        const std::string key = std::string(kUninstallKeys) + "\\" + t.key;
        EXPECT_EQ(Expand(t.target, toolsBase), RegValue(key, "InstallLocation"));
        EXPECT_EQ("\"" + Expand(t.target, toolsBase) + "\\Uninstall.exe\"", RegValue(key, "UninstallString"));
        for (const std::string& folder : ProgramFilesFolders()) {
            const std::string fallback = folder + "\\Tarvo Kinetics\\" + t.product;
            EXPECT_FALSE(kvttest::DirExists(fallback)) << fallback;
        }
    }
    // The user's choices under the project's key, as Install stores them.
    const std::string settings = std::string("SOFTWARE\\Tarvo Kinetics\\") + kProject;
    EXPECT_EQ(kUser, RegValue(settings, "Name"));
    EXPECT_EQ(kCompany, RegValue(settings, "Company"));
    EXPECT_EQ(toolsBase + "\\", RegValue(settings, "Drive"));
    EXPECT_EQ("dword:0", RegValue(settings, "Language"));
}

}  // namespace

TEST_P(SampleMedium, EveryOfferedToolInstallsWhatItsFamilyMustGet) {
    // The target drive is the test's folder (the drive box takes any text),
    // so the tools' folders are its own.
    apptest::AppProcess app(exe_, medium_);
    InstallThroughDialog(app, GetParam().number, base_ + "\\");
    ExpectInstalled(GetParam().number, base_);
}

// The answers an administrator would write: every tool of the medium, also
// those this family is not offered. The run installs the same, with no
// window needing an answer, and tells that Windows must be restarted.
TEST_P(SampleMedium, UnattendedRunInstallsTheSame) {
    std::string tools;
    for (const char* section : kToolSections) tools += std::string(tools.empty() ? "" : ",") + section;
    const std::string answers = base_ + "\\answers.ini";
    kvttest::WriteFile(answers, std::string("[Answers]\r\nProject=") + kProject + "\r\nName=" + kUser +
                                    "\r\nCompany=" + kCompany + "\r\nDrive=C:\\\r\nLanguage=0\r\nTools=" +
                                    tools + "\r\n");
    const std::string log = base_ + "\\install.log";
    apptest::AppProcess app(exe_, medium_, "/UNATTENDED=\"" + answers + "\" /LOG=\"" + log + "\"");
    DWORD code = 0;
    ASSERT_TRUE(app.WaitExit(240000, &code)) << ReadFile(log);
    EXPECT_EQ(3010u, code) << ReadFile(log);
    ExpectInstalled(GetParam().number, "C:");

    const std::string text = ReadFile(log);
    const int family = GetParam().number;
    for (int i = 0; i < 9; ++i) {
        const std::string name = kToolNames[i];
        const std::string outcome = kOffers[family - 1][i] ? name + ": result: installed"
                                                           : name + ": skipped, not offered on";
        EXPECT_NE(std::string::npos, text.find(outcome)) << outcome << "\n" << text;
    }
    EXPECT_NE(std::string::npos, text.find("Exit code 3010")) << text;
}

// Answers recorded from the dialog, driven as a user would, replay to the
// same installation. One family is enough: the unattended run of every
// family is the test above.
TEST_P(SampleMedium, RecordedAnswersReplayToTheSameInstallation) {
    if (GetParam().number != 3) GTEST_SKIP() << "recorded and replayed under nt40 only";
    const std::string recorded = base_ + "\\recorded.ini";
    {
        apptest::AppProcess app(exe_, medium_, "/RECORD=\"" + recorded + "\"");
        InstallThroughDialog(app, GetParam().number, "C:\\");
    }
    std::string tools;
    for (int i = 0; i < 9; ++i)
        if (kOffers[GetParam().number - 1][i]) tools += std::string(tools.empty() ? "" : ",") + kToolSections[i];
    const struct {
        const char* key;
        std::string value;
    } expected[] = {{"Project", kProject}, {"Name", kUser},  {"Company", kCompany},
                    {"Drive", "C:\\"},      {"Language", "0"}, {"Tools", tools},
                    {"Backup", "No"},        {"SetupTimeout", "60"}};
    for (const auto& e : expected) {
        char value[512] = "";
        GetPrivateProfileStringA("Answers", e.key, "(missing)", value, sizeof value, recorded.c_str());
        EXPECT_EQ(e.value, value) << e.key;
    }

    RemoveLeftovers();
    runsummary::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string("SOFTWARE\\Tarvo Kinetics\\") + kProject, 0);
    apptest::AppProcess replay(exe_, medium_, "/UNATTENDED=\"" + recorded + "\"");
    DWORD code = 0;
    ASSERT_TRUE(replay.WaitExit(240000, &code));
    EXPECT_EQ(3010u, code);
    ExpectInstalled(GetParam().number, "C:");
}

INSTANTIATE_TEST_SUITE_P(Families, SampleMedium, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.name); });

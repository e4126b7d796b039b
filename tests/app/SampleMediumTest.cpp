// The sample medium of examples/medium, every offered tool through its
// install job under each Windows family, with the stand-in setup copied in
// as scripts/run.sh does: each job succeeds, each setup leaves its main
// file, staged files go or stay as the tool's CopyFiles says, the registry
// files land, and the project file groups place their family variants,
// English overlays, renamed and rewritten files. The install run and its
// windows are not involved: the job runs on a host of this test.
#include "Catalogue.h"
#include "JobHost.h"
#include "RunSummary.h"
#include "ToolInstallJob.h"
#include "Varnet01.h"
#include "WindowsFamily.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using kvttest::FileExists;
using kvttest::ReadFile;

namespace {

const char kProject[] = "MediumTest";
const char kUser[] = "Jo Sample";
const char kCompany[] = "Sample Works";
const char kToolKeys[] = "SOFTWARE\\Tarvo Kinetics\\Sample";

// Stands in for the progress window: a repaint ends with the job's paint
// hook, ticks come when the test delivers them.
class Host : public JobHost {
public:
    explicit Host(CToolInstallJob& job) : job_(job) { job.SetHost(*this); }
    void RepaintNow() override { job_.OnPainted(); }
    void Close(int result) override { closes.push_back(result); }
    void StartTimer(unsigned) override { timer = true; }
    void StopTimer() override { timer = false; }
    void ShowMessage(const char* text, const char*, unsigned) override { messages.push_back(text); }

    std::vector<int> closes;
    std::vector<std::string> messages;
    bool timer = false;

private:
    CToolInstallJob& job_;
};

void CopyTree(const std::string& from, const std::string& to) {
    kvttest::MakeDirs(to);
    WIN32_FIND_DATAA e;
    HANDLE find = FindFirstFileA((from + "\\*.*").c_str(), &e);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = e.cFileName;
        if (name == "." || name == "..") continue;
        if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + "\\" + name, to + "\\" + name);
        else
            CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    } while (FindNextFileA(find, &e));
    FindClose(find);
}

std::string ProgramName() {
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof exe);
    std::string name = exe;
    name = name.substr(name.find_last_of('\\') + 1);
    return name.substr(0, name.rfind('.'));
}

std::string Folder(int kind) {
    char buf[MAX_PATH] = "";
    if (kind == 0)
        GetWindowsDirectoryA(buf, sizeof buf);
    else
        GetSystemDirectoryA(buf, sizeof buf);
    return buf;
}

// A string or dword value in either registry view (the registry editor
// that applies NT.REG files may be a 64-bit program).
std::string RegValue(const std::string& key, const char* name) {
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
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
    // Trakset: /S /D=, CopyFiles 2 keeps the staged copies.
    {"123", "T\\Trakset\\Recorder.exe", ""},
    {"123", "T\\Trakset\\TRAKSETSETUP.EXE", ""},
    {"123", "T\\Trakset\\TRAKSET.REG", ""},
    {"123", "P\\Recordings\\Readme.txt", ""},
    // Lapvue: like Trakset, cleaned up; English help.
    {"123", "T\\Lapvue\\Viewer.exe", ""},
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

class SampleMedium : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        base_ = scratch_.path();
        medium_ = scratch_ / "medium";
        std::string source = KVT_MEDIUM_DIR;
        for (char& c : source)
            if (c == '/') c = '\\';
        CopyTree("Z:" + source, medium_);
        ASSERT_TRUE(FileExists(medium_ + "\\KVTInstall.ini")) << "no medium at Z:" << source;
        // The stand-in setups, where run.sh puts them; each records its run.
        std::ifstream list(("Z:" + source + "\\stand-ins.txt").c_str());
        for (std::string line; std::getline(list, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '#') continue;
            for (char& c : line)
                if (c == '/') c = '\\';
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
        kvttest::WriteFile(medium_ + "\\" + ProgramName() + ".ini",
                           ReadFile(medium_ + "\\KVTInstall.ini"));
        GetCurrentDirectoryA(sizeof oldCwd_, oldCwd_);
        SetCurrentDirectoryA(medium_.c_str());
        oldFamily_ = WindowsFamily;
        RemoveLeftovers();
    }
    void TearDown() override {
        WindowsFamily = oldFamily_;
        SetCurrentDirectoryA(oldCwd_);
        RemoveLeftovers();
    }

    // What the medium places outside the test's folder.
    void RemoveLeftovers() {
        kvttest::RemoveTree(std::string("C:\\Tarvo\\") + kProject);
        DeleteFileA("C:\\Tarvo\\Kitbay.ini");
        kvttest::RemoveTree("C:\\Tarvo\\Shared");
        RemoveDirectoryA("C:\\Tarvo");
        for (const char* f : {"KVTDES.INI"}) DeleteFileA((Folder(0) + "\\" + f).c_str());
        for (const char* f : {"KVTDES9X.DAT", "KVTDESNT.DAT", "KvtRt.ini", "KVTPORT.INI", "KVTPORT.TXT"})
            DeleteFileA((Folder(1) + "\\" + f).c_str());
        for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)})
            runsummary::DeleteKeyTree(HKEY_LOCAL_MACHINE, kToolKeys, view);
    }

    // Runs the job to its end as the progress window would; the result, or
    // 100 when it did not end in time.
    int RunJob(ToolRecord& tool) {
        CToolInstallJob job(tool);
        Host host(job);
        job.toolSourceFolder = medium_ + "\\" + tool.dir;
        job.targetFolder = base_ + "\\Tarvo\\" + (tool.installPath ? std::string(kProject) + "\\" : "") + tool.dir;
        job.projectName = kProject;
        job.german = 0;
        job.userName = kUser;
        job.company = kCompany;
        const std::string record = base_ + "\\" + tool.dir + ".run";
        if (job.Prepare()) {
            host.RepaintNow();
            const DWORD start = GetTickCount();
            bool waited = false;
            while (host.closes.empty() && host.timer && GetTickCount() - start < 60000) {
                if (job.phase == PhaseWaitSetup && job.delayCountdown <= 0) {
                    // Ticks come faster than the clock: let the setup run.
                    if (!waited) {
                        waited = true;
                        const DWORD since = GetTickCount();
                        while (ReadFile(record).find("Exited=") == std::string::npos &&
                               GetTickCount() - since < 30000)
                            Sleep(50);
                    }
                    Sleep(20);
                }
                job.OnSupervisionTick(kJobTimer);
            }
        }
        for (const std::string& m : host.messages) ADD_FAILURE() << tool.name << ": notice " << m;
        return host.closes.empty() ? 100 : host.closes.front();
    }

    kvttest::TempDir scratch_{"medium"};
    std::string base_, medium_;
    char oldCwd_[MAX_PATH] = "";
    int oldFamily_ = 0;
};

std::string Expand(const char* path, const std::string& base) {
    const std::string rest = path + 1;
    switch (path[0]) {
    case 'T': return base + "\\Tarvo\\" + kProject + rest;
    case 'C': return base + "\\Tarvo" + rest;
    case 'P': return std::string("C:\\Tarvo\\") + kProject + rest;
    case 'D': return "C:\\Tarvo" + rest;
    case 'W': return Folder(0) + rest;
    default: return Folder(1) + rest;
    }
}

}  // namespace

TEST_P(SampleMedium, EveryOfferedToolInstallsWhatItsFamilyMustGet) {
    const int family = GetParam();
    WindowsFamily = family;
    CIniData config;
    const int count = config.GetNumberOfSections();
    ASSERT_EQ(9, count);
    std::vector<ToolRecord> tools(static_cast<size_t>(count));
    std::vector<std::string> offered;
    for (int n = 1; n <= count; ++n) {
        CIniData ini;
        ToolRecord& tool = tools[static_cast<size_t>(n - 1)];
        if (!ReadToolRecord(ini, n, family, tool)) continue;
        offered.push_back(tool.dir);
        EXPECT_EQ(-1, RunJob(tool)) << tool.name;
    }
    const std::vector<std::vector<std::string>> expectedOffers = {
        {"Designer", "Qev", "Trakset", "Lapvue", "Components", "Drivers9x", "Reports", "Samples"},
        {"Designer", "Qev", "Trakset", "Lapvue", "Components", "Ulvan", "Drivers9x", "Reports", "Samples"},
        {"Designer", "Qev", "Trakset", "Lapvue", "Components", "Ulvan", "Reports", "Samples"}};
    EXPECT_EQ(expectedOffers[static_cast<size_t>(family - 1)], offered);

    const char f = static_cast<char>('0' + family);
    for (const FileExpectation& e : kFiles) {
        if (!strchr(e.families, f)) continue;
        const std::string path = Expand(e.path, base_);
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
}

INSTANTIATE_TEST_SUITE_P(Families, SampleMedium, ::testing::Values(1, 2, 3),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 1   ? "Win95"
                                                : info.param == 2 ? "Win98"
                                                                  : "NT");
                         });

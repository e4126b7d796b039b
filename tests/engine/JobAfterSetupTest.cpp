// Phases 4 and 5: registry files, the outcome, what is removed and what
// stays, and where the project file groups go.
#include "JobTestSupport.h"

#include "Varnet01.h"
#include "WinHandles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace jobtest;
using kvttest::DirExists;
using kvttest::FileExists;
using kvttest::ReadFile;

namespace {

std::string RegString(const kvttest::ScratchKey& key, const char* name) {
    win::RegKey k;
    if (RegOpenKeyExA(key.root(), key.path().c_str(), 0, KEY_READ, k.receive()) != ERROR_SUCCESS)
        return "(no key)";
    char data[256];
    DWORD size = sizeof data, type = 0;
    if (RegQueryValueExA(k.get(), name, NULL, &type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return "(none)";
    return std::string(data);
}

}  // namespace

TEST(JobAfterSetup, CopyFilesDecidesWhatIsStagedRemovedAndKept) {
    struct Case {
        int copyFiles;
        bool staged;     // the setup ran from a staged copy in the target
        bool removed;    // staged files and list gone afterwards
    } cases[] = {{0, false, false}, {1, true, true}, {2, true, false}, {-1, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "CopyFiles " << c.copyFiles);
        Scene s("Alpha");
        s.tool.file = "Alpha.exe";
        s.tool.copyFiles = c.copyFiles;
        s.AddSetup();
        s.SetupOption("MainFile", "Alpha.exe");
        Put(s.source + "\\data1.cab", "cab");
        ASSERT_TRUE(s.Start());
        ASSERT_TRUE(s.FinishAfterSetupRan());
        EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);
        ASSERT_EQ(1u, s.Runs().size());
        EXPECT_TRUE(EqualsNoCase(c.staged ? s.target : s.source, s.Runs()[0].workingFolder));

        EXPECT_TRUE(FileExists(s.target + "\\Alpha.exe"));  // left by the setup
        const bool kept = c.staged && !c.removed;
        EXPECT_EQ(kept, FileExists(s.target + "\\DATA1.CAB"));
        EXPECT_EQ(kept, FileExists(s.target + "\\" + UpperAscii(s.tool.setup)));
        EXPECT_EQ(kept, FileExists(s.StagingList()));
        EXPECT_TRUE(s.host.messages.empty());
        // The medium is never touched.
        EXPECT_TRUE(FileExists(s.source + "\\data1.cab"));
    }
}

TEST(JobAfterSetup, ParkedMainFileDeletedOrMovedBack) {
    struct Case {
        const char* what;
        bool setupLeavesFile;
        int code;
        const char* mainFileAfter;  // content, "" for none
    } cases[] = {
        {"good setup", true, ResultSuccess, "KVT fake main file\r\n"},
        {"setup left no main file", false, ResultSetupIncomplete, "earlier"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Alpha");
        s.tool.file = "Tool.exe";
        s.AddSetup();
        if (c.setupLeavesFile) s.SetupOption("MainFile", "Tool.exe");
        Put(s.target + "\\Tool.exe", "earlier");
        ASSERT_TRUE(s.Start());
        EXPECT_TRUE(FileExists(s.target + "\\_~Tool.exe"));  // parked during the setup
        ASSERT_TRUE(s.FinishAfterSetupRan());
        EXPECT_EQ(std::vector<int>{c.code}, s.host.closes);
        EXPECT_EQ(c.setupLeavesFile ? 1 : 0, s.job.setupComplete);
        EXPECT_EQ(c.mainFileAfter, ReadFile(s.target + "\\Tool.exe"));
        EXPECT_FALSE(FileExists(s.target + "\\_~Tool.exe"));
        EXPECT_TRUE(s.host.messages.empty());
    }
}

// A file of the user's in the target folder under the name of a setup file:
// phase 1 and phase 4 run alone, and between them the test plays the setup.
TEST(JobAfterSetup, UserFileUnderAStagedNameOutlivesTheStagedCopy) {
    struct Case {
        const char* what;
        const char* dir;
        int copyFiles;
        const char* name;        // relative to the target and the tool's folder
        const char* medium;      // the medium's file of that name
        const char* setup;       // what the setup writes over the staged copy; null: nothing
        enum { Leaves, Deletes, Holds } act;  // what else the setup does to the staged copy
        const char* after;       // the file's content afterwards
        const char* parkedAfter; // the "_~" file's content afterwards; null: none
    } cases[] = {
        {"readme", "D11", 1, "readme.txt", "medium readme", nullptr, Case::Leaves, "mine", nullptr},
        {"configuration file, rewritten while staged", "D11", 1, "setup.ini",
         "User=%%NAME%%\n", nullptr, Case::Leaves, "mine", nullptr},
        {"setup writes its own version", "D11", 1, "readme.txt", "medium readme",
         "setup's readme", Case::Leaves, "setup's readme", nullptr},
        {"setup writes its own of the same size", "D11", 1, "readme.txt", "medium readme",
         "MEDIUM README", Case::Leaves, "MEDIUM README", nullptr},
        {"setup deletes the staged copy", "D11", 1, "readme.txt", "medium readme", nullptr,
         Case::Deletes, "mine", nullptr},
        // A copy that can be neither read nor deleted is no proof of a new
        // version: the user's file stays parked.
        {"staged copy held open", "D11", 1, "readme.txt", "medium readme", nullptr, Case::Holds,
         "medium readme\r\n", "mine"},
        {"Ulvan subfolder", "Ulvan", 1, "W2KSUP\\ntdrv.dll", "medium dll", nullptr, Case::Leaves,
         "mine", nullptr},
        // Staged copies stay by design (a text file staged as a rewritten
        // configuration file); the user's file stays beside them.
        {"CopyFiles 2", "D11", 2, "readme.txt", "medium readme", nullptr, Case::Leaves,
         "medium readme\r\n", "mine"},
        {"CopyFiles 0", "D11", 0, "readme.txt", "medium readme", nullptr, Case::Leaves, "mine",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s(c.dir);  // a tool other than Ulvan has the main file Main.exe
        s.tool.copyFiles = c.copyFiles;
        Put(s.source + "\\" + s.tool.setup, "exe");
        Put(s.source + "\\" + c.name, c.medium);
        const std::string path = s.target + "\\" + c.name;
        const size_t slash = path.find_last_of('\\');
        const std::string parked = path.substr(0, slash + 1) + "_~" + UpperAscii(path.substr(slash + 1));
        Put(path, "mine");
        Put(s.target + "\\other.txt", "other");

        ASSERT_TRUE(s.job.Prepare());
        s.host.drive = false;
        s.job.lastStartedPhase = PhaseCopySetup;
        s.job.RunPhase();
        ASSERT_EQ(PhaseStartSetup, s.job.phase);
        if (c.copyFiles != 0) {
            EXPECT_NE("mine", ReadFile(path));  // the staged copy stands in
            EXPECT_EQ("mine", ReadFile(parked));
        }
        Put(s.target + "\\Main.exe", "main");
        if (c.setup) Put(path, c.setup);
        if (c.act == Case::Deletes) {
            ASSERT_TRUE(DeleteFileA(path.c_str()));
        }
        win::File hold;
        if (c.act == Case::Holds) {
            hold = win::File(CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
            ASSERT_TRUE(hold);
        }

        s.job.phase = s.job.lastStartedPhase = PhaseAfterSetup;
        s.job.RunPhase();
        hold.reset();
        EXPECT_EQ(PhaseProjectFiles, s.job.phase);
        EXPECT_EQ(c.after, ReadFile(path));
        EXPECT_EQ(c.parkedAfter != nullptr, FileExists(parked));
        if (c.parkedAfter) {
            EXPECT_EQ(c.parkedAfter, ReadFile(parked));
        }
        EXPECT_EQ("other", ReadFile(s.target + "\\other.txt"));
        // The other staged files and the list go, or stay, as before.
        EXPECT_EQ(c.copyFiles == 2, FileExists(s.target + "\\" + UpperAscii(s.tool.setup)));
        EXPECT_EQ(c.copyFiles == 2, FileExists(s.StagingList()));
        // Only a staged copy that is gone or cannot be deleted gets a notice.
        EXPECT_EQ(c.act == Case::Leaves ? 0u : 1u, s.host.messages.size());
    }
}

// The same with the stand-in setup really run from the staged copy.
TEST(JobAfterSetup, UserFileSurvivesARealSetup) {
    Scene s("D11");
    s.AddSetup();
    s.SetupOption("MainFile", "Main.exe");
    Put(s.source + "\\readme.txt", "medium readme");
    Put(s.target + "\\readme.txt", "mine");
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.FinishAfterSetupRan());
    EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);
    ASSERT_EQ(1u, s.Runs().size());
    EXPECT_TRUE(EqualsNoCase(s.target, s.Runs()[0].workingFolder));
    EXPECT_EQ("mine", ReadFile(s.target + "\\readme.txt"));
    EXPECT_FALSE(FileExists(s.target + "\\_~README.TXT"));
    EXPECT_FALSE(FileExists(s.target + "\\" + UpperAscii(s.tool.setup)));
    EXPECT_TRUE(s.host.messages.empty());
}

TEST(JobAfterSetup, UlvanFoldersGoWhenEmptyAndItsFilesGoToTargetWith21) {
    struct Case {
        const char* what;
        const char* setupWrites;  // a file the setup leaves in the target, or ""
        bool targetStays;
    } cases[] = {{"setup leaves nothing", "", false}, {"setup leaves a file", "ulvan.ini", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Ulvan");
        s.AddSetup();
        if (*c.setupWrites) s.SetupOption("MainFile", c.setupWrites);
        Put(s.source + "\\W2KSUP\\ntdrv.dll", "dll");
        Put(s.source + "\\Manuals\\Guide.pdf", "pdf");
        Put(s.source + "\\APPFiles\\app.bin", "app");
        ASSERT_TRUE(s.Start());
        EXPECT_TRUE(FileExists(s.target + "\\W2KSUP\\NTDRV.DLL"));
        ASSERT_TRUE(s.FinishAfterSetupRan());
        EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);
        EXPECT_FALSE(DirExists(s.target + "\\W2KSUP"));
        EXPECT_FALSE(DirExists(s.target + "\\Manuals"));
        EXPECT_EQ(c.targetStays, DirExists(s.target));
        EXPECT_EQ("app", ReadFile(s.target + "2.1\\app.bin"));
        EXPECT_TRUE(s.host.messages.empty());
    }
}

TEST(JobAfterSetup, StagedFileThatCannotBeDeletedGetsANoticeAndTheJobEnds) {
    Scene s("Alpha");
    s.tool.file = "Alpha.exe";
    s.AddSetup();
    s.SetupOption("MainFile", "Alpha.exe");
    Put(s.source + "\\data1.cab", "cab");
    Put(s.source + "\\data2.cab", "cab");
    ASSERT_TRUE(s.Start());
    // One staged file is held open without delete sharing, one is gone.
    const std::string held = s.target + "\\DATA1.CAB", gone = s.target + "\\DATA2.CAB";
    win::File hold(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
    ASSERT_TRUE(hold);
    ASSERT_TRUE(DeleteFileA(gone.c_str()));
    ASSERT_TRUE(s.FinishAfterSetupRan());
    hold.reset();

    EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);
    ASSERT_EQ(2u, s.host.messages.size());
    std::vector<std::string> texts;
    for (const Message& m : s.host.messages) {
        EXPECT_EQ("Info", m.caption);
        EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), m.icon);
        texts.push_back(m.text);
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ((std::vector<std::string>{"Can not delete " + held + "!", "Can not delete " + gone + "!"}),
              texts);
    EXPECT_TRUE(FileExists(held));
    EXPECT_FALSE(FileExists(s.target + "\\" + UpperAscii(s.tool.setup)));
    EXPECT_FALSE(FileExists(s.StagingList()));
}

// Registry files named after Dir, in the folder where the setup ran; the
// NT.REG one goes through Wine's own Regedit, on the NT family only.
TEST(JobAfterSetup, RegistryFilesAndRegeditOnTheNtFamilyOnly) {
    struct Case {
        const char* what;
        WindowsFamily family;
        int copyFiles;
        const char* mediumName;  // the tool's folder name on the medium
        bool nt;
    } cases[] = {
        {"NT family", FamilyNT, 0, "Lapvue", true},
        {"NT family, folder with a blank", FamilyNT, 0, "Lap vue", true},
        {"Windows 98", FamilyWin98, 0, "Lap vue", false},
        {"Windows 95", FamilyWin95, 0, "Lapvue", false},
        {"NT family, files in the target", FamilyNT, 1, "Lapvue", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Lapvue");
        kvttest::ScratchKey key("JobReg");
        const std::string folder =
            c.copyFiles == 0 ? s.root / std::string("medium\\") + c.mediumName : s.target;
        const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + key.path() + "]\r\n";
        Put(folder + "\\Lapvue.REG", head + "\"plain\"=\"%%NAME%%\"\r\n");
        Put(folder + "\\Lapvue_V.REG", head + "\"version\"=\"v\"\r\n");
        Put(folder + "\\LapvueNT.REG", head + "\"nt\"=\"yes\"\r\n");
        Put(s.StagingList(), "");
        s.tool.copyFiles = c.copyFiles;
        s.job.toolSourceFolder = c.copyFiles == 0 ? folder : s.source;
        s.job.family = c.family;
        ASSERT_TRUE(s.job.Prepare());
        s.host.drive = false;
        s.job.phase = s.job.lastStartedPhase = PhaseAfterSetup;
        s.job.RunPhase();

        EXPECT_EQ(PhaseProjectFiles, s.job.phase);
        EXPECT_EQ("%%NAME%%", RegString(key, "plain"));  // the own parser knows no placeholders
        EXPECT_EQ("v", RegString(key, "version"));
        EXPECT_EQ(c.nt ? "yes" : "(none)", RegString(key, "nt"));
    }
}

// Phase 5 alone, with the Windows folders in scratch folders: each group's
// trees for the family and language, and the target each goes to.
TEST(JobProjectFiles, GroupsTheirTargetsVariantsAndOverlays) {
    struct Case {
        const char* what;
        const char* dir;
        WindowsFamily family;
        int german;
        // source folder name -> target ({T} the tool's target, {D} its drive
        // root, {P} the project, {W} and {S} the Windows and system folders)
        std::vector<std::pair<const char*, const char*>> order;
    } cases[] = {
        {"NT, English", "Alpha", FamilyNT, 0,
         {{"APPFiles", "{T}"}, {"APPFiles_e", "{T}"}, {"APPFilesNT", "{T}"}, {"APPFilesNT_e", "{T}"},
          {"TarvoFiles", "{D}Tarvo"}, {"TarvoFilesNT", "{D}Tarvo"},
          {"ProjektFiles", "{D}Tarvo\\{P}"}, {"ProjektFiles_e", "{D}Tarvo\\{P}"},
          {"WinFiles", "{W}"}, {"WinFilesNT_e", "{W}"},
          {"WinSysFiles", "{S}"}, {"WinSysFilesNT", "{S}"}}},
        {"Windows 95, German", "Alpha", FamilyWin95, 1,
         {{"APPFiles", "{T}"}, {"APPFiles_d", "{T}"}, {"APPFiles9x", "{T}"}, {"APPFiles95_d", "{T}"},
          {"TarvoFiles", "{D}Tarvo"},
          {"ProjektFiles", "{D}Tarvo\\{P}"}, {"ProjektFiles_d", "{D}Tarvo\\{P}"},
          {"WinFiles", "{W}"}, {"WinFiles95", "{W}"},
          {"WinSysFiles", "{S}"}, {"WinSysFiles_d", "{S}"}, {"WinSysFiles9x", "{S}"},
          {"WinSysFiles9x_d", "{S}"}, {"WinSysFiles95", "{S}"}, {"WinSysFiles95_d", "{S}"}}},
        {"Ulvan, NT, English", "Ulvan", FamilyNT, 0,
         {{"APPFiles", "{T}2.1"}, {"APPFiles_e", "{T}2.1"}, {"APPFilesNT", "{T}2.1"},
          {"APPFilesNT_e", "{T}2.1"}, {"TarvoFiles", "{D}Tarvo"}, {"TarvoFilesNT", "{D}Tarvo"},
          {"ProjektFiles", "{D}Tarvo\\{P}"}, {"ProjektFiles_e", "{D}Tarvo\\{P}"},
          {"WinFiles", "{W}"}, {"WinFilesNT_e", "{W}"},
          {"WinSysFiles", "{S}"}, {"WinSysFilesNT", "{S}"}}},
    };
    // Every folder the cases name, and some that no case may read.
    const char* folders[] = {
        "APPFiles", "APPFiles_e", "APPFiles_d", "APPFilesNT", "APPFilesNT_e", "APPFiles9x",
        "APPFiles95_d", "APPFiles98", "TarvoFiles", "TarvoFilesNT", "TarvoFiles9x_x",
        "ProjektFiles", "ProjektFiles_e", "ProjektFiles_d", "ProjektFilesNTe", "WinFiles",
        "WinFilesNT_e", "WinFiles95", "WinFiles98_d", "WinSysFiles", "WinSysFiles_d",
        "WinSysFiles9x", "WinSysFiles9x_d", "WinSysFiles95", "WinSysFiles95_d", "WinSysFilesNT",
        "WinSysFilesNT_x"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s(c.dir);
        for (const char* f : folders) Put(s.source + "\\" + f + "\\" + f + ".bin", f);
        s.job.placeFiles = false;  // the Tarvo folders lie outside the scratch folder
        s.job.fakeFolders = true;
        s.job.windowsFolder[0] = s.root / "WIN";
        s.job.windowsFolder[1] = s.root / "WIN\\SYSTEM";
        s.job.language = (c.german ? LanguageGerman : LanguageEnglish);
        s.job.family = c.family;
        ASSERT_TRUE(s.job.Prepare());
        s.job.phase = s.job.lastStartedPhase = PhaseProjectFiles;
        s.job.RunPhase();
        EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);

        const std::string drive = s.target.substr(0, 3);
        std::vector<std::string> expected, got;
        for (const auto& o : c.order) {
            std::string dest = o.second;
            const std::pair<const char*, std::string> keys[] = {
                {"{T}", s.target}, {"{D}", drive}, {"{P}", s.job.projectName},
                {"{W}", s.job.windowsFolder[0]}, {"{S}", s.job.windowsFolder[1]}};
            for (const auto& k : keys) {
                size_t at = dest.find(k.first);
                if (at != std::string::npos) dest.replace(at, 3, k.second);
            }
            expected.push_back(std::string(o.first) + " -> " + dest);
        }
        for (const TestJob::Placed& p : s.job.placed)
            got.push_back(p.src.substr(s.source.size() + 1) + " -> " + p.dest);
        EXPECT_EQ(expected, got);

        RemoveDirectoryA((drive + "Tarvo\\" + s.job.projectName).c_str());
        RemoveDirectoryA((drive + "Tarvo").c_str());  // only when nothing else is there
    }
}

TEST(JobProjectFiles, UnknownWindowsFoldersLeaveTheirGroupsOut) {
    Scene s("Alpha");
    Put(s.source + "\\WinFiles\\w.bin", "w");
    Put(s.source + "\\WinSysFiles\\s.bin", "s");
    s.job.fakeFolders = true;  // both folders empty: unknown
    ASSERT_TRUE(s.job.Prepare());
    s.job.phase = s.job.lastStartedPhase = PhaseProjectFiles;
    s.job.RunPhase();
    EXPECT_EQ(std::vector<int>{ResultSuccess}, s.host.closes);
    EXPECT_TRUE(s.job.placed.empty());
    EXPECT_FALSE(FileExists(s.target.substr(0, 3) + "w.bin"));
    EXPECT_FALSE(FileExists("\\w.bin"));
}

// A file or folder of the group that cannot be placed ends the job with code
// 1, after every other file has been placed; no partial file stays.
TEST(JobProjectFiles, WhatCannotBePlacedEndsWithCode1AfterTheRest) {
    const std::string longName = std::string(150, 'n') + ".bin";
    struct Case {
        const char* what;
        const char* inTheWay;  // made in the tool's folder first: "dir:" a folder, "file:" a file
        bool longTarget;       // the tool's folder 100 characters deeper
        int code;
        const char* missing;   // relative to the tool's folder
    } cases[] = {
        {"all placed", "", false, ResultSuccess, ""},
        {"target path beyond MAX_PATH", "", true, ResultCannotWriteTarget, ""},
        {"a folder where a configuration file goes", "dir:cfg.ini", false,
         ResultCannotWriteTarget, "cfg.ini\\"},
        {"a folder where a binary goes", "dir:bin.dat", false, ResultCannotWriteTarget, "bin.dat\\"},
        {"a file where a folder goes", "file:sub", false, ResultCannotWriteTarget, "sub\\deep.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Alpha");
        const std::string app = s.source + "\\APPFiles";
        Put(app + "\\cfg.ini", "project=%%PROJEKT%%\n");
        Put(app + "\\bin.dat", "bytes");
        Put(app + "\\" + longName, "long");
        Put(app + "\\sub\\deep.bin", "deep");
        Put(app + "\\keep.bin", "kept");
        Put(app + "\\keep.ini", "k=%%PROJEKT%%\n");
        s.job.placeFiles = true;
        ASSERT_TRUE(s.job.Prepare());
        if (c.longTarget) s.job.targetFolder = s.target + "\\" + std::string(100, 't');
        // The short name stays within MAX_PATH wherever the folder is.
        const std::string tool = s.job.targetFolder;
        ASSERT_EQ(0, fCreatePath(tool.c_str()));
        const std::string way = c.inTheWay;
        if (way.compare(0, 4, "dir:") == 0) {
            ASSERT_EQ(0, fCreatePath((tool + "\\" + way.substr(4)).c_str()));
        } else if (way.compare(0, 5, "file:") == 0) {
            Put(tool + "\\" + way.substr(5), "in the way");
        }

        s.job.phase = s.job.lastStartedPhase = PhaseProjectFiles;
        s.job.RunPhase();
        EXPECT_EQ(std::vector<int>{c.code}, s.host.closes);

        EXPECT_EQ("kept", ReadFile(tool + "\\keep.bin"));
        EXPECT_EQ("k=" + s.job.projectName + "\r\n", ReadFile(tool + "\\keep.ini"));
        const std::string missing = c.missing;
        if (!missing.empty() && missing.back() != '\\') {
            EXPECT_FALSE(FileExists(tool + "\\" + missing));
        } else if (!missing.empty()) {
            EXPECT_TRUE(DirExists(tool + "\\" + missing.substr(0, missing.size() - 1)));
        }
        if (c.code == ResultSuccess) {
            EXPECT_EQ("bytes", ReadFile(tool + "\\bin.dat"));
            EXPECT_EQ("deep", ReadFile(tool + "\\sub\\deep.bin"));
            EXPECT_EQ("long", ReadFile(tool + "\\" + longName));
        }
        // Nothing written beside a target is left over.
        WIN32_FIND_DATAA found;
        win::FindHandle find(FindFirstFileA((tool + "\\kvt*.tmp").c_str(), &found));
        EXPECT_FALSE(find) << found.cFileName;
    }
}

// File groups, overlays, the breadth-first walk and the placing rules of
// InstallFile, on scratch media and targets.
#include "ProjectFilesTestUtil.h"
#include "WinHandles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using kvttest::DirExists;
using kvttest::FileExists;
using kvttest::MakeDirs;
using kvttest::ReadFile;
using kvttest::TempDir;
using kvttest::WriteFile;
using pftest::JobFixture;

namespace {

// A job that notes every file the walk places, with its source folder.
class RecordingJob : public CToolInstallJob {
public:
    explicit RecordingJob(ToolRecord& t) : CToolInstallJob(t) {}
    std::vector<std::pair<std::string, std::string>> placed;  // folder, name
    int InstallFile(const std::string& name, const std::string& dest,
                    const std::string& src) override {
        placed.emplace_back(src, name);
        return CToolInstallJob::InstallFile(name, dest, src);
    }
};

TEST(JoinPath, AddsOneBackslash) {
    struct Case {
        const char* folder;
        const char* name;
        const char* expected;
    } cases[] = {
        {"C:\\Tarvo", "a.ini", "C:\\Tarvo\\a.ini"},
        {"C:\\Tarvo\\", "a.ini", "C:\\Tarvo\\a.ini"},
        {"C:\\", "x", "C:\\x"},
        {"", "~KVTFile.tmp", "\\~KVTFile.tmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, JoinPath(c.folder, c.name)) << c.folder;
}

// Every variant and overlay folder of the group "APP" holds a marker file
// named after it and "last.bin" with its name as content.
TEST(FileGroup, FolderOrderForEachFamilyAndLanguage) {
    struct Case {
        WindowsFamily family;
        int german;
        std::vector<const char*> order;
    } cases[] = {
        {FamilyWin95, 0, {"APPFiles", "APPFiles_e", "APPFiles9x", "APPFiles9x_e", "APPFiles95", "APPFiles95_e"}},
        {FamilyWin95, 1, {"APPFiles", "APPFiles_d", "APPFiles9x", "APPFiles9x_d", "APPFiles95", "APPFiles95_d"}},
        {FamilyWin98, 0, {"APPFiles", "APPFiles_e", "APPFiles9x", "APPFiles9x_e", "APPFiles98", "APPFiles98_e"}},
        {FamilyWin98, 1, {"APPFiles", "APPFiles_d", "APPFiles9x", "APPFiles9x_d", "APPFiles98", "APPFiles98_d"}},
        {FamilyNT, 0, {"APPFiles", "APPFiles_e", "APPFilesNT", "APPFilesNT_e"}},
        {FamilyNT, 1, {"APPFiles", "APPFiles_d", "APPFilesNT", "APPFilesNT_d"}},
    };
    TempDir medium("group-medium");
    for (const char* variant : {"", "9x", "95", "98", "NT"}) {
        for (const char* overlay : {"", "_e", "_d"}) {
            std::string name = std::string("APPFiles") + variant + overlay;
            MakeDirs(medium / name);
            WriteFile(medium / name + "\\" + name + ".bin", name);
            WriteFile(medium / name + "\\last.bin", name);
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "family " << c.family << " german " << c.german);
        TempDir target("group-target");
        ToolRecord tool;
        RecordingJob job(tool);
        job.toolSourceFolder = medium.path();
        job.targetFolder = target.path();
        job.language = (c.german ? LanguageGerman : LanguageEnglish);
        job.phase = PhaseProjectFiles;
        job.family = c.family;
        job.CopyFileGroup("APP");

        std::vector<std::string> folders;
        for (const auto& p : job.placed)
            if (folders.empty() || folders.back() != p.first) folders.push_back(p.first);
        std::vector<std::string> expected;
        for (const char* f : c.order) expected.push_back(medium / f);
        EXPECT_EQ(expected, folders);
        // The last folder's overlay wins; nothing of the other folders lands.
        EXPECT_EQ(c.order.back(), ReadFile(target / "last.bin"));
        for (const char* variant : {"", "9x", "95", "98", "NT"}) {
            for (const char* overlay : {"", "_e", "_d"}) {
                std::string name = std::string("APPFiles") + variant + overlay;
                bool wanted = std::find_if(c.order.begin(), c.order.end(), [&](const char* o) {
                                  return name == o;
                              }) != c.order.end();
                EXPECT_EQ(wanted, FileExists(target / name + ".bin")) << name;
            }
        }
    }
}

TEST(FileGroup, MissingGroupCreatesNothing) {
    TempDir medium("nogroup-medium"), target("nogroup-target");
    MakeDirs(medium / "APPFiles");
    WriteFile(medium / "APPFiles\\a.bin", "a");
    JobFixture f(medium.path(), target / "not\\yet", PhaseProjectFiles);
    f.job.CopyFileGroup("Tarvo");
    EXPECT_FALSE(DirExists(target / "not"));
}

TEST(FileGroup, MediumNamesMatchWithoutRegardToCase) {
    TempDir medium("case-medium"), target("case-target");
    MakeDirs(medium / "projektfiles_D");
    WriteFile(medium / "projektfiles_D\\a.bin", "overlay");
    MakeDirs(medium / "PROJEKTFILESnt");
    WriteFile(medium / "PROJEKTFILESnt\\b.bin", "nt");
    JobFixture f(medium.path(), target.path(), PhaseProjectFiles);
    f.job.language = LanguageGerman;
    f.job.family = FamilyNT;
    f.job.CopyFileGroup("Projekt");
    EXPECT_EQ("overlay", ReadFile(target / "a.bin"));
    EXPECT_EQ("nt", ReadFile(target / "b.bin"));
}

// Files of a folder come before anything below it, level by level; empty
// folders at every depth arrive in the target.
TEST(TreeCopy, BreadthFirstAndEmptyFoldersCreated) {
    TempDir medium("bfs-medium"), target("bfs-target");
    const std::string src = medium / "Tree";
    struct File {
        const char* rel;
        int level;
    } files[] = {
        {"a0.bin", 0},          {"a1.txt", 0},
        {"s1\\b.bin", 1},       {"s2\\c.bin", 1},
        {"s1\\d1\\d.bin", 2},   {"s2\\d2\\e.bin", 2},
        {"s1\\d1\\x\\f.bin", 3}, {"s1\\d1\\x\\y\\g.bin", 4},
    };
    for (const File& f : files) {
        std::string p = src + "\\" + f.rel;
        MakeDirs(p.substr(0, p.rfind('\\')));
        WriteFile(p, f.rel);
    }
    const char* empties[] = {"e0", "s2\\e1", "s1\\d1\\e2\\e3"};
    for (const char* e : empties) MakeDirs(src + "\\" + e);

    ToolRecord tool;
    RecordingJob job(tool);
    job.phase = PhaseProjectFiles;
    job.CopyTreeOnce(target / "T", src);

    ASSERT_EQ(sizeof files / sizeof files[0], job.placed.size());
    int lastLevel = 0;
    for (const auto& p : job.placed) {
        std::string rel = (p.first + "\\" + p.second).substr(src.size() + 1);
        int level = static_cast<int>(std::count(rel.begin(), rel.end(), '\\'));
        EXPECT_GE(level, lastLevel) << rel << " placed after a deeper file";
        lastLevel = level;
        EXPECT_TRUE(FileExists(target / "T\\" + rel)) << rel;
    }
    for (const char* e : empties) EXPECT_TRUE(DirExists(target / "T\\" + e)) << e;
    EXPECT_EQ("s1\\d1\\x\\y\\g.bin", ReadFile(target / "T\\s1\\d1\\x\\y\\g.bin"));
}

TEST(TreeCopy, FolderThatCannotBeCreatedSkipsItsSubtree) {
    TempDir medium("skip-medium"), target("skip-target");
    MakeDirs(medium / "S\\blocked\\below");
    WriteFile(medium / "S\\blocked\\x.bin", "x");
    WriteFile(medium / "S\\blocked\\below\\y.bin", "y");
    WriteFile(medium / "S\\ok.bin", "ok");
    MakeDirs(target.path());
    WriteFile(target / "blocked", "a file where the folder should go");
    JobFixture f(medium.path(), target.path(), PhaseProjectFiles);
    f.job.CopyTreeOnce(target.path(), medium / "S");
    EXPECT_EQ("ok", ReadFile(target / "ok.bin"));
    EXPECT_EQ("a file where the folder should go", ReadFile(target / "blocked"));
}

// The renaming rules of each phase and the only-if-absent rule.
TEST(InstallFile, RenamingAndOnlyIfAbsent) {
    struct Case {
        int phase;
        const char* source;
        const char* existing;   // present in the target before, or null
        const char* stored;     // name expected in the target
        const char* content;    // expected content of `stored`
        int result;
    } cases[] = {
        {PhaseProjectFiles, "user.ini_", nullptr, "user.ini", "User=Ann\r\n", 1},
        {PhaseProjectFiles, "user.ini_", "user.ini", "user.ini", "kept", 1},
        {PhaseProjectFiles, "user.ini_", "USER.INI", "user.ini", "kept", 1},
        {PhaseProjectFiles, "user.ini", "user.ini", "user.ini", "User=Ann\r\n", 1},
        {PhaseProjectFiles, "tool.dll_", nullptr, "tool.dll", "User=%%NAME%%", 1},
        {PhaseProjectFiles, "SETUP.EX_", nullptr, "SETUP.EX", "User=%%NAME%%", 1},
        {PhaseCopySetup, "SETUP.EX_", nullptr, "SETUP.EXE", "User=%%NAME%%", 1},
        {PhaseCopySetup, "DISK1SETUP.EX_", nullptr, "DISK1SETUP.EXE", "User=%%NAME%%", 1},
        {PhaseCopySetup, "Setup.ex_", nullptr, "Setup.ex_", "User=%%NAME%%", 1},
        {PhaseCopySetup, "user.ini_", nullptr, "user.ini_", "User=%%NAME%%", 1},
        {PhaseCopySetup, "SETUP.INI", nullptr, "SETUP.INI", "User=Ann\r\n", 1},
        {PhaseAfterSetup, "SETUP.EX_", nullptr, "SETUP.EX_", "User=%%NAME%%", 1},
        {PhaseProjectFiles, "txt", nullptr, "txt", "User=Ann\r\n", 1},
        {PhaseProjectFiles, "_~_setup.ini", nullptr, "_~_setup.ini", "User=Ann\r\n", 1},
        {PhaseProjectFiles, "missing.bin", nullptr, "missing.bin", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "phase " << c.phase << " " << c.source);
        TempDir medium("if-medium"), target("if-target");
        if (std::string(c.source) != "missing.bin") WriteFile(medium / c.source, "User=%%NAME%%");
        if (c.existing) WriteFile(target / c.existing, "kept");
        JobFixture f(medium.path(), target.path(), c.phase);
        f.job.userName = "Ann";
        EXPECT_EQ(c.result, f.job.InstallFile(c.source, target.path(), medium.path()));
        if (c.content) {
            EXPECT_EQ(c.content, ReadFile(target / c.stored));
        } else {
            EXPECT_FALSE(FileExists(target / c.stored));
        }
        if (std::string(c.stored) != c.source && !c.existing) {
            EXPECT_FALSE(FileExists(target / c.source)) << "stored under its medium name too";
        }
    }
}

TEST(InstallFile, FolderOfTheTargetNameCountsAsPresent) {
    TempDir medium("folder-medium"), target("folder-target");
    WriteFile(medium / "data_", "x");
    MakeDirs(target / "data");
    JobFixture f(medium.path(), target.path(), PhaseProjectFiles);
    EXPECT_EQ(1, f.job.InstallFile("data_", target.path(), medium.path()));
    EXPECT_TRUE(DirExists(target / "data"));
}

// Plain copies keep the source's times; rewritten and drive-moved files
// carry the time of copying. No attribute of a CD's read-only file survives.
TEST(CopyBinaryFile, TimeStampsAndAttributes) {
    TempDir medium("time-medium"), target("time-target");
    const FILETIME accessed = pftest::MakeTime(2001, 3, 4);
    const FILETIME written = pftest::MakeTime(2001, 2, 3);
    const char* names[] = {"plain.bin", "conf.ini", "_~_moved.bin", "SETUP.EX_", "empty.bin"};
    for (const char* n : names) {
        WriteFile(medium / n, std::string(n) == "empty.bin" ? "" : "C:\\tarvo\\x");
        ASSERT_TRUE(pftest::SetTimes(medium / n, accessed, written));
        SetFileAttributesA((medium / n).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    JobFixture f(medium.path(), target.path(), PhaseCopySetup);
    for (const char* n : names) EXPECT_EQ(1, f.job.InstallFile(n, target.path(), medium.path())) << n;

    struct Expect {
        const char* stored;
        bool sourceTimes;
    } expect[] = {{"plain.bin", true}, {"SETUP.EXE", true}, {"empty.bin", true},
                  {"conf.ini", false}, {"moved.bin", false}};
    for (const Expect& e : expect) {
        SCOPED_TRACE(e.stored);
        FILETIME a, w;
        ASSERT_TRUE(pftest::GetTimes(target / e.stored, a, w));
        if (e.sourceTimes) {
            EXPECT_EQ(0, CompareFileTime(&w, &written));
            EXPECT_EQ(0, CompareFileTime(&a, &accessed));
        } else {
            EXPECT_LT(pftest::AgeSeconds(w), 600.0);
        }
        DWORD attr = GetFileAttributesA((target / e.stored).c_str());
        EXPECT_EQ(0u, attr & FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_EQ("", ReadFile(target / "empty.bin"));
    EXPECT_TRUE(FileExists(target / "empty.bin"));
    EXPECT_EQ("C:\\tarvo\\x", ReadFile(target / "SETUP.EXE"));
}

TEST(CopyBinaryFile, UnreadableSourceOrReadOnlyTargetChangesNothing) {
    TempDir medium("fail-medium"), target("fail-target");
    WriteFile(medium / "locked.bin", "new");
    WriteFile(medium / "ro.bin", "new");
    WriteFile(medium / "ro.ini", "new");
    WriteFile(target / "ro.bin", "old");
    WriteFile(target / "ro.ini", "old");
    SetFileAttributesA((target / "ro.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((target / "ro.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    JobFixture f(medium.path(), target.path(), PhaseProjectFiles);
    {
        // Somebody holds the source open without letting others read it.
        win::File lock(CreateFileA((medium / "locked.bin").c_str(), GENERIC_READ, 0, NULL,
                                   OPEN_EXISTING, 0, NULL));
        ASSERT_TRUE(lock.valid());
        EXPECT_EQ(0, f.job.InstallFile("locked.bin", target.path(), medium.path()));
    }
    EXPECT_FALSE(FileExists(target / "locked.bin"));
    EXPECT_EQ(0, f.job.InstallFile("ro.bin", target.path(), medium.path()));
    EXPECT_EQ(0, f.job.InstallFile("ro.ini", target.path(), medium.path()));
    EXPECT_EQ("old", ReadFile(target / "ro.bin"));
    EXPECT_EQ("old", ReadFile(target / "ro.ini"));
}

// A source another program keeps open for writing is still read; a file
// placed onto itself (source and target folder the same) is refused, not
// emptied.
TEST(InstallFile, FilesOpenElsewhere) {
    struct Case {
        const char* name;
        bool sameFolder;
        int result;
        const char* stored;  // content of the target afterwards
    } cases[] = {
        {"log.bin", false, 1, "line 1\r\n"},
        {"log.ini", false, 1, "line 1\r\n"},
        {"self.bin", true, 0, "line 1\r\n"},
        {"self.ini", true, 0, "line 1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir medium("shared-medium"), target("shared-target");
        WriteFile(medium / c.name, "line 1\r\n");
        const std::string dest = c.sameFolder ? medium.path() : target.path();
        JobFixture f(medium.path(), dest, PhaseProjectFiles);
        int result;
        if (c.sameFolder) {
            result = f.job.InstallFile(c.name, dest, medium.path());
        } else {
            // Held open the way a program appending to its log holds it.
            win::File writer(CreateFileA((medium / c.name).c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                                         NULL));
            ASSERT_TRUE(writer.valid());
            result = f.job.InstallFile(c.name, dest, medium.path());
        }
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.stored, ReadFile(dest + "\\" + c.name));
        EXPECT_EQ("line 1\r\n", ReadFile(medium / c.name));
    }
}

// A tree with a read-only target file and an empty file: the walk goes on
// past the file it cannot write.
TEST(TreeCopy, WalkGoesOnPastAFileItCannotWrite) {
    TempDir medium("goon-medium"), target("goon-target");
    MakeDirs(medium / "S\\sub");
    WriteFile(medium / "S\\a.bin", "a");
    WriteFile(medium / "S\\b.bin", "b");
    WriteFile(medium / "S\\sub\\zero.bin", "");
    WriteFile(target / "a.bin", "old");
    SetFileAttributesA((target / "a.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    JobFixture f(medium.path(), target.path(), PhaseProjectFiles);
    f.job.CopyTreeOnce(target.path(), medium / "S");
    EXPECT_EQ("old", ReadFile(target / "a.bin"));
    EXPECT_EQ("b", ReadFile(target / "b.bin"));
    EXPECT_TRUE(FileExists(target / "sub\\zero.bin"));
}

// The family comes from the system when nobody set it: the probe runs under
// each Windows version Wine can report.
TEST(FileGroup, FamilyFromTheRunningWindowsVersion) {
    struct Case {
        const char* version;
        DWORD family;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    } cases[] = {
        {"win95", FamilyWin95, {"APPFiles", "APPFiles9x", "APPFiles95"}, {"APPFiles98", "APPFilesNT"}},
        {"win98", FamilyWin98, {"APPFiles", "APPFiles9x", "APPFiles98"}, {"APPFiles95", "APPFilesNT"}},
        {"nt40", FamilyNT, {"APPFiles", "APPFilesNT"}, {"APPFiles9x", "APPFiles95", "APPFiles98"}},
    };
    TempDir medium("fam-medium");
    for (const char* v : {"APPFiles", "APPFiles9x", "APPFiles95", "APPFiles98", "APPFilesNT"}) {
        MakeDirs(medium / v);
        WriteFile(medium / v + "\\" + v + ".bin", v);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        TempDir target("fam-target");
        std::string name = kvttest::UniqueName("famprobe") + ".exe";
        std::string exe = kvttest::BinDir() + "\\" + name;
        ASSERT_TRUE(CopyFileA((kvttest::BinDir() + "\\FamilyGroupProbe.exe").c_str(), exe.c_str(), FALSE));
        kvttest::SetWineVersionFor(name, c.version);
        kvttest::RunResult r = kvttest::RunProgram(
            exe, name + " \"" + medium.path() + "\" \"" + target.path() + "\"", target.path());
        kvttest::SetWineVersionFor(name, nullptr);
        DeleteFileA(exe.c_str());
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(c.family, r.exitCode);
        for (const char* p : c.present) EXPECT_TRUE(FileExists(target / p + ".bin")) << p;
        for (const char* a : c.absent) EXPECT_FALSE(FileExists(target / a + ".bin")) << a;
    }
}

}  // namespace

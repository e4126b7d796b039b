// The backup copy itself, in this process: what a tree copy takes and leaves,
// its failures and the abort flag, and the backup folder's name.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <ctime>
#include <string>

#include "BackupCopy.h"
#include "BackupOffer.h"
#include "TestSupport.h"

using kvttest::DirExists;
using kvttest::FileExists;
using kvttest::MakeDirs;
using kvttest::ReadFile;
using kvttest::TempDir;
using kvttest::WriteFile;

namespace {

const char kExclusions[] = "*.bin, *.tmp";

struct Entry {
    const char* path;   // below the tree's root; a trailing "\" makes a folder
    bool kept;          // expected in the backup
};

void Build(const std::string& root, const Entry* entries, size_t n) {
    MakeDirs(root);
    for (size_t i = 0; i < n; ++i) {
        std::string p = root + "\\" + entries[i].path;
        if (p.back() == '\\') {
            MakeDirs(p.substr(0, p.size() - 1));
        } else {
            MakeDirs(p.substr(0, p.rfind('\\')));
            WriteFile(p, std::string("content of ") + entries[i].path);
        }
    }
}

TEST(BackupCopy, TakesTheTreeWithoutExcludedFilesAndDotNames) {
    const Entry entries[] = {
        {"app.exe", true},
        {"Old.BIN", true},            // marks compare case-sensitively
        {"data.bin", false},
        {"cache.tmp", false},
        {"notes.tmp.txt", false},     // a mark anywhere in the path
        {"x.bin\\", true},            // folders are made ...
        {"x.bin\\inner.txt", false},  // ... but their path carries the mark
        {".hidden", false},
        {".config\\", false},
        {".config\\settings.ini", false},
        {"sub\\deep\\keep.txt", true},
        {"sub\\deep\\.dotfile", false},
        {"sub\\empty\\", true},
    };
    TempDir dir("bcopy");
    const std::string source = dir / "Alpha", backup = dir / "Alpha_backup";
    Build(source, entries, sizeof entries / sizeof entries[0]);
    const std::atomic<unsigned char> abort{0};

    EXPECT_EQ(0u, CopyTree(source, backup, kExclusions, abort));
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.path);
        std::string p = backup + "\\" + e.path;
        if (p.back() == '\\') {
            EXPECT_EQ(e.kept, DirExists(p.substr(0, p.size() - 1)));
        } else {
            EXPECT_EQ(e.kept, FileExists(p));
            if (e.kept) {
                EXPECT_EQ(std::string("content of ") + e.path, ReadFile(p));
            }
        }
    }
    // The source is untouched.
    EXPECT_TRUE(FileExists(source + "\\data.bin"));
}

TEST(BackupCopy, AMarkInTheSourceFolderItselfLeavesOnlyFolders) {
    TempDir dir("bcopy");
    const std::string source = dir / "tool.bin.d", backup = dir / "copy";
    const Entry entries[] = {{"a.txt", false}, {"sub\\b.txt", false}};
    Build(source, entries, 2);
    const std::atomic<unsigned char> abort{0};
    EXPECT_EQ(0u, CopyTree(source, backup, kExclusions, abort));
    EXPECT_TRUE(DirExists(backup + "\\sub"));
    EXPECT_FALSE(FileExists(backup + "\\a.txt"));
    EXPECT_FALSE(FileExists(backup + "\\sub\\b.txt"));
}

TEST(BackupCopy, FailuresReportTheSystemsCode) {
    TempDir dir("bcopy");
    const std::string source = dir / "Alpha";
    const Entry entries[] = {{"app.exe", true}, {"sub\\locked.dat", true}};
    Build(source, entries, 2);
    const std::atomic<unsigned char> go{0}, stop{1};

    // The backup folder exists already (a backup of the same second).
    MakeDirs(dir / "exists");
    WriteFile(dir / "exists\\mine.txt", "mine");
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), CopyTree(source, dir / "exists", kExclusions, go));
    EXPECT_FALSE(FileExists(dir / "exists\\app.exe"));
    EXPECT_EQ("mine", ReadFile(dir / "exists\\mine.txt"));

    // Only one level is made.
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), CopyTree(source, dir / "no\\such", kExclusions, go));

    // Stopped before the first entry.
    EXPECT_EQ(DWORD(ERROR_OPERATION_ABORTED), CopyTree(source, dir / "stopped", kExclusions, stop));
    EXPECT_TRUE(DirExists(dir / "stopped"));
    EXPECT_FALSE(FileExists(dir / "stopped\\app.exe"));

    // A file in a sub-folder that cannot be read: the sub-copy's own code
    // reaches the caller, whatever the listing did to the last error since.
    HANDLE locked = CreateFileA((source + "\\sub\\locked.dat").c_str(), GENERIC_READ, 0, NULL,
                                OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), CopyTree(source, dir / "locked", kExclusions, go));
    CloseHandle(locked);
}

TEST(BackupCopy, FolderNameCarriesTheLocalTimeStamp) {
    struct Case {
        int year, month, day, hour, minute, second;
        const char* source;
        const char* expected;
    } cases[] = {
        {2007, 10, 16, 14, 30, 5, "C:\\Tarvo\\KVT\\Alpha", "C:\\Tarvo\\KVT\\Alpha_backup_071016_143005"},
        {2000, 1, 2, 3, 4, 5, "D:\\Tarvo\\Beta", "D:\\Tarvo\\Beta_backup_000102_030405"},
        {1999, 12, 31, 23, 59, 59, "X", "X_backup_991231_235959"},
        {2026, 7, 1, 0, 0, 0, "C:\\Tarvo\\P Q\\Ulvan", "C:\\Tarvo\\P Q\\Ulvan_backup_260701_000000"},
    };
    for (const Case& c : cases) {
        std::tm when = {};
        when.tm_year = c.year - 1900;
        when.tm_mon = c.month - 1;
        when.tm_mday = c.day;
        when.tm_hour = c.hour;
        when.tm_min = c.minute;
        when.tm_sec = c.second;
        EXPECT_EQ(c.expected, BackupFolderName(c.source, when));
    }
}

TEST(BackupOffer, OnlyAPlainFolderIsOffered) {
    // Wine keeps no read-only mark on folders, so the prompt tests cannot
    // make one; the rule itself is this.
    struct Case {
        DWORD attributes;
        bool offered;
    } cases[] = {
        {FILE_ATTRIBUTE_DIRECTORY, true},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY, false},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, false},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM, false},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE, false},
        {FILE_ATTRIBUTE_ARCHIVE, false},           // a file
        {FILE_ATTRIBUTE_NORMAL, false},
        {INVALID_FILE_ATTRIBUTES, false},          // missing
    };
    for (const Case& c : cases) EXPECT_EQ(c.offered, IsBackupCandidate(c.attributes)) << c.attributes;
}

}  // namespace

// The summary of scripts/run.sh: what counts as new or changed in a folder
// tree and in a registry key, and where a Windows path lies in the prefix.
#include "RunSummary.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace runsummary;
using kvttest::MakeDirs;
using kvttest::WriteFile;

namespace {

void SetWriteTime(const std::string& path, unsigned long long ticks) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(ticks);
    t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SetFileTime(h, NULL, NULL, &t);
    CloseHandle(h);
}

}  // namespace

TEST(RunSummary, FilesNewOrChangedInSizeOrTimeBelowEveryLevel) {
    kvttest::TempDir dir("sum");
    MakeDirs(dir / "sub\\deep");
    WriteFile(dir / "a.txt", "one");
    WriteFile(dir / "sub\\b.bin", "same");
    WriteFile(dir / "sub\\deep\\c.ini", "[x]");
    const unsigned long long t0 = 130000000000000000ULL;  // a fixed time, 2012
    SetWriteTime(dir / "sub\\deep\\c.ini", t0);
    const FileSnapshot before = SnapshotTree(dir.path());
    EXPECT_EQ(before.size(), 3u);

    WriteFile(dir / "a.txt", "longer");                 // size changed
    SetWriteTime(dir / "sub\\deep\\c.ini", t0 + 10000000);  // same size, a second later
    WriteFile(dir / "sub\\new.txt", "");                 // new, empty
    MakeDirs(dir / "sub\\empty");                        // a folder is no file

    const std::vector<std::string> expected = {dir / "a.txt", dir / "sub\\deep\\c.ini",
                                               dir / "sub\\new.txt"};
    EXPECT_EQ(NewOrChanged(before, SnapshotTree(dir.path())), expected);
    // Names differing only in case are the same file.
    FileSnapshot upper;
    for (const auto& e : SnapshotTree(dir.path())) {
        std::string path = e.second.first;
        CharUpperBuffA(&path[0], static_cast<DWORD>(path.size()));
        upper[e.first] = std::make_pair(path, e.second.second);
    }
    EXPECT_TRUE(NewOrChanged(SnapshotTree(dir.path()), upper).empty());

    const std::vector<std::string> all = {dir / "a.txt", dir / "sub\\b.bin",
                                          dir / "sub\\deep\\c.ini", dir / "sub\\new.txt"};
    EXPECT_EQ(FilesBelow(dir.path()), all);
    EXPECT_TRUE(SnapshotTree(dir / "missing").empty());
    EXPECT_TRUE(FilesBelow(dir / "missing").empty());
}

TEST(RunSummary, RegistryValuesNewOrChangedInKeyAndSubkeys) {
    kvttest::ScratchKey key("sum");
    const std::string sub = key.path() + "\\Tool\\NT";
    HKEY h;
    ASSERT_EQ(RegCreateKeyExA(key.root(), key.path().c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &h,
                              NULL),
              ERROR_SUCCESS);
    DWORD one = 1, two = 2;
    RegSetValueExA(h, "Keep", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegSetValueExA(h, "N", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    const RegSnapshot before = SnapshotRegistry(key.root(), key.path(), 0);
    EXPECT_EQ(before.size(), 2u);

    RegSetValueExA(h, "N", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4);
    RegSetValueExA(h, "Keep", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);  // same again
    RegCloseKey(h);
    ASSERT_EQ(RegCreateKeyExA(key.root(), sub.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &h, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(h, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("default"), 8);
    RegSetValueExA(h, "Helper", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\x"), 5);
    RegSetValueExA(h, "Blob", 0, REG_BINARY, reinterpret_cast<const BYTE*>("ab"), 2);
    RegCloseKey(h);

    const std::string k = "HKEY_CURRENT_USER\\" + key.path();
    const std::vector<std::string> expected = {
        k + ": N = dword:00000002 (2)",
        k + "\\Tool\\NT: @ = \"default\"",
        k + "\\Tool\\NT: Blob = type 3, 2 bytes",
        k + "\\Tool\\NT: Helper = \"C:\\x\"",
    };
    EXPECT_EQ(NewOrChangedValues(before, SnapshotRegistry(key.root(), key.path(), 0),
                                 "HKEY_CURRENT_USER"),
              expected);

    EXPECT_TRUE(DeleteKeyTree(key.root(), key.path(), 0));
    EXPECT_NE(RegOpenKeyExA(key.root(), key.path().c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
    EXPECT_TRUE(SnapshotRegistry(key.root(), key.path(), 0).empty());
    EXPECT_TRUE(DeleteKeyTree(key.root(), key.path(), 0));  // already gone
}

TEST(RunSummary, UnixPathsInThePrefix) {
    const PathMap plain = {"C:\\windows\\system32", ""};
    const PathMap wow64 = {"C:\\windows\\system32", "C:\\windows\\syswow64"};
    const struct {
        const char* path;
        const PathMap* map;
        const char* unix;
    } cases[] = {
        {"C:\\Tarvo\\Sample\\Designer\\Designer.exe", &plain, "drive_c/Tarvo/Sample/Designer/Designer.exe"},
        {"D:\\Tarvo", &plain, "drive_d/Tarvo"},
        {"C:\\windows\\system32\\KvtRt.ini", &plain, "drive_c/windows/system32/KvtRt.ini"},
        {"C:\\windows\\system32\\KvtRt.ini", &wow64, "drive_c/windows/syswow64/KvtRt.ini"},
        {"c:\\WINDOWS\\System32", &wow64, "drive_c/windows/syswow64"},
        {"C:\\windows\\system32x\\a", &wow64, "drive_c/windows/system32x/a"},
        {"C:\\windows\\KVTDES.INI", &wow64, "drive_c/windows/KVTDES.INI"},
    };
    for (const auto& c : cases) EXPECT_EQ(UnixPath(c.path, *c.map), c.unix) << c.path;
}

TEST(RunSummary, BelowAFolderIsTheFolderOrInsideIt) {
    const struct {
        const char* path;
        const char* folder;
        bool below;
    } cases[] = {
        {"C:\\Tarvo\\Sample\\x", "C:\\Tarvo", true},
        {"C:\\TARVO", "c:\\tarvo\\", true},
        {"C:\\Tarvo2\\x", "C:\\Tarvo", false},
        {"C:\\Tar", "C:\\Tarvo", false},
        {"C:\\x", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsBelow(c.path, c.folder), c.below) << c.path << " " << c.folder;
}

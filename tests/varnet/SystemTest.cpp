// Windows version, directories, directory creation, free space and registry
// access of Varnet01, against the real Win32 services under Wine.
#include "Varnet01.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <string>

using kvttest::ScratchKey;
using kvttest::TempDir;

namespace {

std::string WithoutTrailingBackslash(std::string s) {
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

TEST(SystemInfo, VersionTexts) {
    EXPECT_STREQ("1.95 (08.08.2006)", fGetDLLVersion());
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(static_cast<int>(info.dwPlatformId), fGetWinVersion());
}

TEST(SystemInfo, PlatformFamilyUnderEachWindowsVersion) {
    // The probe copied under a name of its own, so Wine's per-program
    // version setting reaches only it.
    struct Case {
        const char* version;
        const char* expected;
    };
    const Case cases[] = {{"win95", "1"}, {"win98", "1"}, {"nt40", "2"}, {"", "2"}};
    TempDir dir("winver");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        std::string name = kvttest::UniqueName("winver") + ".exe";
        std::string exe = kvttest::BinDir() + "\\" + name;
        ASSERT_TRUE(CopyFileA((kvttest::BinDir() + "\\IniPathProbe.exe").c_str(), exe.c_str(), FALSE));
        kvttest::SetWineVersionFor(name, c.version);
        kvttest::RunResult r = kvttest::RunProgram(exe, name + " v.txt", dir.path());
        kvttest::SetWineVersionFor(name, nullptr);
        DeleteFileA(exe.c_str());
        ASSERT_TRUE(r.finished);
        std::string text = kvttest::ReadFile(dir / "v.txt");
        EXPECT_EQ(std::string(c.expected) + "\n", text.substr(text.rfind('\n', text.size() - 2) + 1));
    }
}

TEST(SystemInfo, DirectoriesWithoutTrailingBackslash) {
    char expected[MAX_PATH];
    GetWindowsDirectoryA(expected, sizeof expected);
    ASSERT_NE(nullptr, fGetWindowsDirectory(0));
    EXPECT_EQ(WithoutTrailingBackslash(expected), fGetWindowsDirectory(0));
    GetSystemDirectoryA(expected, sizeof expected);
    EXPECT_EQ(WithoutTrailingBackslash(expected), fGetWindowsDirectory(1));
    GetTempPathA(sizeof expected, expected);
    ASSERT_EQ('\\', expected[strlen(expected) - 1]);
    EXPECT_EQ(WithoutTrailingBackslash(expected), fGetWindowsDirectory(2));
    GetCurrentDirectoryA(sizeof expected, expected);
    EXPECT_EQ(WithoutTrailingBackslash(expected), fGetWindowsDirectory(3));

    EXPECT_EQ(nullptr, fGetWindowsDirectory(4));
    EXPECT_EQ(nullptr, fGetWindowsDirectory(-1));
}

TEST(SystemInfo, DriveRootAsWorkingDirectoryLosesItsBackslash) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    const char* cwd = fGetWindowsDirectory(3);
    std::string got = cwd ? cwd : "(null)";
    SetCurrentDirectoryA(saved);
    EXPECT_EQ("C:", got);
}

TEST(SystemInfo, SharedPathBufferIsOverwrittenByTheNextCall) {
    ScratchKey key("shared");
    ASSERT_EQ(1, fWriteRegistry(key.root(), key.path().c_str(), "Value", "registry text"));
    char* first = fGetRegistryEntry(key.root(), key.path().c_str(), "Value");
    ASSERT_NE(nullptr, first);
    EXPECT_STREQ("registry text", first);
    char* second = fGetWindowsDirectory(0);
    EXPECT_EQ(first, second);
    EXPECT_STRNE("registry text", first);
    EXPECT_EQ(second, fBuildPrivateIniFileName());
}

TEST(CreatePath, CreatesEveryMissingDirectory) {
    TempDir dir("mkpath");
    const std::string nested = dir / "A\\B\\C";
    EXPECT_EQ(0, fCreatePath(nested.c_str()));
    EXPECT_TRUE(kvttest::DirExists(dir / "A"));
    EXPECT_TRUE(kvttest::DirExists(nested));

    EXPECT_EQ(0, fCreatePath((dir / "D\\E\\").c_str()));  // trailing backslash
    EXPECT_TRUE(kvttest::DirExists(dir / "D\\E"));
    EXPECT_EQ(0, fCreatePath(nested.c_str()));            // all exist already
    EXPECT_EQ(0, fCreatePath((dir / "A\\\\F").c_str()));  // doubled separator
    EXPECT_TRUE(kvttest::DirExists(dir / "A\\F"));

    // A path that starts with a backslash: its empty first component is
    // passed over and the rest lies on the current drive.
    ASSERT_EQ(':', dir.path()[1]);
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(dir.path().substr(0, 3).c_str());
    int rooted = fCreatePath((dir.path().substr(2) + "\\G\\H").c_str());
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(0, rooted);
    EXPECT_TRUE(kvttest::DirExists(dir / "G\\H"));
}

TEST(CreatePath, PrefixesThatAreNotCreated) {
    struct Case {
        const char* path;
        int result;
    };
    const Case cases[] = {
        {"C:", -1},                  // a bare drive designator
        {"C:\\", 0},
        {"", 0},                     // only an empty first component
        {"\\\\kvtnohost\\share", 0},  // a network prefix is passed over
        {"\\\\kvtnohost", 0},
        {nullptr, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "(null)");
        EXPECT_EQ(c.result, fCreatePath(c.path));
    }
}

TEST(CreatePath, UncreatableDirectoryEndsTheWalkWithFailure) {
    TempDir dir("mkfail");
    kvttest::WriteFile(dir / "file", "x");
    EXPECT_NE(0, fCreatePath((dir / "file\\sub\\deeper").c_str()));
    EXPECT_FALSE(kvttest::DirExists(dir / "file\\sub"));

    std::string tooLong = dir / std::string(300, 'x');
    EXPECT_NE(0, fCreatePath(tooLong.c_str()));
    // Below a network prefix the folders are created, or the walk fails.
    EXPECT_NE(0, fCreatePath("\\\\kvtnohost\\share\\dir"));
}

TEST(DriveInfo, FreeAndTotalBytes) {
    unsigned long long total = 0;
    unsigned long long freeBytes = fGetDriveInfo("C:\\", &total);
    EXPECT_GT(freeBytes, 0u);
    EXPECT_GE(total, freeBytes);

    ULARGE_INTEGER avail, size, allFree;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &avail, &size, &allFree));
    EXPECT_EQ(size.QuadPart, total);
    EXPECT_GT(fGetDriveInfo("C:\\", nullptr), 0u);
}

TEST(DriveInfo, InvalidRootGivesZeroAndZero) {
    unsigned long long total = 12345;
    EXPECT_EQ(0u, fGetDriveInfo("?:\\", &total));
    EXPECT_EQ(0u, total);
    EXPECT_EQ(0u, fGetDriveInfo("C:\\no\\such\\folder\\", nullptr));
}

TEST(Registry, StringValuesRoundTrip) {
    ScratchKey key("regstr");
    const std::string sub = key.path() + "\\Nested\\Deeper";
    EXPECT_EQ(1, fWriteRegistry(key.root(), sub.c_str(), "Name", "Anna M\xfcller"));
    EXPECT_STREQ("Anna M\xfcller", fGetRegistryEntry(key.root(), sub.c_str(), "Name"));
    EXPECT_EQ(1, fWriteRegistry(key.root(), sub.c_str(), "Name", ""));
    EXPECT_STREQ("", fGetRegistryEntry(key.root(), sub.c_str(), "Name"));
    EXPECT_EQ(1, fWriteRegistry(key.root(), sub.c_str(), "", "default value"));
    EXPECT_STREQ("default value", fGetRegistryEntry(key.root(), sub.c_str(), ""));

    EXPECT_EQ(nullptr, fGetRegistryEntry(key.root(), sub.c_str(), "Missing"));
    EXPECT_EQ(nullptr, fGetRegistryEntry(key.root(), (key.path() + "\\Absent").c_str(), "Name"));
    EXPECT_EQ(nullptr, fGetRegistryEntry(key.root(), nullptr, "Name"));

    // A null sub-key means the given key itself.
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key.root(), sub.c_str(), 0, KEY_ALL_ACCESS, &h));
    EXPECT_STREQ("default value", fGetRegistryEntry(h, nullptr, ""));
    EXPECT_STREQ("", fGetRegistryEntry(h, nullptr, nullptr));
    fWriteRegistryValue(key.root(), sub.c_str(), "Number", 42);
    DWORD* number = fGetRegistryValue(h, nullptr, "Number");
    RegCloseKey(h);
    ASSERT_NE(nullptr, number);
    EXPECT_EQ(42u, *number);
}

TEST(Registry, NumberValuesRoundTrip) {
    ScratchKey key("regnum");
    const char* sub = key.path().c_str();
    EXPECT_EQ(1, fWriteRegistryValue(key.root(), sub, "Language", 1));
    DWORD* n = fGetRegistryValue(key.root(), sub, "Language");
    ASSERT_NE(nullptr, n);
    EXPECT_EQ(1u, *n);
    EXPECT_EQ(1, fWriteRegistryValue(key.root(), sub, "Big", 0xFFFFFFFFu));
    EXPECT_EQ(0xFFFFFFFFu, *fGetRegistryValue(key.root(), sub, "Big"));
    EXPECT_EQ(n, fGetRegistryValue(key.root(), sub, "Language"));  // one library number
    EXPECT_EQ(1u, *n);

    EXPECT_EQ(nullptr, fGetRegistryValue(key.root(), sub, "Missing"));
    EXPECT_EQ(nullptr, fGetRegistryValue(key.root(), (key.path() + "\\Absent").c_str(), "X"));

    // A string longer than four bytes does not fit the number.
    fWriteRegistry(key.root(), sub, "Text", "longer than four");
    EXPECT_EQ(nullptr, fGetRegistryValue(key.root(), sub, "Text"));
    // Shorter data leaves the high bytes zero.
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key.root(), sub, 0, KEY_ALL_ACCESS, &h));
    const BYTE two[2] = {0x34, 0x12};
    RegSetValueExA(h, "Short", 0, REG_BINARY, two, 2);
    RegCloseKey(h);
    fWriteRegistryValue(key.root(), sub, "Fill", 0xAAAAAAAAu);
    fGetRegistryValue(key.root(), sub, "Fill");
    ASSERT_NE(nullptr, fGetRegistryValue(key.root(), sub, "Short"));
    EXPECT_EQ(0x1234u, *n);
}

TEST(Registry, DataLongerThanTheBufferIsFailure) {
    ScratchKey key("reglong");
    const char* sub = key.path().c_str();
    struct Case {
        size_t length;
        bool fits;
    };
    // 255 bytes of room: 254 characters and their NUL fit, 255 do not.
    const Case cases[] = {{254, true}, {255, false}, {1000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'r');
        ASSERT_EQ(1, fWriteRegistry(key.root(), sub, "V", text.c_str()));
        char* got = fGetRegistryEntry(key.root(), sub, "V");
        if (c.fits) {
            ASSERT_NE(nullptr, got);
            EXPECT_EQ(text, got);
        } else {
            EXPECT_EQ(nullptr, got);
        }
    }
}

TEST(Registry, UnterminatedDataIsTerminated) {
    ScratchKey key("regraw");
    fWriteRegistry(key.root(), key.path().c_str(), nullptr, nullptr);
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key.root(), key.path().c_str(), 0, KEY_ALL_ACCESS, &h));
    std::string raw(255, 'q');
    RegSetValueExA(h, "Raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>(raw.data()), 255);
    RegCloseKey(h);
    fGetWindowsDirectory(0);  // leave other text in the buffer behind the data
    char* got = fGetRegistryEntry(key.root(), key.path().c_str(), "Raw");
    ASSERT_NE(nullptr, got);
    EXPECT_EQ(raw, std::string(got));
}

TEST(Registry, NullValueNameCreatesOrTestsTheKey) {
    ScratchKey key("regkey");
    const std::string sub = key.path() + "\\Only\\Key";
    EXPECT_EQ(0, fWriteRegistry(key.root(), sub.c_str(), nullptr, "ignored"));
    EXPECT_EQ(0, fWriteRegistry(key.root(), sub.c_str(), "Name", nullptr));
    EXPECT_EQ(0, fWriteRegistryValue(key.root(), (sub + "\\Num").c_str(), nullptr, 5));
    EXPECT_EQ(nullptr, fGetRegistryEntry(key.root(), sub.c_str(), "Name"));  // nothing written

    char* proof = fGetRegistryEntry(key.root(), sub.c_str(), nullptr);
    ASSERT_NE(nullptr, proof);
    EXPECT_EQ(sub, proof);
    const char* shared = fGetWindowsDirectory(0);
    EXPECT_NE(nullptr, fGetRegistryValue(key.root(), (sub + "\\Num").c_str(), nullptr));
    EXPECT_EQ(sub + "\\Num", std::string(shared));
    EXPECT_EQ(nullptr, fGetRegistryValue(key.root(), (sub + "\\None").c_str(), nullptr));
    EXPECT_EQ(nullptr, fGetRegistryEntry(key.root(), (sub + "\\None").c_str(), nullptr));
    EXPECT_EQ(0, fWriteRegistry(key.root(), nullptr, "Name", "v"));
    EXPECT_EQ(0, fWriteRegistryValue(key.root(), nullptr, "Name", 1));
}

TEST(Registry, LocalMachineSettingsKey) {
    ScratchKey key("hklm", HKEY_LOCAL_MACHINE, "SOFTWARE\\KVTTests");
    const char* sub = key.path().c_str();
    EXPECT_EQ(1, fWriteRegistry(HKEY_LOCAL_MACHINE, sub, "Company", "Tarvo"));
    EXPECT_EQ(1, fWriteRegistryValue(HKEY_LOCAL_MACHINE, sub, "Language", 0));
    EXPECT_STREQ("Tarvo", fGetRegistryEntry(HKEY_LOCAL_MACHINE, sub, "Company"));
    EXPECT_EQ(0u, *fGetRegistryValue(HKEY_LOCAL_MACHINE, sub, "Language"));
}

}  // namespace

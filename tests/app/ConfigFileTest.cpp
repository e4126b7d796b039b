// Which KVTInstall.ini a program with switches reads, and which drive texts
// an answer file may give.
#include "ConfigFile.h"
#include "Unattended.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProgramIniFileName, TheProgramsOwnNameInTheCurrentFolder) {
    struct Case {
        const char* commandLine;
        std::string folder;
        const char* expected;
    } cases[] = {
        {"KVTInstall.exe", "C:\\CD", "C:\\CD\\KVTInstall.ini"},
        {"\"D:\\Kit Bay\\KVTInstall.exe\" /LOG=C:\\logs\\kvt.log", "D:\\Kit Bay",
         "D:\\Kit Bay\\KVTInstall.ini"},
        {"D:\\KVTINST.EXE /UNATTENDED=\\\\server\\share\\a.ini", "D:\\", "D:\\KVTINST.ini"},
        {"  kvtinstall /RECORD=C:\\x\\y.z.ini", "C:\\CD\\", "C:\\CD\\kvtinstall.ini"},
        {"\"KVTInstall\" /LOG=\"C:\\a.b\\c\"", "C:\\CD", "C:\\CD\\KVTInstall.ini"},
        // Nothing to name it after, or a name the library could not hold.
        {"", "C:\\CD", ""},
        {"\"\" /LOG=x", "C:\\CD", ""},
        {"KVTInstall.exe", "", ""},
        {"KVTInstall.exe", "C:\\" + std::string(240, 'f'), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(c.expected, ProgramIniFileName(c.commandLine, c.folder));
    }
}

TEST(FixedDriveRoot, OnlyTheRootOfAFixedDisk) {
    // C: is the prefix's fixed disk; Q: is no drive at all.
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"C:\\", "C:\\"}, {"c:\\", "C:\\"}, {"C:", "C:\\"}, {"c", "C:\\"},
        {"Q:\\", ""},     {"C:\\Tarvo", ""}, {"C;\\", ""},   {"C:/", ""},
        {"", ""},         {"1:\\", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.expected, FixedDriveRoot(c.text));
    }
}

}  // namespace

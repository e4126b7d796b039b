// The answer file: what a recording writes reads back the same, defaults
// and spellings of what a person writes by hand, and every malformed file.
#include "AnswerFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using kvttest::ReadFile;
using kvttest::WriteFile;

TEST(AnswerFile, RecordingReadsBackTheSame) {
    kvttest::TempDir dir("answers");
    Answers written;
    written.project = "Bridge 7";
    written.name = "J\xF6rg M\xFCller";  // code page 1252
    written.company = "Sample Works";
    written.drive = "D:\\";
    written.language = 1;
    written.tools = {"Designer", "Recorder", "Samples"};
    written.backup = true;
    written.setupTimeoutMinutes = 15;
    const std::string file = dir / "a.ini";
    // A recording replaces what an earlier one wrote, keys it lacks included.
    WriteFile(file, "[Answers]\r\nTools=Old\r\nStale=1\r\n[Other]\r\nKeep=1\r\n");
    ASSERT_TRUE(WriteAnswers(file, written));
    EXPECT_EQ(std::string::npos, ReadFile(file).find("Stale"));
    EXPECT_NE(std::string::npos, ReadFile(file).find("Keep=1"));

    Answers read;
    std::string error;
    ASSERT_TRUE(ReadAnswers(file, read, error)) << error;
    EXPECT_EQ(written.project, read.project);
    EXPECT_EQ(written.name, read.name);
    EXPECT_EQ(written.company, read.company);
    EXPECT_EQ(written.drive, read.drive);
    EXPECT_EQ(written.language, read.language);
    EXPECT_EQ(written.tools, read.tools);
    EXPECT_EQ(written.backup, read.backup);
    EXPECT_EQ(written.setupTimeoutMinutes, read.setupTimeoutMinutes);
}

TEST(AnswerFile, HandWrittenFilesWithDefaultsAndSpellings) {
    kvttest::TempDir dir("answers");
    struct Case {
        const char* extra;
        std::vector<std::string> tools;
        int language;
        bool backup;
        int timeout;
    } cases[] = {
        {"", {}, 0, false, 60},
        {"Tools=Designer\r\n", {"Designer"}, 0, false, 60},
        {"Tools= Designer , ,Viewer,\r\nLanguage=1\r\nBackup=yes\r\nSetupTimeout=5\r\n", {"Designer", "Viewer"}, 1,
         true, 5},
        {"backup=NO\r\nsetuptimeout=1440\r\n", {}, 0, false, 1440},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        const std::string file = dir / "hand.ini";
        WriteFile(file, std::string("[Answers]\r\nProject=P\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\n") + c.extra);
        Answers a;
        std::string error;
        ASSERT_TRUE(ReadAnswers(file, a, error)) << error;
        EXPECT_EQ(c.tools, a.tools);
        EXPECT_EQ(c.language, a.language);
        EXPECT_EQ(c.backup, a.backup);
        EXPECT_EQ(c.timeout, a.setupTimeoutMinutes);
    }
}

TEST(AnswerFile, MalformedFilesAreRefusedWithTheirReason) {
    kvttest::TempDir dir("answers");
    const std::string complete = "Project=P\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\n";
    struct Case {
        const char* name;
        std::string text;  // null-free body after [Answers]; "-" for no file
        const char* error;
    } cases[] = {
        {"missing", "-", "cannot be found"},
        {"no project", "Name=N\r\nCompany=C\r\nDrive=C:\\\r\n", "The answer file gives no Project"},
        {"blank name", "Project=P\r\nName=  \r\nCompany=C\r\nDrive=C:\\\r\n", "The answer file gives no Name"},
        {"no company", "Project=P\r\nName=N\r\nDrive=C:\\\r\n", "The answer file gives no Company"},
        {"no drive", "Project=P\r\nName=N\r\nCompany=C\r\n", "The answer file gives no Drive"},
        {"language", complete + "Language=2\r\n", "Language must be 0 (English) or 1 (German), not 2"},
        {"backup", complete + "Backup=Maybe\r\n", "Backup must be Yes or No, not Maybe"},
        {"timeout 0", complete + "SetupTimeout=0\r\n", "SetupTimeout must be a number of minutes from 1 to 1440, not 0"},
        {"timeout text", complete + "SetupTimeout=10m\r\n", "not 10m"},
        {"timeout negative", complete + "SetupTimeout=-5\r\n", "not -5"},
        {"timeout large", complete + "SetupTimeout=99999999999\r\n", "not 99999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir / (std::string(c.name) + ".ini");
        if (c.text != "-") WriteFile(file, "[Answers]\r\n" + c.text);
        Answers a;
        std::string error;
        EXPECT_FALSE(ReadAnswers(file, a, error));
        EXPECT_NE(std::string::npos, error.find(c.error)) << error;
    }
}

TEST(AnswerFile, ABareNameIsTheCurrentFolderNotTheWindowsFolder) {
    kvttest::TempDir dir("answers");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    Answers written;
    written.project = written.name = written.company = "X";
    written.drive = "C:\\";
    const bool wrote = WriteAnswers("kvt-bare-name.ini", written);
    Answers read;
    std::string error;
    const bool readBack = ReadAnswers("kvt-bare-name.ini", read, error);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(wrote);
    EXPECT_TRUE(readBack) << error;
    EXPECT_NE(std::string::npos, ReadFile(dir / "kvt-bare-name.ini").find("Project=X"));
}

}  // namespace

// The program's switches: what each command line gives, and every kind of
// command line that is refused.
#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, SwitchesAndTheirValues) {
    struct Case {
        const char* text;
        const char* record;
        const char* unattended;
        const char* log;
        bool restart;
    } cases[] = {
        {"", "", "", "", false},
        {"   ", "", "", "", false},
        {"/RECORD=a.ini", "a.ini", "", "", false},
        {"/record=C:\\x\\a.ini /log=C:\\x\\i.log", "C:\\x\\a.ini", "", "C:\\x\\i.log", false},
        {"/Unattended=answers.ini /RESTART /Log=install.log", "", "answers.ini", "install.log", true},
        {"/UNATTENDED=\"C:\\My Answers\\a.ini\"", "", "C:\\My Answers\\a.ini", "", false},
        {"\"/LOG=C:\\My Logs\\i.log\"", "", "", "C:\\My Logs\\i.log", false},
        {"/LOG=\"C:\\a b\\i.log\"\t/UNATTENDED=a=b.ini", "", "a=b.ini", "C:\\a b\\i.log", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine line;
        line.log = "left over";
        std::string error;
        ASSERT_TRUE(ParseCommandLine(c.text, line, error)) << error;
        EXPECT_EQ(c.record, line.record);
        EXPECT_EQ(c.unattended, line.unattended);
        EXPECT_EQ(c.log, line.log);
        EXPECT_EQ(c.restart, line.restart);
    }
}

TEST(CommandLine, RefusedCommandLinesSayWhy) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"/SILENT", "Unknown switch: /SILENT"},
        {"/LOG", "/LOG needs a file: /LOG=<file>"},
        {"/log=", "/LOG needs a file: /LOG=<file>"},
        {"/UNATTENDED=\"\"", "/UNATTENDED needs a file: /UNATTENDED=<file>"},
        {"/RECORD", "/RECORD needs a file: /RECORD=<file>"},
        {"answers.ini", "Unknown argument: answers.ini"},
        {"/", "Unknown argument: /"},
        {"/LOG=a.log /log=b.log", "/LOG is given twice"},
        {"/UNATTENDED=a.ini /RESTART /RESTART", "/RESTART is given twice"},
        {"/UNATTENDED=a.ini /RESTART=yes", "/RESTART takes no value"},
        {"/RESTART", "/RESTART is only for /UNATTENDED"},
        {"/RECORD=a.ini /RESTART", "/RESTART is only for /UNATTENDED"},
        {"/RECORD=a.ini /UNATTENDED=b.ini", "/RECORD and /UNATTENDED cannot be used together"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine line;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(c.text, line, error));
        EXPECT_EQ(c.error, error);
    }
}

}  // namespace

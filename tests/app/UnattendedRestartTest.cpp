// /RESTART: an unattended run restarts Windows after the last tool when a
// tool needs it, and never without the switch. Run in this process with
// the restart requests going to a fake, since a real one would end Wine.
#include "ConfigFile.h"
#include "SystemRestart.h"
#include "Unattended.h"

#include "ProcessSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class MemoryLog : public RunLog {
public:
    void Line(const std::string& text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

class FakeRestart : public SystemRestart {
public:
    explicit FakeRestart(MemoryLog& log) : log_(log) {}
    bool EnableShutdownPrivilege() override { return true; }
    bool RequestRestart() override {
        ++requests;
        linesBefore = log_.lines.size();
        return true;
    }
    int requests = 0;
    size_t linesBefore = 0;

private:
    MemoryLog& log_;
};

TEST(UnattendedRestart, OnlyWithTheSwitchAndOnlyAfterTheLastTool) {
    struct Case {
        const char* what;
        bool restartSwitch;
        const char* secondToolSetup;  // "" : the second tool's setup is missing
        int exitCode;
        int requests;
    } cases[] = {
        {"asked for", true, "present", 3010, 1},
        {"not asked for", false, "present", 3010, 0},
        {"a failed tool still restarts for the one that needs it", true, "", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kvttest::TempDir medium("restart");
        const std::string project = kvttest::UniqueName("Restart");
        std::string ini = "[Config]\r\n1=Needs\r\n2=Plain\r\n";
        for (const char* section : {"Needs", "Plain"}) {
            const std::string setup = kvttest::UniqueName("Setup") + ".exe";
            const bool needs = std::string(section) == "Needs";
            ini += std::string("[") + section + "]\r\nName=" + section + "\r\nDir=" + section +
                   "\r\nFile=Main.exe\r\nDelay=0\r\nSpace=0\r\nTitle=" +
                   kvttest::UniqueName("NoSuchTitle") + "\r\nSetup=" + setup +
                   "\r\nRestartWindows=" + (needs ? "1" : "0") + "\r\n";
            kvttest::MakeDirs(medium / section);
            if (needs || *c.secondToolSetup) kvttest::CopyFakeSetup(medium / section, setup);
            kvttest::WriteFile(medium / section + "\\FakeSetup.ini", "[FakeSetup]\r\nMainFile=Main.exe\r\n");
        }
        kvttest::WriteFile(medium / "KVTInstall.ini", ini);
        kvttest::WriteFile(medium / "answers.ini",
                           "[Answers]\r\nProject=" + project +
                               "\r\nName=N\r\nCompany=C\r\nDrive=C:\\\r\nTools=Needs,Plain\r\n");
        kvttest::MakeDirs(medium / "temp");
        SetEnvironmentVariableA("TMP", (medium / "temp").c_str());
        SetEnvironmentVariableA("TEMP", (medium / "temp").c_str());
        UseConfigFileName(medium / "KVTInstall.ini");

        MemoryLog log;
        FakeRestart restart(log);
        EXPECT_EQ(c.exitCode, RunUnattended(medium / "answers.ini", c.restartSwitch,
                                            DetectWindowsFamily(), &log, restart));
        EXPECT_EQ(c.requests, restart.requests);
        std::string text;
        for (const std::string& line : log.lines) text += line + "\n";
        if (c.requests) {
            // Both tools had their turn before Windows was asked.
            bool plainEnded = false;
            for (size_t i = 0; i < restart.linesBefore; ++i)
                plainEnded = plainEnded || log.lines[i].rfind("Plain: result:", 0) == 0;
            EXPECT_TRUE(plainEnded) << text;
            EXPECT_NE(std::string::npos, text.find("Windows is restarting")) << text;
        } else {
            EXPECT_NE(std::string::npos, text.find("not restarted (no /RESTART)")) << text;
        }
        UseConfigFileName("");
        kvttest::RemoveTree("C:\\Tarvo\\" + project);
        kvttest::DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarvo Kinetics\\" + project);
    }
}

}  // namespace

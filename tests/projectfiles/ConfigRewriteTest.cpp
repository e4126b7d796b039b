// Configuration files: placeholder replacement, the order of the
// placeholders, line ends, and the drive of the folder a file goes to.
#include "ProjectFilesTestUtil.h"

#include "Varnet01.h"

#include <gtest/gtest.h>

#include <string>

using kvttest::ReadFile;
using kvttest::TempDir;
using kvttest::WriteFile;

namespace {

std::string Folder(int kind) {
    const char* p = fGetWindowsDirectory(kind);
    return p ? std::string(p) : std::string();
}

TEST(ReplacePlaceholder, ReplacesEveryOccurrenceAndAlwaysEnds) {
    struct Case {
        const char* line;
        const char* placeholder;
        const char* value;
        const char* expected;
    } cases[] = {
        {"%%PROJEKT%%\\%%PROJEKT%%.prj", "%%PROJEKT%%", "KVT", "KVT\\KVT.prj"},
        {"%%projekt%% %PROJEKT% %%PROJEKT%", "%%PROJEKT%%", "KVT", "%%projekt%% %PROJEKT% %%PROJEKT%"},
        {"", "%%NAME%%", "Ann", ""},
        // An occurrence formed with the surrounding text is caught.
        {"%%NA%%NAME%%ME%%", "%%NAME%%", "", ""},
        {"a%%NA%%NAME%%ME%%b", "%%NAME%%", "", "ab"},
        {"%%NAME%%ME%%", "%%NAME%%", "%%NA", "%%NA"},
        // A value holding its own placeholder is inserted once.
        {"User=%%NAME%%;", "%%NAME%%", "%%NAME%%", "User=%%NAME%%;"},
        {"%%NAME%% %%NAME%%", "%%NAME%%", "<%%NAME%%>", "<%%NAME%%> <%%NAME%%>"},
        {"%%NA%%NAME%%ME%%", "%%NAME%%", "%%NAME%%%%NAME%%", "%%NA%%NAME%%%%NAME%%ME%%"},
        {"%%%%NAME%%%%", "%%NAME%%", "NAME", "NAME"},
        {"x", "", "y", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CToolInstallJob::ReplacePlaceholder(c.line, c.placeholder, c.value))
            << c.line << " / " << c.value;
}

TEST(ReplacePlaceholder, LongLineWithManyPlaceholders) {
    std::string line, expected;
    for (int i = 0; i < 20000; ++i) {
        line += "%%NA%%NAME%%ME%%,";
        expected += ",";
    }
    EXPECT_EQ(expected, CToolInstallJob::ReplacePlaceholder(line, "%%NAME%%", ""));
}

TEST(RewriteConfigFile, EveryPlaceholderInOrder) {
    TempDir medium("cfg-medium"), target("cfg-target");
    WriteFile(medium / "a.ini",
              "LW=%%LW%%\n"
              "P=%%PROJEKT%%\n"
              "N=%%NAME%%\n"
              "F=%%FIRMA%%\n"
              "S=%%SPRACHE%%\n"
              "W=%%WINDIR%%\n"
              "WS=%%WINSYSDIR%%\n"
              "WT=%%WINTEMP%%\n"
              "keep=%%name%% %NAME% %%LW%\n");
    struct Case {
        int german;
        const char* language;
    } cases[] = {{0, "en-value"}, {1, "de-value"}};
    for (const Case& c : cases) {
        pftest::JobFixture f(medium.path(), target.path(), PhaseProjectFiles);
        f.tool.languageEnglish = "en-value";
        f.tool.languageGerman = "de-value";
        f.job.language = (c.german ? LanguageGerman : LanguageEnglish);
        f.job.projectName = "Bridge 7";
        f.job.userName = "Ann O'Hara";
        f.job.company = "M\xFCller & S\xF6hne";
        ASSERT_EQ(1, f.job.RewriteConfigFile(target / "a.ini", medium / "a.ini"));
        EXPECT_EQ("LW=" + target.path().substr(0, 2) + "\r\n"
                  "P=Bridge 7\r\n"
                  "N=Ann O'Hara\r\n"
                  "F=M\xFCller & S\xF6hne\r\n"
                  "S=" + c.language + "\r\n"
                  "W=" + Folder(0) + "\r\n"
                  "WS=" + Folder(1) + "\r\n"
                  "WT=" + Folder(2) + "\r\n"
                  "keep=%%name%% %NAME% %%LW%\r\n",
                  ReadFile(target / "a.ini"));
    }
}

// A value may bring in a placeholder of a later row, not of an earlier one.
TEST(RewriteConfigFile, ValuesBringInOnlyLaterPlaceholders) {
    TempDir medium("chain-medium"), target("chain-target");
    WriteFile(medium / "c.txt", "%%PROJEKT%%|%%NAME%%\n");
    pftest::JobFixture f(medium.path(), target.path(), PhaseProjectFiles);
    f.job.projectName = "%%NAME%%";
    f.job.userName = "%%PROJEKT%% %%FIRMA%%";
    f.job.company = "ACME";
    ASSERT_EQ(1, f.job.RewriteConfigFile(target / "c.txt", medium / "c.txt"));
    EXPECT_EQ("%%PROJEKT%% ACME|%%PROJEKT%% ACME\r\n", ReadFile(target / "c.txt"));
}

// "%%LW%%" is the drive of the folder the file goes to at the time of the
// call: the Windows folder's for the "Win" group, not the chosen drive.
TEST(RewriteConfigFile, DriveIsThatOfTheCurrentTargetFolder) {
    TempDir medium("lw-medium"), target("lw-target");
    WriteFile(medium / "d.inm", "%%LW%%\\Tarvo");
    const std::string zTarget = pftest::OnDriveZ(target.path());
    if (zTarget.empty()) GTEST_SKIP() << "Wine's Z: drive is not mapped";
    pftest::JobFixture f(medium.path(), zTarget, PhaseProjectFiles);
    f.job.InstallFile("d.inm", zTarget, medium.path());
    EXPECT_EQ("Z:\\Tarvo\r\n", ReadFile(target / "d.inm"));

    // The same source placed while the job's target is the Windows folder.
    f.job.targetFolder = Folder(0);
    ASSERT_EQ(1, f.job.RewriteConfigFile(target / "w.inm", medium / "d.inm"));
    EXPECT_EQ(Folder(0).substr(0, 2) + "\\Tarvo\r\n", ReadFile(target / "w.inm"));
    EXPECT_NE('Z', Folder(0)[0]);
}

TEST(RewriteConfigFile, LineEnds) {
    struct Case {
        std::string source;
        std::string target;
    } cases[] = {
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\nb", "a\r\nb\r\n"},
        {"a\n\n\nb\n", "a\r\n\r\n\r\nb\r\n"},
        {"\n", "\r\n"},
        {"", ""},
        {"mid\rline\n", "mid\rline\r\n"},
        {std::string(100000, 'q') + "%%NAME%%", std::string(100000, 'q') + "Ann\r\n"},
    };
    TempDir dir("lines");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.substr(0, 20));
        pftest::JobFixture f(dir.path(), dir.path(), PhaseProjectFiles);
        f.job.userName = "Ann";
        WriteFile(dir / "src.txt", c.source);
        WriteFile(dir / "dst.txt", "previous content that is longer than any result");
        ASSERT_EQ(1, f.job.RewriteConfigFile(dir / "dst.txt", dir / "src.txt"));
        EXPECT_EQ(c.target, ReadFile(dir / "dst.txt"));
    }
}

TEST(RewriteConfigFile, MissingSourceLeavesTargetAlone) {
    TempDir dir("cfg-missing");
    WriteFile(dir / "dst.ini", "old");
    pftest::JobFixture f(dir.path(), dir.path(), PhaseProjectFiles);
    EXPECT_EQ(0, f.job.RewriteConfigFile(dir / "dst.ini", dir / "none.ini"));
    EXPECT_EQ("old", ReadFile(dir / "dst.ini"));
}

}  // namespace

// Result messages in both languages, the deletion notice, and the name rules
// of the installer's own code.
#include "JobTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace jobtest;

TEST(JobMessages, EveryCodeInBothLanguages) {
    const char* const unknownEn = "Unknown problem in Setup";
    const char* const unknownDe = "Unbekannter Fehler im Setup";
    struct Case {
        int code;
        const char* english;
        const char* german;
    } cases[] = {
        {0, "Cannot create Destination-Directory", "Zielverzeichnis kann nicht erzeugt werden"},
        {1, "Cannot write into Destination-Directory", "Fehler beim Schreiben ins Zielverzeichnis"},
        {2, "Error Reading Destination Directory", "Fehler beim Lesen des Quellverzeichnis"},
        {3, "Setup not complete", "Setup nicht vollst\xE4ndig"},
        {4, "Please terminate active Setup-process", "Bitte beenden Sie aktiven Setup-Prozess"},
        {5, "Application already installed, not possible to re-install",
         "Applikation bereits installiert, bitte manuell deinstallieren"},
        {6, "Executable Setup program not found", "Ausf\xFChrbares Setup Programm nicht gefunden"},
        {7, "Not enough space on destination drive",
         "Nicht gen\xFCgend freier Speicher auf Ziellaufwerk"},
        {8, unknownEn, unknownDe},  // no text of its own
        {9, unknownEn, unknownDe},
        {10, unknownEn, unknownDe},
        {12, unknownEn, unknownDe},
        {0x7FFFFFFF, unknownEn, unknownDe},
        {-7, unknownEn, unknownDe},  // never asked for; must not read outside the table
    };
    ToolRecord tool;
    CToolInstallJob job(tool);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        job.language = LanguageEnglish;
        EXPECT_STREQ(c.english, job.GetResultMessage(c.code));
        job.language = LanguageGerman;
        EXPECT_STREQ(c.german, job.GetResultMessage(c.code));
    }
}

TEST(JobMessages, DeleteFileWithNotice) {
    struct Case {
        const char* what;
        int german;
        int present;  // 0 nothing there, 1 a file, 2 a folder
        bool deleted;
        const char* notice;  // {p} stands for the path
    } cases[] = {
        {"file, English", 0, 1, true, nullptr},
        {"file, German", 1, 1, true, nullptr},
        {"missing, English", 0, 0, false, "Can not delete {p}!"},
        {"missing, German", 1, 0, false, "Datei: {p} kann nicht gel\xF6scht werden!"},
        {"a folder, English", 0, 2, false, "Can not delete {p}!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s("Alpha");
        s.job.language = (c.german ? LanguageGerman : LanguageEnglish);
        const std::string path = s.root / "gone file.txt";
        if (c.present == 1) Put(path, "x");
        if (c.present == 2) kvttest::MakeDirs(path);
        EXPECT_EQ(c.deleted, s.job.DeleteFileWithNotice(path));
        EXPECT_EQ(c.present == 2, kvttest::DirExists(path));
        EXPECT_FALSE(kvttest::FileExists(path) && c.present == 1);
        if (!c.notice) {
            EXPECT_TRUE(s.host.messages.empty());
            continue;
        }
        ASSERT_EQ(1u, s.host.messages.size());
        std::string text = c.notice;
        text.replace(text.find("{p}"), 3, path);
        EXPECT_EQ(text, s.host.messages[0].text);
        EXPECT_EQ("Info", s.host.messages[0].caption);
        EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), s.host.messages[0].icon);
    }
}

TEST(NameRules, OnlyAToZChangeCase) {
    EXPECT_EQ("SETUP.EX_ \xE4\xF6\xFC\xDF 1-9 @[`{", UpperAscii("setup.Ex_ \xE4\xF6\xFC\xDF 1-9 @[`{"));
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"Lapvue", "LAPVUE", true}, {"lapvue", "Lapvue", true}, {"", "", true},
        {"Lapvue", "Lapvue ", false}, {"\xE4", "\xC4", false},  // no code page folding
        {"@", "`", false}, {"[", "{", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.equal, EqualsNoCase(c.a, c.b)) << c.a << " / " << c.b;
}

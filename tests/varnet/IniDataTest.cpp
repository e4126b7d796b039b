// CIniData against real INI files, read and written through the platform's
// profile functions.
#include "Varnet01.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <string>

using kvttest::TempDir;

namespace {

const char kCatalogue[] =
    "[Config]\r\n"
    "1=Alpha\r\n"
    "2=Tools  , 17\r\n"
    "3=A\r\n"
    "4=,5\r\n"
    "5=Multi, 3, 9\r\n"
    "6=Beta,x\r\n"
    "Selectall=1\r\n"
    "[Alpha]\r\n"
    "Dir=alpha-dir\r\n"
    "Empty=\r\n"
    "Word=abc\r\n"
    "Mb= 12MB\r\n"
    "Negative=-4\r\n"
    "Big=25\r\n"
    "Zero=0\r\n"
    "Five=5\r\n"
    "[Tools]\r\n"
    "Dir=tools-dir\r\n"
    "[7]\r\n"
    "Dir=seven-dir\r\n";

class IniDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = dir_ / "KVTInstall.ini";
        kvttest::WriteFile(file_, kCatalogue);
        ASSERT_EQ(1, ini_.SetIniFileName(file_.c_str()));
    }
    TempDir dir_{"ini"};
    std::string file_;
    CIniData ini_;
};

struct Resolution {
    int number;
    const char* name;  // null: invalid number
    int option;
};

TEST_F(IniDataTest, SectionResolutionFollowsIndexEntries) {
    const Resolution cases[] = {
        {0, "Config", 0},      // the index section itself
        {1, "Alpha", 0},
        {2, "Tools", 17},      // blanks before the comma removed
        {3, "A", 0},           // single character: no scan
        {4, ",5", 0},          // the scan starts at the second character
        {5, "Multi", 9},       // the number after the last comma wins
        {6, "Beta", 0},        // no digits after the comma
        {7, "7", 0},           // missing entry: the number is the name
        {999, "999", 0},
        {1000, nullptr, 0},
        {-1, nullptr, 0},
    };
    for (const Resolution& c : cases) {
        SCOPED_TRACE(c.number);
        char buffer[256] = "Config";
        char* got = ini_.GetSectionName(buffer, c.number);
        if (!c.name) {
            EXPECT_EQ(nullptr, got);
        } else {
            ASSERT_EQ(buffer, got);
            EXPECT_STREQ(c.name, got);
        }
        EXPECT_EQ(c.option, ini_.GetOptValue());
    }
}

TEST_F(IniDataTest, OptionValueLastsUntilTheNextResolution) {
    char buffer[256] = "Config";
    ini_.GetSectionName(buffer, 2);
    EXPECT_EQ(17, ini_.GetOptValue());
    ini_.SetDefaultPid(4);  // no resolution
    EXPECT_EQ(17, ini_.GetOptValue());
    ini_.GetConfigIniString("Selectall", "");
    EXPECT_EQ(0, ini_.GetOptValue());
}

TEST_F(IniDataTest, DefaultSectionNumberAddressesTheShortReaders) {
    ini_.SetDefaultPid(2);
    EXPECT_EQ(2, ini_.GetDefaultPid());
    EXPECT_STREQ("tools-dir", ini_.GetSectionIniString("Dir", "x"));
    ini_.SetDefaultPid(7);
    EXPECT_STREQ("seven-dir", ini_.GetSectionIniString("Dir", "x"));
    EXPECT_STREQ("alpha-dir", ini_.GetIniString("Dir", 1, "x"));
    EXPECT_STREQ("1", ini_.GetConfigIniString("Selectall", "x"));
    ini_.SetDefaultPid(1000);
    EXPECT_EQ(nullptr, ini_.GetSectionIniString("Dir", "x"));
}

TEST_F(IniDataTest, StringsFallBackToTheirDefault) {
    EXPECT_STREQ("dflt", ini_.GetIniString("Missing", 1, "dflt"));
    EXPECT_STREQ("dflt", ini_.GetIniString("Dir", 3, "dflt"));   // section [A] missing
    EXPECT_STREQ("", ini_.GetIniString("Missing", 1, nullptr));
    EXPECT_EQ(nullptr, ini_.GetIniString("Dir", 1000, "dflt"));

    CIniData other;
    ASSERT_EQ(1, other.SetIniFileName((dir_ / "absent.ini").c_str()));
    EXPECT_STREQ("dflt", other.GetIniString("Dir", 1, "dflt"));
    EXPECT_EQ(0, other.GetNumberOfSections());
}

TEST_F(IniDataTest, SecondReadOverwritesTheFirstResult) {
    const char* first = ini_.GetIniString("Dir", 1, "");
    std::string copy = first;
    const char* second = ini_.GetIniString("Dir", 2, "");
    EXPECT_EQ(first, second);
    EXPECT_EQ("alpha-dir", copy);
    EXPECT_STREQ("tools-dir", first);
}

struct IntCase {
    const char* key;
    int def;
    int value;
    int flag;
};

TEST_F(IniDataTest, IntegersAndFlags) {
    const IntCase cases[] = {
        {"Missing", 7, 7, 7},
        {"Empty", 7, 7, 7},     // present but empty: the default
        {"Word", 7, 0, 0},      // no digits
        {"Mb", 7, 12, 7},       // leading number, blanks skipped
        {"Negative", 7, -4, 7},
        {"Zero", 1, 0, 0},
        {"Five", 1, 5, 1},      // a non-zero default is the "true" value
        {"Five", 0, 5, 5},      // default 0: the integer itself
        {"Missing", 0, 0, 0},
    };
    ini_.SetDefaultPid(1);
    for (const IntCase& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " def " + std::to_string(c.def));
        EXPECT_EQ(c.value, ini_.GetIniValue(c.key, 1, c.def));
        EXPECT_EQ(c.value, ini_.GetSectionIniValue(c.key, c.def));
        EXPECT_EQ(c.flag, ini_.GetIniFlag(c.key, 1, c.def));
        EXPECT_EQ(c.flag, ini_.GetSectionIniFlag(c.key, c.def));
    }
    EXPECT_EQ(1, ini_.GetConfigIniFlag("Selectall", 0));
    EXPECT_EQ(1, ini_.GetConfigIniValue("Selectall", 0));
    // An invalid section number has no text: the default.
    EXPECT_EQ(3, ini_.GetIniValue("Five", 1000, 3));
    EXPECT_EQ(3, ini_.GetIniFlag("Five", 1000, 3));
}

TEST_F(IniDataTest, LimitedValueIsClamped) {
    kvttest::WriteFile(file_, "[Config]\r\nNeg=-4\r\nBig=25\r\nMid=6\r\n");
    EXPECT_EQ(3, ini_.GetConfigLimitedIniValue("Missing", 10, 3));
    EXPECT_EQ(0, ini_.GetConfigLimitedIniValue("Neg", 10, 3));
    EXPECT_EQ(10, ini_.GetConfigLimitedIniValue("Big", 10, 3));
    EXPECT_EQ(6, ini_.GetConfigLimitedIniValue("Mid", 10, 3));
}

TEST_F(IniDataTest, CountsConsecutiveIndexKeys) {
    struct Count {
        std::string body;
        int expected;
    };
    std::string list998, list999;
    for (int i = 1; i <= 999; ++i) {
        std::string line = std::to_string(i) + "=S" + std::to_string(i) + "\r\n";
        if (i <= 998) list998 += line;
        list999 += line;
    }
    const Count cases[] = {
        {"[Config]\r\n1=A\r\n2=B\r\n3=C\r\n", 3},
        {"[Config]\r\n1=A\r\n2=B\r\n4=D\r\n", 2},
        {"[Config]\r\n2=B\r\n", 0},
        {"[Config]\r\n1=A\r\n2=\r\n3=C\r\n", 1},   // an empty value ends the list
        {"[config]\r\n1=A\r\n", 1},                // section names match without case
        {"[Other]\r\n1=A\r\n", 0},
        {"", 0},
        {std::string("\x01\xff\x00\x10[Config\x00\x02", 10), 0},
        {"[Config]\r\n" + list998, 998},
        {"[Config]\r\n" + list999, 0},             // 999 entries are no valid list
    };
    for (const Count& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 40));
        kvttest::WriteFile(file_, c.body);
        EXPECT_EQ(c.expected, ini_.GetNumberOfSections());
    }
}

TEST_F(IniDataTest, LongValuesAreCutTo254Characters) {
    std::string value(300, 'v');
    kvttest::WriteFile(file_, "[Config]\r\nLong=" + value + "\r\nExact=" + value.substr(0, 254) + "\r\n");
    EXPECT_EQ(std::string(254, 'v'), ini_.GetConfigIniString("Long", ""));
    EXPECT_EQ(std::string(254, 'v'), ini_.GetConfigIniString("Exact", ""));
    EXPECT_EQ(0, ini_.GetConfigIniValue("Long", 5));
}

TEST_F(IniDataTest, NamesLongerThan255AreRefused) {
    std::string ok(255, 's'), tooLong(256, 's');
    EXPECT_EQ(1, ini_.SetSection(ok.c_str()));
    EXPECT_EQ(ok, ini_.GetSection());
    EXPECT_EQ(0, ini_.SetSection(tooLong.c_str()));
    EXPECT_EQ(0, ini_.SetSection(nullptr));
    EXPECT_EQ(ok, ini_.GetSection());

    EXPECT_EQ(0, ini_.SetIniFileName(tooLong.c_str()));
    EXPECT_EQ(0, ini_.SetIniFileName(nullptr));
    EXPECT_EQ(file_, ini_.GetIniFileName());
}

TEST_F(IniDataTest, WritesGoToTheAddressedSection) {
    DeleteFileA(file_.c_str());
    ini_.PutConfigIniString("1", "Tools, 4");      // creates file and section
    ini_.PutIniString("Dir", "written", 1);        // through the new index entry
    ini_.PutIniValue("Space", -25, 1);
    ini_.PutConfigIniValue("Selectall", 1);
    ini_.SetDefaultPid(1);
    EXPECT_STREQ("written", ini_.GetSectionIniString("Dir", ""));
    EXPECT_EQ(4, ini_.GetOptValue());
    EXPECT_STREQ("-25", ini_.GetSectionIniString("Space", ""));
    EXPECT_EQ(1, ini_.GetConfigIniFlag("Selectall", 0));

    ini_.PutIniString("Dir", "replaced", 1);
    EXPECT_STREQ("replaced", ini_.GetIniString("Dir", 1, ""));

    std::string before = kvttest::ReadFile(file_);
    ini_.PutIniString("Dir", "nowhere", 1000);
    ini_.PutIniValue("Dir", 3, -5);  // negative: the default number, still 1
    EXPECT_STREQ("3", ini_.GetIniString("Dir", 1, ""));
    ini_.SetDefaultPid(-7);
    ini_.PutIniValue("Dir", 9, -1);  // default number invalid: nothing written
    EXPECT_STREQ("3", ini_.GetIniString("Dir", 1, ""));
    EXPECT_NE(std::string::npos, before.find("[Tools]"));
}

TEST_F(IniDataTest, CopiesHaveBuffersOfTheirOwn) {
    ini_.SetDefaultPid(2);
    CIniData copy(ini_);
    const char* mine = ini_.GetSectionIniString("Dir", "");
    const char* theirs = copy.GetSectionIniString("Dir", "");
    EXPECT_NE(mine, theirs);
    EXPECT_STREQ("tools-dir", mine);
    EXPECT_STREQ("tools-dir", theirs);

    ini_.SetSection("Alpha");
    EXPECT_STREQ("Config", copy.GetSection());

    CIniData assigned;
    assigned = copy;
    copy.SetIniFileName("elsewhere.ini");
    EXPECT_EQ(file_, assigned.GetIniFileName());
    EXPECT_EQ(2, assigned.GetDefaultPid());
    assigned = assigned;  // self-assignment keeps everything
    EXPECT_EQ(file_, assigned.GetIniFileName());
}

TEST_F(IniDataTest, NullKeysAndBuffersAreHandled) {
    EXPECT_STREQ("d", ini_.GetIniString(nullptr, 1, "d"));
    EXPECT_EQ(nullptr, ini_.GetSectionName(nullptr, 1));
}

// fBuildPrivateIniFileName and the constructor's default take the program's
// own command line, so a small probe program reports them.
struct ProbeResult {
    std::string builtName;
    std::string objectName;
    std::string winVersion;
};

ProbeResult RunProbe(const std::string& commandLine, const std::string& cwd,
                     const std::string& out) {
    std::string exe = kvttest::BinDir() + "\\IniPathProbe.exe";
    DeleteFileA(out.c_str());
    kvttest::RunResult r = kvttest::RunProgram(exe, commandLine, cwd);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(0u, r.exitCode);
    std::string text = kvttest::ReadFile(out);
    DeleteFileA(out.c_str());
    ProbeResult p;
    size_t a = text.find('\n'), b = text.find('\n', a + 1), c = text.find('\n', b + 1);
    if (c == std::string::npos) {
        ADD_FAILURE() << "probe wrote: " << text;
        return p;
    }
    p.builtName = text.substr(0, a);
    p.objectName = text.substr(a + 1, b - a - 1);
    p.winVersion = text.substr(b + 1, c - b - 1);
    return p;
}

TEST(IniDefaultFileName, TakesProgramNameAndWorkingDirectory) {
    TempDir dir("inipath");
    std::string exe = kvttest::BinDir() + "\\IniPathProbe.exe";
    std::string out = dir / "out.txt";
    struct Case {
        std::string commandLine;
        const char* file;  // in the working directory
    };
    const Case cases[] = {
        {"\"" + exe + "\" out.txt", "IniPathProbe.ini"},           // quoted full path
        {"IniPathProbe.exe out.txt", "IniPathProbe.ini"},          // no path
        {"\"IniPathProbe\" out.txt", "IniPathProbe.ini"},          // quoted, no extension
        {exe + " out.txt", "IniPathProbe.ini"},                    // unquoted full path
        // The last backslash of the whole command line, arguments included.
        {"IniPathProbe.exe out.txt sub\\Other.cfg", "Other.ini"},
        {"IniPathProbe.exe out.txt \\.", ".ini"},                  // empty name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        ProbeResult p = RunProbe(c.commandLine, dir.path(), out);
        EXPECT_EQ(dir / c.file, p.builtName);
        EXPECT_EQ(p.builtName, p.objectName);
    }

    std::string rootOut = kvttest::UniqueName("probe") + ".txt";
    ProbeResult root = RunProbe("IniPathProbe.exe " + rootOut, "C:\\", "C:\\" + rootOut);
    EXPECT_EQ("C:\\IniPathProbe.ini", root.builtName);
}

// A folder below `base` whose path is exactly `length` characters long.
std::string FolderOfLength(const std::string& base, size_t length) {
    std::string deep = base;
    while (deep.size() < length) {
        size_t part = std::min<size_t>(40, length - deep.size() - 1);
        if (length - deep.size() - 1 - part == 1) --part;  // no one-character tail
        deep += "\\" + std::string(part, 'd');
    }
    kvttest::MakeDirs(deep);
    return deep;
}

TEST(IniDefaultFileName, NamesPastTheLimitCannotBeBuilt) {
    TempDir dir("inilong");
    std::string out = dir / "o.txt";
    // 251 characters before ".ini" is too long: the directory, its backslash
    // and the program name must stay within 250.
    // The name follows the last backslash of the command line, so the
    // output file (a path) comes before it.
    struct Case {
        size_t folderLength;
        const char* tail;
        const char* file;  // null: no name
    };
    const Case cases[] = {
        {237, "\\IniPathProbe", "IniPathProbe.ini"},  // 250 + ".ini"
        {238, "\\IniPathProbe", nullptr},
        {246, "\\.", ".ini"},
        {250, "\\.", nullptr},                        // the folder alone reaches it
        {254, "\\.", nullptr},
    };
    ASSERT_LT(dir.path().size() + 2, 237u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folderLength);
        std::string deep = FolderOfLength(dir.path(), c.folderLength);
        ASSERT_EQ(c.folderLength, deep.size());
        ASSERT_TRUE(kvttest::DirExists(deep));
        std::string commandLine = "IniPathProbe.exe \"" + out + "\" " + c.tail;
        ProbeResult p = RunProbe(commandLine, deep, out);
        if (c.file) {
            EXPECT_EQ(deep + "\\" + c.file, p.builtName);
            EXPECT_EQ(p.builtName, p.objectName);
        } else {
            EXPECT_EQ("(null)", p.builtName);
            EXPECT_EQ("", p.objectName);  // every read then gives its default
        }
    }
}

}  // namespace

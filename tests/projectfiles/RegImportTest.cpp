// The installer's own .REG reader, writing below a scratch key of
// HKEY_CURRENT_USER.
#include "ProjectFilesTestUtil.h"

#include "ProjectFiles.h"
#include "WinHandles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kvttest::ScratchKey;
using kvttest::TempDir;
using kvttest::WriteFile;

namespace {

// Replaces every "{K}" with the scratch key's path.
std::string WithKey(std::string text, const std::string& key) {
    for (size_t at = text.find("{K}"); at != std::string::npos; at = text.find("{K}", at + key.size()))
        text.replace(at, 3, key);
    return text;
}

enum Kind { Str, Dword, NoValue, KeyPresent, KeyMissing };

struct Check {
    const char* sub;   // below the scratch key; "" for the key itself
    const char* name;  // value name ("" = default value)
    Kind kind;
    std::string text;  // expected string
    DWORD number;      // expected dword
};

void Verify(const ScratchKey& key, const Check& c) {
    std::string path = *c.sub ? key.path() + "\\" + c.sub : key.path();
    SCOPED_TRACE(testing::Message() << "key " << path << " value \"" << c.name << "\"");
    win::RegKey k;
    LONG open = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, k.receive());
    if (c.kind == KeyMissing) {
        EXPECT_NE(ERROR_SUCCESS, open);
        return;
    }
    if (c.kind == NoValue && open != ERROR_SUCCESS) return;
    ASSERT_EQ(ERROR_SUCCESS, open);
    if (c.kind == KeyPresent) return;
    DWORD type = 0, size = 0;
    LONG q = RegQueryValueExA(k.get(), c.name, NULL, &type, NULL, &size);
    if (c.kind == NoValue) {
        EXPECT_NE(ERROR_SUCCESS, q);
        return;
    }
    ASSERT_EQ(ERROR_SUCCESS, q);
    std::vector<BYTE> data(size + 1);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(k.get(), c.name, NULL, &type, data.data(), &size));
    if (c.kind == Str) {
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(c.text.size() + 1, size);  // stored with its terminating zero
        EXPECT_EQ(c.text, std::string(reinterpret_cast<char*>(data.data())));
    } else {
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        ASSERT_EQ(4u, size);
        DWORD n;
        memcpy(&n, data.data(), 4);
        EXPECT_EQ(c.number, n);
    }
}

TEST(ImportRegFile, LineForms) {
    struct Case {
        const char* what;
        std::string file;  // "{K}" stands for the scratch key
        std::vector<Check> checks;
    } cases[] = {
        {"string values keep backslashes and inner quotes",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\{K}]\r\n"
         "\"Path\"=\"C:\\\\x\"\r\n\"Quote\"=\"say \\\"hi\\\" \"now\"\"\r\n",
         {{"", "Path", Str, "C:\\\\x", 0}, {"", "Quote", Str, "say \\\"hi\\\" \"now\"", 0}}},
        {"dword forms",
         "[HKEY_CURRENT_USER\\{K}]\n\"a\"=dword:0000001f\n\"b\"=DWORD:1F\n"
         "  \"c\" =  dword:1f  \n\"d\"=dword:0x10\n\"e\"=dword:1fzz\n\"f\"=dword:ffffffff\n"
         "\"g\"=dword:  2a\n\"h\"=dword:123456789\n\"i\"=dword:000000001\n",
         {{"", "a", Dword, "", 31}, {"", "b", Dword, "", 31}, {"", "c", Dword, "", 31},
          {"", "d", Dword, "", 16}, {"", "e", Dword, "", 31}, {"", "f", Dword, "", 0xFFFFFFFF},
          {"", "g", Dword, "", 42}, {"", "h", Dword, "", 0x23456789}, {"", "i", Dword, "", 1}}},
        {"a blank before the colon makes another type",
         "[HKEY_CURRENT_USER\\{K}]\r\n\"a\"=dword :1\r\n",
         {{"", "a", NoValue, "", 0}}},
        {"dword without digits writes nothing, not an earlier number",
         "[HKEY_CURRENT_USER\\{K}]\r\n\"ok\"=dword:5\r\n\"a\"=dword:\r\n\"b\"=dword:zz\r\n",
         {{"", "ok", Dword, "", 5}, {"", "a", NoValue, "", 0}, {"", "b", NoValue, "", 0}}},
        {"at-sign line ignored",
         "[HKEY_CURRENT_USER\\{K}]\r\n@=\"x\"\r\n",
         {{"", "", NoValue, "", 0}}},
        {"empty quoted name sets the default value",
         "[HKEY_CURRENT_USER\\{K}]\r\n\"\"=\"def\"\r\n",
         {{"", "", Str, "def", 0}}},
        {"hex values and their continuation lines ignored",
         "[HKEY_CURRENT_USER\\{K}]\r\n\"h\"=hex:01,02,\\\r\n  03,04\r\n"
         "\"x\"=hex(2):41,00\r\n\"after\"=\"yes\"\r\n",
         {{"", "h", NoValue, "", 0}, {"", "x", NoValue, "", 0}, {"", "after", Str, "yes", 0}}},
        {"root in lower case",
         "[hkey_current_user\\{K}\\Low]\r\n\"v\"=\"1\"\r\n",
         {{"Low", "v", Str, "1", 0}}},
        {"key without values is created, also nested",
         "[HKEY_CURRENT_USER\\{K}\\Empty\\Deeper]\r\n",
         {{"Empty\\Deeper", "", KeyPresent, "", 0}}},
        {"values before the first key write nothing",
         "\"early\"=\"x\"\r\n\"n\"=dword:1\r\n[HKEY_CURRENT_USER\\{K}]\r\n",
         {{"", "early", NoValue, "", 0}, {"", "n", NoValue, "", 0}}},
        {"text after the closing quote",
         "[HKEY_CURRENT_USER\\{K}]\r\n\"c\"=\"val\" ; a comment\r\n\"n\"x =\"v\"\r\n",
         {{"", "c", Str, "val", 0}, {"", "n", Str, "v", 0}}},
        {"malformed value lines skipped one by one",
         "[HKEY_CURRENT_USER\\{K}]\r\n\"noeq\"\r\n\"open=\"x\"\r\n\"s\"=\"unclosed\r\n\"ok\"=\"1\"\r\n",
         {{"", "noeq", NoValue, "", 0}, {"", "s", NoValue, "", 0}, {"", "ok", Str, "1", 0}}},
        {"key line without ']' or without a key path keeps the last key",
         "[HKEY_CURRENT_USER\\{K}]\r\n[HKEY_CURRENT_USER\\{K}\\Open\r\n\"a\"=\"1\"\r\n"
         "[HKEY_CURRENT_USER]\r\n\"b\"=\"2\"\r\n",
         {{"", "a", Str, "1", 0}, {"", "b", Str, "2", 0}, {"Open", "", KeyMissing, "", 0}}},
        {"unknown roots and deletion lines take no values",
         "[HKEY_CURRENT_USER\\{K}]\r\n[HKEY_NOWHERE\\{K}\\X]\r\n\"a\"=\"1\"\r\n"
         "[-HKEY_CURRENT_USER\\{K}\\Del]\r\n\"b\"=dword:2\r\n[HKEY_CURRENT_USER\\{K}\\Y]\r\n\"c\"=\"3\"\r\n",
         {{"", "a", NoValue, "", 0}, {"", "b", NoValue, "", 0}, {"X", "", KeyMissing, "", 0},
          {"Del", "", KeyMissing, "", 0}, {"Y", "c", Str, "3", 0}}},
        {"no line end at all",
         "[HKEY_CURRENT_USER\\{K}\\One]",
         {{"One", "", KeyPresent, "", 0}}},
        {"a line of 100,000 characters",
         "[HKEY_CURRENT_USER\\{K}]\r\n;" + std::string(100000, 'c') + "\r\n\"long\"=\"" +
             std::string(100000, 'v') + "\"\r\n\"next\"=\"n\"",
         {{"", "long", Str, std::string(100000, 'v'), 0}, {"", "next", Str, "n", 0}}},
        {"NUL inside a line does not shorten the key",
         "[HKEY_CURRENT_USER\\{K}\\A" + std::string(1, '\0') + "B]\r\n\"v\"=\"1\"\r\n",
         {{"A", "", KeyMissing, "", 0}}},
    };
    TempDir dir("reg");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchKey key("reg");
        WriteFile(dir / "t.reg", WithKey(c.file, key.path()));
        pftest::JobFixture f(dir.path(), dir.path(), PhaseAfterSetup);
        EXPECT_EQ(1, f.job.ImportRegFile(dir / "t.reg"));
        for (const Check& check : c.checks) Verify(key, check);
    }
}

// What the install log reports of a file: every line that was meant to
// write something and did not is skipped, by its number.
TEST(ImportRegFile, TallyCountsAppliedAndSkippedLines) {
    struct Case {
        const char* what;
        std::string file;
        int applied;
        std::vector<int> skipped;
    } cases[] = {
        {"header, blank line and comment count as neither",
         "REGEDIT4\r\n\r\n; note\r\n[HKEY_CURRENT_USER\\{K}]\r\n\"a\"=\"1\"\r\n\"b\"=dword:2\r\n", 3, {}},
        {"hex values and their continuation lines",
         "[HKEY_CURRENT_USER\\{K}]\r\n\"h\"=hex:01,02,\\\r\n  03,04\r\n\"after\"=\"yes\"\r\n", 2, {2, 3}},
        {"values before the first key",
         "\"early\"=\"x\"\r\n[HKEY_CURRENT_USER\\{K}]\r\n\"late\"=\"y\"\r\n", 2, {1}},
        {"an unknown root and the values below it",
         "[HKEY_CURRENT_USER\\{K}]\r\n[HKEY_NOWHERE\\X]\r\n\"a\"=\"1\"\r\n\"b\"=dword:zz\r\n", 1, {2, 3, 4}},
        {"a header that is not on the first line",
         "\r\nREGEDIT4\r\n[HKEY_CURRENT_USER\\{K}]\r\n", 1, {2}},
    };
    TempDir dir("regtally");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchKey key("regtally");
        WriteFile(dir / "t.reg", WithKey(c.file, key.path()));
        projectfiles::RegImportTally tally;
        EXPECT_EQ(1, projectfiles::ImportRegFile(dir / "t.reg", &tally));
        EXPECT_EQ(c.applied, tally.applied);
        EXPECT_EQ(static_cast<int>(c.skipped.size()), tally.skipped);
        EXPECT_EQ(c.skipped, tally.skippedLines);
    }
}

TEST(ImportRegFile, Utf16FileImportsNothing) {
    TempDir dir("reg16");
    ScratchKey key("reg16");
    std::string text = WithKey("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\{K}]\r\n\"v\"=\"1\"\r\n", key.path());
    std::string bytes = "\xFF\xFE";
    for (char ch : text) {
        bytes += ch;
        bytes += '\0';
    }
    WriteFile(dir / "u.reg", bytes);
    pftest::JobFixture f(dir.path(), dir.path(), PhaseAfterSetup);
    EXPECT_EQ(1, f.job.ImportRegFile(dir / "u.reg"));
    Verify(key, {"", "", KeyMissing, "", 0});
    // The same text without the byte-order mark.
    WriteFile(dir / "u.reg", bytes.substr(2));
    EXPECT_EQ(1, f.job.ImportRegFile(dir / "u.reg"));
    Verify(key, {"", "", KeyMissing, "", 0});
}

TEST(ImportRegFile, MissingFile) {
    TempDir dir("regmissing");
    pftest::JobFixture f(dir.path(), dir.path(), PhaseAfterSetup);
    EXPECT_EQ(0, f.job.ImportRegFile(dir / "none.reg"));
}

}  // namespace

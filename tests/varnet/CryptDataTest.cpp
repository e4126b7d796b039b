// CCryptData and its flat interface under Wine: the on-disk forms, reading
// them back, line splitting, errors, and damaged or foreign input.
#include "Varnet01.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

using kvttest::ReadFile;
using kvttest::TempDir;
using kvttest::WriteFile;

namespace {

// Exposes the last error, which only derived classes can see.
class Crypt : public CCryptData {
public:
    int LastError() const { return m_lastError; }
};

const unsigned long kClosed = 0xFFFFFFFFUL;

// "KVTCrypt V  1.00" as it is stored: every character is printable, so each
// is stored as itself + 0x80.
const std::string kScrambledHeader10 =
    "\xCB\xD6\xD4\xC3\xF2\xF9\xF0\xF4\xA0\xD6\xA0\xA0\xB1\xAE\xB0\xB0";

// Scrambles printable text and line ends; enough to build fixtures.
std::string Scramble(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r')
            out += '\x1C';
        else if (c == '\n')
            out += '\x19';
        else if (c >= 0x20 && c <= 0x7F)
            out += static_cast<char>(c + 0x80);
        else
            ADD_FAILURE() << "fixture text outside the printable range";
    }
    return out;
}

// Reads every line until GetString gives null.
std::vector<std::string> ReadLines(CCryptData& crypt) {
    std::vector<std::string> lines;
    while (const char* line = crypt.GetString()) {
        lines.push_back(line);
        if (lines.size() > 100000) break;  // a runaway reader
    }
    return lines;
}

// Reads every byte until GetCharacter fails (capped against a runaway).
std::string ReadAll(CCryptData& crypt) {
    std::string bytes;
    unsigned char c;
    while (bytes.size() < (16u << 20) && crypt.GetCharacter(&c)) bytes += static_cast<char>(c);
    return bytes;
}

bool IsGzip(const std::string& bytes) {
    return bytes.size() >= 18 && bytes[0] == '\x1F' && bytes[1] == '\x8B';
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += "[" + l + "]";
    return all;
}

}  // namespace

static_assert(!std::is_copy_constructible<CCryptData>::value &&
                  !std::is_copy_assignable<CCryptData>::value,
              "a copy would share the stream and the line buffer");

// Assignment stays in the export table for binary callers. Called there, it
// must not hand over the stream: two objects closing one stream would free
// it twice, and the source would lose its line buffer.
TEST(CryptData, AssignmentThroughTheExportSharesNothing) {
    // The member is private: call it through its export, with the calling
    // convention of members (this in ECX on i686).
#if defined(_WIN64)
    typedef CCryptData* (*Assign)(CCryptData* self, const CCryptData* other);
#else
    typedef CCryptData* (__attribute__((thiscall)) *Assign)(CCryptData* self, const CCryptData* other);
#endif
    const Assign assign = reinterpret_cast<Assign>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("Varnet01.dll"), "_ZN10CCryptDataaSERKS_")));
    ASSERT_NE(nullptr, assign);

    TempDir dir("crypt");
    const std::string path = dir / "assign.txt";
    WriteFile(path, "one\r\ntwo\r\n");
    Crypt source, target;
    ASSERT_EQ(0, source.Open(path.c_str(), "r"));
    EXPECT_EQ(&target, assign(&target, &source));
    EXPECT_EQ(nullptr, target.GetFilename());
    EXPECT_EQ(kClosed, target.GetFileSize());
    target.Close();
    EXPECT_STREQ("one", source.GetString());

    // Nor does assigning a closed object close an open one.
    EXPECT_EQ(&source, assign(&source, &target));
    EXPECT_STREQ("two", source.GetString());
    EXPECT_STREQ(path.c_str(), source.GetFilename());
}

TEST(CryptData, ScrambledLineIsHeaderThenScrambledBytes) {
    TempDir dir("crypt");
    const std::string path = dir / "abc.dat";
    {
        Crypt crypt;
        ASSERT_EQ(0, crypt.Open(path.c_str(), "wv"));
        EXPECT_EQ(1, crypt.IsFileCrypted());
        EXPECT_EQ(0UL, crypt.GetFileSize());
        EXPECT_EQ(1, crypt.PutString("abc"));
        EXPECT_EQ(21UL, crypt.GetFilePosition());
        crypt.Close();
    }
    EXPECT_EQ(kScrambledHeader10 + "\xE1\xE2\xE3\x1C\x19", ReadFile(path));

    Crypt reader;
    ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
    EXPECT_EQ(1, reader.IsFileCrypted());
    EXPECT_EQ(21UL, reader.GetFileSize());
    const char* line = reader.GetString();
    ASSERT_NE(nullptr, line);
    EXPECT_STREQ("abc", line);
    EXPECT_EQ(nullptr, reader.GetString());
    EXPECT_EQ(CRYPTDATA_ERR_READ, reader.LastError());
    // Reading past the end stays a plain "no more" answer.
    unsigned char c = 'x';
    EXPECT_EQ(0, reader.GetCharacter(&c));
    EXPECT_EQ(nullptr, reader.GetString());
    EXPECT_EQ(CRYPTDATA_ERR_READ, reader.LastError());
}

TEST(CryptData, ScramblingTableAndItsInverse) {
    struct Row { unsigned char plain, stored; };
    const Row rows[] = {
        {0x00, 0x00}, {0x01, 0x10}, {0x0F, 0x1E}, {0x10, 0x01}, {0x1E, 0x0F}, {0x1F, 0x1F},
        {0x20, 0xA0}, {0x61, 0xE1}, {0x7F, 0xFF}, {0x80, 0x20}, {0xE4, 0x84}, {0xFF, 0x9F},
    };
    TempDir dir("crypt");
    const std::string path = dir / "table.dat";
    {
        Crypt crypt;
        ASSERT_EQ(0, crypt.Open(path.c_str(), "WV"));
        for (int b = 0; b < 256; ++b) {
            unsigned char c = static_cast<unsigned char>(b);
            ASSERT_EQ(1, crypt.PutCharacter(&c));
            ASSERT_EQ(b, c) << "the caller's byte was changed";
        }
    }
    const std::string stored = ReadFile(path);
    ASSERT_EQ(16u + 256u, stored.size());
    for (const Row& row : rows)
        EXPECT_EQ(row.stored, static_cast<unsigned char>(stored[16 + row.plain]))
            << "byte 0x" << std::hex << int(row.plain);

    // Every byte comes back as it was written: the reading table inverts
    // the writing table over the whole range.
    Crypt reader;
    ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
    EXPECT_EQ(1, reader.IsFileCrypted());
    const std::string back = ReadAll(reader);
    ASSERT_EQ(256u, back.size());
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(b, static_cast<unsigned char>(back[b])) << "byte 0x" << std::hex << b;
}

TEST(CryptData, EveryFormReadsBackWithOneOpen) {
    struct Case { const char* mode; bool gzip; int crypted; };
    const Case cases[] = {
        {"w", false, 0}, {"wv", false, 1}, {"wz", true, 0}, {"zvw", true, 1}, {"WZV", true, 1},
    };
    const std::vector<std::string> text = {"first line", "", "Gr\xFC\xDF" "e \xE4\xF6", "last"};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.mode);
        TempDir dir("crypt");
        const std::string path = dir / "form.dat";
        {
            Crypt crypt;
            ASSERT_EQ(0, crypt.Open(path.c_str(), k.mode));
            for (const std::string& line : text) ASSERT_EQ(1, crypt.PutString(line.c_str()));
        }
        const std::string disk = ReadFile(path);
        EXPECT_EQ(k.gzip, IsGzip(disk));

        Crypt reader;
        ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
        EXPECT_EQ(k.crypted, reader.IsFileCrypted());
        EXPECT_EQ(disk.size(), reader.GetFileSize()) << "size on disk, compressed or not";
        EXPECT_EQ(text, ReadLines(reader));
        EXPECT_EQ(disk.size(), reader.GetFilePosition()) << "the whole file was consumed";
    }
}

TEST(CryptData, PlainAndForeignFilesReadAsTheyAre) {
    const std::string body = Scramble("abc\r\n");
    struct Case {
        const char* name;
        std::string bytes;
        int crypted;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"empty file", "", 0, {}},
        {"shorter than a header", "hi\r\nyo", 0, {"hi", "yo"}},
        {"readable header text", "KVTCrypt V  1.00abc\r\n", 0, {"KVTCrypt V  1.00abc"}},
        {"version 2.00", Scramble("KVTCrypt V  2.00") + body, 0,
         {Scramble("KVTCrypt V  2.00") + body}},
        {"version 1.01", Scramble("KVTCrypt V  1.01") + body, 0,
         {Scramble("KVTCrypt V  1.01") + body}},
        {"no point", Scramble("KVTCrypt V  1,00") + body, 0,
         {Scramble("KVTCrypt V  1,00") + body}},
        {"other tag", Scramble("KVTCrypx V  1.00") + body, 0,
         {Scramble("KVTCrypx V  1.00") + body}},
        {"version 0.00", Scramble("KVTCrypt V  0.00") + body, 1, {"abc"}},
        {"version 001.00", Scramble("KVTCrypt V001.00") + body, 1, {"abc"}},
        {"header only", kScrambledHeader10, 1, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TempDir dir("crypt");
        const std::string path = dir / "in.txt";
        WriteFile(path, k.bytes);
        Crypt reader;
        ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
        EXPECT_EQ(k.crypted, reader.IsFileCrypted());
        EXPECT_EQ(k.bytes.size(), reader.GetFileSize());
        EXPECT_EQ(k.lines, ReadLines(reader));
    }
}

TEST(CryptData, LineEndsAndOverlongLines) {
    const std::string line2000 = [] {
        std::string s;
        for (int i = 0; i < 2000; ++i) s += static_cast<char>('a' + i % 26);
        return s;
    }();
    const std::string huge(300000, 'q');
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"CR LF mix", "a\r\n\r\nb", {"a", "", "b"}},
        {"bare LF", "\n\nx\n", {"", "", "x"}},
        {"CR inside a line", "a\rb\r\r\n", {"ab"}},
        {"CR at the end only", "x\n\r", {"x"}},
        {"2000 characters", line2000 + "\r\nnext\r\n", {line2000.substr(0, 1024), "next"}},
        {"1024 exactly", line2000.substr(0, 1024) + "\n", {line2000.substr(0, 1024)}},
        {"far longer, no end", huge, {huge.substr(0, 1024)}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TempDir dir("crypt");
        const std::string path = dir / "lines.txt";
        WriteFile(path, k.bytes);
        Crypt reader;
        ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
        const std::vector<std::string> lines = ReadLines(reader);
        EXPECT_EQ(k.lines, lines) << Lines(lines).substr(0, 200);
    }
}

TEST(CryptData, LongLineInScrambledCompressedFile) {
    TempDir dir("crypt");
    const std::string path = dir / "long.gz";
    const std::string longLine(5000, 'L');
    {
        Crypt crypt;
        ASSERT_EQ(0, crypt.Open(path.c_str(), "wzv"));
        ASSERT_EQ(1, crypt.PutString(longLine.c_str()));
        ASSERT_EQ(1, crypt.PutString("tail"));
    }
    Crypt reader;
    ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
    EXPECT_EQ(1, reader.IsFileCrypted());
    EXPECT_EQ((std::vector<std::string>{longLine.substr(0, 1024), "tail"}), ReadLines(reader));
}

TEST(CryptData, OpenResultsForModesAndPaths) {
    TempDir dir("crypt");
    const std::string existing = dir / "exists.txt";
    WriteFile(existing, "data\r\n");
    const std::string folder = dir.path();
    const std::string missing = dir / "missing.txt";
    const std::string inMissingFolder = dir / "nowhere\\new.txt";
    struct Case { const char* path; const char* mode; int result; };
    const Case cases[] = {
        {existing.c_str(), "", 6},      {existing.c_str(), nullptr, 6},
        {existing.c_str(), "zv", 6},    {existing.c_str(), "a+", 6},
        {nullptr, "r", 2},              {"", "r", 2},
        {nullptr, "w", 2},              {"", "wz", 2},
        {nullptr, nullptr, 6},          {folder.c_str(), "r", 2},
        {folder.c_str(), "w", 2},       {folder.c_str(), "wz", 2},
        {missing.c_str(), "r", 2},      {inMissingFolder.c_str(), "w", 2},
        {inMissingFolder.c_str(), "wzv", 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.path ? k.path : "(null)") + " / " + (k.mode ? k.mode : "(null)"));
        Crypt crypt;
        EXPECT_EQ(k.result, crypt.Open(k.path, k.mode));
        // A failed Open leaves a closed object behind.
        EXPECT_EQ(kClosed, crypt.GetFileSize());
        EXPECT_EQ(nullptr, crypt.GetFilename());
    }
    EXPECT_EQ("data\r\n", ReadFile(existing)) << "a failed Open must not touch the file";

    // r wins over w wherever the letters stand; the file is not truncated.
    Crypt reader;
    ASSERT_EQ(0, reader.Open(existing.c_str(), "wR"));
    EXPECT_STREQ("data", reader.GetString());
    EXPECT_EQ("data\r\n", ReadFile(existing));
}

TEST(CryptData, OpenOnOpenObjectKeepsTheFirstFile) {
    TempDir dir("crypt");
    const std::string first = dir / "first.txt", second = dir / "second.txt";
    WriteFile(first, "one\r\n");
    WriteFile(second, "two\r\n");
    Crypt crypt;
    ASSERT_EQ(0, crypt.Open(first.c_str(), "r"));
    EXPECT_EQ(1, crypt.Open(second.c_str(), "r"));
    EXPECT_EQ(1, crypt.Open(second.c_str(), "w"));
    EXPECT_EQ("two\r\n", ReadFile(second));
    EXPECT_STREQ(first.c_str(), crypt.GetFilename());
    EXPECT_STREQ("one", crypt.GetString());

    // Closed again (twice is harmless), the object opens the next file.
    crypt.Close();
    crypt.Close();
    ASSERT_EQ(0, crypt.Open(second.c_str(), "r"));
    EXPECT_STREQ("two", crypt.GetString());
}

TEST(CryptData, WrongDirectionAndClosedObject) {
    TempDir dir("crypt");
    const std::string path = dir / "dir.txt";
    WriteFile(path, "keep\r\n");

    Crypt reader;
    ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
    unsigned char c = 'x';
    EXPECT_EQ(0, reader.PutCharacter(&c));
    EXPECT_EQ(CRYPTDATA_ERR_DIRECTION, reader.LastError());
    EXPECT_EQ(0, reader.PutString("new"));
    EXPECT_EQ(CRYPTDATA_ERR_DIRECTION, reader.LastError());
    EXPECT_STREQ("keep", reader.GetString()) << "the failed writes moved nothing";
    reader.Close();
    EXPECT_EQ("keep\r\n", ReadFile(path));

    for (const char* mode : {"w", "wz", "wzv"}) {
        SCOPED_TRACE(mode);
        Crypt writer;
        ASSERT_EQ(0, writer.Open(path.c_str(), mode));
        EXPECT_EQ(0, writer.GetCharacter(&c));
        EXPECT_EQ(CRYPTDATA_ERR_DIRECTION, writer.LastError());
        EXPECT_EQ(nullptr, writer.GetString());
    }

    Crypt closed;
    EXPECT_EQ(kClosed, closed.GetFileSize());
    EXPECT_EQ(kClosed, closed.GetFilePosition());
    EXPECT_EQ(nullptr, closed.GetFilename());
    EXPECT_EQ(nullptr, closed.GetString());
    EXPECT_EQ(0, closed.GetCharacter(&c));
    EXPECT_EQ(0, closed.PutCharacter(&c));
    EXPECT_EQ(0, closed.PutString("x"));
    EXPECT_EQ(0, closed.IsFileCrypted());
}

TEST(CryptData, KeepsItsOwnCopyOfTheFileName) {
    TempDir dir("crypt");
    const std::string path = dir / "name.txt";
    WriteFile(path, "x");
    char caller[MAX_PATH];
    lstrcpynA(caller, path.c_str(), sizeof caller);
    Crypt crypt;
    ASSERT_EQ(0, crypt.Open(caller, "r"));
    // The caller reuses its buffer; the object must not follow it.
    lstrcpynA(caller, "C:\\somewhere\\else.txt", sizeof caller);
    EXPECT_STREQ(path.c_str(), crypt.GetFilename());
    crypt.Close();
    EXPECT_EQ(nullptr, crypt.GetFilename());
}

TEST(CryptData, ObjectGoingOutOfScopeCompletesCompressedFile) {
    TempDir dir("crypt");
    const std::string path = dir / "scope.gz";
    {
        Crypt crypt;
        ASSERT_EQ(0, crypt.Open(path.c_str(), "wz"));
        ASSERT_EQ(1, crypt.PutString("kept"));
    }  // no Close
    Crypt reader;
    ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
    EXPECT_EQ(std::vector<std::string>{"kept"}, ReadLines(reader));
    EXPECT_EQ(CRYPTDATA_ERR_READ, reader.LastError());
}

TEST(CryptData, DamagedGzipEndsReadingCleanly) {
    TempDir dir("crypt");
    const std::string source = dir / "good.gz";
    std::string original;
    for (int i = 0; i < 3000; ++i) original += "line " + std::to_string(i * 7919 % 10007) + "\r\n";
    {
        Crypt crypt;
        ASSERT_EQ(0, crypt.Open(source.c_str(), "wz"));
        unsigned char c;
        for (char ch : original) {
            c = static_cast<unsigned char>(ch);
            ASSERT_EQ(1, crypt.PutCharacter(&c));
        }
    }
    const std::string good = ReadFile(source);
    ASSERT_TRUE(IsGzip(good));

    std::string badCrc = good;
    badCrc[badCrc.size() - 8] ^= 0x55;
    auto damaged = [&](size_t from) {
        std::string bad = good;
        for (size_t i = from; i < from + 40; ++i) bad[i] = static_cast<char>(i * 37);
        return bad;
    };
    // Bytes before a cut are sound; damage inside the data can only be
    // found by the check sum after it has been decoded. Every damaged file
    // opens, since the gzip layer looks at the data only when it is read;
    // damage at the very start ends reading before the first byte.
    struct Case { const char* name; std::string bytes; bool soundPrefix; bool nothing; };
    const std::vector<Case> cases = {
        {"truncated in the data", good.substr(0, good.size() / 2), true, false},
        {"trailer missing", good.substr(0, good.size() - 8), true, false},
        {"header only", good.substr(0, 10), true, true},
        {"magic only", good.substr(0, 2), true, true},
        {"check sum wrong", badCrc, true, false},
        {"data damaged later", damaged(good.size() / 2), false, false},
        {"data damaged at the start", damaged(12), false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string path = dir / "bad.gz";
        WriteFile(path, k.bytes);
        Crypt reader;
        ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
        EXPECT_EQ(0, reader.IsFileCrypted());
        EXPECT_EQ(k.bytes.size(), reader.GetFileSize());
        const std::string got = ReadAll(reader);
        EXPECT_EQ(CRYPTDATA_ERR_READ, reader.LastError());
        EXPECT_LE(got.size(), original.size());
        if (k.nothing) {
            EXPECT_EQ("", got);
        }
        if (k.soundPrefix) {
            EXPECT_EQ(original.substr(0, got.size()), got) << "bytes beyond the damage";
        } else {
            EXPECT_LT(got.size(), original.size()) << "the damage went unnoticed";
        }
        // Once failed, the stream stays at its end.
        EXPECT_EQ(nullptr, reader.GetString());
    }
}

TEST(CryptData, RandomBytesReadBackUnchanged) {
    std::string bytes;
    unsigned seed = 12345;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>(seed >> 16);
    }
    ASSERT_FALSE(bytes[0] == '\x1F' && bytes[1] == '\x8B');
    TempDir dir("crypt");
    const std::string path = dir / "random.bin";
    WriteFile(path, bytes);
    Crypt reader;
    ASSERT_EQ(0, reader.Open(path.c_str(), "r"));
    EXPECT_EQ(0, reader.IsFileCrypted());
    EXPECT_EQ(bytes, ReadAll(reader));
    EXPECT_EQ(bytes.size(), reader.GetFilePosition());
}

TEST(CryptFlat, ErrorRuleAndHandles) {
    TempDir dir("crypt");
    const std::string path = dir / "flat.dat";

    EXPECT_EQ(nullptr, fOpenCryptClass(path.c_str(), "q"));
    EXPECT_EQ(CRYPTDATA_ERR_MODE, fGetCryptClassError());
    EXPECT_EQ(nullptr, fOpenCryptClass(dir.path().c_str(), "r"));
    EXPECT_EQ(CRYPTDATA_ERR_OPEN, fGetCryptClassError());

    CCryptData* writer = fOpenCryptClass(path.c_str(), "wv");
    ASSERT_NE(nullptr, writer);
    EXPECT_EQ(CRYPTDATA_OK, fGetCryptClassError());
    EXPECT_STREQ(path.c_str(), fGetFilenameCryptClass(writer));
    EXPECT_EQ(1, IsFileCryptedCryptClass(writer));
    EXPECT_EQ(0UL, CryptGetFileSize(writer));
    EXPECT_EQ(1, fPutStringCryptClass(writer, "abc"));
    unsigned char c = 'd';
    EXPECT_EQ(1, fPutCharCryptClass(writer, &c));
    EXPECT_EQ(22UL, CryptGetFilePosition(writer));
    // A failing read does not change the flat error.
    EXPECT_EQ(0, fGetCharCryptClass(writer, &c));
    EXPECT_EQ(CRYPTDATA_OK, fGetCryptClassError());
    // A failing write hands the object's last error on.
    EXPECT_EQ(0, fPutCharCryptClass(writer, nullptr));
    EXPECT_EQ(CRYPTDATA_ERR_WRITE, fGetCryptClassError());
    EXPECT_EQ(0, fPutStringCryptClass(writer, nullptr));
    EXPECT_EQ(CRYPTDATA_ERR_WRITE, fGetCryptClassError());
    fCloseCryptClass(writer);
    EXPECT_EQ(kScrambledHeader10 + "\xE1\xE2\xE3\x1C\x19\xE4", ReadFile(path));

    CCryptData* reader = fOpenCryptClass(path.c_str(), "r");
    ASSERT_NE(nullptr, reader);
    EXPECT_EQ(CRYPTDATA_OK, fGetCryptClassError());
    EXPECT_EQ(22UL, CryptGetFileSize(reader));
    EXPECT_EQ(0, fPutStringCryptClass(reader, "x"));
    EXPECT_EQ(CRYPTDATA_ERR_DIRECTION, fGetCryptClassError());
    EXPECT_STREQ("abc", fGetStringCryptClass(reader));
    ASSERT_EQ(1, fGetCharCryptClass(reader, &c));
    EXPECT_EQ('d', c);
    EXPECT_EQ(nullptr, fGetStringCryptClass(reader));
    EXPECT_EQ(0, fPutCharCryptClass(reader, &c));
    EXPECT_EQ(CRYPTDATA_ERR_DIRECTION, fGetCryptClassError());
    fCloseCryptClass(reader);

    // A null handle is answered like a closed object.
    EXPECT_EQ(nullptr, fGetStringCryptClass(nullptr));
    EXPECT_EQ(0, fGetCharCryptClass(nullptr, &c));
    EXPECT_EQ(0, fPutStringCryptClass(nullptr, "x"));
    EXPECT_EQ(kClosed, CryptGetFileSize(nullptr));
    EXPECT_EQ(kClosed, CryptGetFilePosition(nullptr));
    EXPECT_EQ(nullptr, fGetFilenameCryptClass(nullptr));
    fCloseCryptClass(nullptr);
}

TEST(CryptFlat, OnlyAnOpenHandleIsClosed) {
    TempDir dir("crypt");
    const std::string path = dir / "twice.dat";

    CCryptData* first = fOpenCryptClass(path.c_str(), "wzv");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, fPutStringCryptClass(first, "one"));
    EXPECT_EQ(1, fCloseCryptClass(first));
    EXPECT_EQ(0, fCloseCryptClass(first));

    // Handles opened after it never take its place, so the stale handle
    // closed again cannot end them.
    std::vector<CCryptData*> closed = {first};
    CCryptData* reader = nullptr;
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        reader = fOpenCryptClass(path.c_str(), "r");
        ASSERT_NE(nullptr, reader);
        for (CCryptData* stale : closed) {
            EXPECT_NE(stale, reader);
            EXPECT_EQ(0, fCloseCryptClass(stale));
        }
        EXPECT_EQ(1, IsFileCryptedCryptClass(reader));
        EXPECT_STREQ("one", fGetStringCryptClass(reader));
        EXPECT_EQ(nullptr, fGetStringCryptClass(reader));
        EXPECT_EQ(1, fCloseCryptClass(reader));
        closed.push_back(reader);
    }

    // Neither a null handle nor an object this interface did not open is
    // taken: the object stays open and usable.
    EXPECT_EQ(0, fCloseCryptClass(nullptr));
    Crypt own;
    ASSERT_EQ(0, own.Open(path.c_str(), "r"));
    EXPECT_EQ(0, fCloseCryptClass(&own));
    EXPECT_STREQ("one", own.GetString());
    EXPECT_STREQ(path.c_str(), own.GetFilename());
    own.Close();
}

// Drive letters in front of ":\tarvo\" are moved to the drive a marked file
// was copied to.
#include "ProjectFilesTestUtil.h"

#include "ProjectFiles.h"

#include <gtest/gtest.h>

#include <string>

using kvttest::FileExists;
using kvttest::ReadFile;
using kvttest::TempDir;
using kvttest::WriteFile;

namespace {

const char kTemplate[] = "?:\\tarvo\\";

std::string Bytes(const char* s, size_t n) { return std::string(s, n); }

TEST(MoveDriveLetters, RewritesTheByteInFrontOfEachOccurrence) {
    struct Case {
        std::string before;
        std::string after;
        int count;
    } cases[] = {
        {"D:\\tarvo\\x c:\\TARVO\\y", "E:\\tarvo\\x E:\\TARVO\\y", 2},
        {":\\tarvo\\a Q:\\TaRvO\\b", ":\\tarvo\\a E:\\TaRvO\\b", 1},
        {"::\\tarvo\\", "E:\\tarvo\\", 1},
        {"\xE4:\\tarvo\\", "E:\\tarvo\\", 1},
        {"C:\\tarvo", "C:\\tarvo", 0},
        {"C:/tarvo/x C:\\tarvos\\", "C:/tarvo/x C:\\tarvos\\", 0},
        {"C:\\t\xC1rvo\\", "C:\\t\xC1rvo\\", 0},
        {"", "", 0},
        {Bytes("\0\0C:\\tarvo\\\0", 12), Bytes("\0\0E:\\tarvo\\\0", 12), 1},
    };
    TempDir dir("mdl");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        std::string path = dir / kvttest::UniqueName("f");
        WriteFile(path, c.before);
        EXPECT_EQ(c.count, CToolInstallJob::MoveDriveLetters(path, kTemplate, 'E'));
        EXPECT_EQ(c.after, ReadFile(path));
    }
}

TEST(MoveDriveLetters, FileThatCannotBeUpdated) {
    TempDir dir("mdl-fail");
    EXPECT_EQ(-1, CToolInstallJob::MoveDriveLetters(dir / "none.bin", kTemplate, 'E'));
    WriteFile(dir / "ro.bin", "C:\\tarvo\\");
    SetFileAttributesA((dir / "ro.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(-1, CToolInstallJob::MoveDriveLetters(dir / "ro.bin", kTemplate, 'E'));
    EXPECT_EQ("C:\\tarvo\\", ReadFile(dir / "ro.bin"));
}

// The rule read byte by byte: every byte in front of ":\tarvo\" (letters
// in any case) becomes `drive`; `old`, when given, gets the bytes replaced.
std::string ByteWindowResult(const std::string& data, char drive, int* count, std::string* old = nullptr) {
    std::string expected = data;
    *count = 0;
    const std::string pattern = ":\\tarvo\\";
    for (size_t i = 1; i + pattern.size() <= data.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < pattern.size() && match; ++k) {
            char c = data[i + k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            match = c == pattern[k];
        }
        if (match) {
            if (old) *old += data[i - 1];
            expected[i - 1] = drive;
            ++*count;
        }
    }
    return expected;
}

// The file is read in chunks (of a power of two up to 256 KB) and the
// letters are written in batches: occurrences cut at
// every place by a chunk border, sparse random ones, and so many dense ones
// that several batches are written between reads, against a byte-by-byte
// reading of the rule.
TEST(MoveDriveLetters, SameResultAsAByteWindowAcrossChunkBorders) {
    std::string sparse(48 * 65536, 'x');
    unsigned seed = 12345;
    const char alphabet[] = ":\\tarvoTARVO\\:xyz";
    for (char& c : sparse) {
        seed = seed * 1103515245u + 12345u;
        c = alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    const std::string occurrence = "Q:\\TarVo\\";
    // Border j cuts an occurrence k = j - 1 bytes after its start.
    for (size_t k = 0; k <= occurrence.size(); ++k)
        sparse.replace(262144 * (k + 1) - k, occurrence.size(), occurrence);
    for (size_t at = 1000; at + 9 < sparse.size(); at += 7919)
        if (at % 65536 > 32 && at % 65536 < 65000) sparse.replace(at, 9, "z:\\tarvo\\");

    // An occurrence every 20 bytes, 3 MB long: about 157,000 letters.
    std::string dense;
    while (dense.size() < 3 * 1048576) dense += "ab z:\\TARVO\\lib.dll ";

    const struct {
        const char* name;
        const std::string& data;
        int atLeast;
    } cases[] = {{"sparse", sparse, 100}, {"dense", dense, 150000}};
    TempDir dir("mdl-chunks");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int expectedCount = 0;
        const std::string expected = ByteWindowResult(c.data, 'K', &expectedCount);
        ASSERT_GT(expectedCount, c.atLeast);
        const std::string path = dir / (std::string(c.name) + ".bin");
        WriteFile(path, c.data);
        EXPECT_EQ(expectedCount, CToolInstallJob::MoveDriveLetters(path, kTemplate, 'K'));
        const std::string after = ReadFile(path);
        ASSERT_EQ(expected.size(), after.size());
        EXPECT_TRUE(expected == after) << "first difference at "
                                       << std::mismatch(expected.begin(), expected.end(), after.begin()).first -
                                              expected.begin();
    }
}

// A file of many megabytes has its letters written by a second thread while
// the scan reads on. Occurrences cut by chunk borders after that thread has
// started, a dense stretch that gets the reading ahead of the writing, and
// an occurrence that ends the file. Moved twice in a row: the second move
// finds the system's worker thread already there. The old letters are read
// the same way, without a write.
TEST(MoveDriveLetters, LargeFileHasTheSameResultWhileItsLettersAreWrittenAside) {
    std::string data(12 * 1048576, 'x');
    unsigned seed = 777;
    for (char& c : data) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>('a' + (seed >> 16) % 26);
    }
    const char fronts[] = "CDcd\\:Q0";
    size_t n = 0;
    for (size_t at = 500; at + 9 < data.size(); at += 6007, ++n)
        data.replace(at, 9, std::string(1, fronts[n % (sizeof fronts - 1)]) + (n % 2 ? ":\\TARVO\\" : ":\\tarvo\\"));
    for (size_t at = 1048576; at < 2 * 1048576; at += 20) data.replace(at, 9, "z:\\TaRvO\\");
    const std::string occurrence = "E:\\tarvo\\";
    for (size_t k = 0; k <= occurrence.size(); ++k)
        data.replace(262144 * (30 + k) - k, occurrence.size(), occurrence);
    data.replace(data.size() - occurrence.size(), occurrence.size(), occurrence);

    TempDir dir("mdl-large");
    const std::string path = dir / "large.bin";
    WriteFile(path, data);
    int oldCount = 0;
    std::string oldLetters;
    ByteWindowResult(data, 'K', &oldCount, &oldLetters);
    ASSERT_GT(oldCount, 50000);
    std::string found;
    EXPECT_EQ(oldCount, projectfiles::FindDriveLetters(path, found));
    EXPECT_TRUE(oldLetters == found) << found.size() << " letters, expected " << oldLetters.size();
    EXPECT_TRUE(data == ReadFile(path)) << "reading the letters changed the file";

    std::string current = data;
    for (char drive : {'K', 'L'}) {
        SCOPED_TRACE(drive);
        int expectedCount = 0;
        const std::string expected = ByteWindowResult(current, drive, &expectedCount);
        EXPECT_EQ(expectedCount, CToolInstallJob::MoveDriveLetters(path, kTemplate, drive));
        const std::string after = ReadFile(path);
        ASSERT_EQ(expected.size(), after.size());
        EXPECT_TRUE(expected == after) << "first difference at "
                                       << std::mismatch(expected.begin(), expected.end(), after.begin()).first -
                                              expected.begin();
        current = after;
    }
}

// A "_~_" file is stored without the marker and gets the drive it was
// copied to, on C: and, through Wine's Z: drive, on another letter.
TEST(MoveDriveLetters, MarkedFileGetsTheDriveItWasCopiedTo) {
    TempDir medium("mark-medium"), target("mark-target");
    const std::string content = std::string(":\\tarvo\\0 D:\\tarvo\\x") + '\0' + "c:\\TARVO\\y";
    WriteFile(medium / "_~_data.bin", content);
    const std::string zTarget = pftest::OnDriveZ(target.path());
    for (const std::string& dest : {target.path(), zTarget}) {
        if (dest.empty()) continue;  // no Z: drive in this prefix
        SCOPED_TRACE(dest);
        pftest::JobFixture f(medium.path(), dest, PhaseProjectFiles);
        EXPECT_EQ(1, f.job.InstallFile("_~_data.bin", dest, medium.path()));
        EXPECT_FALSE(FileExists(target / "_~_data.bin"));
        std::string expected = content;
        expected[10] = dest[0];
        expected[21] = dest[0];
        EXPECT_EQ(expected, ReadFile(target / "data.bin"));
    }
    if (zTarget.empty()) GTEST_SKIP() << "Wine's Z: drive is not mapped; only C: was checked";
}

}  // namespace

// Project files onto a drive too small for them (the wrapper script maps a
// small tmpfs as drive KVT_SMALL_DRIVE): the job ends with code 1, and no
// file is left half-written: the configuration file that does not fit keeps
// its earlier content, the binary that does not fit is absent.
#include "JobTestSupport.h"

#include "Varnet01.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

using namespace jobtest;

namespace {

// About 8 MB of lines with a placeholder in each, or of bytes.
std::string Big(bool text) {
    std::string bytes;
    bytes.reserve(8u << 20);
    while (bytes.size() < (8u << 20)) bytes += text ? "Project=%%PROJEKT%% of the small drive test\r\n" : "\x01\x02\x03\x04";
    return bytes;
}

TEST(DiskFull, NothingIsLeftHalfWrittenAndTheJobEndsWithCode1) {
    const char* drive = getenv("KVT_SMALL_DRIVE");
    ASSERT_TRUE(drive && drive[0]) << "run through disk-full.sh, which maps the small drive";
    const std::string root = std::string(drive) + "\\";
    ULARGE_INTEGER freeBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &freeBytes, NULL, NULL));
    ASSERT_LT(freeBytes.QuadPart, 7ull << 20) << "the drive is not small enough to show the fault";

    Scene s("Alpha");
    const std::string app = s.source + "\\APPFiles";
    Put(app + "\\big.ini", Big(true));
    Put(app + "\\big.bin", Big(false));
    Put(app + "\\small.txt", "Small=%%PROJEKT%%\r\n");
    ASSERT_TRUE(s.job.Prepare());
    s.job.targetFolder = root + kvttest::UniqueName("full");
    ASSERT_EQ(0, fCreatePath(s.job.targetFolder.c_str()));
    // An earlier installation's configuration file, which must survive.
    Put(s.job.targetFolder + "\\big.ini", "Project=earlier\r\n");

    s.job.phase = s.job.lastStartedPhase = PhaseProjectFiles;
    s.job.RunPhase();
    EXPECT_EQ(std::vector<int>{ResultCannotWriteTarget}, s.host.closes);
    EXPECT_EQ("Project=earlier\r\n", kvttest::ReadFile(s.job.targetFolder + "\\big.ini"));
    EXPECT_FALSE(kvttest::FileExists(s.job.targetFolder + "\\big.bin"));
    EXPECT_EQ("Small=" + s.job.projectName + "\r\n", kvttest::ReadFile(s.job.targetFolder + "\\small.txt"));
    kvttest::RemoveTree(s.job.targetFolder);
}

}  // namespace

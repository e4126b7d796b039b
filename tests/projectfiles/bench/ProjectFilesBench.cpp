// Times CopyFileGroup on a generated medium tree against the system's own
// "xcopy /e /i" of the same tree, and MoveDriveLetters on a 64 MB file
// against a plain sequential read of it. Prints every figure and the ratios.
//
//   projectfiles_bench.exe [work folder]     (default: the temporary folder)
#include "ToolInstallJob.h"

#include "Varnet01.h"
#include "WinHandles.h"
#include "BenchSupport.h"
#include "TestSupport.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

using namespace kvtbench;


double TimeGroupCopy(const std::string& toolFolder, const std::string& target) {
    ToolRecord tool;
    CToolInstallJob job(tool);
    job.toolSourceFolder = toolFolder;
    // Fixed so that the run does not depend on the prefix.
    job.family = FamilyNT;
    job.targetFolder = target;
    job.projectName = "Bench";
    job.userName = "Bench User";
    job.company = "Bench Company";
    job.phase = PhaseProjectFiles;
    double t0 = Now();
    job.CopyFileGroup("Bench");
    return Now() - t0;
}

double TimeSequentialRead(const std::string& path) {
    std::vector<char> buffer(64 * 1024);
    double t0 = Now();
    win::File f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, NULL));
    DWORD got = 0;
    unsigned long long sum = 0;
    while (f && ReadFile(f.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, NULL) && got)
        sum += static_cast<unsigned char>(buffer[got - 1]);
    double t = Now() - t0;
    if (sum == 1) printf(" ");  // keeps the reads from being optimised away
    return t;
}

// The same read, then one one-byte write at each letter's place: what the
// move costs when its writes wait for its reading.
double TimeReadThenLetterWrites(const std::string& path, const std::vector<size_t>& letters) {
    const double read = TimeSequentialRead(path);
    win::File f(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!f) return -1;
    double t0 = Now();
    for (size_t at : letters) {
        DWORD done = 0;
        if (SetFilePointer(f.get(), static_cast<LONG>(at), NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
            !WriteFile(f.get(), "E", 1, &done, NULL) || done != 1)
            return -1;
    }
    return read + (Now() - t0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string work = WorkFolder(argc, argv, "kvt-bench");

    const std::string tool = work + "\\medium\\Bench";
    const std::string tree = tool + "\\BenchFiles";
    printf("Generating the medium in %s ...\n", work.c_str());
    const Tree m = MakeMedium(tree);
    printf("Medium: %d files, %.1f MB\n", m.files, m.bytes / 1048576.0);

    const int rounds = 3;
    double bestGroup = 1e30, bestXcopy = 1e30;
    for (int r = 0; r < rounds; ++r) {
        std::string g = work + "\\group" + std::to_string(r), x = work + "\\xcopy" + std::to_string(r);
        // Alternating who goes first evens out what the cache gives either.
        double tg, tx;
        if (r % 2 == 0) {
            tg = TimeGroupCopy(tool, g);
            tx = TimeXcopy("/e /i", tree, x);
        } else {
            tx = TimeXcopy("/e /i", tree, x);
            tg = TimeGroupCopy(tool, g);
        }
        const Tree gt = FolderContents(g, true), xt = FolderContents(x, true);
        const int gf = gt.files, xf = xt.files;
        const unsigned long long gb = gt.bytes, xb = xt.bytes;
        printf("round %d: CopyFileGroup %.3f s (%d files, %.1f MB)   xcopy /e /i %.3f s (%d files, %.1f MB)\n",
               r + 1, tg, gf, gb / 1048576.0, tx, xf, xb / 1048576.0);
        if (gf != m.files || xf != m.files) printf("  warning: a copy is incomplete\n");
        if (tg < bestGroup) bestGroup = tg;
        if (tx > 0 && tx < bestXcopy) bestXcopy = tx;
        kvttest::RemoveTree(g);
        kvttest::RemoveTree(x);
    }

    const std::string big = work + "\\drive64.bin";
    std::string bytes = RandomBytes(64u * 1024 * 1024);
    std::vector<size_t> letters;
    for (size_t at = 100; at + 20 < bytes.size(); at += 100 * 1024) {
        memcpy(&bytes[at], "D:\\tarvo\\lib\\x.dll", 18);
        letters.push_back(at);
    }
    Write(big, bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    double bestRead = 1e30, bestMove = 1e30, bestSerial = 1e30;
    int moved = 0;
    for (int r = 0; r < rounds; ++r) {
        double tr = TimeSequentialRead(big);
        double t0 = Now();
        moved = CToolInstallJob::MoveDriveLetters(big, "?:\\tarvo\\", 'E');
        double tm = Now() - t0;
        printf("round %d: sequential read of 64 MB %.3f s   MoveDriveLetters %.3f s (%d letters)\n", r + 1, tr,
               tm, moved);
        const double ts = TimeReadThenLetterWrites(big, letters);
        printf("         the read, then %d one-byte writes at the letters %.3f s\n",
               static_cast<int>(letters.size()), ts);
        if (tr < bestRead) bestRead = tr;
        if (tm < bestMove) bestMove = tm;
        if (ts > 0 && ts < bestSerial) bestSerial = ts;
    }

    printf("\nBest of %d rounds:\n", rounds);
    printf("  CopyFileGroup        %8.3f s\n", bestGroup);
    printf("  xcopy /e /i          %8.3f s\n", bestXcopy);
    printf("  ratio group/xcopy    %8.2f   (aim: at most 1.00)\n", bestGroup / bestXcopy);
    printf("  MoveDriveLetters     %8.3f s\n", bestMove);
    printf("  sequential read      %8.3f s\n", bestRead);
    printf("  ratio move/read      %8.2f   (aim: at most 2.00)\n", bestMove / bestRead);
    // Sparse letters cost a write each, which no scan can save; only
    // writing them while the reading goes on can hide it.
    if (bestSerial < 1e30)
        printf("    read, then a one-byte write per letter %.3f s, ratio %.2f\n", bestSerial,
               bestSerial / bestRead);
    else
        printf("    read, then the writes: not measured, the letters could not be written\n");

    kvttest::RemoveTree(work);
    return 0;
}

// What the benchmarks share: a clock, generated files, the system's own
// xcopy for comparison, and folder sizes.
#pragma once
#include <windows.h>

#include <string>

namespace kvtbench {

// The folder a benchmark works in: a new one named after `tag` and the
// process below argv[1], or below the temporary folder without arguments.
std::string WorkFolder(int argc, char** argv, const char* tag);

// Seconds on the performance counter.
double Now();
// Pseudo-random numbers and bytes (a fixed sequence per run).
unsigned Next();
std::string RandomBytes(size_t size);
// Writes and flushes the file, so that writing it back to disk does not land
// in the first timed copy.
bool Write(const std::string& path, const std::string& bytes);

struct Tree {
    int files = 0;
    unsigned long long bytes = 0;
};
// About 2,000 files and 200 MB below `root`: binaries of 1 KB to 213 KB
// named with `binaryExtension` in three levels of folders, configuration
// files with placeholders, "_~_" files with embedded paths, and some empty
// folders.
Tree MakeMedium(const std::string& root, const std::string& binaryExtension = ".bin");

// Seconds that "xcopy.exe <switches> /q source target" takes; -1 when it
// cannot be started.
double TimeXcopy(const std::string& switches, const std::string& source, const std::string& target);

// Files (and their bytes) in `folder`, and in its sub-folders when `deep`.
Tree FolderContents(const std::string& folder, bool deep);

}  // namespace kvtbench

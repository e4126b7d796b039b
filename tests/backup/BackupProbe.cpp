// BackupProbe.exe: makes the backup offer for each folder given, one after
// the other as an install run does, and notes in the result file when each
// offer has returned.
//
//   BackupProbe [<copy>] <language> <result file> <folder> <name> [<folder> <name> ...]
//
// <copy> puts a copy of the test's in the place of the real one:
//   --throw   throws instead of copying.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "BackupOffer.h"

namespace {

DWORD ThrowingCopy(const std::string&, const std::string&, const std::string&,
                   const std::atomic<unsigned char>&) {
    throw std::runtime_error("copy failed");
}

}  // namespace

int main(int argc, char** argv) {
    CopyTreeRoutine copy = &CopyTree;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--throw") == 0) {
        copy = &ThrowingCopy;
        first = 2;
    }
    if (argc - first < 4 || (argc - first) % 2) return 2;
    const int language = std::atoi(argv[first]);
    const char* results = argv[first + 1];
    for (int i = first + 2; i + 1 < argc; i += 2) {
        OfferBackup(NULL, language, argv[i], argv[i + 1], copy);
        if (FILE* f = std::fopen(results, "ab")) {
            std::fprintf(f, "%s returned\r\n", argv[i + 1]);
            std::fclose(f);
        }
    }
    return 0;
}

// BackupProbe.exe: makes the backup offer for each folder given, one after
// the other as an install run does, and notes in the result file when each
// offer has returned.
//
//   BackupProbe [<copy>] <language> <result file> <folder> <name> [<folder> <name> ...]
//
// <copy> puts a copy of the test's in the place of the real one:
//   --hold <busy event> <release event>  signals busy, then waits (at most
//       60 seconds) for the release, ignoring the abort flag as a long file
//       copy does, and fails as if a file could not be copied;
//   --throw                               throws instead of copying.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "BackupOffer.h"
#include "WinHandles.h"

namespace {

win::Handle g_busy;
win::Handle g_release;

DWORD HeldCopy(const std::string&, const std::string&, const std::string&,
               const std::atomic<unsigned char>&) {
    SetEvent(g_busy.get());
    WaitForSingleObject(g_release.get(), 60000);
    return ERROR_ACCESS_DENIED;
}

DWORD ThrowingCopy(const std::string&, const std::string&, const std::string&,
                   const std::atomic<unsigned char>&) {
    throw std::runtime_error("copy failed");
}

}  // namespace

int main(int argc, char** argv) {
    CopyTreeRoutine copy = &CopyTree;
    int first = 1;
    if (argc > 3 && std::strcmp(argv[1], "--hold") == 0) {
        g_busy.reset(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
        g_release.reset(OpenEventA(SYNCHRONIZE, FALSE, argv[3]));
        if (!g_busy || !g_release) return 2;
        copy = &HeldCopy;
        first = 4;
    } else if (argc > 1 && std::strcmp(argv[1], "--throw") == 0) {
        copy = &ThrowingCopy;
        first = 2;
    }
    if (argc - first < 4 || (argc - first) % 2) return 2;
    const Language language = std::atoi(argv[first]) ? LanguageGerman : LanguageEnglish;
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

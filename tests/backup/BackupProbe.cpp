// BackupProbe.exe: makes the backup offer for each folder given, one after
// the other as an install run does, and notes in the result file when each
// offer has returned.
//
//   BackupProbe <language> <result file> <folder> <name> [<folder> <name> ...]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "BackupOffer.h"

int main(int argc, char** argv) {
    if (argc < 5 || (argc - 3) % 2) return 2;
    const Language language = std::atoi(argv[1]) ? LanguageGerman : LanguageEnglish;
    for (int i = 3; i + 1 < argc; i += 2) {
        OfferBackup(NULL, language, argv[i], argv[i + 1]);
        if (FILE* f = std::fopen(argv[2], "ab")) {
            std::fprintf(f, "%s returned\r\n", argv[i + 1]);
            std::fclose(f);
        }
    }
    return 0;
}

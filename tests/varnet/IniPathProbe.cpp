// Test probe: writes, one per line, into the file named by its first argument
// (absolute, or relative to the working directory): fBuildPrivateIniFileName(),
// the file name a default-constructed CIniData uses, and fGetWinVersion().
// Further arguments only shape the command line.
#include "Varnet01.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* built = fBuildPrivateIniFileName();
    char name[256];
    strcpy(name, built ? built : "(null)");
    CIniData ini;
    FILE* f = fopen(argv[1], "wb");
    if (!f) return 3;
    fprintf(f, "%s\n%s\n%d\n", name, ini.GetIniFileName(), fGetWinVersion());
    fclose(f);
    return 0;
}

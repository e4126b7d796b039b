// Command-line access to CCryptData for the gzip interchange check, which
// runs the Linux gzip tool beside it:
//   crypt_tool write PATH MODE LINE...   writes the lines with PutString
//   crypt_tool read PATH                 prints "crypted=N", then each line
#include "Varnet01.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 4 && strcmp(argv[1], "write") == 0) {
        CCryptData crypt;
        const int result = crypt.Open(argv[2], argv[3]);
        if (result != 0) {
            fprintf(stderr, "open: %d\n", result);
            return 1;
        }
        for (int i = 4; i < argc; ++i)
            if (!crypt.PutString(argv[i])) return 1;
        crypt.Close();
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "read") == 0) {
        CCryptData crypt;
        const int result = crypt.Open(argv[2], "r");
        if (result != 0) {
            fprintf(stderr, "open: %d\n", result);
            return 1;
        }
        printf("crypted=%d\n", crypt.IsFileCrypted());
        while (const char* line = crypt.GetString()) printf("%s\n", line);
        return 0;
    }
    fprintf(stderr, "usage: crypt_tool write PATH MODE LINE... | read PATH\n");
    return 2;
}

// KVTCheck [/STRICT] <medium folder>: checks an installation medium before it
// is pressed. 0: no errors (with /STRICT no warnings either), 1: errors,
// 2: the medium cannot be read.
#include <windows.h>

#include <cstdio>
#include <string>

#include "MediumCheck.h"
#include "PathText.h"

int main(int argc, char** argv) {
    bool strict = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (EqualsNoCase(arg, "/STRICT") || EqualsNoCase(arg, "-STRICT"))
            strict = true;
        else if (folder.empty())
            folder = arg;
        else
            folder.clear(), i = argc;
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: KVTCheck [/STRICT] <medium folder>\n");
        return CheckUnreadable;
    }
    Findings findings;
    const int code = CheckMedium(folder, findings);
    std::printf("%s\n", findings.Summary().c_str());
    if (code != CheckClean) return code;
    if (findings.errors() > 0 || (strict && findings.warnings() > 0)) return CheckErrors;
    return CheckClean;
}

// Times the start of KVTInstall on the sample medium until its main dialog
// shows, against the start of a bare dialog program until its dialog shows:
// N starts of each, interleaved so that both see the same machine, after
// one warm-up start each. Prints every round, both medians and their ratio.
//
//   startup_bench.exe [starts]     (default 15)
#include "AppDriver.h"
#include "BenchSupport.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string BinDir() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\'));
}

// Seconds from the start of `exe` in `folder` until one of its visible
// top-level windows is `shown`; -1 when it does not start or show within
// 30 s. With `first`, also the seconds until the process showed any window
// at all. Each look lists the windows once, for both: the watching loads
// either program the same.
double TimeStart(const std::string& exe, const std::string& folder, bool (*shown)(HWND),
                 double* first = NULL) {
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string command = "\"" + exe + "\"";
    const double start = kvtbench::Now();
    if (!CreateProcessA(exe.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &si, &pi))
        return -1;
    double seconds = -1;
    if (first) *first = -1;
    while (kvtbench::Now() - start < 30) {
        const std::vector<HWND> windows = apptest::TopWindows(pi.dwProcessId);
        const double now = kvtbench::Now() - start;
        if (first && *first < 0 && !windows.empty()) *first = now;
        if (std::any_of(windows.begin(), windows.end(), shown)) {
            seconds = now;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return seconds;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int starts = argc > 1 ? atoi(argv[1]) : 15;
    std::string medium = "Z:" KVT_MEDIUM_DIR;
    std::replace(medium.begin(), medium.end(), '/', '\\');
    const std::string kvt = BinDir() + "\\KVTInstall.exe";
    const std::string bare = BinDir() + "\\BareDialog.exe";
    if (GetFileAttributesA((medium + "\\KVTInstall.ini").c_str()) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "no medium at %s\n", medium.c_str());
        return 2;
    }
    // Warm-up: the first start of each loads its libraries from disk.
    if (TimeStart(bare, medium, apptest::IsDialog) < 0 || TimeStart(kvt, medium, apptest::IsMainDialog) < 0) {
        fprintf(stderr, "a program did not show its dialog\n");
        return 1;
    }
    std::vector<double> bareTimes, kvtTimes, backdropTimes;
    for (int i = 0; i < starts; ++i) {
        double backdrop = -1;
        const double b = TimeStart(bare, medium, apptest::IsDialog);
        const double k = TimeStart(kvt, medium, apptest::IsMainDialog, &backdrop);
        if (b < 0 || k < 0) {
            fprintf(stderr, "round %d: a program did not show its dialog\n", i + 1);
            return 1;
        }
        printf("round %2d: bare dialog %6.1f ms   KVTInstall %6.1f ms (its backdrop %5.1f ms)\n", i + 1,
               b * 1000, k * 1000, backdrop * 1000);
        bareTimes.push_back(b);
        kvtTimes.push_back(k);
        backdropTimes.push_back(backdrop);
    }
    const double mb = Median(bareTimes), mk = Median(kvtTimes);
    printf("  median bare dialog     %6.1f ms\n", mb * 1000);
    printf("  median KVTInstall      %6.1f ms (sample medium, to the main dialog shown)\n", mk * 1000);
    // Up to its first window the program starts as the bare one does; the
    // rest is the main dialog, made and filled.
    printf("    of which to its first window, the backdrop %6.1f ms\n", Median(backdropTimes) * 1000);
    printf("  ratio KVTInstall/bare   %5.2f   (aim: at most 1.50)\n", mk / mb);
    return 0;
}

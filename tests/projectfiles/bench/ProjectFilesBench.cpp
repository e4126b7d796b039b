// Times CopyFileGroup on a generated medium tree against the system's own
// "xcopy /e /i" of the same tree, and MoveDriveLetters on a 64 MB file
// against a plain sequential read of it. Prints every figure and the ratios.
//
//   projectfiles_bench.exe [work folder]     (default: the temporary folder)
#include "ToolInstallJob.h"
#include "WindowsFamily.h"

#include "Varnet01.h"
#include "WinHandles.h"
#include "TestSupport.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

unsigned long long g_seed = 0x9E3779B97F4A7C15ull;
unsigned Next() {
    g_seed ^= g_seed << 13;
    g_seed ^= g_seed >> 7;
    g_seed ^= g_seed << 17;
    return static_cast<unsigned>(g_seed >> 32);
}

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

bool Write(const std::string& path, const std::string& bytes) {
    win::File f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    DWORD written = 0;
    // Flushed, so that writing the medium back to disk does not land in the
    // first timed copy.
    return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL) &&
           written == bytes.size() && FlushFileBuffers(f.get());
}

std::string RandomBytes(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i + 4 <= size; i += 4) {
        unsigned v = Next();
        memcpy(&s[i], &v, 4);
    }
    return s;
}

struct Medium {
    int files = 0;
    unsigned long long bytes = 0;
};

// About 2,000 files and 200 MB below `root`: binaries of 1 KB to 200 KB in
// three levels of folders, configuration files with placeholders, "_~_"
// files with embedded paths, and some empty folders.
Medium MakeMedium(const std::string& root) {
    Medium m;
    fCreatePath(root.c_str());
    for (int a = 0; a < 20; ++a) {
        std::string la = root + "\\dir" + std::to_string(a);
        for (int b = 0; b < 4; ++b) {
            std::string lb = la + "\\sub" + std::to_string(b);
            std::string lc = lb + "\\deep";
            fCreatePath(lc.c_str());
            if (b == 3) fCreatePath((lb + "\\empty").c_str());
            const std::string folders[] = {la, lb, lc};
            for (int k = 0; k < 25; ++k) {
                const std::string& folder = folders[k % 3];
                std::string name = "f" + std::to_string(a) + "_" + std::to_string(b) + "_" + std::to_string(k);
                std::string bytes;
                if (k == 5) {
                    name += ".ini";
                    std::string line = "Path=%%LW%%\\Tarvo\\%%PROJEKT%% User=%%NAME%% Firm=%%FIRMA%% Win=%%WINDIR%%\n";
                    for (int i = 0; i < 60; ++i) bytes += line;
                } else if (k == 11) {
                    name = "_~_" + name + ".dat";
                    bytes = RandomBytes(120 * 1024);
                    for (size_t at = 512; at + 20 < bytes.size(); at += 4096)
                        memcpy(&bytes[at], "D:\\tarvo\\lib\\x.dll", 18);
                } else {
                    name += ".bin";
                    bytes = RandomBytes(1024 + Next() % (212 * 1024));
                }
                Write(folder + "\\" + name, bytes);
                ++m.files;
                m.bytes += bytes.size();
            }
        }
    }
    return m;
}

double TimeGroupCopy(const std::string& toolFolder, const std::string& target) {
    ToolRecord tool;
    CToolInstallJob job(tool);
    job.toolSourceFolder = toolFolder;
    job.targetFolder = target;
    job.projectName = "Bench";
    job.userName = "Bench User";
    job.company = "Bench Company";
    job.phase = PhaseProjectFiles;
    double t0 = Now();
    job.CopyFileGroup("Bench");
    return Now() - t0;
}

double TimeXcopy(const std::string& source, const std::string& target) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string exe = std::string(system) + "\\xcopy.exe";
    std::string cmd = "xcopy.exe /e /i /q \"" + source + "\" \"" + target + "\"";
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    win::File nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                              OPEN_EXISTING, 0, NULL));
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul.get();
    PROCESS_INFORMATION pi;
    double t0 = Now();
    if (!CreateProcessA(exe.c_str(), line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "cannot start %s\n", exe.c_str());
        return -1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    double t = Now() - t0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return t;
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

unsigned long long FolderBytes(const std::string& path, int& files) {
    unsigned long long total = 0;
    WIN32_FIND_DATAA fd;
    win::FindHandle h(FindFirstFileA((path + "\\*").c_str(), &fd));
    if (!h) return 0;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            total += FolderBytes(path + "\\" + name, files);
        } else {
            ++files;
            total += (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        }
    } while (FindNextFileA(h.get(), &fd));
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    std::string work;
    if (argc > 1) {
        work = argv[1];
    } else {
        const char* tmp = fGetWindowsDirectory(2);
        work = tmp ? tmp : ".";
    }
    work = JoinPath(work, "kvt-bench-" + std::to_string(GetCurrentProcessId()));
    // The family is fixed so that the run does not depend on the prefix.
    WindowsFamily = FamilyNT;

    const std::string tool = work + "\\medium\\Bench";
    const std::string tree = tool + "\\BenchFiles";
    printf("Generating the medium in %s ...\n", work.c_str());
    Medium m = MakeMedium(tree);
    printf("Medium: %d files, %.1f MB\n", m.files, m.bytes / 1048576.0);

    const int rounds = 3;
    double bestGroup = 1e30, bestXcopy = 1e30;
    for (int r = 0; r < rounds; ++r) {
        std::string g = work + "\\group" + std::to_string(r), x = work + "\\xcopy" + std::to_string(r);
        // Alternating who goes first evens out what the cache gives either.
        double tg, tx;
        if (r % 2 == 0) {
            tg = TimeGroupCopy(tool, g);
            tx = TimeXcopy(tree, x);
        } else {
            tx = TimeXcopy(tree, x);
            tg = TimeGroupCopy(tool, g);
        }
        int gf = 0, xf = 0;
        unsigned long long gb = FolderBytes(g, gf), xb = FolderBytes(x, xf);
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
    for (size_t at = 100; at + 20 < bytes.size(); at += 100 * 1024)
        memcpy(&bytes[at], "D:\\tarvo\\lib\\x.dll", 18);
    Write(big, bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    double bestRead = 1e30, bestMove = 1e30;
    int moved = 0;
    for (int r = 0; r < rounds; ++r) {
        double tr = TimeSequentialRead(big);
        double t0 = Now();
        moved = CToolInstallJob::MoveDriveLetters(big, "?:\\tarvo\\", 'E');
        double tm = Now() - t0;
        printf("round %d: sequential read of 64 MB %.3f s   MoveDriveLetters %.3f s (%d letters)\n", r + 1, tr,
               tm, moved);
        if (tr < bestRead) bestRead = tr;
        if (tm < bestMove) bestMove = tm;
    }

    printf("\nBest of %d rounds:\n", rounds);
    printf("  CopyFileGroup        %8.3f s\n", bestGroup);
    printf("  xcopy /e /i          %8.3f s\n", bestXcopy);
    printf("  ratio group/xcopy    %8.2f   (aim: at most 1.50)\n", bestGroup / bestXcopy);
    printf("  MoveDriveLetters     %8.3f s\n", bestMove);
    printf("  sequential read      %8.3f s\n", bestRead);
    printf("  ratio move/read      %8.2f\n", bestMove / bestRead);

    kvttest::RemoveTree(work);
    return 0;
}

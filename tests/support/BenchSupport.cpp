#include "BenchSupport.h"

#include <stdio.h>
#include <string.h>

#include <vector>

#include "WinHandles.h"

namespace kvtbench {

namespace {
unsigned long long g_seed = 0x9E3779B97F4A7C15ull;

void MakeFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), NULL);
        if (at == std::string::npos) break;
    }
}
}  // namespace

std::string WorkFolder(int argc, char** argv, const char* tag) {
    std::string work;
    if (argc > 1) {
        work = argv[1];
    } else {
        char temp[MAX_PATH];
        work = GetTempPathA(sizeof temp, temp) ? temp : ".\\";
    }
    if (work.empty() || work.back() != '\\') work += '\\';
    return work + tag + "-" + std::to_string(GetCurrentProcessId());
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

unsigned Next() {
    g_seed ^= g_seed << 13;
    g_seed ^= g_seed >> 7;
    g_seed ^= g_seed << 17;
    return static_cast<unsigned>(g_seed >> 32);
}

std::string RandomBytes(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i + 4 <= size; i += 4) {
        unsigned v = Next();
        memcpy(&s[i], &v, 4);
    }
    return s;
}

bool Write(const std::string& path, const std::string& bytes) {
    win::File f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    DWORD written = 0;
    return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL) &&
           written == bytes.size() && FlushFileBuffers(f.get());
}

Tree MakeMedium(const std::string& root, const std::string& binaryExtension) {
    Tree m;
    MakeFolders(root);
    for (int a = 0; a < 20; ++a) {
        std::string la = root + "\\dir" + std::to_string(a);
        for (int b = 0; b < 4; ++b) {
            std::string lb = la + "\\sub" + std::to_string(b);
            std::string lc = lb + "\\deep";
            MakeFolders(lc);
            if (b == 3) MakeFolders(lb + "\\empty");
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
                    name += binaryExtension;
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

double TimeXcopy(const std::string& switches, const std::string& source, const std::string& target) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string exe = std::string(system) + "\\xcopy.exe";
    std::string cmd = "xcopy.exe " + switches + " /q \"" + source + "\" \"" + target + "\"";
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

Tree FolderContents(const std::string& folder, bool deep) {
    Tree total;
    WIN32_FIND_DATAA fd;
    win::FindHandle h(FindFirstFileA((folder + "\\*").c_str(), &fd));
    if (!h) return total;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!deep) continue;
            const Tree sub = FolderContents(folder + "\\" + name, true);
            total.files += sub.files;
            total.bytes += sub.bytes;
        } else {
            ++total.files;
            total.bytes += (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        }
    } while (FindNextFileA(h.get(), &fd));
    return total;
}

}  // namespace kvtbench

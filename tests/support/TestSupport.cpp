#include "TestSupport.h"

#include <stdio.h>

#include <sstream>
#include <vector>

namespace kvttest {

namespace {
LONG g_counter = 0;
}

std::string UniqueName(const char* tag) {
    char text[128];
    snprintf(text, sizeof text, "%s-%lu-%ld", tag, GetCurrentProcessId(),
             InterlockedIncrement(&g_counter));
    return text;
}

std::string BinDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string p(path, n);
    return p.substr(0, p.find_last_of('\\'));
}

void MakeDirs(const std::string& path) {
    for (size_t pos = path.find('\\', 3); ; pos = path.find('\\', pos + 1)) {
        CreateDirectoryA(path.substr(0, pos).c_str(), NULL);
        if (pos == std::string::npos) break;
    }
}

TempDir::TempDir(const char* tag) {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    path_ = std::string(tmp) + "kvt-tests\\" + UniqueName(tag);
    RemoveTree(path_);
    MakeDirs(path_);
}

TempDir::~TempDir() { RemoveTree(path_); }

void CopyTree(const std::string& from, const std::string& to) {
    MakeDirs(to);
    WIN32_FIND_DATAA e;
    HANDLE find = FindFirstFileA((from + "\\*.*").c_str(), &e);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = e.cFileName;
        if (name == "." || name == "..") continue;
        if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + "\\" + name, to + "\\" + name);
        else
            CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    } while (FindNextFileA(find, &e));
    FindClose(find);
}

std::vector<std::string> ReadStandInList(const std::string& path) {
    std::vector<std::string> paths;
    std::istringstream list(ReadFile(path));
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        for (char& c : line)
            if (c == '/') c = '\\';
        paths.push_back(line);
    }
    return paths;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

ScratchKey::ScratchKey(const char* tag, HKEY root, const char* parent)
    : root_(root), path_(std::string(parent) + "\\" + UniqueName(tag)) {
    DeleteKeyTree(root_, path_);
}

ScratchKey::~ScratchKey() { DeleteKeyTree(root_, path_); }

bool DeleteKeyTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return true;
    std::vector<std::string> children;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        children.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& c : children) DeleteKeyTree(root, path + "\\" + c);
    return RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadFile(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return std::string();
    std::string out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void SetWineVersionFor(const std::string& exeName, const char* version) {
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    if (!version || !*version) {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
            RegDeleteValueA(k, "Version");
            RegCloseKey(k);
        }
        return;
    }
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k,
                        NULL) == ERROR_SUCCESS) {
        RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(strlen(version) + 1));
        RegCloseKey(k);
    }
}

RunResult RunProgram(const std::string& exe, const std::string& commandLine,
                     const std::string& cwd, DWORD timeoutMs) {
    RunResult r;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(exe.c_str(), cmd.data(), NULL, NULL, FALSE, 0, NULL,
                        cwd.empty() ? NULL : cwd.c_str(), &si, &pi))
        return r;
    r.started = true;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        r.finished = true;
        GetExitCodeProcess(pi.hProcess, &r.exitCode);
    } else {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return r;
}

}  // namespace kvttest

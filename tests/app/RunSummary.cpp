#include "RunSummary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace runsummary {

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

void Walk(const std::string& folder, FileSnapshot& out) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(Join(folder, "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> subfolders;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = Join(folder, name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders.push_back(path);
            continue;
        }
        FileState state;
        state.size = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        state.written = (static_cast<unsigned long long>(entry.ftLastWriteTime.dwHighDateTime) << 32) |
                        entry.ftLastWriteTime.dwLowDateTime;
        out[Upper(path)] = std::make_pair(path, state);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    for (const std::string& sub : subfolders) Walk(sub, out);
}

std::string ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    char buf[64];
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text(reinterpret_cast<const char*>(data.data()), size);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return "\"" + text + "\"";
    }
    if (type == REG_DWORD && size == 4) {
        DWORD v;
        memcpy(&v, data.data(), 4);
        snprintf(buf, sizeof buf, "dword:%08lx (%lu)", static_cast<unsigned long>(v),
                 static_cast<unsigned long>(v));
        return buf;
    }
    snprintf(buf, sizeof buf, "type %lu, %lu bytes", static_cast<unsigned long>(type),
             static_cast<unsigned long>(size));
    return buf;
}

void WalkKey(HKEY root, const std::string& key, REGSAM view, RegSnapshot& out) {
    HKEY h;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS) return;
    std::vector<BYTE> data(64 * 1024);
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD nameLen = sizeof name, type = 0, size = static_cast<DWORD>(data.size());
        LONG r = RegEnumValueA(h, i, name, &nameLen, NULL, &type, data.data(), &size);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS) continue;
        out[key + std::string(1, '\0') + name] = ValueText(type, data, size);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD nameLen = sizeof name;
        if (RegEnumKeyExA(h, i, name, &nameLen, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        subkeys.push_back(key + "\\" + name);
    }
    RegCloseKey(h);
    for (const std::string& sub : subkeys) WalkKey(root, sub, view, out);
}

}  // namespace

FileSnapshot SnapshotTree(const std::string& root) {
    FileSnapshot out;
    Walk(root, out);
    return out;
}

std::vector<std::string> NewOrChanged(const FileSnapshot& before, const FileSnapshot& after) {
    std::vector<std::string> out;
    for (const auto& entry : after) {
        auto old = before.find(entry.first);
        const FileState& now = entry.second.second;
        if (old == before.end() || old->second.second.size != now.size ||
            old->second.second.written != now.written)
            out.push_back(entry.second.first);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> FilesBelow(const std::string& folder) {
    return NewOrChanged(FileSnapshot(), SnapshotTree(folder));
}

RegSnapshot SnapshotRegistry(HKEY root, const std::string& key, REGSAM view) {
    RegSnapshot out;
    WalkKey(root, key, view, out);
    return out;
}

std::vector<std::string> NewOrChangedValues(const RegSnapshot& before, const RegSnapshot& after,
                                            const std::string& rootName) {
    std::vector<std::string> out;
    for (const auto& entry : after) {
        auto old = before.find(entry.first);
        if (old != before.end() && old->second == entry.second) continue;
        const size_t cut = entry.first.find('\0');
        const std::string name = entry.first.substr(cut + 1);
        out.push_back(rootName + "\\" + entry.first.substr(0, cut) + ": " +
                      (name.empty() ? "@" : name) + " = " + entry.second);
    }
    return out;
}

bool DeleteKeyTree(HKEY root, const std::string& key, REGSAM view) {
    HKEY h;
    LONG r = RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | view, &h);
    if (r == ERROR_FILE_NOT_FOUND) return true;
    if (r != ERROR_SUCCESS) return false;
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD nameLen = sizeof name;
        if (RegEnumKeyExA(h, i, name, &nameLen, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        subkeys.push_back(name);
    }
    RegCloseKey(h);
    for (const std::string& sub : subkeys) DeleteKeyTree(root, key + "\\" + sub, view);
    // RegDeleteKeyEx (with its view) is missing before XP: look it up.
    typedef LONG(WINAPI * DeleteKeyEx)(HKEY, LPCSTR, REGSAM, DWORD);
    DeleteKeyEx deleteEx = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    r = deleteEx ? deleteEx(root, key.c_str(), view, 0) : RegDeleteKeyA(root, key.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder.empty()) return false;
    std::string p = Upper(path), f = Upper(folder);
    while (!f.empty() && f.back() == '\\') f.pop_back();
    return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\');
}

std::string UnixPath(const std::string& windowsPath, const PathMap& map) {
    std::string path = windowsPath;
    if (!map.wow64Folder.empty() && IsBelow(path, map.systemFolder)) {
        std::string system = map.systemFolder;
        while (!system.empty() && system.back() == '\\') system.pop_back();
        path = map.wow64Folder + path.substr(system.size());
    }
    std::string out;
    if (path.size() >= 2 && path[1] == ':') {
        char drive = path[0];
        if (drive >= 'A' && drive <= 'Z') drive = static_cast<char>(drive - 'A' + 'a');
        out = std::string("drive_") + drive;
        path = path.substr(2);
    }
    for (char c : path) out += c == '\\' ? '/' : c;
    return out;
}

PathMap CurrentPathMap() {
    PathMap map;
    char buf[MAX_PATH] = "";
    GetSystemDirectoryA(buf, sizeof buf);
    map.systemFolder = buf;
    // Both are missing before XP; then nothing is redirected.
    typedef BOOL(WINAPI * IsWow64)(HANDLE, PBOOL);
    typedef UINT(WINAPI * Wow64Dir)(LPSTR, UINT);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    IsWow64 isWow64 = reinterpret_cast<IsWow64>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    Wow64Dir wow64Dir = reinterpret_cast<Wow64Dir>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemWow64DirectoryA")));
    BOOL wow64 = FALSE;
    if (isWow64 && wow64Dir && isWow64(GetCurrentProcess(), &wow64) && wow64 &&
        wow64Dir(buf, sizeof buf) > 0)
        map.wow64Folder = buf;
    return map;
}

std::string WindowsFolder(int kind) {
    char buf[MAX_PATH] = "";
    if (kind == 0)
        GetWindowsDirectoryA(buf, sizeof buf);
    else
        GetSystemDirectoryA(buf, sizeof buf);
    return buf;
}

}  // namespace runsummary

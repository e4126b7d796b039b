#include "ProjectFilesTestUtil.h"

#include "WinHandles.h"

#include <vector>

namespace pftest {

JobFixture::JobFixture(const std::string& medium, const std::string& target, int phase)
    : job(tool) {
    tool.dir = "Tool";
    tool.languageGerman = "1";
    tool.languageEnglish = "0";
    job.toolSourceFolder = medium;
    job.targetFolder = target;
    job.phase = phase;
}

FILETIME MakeTime(int year, int month, int day) {
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = 12;
    FILETIME ft = {};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

bool SetTimes(const std::string& path, const FILETIME& accessed, const FILETIME& written) {
    win::File f(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            NULL, OPEN_EXISTING, 0, NULL));
    return f && SetFileTime(f.get(), NULL, &accessed, &written);
}

bool GetTimes(const std::string& path, FILETIME& accessed, FILETIME& written) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    accessed = data.ftLastAccessTime;
    written = data.ftLastWriteTime;
    return true;
}

double AgeSeconds(const FILETIME& t) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = now.dwLowDateTime;
    a.HighPart = now.dwHighDateTime;
    b.LowPart = t.dwLowDateTime;
    b.HighPart = t.dwHighDateTime;
    return (static_cast<double>(a.QuadPart) - static_cast<double>(b.QuadPart)) / 1e7;
}

std::string OnDriveZ(const std::string& windowsPath) {
    typedef char*(CDECL * UnixName)(LPCWSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    UnixName toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    int n = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, NULL, 0);
    std::vector<WCHAR> wide(n);
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), n);
    char* unixPath = toUnix(wide.data());
    if (!unixPath) return std::string();
    std::string z = std::string("Z:") + unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    for (char& c : z)
        if (c == '/') c = '\\';
    return kvttest::DirExists(z) ? z : std::string();
}

}  // namespace pftest

// Windows version, standard directories, directory creation, free space and
// registry values: thin layers over Win32 that report only by their result.
#include "Varnet01.h"
#include "VarnetInternal.h"
#include "WinHandles.h"

#include <string.h>
#include <string>

using varnet::g_pathBuffer;
using varnet::kPathBufferSize;

namespace {

DWORD g_registryNumber;

bool IsDirectory(const char* path) {
    DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Where the walk of fCreatePath starts, and so which leading components it
// never tries to create: a drive designator, or the \\server\share of a
// network path (that cannot be created by nature; a path of nothing more
// leaves nothing to create).
size_t CreateWalkStart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return 3;
    if (path.compare(0, 2, "\\\\") == 0) {
        size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path.size();
        size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path.size() : share + 1;
    }
    return 0;
}

}  // namespace

extern "C" char const* fGetDLLVersion(void) { return "1.95 (08.08.2006)"; }

extern "C" int fGetWinVersion(void) {
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return -1;
    return static_cast<int>(info.dwPlatformId);
}

extern "C" char* fGetWindowsDirectory(int kind) {
    const UINT room = kPathBufferSize - 1;
    DWORD len = 0;
    switch (kind) {
    case VARNET_DIR_WINDOWS: len = GetWindowsDirectoryA(g_pathBuffer, room); break;
    case VARNET_DIR_SYSTEM: len = GetSystemDirectoryA(g_pathBuffer, room); break;
    case VARNET_DIR_TEMP: len = GetTempPathA(room, g_pathBuffer); break;
    case VARNET_DIR_CURRENT:
        len = GetCurrentDirectoryA(room, g_pathBuffer);
        break;
    default: return NULL;
    }
    if (len == 0 || len >= room) return NULL;
    if (g_pathBuffer[len - 1] == '\\') g_pathBuffer[len - 1] = '\0';
    return g_pathBuffer;
}

extern "C" int fCreatePath(char const* path) {
    if (!path) return -1;
    std::string work(path);
    work += '\\';
    if (work.size() == 3 && work[1] == ':') return -1;  // a bare "D:"

    for (size_t pos = work.find('\\', CreateWalkStart(work)); pos != std::string::npos;
         pos = work.find('\\', pos + 1)) {
        if (pos == 0) continue;  // the empty first component of "\\A" or ""
        std::string dir = work.substr(0, pos);
        if (CreateDirectoryA(dir.c_str(), NULL)) continue;
        // Existing directories are passed over; anything else means the
        // path cannot be completed, and the callers must hear of it.
        if (!IsDirectory(dir.c_str())) return 1;
    }
    return 0;
}

extern "C" unsigned long long fGetDriveInfo(char const* root, unsigned long long* total) {
    typedef BOOL(WINAPI * FreeSpaceEx)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    typedef BOOL(WINAPI * FreeSpace)(LPCSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD);

    unsigned long long freeBytes = 0, totalBytes = 0;
    // The 64-bit query arrived with Windows 95 OSR2: look it up at run time.
    win::Library kernel(LoadLibraryA("Kernel32.DLL"));
    if (kernel) {
        FreeSpaceEx ex = reinterpret_cast<FreeSpaceEx>(
            reinterpret_cast<void*>(GetProcAddress(kernel.get(), "GetDiskFreeSpaceExA")));
        FreeSpace old = reinterpret_cast<FreeSpace>(
            reinterpret_cast<void*>(GetProcAddress(kernel.get(), "GetDiskFreeSpaceA")));
        if (ex) {
            ULARGE_INTEGER avail, size, allFree;
            if (ex(root, &avail, &size, &allFree)) {
                freeBytes = avail.QuadPart;
                totalBytes = size.QuadPart;
            }
        } else if (old) {
            DWORD sectors, bytes, freeClusters, clusters;
            if (old(root, &sectors, &bytes, &freeClusters, &clusters)) {
                // Formed in 64 bits so that large drives do not wrap around.
                unsigned long long cluster = static_cast<unsigned long long>(sectors) * bytes;
                freeBytes = cluster * freeClusters;
                totalBytes = cluster * clusters;
            }
        }
    }
    if (total) *total = totalBytes;
    return freeBytes;
}

namespace {

// Reads a value of root\subKey into data (size: room in, length out). The
// key is opened with full access, as the installer's settings are; a null
// subKey means root itself. With a null value name it only proves that the
// key exists, and subKey is copied into the shared path buffer.
bool ReadValue(HKEY root, const char* subKey, const char* valueName, void* data, DWORD* size) {
    win::RegKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS)
        return false;
    if (!valueName) {
        varnet::CopyText(g_pathBuffer, subKey, kPathBufferSize);
        return true;
    }
    return RegQueryValueExA(key.get(), valueName, NULL, NULL, static_cast<BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

}  // namespace

extern "C" char* fGetRegistryEntry(HKEY root, char const* subKey, char const* valueName) {
    DWORD size = kPathBufferSize - 1;
    if (!ReadValue(root, subKey, valueName, g_pathBuffer, &size)) return NULL;
    // Data stored without its terminator must not run past the buffer.
    if (valueName) g_pathBuffer[size] = '\0';
    return g_pathBuffer;
}

extern "C" DWORD* fGetRegistryValue(HKEY root, char const* subKey, char const* valueName) {
    DWORD number = 0;  // shorter data leaves the high bytes zero
    DWORD size = sizeof number;
    if (!ReadValue(root, subKey, valueName, &number, &size)) return NULL;
    if (valueName) g_registryNumber = number;
    return &g_registryNumber;
}

namespace {

// Creates or opens root\subKey; with a name, sets the value of the given
// type. 1 only when a value was written.
int WriteValue(HKEY root, const char* subKey, const char* valueName, DWORD type,
               const BYTE* data, DWORD size) {
    if (!subKey) return 0;
    win::RegKey key;
    DWORD disposition;
    if (RegCreateKeyExA(root, subKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                        key.receive(), &disposition) != ERROR_SUCCESS)
        return 0;
    if (!valueName || !data) return 0;
    return RegSetValueExA(key.get(), valueName, 0, type, data, size) == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace

extern "C" int fWriteRegistry(HKEY root, char const* subKey, char const* valueName,
                              char const* value) {
    DWORD size = value ? static_cast<DWORD>(strlen(value) + 1) : 0;
    return WriteValue(root, subKey, valueName, REG_SZ, reinterpret_cast<const BYTE*>(value), size);
}

extern "C" int fWriteRegistryValue(HKEY root, char const* subKey, char const* valueName,
                                   DWORD value) {
    return WriteValue(root, subKey, valueName, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                      sizeof value);
}

// Registry, path, drive and Windows-version queries. Include Varnet01.h
// rather than this file.
#pragma once

// Platform family of fGetWinVersion (the version record's platform id).
enum {
    VARNET_PLATFORM_WIN32S = 0,
    VARNET_PLATFORM_WIN9X = 1,
    VARNET_PLATFORM_NT = 2
};

// Directory kinds of fGetWindowsDirectory.
enum {
    VARNET_DIR_WINDOWS = 0,
    VARNET_DIR_SYSTEM = 1,
    VARNET_DIR_TEMP = 2,
    VARNET_DIR_CURRENT = 3
};

VARNET_C char const* fGetDLLVersion(void);
VARNET_C int fGetWinVersion(void);
// Results below live in the shared path buffer until the next call of
// fGetWindowsDirectory, fGetRegistryEntry or fBuildPrivateIniFileName.
VARNET_C char* fGetWindowsDirectory(int kind);
// 0 when the walk completed: every directory exists afterwards, passing
// over a \\server\share prefix and the empty first component of "\A";
// -1 for a bare drive ("D:"); 1 when a directory could not be created.
VARNET_C int fCreatePath(char const* path);
VARNET_C unsigned long long fGetDriveInfo(char const* root, unsigned long long* total);
VARNET_C char* fGetRegistryEntry(HKEY root, char const* subKey, char const* valueName);
VARNET_C DWORD* fGetRegistryValue(HKEY root, char const* subKey, char const* valueName);
VARNET_C int fWriteRegistry(HKEY root, char const* subKey, char const* valueName, char const* value);
VARNET_C int fWriteRegistryValue(HKEY root, char const* subKey, char const* valueName, DWORD value);

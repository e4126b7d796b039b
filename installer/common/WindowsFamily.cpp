#include "WindowsFamily.h"

#include <windows.h>
#include <string.h>

WindowsFamily DetectWindowsFamily() {
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return FamilyUnknown;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return FamilyNT;
    return info.dwMinorVersion != 0 ? FamilyWin98 : FamilyWin95;
}

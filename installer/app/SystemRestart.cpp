#include "SystemRestart.h"

#include <windows.h>

#include "WinHandles.h"

namespace {

class RealRestart : public SystemRestart {
public:
    bool EnableShutdownPrivilege() override {
        win::Handle token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                              token.receive()))
            return false;
        TOKEN_PRIVILEGES privileges;
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
            return false;
        // Success is judged by the last error: the call also succeeds when
        // the privilege could not be assigned (ERROR_NOT_ALL_ASSIGNED).
        SetLastError(0);
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, NULL, NULL);
        return GetLastError() == 0;
    }
    bool RequestRestart() override { return ExitWindowsEx(EWX_REBOOT, 0) != FALSE; }
};

}  // namespace

SystemRestart& WindowsRestart() {
    static RealRestart restart;
    return restart;
}

// The two requests Exit makes of Windows to restart it. A real restart under
// Wine ends every program of the prefix, so tests put their own in its place.
#pragma once

class SystemRestart {
public:
    // Enables the shutdown privilege in this process's token (NT family);
    // false when the token cannot be opened or not every privilege could be
    // assigned.
    virtual bool EnableShutdownPrivilege() = 0;
    // Asks Windows to end all programs and restart; false when refused.
    virtual bool RequestRestart() = 0;

protected:
    ~SystemRestart() = default;
};

// The real requests.
SystemRestart& WindowsRestart();

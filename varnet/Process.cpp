// Process and window utilities. Processes are listed through PSAPI (with
// VDMDBG for 16-bit tasks) on the NT family and through the toolhelp
// functions on Windows 95/98; both are looked up at run time, because each
// family lacks the other's, and the library must load on every version.
#include "Varnet01.h"
#include "WinHandles.h"

#include <tlhelp32.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// Visited once per process, and on the NT family once more per 16-bit task
// inside an NTVDM (with that NTVDM's id). False stops the walk.
typedef bool (*ProcessVisitor)(DWORD processId, WORD task16, const char* path, void* user);

template <typename F>
F Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Case-insensitive equality in the system's ANSI code page.
bool EqualNoCase(const char* a, const char* b) {
    std::string x(a), y(b);
    if (x.size() != y.size()) return false;
    if (!x.empty()) {
        CharUpperBuffA(&x[0], static_cast<DWORD>(x.size()));
        CharUpperBuffA(&y[0], static_cast<DWORD>(y.size()));
    }
    return x == y;
}

// The part of a path after its last folder or drive separator.
const char* FileNamePart(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

bool EndsWithNoCase(const char* text, const char* tail) {
    size_t n = strlen(text), m = strlen(tail);
    return n >= m && EqualNoCase(text + n - m, tail);
}

// ---- NT family: PSAPI and VDMDBG ------------------------------------------

typedef BOOL(WINAPI* EnumProcessesFn)(DWORD*, DWORD, DWORD*);
typedef BOOL(WINAPI* EnumProcessModulesFn)(HANDLE, HMODULE*, DWORD, DWORD*);
typedef DWORD(WINAPI* GetModuleFileNameExFn)(HANDLE, HMODULE, LPSTR, DWORD);
typedef BOOL(WINAPI* TaskEnumProcEx)(DWORD, WORD, WORD, LPSTR, LPSTR, LPARAM);
typedef INT(WINAPI* VDMEnumTaskWOWExFn)(DWORD, TaskEnumProcEx, LPARAM);

struct TaskWalk {
    DWORD vdmProcessId;
    ProcessVisitor visit;
    void* user;
    bool stopped;
};

BOOL WINAPI VisitTask(DWORD, WORD, WORD task16, LPSTR, LPSTR fileName, LPARAM data) {
    TaskWalk* walk = reinterpret_cast<TaskWalk*>(data);
    if (!walk->visit(walk->vdmProcessId, task16, fileName ? fileName : "", walk->user))
        walk->stopped = true;
    return walk->stopped ? TRUE : FALSE;  // TRUE ends VDMDBG's walk
}

int EnumerateNT(ProcessVisitor visit, void* user) {
    win::Library psapi(LoadLibraryA("PSAPI.DLL"));
    win::Library vdmdbg(LoadLibraryA("VDMDBG.DLL"));
    if (!psapi || !vdmdbg) return 0;
    EnumProcessesFn enumProcesses = Lookup<EnumProcessesFn>(psapi.get(), "EnumProcesses");
    EnumProcessModulesFn enumModules =
        Lookup<EnumProcessModulesFn>(psapi.get(), "EnumProcessModules");
    GetModuleFileNameExFn moduleFileName =
        Lookup<GetModuleFileNameExFn>(psapi.get(), "GetModuleFileNameExA");
    VDMEnumTaskWOWExFn enumTasks = Lookup<VDMEnumTaskWOWExFn>(vdmdbg.get(), "VDMEnumTaskWOWEx");
    if (!enumProcesses || !enumModules || !moduleFileName || !enumTasks) return 0;

    // The platform cannot say how many ids there are; a list that fills the
    // buffer completely may have been cut short.
    std::vector<DWORD> ids(256);
    DWORD bytes = 0;
    for (;;) {
        DWORD room = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!enumProcesses(ids.data(), room, &bytes)) return 0;
        if (bytes < room) break;
        try {
            ids.assign(ids.size() * 2, 0);
        } catch (...) {
            return 0;
        }
    }

    size_t count = bytes / sizeof(DWORD);
    for (size_t i = 0; i < count; ++i) {
        DWORD id = ids[i];
        char path[MAX_PATH + 1] = "";
        {
            win::Handle process(
                OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
            if (process) {
                HMODULE first = NULL;
                DWORD needed = 0;
                if (!enumModules(process.get(), &first, sizeof first, &needed) ||
                    moduleFileName(process.get(), first, path, MAX_PATH) == 0)
                    path[0] = '\0';
                path[MAX_PATH] = '\0';
            }
        }
        if (!visit(id, 0, path, user)) break;
        if (EndsWithNoCase(path, "NTVDM.EXE")) {
            TaskWalk walk = {id, visit, user, false};
            enumTasks(id, VisitTask, reinterpret_cast<LPARAM>(&walk));
            if (walk.stopped) break;
        }
    }
    return 1;
}

// ---- Windows 95/98: toolhelp of Kernel32 ------------------------------------

typedef HANDLE(WINAPI* CreateSnapshotFn)(DWORD, DWORD);
typedef BOOL(WINAPI* Process32Fn)(HANDLE, PROCESSENTRY32*);

#ifndef _WIN64
// The record size Windows 95 knows; a larger one would be refused there.
static_assert(sizeof(PROCESSENTRY32) == 296, "toolhelp process record");
#endif

int EnumerateToolhelp(ProcessVisitor visit, void* user) {
    win::Library kernel(LoadLibraryA("Kernel32.DLL"));
    if (!kernel) return 0;
    CreateSnapshotFn snapshot =
        Lookup<CreateSnapshotFn>(kernel.get(), "CreateToolhelp32Snapshot");
    Process32Fn first = Lookup<Process32Fn>(kernel.get(), "Process32First");
    Process32Fn next = Lookup<Process32Fn>(kernel.get(), "Process32Next");
    if (!snapshot || !first || !next) return 0;

    HANDLE raw = snapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return 0;
    win::Handle list(raw);
    PROCESSENTRY32 entry;
    memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = first(list.get(), &entry); more; more = next(list.get(), &entry)) {
        entry.szExeFile[MAX_PATH - 1] = '\0';
        if (!visit(entry.th32ProcessID, 0, entry.szExeFile, user)) break;
        entry.dwSize = sizeof entry;
    }
    return 1;
}

// 1 when the running Windows offers a way to list processes and it ran.
int EnumerateProcesses(ProcessVisitor visit, void* user) {
    switch (fGetWinVersion()) {
    case VARNET_PLATFORM_NT: return EnumerateNT(visit, user);
    case VARNET_PLATFORM_WIN9X: return EnumerateToolhelp(visit, user);
    default: return 0;
    }
}

// ---- Searches ---------------------------------------------------------------

struct ProcessSearch {
    const char* fileName;
    const std::vector<DWORD>* skip;  // ids to pass over, or null
    DWORD found;
};

bool VisitForName(DWORD processId, WORD, const char* path, void* user) {
    ProcessSearch* search = static_cast<ProcessSearch*>(user);
    // An unreadable path is empty and never matches, as the name is not.
    if (!EqualNoCase(FileNamePart(path), search->fileName)) return true;
    if (search->skip) {
        for (DWORD id : *search->skip)
            if (id == processId) return true;
    }
    search->found = processId;
    return false;
}

DWORD FindProcess(const char* fileName, const std::vector<DWORD>* skip) {
    if (!fileName || !fileName[0]) return 0;
    ProcessSearch search = {fileName, skip, 0};
    EnumerateProcesses(VisitForName, &search);
    return search.found;
}

struct WindowSearch {
    const char* title;
    size_t titleLength;
    HWND found;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM data) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
    if (!window || GetWindowThreadProcessId(window, NULL) == 0) return TRUE;
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return TRUE;
    std::string caption(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, &caption[0], length + 1);
    if (got <= 0) return TRUE;
    caption.resize(static_cast<size_t>(got));
    if (search->titleLength <= caption.size()) caption.resize(search->titleLength);
    if (!EqualNoCase(caption.c_str(), search->title)) return TRUE;
    search->found = window;
    return FALSE;
}

// How KillProcess stays finite: a process that cannot be opened or does not
// end is retried this often before it is passed over, and a call ends at
// most this many processes (a program that restarts itself for ever would
// otherwise keep the loop going).
const int kKillAttemptsPerProcess = 3;
const int kKillMaxRounds = 256;
const DWORD kKillWaitMs = 2000;

}  // namespace

extern "C" HWND GetTaskHandle(char const* title) {
    if (!title || !title[0]) return NULL;
    WindowSearch search = {title, strlen(title), NULL};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

extern "C" int ActivateTaskbyHandle(HWND window) {
    if (!window) return 0;
    ShowWindow(window, SW_SHOWDEFAULT);
    return 1;
}

extern "C" int ActivateTaskbyTitle(char const* title) {
    return ActivateTaskbyHandle(GetTaskHandle(title));
}

extern "C" int GetProcessId_Varnet(char const* fileName) {
    return static_cast<int>(FindProcess(fileName, NULL));
}

extern "C" int KillProcess(char const* fileName) {
    std::vector<DWORD> givenUp;
    std::vector<std::pair<DWORD, int> > failures;
    for (int round = 0; round < kKillMaxRounds; ++round) {
        DWORD id = FindProcess(fileName, &givenUp);
        if (!id) break;
        bool ended = false;
        win::Handle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
        // Termination only starts the end: wait for it, so the next search
        // does not find the same process again on its way out.
        if (process && TerminateProcess(process.get(), 0))
            ended = WaitForSingleObject(process.get(), kKillWaitMs) == WAIT_OBJECT_0;
        if (ended) continue;
        int* tries = NULL;
        for (auto& f : failures)
            if (f.first == id) tries = &f.second;
        if (!tries) {
            failures.push_back(std::make_pair(id, 0));
            tries = &failures.back().second;
        }
        if (++*tries >= kKillAttemptsPerProcess) givenUp.push_back(id);
    }
    return 0;
}

extern "C" int StartProcess(char const* fileName, char const* directory) {
    return StartProcessCommand(fileName, directory, NULL);
}

extern "C" int StartProcessCommand(char const* fileName, char const* directory,
                                   char* commandLine) {
    if (FindProcess(fileName, NULL)) return 1;
    if (!directory || !fileName) return 0;
    std::string program = std::string(directory) + "\\" + fileName;

    // CreateProcess may write into the command line; the caller's text is
    // handed over as it is but stays untouched.
    std::vector<char> line;
    if (commandLine) line.assign(commandLine, commandLine + strlen(commandLine) + 1);

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    memset(&info, 0, sizeof info);
    if (!CreateProcessA(program.c_str(), commandLine ? line.data() : NULL, NULL, NULL, FALSE,
                        DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, NULL, directory, &startup,
                        &info))
        return 0;
    // Nothing watches the new process by handle; it is found again by name.
    win::Handle process(info.hProcess), thread(info.hThread);
    return 1;
}

// Process and window utilities: processes found by executable file name
// through the walk of the running Windows family (ProcessEnum.cpp), windows
// by the beginning of their caption.
#include "Varnet01.h"
#include "ProcessEnum.h"
#include "WinHandles.h"

#include <string.h>

#include <string>
#include <utility>
#include <vector>

using varnet::ProcessSearch;

namespace {

// 1 when the running Windows offers a way to list processes and it ran.
// `onlyName`: the visitor looks for that file name only.
int EnumerateProcesses(varnet::ProcessVisitor visit, void* user, const char* onlyName) {
    switch (fGetWinVersion()) {
    case VARNET_PLATFORM_NT: return varnet::EnumerateNT(visit, user, onlyName);
    case VARNET_PLATFORM_WIN9X: return varnet::EnumerateToolhelp(visit, user);
    default: return 0;
    }
}

DWORD FindProcess(const char* fileName, const std::vector<DWORD>* skip) {
    if (!fileName || !fileName[0]) return 0;
    ProcessSearch search = {fileName, skip, 0};
    EnumerateProcesses(varnet::VisitForName, &search, fileName);
    return search.found;
}

struct WindowSearch {
    const char* title;
    size_t titleLength;
    DWORD skipProcess;  // 0: none
    HWND found;
    char* buffer;  // titleLength + 1 bytes
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM data) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    if (!window || GetWindowThreadProcessId(window, &process) == 0) return TRUE;
    if (search->skipProcess != 0 && process == search->skipProcess) return TRUE;
    // Only the caption's first titleLength characters are compared, so no
    // more are fetched. GetWindowTextLength is not asked first: it sends a
    // message to the window's thread, which costs a round trip to another
    // process and waits for ever on one that has stopped answering, while
    // GetWindowText reads another process's caption without a message.
    char* caption = search->buffer;
    const int got = GetWindowTextA(window, caption, static_cast<int>(search->titleLength) + 1);
    if (got <= 0 || static_cast<size_t>(got) < search->titleLength) return TRUE;
    caption[search->titleLength] = '\0';
    if (!varnet::EqualNoCaseInCodePage(caption, search->title)) return TRUE;
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

HWND FindWindowByTitle(const char* title, DWORD skipProcess) {
    if (!title || !title[0]) return NULL;
    const size_t length = strlen(title);
    std::vector<char> buffer;
    try {
        buffer.resize(length + 1);
    } catch (...) {
        return NULL;  // no exception leaves the library
    }
    WindowSearch search = {title, length, skipProcess, NULL, buffer.data()};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

extern "C" HWND GetTaskHandle(char const* title) { return FindWindowByTitle(title, 0); }

extern "C" HWND GetOtherTaskHandle(char const* title) {
    return FindWindowByTitle(title, GetCurrentProcessId());
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

extern "C" int GetOtherProcessId_Varnet(char const* fileName) {
    const std::vector<DWORD> self(1, GetCurrentProcessId());
    return static_cast<int>(FindProcess(fileName, &self));
}

extern "C" int KillProcess(char const* fileName) {
    std::vector<DWORD> givenUp;                  // passed over by the search
    std::vector<std::pair<DWORD, int> > misses;  // id, failed attempts
    for (int round = 0; round < kKillMaxRounds; ++round) {
        DWORD id = FindProcess(fileName, &givenUp);
        if (!id) break;
        bool ended = false;
        win::Handle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
        // Termination only starts the end: wait for it, so that the next
        // search does not find the same process again on its way out.
        if (process && TerminateProcess(process.get(), 0))
            ended = WaitForSingleObject(process.get(), kKillWaitMs) == WAIT_OBJECT_0;
        if (ended) continue;
        size_t i = 0;
        while (i < misses.size() && misses[i].first != id) ++i;
        if (i == misses.size()) misses.push_back(std::make_pair(id, 0));
        if (++misses[i].second >= kKillAttemptsPerProcess) givenUp.push_back(id);
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

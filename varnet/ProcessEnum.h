// Listing the running processes, one way per Windows family. Internal to the
// library (and compiled into its tests); nothing here is exported.
#pragma once
#include <windows.h>

#include <atomic>
#include <vector>

namespace varnet {

// Visited once per process, and on the NT family once more per 16-bit task
// inside an NTVDM (with that NTVDM's id and the task's handle). An
// unreadable path is empty. False stops the whole walk.
typedef bool (*ProcessVisitor)(DWORD processId, WORD task16, const char* path, void* user);

typedef BOOL(WINAPI* TaskEnumProcEx)(DWORD, WORD, WORD, LPSTR, LPSTR, LPARAM);

// The platform functions of the NT walk, so that it can run against others.
struct NtProcessApi {
    BOOL(WINAPI* enumProcesses)(DWORD* ids, DWORD bytes, DWORD* written);
    // Writes the executable path of process `id` into `path` (room for
    // MAX_PATH + 1) or leaves it empty.
    void (*readPath)(const NtProcessApi& api, DWORD id, char* path);
    BOOL(WINAPI* enumModules)(HANDLE, HMODULE*, DWORD, DWORD*);
    DWORD(WINAPI* moduleFileName)(HANDLE, HMODULE, LPSTR, DWORD);
    INT(WINAPI* enumTasks)(DWORD vdmProcessId, TaskEnumProcEx visit, LPARAM data);
};

// The NT walk itself: 1 when it ran, 0 when a function is missing or the id
// list cannot be fetched (nothing is visited then).
int WalkNtProcesses(const NtProcessApi& api, ProcessVisitor visit, void* user);

// The platform functions of the NT family's snapshot walk: the whole process
// list in one system call instead of opening every process and reading its
// modules.
struct NtSnapshotApi {
    // NtQuerySystemInformation.
    LONG(WINAPI* querySystem)(ULONG infoClass, void* buffer, ULONG bytes, ULONG* needed);
    // False when the process cannot be opened to read its path. The walk
    // through PSAPI sees no path then, so the snapshot passes none either:
    // both find the same processes.
    bool (*readable)(DWORD id);
    // Null: the tasks inside an NTVDM are not visited.
    INT(WINAPI* enumTasks)(DWORD vdmProcessId, TaskEnumProcEx visit, LPARAM data);
    // The buffer size to start with, and where the size that held the list
    // is kept for the next walk: a size too small costs a whole second
    // snapshot. Null: every walk starts small.
    std::atomic<unsigned long>* sizeHint;
};

// Visits each process of the snapshot with its executable's file name (no
// folder), then the 16-bit tasks of an NTVDM as the NT walk does. 1 when it
// ran, 0 when the snapshot cannot be taken (nothing is visited then).
// With `onlyName`, a search by file name: only the processes of that name
// and the NTVDMs are opened and visited, since no other can match.
int WalkNtSnapshot(const NtSnapshotApi& api, ProcessVisitor visit, void* user, const char* onlyName = NULL);
// The process path reader of the real NT walk (OpenProcess and PSAPI).
void ReadProcessPath(const NtProcessApi& api, DWORD id, char* path);

// The NT family: the snapshot of ntdll's NtQuerySystemInformation, or where
// that fails, PSAPI.DLL's walk; VDMDBG.DLL for the 16-bit tasks. The
// libraries are loaded once, on first need, and kept.
// `onlyName` as for WalkNtSnapshot.
int EnumerateNT(ProcessVisitor visit, void* user, const char* onlyName = NULL);
// Through the toolhelp functions of Kernel32.DLL (Windows 95/98).
int EnumerateToolhelp(ProcessVisitor visit, void* user);

// Case-insensitive equality in the system's ANSI code page: process and
// window names are the system's, so its letters (umlauts included) match.
// The installer's own names follow another rule (PathText.h).
bool EqualNoCaseInCodePage(const char* a, const char* b);

// A search by executable file name: the visitor compares the file name part
// of each path (no folder) with `fileName`, ignoring case, passes over the
// ids in `skip` and records the first match.
struct ProcessSearch {
    const char* fileName;
    const std::vector<DWORD>* skip;  // or null
    DWORD found;
};
bool VisitForName(DWORD processId, WORD task16, const char* path, void* search);

}  // namespace varnet

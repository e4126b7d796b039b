// The process walks behind the library's process functions. ntdll's process
// snapshot, PSAPI and VDMDBG (NT family) and the toolhelp functions (Windows
// 95/98) are looked up at run time, because each family lacks the other's
// and the library must load on every version.
#include "ProcessEnum.h"

#include "WinHandles.h"

#include <tlhelp32.h>
#include <winternl.h>
#include <string.h>

#include <memory>
#include <new>
#include <string>

namespace varnet {

namespace {

template <typename F>
F Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
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
    return n >= m && EqualNoCaseInCodePage(text + n - m, tail);
}

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

INT WINAPI NoTasks(DWORD, TaskEnumProcEx, LPARAM) { return 0; }

typedef INT(WINAPI* EnumTasksFn)(DWORD vdmProcessId, TaskEnumProcEx visit, LPARAM data);

// Visits the tasks of the NTVDM `id`; true when the visitor stopped.
bool VisitTasks(EnumTasksFn enumTasks, DWORD id, ProcessVisitor visit, void* user) {
    TaskWalk walk = {id, visit, user, false};
    enumTasks(id, VisitTask, reinterpret_cast<LPARAM>(&walk));
    return walk.stopped;
}

// The snapshot grows until the list fits; a system that claims to need more
// than this is not believed.
const ULONG kFirstSnapshotBytes = 64 * 1024;
const ULONG kMaxSnapshotBytes = 64 * 1024 * 1024;
const LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004L);

}  // namespace

bool EqualNoCaseInCodePage(const char* a, const char* b) {
    // Plain ASCII needs no conversion: every search compares each process's
    // name, and nearly all of them differ early. A byte from 0x80 on may be
    // a letter of the code page (or start a double-byte character, whose
    // second byte can look like ASCII): such names go the system's way.
    size_t i = 0;
    for (; a[i] && b[i]; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) break;
        if (x == y) continue;
        if ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z') return false;
    }
    if (!a[i] || !b[i]) return !a[i] && !b[i];
    std::string x(a), y(b);
    if (x.size() != y.size()) return false;
    if (!x.empty()) {
        CharUpperBuffA(&x[0], static_cast<DWORD>(x.size()));
        CharUpperBuffA(&y[0], static_cast<DWORD>(y.size()));
    }
    return x == y;
}

bool VisitForName(DWORD processId, WORD, const char* path, void* user) {
    ProcessSearch* search = static_cast<ProcessSearch*>(user);
    if (!EqualNoCaseInCodePage(FileNamePart(path), search->fileName)) return true;
    if (search->skip) {
        for (DWORD id : *search->skip)
            if (id == processId) return true;
    }
    search->found = processId;
    return false;
}

void ReadProcessPath(const NtProcessApi& api, DWORD id, char* path) {
    win::Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    if (!process) return;
    HMODULE first = NULL;  // the executable comes first
    DWORD needed = 0;
    if (!api.enumModules(process.get(), &first, sizeof first, &needed) ||
        api.moduleFileName(process.get(), first, path, MAX_PATH) == 0)
        path[0] = '\0';
    path[MAX_PATH] = '\0';
}

int WalkNtProcesses(const NtProcessApi& api, ProcessVisitor visit, void* user) {
    if (!api.enumProcesses || !api.readPath || !api.enumTasks) return 0;

    // The platform cannot say how many ids there are: a list that fills the
    // buffer completely may have been cut short, so fetch again in a buffer
    // twice the size.
    std::vector<DWORD> ids;
    DWORD bytes = 0;
    for (size_t size = 256;; size *= 2) {
        try {
            ids.assign(size, 0);
        } catch (...) {
            return 0;
        }
        DWORD room = static_cast<DWORD>(size * sizeof(DWORD));
        if (!api.enumProcesses(ids.data(), room, &bytes)) return 0;
        if (bytes < room) break;
    }

    size_t count = bytes / sizeof(DWORD);
    for (size_t i = 0; i < count; ++i) {
        DWORD id = ids[i];
        char path[MAX_PATH + 1] = "";
        api.readPath(api, id, path);
        if (!visit(id, 0, path, user)) break;
        // 16-bit programs run as tasks inside an NTVDM, which alone shows in
        // the process list.
        if (EndsWithNoCase(path, "NTVDM.EXE") && VisitTasks(api.enumTasks, id, visit, user)) break;
    }
    return 1;
}

int WalkNtSnapshot(const NtSnapshotApi& api, ProcessVisitor visit, void* user, const char* onlyName) {
    if (!api.querySystem || !api.readable) return 0;
    // ULONGLONG elements keep the records aligned as the system lays them out.
    std::unique_ptr<ULONGLONG[]> buffer;
    ULONG bytes = kFirstSnapshotBytes;
    const ULONG hint = api.sizeHint ? api.sizeHint->load() : 0;
    if (hint > bytes && hint <= kMaxSnapshotBytes) bytes = hint;
    for (;; bytes *= 2) {
        if (bytes > kMaxSnapshotBytes) return 0;
        // Zeroed: a list shorter than the system claims ends in an empty record.
        buffer.reset(new (std::nothrow) ULONGLONG[bytes / sizeof(ULONGLONG)]());
        if (!buffer) return 0;
        ULONG needed = 0;
        const LONG status = api.querySystem(SystemProcessInformation, buffer.get(), bytes, &needed);
        if (status == kStatusInfoLengthMismatch) continue;
        if (status < 0) return 0;
        break;
    }
    if (api.sizeHint) api.sizeHint->store(bytes);

    const char* base = reinterpret_cast<const char*>(buffer.get());
    for (size_t offset = 0; offset + sizeof(SYSTEM_PROCESS_INFORMATION) <= bytes;) {
        const SYSTEM_PROCESS_INFORMATION* entry =
            reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(base + offset);
        const DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId));
        char name[MAX_PATH + 1] = "";
        const UNICODE_STRING& image = entry->ImageName;
        if (image.Buffer && image.Length > 0) {
            const int n = WideCharToMultiByte(CP_ACP, 0, image.Buffer, image.Length / sizeof(WCHAR), name,
                                              MAX_PATH, NULL, NULL);
            name[n > 0 ? n : 0] = '\0';
        }
        const bool ntvdm = EndsWithNoCase(name, "NTVDM.EXE");
        const bool wanted = !onlyName || ntvdm || EqualNoCaseInCodePage(name, onlyName);
        if (wanted) {
            // Opening every process is what made the old walk slow: only the
            // ones visited are opened.
            if (name[0] && !api.readable(id)) name[0] = '\0';
            if (!visit(id, 0, name, user)) break;
            if (api.enumTasks && ntvdm && name[0] && VisitTasks(api.enumTasks, id, visit, user)) break;
        }
        if (entry->NextEntryOffset == 0) break;
        offset += entry->NextEntryOffset;
    }
    return 1;
}

namespace {

// Loaded on first use and kept for the life of the process: the supervision
// searches every second, and loading them each time cost more than the walk.
HMODULE Psapi() {
    static HMODULE module = LoadLibraryA("PSAPI.DLL");
    return module;
}

// VDMDBG's task walk; Wine exports it only as a stub that aborts its
// caller, and has no NTVDM (it runs 16-bit programs elsewhere): a program
// that merely is called NTVDM.EXE there hosts no tasks, and must not bring
// us down.
EnumTasksFn TaskWalker() {
    static const EnumTasksFn walker = [] {
        if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return EnumTasksFn(NoTasks);
        HMODULE vdmdbg = LoadLibraryA("VDMDBG.DLL");
        return vdmdbg ? Lookup<EnumTasksFn>(vdmdbg, "VDMEnumTaskWOWEx") : EnumTasksFn(NULL);
    }();
    return walker;
}

// The snapshot's task step loads VDMDBG only once an NTVDM shows up.
INT WINAPI TasksOnDemand(DWORD vdm, TaskEnumProcEx visit, LPARAM data) {
    const EnumTasksFn walker = TaskWalker();
    return walker ? walker(vdm, visit, data) : 0;
}

bool CanReadPath(DWORD id) {
    win::Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    return static_cast<bool>(process);
}

}  // namespace

int EnumerateNT(ProcessVisitor visit, void* user, const char* onlyName) {
    NtSnapshotApi snapshot;
    snapshot.querySystem =
        Lookup<decltype(snapshot.querySystem)>(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    snapshot.readable = CanReadPath;
    snapshot.enumTasks = TasksOnDemand;
    static std::atomic<unsigned long> lastSnapshotBytes(0);
    snapshot.sizeHint = &lastSnapshotBytes;
    if (WalkNtSnapshot(snapshot, visit, user, onlyName)) return 1;

    HMODULE psapi = Psapi();
    if (!psapi || !TaskWalker()) return 0;
    NtProcessApi api;
    api.enumProcesses = Lookup<decltype(api.enumProcesses)>(psapi, "EnumProcesses");
    api.readPath = ReadProcessPath;
    api.enumModules = Lookup<decltype(api.enumModules)>(psapi, "EnumProcessModules");
    api.moduleFileName = Lookup<decltype(api.moduleFileName)>(psapi, "GetModuleFileNameExA");
    api.enumTasks = TaskWalker();
    if (!api.enumModules || !api.moduleFileName) return 0;
    return WalkNtProcesses(api, visit, user);
}

typedef HANDLE(WINAPI* CreateSnapshotFn)(DWORD, DWORD);
typedef BOOL(WINAPI* Process32Fn)(HANDLE, PROCESSENTRY32*);

#ifndef _WIN64
// The record size Windows 95 knows.
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

}  // namespace varnet

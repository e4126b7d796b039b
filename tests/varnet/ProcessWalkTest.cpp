// The NT family's process walks against a made-up system: through PSAPI the
// growing id list, through the snapshot the growing buffer, and in both the
// 16-bit tasks inside an NTVDM, which Wine cannot show (it has no NTVDM, and
// its VDMDBG only stubs the task walk). Both walks find the same processes.
#include "ProcessEnum.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <atomic>
#include <map>
#include <string>
#include <utility>
#include <vector>

using varnet::NtProcessApi;

namespace {

struct Task {
    WORD handle;
    std::string file;
};

struct FakeSystem {
    std::vector<DWORD> ids;
    std::map<DWORD, std::string> paths;  // a missing id reads as unreadable
    std::map<DWORD, std::vector<Task> > tasks;
    size_t failingFetch = ~size_t(0);    // which EnumProcesses or snapshot call fails
    std::vector<DWORD> offered;          // buffer bytes of each fetch
    std::vector<DWORD> taskWalks;        // processes whose tasks were walked
    size_t snapshotBytes = 0;            // what the last snapshot needed
    std::vector<DWORD> opened;           // processes the snapshot walk opened
};
FakeSystem* g_system = NULL;

// The executable's name the snapshot shows: the path's file name, and for
// a process whose path cannot be read a name all the same.
std::wstring ImageName(DWORD id) {
    auto it = g_system->paths.find(id);
    if (it == g_system->paths.end()) return L"HIDDEN.EXE";
    const std::string name = it->second.substr(it->second.find_last_of('\\') + 1);
    return std::wstring(name.begin(), name.end());
}

// Lays the processes out as the system does: records chained by their
// offsets, each followed by its name.
LONG WINAPI FakeQuerySystem(ULONG infoClass, void* buffer, ULONG bytes, ULONG*) {
    const size_t call = g_system->offered.size();
    g_system->offered.push_back(bytes);
    if (call == g_system->failingFetch || infoClass != SystemProcessInformation)
        return static_cast<LONG>(0xC0000001L);
    std::vector<size_t> offsets;
    size_t total = 0;
    for (DWORD id : g_system->ids) {
        offsets.push_back(total);
        total += (sizeof(SYSTEM_PROCESS_INFORMATION) + (ImageName(id).size() + 1) * sizeof(WCHAR) + 7) & ~size_t(7);
    }
    g_system->snapshotBytes = total;
    if (total > bytes) return static_cast<LONG>(0xC0000004L);  // length mismatch
    char* base = static_cast<char*>(buffer);
    for (size_t i = 0; i < g_system->ids.size(); ++i) {
        SYSTEM_PROCESS_INFORMATION* entry = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(base + offsets[i]);
        memset(entry, 0, sizeof *entry);
        const std::wstring name = ImageName(g_system->ids[i]);
        WCHAR* text = reinterpret_cast<WCHAR*>(entry + 1);
        memcpy(text, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        entry->ImageName.Buffer = text;
        entry->ImageName.Length = static_cast<USHORT>(name.size() * sizeof(WCHAR));
        entry->ImageName.MaximumLength = static_cast<USHORT>(entry->ImageName.Length + sizeof(WCHAR));
        entry->UniqueProcessId = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(g_system->ids[i]));
        entry->NextEntryOffset =
            i + 1 < offsets.size() ? static_cast<ULONG>(offsets[i + 1] - offsets[i]) : 0;
    }
    return 0;
}

bool FakeReadable(DWORD id) {
    g_system->opened.push_back(id);
    return g_system->paths.count(id) != 0;
}

BOOL WINAPI FakeEnumProcesses(DWORD* ids, DWORD bytes, DWORD* written) {
    size_t call = g_system->offered.size();
    g_system->offered.push_back(bytes);
    if (call == g_system->failingFetch) return FALSE;
    size_t n = std::min<size_t>(bytes / sizeof(DWORD), g_system->ids.size());
    for (size_t i = 0; i < n; ++i) ids[i] = g_system->ids[i];
    *written = static_cast<DWORD>(n * sizeof(DWORD));
    return TRUE;
}

void FakeReadPath(const NtProcessApi&, DWORD id, char* path) {
    auto it = g_system->paths.find(id);
    if (it != g_system->paths.end()) strcpy(path, it->second.c_str());
}

INT WINAPI FakeEnumTasks(DWORD vdm, varnet::TaskEnumProcEx visit, LPARAM data) {
    g_system->taskWalks.push_back(vdm);
    INT seen = 0;
    for (const Task& t : g_system->tasks[vdm]) {
        ++seen;
        std::vector<char> file(t.file.begin(), t.file.end());
        file.push_back('\0');
        char module[] = "MODULE";
        if (visit(0x77, 0x11, t.handle, module, file.data(), data)) break;
    }
    return seen;
}

NtProcessApi FakeApi() {
    NtProcessApi api = {FakeEnumProcesses, FakeReadPath, NULL, NULL, FakeEnumTasks};
    return api;
}

varnet::NtSnapshotApi FakeSnapshotApi() {
    varnet::NtSnapshotApi api = {FakeQuerySystem, FakeReadable, FakeEnumTasks, NULL};
    return api;
}

// Either walk over the fake system; the snapshot as the search by name
// uses it.
enum class Walk { Psapi, Snapshot };
int RunWalk(Walk walk, varnet::ProcessVisitor visit, void* user, const char* onlyName) {
    return walk == Walk::Psapi ? varnet::WalkNtProcesses(FakeApi(), visit, user)
                               : varnet::WalkNtSnapshot(FakeSnapshotApi(), visit, user, onlyName);
}

struct Visit {
    DWORD id;
    WORD task;
    std::string path;
    bool operator==(const Visit& o) const {
        return id == o.id && task == o.task && path == o.path;
    }
};
std::ostream& operator<<(std::ostream& os, const Visit& v) {
    return os << "(" << v.id << ", " << v.task << ", '" << v.path << "')";
}

struct Recorder {
    std::vector<Visit> visits;
    const char* stopAt = NULL;  // the walk stops after visiting this path
};

bool Record(DWORD id, WORD task, const char* path, void* user) {
    Recorder* r = static_cast<Recorder*>(user);
    r->visits.push_back(Visit{id, task, path});
    return !r->stopAt || r->stopAt != std::string(path);
}

class ProcessWalkNT : public ::testing::Test {
protected:
    void SetUp() override { g_system = &system; }
    void TearDown() override { g_system = NULL; }

    // Ids 4 (an NTVDM with two tasks), 8 (unreadable) and 12.
    void UseSystemWithNtvdm() {
        system.ids = {4, 8, 12};
        system.paths[4] = "C:\\WINNT\\system32\\ntvdm.exe";
        system.paths[12] = "C:\\APP\\X.EXE";
        system.tasks[4] = {{0x1234, "C:\\OLD\\SETUP.EXE"}, {0x2345, "C:\\OLD\\TWO.EXE"}};
        system.tasks[12] = {{0x5555, "C:\\NOT\\VISITED.EXE"}};  // not an NTVDM
    }

    FakeSystem system;
};

TEST_F(ProcessWalkNT, IdListGrowsUntilItFits) {
    struct Case {
        size_t processes;
        std::vector<DWORD> offered;
    } cases[] = {
        {0, {1024}},
        {255, {1024}},
        {256, {1024, 2048}},  // a full buffer may have been cut short
        {600, {1024, 2048, 4096}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.processes);
        system = FakeSystem();
        for (size_t i = 0; i < c.processes; ++i) system.ids.push_back(static_cast<DWORD>(4 * i + 8));
        Recorder seen;
        EXPECT_EQ(1, varnet::WalkNtProcesses(FakeApi(), Record, &seen));
        EXPECT_EQ(c.offered, system.offered);
        ASSERT_EQ(c.processes, seen.visits.size());
        for (size_t i = 0; i < c.processes; ++i) EXPECT_EQ(system.ids[i], seen.visits[i].id);
    }
}

TEST_F(ProcessWalkNT, FailedFetchOrMissingFunctionVisitsNothing) {
    for (DWORD i = 0; i < 600; ++i) system.ids.push_back(4 * i + 8);
    system.failingFetch = 1;  // the second, larger fetch
    Recorder seen;
    EXPECT_EQ(0, varnet::WalkNtProcesses(FakeApi(), Record, &seen));
    EXPECT_TRUE(seen.visits.empty());

    system.failingFetch = ~size_t(0);
    NtProcessApi noTasks = FakeApi();
    noTasks.enumTasks = NULL;
    EXPECT_EQ(0, varnet::WalkNtProcesses(noTasks, Record, &seen));
    NtProcessApi noList = FakeApi();
    noList.enumProcesses = NULL;
    EXPECT_EQ(0, varnet::WalkNtProcesses(noList, Record, &seen));
    EXPECT_TRUE(seen.visits.empty());
}

TEST_F(ProcessWalkNT, TasksOfAnNtvdmFollowItUnderItsId) {
    UseSystemWithNtvdm();
    Recorder seen;
    EXPECT_EQ(1, varnet::WalkNtProcesses(FakeApi(), Record, &seen));
    const std::vector<Visit> expected = {
        {4, 0, "C:\\WINNT\\system32\\ntvdm.exe"},
        {4, 0x1234, "C:\\OLD\\SETUP.EXE"},
        {4, 0x2345, "C:\\OLD\\TWO.EXE"},
        {8, 0, ""},
        {12, 0, "C:\\APP\\X.EXE"},
    };
    EXPECT_EQ(expected, seen.visits);
    EXPECT_EQ(std::vector<DWORD>{4}, system.taskWalks);
}

TEST_F(ProcessWalkNT, VisitorStopsTheWalkAlsoInsideTasks) {
    UseSystemWithNtvdm();
    struct Case {
        const char* stopAt;
        size_t visits;
    } cases[] = {
        {"C:\\WINNT\\system32\\ntvdm.exe", 1},  // the tasks are not walked then
        {"C:\\OLD\\SETUP.EXE", 2},
        {"C:\\OLD\\TWO.EXE", 3},
        {"C:\\APP\\X.EXE", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopAt);
        Recorder seen;
        seen.stopAt = c.stopAt;
        EXPECT_EQ(1, varnet::WalkNtProcesses(FakeApi(), Record, &seen));
        EXPECT_EQ(c.visits, seen.visits.size());
    }
}

TEST_F(ProcessWalkNT, NameSearchFindsA16BitTaskAsItsNtvdm) {
    UseSystemWithNtvdm();
    const std::vector<DWORD> skipNtvdm = {4};
    struct Case {
        const char* fileName;
        const std::vector<DWORD>* skip;
        DWORD found;
    } cases[] = {
        {"setup.exe", NULL, 4},
        {"Two.Exe", NULL, 4},
        {"ntvdm.exe", NULL, 4},
        {"x.exe", NULL, 12},
        {"SETUP", NULL, 0},
        {"C:\\OLD\\SETUP.EXE", NULL, 0},
        {"hidden.exe", NULL, 0},  // a process that cannot be opened matches nothing
        {"setup.exe", &skipNtvdm, 0},
        {"x.exe", &skipNtvdm, 12},
    };
    for (Walk walk : {Walk::Psapi, Walk::Snapshot}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.fileName) + (walk == Walk::Psapi ? " (PSAPI)" : " (snapshot)"));
            varnet::ProcessSearch search = {c.fileName, c.skip, 0};
            EXPECT_EQ(1, RunWalk(walk, varnet::VisitForName, &search, c.fileName));
            EXPECT_EQ(c.found, search.found);
        }
    }
}

TEST_F(ProcessWalkNT, SnapshotGrowsUntilTheListFits) {
    for (size_t processes : {size_t(1), size_t(100), size_t(3000)}) {
        SCOPED_TRACE(processes);
        system = FakeSystem();
        for (size_t i = 0; i < processes; ++i) {
            const DWORD id = static_cast<DWORD>(4 * i + 8);
            system.ids.push_back(id);
            system.paths[id] = "C:\\APPS\\PROGRAM" + std::to_string(i) + ".EXE";
        }
        Recorder seen;
        EXPECT_EQ(1, varnet::WalkNtSnapshot(FakeSnapshotApi(), Record, &seen));
        // Doubling from the first size until the first that holds the list.
        ASSERT_FALSE(system.offered.empty());
        EXPECT_EQ(65536u, system.offered.front());
        for (size_t i = 1; i < system.offered.size(); ++i) {
            EXPECT_EQ(2 * system.offered[i - 1], system.offered[i]);
            EXPECT_LT(system.offered[i - 1], system.snapshotBytes);
        }
        EXPECT_GE(system.offered.back(), system.snapshotBytes);
        ASSERT_EQ(processes, seen.visits.size());
        for (size_t i = 0; i < processes; ++i) {
            EXPECT_EQ(system.ids[i], seen.visits[i].id);
            EXPECT_EQ("PROGRAM" + std::to_string(i) + ".EXE", seen.visits[i].path);
        }
    }
    // 3,000 processes do not fit the first buffer.
    EXPECT_GT(system.offered.size(), 1u);
}

TEST_F(ProcessWalkNT, SnapshotStartsWithTheSizeThatHeldTheLastList) {
    std::atomic<unsigned long> hint(0);
    varnet::NtSnapshotApi api = FakeSnapshotApi();
    api.sizeHint = &hint;
    for (size_t i = 0; i < 3000; ++i) {
        system.ids.push_back(static_cast<DWORD>(4 * i + 8));
        system.paths[system.ids.back()] = "C:\\APPS\\P" + std::to_string(i) + ".EXE";
    }
    Recorder seen;
    ASSERT_EQ(1, varnet::WalkNtSnapshot(api, Record, &seen));
    ASSERT_GT(system.offered.size(), 1u);
    const DWORD held = system.offered.back();
    EXPECT_EQ(held, hint.load());

    // The next walk needs one fetch; the list shrinks, the size stays.
    const struct {
        size_t processes;
        unsigned long hintBefore;
        DWORD firstOffered;
    } cases[] = {
        {3000, held, held},
        {1, held, held},
        {1, 100, 65536},            // a hint below the first size is not taken
        {1, 0x7FFFFFFF, 65536},     // nor one beyond any believable list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hintBefore);
        system.ids.resize(c.processes);
        system.offered.clear();
        hint.store(c.hintBefore);
        ASSERT_EQ(1, varnet::WalkNtSnapshot(api, Record, &seen));
        ASSERT_EQ(1u, system.offered.size());
        EXPECT_EQ(c.firstOffered, system.offered.front());
    }
}

TEST(ProcessNames, EqualInAnyCaseOfTheCodePage) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"SETUP.EXE", "setup.exe", true},
        {"Setup.exe", "SETUP.EXE ", false},
        {"SETUP.EXE", "SETUP.EX", false},
        {"", "", true},
        {"", "A", false},
        {"@", "`", false},            // differ by the case bit, yet no letters
        {"[A]", "{a}", false},
        {"a1_", "A1_", true},
        {"\xC4NDERN.EXE", "\xE4ndern.exe", true},  // code page 1252 letters
        {"x\xC4", "X\xE4", true},
        {"\xC4x", "\xE4y", false},
        {"y\xC4", "x\xE4", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.equal, varnet::EqualNoCaseInCodePage(c.a, c.b)) << c.a << " / " << c.b;
        EXPECT_EQ(c.equal, varnet::EqualNoCaseInCodePage(c.b, c.a)) << c.b << " / " << c.a;
    }
}

TEST_F(ProcessWalkNT, SnapshotVisitsNamesAndTasksInTheOrderOfThePsapiWalk) {
    UseSystemWithNtvdm();
    Recorder seen;
    EXPECT_EQ(1, varnet::WalkNtSnapshot(FakeSnapshotApi(), Record, &seen));
    const std::vector<Visit> expected = {
        {4, 0, "ntvdm.exe"},
        {4, 0x1234, "C:\\OLD\\SETUP.EXE"},
        {4, 0x2345, "C:\\OLD\\TWO.EXE"},
        {8, 0, ""},  // cannot be opened: no name, as the PSAPI walk reads no path
        {12, 0, "X.EXE"},
    };
    EXPECT_EQ(expected, seen.visits);
    EXPECT_EQ(std::vector<DWORD>{4}, system.taskWalks);

    // Without a task walker the NTVDM's tasks are left out.
    Recorder noTasks;
    varnet::NtSnapshotApi api = FakeSnapshotApi();
    api.enumTasks = NULL;
    EXPECT_EQ(1, varnet::WalkNtSnapshot(api, Record, &noTasks));
    EXPECT_EQ((std::vector<Visit>{expected[0], expected[3], expected[4]}), noTasks.visits);

    // A stop inside the tasks ends the whole walk.
    Recorder stopped;
    stopped.stopAt = "C:\\OLD\\SETUP.EXE";
    EXPECT_EQ(1, varnet::WalkNtSnapshot(FakeSnapshotApi(), Record, &stopped));
    EXPECT_EQ(2u, stopped.visits.size());
}

TEST_F(ProcessWalkNT, SnapshotSearchOpensOnlyTheProcessesThatCanMatch) {
    UseSystemWithNtvdm();
    for (DWORD id = 100; id < 200; ++id) {
        system.ids.push_back(id);
        system.paths[id] = "C:\\APPS\\OTHER.EXE";
    }
    system.ids.push_back(300);
    system.paths[300] = "C:\\TOOLS\\MotionLab.exe";
    varnet::ProcessSearch search = {"motionlab.EXE", NULL, 0};
    EXPECT_EQ(1, varnet::WalkNtSnapshot(FakeSnapshotApi(), varnet::VisitForName, &search, search.fileName));
    EXPECT_EQ(300u, search.found);
    // The NTVDM (for its tasks) and the match; none of the 100 others.
    EXPECT_EQ((std::vector<DWORD>{4, 300}), system.opened);
}

TEST_F(ProcessWalkNT, FailedSnapshotOrMissingFunctionVisitsNothing) {
    UseSystemWithNtvdm();
    system.failingFetch = 0;
    Recorder seen;
    EXPECT_EQ(0, varnet::WalkNtSnapshot(FakeSnapshotApi(), Record, &seen));
    varnet::NtSnapshotApi noQuery = FakeSnapshotApi();
    noQuery.querySystem = NULL;
    EXPECT_EQ(0, varnet::WalkNtSnapshot(noQuery, Record, &seen));
    EXPECT_TRUE(seen.visits.empty());
}

}  // namespace

// The NT family's process walk against a made-up system: the growing id
// list and the 16-bit tasks inside an NTVDM, which Wine cannot show (it has
// no NTVDM, and its VDMDBG only stubs the task walk).
#include "ProcessEnum.h"

#include <gtest/gtest.h>

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
    size_t failingFetch = ~size_t(0);    // which EnumProcesses call fails
    std::vector<DWORD> offered;          // buffer bytes of each fetch
    std::vector<DWORD> taskWalks;        // processes whose tasks were walked
};
FakeSystem* g_system = NULL;

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
        {"setup.exe", &skipNtvdm, 0},
        {"x.exe", &skipNtvdm, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        varnet::ProcessSearch search = {c.fileName, c.skip, 0};
        varnet::WalkNtProcesses(FakeApi(), varnet::VisitForName, &search);
        EXPECT_EQ(c.found, search.found);
    }
}

}  // namespace

// KVTCheck on media: the sample medium checks clean under /STRICT, a medium
// with planted faults gives exactly the findings of its expected.txt, and a
// check changes neither the medium nor the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

std::string WinPath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/') c = '\\';
    return "Z:" + unixPath;
}

struct CheckRun {
    bool finished = false;
    DWORD exitCode = 0;
    std::vector<std::string> lines;
};

// Runs KVTCheck with `arguments` and collects its output lines.
CheckRun RunCheck(const std::string& arguments) {
    CheckRun run;
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    const std::string exe = kvttest::BinDir() + "\\KVTCheck.exe";
    std::string line = "KVTCheck.exe " + arguments;
    std::vector<char> cmd(line.begin(), line.end());
    cmd.push_back('\0');
    PROCESS_INFORMATION pi;
    const BOOL started = CreateProcessA(exe.c_str(), cmd.data(), NULL, NULL, TRUE, CREATE_NO_WINDOW,
                                        NULL, NULL, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return run;
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, NULL) && got > 0) text.append(buffer, got);
    CloseHandle(readEnd);
    run.finished = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        run.lines.push_back(l);
    }
    return run;
}

// The sample medium as scripts/run.sh leaves it: the NSIS installers and
// the stand-in setup under the names stand-ins.txt lists.
void PrepareSampleMedium(const std::string& medium) {
    const std::string source = WinPath(KVT_MEDIUM_DIR);
    kvttest::CopyTree(source, medium);
    kvttest::CopyTree(kvttest::BinDir() + "\\medium-setups", medium);
    for (const std::string& line : kvttest::ReadStandInList(source + "\\stand-ins.txt")) {
        ASSERT_TRUE(CopyFileA((kvttest::BinDir() + "\\FakeSetup.exe").c_str(),
                              (medium + "\\" + line).c_str(), FALSE))
            << line;
    }
}

TEST(KVTCheck, SampleMediumIsCleanUnderStrict) {
    kvttest::TempDir scratch("chk");
    const std::string medium = scratch / "medium";
    PrepareSampleMedium(medium);
    const CheckRun run = RunCheck("/STRICT \"" + medium + "\"");
    ASSERT_TRUE(run.finished);
    std::string all;
    for (const std::string& l : run.lines) all += l + "\n";
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ("0 errors, 0 warnings", run.lines.back()) << all;
    EXPECT_EQ(0u, run.exitCode) << all;
    // Only notes besides the summary.
    for (size_t i = 0; i + 1 < run.lines.size(); ++i)
        EXPECT_NE(std::string::npos, run.lines[i].find("): note: ")) << run.lines[i];
}

TEST(KVTCheck, MediumThatCannotBeReadGivesTwo) {
    kvttest::TempDir scratch("chk");
    for (const std::string& arguments : {std::string("\"") + (scratch / "none") + "\"", std::string()}) {
        const CheckRun run = RunCheck(arguments);
        ASSERT_TRUE(run.finished) << arguments;
        EXPECT_EQ(2u, run.exitCode) << arguments;
    }
}

// The first fault medium as the build leaves it, with the file whose name
// differs from another only in case, which a checkout on a file system that
// folds case could not hold. Checked where it lies: a copy made through Wine
// would fold the two names into one.
std::string FaultyMedium() { return WinPath(KVT_FAULTY_MEDIUM_DIR); }

// Checks `medium` and expects exactly the findings listed in `expectedFile`
// (one a line, paths below the medium, '#' comments), each as often as listed.
void ExpectPlantedFindings(const std::string& medium, const std::string& expectedFile) {
    const CheckRun run = RunCheck("\"" + medium + "\"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(1u, run.exitCode);

    // Findings with the medium's path dropped, in any order.
    std::multiset<std::string> found;
    for (const std::string& l : run.lines) {
        std::string rel = l;
        const std::string prefix = medium + "\\";
        for (size_t at; (at = rel.find(prefix)) != std::string::npos;) rel.erase(at, prefix.size());
        found.insert(rel);
    }
    std::multiset<std::string> expected;
    std::ifstream in(expectedFile.c_str());
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (!l.empty() && l[0] != '#') expected.insert(l);
    }
    ASSERT_FALSE(expected.empty()) << expectedFile;
    for (const std::string& e : expected) EXPECT_EQ(expected.count(e), found.count(e)) << "missing: " << e;
    for (const std::string& f : found) EXPECT_EQ(expected.count(f), found.count(f)) << "not expected: " << f;
}

TEST(KVTCheck, FaultyMediaGiveExactlyThePlantedFindings) {
    const std::string fixtures = WinPath(KVT_FIXTURES_DIR);
    const struct {
        std::string medium;
        const char* expected;
    } media[] = {
        // One fault per check.
        {FaultyMedium(), "faulty-medium-expected.txt"},
        // The tool list, names leaving their folder, a missing tool folder,
        // [Config]'s own keys, a dword too wide.
        {fixtures + "\\faulty-medium-2", "faulty-medium-2-expected.txt"},
    };
    for (const auto& m : media) {
        SCOPED_TRACE(m.expected);
        ExpectPlantedFindings(m.medium, fixtures + "\\" + m.expected);
    }
}

// Every file below `folder`: its size, write time and content.
void Snapshot(const std::string& folder, const std::string& rel, std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA e;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &e);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = e.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[rel + name + "\\"] = "folder";
            Snapshot(path, rel + name + "\\", out);
        } else {
            out[rel + name] = std::to_string(e.ftLastWriteTime.dwHighDateTime) + ":" +
                              std::to_string(e.ftLastWriteTime.dwLowDateTime) + ":" +
                              std::to_string(e.dwFileAttributes) + ":" + kvttest::ReadFile(path);
        }
    } while (FindNextFileA(find, &e));
    FindClose(find);
}

// Every key and value below `path`.
void Snapshot(HKEY root, const std::string& path, std::string& out) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    out += "[" + path + "]\n";
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name, type = 0, dataSize = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, NULL, &dataSize) != ERROR_SUCCESS) break;
        std::string data(dataSize, '\0');
        nameSize = sizeof name;
        RegEnumValueA(key, i, name, &nameSize, NULL, &type,
                      reinterpret_cast<BYTE*>(&data[0]), &dataSize);
        out += std::string(name) + "=" + std::to_string(type) + ":" + data + "\n";
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        subkeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& s : subkeys) Snapshot(root, path + "\\" + s, out);
}

std::string RegistrySnapshot() {
    std::string out;
    Snapshot(HKEY_LOCAL_MACHINE, "SOFTWARE", out);
    Snapshot(HKEY_CURRENT_USER, "Software", out);
    return out;
}

TEST(KVTCheck, ChangesNeitherTheMediumNorTheRegistry) {
    const std::string medium = FaultyMedium();
    std::map<std::string, std::string> filesBefore, filesAfter;
    Snapshot(medium, "", filesBefore);
    const std::string registryBefore = RegistrySnapshot();
    ASSERT_EQ(std::string::npos, registryBefore.find("FaultAlpha"));

    const CheckRun run = RunCheck("\"" + medium + "\"");
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(1u, run.exitCode);

    Snapshot(medium, "", filesAfter);
    EXPECT_EQ(filesBefore, filesAfter);
    const std::string registryAfter = RegistrySnapshot();
    EXPECT_EQ(std::string::npos, registryAfter.find("FaultAlpha"));
    EXPECT_TRUE(registryBefore == registryAfter) << "the registry changed";
}

}  // namespace

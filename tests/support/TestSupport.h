// Helpers shared by the tests: scratch folders and registry keys of their
// own, file contents, and starting programs (optionally under another
// Windows version that Wine reports).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace kvttest {

// A fresh folder under the temporary directory, removed with its contents
// when the object goes.
class TempDir {
public:
    explicit TempDir(const char* tag = "t");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "\\" + rel; }

private:
    std::string path_;
};

// A registry key below HKEY_CURRENT_USER\Software\KVTTests (or the root and
// parent given), removed with its subtree when the object goes.
class ScratchKey {
public:
    explicit ScratchKey(const char* tag, HKEY root = HKEY_CURRENT_USER,
                        const char* parent = "Software\\KVTTests");
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    HKEY root() const { return root_; }
    const std::string& path() const { return path_; }

private:
    HKEY root_;
    std::string path_;
};

// Deletes a key and everything below it; true when it is gone.
bool DeleteKeyTree(HKEY root, const std::string& path);
// Removes a folder with everything in it (read-only files included).
void RemoveTree(const std::string& path);
// Copies every file and folder below `from` into `to` (made as needed).
void CopyTree(const std::string& from, const std::string& to);
// The paths a sample medium's stand-ins.txt lists (one a line, "#" starts a
// comment), with backslashes.
std::vector<std::string> ReadStandInList(const std::string& path);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);  // "" when missing
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// Creates every folder of `path` (test-side; independent of the library).
void MakeDirs(const std::string& path);

// Folder of the running test program: every built program and the DLL.
std::string BinDir();
// A name unique to this process and call, for windows, keys and files.
std::string UniqueName(const char* tag);

// Sets the Windows version Wine reports to programs named `exeName`
// ("win95", "win98", "nt40"; null or "" removes the setting).
void SetWineVersionFor(const std::string& exeName, const char* version);

struct RunResult {
    bool started = false;
    bool finished = false;
    DWORD exitCode = 0;
};
// Starts `exe` with the literal command line `commandLine` (the program's
// own name included, as the caller wants it to appear) in `cwd` and waits up
// to `timeoutMs`. A program still running then is terminated.
RunResult RunProgram(const std::string& exe, const std::string& commandLine,
                     const std::string& cwd, DWORD timeoutMs = 30000);

}  // namespace kvttest

// Phase 1: the setup files are staged into the target folder, and every
// staged file is written to the staging list so that phase 4 can remove it.
//
// A file already in the target folder under a staged name belongs to the
// user (or to an earlier installation): before anything is staged it is
// parked beside itself as "_~" + name, as the main file is. Phase 4 puts it
// back when it removes the staged copy, unless the setup wrote a version of
// its own there; that one stays and the parked file goes, as with the main
// file. Where staged copies stay by design (CopyFiles other than 1), the
// parked files stay too: their content is kept, under the "_~" name. A job
// that ends before phase 4 leaves them parked; the prefix keeps them
// recognisable, and a later job refuses to park over one.
#include "FileIo.h"
#include "FolderEntries.h"
#include "SetupPlan.h"
#include "ToolInstallJob.h"

#include "Varnet01.h"
#include "WinHandles.h"

#include <cstdint>
#include <cstdio>

using projectfiles::CreateForWrite;
using projectfiles::OpenForRead;
using projectfiles::WriteAll;

namespace {

// Size and FNV-1a hash of a file's content; empty when it cannot be read.
// Tells whether the setup wrote over a staged copy: a write time alone
// misses a rewrite within the two seconds of a FAT time stamp.
std::string ContentPrint(const std::string& path) {
    win::File file = OpenForRead(path);
    if (!file) return "";
    std::uint64_t hash = 14695981039346656037ull;
    unsigned long long size = 0;
    std::vector<unsigned char> buffer(64 * 1024);
    DWORD got = 0;
    while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, NULL) &&
           got > 0) {
        for (DWORD i = 0; i < got; ++i) hash = (hash ^ buffer[i]) * 1099511628211ull;
        size += got;
    }
    char print[64];
    std::snprintf(print, sizeof print, "%llu:%016llx", size,
                  static_cast<unsigned long long>(hash));
    return print;
}

bool IsFile(const std::string& path) { return PathExists(path) && !IsFolder(path); }

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

void WriteListLine(HANDLE list, const std::string& path) {
    const std::string line = path + "\r\n";
    // A line that cannot be written only leaves that file behind later.
    WriteAll(list, line.data(), line.size());
}

}  // namespace

void CToolInstallJob::CopySetupFiles() {
    if (tool.copyFiles == 0) {
        // The setup runs from the medium: nothing is staged, no list made.
        AdvancePhase();
        return;
    }

    if (SetupToStage(setupSourceFolder, tool.setup).empty()) {
        EndJob(ResultSetupNotFound);
        return;
    }
    if (fCreatePath(targetFolder.c_str()) != 0) {
        EndJob(ResultCannotCreateTarget);
        return;
    }
    win::File list = CreateForWrite(stagingListPath);
    if (!list) {
        EndJob(ResultCannotWriteTarget);
        return;
    }

    savedMainFile.clear();
    if (!tool.file.empty()) {
        const std::string mainFile = JoinPath(targetFolder, tool.file);
        if (PathExists(mainFile)) {
            // An earlier installation: parked beside itself while the setup
            // runs, deleted or moved back in phase 4.
            savedMainFile = JoinPath(targetFolder, "_~" + tool.file);
            if (!MoveFileA(mainFile.c_str(), savedMainFile.c_str())) {
                EndJob(ResultAlreadyInstalled);
                return;
            }
        }
    }

    const std::vector<StagedCopy> copies = StagingPlan();
    if (!ParkShadowedFiles(copies)) {
        EndJob(ResultAlreadyInstalled);
        return;
    }

    // Configuration files among the setup files are rewritten for the
    // tool's target folder.
    WithFileContext(targetFolder, [&] { StageFiles(list.get(), copies); });

    // Closed before the next steps run: phase 4 reads it back.
    list.reset();
    AdvancePhase();
}

std::vector<CToolInstallJob::StagedCopy> CToolInstallJob::StagingPlan() const {
    return ::StagingPlan(setupSourceFolder, targetFolder, setupKind);
}

bool CToolInstallJob::ParkShadowedFiles(const std::vector<StagedCopy>& copies) {
    parkedFiles.clear();
    for (const StagedCopy& copy : copies) {
        if (!IsFile(copy.listed)) continue;
        bool already = false;  // two sources staged to one name
        for (const ParkedFile& p : parkedFiles) already = already || EqualsNoCase(p.path, copy.listed);
        if (already) continue;
        ParkedFile parked;
        parked.path = copy.listed;
        parked.parkedPath = JoinPath(FolderOf(copy.listed), "_~" + FileName(copy.listed));
        // Never over an existing "_~" file: it may be one parked by a job
        // that did not come to its end.
        if (!MoveFileA(parked.path.c_str(), parked.parkedPath.c_str())) {
            UnparkAll();
            return false;
        }
        parkedFiles.push_back(parked);
    }
    return true;
}

void CToolInstallJob::UnparkAll() {
    // Nothing has been staged yet: every name is free again.
    for (auto p = parkedFiles.rbegin(); p != parkedFiles.rend(); ++p)
        MoveFileA(p->parkedPath.c_str(), p->path.c_str());
    parkedFiles.clear();
    if (!savedMainFile.empty() &&
        MoveFileA(savedMainFile.c_str(), JoinPath(targetFolder, tool.file).c_str()))
        savedMainFile.clear();
}

void CToolInstallJob::StageFiles(HANDLE list, const std::vector<StagedCopy>& copies) {
    for (const std::string& sub : StagedSubfolders(setupKind))
        CreateDirectoryA(JoinPath(targetFolder, sub).c_str(), NULL);
    unsigned long staged = 0;
    unsigned long long bytes = 0;
    for (const StagedCopy& copy : copies) {
        if (InstallFile(copy.name, copy.dest, copy.src)) {
            ++staged;
            bytes += copy.size;
        }
        WriteListLine(list, copy.listed);
    }
    if (log)
        log->Line("Staged " + std::to_string(staged) + " of " + std::to_string(copies.size()) +
                  " setup files (" + GroupedNumber(bytes) + " bytes) from " + setupSourceFolder +
                  " into " + targetFolder);
    // Taken once all is staged: of two sources for one name the last wins.
    for (ParkedFile& p : parkedFiles) p.stagedPrint = ContentPrint(p.path);
}

void CToolInstallJob::RemoveStagedFile(const std::string& path) {
    ParkedFile* parked = nullptr;
    for (ParkedFile& p : parkedFiles)
        if (EqualsNoCase(p.path, path)) parked = &p;
    if (!parked) {
        DeleteFileWithNotice(path);
        return;
    }
    if (parked->settled) return;  // a second line for the same copy
    parked->settled = true;
    // A copy that cannot be read is no proof of a new version: the parked
    // file is only given up for one the setup demonstrably wrote.
    const std::string now = IsFile(path) ? ContentPrint(path) : "";
    if (!now.empty() && now != parked->stagedPrint) {
        // The setup put its own version there: it stays.
        DeleteFileWithNotice(parked->parkedPath);
        return;
    }
    DeleteFileWithNotice(path);
    // Should the name still be taken, the file stays parked under "_~".
    MoveFileA(parked->parkedPath.c_str(), path.c_str());
}

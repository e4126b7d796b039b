// Phase 1: the setup files are staged into the target folder, and every
// staged file is written to the staging list so that phase 4 can remove it.
#include "FileIo.h"
#include "FolderEntries.h"
#include "ToolInstallJob.h"

#include "Varnet01.h"
#include "WinHandles.h"

using projectfiles::CreateForWrite;
using projectfiles::WriteAll;

namespace {

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

    std::string setupPath = UpperAscii(JoinPath(setupSourceFolder, tool.setup));
    if (!PathExists(setupPath) && EndsWith(setupPath, "SETUP.EXE")) setupPath.back() = '_';
    if (!PathExists(setupPath)) {
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

    // Configuration files among the setup files are rewritten for the
    // tool's target folder.
    WithFileContext(targetFolder, [&] { StageFiles(list.get()); });

    // Closed before the next steps run: phase 4 reads it back.
    list.reset();
    AdvancePhase();
}

void CToolInstallJob::StageFiles(HANDLE list) {
    for (FolderEntries entries(setupSourceFolder); entries.Next();) {
        if (entries.isFolder()) continue;
        std::string name = UpperAscii(entries.name());
        if (name == "_ISDEL.EXE") continue;
        InstallFile(name, targetFolder, setupSourceFolder);
        // InstallFile stored "SETUP.EX_" as "SETUP.EXE"; the list names
        // what is on disk.
        if (EndsWith(name, "SETUP.EX_")) name.back() = 'E';
        WriteListLine(list, JoinPath(targetFolder, name));
    }

    if (setupKind == SetupUlvan) {
        for (const char* sub : {"W2KSUP", "Manuals"}) {
            const std::string dest = JoinPath(targetFolder, sub);
            const std::string src = JoinPath(setupSourceFolder, sub);
            CreateDirectoryA(dest.c_str(), NULL);
            for (FolderEntries entries(src); entries.Next();) {
                if (entries.isFolder()) continue;
                InstallFile(UpperAscii(entries.name()), dest, src);
                WriteListLine(list, JoinPath(dest, entries.name()));
            }
        }
    }
}

// Phase 4: registry files, the outcome of the setup and the removal of the
// staged files. (Phase 5 is in JobProjectFiles.cpp.)
#include "FileIo.h"
#include "ProjectFiles.h"
#include "ToolInstallJob.h"

#include "Varnet01.h"
#include "WinHandles.h"

#include <vector>

using projectfiles::LineReader;
using projectfiles::OpenForRead;

namespace {

// Regedit splits its command line at blanks: a path with one is quoted.
std::string CommandLineArgument(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

}  // namespace

void CToolInstallJob::RunRegistryEditor(const std::string& regFile) {
    const std::string editor = JoinPath(WindowsFolder(VARNET_DIR_WINDOWS), "Regedit.exe");
    const std::string command =
        CommandLineArgument(editor) + " /s " + CommandLineArgument(regFile);
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    // Neither a missing editor nor its exit status stops the job.
    if (!CreateProcessA(editor.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &info)) {
        if (log)
            log->Line("Registry editor could not be started for " + regFile + ": " +
                      WindowsErrorText(GetLastError()));
        return;
    }
    win::Handle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    if (log) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process.get(), &exitCode);
        log->Line("Registry file " + regFile + " applied by the registry editor, exit code " +
                  std::to_string(exitCode));
    }
}

void CToolInstallJob::ApplyRegFile(const std::string& regFile) {
    if (!log) {
        ImportRegFile(regFile);
        return;
    }
    projectfiles::RegImportTally tally;
    if (!projectfiles::ImportRegFile(regFile, &tally)) {
        log->Line("Registry file " + regFile + " could not be read: " +
                  WindowsErrorText(GetLastError()));
        return;
    }
    std::string text = "Registry file " + regFile + ": " + Counted(tally.applied, "line") +
                       " applied, " + std::to_string(tally.skipped) + " skipped";
    for (size_t i = 0; i < tally.skippedLines.size(); ++i)
        text += (i == 0 ? (tally.skipped == 1 ? " (line " : " (lines ") : ", ") +
                std::to_string(tally.skippedLines[i]);
    if (!tally.skippedLines.empty()) text += ")";
    log->Line(text);
}

void CToolInstallJob::ApplyRegistryFiles(const std::string& folder) {
    const std::string base = JoinPath(folder, tool.dir);
    if (PathExists(base + ".REG")) ApplyRegFile(base + ".REG");
    if (PathExists(base + "_V.REG")) ApplyRegFile(base + "_V.REG");
    // NT.REG files may hold what the job's own parser does not read.
    if (family == FamilyNT && PathExists(base + "NT.REG"))
        RunRegistryEditor(base + "NT.REG");
}

bool CToolInstallJob::RemoveStagedFiles() {
    {
        win::File list = OpenForRead(stagingListPath);
        if (!list) return false;
        LineReader reader(list.get());
        std::string line;
        while (reader.Next(line)) RemoveStagedFile(line);
    }
    DeleteFileWithNotice(stagingListPath);
    if (setupKind == SetupUlvan) {
        // Each only if empty: what the setup put there stays.
        RemoveDirectoryA(JoinPath(targetFolder, "W2KSUP").c_str());
        RemoveDirectoryA(JoinPath(targetFolder, "Manuals").c_str());
        RemoveDirectoryA(targetFolder.c_str());
    }
    return true;
}

void CToolInstallJob::AfterSetup() {
    ApplyRegistryFiles(tool.copyFiles == 0 ? toolSourceFolder : targetFolder);

    if (tool.file.empty()) {
        setupComplete = 1;
    } else {
        const std::string mainFile = JoinPath(targetFolder, tool.file);
        setupComplete = PathExists(mainFile) ? 1 : 0;
        if (!savedMainFile.empty()) {
            if (setupComplete)
                DeleteFileWithNotice(savedMainFile);
            else
                MoveFileA(savedMainFile.c_str(), mainFile.c_str());  // failure ignored
        }
    }

    if (tool.copyFiles == 1 && !RemoveStagedFiles()) {
        EndJob(ResultCannotReadTarget);
        return;
    }

    if (setupComplete)
        AdvancePhase();
    else
        EndJob(ResultSetupIncomplete);
}

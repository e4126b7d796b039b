// The job's members for its project files: each hands the job's values to
// kvt_projectfiles. Phase 5 works out every group's folder here.
#include "ToolInstallJob.h"

#include "ProjectFiles.h"
#include "Varnet01.h"

namespace {

projectfiles::Naming NamingOfPhase(int phase) {
    switch (phase) {
    case PhaseCopySetup: return projectfiles::Naming::SetupFiles;
    case PhaseProjectFiles: return projectfiles::Naming::ProjectFiles;
    default: return projectfiles::Naming::AsFound;
    }
}

// Every file a walk finds goes through the job's InstallFile.
projectfiles::PlaceFile PlaceThrough(CToolInstallJob& job) {
    return [&job](const std::string& name, const std::string& dest, const std::string& src) {
        return job.InstallFile(name, dest, src);
    };
}

}  // namespace

projectfiles::Context CToolInstallJob::FileContext(const std::string& folder) {
    projectfiles::Context c;
    c.sourceFolder = toolSourceFolder;
    c.targetFolder = folder;
    c.naming = NamingOfPhase(phase);
    c.language = language;
    c.family = family;
    c.projectName = projectName;
    c.userName = userName;
    c.company = company;
    c.languageValue = language == LanguageGerman ? tool.languageGerman : tool.languageEnglish;
    c.windowsFolder = WindowsFolder(VARNET_DIR_WINDOWS);
    c.systemFolder = WindowsFolder(VARNET_DIR_SYSTEM);
    c.tempFolder = WindowsFolder(VARNET_DIR_TEMP);
    c.failed = [this](const std::string& path, unsigned long error) {
        ++failedPlacements_;
        if (log) log->Line("Could not place " + path + ": " + WindowsErrorText(error));
    };
    c.log = log;
    return c;
}

void CToolInstallJob::WithFileContext(const std::string& folder,
                                      const std::function<void()>& walk) {
    const projectfiles::Context context = FileContext(folder);
    struct Restore {
        const projectfiles::Context*& current;
        const projectfiles::Context* outer;
        ~Restore() { current = outer; }
    } restore{fileContext_, fileContext_};
    fileContext_ = &context;
    walk();
}

void CToolInstallJob::CopyGroupInto(const std::string& folder, const std::string& group) {
    WithFileContext(folder, [&] {
        projectfiles::CopyFileGroup(*fileContext_, group, PlaceThrough(*this));
    });
}

void CToolInstallJob::CopyProjectFiles() {
    // targetFolder stays the tool's own folder; each group's folder is
    // derived from it.
    failedPlacements_ = 0;
    for (const GroupFolder& g : GroupFolders(setupKind, targetFolder, projectName,
                                             WindowsFolder(VARNET_DIR_WINDOWS),
                                             WindowsFolder(VARNET_DIR_SYSTEM)))
        if (!g.folder.empty()) CopyGroupInto(g.folder, g.group);
    // Every group has been tried; one file missing is no success.
    EndJob(failedPlacements_ ? ResultCannotWriteTarget : ResultSuccess);
}

void CToolInstallJob::CopyFileGroup(const std::string& group) { CopyGroupInto(targetFolder, group); }

void CToolInstallJob::CopyProjectTree(const std::string& targetRoot, const std::string& sourceRoot) {
    WithFileContext(targetFolder, [&] {
        projectfiles::CopyProjectTree(*fileContext_, targetRoot, sourceRoot, PlaceThrough(*this));
    });
}

void CToolInstallJob::CopyTreeOnce(const std::string& targetRoot, const std::string& sourceRoot) {
    WithFileContext(targetFolder, [&] {
        projectfiles::CopyTreeOnce(targetRoot, sourceRoot, PlaceThrough(*this));
    });
}

int CToolInstallJob::InstallFile(const std::string& name, const std::string& destFolder,
                                 const std::string& srcFolder) {
    if (fileContext_)
        return projectfiles::InstallFile(*fileContext_, copyBuffer_, name, destFolder, srcFolder);
    return projectfiles::InstallFile(FileContext(targetFolder), copyBuffer_, name, destFolder,
                                     srcFolder);
}

int CToolInstallJob::CopyBinaryFile(const std::string& targetPath, const std::string& sourcePath) {
    return projectfiles::CopyBinaryFile(copyBuffer_, targetPath, sourcePath);
}

int CToolInstallJob::MoveDriveLetters(const std::string& path, const std::string& driveTemplate,
                                      char drive) {
    return projectfiles::MoveDriveLetters(path, driveTemplate, drive);
}

int CToolInstallJob::RewriteConfigFile(const std::string& targetPath,
                                       const std::string& sourcePath) {
    if (fileContext_) return projectfiles::RewriteConfigFile(*fileContext_, targetPath, sourcePath);
    return projectfiles::RewriteConfigFile(FileContext(targetFolder), targetPath, sourcePath);
}

std::string CToolInstallJob::ReplacePlaceholder(const std::string& line,
                                                const std::string& placeholder,
                                                const std::string& value) {
    return projectfiles::ReplacePlaceholder(line, placeholder, value);
}

int CToolInstallJob::ImportRegFile(const std::string& path) { return projectfiles::ImportRegFile(path); }

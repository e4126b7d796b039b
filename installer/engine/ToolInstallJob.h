// The install job of one tool: its data, its phase machine (preparation,
// staging, starting and supervising the setup, the steps after it, the
// project file groups). Placing and rewriting the tool's ready-made files is
// the work of kvt_projectfiles (ProjectFiles.h); the job's members of those
// names hand it the job's values. A job reaches its window only through
// JobHost. Each concern has a source file of its own: ToolInstallJob.cpp
// (phase machine), JobPrepare.cpp, JobStaging.cpp, JobSetupStart.cpp,
// JobSupervision.cpp, JobAfterSetup.cpp, JobMessages.cpp, JobProjectFiles.cpp.
#pragma once
#include "InstallTypes.h"
#include "JobHost.h"
#include "Language.h"
#include "PathText.h"
#include "RunLog.h"
#include "SetupPlan.h"
#include "ToolRecord.h"
#include "WindowsFamily.h"

#include <functional>
#include <string>
#include <vector>

namespace projectfiles {
struct Context;
}

class CToolInstallJob {
public:
    explicit CToolInstallJob(ToolRecord& toolRecord);
    virtual ~CToolInstallJob();
    CToolInstallJob(const CToolInstallJob&) = delete;
    CToolInstallJob& operator=(const CToolInstallJob&) = delete;

    // --- Data, set by the install run and the job's preparation ---------
    std::string toolSourceFolder;  // medium root + the tool's Dir
    std::string targetFolder;      // the tool's target folder
    std::string projectName;
    Language language = LanguageEnglish;  // of messages and overlays
    std::string userName;
    std::string company;
    std::string setupArguments;
    ToolRecord& tool;              // owned by the catalogue
    std::string setupSourceFolder;
    int projectFilesOnly = 0;
    int setupComplete = 0;
    std::string savedMainFile;     // parked earlier main file, or empty
    // Files of the target folder that a staged copy stands in for while the
    // setup runs, each parked beside itself under "_~" (JobStaging.cpp).
    struct ParkedFile {
        std::string path;        // where it was and the staged copy now is
        std::string parkedPath;
        std::string stagedPrint; // the staged copy's size and content hash
        bool settled = false;    // put back, or given up for the setup's own
    };
    std::vector<ParkedFile> parkedFiles;
    std::string stagingListPath;
    int phase = 0;                 // set by the preparation
    int delayCountdown = 0;
    int waitedTicks = 0;           // supervision ticks that found the setup after the Delay
    bool stillWaitingShown = false;  // the hint that Escape stops the wait shows
    int setupTimeoutTicks = 0;     // > 0: stop waiting after this many, without asking
    bool setupAbandoned = false;   // the wait was stopped while the setup still ran
    int lastStartedPhase = StartNotRequested;
    SetupKind setupKind = SetupStandard;
    // Chooses the variant trees and the registry editor's file. The install
    // run passes the family start-up found; a job made elsewhere asks.
    WindowsFamily family = DetectWindowsFamily();

    // The install log, or null. The job logs what it does and every
    // failure it meets, also those its window does not show.
    RunLog* log = nullptr;

    // The window the job reports to; without one, its requests go nowhere.
    void SetHost(JobHost& host) { host_ = &host; }

    // --- Phase machine -----------------------------------------------------
    // Once, when the window initialises: setup kind, first phase (1 or 5),
    // the busy check for a job that runs a setup, the free-space check.
    // False when this already ended the job (the window is then not shown).
    // A throw inside ends the job with ResultUnknown, as in every step.
    bool Prepare();
    // The step of the current phase; nothing in phase 3 and once ended.
    // Every step finishes with exactly one AdvancePhase or EndJob; a step
    // that throws ends the job with ResultUnknown.
    void RunPhase();
    // Next phase, then a repaint at once, whose paint starts its step.
    void AdvancePhase();
    // Ends the job and closes the window with `code`; only the first end
    // counts.
    void EndJob(int code);
    // Called at the end of every paint: the first one asks for the start
    // (timer 1 at 100 ms); later ones start the step of a phase not yet
    // started.
    void OnPainted();
    // Timer handler. False for a timer other than 1 (the window passes it
    // on); true otherwise.
    bool OnSupervisionTick(unsigned timerId);
    // A process with the tool's Setup file name runs, or a top-level window
    // whose title begins with its Title exists.
    bool IsSetupRunning() const;
    // Escape in the window. While the job waits for its setup it asks
    // whether to stop waiting; Yes goes on as if the setup had gone, so the
    // main-file check judges the outcome. In every other phase it does
    // nothing, as the setup must not be left half done.
    void OnEscape();
    // The hint line shown once the setup has been waited for this long
    // beyond its Delay, in the job's language.
    static const int kStillWaitingTicks = 120;
    std::string StillWaitingText() const;

    // --- Results and notices ---------------------------------------------
    // The message of a failure code in the job's language. Every code that
    // has no text of its own (8, above 9, below 0) reads as code 9.
    const char* GetResultMessage(int code) const;
    // Deletes the file at `path`. When there is none, or it cannot be
    // deleted, the window shows the deletion notice for it and the caller
    // goes on. True when the file was deleted.
    bool DeleteFileWithNotice(const std::string& path);

    // --- Project files (ProjectFiles.h), with the job's values -----------
    // The group's trees into targetFolder.
    void CopyFileGroup(const std::string& group);
    void CopyProjectTree(const std::string& targetRoot, const std::string& sourceRoot);
    void CopyTreeOnce(const std::string& targetRoot, const std::string& sourceRoot);
    // Places one file by the renaming rules of the current phase. Every walk
    // of the job places its files through here; virtual so a test can watch
    // the walk's order.
    virtual int InstallFile(const std::string& name, const std::string& destFolder,
                            const std::string& srcFolder);
    int CopyBinaryFile(const std::string& targetPath, const std::string& sourcePath);
    static int MoveDriveLetters(const std::string& path, const std::string& driveTemplate,
                                char drive);
    int RewriteConfigFile(const std::string& targetPath, const std::string& sourcePath);
    static std::string ReplacePlaceholder(const std::string& line, const std::string& placeholder,
                                          const std::string& value);
    int ImportRegFile(const std::string& path);

protected:
    // Bytes available to the user on the drive of `root`, 0 when unknown.
    virtual unsigned long long AvailableBytes(const std::string& root) const;
    // The Windows folder (kind 0), system folder (kind 1) or temporary
    // folder (kind 2) as the utility library reports it; empty when it
    // cannot be determined.
    virtual std::string WindowsFolder(int kind) const;

private:
    bool PrepareSteps();       // Prepare without its guard
    void StopWaiting();        // phase 3 ends with the setup still there
    void CopySetupFiles();     // phase 1
    typedef StagedFile StagedCopy;
    std::vector<StagedCopy> StagingPlan() const;
    bool ParkShadowedFiles(const std::vector<StagedCopy>& copies);
    void UnparkAll();          // undoes the parking after a failed one
    void StageFiles(void* list, const std::vector<StagedCopy>& copies);
    void RemoveStagedFile(const std::string& path);  // phase 4, per list line
    void StartSetup();         // phase 2
    void AfterSetup();         // phase 4
    void CopyProjectFiles();   // phase 5
    void ApplyRegistryFiles(const std::string& folder);
    bool RemoveStagedFiles();  // false when the staging list cannot be read
    void RunRegistryEditor(const std::string& regFile);
    void ApplyRegFile(const std::string& regFile);  // ImportRegFile, logged

    // The project-file context of the job's values, for a group or walk
    // that goes to `folder`.
    projectfiles::Context FileContext(const std::string& folder);
    // Runs `walk` with the context for `folder` in force: every file it
    // places through InstallFile sees that folder.
    void WithFileContext(const std::string& folder, const std::function<void()>& walk);
    void CopyGroupInto(const std::string& folder, const std::string& group);

    JobHost* host_ = nullptr;
    std::vector<char> copyBuffer_;  // reused by every binary copy of the job
    const projectfiles::Context* fileContext_ = nullptr;  // while a walk runs
    int failedPlacements_ = 0;  // files and folders that could not be placed
};

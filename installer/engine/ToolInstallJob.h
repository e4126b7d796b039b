// The install job of one tool: its data, its phase machine (preparation,
// staging, starting and supervising the setup, the steps after it, the
// project file groups), and the operations that place the tool's ready-made
// files from the medium and rewrite them for this machine. A job reaches its
// window only through JobHost. Each concern has a source file of its own:
// ToolInstallJob.cpp (phase machine), JobPrepare.cpp, JobStaging.cpp,
// JobSetupStart.cpp, JobSupervision.cpp, JobAfterSetup.cpp, JobMessages.cpp.
#pragma once
#include "InstallTypes.h"
#include "JobHost.h"
#include "PathText.h"
#include "ToolRecord.h"

#include <string>
#include <vector>

class CToolInstallJob {
public:
    explicit CToolInstallJob(ToolRecord& toolRecord);
    virtual ~CToolInstallJob();
    CToolInstallJob(const CToolInstallJob&) = delete;
    CToolInstallJob& operator=(const CToolInstallJob&) = delete;

    // --- Data, set by the install run and the job's preparation ---------
    std::string toolSourceFolder;  // medium root + the tool's Dir
    std::string targetFolder;      // where the current file or group goes
    std::string projectName;
    int german = 0;                // non-zero: German texts and overlays
    std::string userName;
    std::string company;
    std::string setupArguments;
    ToolRecord& tool;              // owned by the catalogue
    std::string setupSourceFolder;
    int projectFilesOnly = 0;
    int setupComplete = 0;
    std::string savedMainFile;     // parked earlier main file, or empty
    std::string stagingListPath;
    int phase = 0;                 // set by the preparation
    int delayCountdown = 0;
    int lastStartedPhase = -2;
    SetupKind setupKind = SetupStandard;

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

    // --- Results and notices ---------------------------------------------
    // The message of a failure code in the job's language. Every code that
    // has no text of its own (8, above 9, below 0) reads as code 9.
    const char* GetResultMessage(int code) const;
    // Deletes the file at `path`. When there is none, or it cannot be
    // deleted, the window shows the deletion notice for it and the caller
    // goes on. True when the file was deleted.
    bool DeleteFileWithNotice(const std::string& path);

    // --- Project file trees ----------------------------------------------
    // Copies the group's trees (g + "Files", its Windows-family variants,
    // each followed by its language overlay) into targetFolder.
    void CopyFileGroup(const std::string& group);
    // The tree, then its "_d" or "_e" overlay, into the same target root.
    void CopyProjectTree(const std::string& targetRoot, const std::string& sourceRoot);
    // Breadth-first copy of one tree; a missing source creates nothing.
    void CopyTreeOnce(const std::string& targetRoot, const std::string& sourceRoot);
    // Places one file by the renaming rules of the current phase. 1 when
    // placed or left alone as already present, 0 when source or target
    // cannot be opened. Virtual so a test can watch the walk's order.
    virtual int InstallFile(const std::string& name, const std::string& destFolder,
                            const std::string& srcFolder);
    // Byte copy keeping the source's times; a "_~_" name prefix is dropped
    // and the copy's drive letters are moved instead. 1 = copied.
    int CopyBinaryFile(const std::string& targetPath, const std::string& sourcePath);
    // Writes `drive` in front of every occurrence of the template without
    // its first character (":\tarvo\" for "?:\tarvo\"), letters matched in
    // any case. Number of bytes rewritten, or -1 when the file cannot be
    // opened for update.
    static int MoveDriveLetters(const std::string& path, const std::string& driveTemplate,
                                char drive);

    // --- Configuration files ---------------------------------------------
    // Writes the source line by line, placeholders replaced, CR LF line
    // ends. 1 when both files could be opened and every line was written.
    int RewriteConfigFile(const std::string& targetPath, const std::string& sourcePath);
    // Replaces every occurrence of `placeholder`, repeating while a
    // replacement forms a new occurrence with the surrounding text. Text a
    // replacement inserted is not searched again on its own, so a value that
    // contains the placeholder itself is inserted once and the line ends.
    static std::string ReplacePlaceholder(const std::string& line, const std::string& placeholder,
                                          const std::string& value);

    // --- Registry files --------------------------------------------------
    // Imports keys, string and dword values of a .REG file through the
    // library's registry functions. 1 when the file could be opened.
    int ImportRegFile(const std::string& path);

protected:
    // Bytes available to the user on the drive of `root`, 0 when unknown.
    virtual unsigned long long AvailableBytes(const std::string& root) const;
    // The Windows folder (kind 0) or system folder (kind 1) without a
    // trailing backslash; empty when it cannot be determined.
    virtual std::string WindowsFolder(int kind) const;

private:
    bool PrepareSteps();       // Prepare without its guard
    void CopySetupFiles();     // phase 1
    void StartSetup();         // phase 2
    void AfterSetup();         // phase 4
    void CopyProjectFiles();   // phase 5
    void ApplyRegistryFiles(const std::string& folder);
    bool RemoveStagedFiles();  // false when the staging list cannot be read
    void RunRegistryEditor(const std::string& regFile);

    JobHost* host_ = nullptr;
    std::vector<char> copyBuffer_;  // reused by every binary copy of the job
};

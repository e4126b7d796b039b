// The install job of one tool: its data, and the operations that place the
// tool's ready-made files from the medium and rewrite them for this machine.
// The phase machine and the progress window that drive a job build on this.
#pragma once
#include "InstallTypes.h"
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

private:
    std::vector<char> copyBuffer_;  // reused by every binary copy of the job
};

// The progress window's lines for a job as it stands: which show, in which
// order, with their blank before an empty value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgressDlg.h"

namespace {

TEST(ProgressLines, FollowTheJobThroughItsPhases) {
    const std::string app = "Application: Alpha", dest = "Destination: C:\\Tarvo\\KVT\\Alpha";
    const std::string copying = "Copying Temporary Setup Files ", executing = "Executing Setup ";
    const std::string deleting = "Deleting Temporary Setup Files ", project = "Copying Project Files ";
    struct Case {
        int projectFilesOnly, phase, setupComplete;
        std::vector<std::string> lines;
    } cases[] = {
        {0, 1, 0, {app, dest, copying}},
        {0, 2, 0, {app, dest, copying, executing}},
        {0, 3, 0, {app, dest, copying, executing}},
        {0, 4, 1, {app, dest, copying, executing, "Setup finished ", deleting}},
        {0, 4, 0, {app, dest, copying, executing, "Setup terminated ", deleting}},
        {0, 5, 1, {app, dest, copying, executing, "Setup finished ", deleting, project}},
        {1, 5, 0, {project}},
        // Ended (a repaint before the window goes): only the lines that
        // depend on no phase.
        {0, -2, 0, {app, dest, copying}},
        {1, -2, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "only " << c.projectFilesOnly << ", phase " << c.phase);
        ToolRecord tool;
        tool.dir = "Alpha";
        CToolInstallJob job(tool);
        job.targetFolder = "C:\\Tarvo\\KVT\\Alpha";
        job.projectFilesOnly = c.projectFilesOnly;
        job.phase = c.phase;
        job.setupComplete = c.setupComplete;
        EXPECT_EQ(c.lines, ProgressLines(job));
    }
}

}  // namespace

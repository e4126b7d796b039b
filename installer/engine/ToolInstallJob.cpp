#include "engine/ToolInstallJob.h"

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

CToolInstallJob::CToolInstallJob(ToolRecord& toolRecord) : tool(toolRecord) {}

CToolInstallJob::~CToolInstallJob() {}

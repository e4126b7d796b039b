#include "ToolInstallJob.h"

CToolInstallJob::CToolInstallJob(ToolRecord& toolRecord) : tool(toolRecord) {}

CToolInstallJob::~CToolInstallJob() {}

// What the command line asks of the dialog run.
#pragma once
#include <string>

#include "RunLog.h"

struct DialogOptions {
    std::string recordFile;   // the answer file to record into; empty: none
    RunLog* log = nullptr;    // the install log; null: none
};

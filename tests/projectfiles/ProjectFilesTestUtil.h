// Helpers for the project-file tests: a job over a scratch medium, file
// times, and a second drive letter for the same scratch folder.
#pragma once
#include "ToolInstallJob.h"
#include "TestSupport.h"

#include <string>

namespace pftest {

// A job whose tool lives in `medium` and whose files go to `target`.
struct JobFixture {
    ToolRecord tool;
    CToolInstallJob job;
    JobFixture(const std::string& medium, const std::string& target, int phase);
};

FILETIME MakeTime(int year, int month, int day);
bool SetTimes(const std::string& path, const FILETIME& accessed, const FILETIME& written);
bool GetTimes(const std::string& path, FILETIME& accessed, FILETIME& written);
// Seconds between a file time and now (positive when in the past).
double AgeSeconds(const FILETIME& t);

// The same folder reached through Wine's Z: drive (the Unix root), or ""
// when that drive is not available.
std::string OnDriveZ(const std::string& windowsPath);

}  // namespace pftest

// The answer file of an unattended installation: what the main dialog holds
// when "Install" is pressed, in one [Answers] section of an INI file.
//   Project, Name, Company, Drive (C:\), Language (0 English, 1 German),
//   Tools (section names of KVTInstall.ini, separated by commas),
//   Backup (Yes or No, default No: the answer to every backup prompt),
//   SetupTimeout (minutes, default 60: how long a setup is waited for
//   beyond its Delay).
#pragma once
#include <string>
#include <vector>

struct Answers {
    std::string project;
    std::string name;
    std::string company;
    std::string drive;
    int language = 0;
    std::vector<std::string> tools;
    bool backup = false;
    int setupTimeoutMinutes = 60;
};

// False with `error` (English, one line) when the file cannot be read, a
// value is malformed, or Project, Name, Company or Drive is empty.
bool ReadAnswers(const std::string& path, Answers& out, std::string& error);
// Replaces the file's [Answers] section; false when it cannot be written.
bool WriteAnswers(const std::string& path, const Answers& answers);

// The user's choices kept per project under
// HKEY_LOCAL_MACHINE\SOFTWARE\Tarvo Kinetics\<project>.
#pragma once
#include <string>

#include "Language.h"

// "SOFTWARE\Tarvo Kinetics\" + project, or "" when the project is empty.
std::string SettingsKey(const std::string& project);

// Readers of one value under a settings key; an empty key, a key that cannot
// be opened or a value that cannot be read all count as absent.
bool SettingsKeyExists(const std::string& key);
std::string ReadSettingString(const std::string& key, const char* valueName);
bool ReadSettingNumber(const std::string& key, const char* valueName, int* value);

// A stored drive of exactly two characters ("d:") gets its "\".
std::string CompleteDriveText(std::string drive);

// Writes Name, Company, Drive and Language for the project; failures are
// ignored. Nothing is written for an empty project.
void StoreSettings(const std::string& project, const std::string& name,
                   const std::string& company, const std::string& drive, Language language);

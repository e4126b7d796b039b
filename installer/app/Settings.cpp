#include "Settings.h"

#include "Varnet01.h"

std::string SettingsKey(const std::string& project) {
    if (project.empty()) return std::string();
    return "SOFTWARE\\Tarvo Kinetics\\" + project;
}

bool SettingsKeyExists(const std::string& key) {
    return !key.empty() && fGetRegistryEntry(HKEY_LOCAL_MACHINE, key.c_str(), NULL) != NULL;
}

std::string ReadSettingString(const std::string& key, const char* valueName) {
    if (key.empty()) return std::string();
    const char* v = fGetRegistryEntry(HKEY_LOCAL_MACHINE, key.c_str(), valueName);
    return v ? std::string(v) : std::string();
}

bool ReadSettingNumber(const std::string& key, const char* valueName, int* value) {
    if (key.empty()) return false;
    const DWORD* v = fGetRegistryValue(HKEY_LOCAL_MACHINE, key.c_str(), valueName);
    if (!v) return false;
    *value = static_cast<int>(*v);
    return true;
}

std::string CompleteDriveText(std::string drive) {
    if (drive.size() == 2) drive += '\\';
    return drive;
}

void StoreSettings(const std::string& project, const std::string& name,
                   const std::string& company, const std::string& drive, Language language) {
    std::string key = SettingsKey(project);
    if (key.empty()) return;
    fWriteRegistry(HKEY_LOCAL_MACHINE, key.c_str(), "Name", name.c_str());
    fWriteRegistry(HKEY_LOCAL_MACHINE, key.c_str(), "Company", company.c_str());
    fWriteRegistry(HKEY_LOCAL_MACHINE, key.c_str(), "Drive", drive.c_str());
    fWriteRegistryValue(HKEY_LOCAL_MACHINE, key.c_str(), "Language", static_cast<DWORD>(language));
}

#include "ConfigFile.h"

namespace {

std::string g_configFileName;

// The library keeps a name of up to 250 characters before ".ini".
const size_t kNameLimit = 251;

}  // namespace

std::string ProgramIniFileName(const char* commandLine, const std::string& currentFolder) {
    const char* p = commandLine ? commandLine : "";
    while (*p == ' ' || *p == '\t') ++p;
    std::string program;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) program += *p;
    } else {
        for (; *p && *p != ' ' && *p != '\t'; ++p) program += *p;
    }
    const size_t slash = program.find_last_of('\\');
    std::string name = slash == std::string::npos ? program : program.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    if (name.empty() || currentFolder.empty()) return std::string();

    std::string path = currentFolder;
    if (path.back() != '\\') path += '\\';
    path += name;
    if (path.size() >= kNameLimit) return std::string();
    return path + ".ini";
}

void UseConfigFileName(const std::string& path) { g_configFileName = path; }

CIniData ConfigFile() {
    CIniData config;
    if (!g_configFileName.empty()) config.SetIniFileName(g_configFileName.c_str());
    return config;
}

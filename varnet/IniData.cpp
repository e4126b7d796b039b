// CIniData: INI file access through the platform's profile functions. The
// class keeps no cache: every read sees the file as it is at that moment.
#include "Varnet01.h"
#include "VarnetInternal.h"

#include <stdio.h>
#include <string.h>

namespace {

enum { kBufferSize = 256, kMaxName = 255, kReadSize = 255, kMaxSection = 999 };

// Leading decimal integer: optional blanks, optional sign, digits up to the
// first non-digit. Saturates instead of overflowing.
int LeadingInt(const char* s, bool allowSign) {
    while (*s == ' ' || *s == '\t') ++s;
    bool negative = false;
    if (allowSign && (*s == '-' || *s == '+')) negative = (*s++ == '-');
    long long v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + (*s - '0');
        if (v > 2147483648LL) v = 2147483648LL;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) v = 2147483647LL;
    return static_cast<int>(v);
}

bool FitsName(const char* name) {
    if (!name) return false;
    for (int i = 0; i <= kMaxName; ++i)
        if (!name[i]) return true;
    return false;
}

}  // namespace

CIniData::CIniData(void)
    : m_fileName(new char[kBufferSize]),
      m_section(new char[kBufferSize]),
      m_result(new char[kBufferSize]),
      m_optValue(0),
      m_defaultPid(0) {
    varnet::CopyText(m_fileName, fBuildPrivateIniFileName(), kBufferSize);
    varnet::CopyText(m_section, "Config", kBufferSize);
    m_result[0] = '\0';
}

CIniData::~CIniData(void) {
    delete[] m_fileName;
    delete[] m_section;
    delete[] m_result;
}

CIniData::CIniData(const CIniData& other)
    : m_fileName(new char[kBufferSize]),
      m_section(new char[kBufferSize]),
      m_result(new char[kBufferSize]),
      m_optValue(other.m_optValue),
      m_defaultPid(other.m_defaultPid) {
    memcpy(m_fileName, other.m_fileName, kBufferSize);
    memcpy(m_section, other.m_section, kBufferSize);
    m_result[0] = '\0';
}

CIniData& CIniData::operator=(const CIniData& other) {
    if (this != &other) {
        memcpy(m_fileName, other.m_fileName, kBufferSize);
        memcpy(m_section, other.m_section, kBufferSize);
        m_result[0] = '\0';
        m_optValue = other.m_optValue;
        m_defaultPid = other.m_defaultPid;
    }
    return *this;
}

int CIniData::SetIniFileName(char const* name) {
    if (!FitsName(name)) return 0;
    varnet::CopyText(m_fileName, name, kBufferSize);
    return 1;
}

char const* CIniData::GetIniFileName(void) {
    varnet::CopyText(m_result, m_fileName, kBufferSize);
    return m_result;
}

int CIniData::SetSection(char const* name) {
    if (!FitsName(name)) return 0;
    varnet::CopyText(m_section, name, kBufferSize);
    return 1;
}

char const* CIniData::GetSection(void) {
    varnet::CopyText(m_result, m_section, kBufferSize);
    return m_result;
}

void CIniData::SetDefaultPid(int number) { m_defaultPid = number; }
int CIniData::GetDefaultPid(void) { return m_defaultPid; }
int CIniData::GetOptValue(void) { return m_optValue; }

int CIniData::GetNumberOfSections(void) {
    if (!m_fileName[0]) return 0;
    char key[16];
    char value[kBufferSize];
    for (int i = 1; i <= kMaxSection; ++i) {
        sprintf(key, "%d", i);
        GetPrivateProfileStringA(m_section, key, "", value, kReadSize, m_fileName);
        if (!value[0]) return i - 1;
    }
    return 0;  // 999 entries or more are no valid list
}

char* CIniData::GetSectionName(char* buffer, int number) {
    m_optValue = 0;
    if (!buffer || number < 0 || number > kMaxSection) return NULL;
    if (number == 0) return buffer;

    char key[16];
    sprintf(key, "%u", static_cast<unsigned>(number));
    char index[kBufferSize];
    varnet::CopyText(index, buffer, kBufferSize);
    if (m_fileName[0])
        GetPrivateProfileStringA(index, key, key, buffer, kReadSize, m_fileName);
    else
        varnet::CopyText(buffer, key, kBufferSize);

    if (strlen(buffer) < 2) return buffer;

    // The name ends at the first comma after the first character; the number
    // after the last such comma is the option value.
    char* first = strchr(buffer + 1, ',');
    if (!first) return buffer;
    char* last = strrchr(buffer + 1, ',');
    m_optValue = LeadingInt(last + 1, false);
    size_t end = static_cast<size_t>(first - buffer);
    while (end > 0 && buffer[end - 1] == ' ') --end;
    buffer[end] = '\0';
    return buffer;
}

bool CIniData::ResolveSection(int number, char* section) {
    varnet::CopyText(section, m_section, kBufferSize);
    if (number < 0) number = m_defaultPid;
    return GetSectionName(section, number) != NULL;
}

char const* CIniData::GetIniString(char const* key, int number, char const* def) {
    char section[kBufferSize];
    if (!ResolveSection(number, section)) return NULL;
    // A null key would make the platform list the section's keys instead.
    if (!m_fileName[0] || !key)
        varnet::CopyText(m_result, def, kReadSize);
    else
        GetPrivateProfileStringA(section, key, def ? def : "", m_result, kReadSize, m_fileName);
    return m_result;
}

char const* CIniData::GetSectionIniString(char const* key, char const* def) {
    return GetIniString(key, -1, def);
}

char const* CIniData::GetConfigIniString(char const* key, char const* def) {
    return GetIniString(key, 0, def);
}

int CIniData::GetIniValue(char const* key, int number, int def) {
    char defText[16];
    sprintf(defText, "%d", def);
    const char* text = GetIniString(key, number, defText);
    if (!text || !text[0]) return def;
    return LeadingInt(text, true);
}

int CIniData::GetSectionIniValue(char const* key, int def) { return GetIniValue(key, -1, def); }
int CIniData::GetConfigIniValue(char const* key, int def) { return GetIniValue(key, 0, def); }

int CIniData::GetConfigLimitedIniValue(char const* key, int max, int def) {
    int v = GetIniValue(key, 0, def);
    if (v < 0) return 0;
    if (v > max) return max;
    return v;
}

int CIniData::GetIniFlag(char const* key, int number, int def) {
    int v = GetIniValue(key, number, def);
    if (def == 0) return v;
    return v ? def : 0;
}

int CIniData::GetSectionIniFlag(char const* key, int def) { return GetIniFlag(key, -1, def); }
int CIniData::GetConfigIniFlag(char const* key, int def) { return GetIniFlag(key, 0, def); }

void CIniData::PutIniString(char const* key, char const* value, int number) {
    char section[kBufferSize];
    if (!ResolveSection(number, section) || !m_fileName[0]) return;
    WritePrivateProfileStringA(section, key, value, m_fileName);
}

void CIniData::PutConfigIniString(char const* key, char const* value) { PutIniString(key, value, 0); }

void CIniData::PutIniValue(char const* key, int value, int number) {
    char text[16];
    sprintf(text, "%d", value);
    PutIniString(key, text, number);
}

void CIniData::PutConfigIniValue(char const* key, int value) { PutIniValue(key, value, 0); }

extern "C" char const* fBuildPrivateIniFileName(void) {
    const char* cmd = GetCommandLineA();
    if (!cmd || strlen(cmd) < 3) return NULL;

    const char* name = strrchr(cmd, '\\');
    name = name ? name + 1 : cmd;
    if (*name == '"') ++name;

    const char* cwd = fGetWindowsDirectory(VARNET_DIR_CURRENT);
    if (!cwd) return NULL;
    char path[varnet::kPathBufferSize];
    varnet::CopyText(path, cwd, sizeof path);
    size_t len = strlen(path);
    if (len == 0 || path[len - 1] != '\\') path[len++] = '\\';

    // 251 characters before the extension is too long, also when the
    // directory alone reaches it: ".ini" must still fit 254.
    enum { kNameLimit = 251 };
    if (len >= kNameLimit) return NULL;
    for (; *name && *name != '.' && *name != '"'; ++name) {
        path[len++] = *name;
        if (len >= kNameLimit) return NULL;
    }
    memcpy(path + len, ".ini", 5);
    varnet::CopyText(varnet::g_pathBuffer, path, varnet::kPathBufferSize);
    return varnet::g_pathBuffer;
}

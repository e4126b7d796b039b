// INI ("profile") file access with an index section and a default section
// number. Include Varnet01.h rather than this file.
#pragma once

class VARNET_API CIniData {
public:
    CIniData(void);
    ~CIniData(void);
    // Copies get buffers of their own; nothing may share a result buffer.
    CIniData(const CIniData& other);
    CIniData& operator=(const CIniData& other);

    int SetIniFileName(char const* name);
    char const* GetIniFileName(void);
    int SetSection(char const* name);
    char const* GetSection(void);
    void SetDefaultPid(int number);
    int GetDefaultPid(void);
    int GetOptValue(void);
    int GetNumberOfSections(void);

    // Resolves `number` against the index section named in `buffer` (room for
    // 256 bytes); the resolved section name replaces it. Null when invalid.
    char* GetSectionName(char* buffer, int number);

    char const* GetIniString(char const* key, int number, char const* def);
    char const* GetSectionIniString(char const* key, char const* def);
    char const* GetConfigIniString(char const* key, char const* def);
    int GetIniValue(char const* key, int number, int def);
    int GetSectionIniValue(char const* key, int def);
    int GetConfigIniValue(char const* key, int def);
    int GetConfigLimitedIniValue(char const* key, int max, int def);
    int GetIniFlag(char const* key, int number, int def);
    int GetSectionIniFlag(char const* key, int def);
    int GetConfigIniFlag(char const* key, int def);

    void PutIniString(char const* key, char const* value, int number);
    void PutConfigIniString(char const* key, char const* value);
    void PutIniValue(char const* key, int value, int number);
    void PutConfigIniValue(char const* key, int value);

private:
    // Resolves `number` (negative: the default) into `section`, which the
    // current section name starts; false when the number is invalid.
    bool ResolveSection(int number, char* section);

    char* m_fileName;
    char* m_section;
    char* m_result;
    int m_optValue;
    int m_defaultPid;
};

// The running program's INI file: <current directory>\<program name>.ini,
// in the shared path buffer. Null when it cannot be built.
VARNET_C char const* fBuildPrivateIniFileName(void);

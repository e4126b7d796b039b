// CCryptData: text data files in four forms (plain, scrambled, compressed,
// scrambled and compressed). Compression is zlib's gzip format; reading goes
// through the gzip layer for every form, since it passes files that are not
// gzip through unchanged, so one Open reads whatever form is on disk.
#include "Varnet01.h"
#include "WinHandles.h"

#include <new>
#include <stdio.h>
#include <string.h>
#include <zlib.h>

namespace {

const char kHeaderFormat[] = "KVTCrypt V%3u.%02u";
enum {
    kHeaderLength = 16,       // stored header characters (no NUL)
    kHeaderTagLength = 10,    // "KVTCrypt V"
    kCurrentMajor = 1,
    kCurrentMinor = 0
};
const unsigned long kNoFile = 0xFFFFFFFFUL;

bool HasLetter(const char* mode, char letter) {
    if (!mode) return false;
    const char upper = static_cast<char>(letter - 'a' + 'A');
    for (; *mode; ++mode)
        if (*mode == letter || *mode == upper) return true;
    return false;
}

gzFile AsGz(void* stream) { return static_cast<gzFile>(stream); }
FILE* AsFile(void* stream) { return static_cast<FILE*>(stream); }

// Size of an existing regular file on disk; false for folders and missing
// paths. Sizes beyond 32 bits are capped below the "closed" marker.
// (GetFileAttributesEx is missing on Windows 95.)
bool DiskFileSize(const char* path, unsigned long* size) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    win::File file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file) return false;
    DWORD high = 0;
    const DWORD low = ::GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    *size = high ? kNoFile - 1 : (low == kNoFile ? kNoFile - 1 : low);
    return true;
}

// Decimal number in header[from, from+count): leading blanks, then at least
// one digit and nothing else.
bool HeaderNumber(const char* header, int from, int count, unsigned* value) {
    int i = from;
    const int end = from + count;
    while (i < end && header[i] == ' ') ++i;
    if (i == end) return false;
    unsigned v = 0;
    for (; i < end; ++i) {
        if (header[i] < '0' || header[i] > '9') return false;
        v = v * 10 + static_cast<unsigned>(header[i] - '0');
    }
    *value = v;
    return true;
}

}  // namespace

CCryptData::CCryptData(void)
    : m_lastError(CRYPTDATA_OK),
      m_fileName(NULL),
      m_stream(NULL),
      m_fileSize(0),
      m_crypted(0),
      m_compressed(0),
      m_versionMajor(kCurrentMajor),
      m_versionMinor(kCurrentMinor),
      m_lineBuffer(NULL),
      m_reading(0),
      m_transfer(NULL) {
    m_header[0] = '\0';
}

CCryptData::~CCryptData(void) { Close(); }

CCryptData& CCryptData::operator=(const CCryptData&) { return *this; }

int CCryptData::Open(char const* path, char const* mode) {
    if (m_stream) return CRYPTDATA_ERR_ALREADY_OPEN;
    m_versionMajor = kCurrentMajor;
    m_versionMinor = kCurrentMinor;

    if (HasLetter(mode, 'r')) {
        m_reading = 1;
        m_compressed = 1;
        unsigned long size = 0;
        gzFile gz = NULL;
        if (path && *path && DiskFileSize(path, &size)) gz = gzopen(path, "rb");
        if (!gz) {
            Close();
            return CRYPTDATA_ERR_OPEN;
        }
        m_stream = gz;
        m_transfer = &CCryptData::GetGZCharacter;
        m_fileSize = size;

        m_crypted = 1;
        if (!GetCryptVersion()) {
            m_crypted = 0;
            // A stream that cannot be rewound has met damaged data; it stays
            // in that error, so every read reports the end of the file.
            gzrewind(gz);
        }
    } else if (HasLetter(mode, 'w')) {
        m_fileSize = 0;
        m_reading = 0;
        m_compressed = HasLetter(mode, 'z') ? 1 : 0;
        if (path && *path) {
            if (m_compressed) {
                m_stream = gzopen(path, "wb");
                m_transfer = &CCryptData::PutGZCharacter;
            } else {
                m_stream = fopen(path, "wb");
                m_transfer = &CCryptData::PutFileCharacter;
            }
        }
        if (!m_stream) {
            Close();
            return CRYPTDATA_ERR_OPEN;
        }

        m_crypted = HasLetter(mode, 'v') ? 1 : 0;
        if (m_crypted && !PutCryptVersion()) {
            Close();
            return CRYPTDATA_ERR_WRITE;
        }
    } else {
        return CRYPTDATA_ERR_MODE;
    }

    m_lineBuffer = new (std::nothrow) char[CRYPTDATA_LINE_LENGTH + 1];
    const size_t nameLength = strlen(path);
    m_fileName = new (std::nothrow) char[nameLength + 1];
    if (!m_lineBuffer || !m_fileName) {
        Close();
        return CRYPTDATA_ERR_MEMORY;
    }
    m_lineBuffer[0] = '\0';
    memcpy(m_fileName, path, nameLength + 1);
    // The header check may have run into the end of a short file; that is
    // not a failure of the object.
    m_lastError = CRYPTDATA_OK;
    return CRYPTDATA_OK;
}

void CCryptData::Close(void) {
    if (m_stream) {
        if (m_compressed)
            gzclose(AsGz(m_stream));
        else
            fclose(AsFile(m_stream));
        m_stream = NULL;
    }
    delete[] m_lineBuffer;
    m_lineBuffer = NULL;
    delete[] m_fileName;
    m_fileName = NULL;
    m_fileSize = 0;
    m_crypted = 0;
    m_compressed = 0;
    m_reading = 0;
    m_transfer = NULL;
}

int CCryptData::GetCharacter(unsigned char* c) {
    if (!m_stream || !c) {
        m_lastError = CRYPTDATA_ERR_READ;
        return 0;
    }
    if (!m_reading) {
        m_lastError = CRYPTDATA_ERR_DIRECTION;
        return 0;
    }
    if (!(this->*m_transfer)(c)) {
        m_lastError = CRYPTDATA_ERR_READ;
        return 0;
    }
    if (m_crypted) DeCryptAlgorythmus(c);
    return 1;
}

int CCryptData::PutCharacter(unsigned char* c) {
    if (!m_stream || !c) {
        m_lastError = CRYPTDATA_ERR_WRITE;
        return 0;
    }
    if (m_reading) {
        m_lastError = CRYPTDATA_ERR_DIRECTION;
        return 0;
    }
    unsigned char out = *c;  // the caller's byte stays as it is
    if (m_crypted) EnCryptAlgorythmus(&out);
    if (!(this->*m_transfer)(&out)) {
        m_lastError = CRYPTDATA_ERR_WRITE;
        return 0;
    }
    return 1;
}

char const* CCryptData::GetString(void) {
    if (!m_lineBuffer) return NULL;
    int length = 0;
    unsigned char c;
    while (GetCharacter(&c)) {
        if (c == '\r') continue;
        if (c == '\n') {
            m_lineBuffer[length] = '\0';
            return m_lineBuffer;
        }
        if (length < CRYPTDATA_LINE_LENGTH) m_lineBuffer[length++] = static_cast<char>(c);
    }
    // A last line without its line end still counts; a lone CR there does not.
    if (length == 0) return NULL;
    m_lineBuffer[length] = '\0';
    return m_lineBuffer;
}

int CCryptData::PutString(char const* text) {
    if (!text) {
        m_lastError = CRYPTDATA_ERR_WRITE;
        return 0;
    }
    for (; *text; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (!PutCharacter(&c)) return 0;
    }
    unsigned char cr = '\r', lf = '\n';
    return PutCharacter(&cr) && PutCharacter(&lf) ? 1 : 0;
}

unsigned long CCryptData::GetFileSize(void) {
    return m_stream ? m_fileSize : kNoFile;
}

unsigned long CCryptData::GetFilePosition(void) {
    if (!m_stream) return kNoFile;
    long position = m_compressed ? static_cast<long>(gzoffset(AsGz(m_stream)))
                                 : ftell(AsFile(m_stream));
    return position < 0 ? kNoFile : static_cast<unsigned long>(position);
}

char const* CCryptData::GetFilename(void) {
    return m_stream ? m_fileName : NULL;
}

int CCryptData::IsFileCrypted(void) { return m_crypted; }

int CCryptData::GetFileCharacter(unsigned char* c) {
    const int v = fgetc(AsFile(m_stream));
    if (v == EOF) return 0;
    *c = static_cast<unsigned char>(v);
    return 1;
}

int CCryptData::GetGZCharacter(unsigned char* c) {
    const int v = gzgetc(AsGz(m_stream));
    if (v < 0) return 0;
    *c = static_cast<unsigned char>(v);
    return 1;
}

int CCryptData::PutFileCharacter(unsigned char* c) {
    return fputc(*c, AsFile(m_stream)) == EOF ? 0 : 1;
}

int CCryptData::PutGZCharacter(unsigned char* c) {
    return gzputc(AsGz(m_stream), *c) < 0 ? 0 : 1;
}

int CCryptData::GetCryptVersion(void) {
    char read[kHeaderLength];
    for (int i = 0; i < kHeaderLength; ++i) {
        unsigned char c;
        if (!GetCharacter(&c)) return 0;
        read[i] = static_cast<char>(c);
    }
    if (read[13] != '.') return 0;
    if (memcmp(read, GetCryptHeader(), kHeaderTagLength) != 0) return 0;
    unsigned minor = 0, major = 0;
    if (!HeaderNumber(read, 14, 2, &minor) || minor != m_versionMinor) return 0;
    if (!HeaderNumber(read, 10, 3, &major) || major > kCurrentMajor) return 0;
    m_versionMajor = major;
    return 1;
}

int CCryptData::PutCryptVersion(void) {
    const char* header = GetCryptHeader();
    for (int i = 0; i < kHeaderLength; ++i) {
        unsigned char c = static_cast<unsigned char>(header[i]);
        if (!PutCharacter(&c)) return 0;
    }
    return 1;
}

char* CCryptData::GetCryptHeader(void) {
    snprintf(m_header, sizeof m_header, kHeaderFormat, m_versionMajor, m_versionMinor);
    return m_header;
}

void CCryptData::EnCryptAlgorythmus(unsigned char* c) {
    const unsigned char b = *c;
    if (b >= 0x01 && b <= 0x0F)
        *c = static_cast<unsigned char>(b + 0x0F);
    else if (b >= 0x10 && b <= 0x1E)
        *c = static_cast<unsigned char>(b - 0x0F);
    else if (b >= 0x20 && b <= 0x7F)
        *c = static_cast<unsigned char>(b + 0x80);
    else if (b >= 0x80)
        *c = static_cast<unsigned char>(b - 0x60);
    // 0x00 and 0x1F stay as they are.
}

void CCryptData::DeCryptAlgorythmus(unsigned char* c) {
    const unsigned char b = *c;
    if (b >= 0x01 && b <= 0x0F)
        *c = static_cast<unsigned char>(b + 0x0F);
    else if (b >= 0x10 && b <= 0x1E)
        *c = static_cast<unsigned char>(b - 0x0F);
    else if (b >= 0x20 && b <= 0x9F)
        *c = static_cast<unsigned char>(b + 0x60);
    else if (b >= 0xA0)
        *c = static_cast<unsigned char>(b - 0x80);
}

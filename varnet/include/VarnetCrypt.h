// Scrambled and/or gzip-compressed text data files, read and written one
// character or one line at a time. Include Varnet01.h rather than this file.
#pragma once

// Results of Open, the object's last error and the flat interface's error.
enum {
    CRYPTDATA_OK = 0,
    CRYPTDATA_ERR_ALREADY_OPEN = 1,  // the object already has an open file
    CRYPTDATA_ERR_OPEN = 2,          // the file cannot be opened or created
    CRYPTDATA_ERR_MEMORY = 4,        // no memory
    CRYPTDATA_ERR_WRITE = 5,         // writing a character failed
    CRYPTDATA_ERR_MODE = 6,          // the mode holds neither r/R nor w/W
    CRYPTDATA_ERR_DIRECTION = 7,     // read on a writer or write on a reader
    CRYPTDATA_ERR_READ = 8           // end of file or read error
};

// GetString returns at most this many characters of a line.
enum { CRYPTDATA_LINE_LENGTH = 1024 };

class CCryptData;

// Flat interface for callers that cannot use classes; the handle is a
// CCryptData created by fOpenCryptClass and released by fCloseCryptClass.
VARNET_C CCryptData* fOpenCryptClass(char const* path, char const* mode);
// 1 when the handle was open and is now closed and released; 0, touching
// nothing, for a handle closed before, a null or a foreign one.
VARNET_C int fCloseCryptClass(CCryptData* crypt);
VARNET_C char const* fGetStringCryptClass(CCryptData* crypt);
VARNET_C int fGetCharCryptClass(CCryptData* crypt, unsigned char* c);
VARNET_C int fPutStringCryptClass(CCryptData* crypt, char const* text);
VARNET_C int fPutCharCryptClass(CCryptData* crypt, unsigned char* c);
VARNET_C char const* fGetFilenameCryptClass(CCryptData* crypt);
VARNET_C int IsFileCryptedCryptClass(CCryptData* crypt);
VARNET_C unsigned long CryptGetFileSize(CCryptData* crypt);
VARNET_C unsigned long CryptGetFilePosition(CCryptData* crypt);
// The flat error, one library-wide value: Open's code from the last
// fOpenCryptClass, or the object's last error after a failing flat write.
VARNET_C int fGetCryptClassError(void);

class VARNET_API CCryptData {
public:
    CCryptData(void);
    // Closes what is still open, so a forgotten Close neither leaks the
    // stream nor leaves a compressed file without its trailer.
    ~CCryptData(void);
    // Two objects must never share one stream and one line buffer.
    CCryptData(const CCryptData&) = delete;

    // Mode letters anywhere in `mode`: r (read any form), or w (write) with
    // optional z (gzip-compressed) and v (scrambled); either case. A damaged
    // gzip file still opens; reading it ends where the damage is found.
    int Open(char const* path, char const* mode);
    void Close(void);

    int GetCharacter(unsigned char* c);
    int PutCharacter(unsigned char* c);
    // The next line without its line end, in a buffer the object owns (valid
    // until the next GetString or Close); null at the end of the file.
    char const* GetString(void);
    // Writes the text followed by CR LF.
    int PutString(char const* text);

    unsigned long GetFileSize(void);
    unsigned long GetFilePosition(void);
    char const* GetFilename(void);
    int IsFileCrypted(void);

private:
    // Exported for binary callers of the class, but out of reach of code
    // compiled against this header: a copy would share one stream and one
    // line buffer. The object assigned to is left as it is.
    CCryptData& operator=(const CCryptData&);

protected:
    int GetFileCharacter(unsigned char* c);
    int GetGZCharacter(unsigned char* c);
    int PutFileCharacter(unsigned char* c);
    int PutGZCharacter(unsigned char* c);

    int GetCryptVersion(void);
    int PutCryptVersion(void);
    char* GetCryptHeader(void);

    void EnCryptAlgorythmus(unsigned char* c);
    void DeCryptAlgorythmus(unsigned char* c);

    typedef int (CCryptData::*TransferRoutine)(unsigned char*);

    // State; open to derived classes, which may want the last error.
    int m_lastError;          // of the last character-level failure
    char* m_fileName;         // the object's own copy of the path
    void* m_stream;           // gzFile when m_compressed, else FILE*
    unsigned long m_fileSize;
    int m_crypted;
    int m_compressed;
    unsigned m_versionMajor;
    unsigned m_versionMinor;
    char* m_lineBuffer;       // CRYPTDATA_LINE_LENGTH characters and a NUL
    int m_reading;
    char m_header[20];
    TransferRoutine m_transfer;
};

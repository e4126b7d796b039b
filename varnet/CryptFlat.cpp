// Flat interface over CCryptData for callers that cannot use classes. A null
// handle is answered like a closed object instead of crashing.
#include "Varnet01.h"

#include <new>

namespace {

int g_cryptError = CRYPTDATA_OK;

// The last error is protected state; a derived class may name it.
struct LastErrorOf : CCryptData {
    static int Get(const CCryptData& crypt) { return crypt.*(&LastErrorOf::m_lastError); }
};

}  // namespace

VARNET_C CCryptData* fOpenCryptClass(char const* path, char const* mode) {
    CCryptData* crypt = new (std::nothrow) CCryptData;
    if (!crypt) {
        g_cryptError = CRYPTDATA_ERR_MEMORY;
        return NULL;
    }
    g_cryptError = crypt->Open(path, mode);
    if (g_cryptError != CRYPTDATA_OK) {
        delete crypt;
        return NULL;
    }
    return crypt;
}

VARNET_C void fCloseCryptClass(CCryptData* crypt) {
    delete crypt;  // the destructor closes the file
}

VARNET_C char const* fGetStringCryptClass(CCryptData* crypt) {
    return crypt ? crypt->GetString() : NULL;
}

VARNET_C int fGetCharCryptClass(CCryptData* crypt, unsigned char* c) {
    return crypt ? crypt->GetCharacter(c) : 0;
}

VARNET_C int fPutStringCryptClass(CCryptData* crypt, char const* text) {
    if (!crypt) return 0;
    if (crypt->PutString(text)) return 1;
    g_cryptError = LastErrorOf::Get(*crypt);
    return 0;
}

VARNET_C int fPutCharCryptClass(CCryptData* crypt, unsigned char* c) {
    if (!crypt) return 0;
    if (crypt->PutCharacter(c)) return 1;
    g_cryptError = LastErrorOf::Get(*crypt);
    return 0;
}

VARNET_C char const* fGetFilenameCryptClass(CCryptData* crypt) {
    return crypt ? crypt->GetFilename() : NULL;
}

VARNET_C int IsFileCryptedCryptClass(CCryptData* crypt) {
    return crypt ? crypt->IsFileCrypted() : 0;
}

VARNET_C unsigned long CryptGetFileSize(CCryptData* crypt) {
    return crypt ? crypt->GetFileSize() : 0xFFFFFFFFUL;
}

VARNET_C unsigned long CryptGetFilePosition(CCryptData* crypt) {
    return crypt ? crypt->GetFilePosition() : 0xFFFFFFFFUL;
}

VARNET_C int fGetCryptClassError(void) { return g_cryptError; }

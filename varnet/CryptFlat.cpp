// Flat interface over CCryptData for callers that cannot use classes. A null
// handle is answered like a closed object instead of crashing.
#include "Varnet01.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

int g_cryptError = CRYPTDATA_OK;

// Handles this interface gave out and has not yet closed. Like the flat
// error, these are unlocked: the library is called from one thread.
std::vector<CCryptData*> g_liveHandles;

// The storage of the last closed objects is kept a while before it is
// released, so the next opens get other addresses and a stale handle closed
// once more cannot name a newer object.
enum { kRetiredKept = 64 };
void* g_retired[kRetiredKept];
int g_nextRetired = 0;

void Retire(void* storage) {
    ::operator delete(g_retired[g_nextRetired]);
    g_retired[g_nextRetired] = storage;
    g_nextRetired = (g_nextRetired + 1) % kRetiredKept;
}

// Releases the kept storage when the library is unloaded.
struct RetiredStorage {
    ~RetiredStorage() {
        for (void*& storage : g_retired) {
            ::operator delete(storage);
            storage = NULL;
        }
    }
} g_retiredStorage;

// The last error is protected state; a derived class may name it.
struct LastErrorOf : CCryptData {
    static int Get(const CCryptData& crypt) { return crypt.*(&LastErrorOf::m_lastError); }
};

}  // namespace

VARNET_C CCryptData* fOpenCryptClass(char const* path, char const* mode) {
    void* storage = ::operator new(sizeof(CCryptData), std::nothrow);
    bool listed = false;
    if (storage) {
        try {
            g_liveHandles.push_back(static_cast<CCryptData*>(storage));
            listed = true;
        } catch (const std::bad_alloc&) {
        }
    }
    if (!listed) {
        ::operator delete(storage);
        g_cryptError = CRYPTDATA_ERR_MEMORY;
        return NULL;
    }
    CCryptData* crypt = new (storage) CCryptData;
    g_cryptError = crypt->Open(path, mode);
    if (g_cryptError != CRYPTDATA_OK) {
        g_liveHandles.pop_back();
        crypt->~CCryptData();
        ::operator delete(storage);
        return NULL;
    }
    return crypt;
}

VARNET_C int fCloseCryptClass(CCryptData* crypt) {
    // Only a handle that is still open is released: a second close, or a
    // pointer this interface never gave out, is refused and touches nothing.
    const auto live = std::find(g_liveHandles.begin(), g_liveHandles.end(), crypt);
    if (!crypt || live == g_liveHandles.end()) return 0;
    g_liveHandles.erase(live);
    crypt->~CCryptData();  // closes the file
    Retire(crypt);
    return 1;
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

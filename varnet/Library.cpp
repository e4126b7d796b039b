// Library-wide storage and the load notification.
#include "Varnet01.h"
#include "VarnetInternal.h"

namespace varnet {

char g_pathBuffer[kPathBufferSize];
HMODULE g_module = NULL;

void CopyText(char* dst, const char* src, size_t size) {
    if (!dst || size == 0) return;
    size_t i = 0;
    if (src) {
        for (; i + 1 < size && src[i]; ++i) dst[i] = src[i];
    }
    dst[i] = '\0';
}

}  // namespace varnet

// Every notification records the handle again; none of them fails.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    varnet::g_module = instance;
    return TRUE;
}

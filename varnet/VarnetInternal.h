// Library-wide storage shared by the library's own sources; not exported.
#pragma once
#include <windows.h>

namespace varnet {

// The shared path buffer that fGetWindowsDirectory, fGetRegistryEntry and
// fBuildPrivateIniFileName return.
enum { kPathBufferSize = 256 };
extern char g_pathBuffer[kPathBufferSize];

// The library's own module handle, recorded at load time (for its resources).
extern HMODULE g_module;

// Copies at most size-1 characters and always terminates; null src gives "".
void CopyText(char* dst, const char* src, size_t size);

}  // namespace varnet

// Thin RAII owners for Win32 handles, device-context state and critical
// sections, one concern each. Header-only so the library and the program
// share them without exporting anything.
#pragma once
#include <windows.h>

namespace win {

// Owner of a handle type whose "no handle" value and close function are
// fixed at compile time.
template <typename H, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() : h_(Traits::invalid()) {}
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    H get() const { return h_; }
    bool valid() const { return h_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }
    // For out-parameters: frees any current handle first.
    H* receive() { reset(); return &h_; }
    H release() { H h = h_; h_ = Traits::invalid(); return h; }
    void reset(H h = Traits::invalid()) {
        if (valid()) Traits::close(h_);
        h_ = h;
    }

private:
    H h_;
};

struct KernelHandleTraits {          // processes, threads, events, timers
    static HANDLE invalid() { return NULL; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {            // CreateFile results
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
    static HKEY invalid() { return NULL; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct LibraryTraits {
    static HMODULE invalid() { return NULL; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
struct GdiObjectTraits {
    static HGDIOBJ invalid() { return NULL; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemDCTraits {                 // CreateCompatibleDC results
    static HDC invalid() { return NULL; }
    static void close(HDC h) { DeleteDC(h); }
};

typedef UniqueHandle<HANDLE, KernelHandleTraits> Handle;
typedef UniqueHandle<HANDLE, FileHandleTraits> File;
typedef UniqueHandle<HANDLE, FindHandleTraits> FindHandle;
typedef UniqueHandle<HKEY, RegKeyTraits> RegKey;
typedef UniqueHandle<HMODULE, LibraryTraits> Library;
typedef UniqueHandle<HGDIOBJ, GdiObjectTraits> GdiObject;
typedef UniqueHandle<HDC, MemDCTraits> MemDC;

// Selects an object into a DC for the lifetime of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectGuard() { if (old_) SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window's DC (caption and frame included) for one scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~WindowDC() { if (dc_) ReleaseDC(window_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
private:
    HWND window_;
    HDC dc_;
};

// Restores a DC's saved state (clipping, selections) for one scope.
class SavedDCState {
public:
    explicit SavedDCState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDCState() { if (saved_) RestoreDC(dc_, saved_); }
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;
private:
    HDC dc_;
    int saved_;
};

// A critical section that lives as long as its owner.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }
private:
    CRITICAL_SECTION cs_;
};

// Holds a critical section for one scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~CriticalSectionLock() { cs_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
private:
    CriticalSection& cs_;
};

}  // namespace win

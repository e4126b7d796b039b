// A static control that shows a picture from memory or from the program's
// resources. An animated GIF plays on a worker thread with the delays and
// disposal methods of the file; any other picture (or a one-image GIF) is
// drawn once. The platform's OLE picture loader decodes; the GIF container
// is cut into one-image GIFs here (picture/GifParser.h).
#pragma once
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <vector>

#include "WinHandles.h"

// One decoded image of an animated GIF.
struct AnimationFrame {
    IPicture* picture = nullptr;   // owned; released on unload
    int width = 0, height = 0;     // from the image descriptor
    int left = 0, top = 0;
    int delay = -1;                // hundredths of a second; -1: none given
    int disposal = 0;              // 2 restore to background, 3 to previous
};

class AnimatedPicture {
public:
    AnimatedPicture();
    ~AnimatedPicture();
    AnimatedPicture(const AnimatedPicture&) = delete;
    AnimatedPicture& operator=(const AnimatedPicture&) = delete;

    // Takes over an existing static control (a dialog item, say): its paint
    // and destroy messages come here from then on. False when the window is
    // not valid or another picture already owns it.
    BOOL Attach(HWND control);
    BOOL SubclassDlgItem(int id, HWND dialog) { return Attach(GetDlgItem(dialog, id)); }
    // Gives the control back its own window procedure; a running animation
    // is stopped first (it repaints that window), the picture stays loaded.
    void Detach();
    HWND GetSafeHwnd() const { return hwnd_; }

    // 1 when the picture is ready to draw, else 0. The memory stays the
    // caller's; at most `size` bytes of it (and no more than the block
    // holds) are read.
    BOOL Load(HGLOBAL memory, DWORD size);
    // Loads a resource of the program (e.g. MAKEINTRESOURCE(148), "GIF").
    BOOL Load(LPCSTR resourceName, LPCSTR resourceType);
    // Animated GIF: starts the animation thread (stopping a running one
    // first) and returns 0. Other pictures: draws into the memory surface,
    // repaints, returns 1. 0 when nothing is loaded or drawing fails.
    BOOL Draw();
    // Ends a running animation and returns once its thread has gone.
    void Stop();
    void UnLoad();

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    BOOL IsGif() const { return isGif_; }
    BOOL IsReady() const { return ready_; }
    BOOL IsAnimating() const { return thread_.valid(); }
    COLORREF GetBackgroundColor() const { return background_; }
    int GetFrameCount() const { return int(frames_.size()); }
    const AnimationFrame* GetFrame(int i) const {
        return i >= 0 && i < GetFrameCount() ? &frames_[i] : nullptr;
    }
    // Frames the animation thread has drawn since the control was made.
    long GetFramesShown() const { return framesShown_.load(); }
    // Copies the memory surface to `dc` at (x, y); false when not ready.
    bool CopySurface(HDC dc, int x, int y);
    // A pixel of the memory surface; CLR_INVALID when not ready or outside.
    COLORREF GetSurfacePixel(int x, int y);

private:
    BOOL LoadBytes(const BYTE* data, DWORD size);
    BOOL LoadGif(const BYTE* data, DWORD size);
    BOOL PrepareSurface(int width, int height);
    void FillSurface();
    void ReleaseSurface();
    void Repaint();
    bool Pause(HANDLE timer, unsigned ms);
    DWORD Animate();
    static DWORD WINAPI AnimationThread(LPVOID self);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    int width_ = 0, height_ = 0;
    COLORREF background_ = RGB(255, 255, 255);
    DWORD dataSize_ = 0;
    DWORD globalTableSize_ = 0;
    BOOL isGif_ = FALSE;
    std::atomic<bool> stopRequested_{false};
    BOOL ready_ = FALSE;
    win::MemDC surface_;
    win::GdiObject surfaceBitmap_;
    HGDIOBJ replacedBitmap_ = NULL;
    win::Handle thread_;
    win::Handle stopEvent_;
    IPicture* single_ = nullptr;
    std::vector<AnimationFrame> frames_;

    // Serialises drawing into the surface and copying it out.
    win::CriticalSection lock_;
    std::atomic<long> framesShown_{0};
    HWND hwnd_ = NULL;
    WNDPROC baseProc_ = NULL;
};

#include "picture/AnimatedPicture.h"

#include "picture/GifParser.h"

#include <cstring>

namespace {

const char kOwnerProp[] = "KVTAnimatedPicture";

// {7BF80980-BF32-101A-8BBB-00AA00300CAB}, the picture interface.
const IID kIidPicture = {0x7BF80980, 0xBF32, 0x101A,
                         {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

typedef HRESULT(WINAPI* OleLoadPictureFn)(LPSTREAM, LONG, BOOL, REFIID, LPVOID*);
typedef HRESULT(WINAPI* CreateStreamFn)(HGLOBAL, BOOL, LPSTREAM*);
typedef HANDLE(WINAPI* CreateWaitableTimerFn)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR);
typedef BOOL(WINAPI* SetWaitableTimerFn)(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE,
                                         LPVOID, BOOL);

// The OLE picture loader, looked up once: Windows 95 without a newer OLE has
// it only in OLEPRO32.DLL (ordinal 251), later systems in OLEAUT32.DLL.
OleLoadPictureFn PictureLoader() {
    static win::Library library;
    static OleLoadPictureFn loader = [] {
        const char* names[] = {"OLEAUT32.DLL", "OLEPRO32.DLL"};
        for (const char* name : names) {
            win::Library lib(LoadLibraryA(name));
            if (!lib) continue;
            FARPROC fn = GetProcAddress(lib.get(), "OleLoadPicture");
            if (!fn && std::strcmp(name, "OLEPRO32.DLL") == 0)
                fn = GetProcAddress(lib.get(), MAKEINTRESOURCEA(251));
            if (fn) {
                library = std::move(lib);
                return reinterpret_cast<OleLoadPictureFn>(reinterpret_cast<void*>(fn));
            }
        }
        return OleLoadPictureFn(nullptr);
    }();
    return loader;
}

// The memory stream the loader reads from. OLE32 is loaded on the first
// picture, not with the program: a start that shows none need not pay for it.
CreateStreamFn StreamMaker() {
    static win::Library library;
    static CreateStreamFn maker = [] {
        win::Library lib(LoadLibraryA("OLE32.DLL"));
        FARPROC fn = lib ? GetProcAddress(lib.get(), "CreateStreamOnHGlobal") : nullptr;
        if (fn) library = std::move(lib);
        return reinterpret_cast<CreateStreamFn>(reinterpret_cast<void*>(fn));
    }();
    return maker;
}

// Waitable timers are missing on Windows 95; looked up so the program loads
// there, where the pause waits on the stop event alone.
struct TimerApi {
    CreateWaitableTimerFn create = nullptr;
    SetWaitableTimerFn set = nullptr;
};
const TimerApi& Timers() {
    static const TimerApi api = [] {
        TimerApi t;
        HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
        if (kernel) {
            t.create = reinterpret_cast<CreateWaitableTimerFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "CreateWaitableTimerA")));
            t.set = reinterpret_cast<SetWaitableTimerFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "SetWaitableTimer")));
        }
        if (!t.create || !t.set) t = TimerApi();
        return t;
    }();
    return api;
}

// Decodes a complete picture file held in memory; null when the loader is
// missing or refuses the data.
IPicture* DecodePicture(const BYTE* data, SIZE_T size) {
    OleLoadPictureFn load = PictureLoader();
    CreateStreamFn makeStream = StreamMaker();
    if (!load || !makeStream || size == 0) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void* dst = GlobalLock(block);
    if (!dst) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(dst, data, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(makeStream(block, TRUE, &stream))) {   // the stream frees the block
        GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    if (FAILED(load(stream, LONG(size), FALSE, kIidPicture, reinterpret_cast<LPVOID*>(&picture))))
        picture = nullptr;
    stream->Release();
    return picture;
}

// Renders the whole picture into dc's rectangle (x, y, cx, cy).
bool RenderPicture(IPicture* picture, HDC dc, int x, int y, int cx, int cy) {
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (!picture || FAILED(picture->get_Width(&hmWidth)) || FAILED(picture->get_Height(&hmHeight)))
        return false;
    // Source rectangle in HIMETRIC runs bottom-up.
    return SUCCEEDED(picture->Render(dc, x, y, cx, cy, 0, hmHeight, hmWidth, -hmHeight, NULL));
}

void ReleaseFrames(std::vector<AnimationFrame>& frames) {
    for (AnimationFrame& f : frames)
        if (f.picture) f.picture->Release();
    frames.clear();
}

}  // namespace

AnimatedPicture::AnimatedPicture() : stopEvent_(CreateEventA(NULL, TRUE, FALSE, NULL)) {}

AnimatedPicture::~AnimatedPicture() {
    UnLoad();
    Detach();
}

BOOL AnimatedPicture::Attach(HWND control) {
    if (hwnd_ || !control || !IsWindow(control) || GetPropA(control, kOwnerProp)) return FALSE;
    if (!SetPropA(control, kOwnerProp, this)) return FALSE;
    baseProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
    if (!baseProc_) {
        RemovePropA(control, kOwnerProp);
        return FALSE;
    }
    hwnd_ = control;
    return TRUE;
}

void AnimatedPicture::Detach() {
    if (!hwnd_) return;
    Stop();   // the thread repaints the window it animates
    if (IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseProc_));
        RemovePropA(hwnd_, kOwnerProp);
    }
    hwnd_ = NULL;
    baseProc_ = NULL;
}

LRESULT CALLBACK AnimatedPicture::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    AnimatedPicture* self = static_cast<AnimatedPicture*>(GetPropA(hwnd, kOwnerProp));
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    const WNDPROC base = self->baseProc_;
    switch (msg) {
    case WM_PAINT:
        if (self->ready_) {
            if (wParam) {   // painting into a given DC
                self->CopySurface(reinterpret_cast<HDC>(wParam), 0, 0);
            } else {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd, &ps);
                if (dc) self->CopySurface(dc, 0, 0);
                EndPaint(hwnd, &ps);
            }
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (self->ready_) {
            self->CopySurface(reinterpret_cast<HDC>(wParam), 0, 0);
            return 0;
        }
        break;
    case WM_DESTROY:
        self->Stop();
        break;
    case WM_NCDESTROY:
        self->Detach();
        return CallWindowProcA(base, hwnd, msg, wParam, lParam);
    }
    return CallWindowProcA(base, hwnd, msg, wParam, lParam);
}

BOOL AnimatedPicture::Load(HGLOBAL memory, DWORD size) {
    UnLoad();
    if (!memory || size == 0) return FALSE;
    // A size beyond the block would send the parser and the loader past it.
    const SIZE_T blockSize = GlobalSize(memory);
    if (blockSize < size) size = DWORD(blockSize);
    const BYTE* data = static_cast<const BYTE*>(GlobalLock(memory));
    if (!data) return FALSE;
    const BOOL ok = LoadBytes(data, size);
    GlobalUnlock(memory);
    return ok;
}

BOOL AnimatedPicture::Load(LPCSTR resourceName, LPCSTR resourceType) {
    HMODULE module = GetModuleHandleA(NULL);
    HRSRC info = FindResourceA(module, resourceName, resourceType);
    if (!info) {
        UnLoad();
        return FALSE;
    }
    const DWORD size = SizeofResource(module, info);
    HGLOBAL resource = LoadResource(module, info);
    const void* bytes = resource ? LockResource(resource) : nullptr;
    HGLOBAL copy = bytes && size ? GlobalAlloc(GMEM_MOVEABLE, size) : NULL;
    void* dst = copy ? GlobalLock(copy) : nullptr;
    if (!dst) {
        if (copy) GlobalFree(copy);
        UnLoad();
        return FALSE;
    }
    std::memcpy(dst, bytes, size);
    GlobalUnlock(copy);
    const BOOL ok = Load(copy, size);
    GlobalFree(copy);
    return ok;
}

BOOL AnimatedPicture::LoadBytes(const BYTE* data, DWORD size) {
    dataSize_ = size;
    if (kvt::gif::IsGif(data, size)) {
        isGif_ = TRUE;
        return LoadGif(data, size);
    }

    // Any other picture: decoded whole, sized from its natural extent.
    single_ = DecodePicture(data, size);
    if (!single_) return FALSE;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (FAILED(single_->get_Width(&hmWidth)) || FAILED(single_->get_Height(&hmHeight)))
        return FALSE;
    HDC screen = GetDC(NULL);
    if (!screen) return FALSE;
    width_ = MulDiv(hmWidth, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    height_ = MulDiv(hmHeight, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ReleaseDC(NULL, screen);
    return PrepareSurface(width_, height_);
}

BOOL AnimatedPicture::LoadGif(const BYTE* data, DWORD size) {
    kvt::gif::Parser parser;
    if (!parser.Open(data, size)) return FALSE;
    width_ = parser.Width();
    height_ = parser.Height();
    globalTableSize_ = DWORD(parser.GlobalColourTableSize());

    const int count = parser.CountFrames();
    if (count == 0) return FALSE;
    if (count == 1) {
        single_ = DecodePicture(data, size);
        if (!single_) {
            // The loader may refuse the whole file for a broken block after
            // the image (a cut-off second image, say); the image alone,
            // with header and trailer, still shows.
            kvt::gif::Frame frame;
            if (parser.ExtractNextFrame(frame)) {
                const std::vector<std::uint8_t> gif = parser.BuildFrameGif(frame);
                single_ = DecodePicture(gif.data(), gif.size());
            }
        }
        return single_ ? PrepareSurface(width_, height_) : FALSE;
    }

    kvt::gif::Frame frame;
    while (parser.ExtractNextFrame(frame)) {
        const std::vector<std::uint8_t> gif = parser.BuildFrameGif(frame);
        IPicture* picture = DecodePicture(gif.data(), gif.size());
        if (!picture) continue;   // an undecodable frame is left out
        AnimationFrame f;
        f.picture = picture;
        f.width = frame.width;
        f.height = frame.height;
        f.left = frame.left;
        f.top = frame.top;
        f.delay = frame.delay;
        f.disposal = frame.disposal;
        frames_.push_back(f);
    }
    return frames_.empty() ? FALSE : PrepareSurface(width_, height_);
}

BOOL AnimatedPicture::PrepareSurface(int width, int height) {
    if (width <= 0 || height <= 0) return FALSE;
    if (hwnd_)
        SetWindowPos(hwnd_, NULL, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HDC display = GetDC(hwnd_);
    if (!display) return FALSE;
    surface_.reset(CreateCompatibleDC(display));
    surfaceBitmap_.reset(CreateCompatibleBitmap(display, width, height));
    ReleaseDC(hwnd_, display);
    if (!surface_ || !surfaceBitmap_) {
        ReleaseSurface();
        return FALSE;
    }
    replacedBitmap_ = SelectObject(surface_.get(), surfaceBitmap_.get());
    background_ = GetSysColor(COLOR_BTNFACE);
    FillSurface();
    ready_ = TRUE;
    return TRUE;
}

void AnimatedPicture::FillSurface() {
    RECT all = {0, 0, width_, height_};
    FillRect(surface_.get(), &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
}

void AnimatedPicture::ReleaseSurface() {
    if (surface_ && replacedBitmap_) SelectObject(surface_.get(), replacedBitmap_);
    replacedBitmap_ = NULL;
    surfaceBitmap_.reset();
    surface_.reset();
    ready_ = FALSE;
}

void AnimatedPicture::Repaint() {
    if (hwnd_) InvalidateRect(hwnd_, NULL, FALSE);
}

BOOL AnimatedPicture::Draw() {
    if (!ready_) return FALSE;
    if (!frames_.empty()) {   // the GIF took the animated path
        if (!stopEvent_) return FALSE;   // a thread could neither pause nor stop
        Stop();   // one animation thread per control
        DWORD id = 0;
        thread_.reset(CreateThread(NULL, 0, &AnimationThread, this, CREATE_SUSPENDED, &id));
        if (thread_) ResumeThread(thread_.get());
        return FALSE;
    }
    if (!single_) return FALSE;
    bool drawn;
    {
        win::CriticalSectionLock guard(lock_);
        drawn = RenderPicture(single_, surface_.get(), 0, 0, width_, height_);
    }
    Repaint();
    return drawn ? TRUE : FALSE;
}

void AnimatedPicture::Stop() {
    stopRequested_ = true;
    if (stopEvent_) SetEvent(stopEvent_.get());
    if (thread_) {
        // Until it has really gone, however long that takes: the thread
        // draws the frames and the surface that UnLoad frees next. It looks
        // for a stop at every step and sends no message to this thread, so
        // the wait ends.
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    if (stopEvent_) ResetEvent(stopEvent_.get());
    stopRequested_ = false;
}

void AnimatedPicture::UnLoad() {
    Stop();
    if (single_) single_->Release();
    single_ = nullptr;
    ReleaseFrames(frames_);
    ReleaseSurface();
    width_ = height_ = 0;
    dataSize_ = 0;
    globalTableSize_ = 0;
    isGif_ = FALSE;
    background_ = RGB(255, 255, 255);
}

bool AnimatedPicture::CopySurface(HDC dc, int x, int y) {
    if (!dc) return false;
    win::CriticalSectionLock guard(lock_);
    if (!ready_) return false;
    return BitBlt(dc, x, y, width_, height_, surface_.get(), 0, 0, SRCCOPY) != FALSE;
}

COLORREF AnimatedPicture::GetSurfacePixel(int x, int y) {
    win::CriticalSectionLock guard(lock_);
    if (!ready_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return GetPixel(surface_.get(), x, y);
}

DWORD WINAPI AnimatedPicture::AnimationThread(LPVOID self) {
    return static_cast<AnimatedPicture*>(self)->Animate();
}

// Waits `ms` or until a stop is requested; false on a stop.
bool AnimatedPicture::Pause(HANDLE timer, unsigned ms) {
    const DWORD kLongest = 10000;
    if (timer) {
        LARGE_INTEGER due;
        due.QuadPart = -LONGLONG(ms) * 10000;   // relative, in 100 ns units
        HANDLE waits[2] = {stopEvent_.get(), timer};
        if (Timers().set(timer, &due, 0, NULL, NULL, FALSE))
            WaitForMultipleObjects(2, waits, FALSE, kLongest);
        else
            WaitForSingleObject(stopEvent_.get(), ms < kLongest ? ms : kLongest);
    } else {
        WaitForSingleObject(stopEvent_.get(), ms < kLongest ? ms : kLongest);
    }
    return !stopRequested_;
}

DWORD AnimatedPicture::Animate() {
    const TimerApi& api = Timers();
    win::Handle timer(api.create ? api.create(NULL, TRUE, NULL) : NULL);

    // Area under a restore-to-previous frame, saved before it is drawn.
    win::MemDC saved;
    win::GdiObject savedBitmap;
    HGDIOBJ savedReplaced = NULL;
    auto releaseSaved = [&] {
        if (saved && savedReplaced) SelectObject(saved.get(), savedReplaced);
        savedReplaced = NULL;
        savedBitmap.reset();
        saved.reset();
    };

    std::size_t i = 0;
    bool pausedThisRound = false;
    while (!stopRequested_) {
        if (i >= frames_.size()) {
            // A round whose frames all lack delays would otherwise spin and
            // repaint without rest.
            if (!pausedThisRound && !Pause(timer.get(), kvt::gif::FramePauseMs(0))) break;
            pausedThisRound = false;
            i = 0;
            win::CriticalSectionLock guard(lock_);
            FillSurface();
        }
        const AnimationFrame& f = frames_[i++];
        if (!f.picture) continue;
        {
            win::CriticalSectionLock guard(lock_);
            if (f.disposal == 3) {
                releaseSaved();
                saved.reset(CreateCompatibleDC(surface_.get()));
                savedBitmap.reset(CreateCompatibleBitmap(surface_.get(), f.width, f.height));
                if (saved && savedBitmap) {
                    savedReplaced = SelectObject(saved.get(), savedBitmap.get());
                    BitBlt(saved.get(), 0, 0, f.width, f.height, surface_.get(), f.left, f.top,
                           SRCCOPY);
                } else {
                    releaseSaved();
                }
            }
            RenderPicture(f.picture, surface_.get(), f.left, f.top, f.width, f.height);
        }
        ++framesShown_;
        Repaint();
        if (stopRequested_) break;

        const unsigned ms = kvt::gif::FramePauseMs(f.delay);
        if (ms) {
            pausedThisRound = true;
            if (!Pause(timer.get(), ms)) break;
        }

        win::CriticalSectionLock guard(lock_);
        if (f.disposal == 2) {
            RECT area = {f.left, f.top, f.left + f.width, f.top + f.height};
            win::GdiObject brush(CreateSolidBrush(background_));
            if (brush) FillRect(surface_.get(), &area, static_cast<HBRUSH>(brush.get()));
        } else if (f.disposal == 3 && saved) {
            BitBlt(surface_.get(), f.left, f.top, f.width, f.height, saved.get(), 0, 0, SRCCOPY);
            releaseSaved();
        }
    }
    releaseSaved();
    return 0;
}

// The animated picture control under Wine: what Load takes and how each kind
// of picture is drawn, the animation thread with its delays and disposal
// methods (read back from the memory surface), stopping, and resource 148.
#include "picture/AnimatedPicture.h"
#include "picture/GifParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "PictureGifBuilder.h"
#include "TestSupport.h"
#include "picture_res.h"

using kvttest::GifBuilder;
using kvttest::Rgb;
typedef std::vector<std::uint8_t> Bytes;

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
               kWhite = RGB(255, 255, 255);
const std::vector<Rgb> kPalette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

// A movable memory block holding `bytes`, freed with the object.
class Memory {
public:
    explicit Memory(const Bytes& bytes) : h_(GlobalAlloc(GMEM_MOVEABLE, bytes.size())) {
        void* p = GlobalLock(h_);
        std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(h_);
    }
    ~Memory() { GlobalFree(h_); }
    HGLOBAL get() const { return h_; }

private:
    HGLOBAL h_;
};

// A static control of its own (hidden unless asked) for the picture to take over.
class Control {
public:
    explicit Control(DWORD style = WS_POPUP)
        : hwnd_(CreateWindowExA(0, "STATIC", kvttest::UniqueName("picture").c_str(), style,
                                10, 20, 5, 5, NULL, NULL, GetModuleHandleA(NULL), NULL)) {}
    ~Control() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    HWND get() const { return hwnd_; }
    SIZE Size() const {
        RECT r;
        GetWindowRect(hwnd_, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

private:
    HWND hwnd_;
};

// A 24-bit bottom-up BMP file of one colour.
Bytes SolidBmp(int width, int height, COLORREF colour) {
    const int stride = (width * 3 + 3) & ~3;
    const DWORD imageSize = DWORD(stride * height);
    Bytes out(14 + 40 + imageSize, 0);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfSize = DWORD(out.size());
    fh.bfOffBits = 14 + 40;
    BITMAPINFOHEADER ih = {};
    ih.biSize = 40;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = imageSize;
    std::memcpy(&out[0], &fh, 14);
    std::memcpy(&out[14], &ih, 40);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* px = &out[54 + y * stride + x * 3];
            px[0] = GetBValue(colour);
            px[1] = GetGValue(colour);
            px[2] = GetRValue(colour);
        }
    return out;
}

Bytes OneImageGif(const char* version = "89a") {
    return GifBuilder(12, 10, kPalette, version).Loop().Image(0, 0, 12, 10, 2).Trailer().Bytes();
}

Bytes TwoImageGif(const char* version = "89a") {
    return GifBuilder(12, 10, kPalette, version).Control(20, 1).Image(0, 0, 12, 10, 0)
        .Control(20, 1).Image(0, 0, 6, 5, 1).Trailer().Bytes();
}

COLORREF MenuColour() { return GetSysColor(COLOR_MENU); }

// How long a test waits for something that must happen: generous, because
// every wait ends as soon as it happens, and a loaded machine is slow.
const DWORD kPatience = 10000;

// Polls until the animation has shown `count` frames; false after `ms`.
bool WaitForFrames(const AnimatedPicture& picture, long count, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        if (picture.GetFramesShown() >= count) return true;
        Sleep(5);
    } while (GetTickCount() - start < ms);
    return false;
}

// Polls a surface pixel until it has `colour`; false after `ms`.
bool WaitForPixel(AnimatedPicture& picture, int x, int y, COLORREF colour, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        if (picture.GetSurfacePixel(x, y) == colour) return true;
        Sleep(5);
    } while (GetTickCount() - start < ms);
    return false;
}

// A pixel as the control shows it, after this thread has handled its
// pending messages (the paint among them).
COLORREF PaintedPixel(HWND hwnd, int x, int y) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
}

bool WaitForPaintedPixel(HWND hwnd, int x, int y, COLORREF colour, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        if (PaintedPixel(hwnd, x, y) == colour) return true;
        Sleep(5);
    } while (GetTickCount() - start < ms);
    return false;
}

}  // namespace

TEST(AnimatedPictureLoad, ResultAndPathForEachKindOfData) {
    struct Case {
        const char* name;
        Bytes data;
        BOOL loads;
        BOOL isGif;
        int width, height;
        BOOL drawResult;
        BOOL animates;
        COLORREF pixel;   // at (1, 1) after Draw
    } cases[] = {
        {"one-image GIF89a: drawn once", OneImageGif(), TRUE, TRUE, 12, 10, TRUE, FALSE, kBlue},
        {"one-image GIF87a", OneImageGif("87a"), TRUE, TRUE, 12, 10, TRUE, FALSE, kBlue},
        {"animated GIF89a: a thread", TwoImageGif(), TRUE, TRUE, 12, 10, FALSE, TRUE, kGreen},
        {"GIF of another version: picture path", TwoImageGif("88a"), TRUE, FALSE, 12, 10, TRUE,
         FALSE, kRed},
        {"BMP: picture path", SolidBmp(7, 5, kGreen), TRUE, FALSE, 7, 5, TRUE, FALSE, kGreen},
        {"GIF89a without an image",
         GifBuilder(12, 10, kPalette).Loop().Comment("nothing").Control(10, 2).Trailer().Bytes(),
         FALSE, TRUE, 0, 0, FALSE, FALSE, 0},
        {"not a picture", Bytes(64, 'x'), FALSE, FALSE, 0, 0, FALSE, FALSE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Control control;
        AnimatedPicture picture;
        ASSERT_TRUE(picture.Attach(control.get()));
        Memory memory(c.data);
        EXPECT_EQ(c.loads, picture.Load(memory.get(), DWORD(c.data.size())));
        EXPECT_EQ(c.loads, picture.IsReady());
        if (!c.loads) {
            EXPECT_EQ(FALSE, picture.Draw());
            continue;
        }
        EXPECT_EQ(c.isGif, picture.IsGif());
        EXPECT_EQ(c.width, picture.GetWidth());
        EXPECT_EQ(c.height, picture.GetHeight());
        EXPECT_EQ(c.width, control.Size().cx);   // the control takes the picture's size
        EXPECT_EQ(c.height, control.Size().cy);
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), picture.GetBackgroundColor());

        EXPECT_EQ(c.drawResult, picture.Draw());
        EXPECT_EQ(c.animates, picture.IsAnimating());
        EXPECT_TRUE(WaitForPixel(picture, 1, 1, c.pixel, kPatience))
            << std::hex << picture.GetSurfacePixel(1, 1);
        picture.UnLoad();
        EXPECT_FALSE(picture.IsReady());
        EXPECT_FALSE(picture.IsAnimating());
        EXPECT_EQ(kWhite, picture.GetBackgroundColor());
    }
}

TEST(AnimatedPictureLoad, TruncatedSecondImageLeavesTheFirstShowing) {
    // Cut inside the second image: one frame is counted, and the file as a
    // whole is refused by the loader.
    const Bytes gif = TwoImageGif();
    const Bytes cut(gif.begin(), gif.end() - 5);
    Memory memory(cut);
    AnimatedPicture picture;
    ASSERT_TRUE(picture.Load(memory.get(), DWORD(cut.size())));
    EXPECT_EQ(0, picture.GetFrameCount());   // no animation
    EXPECT_TRUE(picture.Draw());
    EXPECT_EQ(kRed, picture.GetSurfacePixel(1, 1));
}

TEST(AnimatedPictureLoad, UndecodableFrameIsDroppedAndTheRestPlays) {
    // Second image: a valid block whose LZW data the loader cannot decode.
    const Bytes gif = GifBuilder(12, 10, kPalette).Control(20, 1).Image(0, 0, 12, 10, 0)
                          .Control(20, 1).Raw({0x2C, 0, 0, 0, 0, 12, 0, 10, 0, 0, 11, 2, 0xFF, 0xFF, 0})
                          .Trailer().Bytes();
    Memory memory(gif);
    AnimatedPicture picture;
    ASSERT_TRUE(picture.Load(memory.get(), DWORD(gif.size())));
    ASSERT_EQ(1, picture.GetFrameCount());
    EXPECT_EQ(FALSE, picture.Draw());
    EXPECT_TRUE(picture.IsAnimating());
    EXPECT_TRUE(WaitForPixel(picture, 1, 1, kRed, kPatience));
}

TEST(AnimatedPictureResource, Animation148) {
    Control control;
    AnimatedPicture picture;
    ASSERT_TRUE(picture.Attach(control.get()));
    ASSERT_TRUE(picture.Load(MAKEINTRESOURCEA(IDR_BACKUP_ANIMATION), "GIF"));
    EXPECT_TRUE(picture.IsGif());
    EXPECT_EQ(50, picture.GetWidth());
    EXPECT_EQ(50, picture.GetHeight());
    ASSERT_EQ(4, picture.GetFrameCount());
    const int delays[] = {150, 10, 10, 10};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(delays[i], picture.GetFrame(i)->delay);
        EXPECT_EQ(2, picture.GetFrame(i)->disposal);
    }
    EXPECT_FALSE(picture.Draw());
    EXPECT_TRUE(picture.IsAnimating());

    AnimatedPicture missing;
    EXPECT_FALSE(missing.Load(MAKEINTRESOURCEA(IDR_BACKUP_ANIMATION), "BITMAP"));
    EXPECT_FALSE(missing.Load(MAKEINTRESOURCEA(IDR_BACKUP_ANIMATION + 1), "GIF"));
}

TEST(AnimatedPictureThread, FramesAreDrawnAndDisposedInTurn) {
    // Frame 1 fills the screen red and stays; frame 2 puts blue on the lower
    // right and is restored to the background; frame 3 puts green on the
    // upper left and is restored to what was there before (red); frame 4
    // puts white on the upper right. Then the surface is cleared and the
    // round starts again. Each frame shows for half a second.
    const Bytes gif = GifBuilder(20, 20, kPalette).Loop()
                          .Control(50, 1).Image(0, 0, 20, 20, 0)
                          .Control(50, 2).Image(10, 10, 10, 10, 2)
                          .Control(50, 3).Comment("restore").Image(0, 0, 10, 10, 1)
                          .Control(50, 1).Image(10, 0, 10, 10, 3)
                          .Trailer().Bytes();
    Control control;
    AnimatedPicture picture;
    ASSERT_TRUE(picture.Attach(control.get()));
    Memory memory(gif);
    ASSERT_TRUE(picture.Load(memory.get(), DWORD(gif.size())));
    ASSERT_EQ(4, picture.GetFrameCount());
    const COLORREF background = picture.GetBackgroundColor();

    EXPECT_EQ(MenuColour(), picture.GetSurfacePixel(15, 15));   // prepared surface
    ASSERT_FALSE(picture.Draw());

    // Each step waits for the frame's own pixel, then reads the others
    // while that frame shows.
    struct Probe {
        int x, y;
        COLORREF colour;
    };
    struct Step {
        const char* what;
        Probe shown;
        std::vector<Probe> meanwhile;
    } steps[] = {
        {"frame 1", {15, 15, kRed}, {{5, 5, kRed}, {15, 5, kRed}}},
        {"frame 2 over frame 1", {15, 15, kBlue}, {{5, 5, kRed}}},
        {"frame 3; frame 2 restored to background", {5, 5, kGreen}, {{15, 15, background}}},
        {"frame 4; frame 3 restored to previous", {15, 5, kWhite},
         {{5, 5, kRed}, {15, 15, background}}},
        {"next round", {15, 5, kRed}, {{15, 15, kRed}}},
    };
    DWORD seen[5] = {};
    for (int i = 0; i < 5; ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE(s.what);
        ASSERT_TRUE(WaitForPixel(picture, s.shown.x, s.shown.y, s.shown.colour, kPatience))
            << std::hex << picture.GetSurfacePixel(s.shown.x, s.shown.y);
        seen[i] = GetTickCount();
        for (const Probe& p : s.meanwhile)
            EXPECT_EQ(p.colour, picture.GetSurfacePixel(p.x, p.y)) << p.x << "," << p.y;
    }
    // Frames 2 and 3 show for their 500 ms each before frame 4 comes.
    // The upper bound only catches delays in the wrong unit (ten times too
    // long), so a loaded machine cannot reach it.
    EXPECT_GE(seen[3] - seen[1], 700u);
    EXPECT_LT(seen[3] - seen[1], 6000u);

    // The paint handler copies the surface into the control.
    HDC screen = GetDC(NULL);
    win::MemDC dc(CreateCompatibleDC(screen));
    win::GdiObject bitmap(CreateCompatibleBitmap(screen, 20, 20));
    ReleaseDC(NULL, screen);
    win::SelectGuard select(dc.get(), bitmap.get());
    picture.Stop();
    SendMessageA(control.get(), WM_PRINTCLIENT, WPARAM(dc.get()), PRF_CLIENT);
    for (int y = 0; y < 20; y += 3)
        for (int x = 0; x < 20; x += 3)
            ASSERT_EQ(picture.GetSurfacePixel(x, y), GetPixel(dc.get(), x, y)) << x << "," << y;
}

TEST(AnimatedPicturePaint, DrawingRequestsARepaintThatShowsTheSurface) {
    // Pixel (1, 1) of a shown control: first the prepared surface, then what
    // each Draw or frame puts there. Only the repaints that Draw and the
    // animation thread request bring a change to the screen.
    struct Case {
        const char* name;
        Bytes data;
        std::vector<COLORREF> shown;
    } cases[] = {
        {"BMP drawn once", SolidBmp(12, 10, kGreen), {kGreen}},
        {"one-image GIF drawn once", OneImageGif(), {kBlue}},
        {"animation: frame by frame, round after round", TwoImageGif(), {kRed, kGreen, kRed, kGreen}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Control control(WS_POPUP | WS_VISIBLE);
        AnimatedPicture picture;
        ASSERT_TRUE(picture.Attach(control.get()));
        Memory memory(c.data);
        ASSERT_TRUE(picture.Load(memory.get(), DWORD(c.data.size())));
        UpdateWindow(control.get());
        EXPECT_EQ(MenuColour(), PaintedPixel(control.get(), 1, 1));
        picture.Draw();
        for (COLORREF colour : c.shown)
            EXPECT_TRUE(WaitForPaintedPixel(control.get(), 1, 1, colour, kPatience))
                << std::hex << colour << " " << PaintedPixel(control.get(), 1, 1);
    }
}

TEST(AnimatedPictureThread, StopAndDrawAgain) {
    const Bytes gif = TwoImageGif();
    Control control;
    AnimatedPicture picture;
    ASSERT_TRUE(picture.Attach(control.get()));
    Memory memory(gif);
    ASSERT_TRUE(picture.Load(memory.get(), DWORD(gif.size())));

    // Idle: nothing to wait for (a wait for the thread would take its full
    // 5 s).
    DWORD start = GetTickCount();
    picture.Stop();
    EXPECT_LT(GetTickCount() - start, 2500u);
    EXPECT_FALSE(picture.IsAnimating());

    ASSERT_FALSE(picture.Draw());
    ASSERT_TRUE(picture.IsAnimating());
    // Drawn again while running: the first thread must not live on beside
    // the second. One thread shows a frame every 200 ms, so five more frames
    // take at least four pauses (800 ms); two threads would show them in
    // half that. A loaded machine only makes the pauses longer.
    ASSERT_FALSE(picture.Draw());
    ASSERT_TRUE(WaitForFrames(picture, picture.GetFramesShown() + 1, kPatience));
    const long first = picture.GetFramesShown();
    start = GetTickCount();
    ASSERT_TRUE(WaitForFrames(picture, first + 5, kPatience));
    EXPECT_GE(GetTickCount() - start, 700u);
    picture.Stop();
    EXPECT_FALSE(picture.IsAnimating());
    const long shown = picture.GetFramesShown();
    Sleep(500);
    EXPECT_EQ(shown, picture.GetFramesShown());

    ASSERT_FALSE(picture.Draw());
    EXPECT_TRUE(picture.IsAnimating());
    EXPECT_TRUE(WaitForFrames(picture, shown + 1, kPatience));

    // Loading another picture ends the animation before its frames go.
    const Bytes still = OneImageGif();
    Memory stillMemory(still);
    ASSERT_TRUE(picture.Load(stillMemory.get(), DWORD(still.size())));
    EXPECT_FALSE(picture.IsAnimating());
    const long settled = picture.GetFramesShown();
    EXPECT_TRUE(picture.Draw());
    Sleep(300);
    EXPECT_EQ(settled, picture.GetFramesShown());
    EXPECT_EQ(kBlue, picture.GetSurfacePixel(1, 1));
}

TEST(AnimatedPictureThread, DestroyingTheControlStopsTheAnimation) {
    // Frames of 10 s: the stop must cut the pause short, not wait it out or
    // give up after its own 5 s.
    const Bytes gif = GifBuilder(12, 10, kPalette).Control(1000, 1).Image(0, 0, 12, 10, 0)
                          .Control(1000, 1).Image(0, 0, 6, 5, 1).Trailer().Bytes();
    Control control;
    AnimatedPicture picture;
    ASSERT_TRUE(picture.Attach(control.get()));
    Memory memory(gif);
    ASSERT_TRUE(picture.Load(memory.get(), DWORD(gif.size())));
    ASSERT_FALSE(picture.Draw());
    ASSERT_TRUE(picture.IsAnimating());
    ASSERT_TRUE(WaitForFrames(picture, 1, kPatience));

    const DWORD start = GetTickCount();
    DestroyWindow(control.get());
    EXPECT_LT(GetTickCount() - start, 4000u);
    EXPECT_FALSE(picture.IsAnimating());
    EXPECT_EQ(NULL, picture.GetSafeHwnd());
    const long shown = picture.GetFramesShown();
    Sleep(300);
    EXPECT_EQ(shown, picture.GetFramesShown());
}

TEST(AnimatedPictureThread, FramesWithoutDelayDoNotSpin) {
    // No graphic control extensions: each frame follows the previous at
    // once, but a whole round without any pause must not repaint flat out.
    const Bytes gif = GifBuilder(8, 8, kPalette).Image(0, 0, 8, 8, 0).Image(0, 0, 8, 8, 1)
                          .Trailer().Bytes();
    Control control;
    AnimatedPicture picture;
    ASSERT_TRUE(picture.Attach(control.get()));
    Memory memory(gif);
    ASSERT_TRUE(picture.Load(memory.get(), DWORD(gif.size())));
    EXPECT_EQ(kvt::gif::kNoDelay, picture.GetFrame(0)->delay);
    const DWORD start = GetTickCount();
    ASSERT_FALSE(picture.Draw());
    ASSERT_TRUE(WaitForFrames(picture, 2, kPatience));
    Sleep(500);
    picture.Stop();
    // Two frames per 100 ms round at most, however long it ran; spinning
    // would show thousands.
    const long rounds = long((GetTickCount() - start) / 100) + 1;
    EXPECT_LE(picture.GetFramesShown(), 2 * rounds);
}

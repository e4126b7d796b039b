// CCaptionHook: the placement rule as a computation, and the hook on real
// windows under Wine (installation, drawing, the end with the window).
#include "Varnet01.h"
#include "CaptionHookPlacement.h"
#include "WinHandles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const varnet::CaptionMetrics kMetrics = {18, 1, 4, 3, 18};

TEST(CaptionPlacement, RuleAgainstKnownWindows) {
    const LONG dialog = WS_CAPTION | WS_SYSMENU;  // dialog frame, one button
    struct Case {
        const char* name;
        int width;
        LONG style;
        int iconWidth, iconHeight;
        RECT clip;
        int x, y;
    };
    const Case cases[] = {
        // Flush against three buttons of 18 + 1 pixels.
        {"600 wide", 600, WS_OVERLAPPEDWINDOW, 203, 18, {340, 4, 543, 22}, 340, 4},
        // Too narrow: the picture starts at 150 and is cut at the buttons.
        {"300 wide", 300, WS_OVERLAPPEDWINDOW, 203, 18, {150, 4, 243, 22}, 150, 4},
        {"dialog frame", 400, dialog, 203, 18, {178, 3, 381, 21}, 178, 3},
        {"no buttons", 400, WS_CAPTION, 100, 10, {300, 3, 400, 21}, 300, 7},
        // Taller than the caption: (3 + 21 - 31) / 2 truncates to -3.
        {"tall picture", 400, dialog, 100, 31, {281, 3, 381, 21}, 281, -3},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const varnet::CaptionPlacement p =
            varnet::PlaceCaptionPicture(k.width, k.style, k.iconWidth, k.iconHeight, kMetrics);
        EXPECT_EQ(k.clip.left, p.clip.left);
        EXPECT_EQ(k.clip.top, p.clip.top);
        EXPECT_EQ(k.clip.right, p.clip.right);
        EXPECT_EQ(k.clip.bottom, p.clip.bottom);
        EXPECT_EQ(k.x, p.x);
        EXPECT_EQ(k.y, p.y);
    }
}

// --- real windows ---------------------------------------------------------

// What the window's own procedure saw when WM_DESTROY reached it.
WNDPROC g_procAtDestroy = NULL;

LRESULT CALLBACK OwnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY)
        g_procAtDestroy = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* OwnClass() {
    static std::string name;
    if (name.empty()) {
        name = kvttest::UniqueName("KVTCaptionTest");
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = name.c_str();
        RegisterClassA(&wc);
    }
    return name.c_str();
}

// A top-level window of our own class, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(int width, LONG style = WS_OVERLAPPEDWINDOW) {
        const std::string title = kvttest::UniqueName("KVT caption hook test");
        window_ = CreateWindowExA(0, OwnClass(), title.c_str(), style, 10, 10, width, 200, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
        if (window_) ShowWindow(window_, SW_SHOWNA);
    }
    ~TestWindow() { Destroy(); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }
    WNDPROC proc() const {
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC));
    }
    void Destroy() {
        if (window_) DestroyWindow(window_);
        window_ = NULL;
    }

private:
    HWND window_;
};

// A solid icon of one colour.
HICON SolidIcon(int width, int height, COLORREF colour) {
    HDC screen = GetDC(NULL);
    win::GdiObject color(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(NULL, screen);
    win::GdiObject mask(CreateBitmap(width, height, 1, 1, NULL));
    win::MemDC dc(CreateCompatibleDC(NULL));
    {
        win::SelectGuard select(dc.get(), color.get());
        win::GdiObject brush(CreateSolidBrush(colour));
        RECT all = {0, 0, width, height};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    {
        win::SelectGuard select(dc.get(), mask.get());
        PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);  // opaque everywhere
    }
    ICONINFO info = {TRUE, 0, 0, static_cast<HBITMAP>(mask.get()),
                     static_cast<HBITMAP>(color.get())};
    return CreateIconIndirect(&info);
}

bool IconAlive(HICON icon) {
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

COLORREF WindowPixel(HWND window, int x, int y) {
    HDC dc = GetWindowDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

// Where the hook puts a picture on this window with the running metrics.
varnet::CaptionPlacement PlacementOn(HWND window, int iconWidth, int iconHeight) {
    RECT r;
    GetWindowRect(window, &r);
    return varnet::PlaceCaptionPicture(r.right - r.left, GetWindowLongA(window, GWL_STYLE),
                                       iconWidth, iconHeight, varnet::CurrentCaptionMetrics());
}

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

TEST(CaptionHook, DrawsIntoTheCaptionAfterEveryRepaint) {
    TestWindow window(600);
    ASSERT_TRUE(window.get());
    HICON icon = SolidIcon(203, 18, kRed);
    CCaptionHook::SetCaptionHook(window.get(), icon);
    ASSERT_NE(&OwnProc, window.proc());

    const varnet::CaptionPlacement p = PlacementOn(window.get(), 203, 18);
    const int midY = (p.clip.top + p.clip.bottom) / 2;
    for (UINT message : {WM_SETTEXT, WM_NCPAINT, WM_NCACTIVATE}) {
        SCOPED_TRACE(message);
        // The window's own caption painting first wipes the picture.
        SendMessageA(window.get(), WM_NCPAINT, 1, 0);
        if (message == WM_SETTEXT)
            SetWindowTextA(window.get(), "KVT caption hook test, new text");
        else
            SendMessageA(window.get(), message, 1, 0);
        EXPECT_EQ(kRed, WindowPixel(window.get(), p.x + 1, midY));
        EXPECT_EQ(kRed, WindowPixel(window.get(), p.clip.right - 1, midY));
        EXPECT_NE(kRed, WindowPixel(window.get(), p.x - 1, midY));
        EXPECT_NE(kRed, WindowPixel(window.get(), p.clip.right + 1, midY));
    }
}

TEST(CaptionHook, NarrowWindowCutsThePictureAtTheButtons) {
    TestWindow window(300);
    ASSERT_TRUE(window.get());
    CCaptionHook::SetCaptionHook(window.get(), SolidIcon(203, 18, kRed));
    SetWindowTextA(window.get(), "narrow");
    const varnet::CaptionPlacement p = PlacementOn(window.get(), 203, 18);
    ASSERT_EQ(150, p.x);
    const int midY = (p.clip.top + p.clip.bottom) / 2;
    EXPECT_EQ(kRed, WindowPixel(window.get(), 150, midY));
    EXPECT_NE(kRed, WindowPixel(window.get(), 149, midY));
    EXPECT_NE(kRed, WindowPixel(window.get(), p.clip.right, midY));
}

TEST(CaptionHook, OneHookUntilItsWindowIsDestroyed) {
    TestWindow first(600), second(600);
    ASSERT_TRUE(first.get() && second.get());
    HICON red = SolidIcon(203, 18, kRed), blue = SolidIcon(203, 18, kBlue);

    CCaptionHook::SetCaptionHook(first.get(), red);
    ASSERT_NE(&OwnProc, first.proc());

    // A second installation, on another window or on the same one, is
    // ignored: no subclassing, the first picture stays, the icon is untouched.
    CCaptionHook::SetCaptionHook(second.get(), blue);
    EXPECT_EQ(&OwnProc, second.proc());
    CCaptionHook::SetCaptionHook(first.get(), blue);
    SetWindowTextA(first.get(), "still red");
    const varnet::CaptionPlacement p = PlacementOn(first.get(), 203, 18);
    EXPECT_EQ(kRed, WindowPixel(first.get(), p.x + 5, (p.clip.top + p.clip.bottom) / 2));
    EXPECT_TRUE(IconAlive(blue));

    // Destroying the window puts its own procedure back before WM_DESTROY
    // reaches it, and releases the picture.
    g_procAtDestroy = NULL;
    first.Destroy();
    EXPECT_EQ(&OwnProc, g_procAtDestroy);
    EXPECT_FALSE(IconAlive(red));

    // Now a new hook can be installed.
    CCaptionHook::SetCaptionHook(second.get(), blue);
    EXPECT_NE(&OwnProc, second.proc());
    SetWindowTextA(second.get(), "now blue");
    const varnet::CaptionPlacement q = PlacementOn(second.get(), 203, 18);
    EXPECT_EQ(kBlue, WindowPixel(second.get(), q.x + 5, (q.clip.top + q.clip.bottom) / 2));
    g_procAtDestroy = NULL;
    second.Destroy();
    EXPECT_EQ(&OwnProc, g_procAtDestroy);
}

TEST(CaptionHook, NullIconOrDeadWindowLeavesNoHook) {
    TestWindow window(600);
    ASSERT_TRUE(window.get());
    CCaptionHook::SetCaptionHook(window.get(), static_cast<HICON>(NULL));
    EXPECT_EQ(&OwnProc, window.proc());

    HWND dead;
    {
        TestWindow gone(600);
        dead = gone.get();
    }
    HICON icon = SolidIcon(203, 18, kRed);
    CCaptionHook::SetCaptionHook(dead, icon);
    EXPECT_TRUE(IconAlive(icon)) << "an icon that was not taken stays the caller's";

    // Neither call left a hook behind that would block this one.
    CCaptionHook::SetCaptionHook(window.get(), icon);
    EXPECT_NE(&OwnProc, window.proc());
}

TEST(CaptionHook, BuiltInImage) {
    HMODULE library = GetModuleHandleA("Varnet01.dll");
    ASSERT_TRUE(library);

    // Icon resource 101: one image, 203 x 18, 256 colours.
    HRSRC group = FindResourceA(library, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14));
    ASSERT_TRUE(group);
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(library, group)));
    ASSERT_TRUE(dir);
    const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    ASSERT_EQ(1, count);
    const BYTE* entry = dir + 6;  // width, height, colour count, reserved, planes, bits
    EXPECT_EQ(203, entry[0]);
    EXPECT_EQ(18, entry[1]);
    EXPECT_EQ(8, *reinterpret_cast<const WORD*>(entry + 6));

    HICON natural = static_cast<HICON>(
        LoadImageA(library, MAKEINTRESOURCEA(101), IMAGE_ICON, 0, 0, 0));
    ASSERT_TRUE(natural);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(natural, &info));
    win::GdiObject color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm;
    ASSERT_TRUE(GetObjectA(color.get(), sizeof bm, &bm));
    EXPECT_EQ(203, bm.bmWidth);
    EXPECT_EQ(18, bm.bmHeight);

    // What the picture looks like at one point, drawn by the test itself.
    win::MemDC dc(CreateCompatibleDC(NULL));
    HDC screen = GetDC(NULL);
    win::GdiObject canvas(CreateCompatibleBitmap(screen, 203, 18));
    ReleaseDC(NULL, screen);
    COLORREF expected;
    {
        win::SelectGuard select(dc.get(), canvas.get());
        DrawIconEx(dc.get(), 0, 0, natural, 0, 0, 0, NULL, DI_NORMAL);
        expected = GetPixel(dc.get(), 10, 9);
    }
    DestroyIcon(natural);

    // The one-argument form shows it, and can do so again after the window
    // has gone, since each hook owns a copy of its own.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        TestWindow window(600);
        ASSERT_TRUE(window.get());
        CCaptionHook::SetCaptionHook(window.get());
        ASSERT_NE(&OwnProc, window.proc());
        SetWindowTextA(window.get(), "built-in");
        const varnet::CaptionPlacement p = PlacementOn(window.get(), 203, 18);
        EXPECT_EQ(expected, WindowPixel(window.get(), p.x + 10, p.y + 9));
    }
}

}  // namespace

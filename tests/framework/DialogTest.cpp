// The dialog framework on a real modal dialog: timer and destroy handlers,
// the barrier that keeps exceptions out of the dialog manager, where a
// dialog that shows itself first appears, and the controls it finds by id.
#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <stdexcept>

#include "Dialog.h"
#include "FrameworkTestIds.h"

namespace {

const UINT_PTR kTick = 1;
const UINT_PTR kSafety = 99;   // ends a dialog that stopped working
const UINT kPoke = WM_APP + 5;

enum class Thrower { None, InitDialog, Command, Timer, Message, Destroy };

// Runs a fixed script on timer 1: a click on "Go", a second tick, a private
// message, then the end with 7. The chosen handler throws on its turn.
class ScriptDialog : public CDialog {
public:
    explicit ScriptDialog(Thrower thrower) : CDialog(IDD_FRAMEWORK_TEST), thrower_(thrower) {}

    int ticks = 0;
    bool entered = false;        // the throwing handler ran
    bool pastThrow = false;      // ... and went on after its throw
    bool otherTimer = false;     // OnTimer saw an id other than 1
    bool destroyed = false;
    bool windowsAtDestroy = false;
    CControl extra;

protected:
    BOOL OnInitDialog() override {
        SetTimer(hwnd(), kSafety, 10000, NULL);
        SetTimer(hwnd(), kTick, 20, NULL);
        RECT r = {60, 10, 110, 30};
        extra.Create(*this, "BUTTON", "Extra", WS_VISIBLE | BS_PUSHBUTTON, r, 1002);
        MaybeThrow(Thrower::InitDialog, std::bad_alloc());
        return TRUE;
    }
    bool OnCommand(WORD id, WORD code, HWND control) override {
        if (id != IDC_GO) return CDialog::OnCommand(id, code, control);
        MaybeThrow(Thrower::Command, std::bad_alloc());
        return true;
    }
    bool OnTimer(UINT_PTR id) override {
        if (id == kSafety) {
            EndDialog(-99);
            return true;
        }
        if (id != kTick) {
            otherTimer = true;
            return false;
        }
        switch (++ticks) {
        case 1: PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(IDC_GO, BN_CLICKED), 0); break;
        case 2: MaybeThrow(Thrower::Timer, std::runtime_error("tick")); break;
        case 3: SendMessageA(hwnd(), kPoke, 0, 0); break;
        case 4:
            KillTimer(hwnd(), kTick);
            EndDialog(7);
            break;
        }
        return true;
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, INT_PTR* result) override {
        if (msg != kPoke) return false;
        MaybeThrow(Thrower::Message, 42);   // not even a std::exception
        *result = 1;
        return true;
    }
    void OnDestroy() override {
        destroyed = true;
        windowsAtDestroy = IsWindow(hwnd()) && extra.hwnd() && IsWindow(extra.hwnd());
        KillTimer(hwnd(), kSafety);
        MaybeThrow(Thrower::Destroy, std::bad_alloc());
    }

private:
    template <typename E>
    void MaybeThrow(Thrower which, const E& e) {
        if (thrower_ != which) return;
        entered = true;
        throw e;
        pastThrow = true;   // never: the throw ends the handler
    }
    Thrower thrower_;
};

TEST(DialogFramework, HandlersRunAndAThrowEndsOnlyItsHandler) {
    struct Case {
        const char* what;
        Thrower thrower;
    } cases[] = {
        {"nothing thrown", Thrower::None},
        {"in the initialisation", Thrower::InitDialog},
        {"in a command", Thrower::Command},
        {"in a timer tick", Thrower::Timer},
        {"in another message, not a std::exception", Thrower::Message},
        {"in the destroy handler", Thrower::Destroy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptDialog dialog(c.thrower);
        // The dialog goes on to the end of its script: the result is the
        // script's, not the safety timer's, nor a crash.
        EXPECT_EQ(7, dialog.DoModal(NULL));
        EXPECT_EQ(4, dialog.ticks);
        EXPECT_EQ(c.thrower != Thrower::None, dialog.entered);
        EXPECT_FALSE(dialog.pastThrow);
        EXPECT_FALSE(dialog.otherTimer);
        EXPECT_TRUE(dialog.destroyed);
        EXPECT_TRUE(dialog.windowsAtDestroy);
        // The control object forgot its window with the dialog.
        EXPECT_EQ(NULL, dialog.extra.hwnd());
        EXPECT_EQ(NULL, dialog.hwnd());
    }
}

// Shows itself from its initialisation and notes where it stands when it
// becomes visible.
class PlacedDialog : public CDialog {
public:
    PlacedDialog() : CDialog(IDD_FRAMEWORK_TEST) {}
    bool shown = false;
    RECT shownAt = {0, 0, 0, 0};

protected:
    BOOL OnInitDialog() override {
        SetTimer(hwnd(), kSafety, 10000, NULL);
        ShowWhenPlaced();
        return TRUE;
    }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM, INT_PTR*) override {
        if (msg == WM_SHOWWINDOW && wp && !shown) {
            shown = true;
            GetWindowRect(hwnd(), &shownAt);
            PostMessageA(hwnd(), WM_COMMAND, IDCANCEL, 0);
        }
        return false;
    }
    bool OnTimer(UINT_PTR) override {
        EndDialog(-99);
        return true;
    }
};

TEST(DialogFramework, ADialogThatShowsItselfAppearsCentredOverItsOwner) {
    // The owner stands well away from the screen's corner, so that the
    // template's own position and the centred one differ.
    HWND owner = CreateWindowExA(0, "STATIC", "Owner", WS_POPUP | WS_VISIBLE, 100, 80, 700, 500,
                                 NULL, NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(owner != NULL);
    PlacedDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal(owner));
    DestroyWindow(owner);
    ASSERT_TRUE(dialog.shown);
    const int width = dialog.shownAt.right - dialog.shownAt.left;
    const int height = dialog.shownAt.bottom - dialog.shownAt.top;
    EXPECT_EQ(100 + (700 - width) / 2, dialog.shownAt.left);
    EXPECT_EQ(80 + (500 - height) / 2, dialog.shownAt.top);
}

// Looks its controls up by id while they come and go, during its
// initialisation, and ends at once.
class ItemDialog : public CDialog {
public:
    ItemDialog() : CDialog(IDD_FRAMEWORK_TEST) {}
    HWND go = NULL, goAgain = NULL, replaced = NULL, replacement = NULL;
    HWND absent = NULL, later = NULL, created = NULL;

protected:
    BOOL OnInitDialog() override {
        go = Item(IDC_GO);
        goAgain = Item(IDC_GO);
        // A control destroyed and made anew under the same id.
        DestroyWindow(go);
        RECT r = {10, 10, 50, 24};
        replacement = CreateButton(IDC_GO, r);
        replaced = Item(IDC_GO);
        // An id asked for before any control has it.
        absent = Item(1234);
        RECT s = {60, 10, 110, 30};
        created = CreateButton(1234, s);
        later = Item(1234);
        EndDialog(1);
        return TRUE;
    }

private:
    HWND CreateButton(int id, const RECT& r) {
        return CreateWindowExA(0, "BUTTON", "B", WS_CHILD | WS_VISIBLE, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(NULL), NULL);
    }
};

TEST(DialogFramework, ItemFollowsTheControlsThatHaveTheId) {
    ItemDialog dialog;
    EXPECT_EQ(1, dialog.DoModal(NULL));
    ASSERT_TRUE(dialog.go != NULL);
    EXPECT_EQ(dialog.go, dialog.goAgain);
    ASSERT_TRUE(dialog.replacement != NULL);
    EXPECT_EQ(dialog.replacement, dialog.replaced);
    EXPECT_EQ(NULL, dialog.absent);
    ASSERT_TRUE(dialog.created != NULL);
    EXPECT_EQ(dialog.created, dialog.later);
}

}  // namespace

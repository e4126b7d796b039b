// The progress window as a real window in this process: its job runs with
// the stand-in setup while the test reads what the window has painted.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "JobTestSupport.h"
#include "ProgressDlg.h"

using namespace jobtest;

namespace {

// The window run modally on a thread of its own.
class ModalRun {
public:
    explicit ModalRun(CSetupProgressDlg& dlg) : dlg_(dlg) {
        thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
    }
    ~ModalRun() {
        WaitForSingleObject(thread_, 30000);
        CloseHandle(thread_);
    }
    // The window's result once it has closed; false on timeout.
    bool Wait(INT_PTR* result) {
        if (WaitForSingleObject(thread_, 30000) != WAIT_OBJECT_0) return false;
        *result = result_;
        return true;
    }

private:
    static DWORD WINAPI Run(void* self) {
        ModalRun* r = static_cast<ModalRun*>(self);
        r->result_ = r->dlg_.DoModal(NULL);
        return 0;
    }
    CSetupProgressDlg& dlg_;
    HANDLE thread_;
    INT_PTR result_ = 0;
};

// The inputs the install run gives the job, for the scene's tool.
void FillJob(CToolInstallJob& job, const Scene& s) {
    job.toolSourceFolder = s.source;
    job.targetFolder = s.target;
    job.projectName = "P";
}

// Client rows of the window holding anything but its background, left of
// the banner's column and above it.
std::vector<bool> InkedRows(HWND window, int height) {
    std::vector<bool> rows(static_cast<size_t>(height), false);
    HDC dc = GetDC(window);
    const COLORREF background = GetPixel(dc, 2, 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 220 && !rows[static_cast<size_t>(y)]; ++x)
            rows[static_cast<size_t>(y)] = GetPixel(dc, x, y) != background;
    ReleaseDC(window, dc);
    return rows;
}

TEST(ProgressWindow, PaintsOneLineEvery20PixelsWhileTheSetupRuns) {
    Scene s("Alpha");
    s.AddSetup();
    s.SetupOption("ExitMs", "4000");
    s.SetupOption("MainFile", "Main.exe");
    CSetupProgressDlg dlg(s.tool);
    FillJob(dlg.job(), s);
    ModalRun run(dlg);

    // Phase 3: application, destination, staging and the running setup.
    ASSERT_TRUE(kvttest::WaitFor([&] { return !s.Runs().empty(); }, kSetupStartMs));
    HWND window = dlg.hwnd();
    ASSERT_TRUE(window != NULL);
    ASSERT_TRUE(kvttest::WaitFor([&] { return dlg.job().phase == PhaseWaitSetup; }, kSetupStartMs));
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const std::vector<bool> rows = InkedRows(window, 140);
    // Each line's text starts at its y (20, 40, 60, 80) and fits in 13 rows
    // of an 11-pixel font; nothing above the first or below the fourth.
    for (int line = 0; line < 4; ++line) {
        bool inked = false;
        for (int y = 20 + 20 * line; y < 33 + 20 * line; ++y) inked = inked || rows[static_cast<size_t>(y)];
        EXPECT_TRUE(inked) << "line " << line + 1;
        for (int y = 34 + 20 * line; y < 40 + 20 * line; ++y) EXPECT_FALSE(rows[static_cast<size_t>(y)]) << y;
    }
    for (int y = 0; y < 18; ++y) EXPECT_FALSE(rows[static_cast<size_t>(y)]) << y;
    for (int y = 100; y < 140; ++y) EXPECT_FALSE(rows[static_cast<size_t>(y)]) << y;

    INT_PTR result = 0;
    ASSERT_TRUE(run.Wait(&result));
    EXPECT_EQ(ResultSuccess, result);
    EXPECT_EQ(1u, s.Runs().size());   // the repaint started nothing again
}

// A dialog (a message box) owned by `owner`.
struct OwnedSearch {
    HWND owner, found;
};

BOOL CALLBACK VisitOwned(HWND w, LPARAM data) {
    OwnedSearch* s = reinterpret_cast<OwnedSearch*>(data);
    char cls[16] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (GetWindow(w, GW_OWNER) != s->owner || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    s->found = w;
    return FALSE;
}

HWND OwnedBox(HWND owner) {
    OwnedSearch search = {owner, NULL};
    EnumWindows(VisitOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Close and Escape while the setup runs: a question over the window; No
// goes on waiting, Yes judges the setup as if it had gone.
TEST(ProgressWindow, CloseAndEscapeOfferToStopWaitingForTheSetup) {
    Scene s("Alpha");
    s.tool.name = "Alpha Tool";
    s.AddSetup();
    s.SetupOption("ExitMs", "60000");
    CSetupProgressDlg dlg(s.tool);
    FillJob(dlg.job(), s);
    ModalRun run(dlg);
    ASSERT_TRUE(kvttest::WaitFor([&] { return !s.Runs().empty(); }, kSetupStartMs));
    ASSERT_TRUE(kvttest::WaitFor([&] { return dlg.job().phase == PhaseWaitSetup; }, kSetupStartMs));
    HWND window = dlg.hwnd();

    struct Step {
        const char* what;
        UINT message;
        WPARAM wp;
        int answer;
    } steps[] = {
        {"Close, then No", WM_CLOSE, 0, IDNO},
        {"Escape, then Yes", WM_COMMAND, IDCANCEL, IDYES},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        PostMessageA(window, step.message, step.wp, 0);
        HWND box = NULL;
        ASSERT_TRUE(kvttest::WaitFor([&] { return (box = OwnedBox(window)) != NULL; }, 10000));
        char text[128] = "";
        GetWindowTextA(box, text, sizeof text);
        EXPECT_STREQ("Kitbay", text);
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(step.answer), 0);
        // This box, not any: after Yes the deletion notices follow at once.
        ASSERT_TRUE(kvttest::WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000));
        if (step.answer == IDNO) {
            // Still waiting, with the window open, once the window has
            // handled everything before this round trip.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
            EXPECT_TRUE(IsWindow(window));
            EXPECT_EQ(PhaseWaitSetup, dlg.job().phase);
        }
    }
    // The staged setup is still running, so its file cannot be removed: the
    // deletion notices come, each confirmed, and the window closes.
    kvttest::WaitFor(
        [&] {
            if (HWND notice = OwnedBox(window)) PostMessageA(notice, WM_COMMAND, IDOK, 0);
            return !IsWindow(window);
        },
        20000);
    INT_PTR result = 0;
    ASSERT_TRUE(run.Wait(&result));
    EXPECT_EQ(ResultSetupIncomplete, result);
}

}  // namespace

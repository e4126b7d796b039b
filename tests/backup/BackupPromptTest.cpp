// The backup prompt as a user meets it: BackupProbe.exe makes the offers of
// an install run, this test finds the prompt and its message boxes, reads
// them, clicks, and checks what landed on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "AppDriver.h"
#include "ProcessSupport.h"
#include "TestSupport.h"
#include "resource.h"
#include "WinHandles.h"

using kvttest::DirExists;
using kvttest::FileExists;
using kvttest::MakeDirs;
using kvttest::ReadFile;
using kvttest::TempDir;
using kvttest::WriteFile;

namespace {

const DWORD kPatience = 20000;

struct Texts {
    int language;
    const char* caption;
    const char* yes;
    const char* no;
    const char* dontAsk;
    const char* question;   // for the tool "Alpha"
    const char* running;
    const char* errorCaption;
    const char* errorText;
};
const Texts kEnglish = {0, "Note", "Yes", "No", "Don't ask me again!",
                        "An existing installation of Alpha was detected. Do you want to create a backup?",
                        "Backup is running... please wait!", "Error", "Error during backup!"};
const Texts kGerman = {1, "Hinweis", "Ja", "Nein", "Nicht mehr nachfragen!",
                       "Eine bestehende Installation von Alpha wurde erkannt. Wollen Sie eine "
                       "Sicherungskopie machen?",
                       "Backup l\xE4uft... bitte warten!", "Fehler", "Fehler w\xE4hrend dem Backup!"};

// One probe run: the offers for (folder, name) pairs in order; `copy` holds
// the probe's options for the copy it runs instead of the real one.
class Probe {
public:
    Probe(const TempDir& dir, int language, const std::vector<std::pair<std::string, std::string>>& offers,
          const std::string& copy = "")
        : results_(dir / "offers.txt") {
        std::string line = "\"BackupProbe.exe\" " + (copy.empty() ? "" : copy + " ") + std::to_string(language) +
                           " \"" + results_ + "\"";
        for (const auto& o : offers) line += " \"" + o.first + "\" \"" + o.second + "\"";
        started_ = process_.Start(kvttest::BinDir() + "\\BackupProbe.exe", line, dir.path());
    }
    bool started() const { return started_; }
    HWND WaitWindow(const char* caption) const {
        HWND found = NULL;
        apptest::WaitFor([&] { return (found = apptest::FindMessageBox(process_.id(), caption)) != NULL; },
                         kPatience);
        return found;
    }
    // True when the probe ended on its own, having made every offer.
    bool Finished() const {
        DWORD code = 1;
        return process_.WaitExit(kPatience) && GetExitCodeProcess(process_.handle(), &code) && code == 0;
    }
    std::string Returned() const { return ReadFile(results_); }

private:
    std::string results_;
    kvttest::OwnedProcess process_;
    bool started_ = false;
};

// The probe's held copy: it signals when its worker is busy copying, and
// fails once released.
class HeldCopy {
public:
    HeldCopy() {
        static int count = 0;
        const std::string stem = "KvtBackupHeld." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++count);
        busyName_ = stem + ".busy";
        releaseName_ = stem + ".release";
        busy_.reset(CreateEventA(NULL, TRUE, FALSE, busyName_.c_str()));
        release_.reset(CreateEventA(NULL, TRUE, FALSE, releaseName_.c_str()));
    }
    ~HeldCopy() { Release(); }   // never leaves a probe waiting
    HeldCopy(const HeldCopy&) = delete;
    HeldCopy& operator=(const HeldCopy&) = delete;

    bool ready() const { return busy_ && release_; }
    std::string Option() const { return "--hold \"" + busyName_ + "\" \"" + releaseName_ + "\""; }
    bool WaitBusy() const { return WaitForSingleObject(busy_.get(), kPatience) == WAIT_OBJECT_0; }
    void Release() const { SetEvent(release_.get()); }

private:
    std::string busyName_, releaseName_;
    win::Handle busy_, release_;
};

// Backup folders made next to `source`: the stamps after "_backup_".
std::vector<std::string> BackupStamps(const std::string& source) {
    std::vector<std::string> stamps;
    const std::string prefix = source.substr(source.rfind('\\') + 1) + "_backup_";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((source + "_backup_*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return stamps;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            stamps.push_back(std::string(data.cFileName).substr(prefix.size()));
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return stamps;
}

std::string Stamp(std::time_t t) {
    char buf[32];
    std::strftime(buf, sizeof buf, "%y%m%d_%H%M%S", std::localtime(&t));
    return buf;
}

// A small installation: what the backup takes and leaves.
std::string MakeInstallation(const TempDir& dir, const char* name) {
    const std::string root = dir / name;
    MakeDirs(root + "\\x.bin");
    WriteFile(root + "\\app.exe", "program");
    WriteFile(root + "\\Old.BIN", "old");
    WriteFile(root + "\\data.bin", "data");
    WriteFile(root + "\\cache.tmp", "cache");
    WriteFile(root + "\\x.bin\\inside.txt", "inside");
    WriteFile(root + "\\.profile", "dot");
    return root;
}

bool Visible(HWND prompt, int id) { return IsWindowVisible(GetDlgItem(prompt, id)) != FALSE; }

RECT ClientRectOf(HWND prompt, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(prompt, id), &r);
    MapWindowPoints(NULL, prompt, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(BackupPrompt, NoPromptUnlessTheTargetIsAPlainFolder) {
    TempDir dir("bprompt");
    // (Wine keeps no read-only mark on a folder: that case is left to the
    // attribute rule's own test.)
    const std::string file = dir / "file", hidden = dir / "hidden", system = dir / "system";
    WriteFile(file, "a file");
    MakeDirs(hidden);
    MakeDirs(system);
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA(hidden.c_str()));
    ASSERT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM), GetFileAttributesA(system.c_str()));

    // A prompt would keep the probe waiting for an answer.
    Probe probe(dir, 0, {{dir / "missing", "Missing"}, {file, "File"}, {hidden, "Hidden"}, {system, "System"}});
    ASSERT_TRUE(probe.started());
    EXPECT_TRUE(probe.Finished());
    EXPECT_EQ("Missing returned\r\nFile returned\r\nHidden returned\r\nSystem returned\r\n", probe.Returned());
    for (const std::string& p : {file, hidden, system}) EXPECT_TRUE(BackupStamps(p).empty()) << p;
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(BackupPrompt, QuestionInBothLanguagesThenNo) {
    HWND units = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_BACKUP), NULL, InertDialog, 0);
    ASSERT_TRUE(units != NULL);
    for (const Texts* t : {&kEnglish, &kGerman}) {
        SCOPED_TRACE(t->caption);
        TempDir dir("bprompt");
        const std::string source = MakeInstallation(dir, "Alpha");
        Probe probe(dir, t->language, {{source, "Alpha"}});
        ASSERT_TRUE(probe.started());
        HWND prompt = probe.WaitWindow(t->caption);
        ASSERT_TRUE(prompt != NULL);

        EXPECT_EQ(t->question, apptest::Text(GetDlgItem(prompt, IDC_BACKUP_MESSAGE)));
        EXPECT_EQ(t->yes, apptest::Text(GetDlgItem(prompt, IDC_BACKUP_YES)));
        EXPECT_EQ(t->no, apptest::Text(GetDlgItem(prompt, IDC_BACKUP_NO)));
        EXPECT_EQ(t->dontAsk, apptest::Text(GetDlgItem(prompt, IDC_BACKUP_DONT_ASK)));
        EXPECT_EQ(BST_UNCHECKED, apptest::Send(GetDlgItem(prompt, IDC_BACKUP_DONT_ASK), BM_GETCHECK));
        EXPECT_TRUE(apptest::Send(GetDlgItem(prompt, IDC_BACKUP_ICON), STM_GETICON) != 0);
        EXPECT_TRUE(GetWindowLongA(prompt, GWL_STYLE) & WS_SYSMENU);

        // The question layout: everything but the animation, where the
        // template puts it.
        struct Control {
            int id;
            RECT dlu;   // left, top, width, height
            bool visible;
            bool sized;   // the icon takes its image's size, the animation its GIF's
        } controls[] = {
            {IDC_BACKUP_MESSAGE, {41, 7, 138, 37}, true, true},
            {IDC_BACKUP_YES, {7, 67, 50, 14}, true, true},
            {IDC_BACKUP_NO, {129, 67, 50, 14}, true, true},
            {IDC_BACKUP_DONT_ASK, {7, 51, 172, 8}, true, true},
            {IDC_BACKUP_ICON, {11, 10, 20, 20}, true, false},
            {IDC_BACKUP_ANIMATION, {7, 7, 33, 31}, false, false},
        };
        for (const Control& c : controls) {
            SCOPED_TRACE(c.id);
            EXPECT_EQ(c.visible, Visible(prompt, c.id));
            // As the dialog manager maps them: each value on its own.
            RECT want = c.dlu;
            MapDialogRect(units, &want);
            const RECT got = ClientRectOf(prompt, c.id);
            EXPECT_EQ(want.left, got.left);
            EXPECT_EQ(want.top, got.top);
            if (c.sized) {
                EXPECT_EQ(want.right, got.right - got.left);
                EXPECT_EQ(want.bottom, got.bottom - got.top);
            }
        }
        // The animation control took GIF 148's size (50 x 50) when it loaded.
        const RECT animation = ClientRectOf(prompt, IDC_BACKUP_ANIMATION);
        EXPECT_EQ(50, animation.right - animation.left);
        EXPECT_EQ(50, animation.bottom - animation.top);
        RECT client, wantClient = {0, 0, 186, 87};
        GetClientRect(prompt, &client);
        MapDialogRect(units, &wantClient);
        EXPECT_EQ(wantClient.right, client.right);
        EXPECT_EQ(wantClient.bottom, client.bottom);

        ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, IDC_BACKUP_NO)));
        EXPECT_TRUE(probe.Finished());
        EXPECT_TRUE(BackupStamps(source).empty());
    }
    DestroyWindow(units);
}

TEST(BackupPrompt, YesCopiesIntoAFolderStampedWithTheTime) {
    TempDir dir("bprompt");
    const std::string source = MakeInstallation(dir, "Alpha");
    Probe probe(dir, 0, {{source, "Alpha"}});
    ASSERT_TRUE(probe.started());
    HWND prompt = probe.WaitWindow("Note");
    ASSERT_TRUE(prompt != NULL);
    const std::string before = Stamp(std::time(nullptr));
    ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, IDC_BACKUP_YES)));
    ASSERT_TRUE(probe.Finished());   // the prompt ended itself after the copy
    const std::string after = Stamp(std::time(nullptr));

    const std::vector<std::string> stamps = BackupStamps(source);
    ASSERT_EQ(1u, stamps.size());
    EXPECT_LE(before, stamps[0]);
    EXPECT_GE(after, stamps[0]);
    const std::string backup = source + "_backup_" + stamps[0];
    EXPECT_EQ("program", ReadFile(backup + "\\app.exe"));
    EXPECT_EQ("old", ReadFile(backup + "\\Old.BIN"));
    EXPECT_TRUE(DirExists(backup + "\\x.bin"));
    for (const char* gone : {"data.bin", "cache.tmp", "x.bin\\inside.txt", ".profile"})
        EXPECT_FALSE(FileExists(backup + "\\" + gone)) << gone;
}

TEST(BackupPrompt, AFailedCopyShowsTheErrorOverTheRunningPrompt) {
    // A backup of the same second exists already for every second the copy
    // may start in: the folder cannot be made.
    for (const Texts* t : {&kEnglish, &kGerman}) {
        SCOPED_TRACE(t->caption);
        TempDir dir("bprompt");
        const std::string source = MakeInstallation(dir, "Alpha");
        Probe probe(dir, t->language, {{source, "Alpha"}, {dir / "Beta", "Beta"}});
        ASSERT_TRUE(probe.started());
        HWND prompt = probe.WaitWindow(t->caption);
        ASSERT_TRUE(prompt != NULL);
        const std::time_t now = std::time(nullptr);
        for (int s = -2; s <= 30; ++s) MakeDirs(source + "_backup_" + Stamp(now + s));
        RECT question;
        GetWindowRect(prompt, &question);

        ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, IDC_BACKUP_YES)));
        HWND box = probe.WaitWindow(t->errorCaption);
        ASSERT_TRUE(box != NULL);
        EXPECT_EQ(t->errorText, apptest::MessageBoxText(box));
        EXPECT_EQ(prompt, GetWindow(box, GW_OWNER));

        // Meanwhile the prompt is in its running layout, shrunk to its text.
        EXPECT_EQ(std::string("Alpha\n") + t->running, apptest::Text(GetDlgItem(prompt, IDC_BACKUP_MESSAGE)));
        for (int id : {IDC_BACKUP_MESSAGE, IDC_BACKUP_ANIMATION}) EXPECT_TRUE(Visible(prompt, id)) << id;
        for (int id : {IDC_BACKUP_YES, IDC_BACKUP_NO, IDC_BACKUP_DONT_ASK, IDC_BACKUP_ICON})
            EXPECT_FALSE(Visible(prompt, id)) << id;
        RECT running, text;
        GetWindowRect(prompt, &running);
        GetWindowRect(GetDlgItem(prompt, IDC_BACKUP_MESSAGE), &text);
        EXPECT_EQ(question.left, running.left);
        EXPECT_EQ(question.top, running.top);
        EXPECT_EQ(question.right, running.right);
        EXPECT_EQ(text.bottom + 5, running.bottom);

        ASSERT_TRUE(apptest::PressCommand(box, IDOK));
        EXPECT_TRUE(probe.Finished());   // the prompt closed and the run went on
        EXPECT_EQ("Alpha returned\r\nBeta returned\r\n", probe.Returned());
        EXPECT_FALSE(FileExists(source + "_backup_" + Stamp(now) + "\\app.exe"));
    }
}

TEST(BackupPrompt, TheAnswerIsRememberedOnlyWhenAsked) {
    struct Case {
        const char* what;
        bool tick;
        int answer;   // IDC_BACKUP_YES, IDC_BACKUP_NO, or IDCANCEL (Escape)
        bool promptForBeta;
        bool backups;   // of both tools, without a second question
    } cases[] = {
        {"Yes, don't ask again: Beta is copied at once", true, IDC_BACKUP_YES, false, true},
        {"No, don't ask again: Beta is left alone", true, IDC_BACKUP_NO, false, false},
        {"Escape with the box ticked: nothing remembered", true, IDCANCEL, true, false},
        {"No without the box: asked again", false, IDC_BACKUP_NO, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir("bprompt");
        const std::string alpha = MakeInstallation(dir, "Alpha"), beta = MakeInstallation(dir, "Beta");
        Probe probe(dir, 0, {{alpha, "Alpha"}, {beta, "Beta"}});
        ASSERT_TRUE(probe.started());
        HWND prompt = probe.WaitWindow("Note");
        ASSERT_TRUE(prompt != NULL);
        if (c.tick) {
            ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, IDC_BACKUP_DONT_ASK)));
        }
        if (c.answer == IDCANCEL) {
            ASSERT_TRUE(apptest::PressCommand(prompt, IDCANCEL));
        } else {
            ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, c.answer)));
        }

        if (c.promptForBeta) {
            ASSERT_TRUE(apptest::WaitFor([&] {
                HWND p = apptest::FindMessageBox(0, "Note");
                return p && p != prompt && apptest::Text(GetDlgItem(p, IDC_BACKUP_MESSAGE)).find("Beta") != std::string::npos;
            }, kPatience));
            ASSERT_TRUE(apptest::Click(GetDlgItem(probe.WaitWindow("Note"), IDC_BACKUP_NO)));
        }
        ASSERT_TRUE(probe.Finished());
        EXPECT_EQ(c.backups ? 1u : 0u, BackupStamps(alpha).size());
        EXPECT_EQ(c.backups ? 1u : 0u, BackupStamps(beta).size());
    }
}

TEST(BackupPrompt, ClosingDuringACopyStopsItAndTheRunGoesOn) {
    TempDir dir("bprompt");
    const std::string source = dir / "Big";
    const int kFolders = 40, kFiles = 100;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = source + "\\f" + std::to_string(f);
        MakeDirs(folder);
        for (int i = 0; i < kFiles; ++i) WriteFile(folder + "\\file" + std::to_string(i) + ".dat", "x");
    }
    Probe probe(dir, 0, {{source, "Big"}, {dir / "Next", "Next"}});
    ASSERT_TRUE(probe.started());
    HWND prompt = probe.WaitWindow("Note");
    ASSERT_TRUE(prompt != NULL);
    ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, IDC_BACKUP_YES)));
    ASSERT_TRUE(apptest::WaitFor([&] { return !Visible(prompt, IDC_BACKUP_YES); }, kPatience));
    // Through the system menu, as the caption's close button does.
    ASSERT_TRUE(PostMessageA(prompt, WM_SYSCOMMAND, SC_CLOSE, 0));

    HWND box = probe.WaitWindow("Error");
    ASSERT_TRUE(box != NULL) << "the copy ended before it could be stopped";
    EXPECT_EQ("Error during backup!", apptest::MessageBoxText(box));
    EXPECT_EQ(NULL, GetWindow(box, GW_OWNER));   // the prompt is going
    ASSERT_TRUE(apptest::PressCommand(box, IDOK));
    ASSERT_TRUE(probe.Finished());
    EXPECT_EQ("Big returned\r\nNext returned\r\n", probe.Returned());

    const std::vector<std::string> stamps = BackupStamps(source);
    ASSERT_EQ(1u, stamps.size());
    int copied = 0;
    for (int f = 0; f < kFolders; ++f)
        for (int i = 0; i < kFiles; ++i)
            copied += FileExists(source + "_backup_" + stamps[0] + "\\f" + std::to_string(f) + "\\file" +
                                 std::to_string(i) + ".dat");
    EXPECT_LT(copied, kFolders * kFiles);
}

TEST(BackupPrompt, EndingWhileTheWorkerIsBusyWaitsForIt) {
    struct Case {
        const char* what;
        bool closeDuringCopy;   // else while the copy's error box is up
    } cases[] = {
        {"closed during the copy: the prompt goes, and the box comes without an owner", true},
        {"closed under its error box: the prompt stays the box's owner until it is confirmed", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir("bprompt");
        const std::string source = MakeInstallation(dir, "Alpha");
        HeldCopy held;
        ASSERT_TRUE(held.ready());
        Probe probe(dir, 0, {{source, "Alpha"}, {dir / "Next", "Next"}}, held.Option());
        ASSERT_TRUE(probe.started());
        HWND prompt = probe.WaitWindow("Note");
        ASSERT_TRUE(prompt != NULL);
        ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, IDC_BACKUP_YES)));
        ASSERT_TRUE(held.WaitBusy());

        HWND box = NULL;
        if (c.closeDuringCopy) {
            ASSERT_TRUE(PostMessageA(prompt, WM_SYSCOMMAND, SC_CLOSE, 0));
            ASSERT_TRUE(apptest::WaitFor([&] { return !IsWindowVisible(prompt); }, kPatience));
            // The prompt is going, but its worker still copies: the offer
            // has not returned.
            EXPECT_EQ("", probe.Returned());
            held.Release();
            box = probe.WaitWindow("Error");
            ASSERT_TRUE(box != NULL);
            EXPECT_EQ(NULL, GetWindow(box, GW_OWNER));
        } else {
            held.Release();
            box = probe.WaitWindow("Error");
            ASSERT_TRUE(box != NULL);
            ASSERT_EQ(prompt, GetWindow(box, GW_OWNER));
            // A close the system sends (ending the task): handled before
            // the send returns, and the round trip after it lets a prompt
            // that took it start going.
            ASSERT_NE(-1, apptest::Send(prompt, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)));
            ASSERT_NE(-1, apptest::Send(prompt, WM_NULL));
            EXPECT_TRUE(IsWindowVisible(prompt));
            EXPECT_EQ(prompt, GetWindow(box, GW_OWNER));
        }
        EXPECT_EQ("Error during backup!", apptest::MessageBoxText(box));
        // The worker is still in its box.
        EXPECT_EQ("", probe.Returned());

        ASSERT_TRUE(apptest::PressCommand(box, IDOK));
        EXPECT_TRUE(probe.Finished());
        EXPECT_EQ("Alpha returned\r\nNext returned\r\n", probe.Returned());
    }
}

TEST(BackupPrompt, AThrowingCopyEndsWithTheBackupError) {
    TempDir dir("bprompt");
    const std::string source = MakeInstallation(dir, "Alpha");
    Probe probe(dir, 0, {{source, "Alpha"}, {dir / "Next", "Next"}}, "--throw");
    ASSERT_TRUE(probe.started());
    HWND prompt = probe.WaitWindow("Note");
    ASSERT_TRUE(prompt != NULL);
    ASSERT_TRUE(apptest::Click(GetDlgItem(prompt, IDC_BACKUP_YES)));

    HWND box = probe.WaitWindow("Error");
    ASSERT_TRUE(box != NULL) << "the throw ended the program";
    EXPECT_EQ("Error during backup!", apptest::MessageBoxText(box));
    EXPECT_EQ(prompt, GetWindow(box, GW_OWNER));
    ASSERT_TRUE(apptest::PressCommand(box, IDOK));
    EXPECT_TRUE(probe.Finished());   // the prompt closed and the run went on
    EXPECT_EQ("Alpha returned\r\nNext returned\r\n", probe.Returned());
}

}  // namespace

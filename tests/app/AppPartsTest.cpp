// Pieces of the program tested directly: reading a tool section, the
// backdrop's gradient and the text table.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <utility>
#include <vector>
#include <cstring>
#include <string>

#include "AppDriver.h"
#include "Backdrop.h"
#include "Catalogue.h"
#include "MainDlg.h"
#include "Settings.h"
#include "SystemRestart.h"
#include "TestSupport.h"
#include "Texts.h"
#include "ToolFont.h"
#include "Varnet01.h"
#include "WinHandles.h"

using kvttest::TempDir;

namespace {

// Writes an INI with [Config] 1=Tool and the given [Tool] body and reads
// tool 1 on `family`.
bool ReadTool(const std::string& body, ToolRecord& rec, WindowsFamily family = FamilyNT) {
    TempDir dir("ini");
    std::string path = dir / "medium.ini";
    kvttest::WriteFile(path, "[Config]\r\n1=Tool\r\n[Tool]\r\n" + body);
    CIniData ini;
    EXPECT_TRUE(ini.SetIniFileName(path.c_str()));
    return ReadToolRecord(ini, 1, family, rec);
}

}  // namespace

TEST(AppToolSection, DefaultsOfAnEmptySection) {
    ToolRecord rec;
    EXPECT_TRUE(ReadTool("", rec));
    EXPECT_EQ("?", rec.name);
    EXPECT_EQ("?", rec.dir);
    EXPECT_EQ("", rec.file);
    EXPECT_EQ("Setup.exe", rec.setup);
    EXPECT_EQ("", rec.command);
    EXPECT_EQ("Setup", rec.title);
    EXPECT_EQ("1", rec.languageGerman);
    EXPECT_EQ("0", rec.languageEnglish);
    EXPECT_EQ(1, rec.installPath);
    EXPECT_EQ(0, rec.restartWindows);
    EXPECT_EQ(20 * 1048576, rec.space);
    EXPECT_EQ(10, rec.delay);
    EXPECT_EQ(1, rec.copyFiles);
}

TEST(AppToolSection, ValuesAreReadWithTheirRules) {
    struct Case {
        const char* body;
        const char* what;
        std::function<void(const ToolRecord&)> check;
    };
    const Case cases[] = {
        {"Name=Alpha\r\n", "Dir defaults to the name",
         [](const ToolRecord& r) { EXPECT_EQ("Alpha", r.dir); }},
        {"Name=Alpha\r\nDir=Qev\r\nTitle=Qev Setup\r\nSetup=Go.exe\r\nCommand=/q /x\r\n", "strings",
         [](const ToolRecord& r) {
             EXPECT_EQ("Qev", r.dir);
             EXPECT_EQ("Qev Setup", r.title);
             EXPECT_EQ("Go.exe", r.setup);
             EXPECT_EQ("/q /x", r.command);
         }},
        {"Space=\r\n", "an empty Space is 20 MB",
         [](const ToolRecord& r) { EXPECT_EQ(20971520, r.space); }},
        {"Space=abc\r\n", "letters read as 0", [](const ToolRecord& r) { EXPECT_EQ(0, r.space); }},
        {"Space=2047\r\n", "the largest whole requirement",
         [](const ToolRecord& r) { EXPECT_EQ(2047 * 1048576, r.space); }},
        {"Space=4096\r\n", "too large for the field: capped, not wrapped to 0",
         [](const ToolRecord& r) { EXPECT_EQ(INT_MAX, r.space); }},
        {"Space=-5\r\n", "negative: no requirement",
         [](const ToolRecord& r) { EXPECT_EQ(0, r.space); }},
        {"File=\r\nRestartWindows=1\r\n", "no File never restarts",
         [](const ToolRecord& r) { EXPECT_EQ(0, r.restartWindows); }},
        {"File=a.exe\r\n", "with File the restart defaults to 1",
         [](const ToolRecord& r) { EXPECT_EQ(1, r.restartWindows); }},
        {"File=a.exe\r\nRestartWindows=7\r\n", "restart is a flag",
         [](const ToolRecord& r) { EXPECT_EQ(1, r.restartWindows); }},
        {"File=a.exe\r\nRestartWindows=0\r\n", "restart switched off",
         [](const ToolRecord& r) { EXPECT_EQ(0, r.restartWindows); }},
        {"Installpath=5\r\n", "Installpath is a flag",
         [](const ToolRecord& r) { EXPECT_EQ(1, r.installPath); }},
        {"Installpath=0\r\n", "Installpath off",
         [](const ToolRecord& r) { EXPECT_EQ(0, r.installPath); }},
        {"CopyFiles=2\r\n", "CopyFiles is a plain integer",
         [](const ToolRecord& r) { EXPECT_EQ(2, r.copyFiles); }},
        {"Delay=3\r\nSprache_d=ger\r\nSprache_e=eng\r\n", "delay and language values",
         [](const ToolRecord& r) {
             EXPECT_EQ(3, r.delay);
             EXPECT_EQ("ger", r.languageGerman);
             EXPECT_EQ("eng", r.languageEnglish);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ToolRecord rec;
        ReadTool(c.body, rec);
        c.check(rec);
    }
}

TEST(AppToolSection, OnlyTheRunningFamilysKeyWithdraws) {
    struct Case {
        const char* body;
        bool offered95, offered98, offeredNT;
    };
    const Case cases[] = {
        {"", true, true, true},
        {"Win95=0\r\n", false, true, true},
        {"Win98=0\r\n", true, false, true},
        {"WinNT=0\r\n", true, true, false},
        {"Win95=0\r\nWinNT=2\r\n", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        ToolRecord rec;
        EXPECT_EQ(c.offered95, ReadTool(c.body, rec, FamilyWin95));
        EXPECT_EQ(c.offered98, ReadTool(c.body, rec, FamilyWin98));
        EXPECT_EQ(c.offeredNT, ReadTool(c.body, rec, FamilyNT));
    }
}

// The tool list read once for its count and names gives what counting and
// then naming each tool gives.
TEST(AppToolSection, TheListIsCountedAndNamedInOneRead) {
    struct Case {
        const char* config;  // the [Config] section's lines
        std::vector<std::string> sections;
    };
    const Case cases[] = {
        {"", {}},
        {"1=Alpha\r\n2=Beta\r\n", {"Alpha", "Beta"}},
        // A gap ends the list; what follows it is never a tool.
        {"1=Alpha\r\n2=Beta\r\n4=Delta\r\n", {"Alpha", "Beta"}},
        {"2=Beta\r\n", {}},
        // Name, blanks, a comma and a number: the name alone.
        {"1=Alpha  ,3\r\n2=Beta,1,2\r\n", {"Alpha", "Beta"}},
        // Values that name their section after their own key, as an absent
        // key would; a comma in the first place does not end the name.
        {"1=1\r\n2=2,5\r\n3= ,4\r\n", {"1", "2", ",4"}},
        // An empty value ends the list as a missing one does.
        {"1=Alpha\r\n2=\r\n3=Gamma\r\n", {"Alpha"}},
        {"1=Alpha\r\nSelectall=1\r\n2=Beta\r\n", {"Alpha", "Beta"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        TempDir dir("ini");
        const std::string path = dir / "medium.ini";
        kvttest::WriteFile(path, std::string("[Config]\r\n") + c.config);
        CIniData ini;
        ASSERT_TRUE(ini.SetIniFileName(path.c_str()));
        std::vector<std::string> sections;
        EXPECT_EQ(static_cast<int>(c.sections.size()), ReadToolSections(ini, sections));
        EXPECT_EQ(c.sections, sections);
        // The library's own count and names agree.
        EXPECT_EQ(static_cast<int>(c.sections.size()), ini.GetNumberOfSections());
        for (size_t i = 0; i < c.sections.size(); ++i) {
            char name[256] = "Config";
            ASSERT_TRUE(ini.GetSectionName(name, static_cast<int>(i) + 1) != NULL);
            EXPECT_EQ(c.sections[i], std::string(name));
        }
    }
}

// No file, and a list too long to be one, name no tools.
TEST(AppToolSection, NoFileAndAnEndlessListHaveNoTools) {
    TempDir dir("ini");
    std::vector<std::string> sections(1, "stale");
    CIniData absent;
    ASSERT_TRUE(absent.SetIniFileName((dir / "absent.ini").c_str()));
    EXPECT_EQ(0, ReadToolSections(absent, sections));
    EXPECT_TRUE(sections.empty());

    std::string list = "[Config]\r\n";
    for (int n = 1; n <= 999; ++n) list += std::to_string(n) + "=T" + std::to_string(n) + "\r\n";
    const std::string full = dir / "full.ini";
    kvttest::WriteFile(full, list);
    CIniData endless;
    ASSERT_TRUE(endless.SetIniFileName(full.c_str()));
    EXPECT_EQ(0, ReadToolSections(endless, sections));
    EXPECT_TRUE(sections.empty());
    EXPECT_EQ(0, endless.GetNumberOfSections());
}

TEST(AppSlotLayout, RowsColumnsAndWidths) {
    struct Box {
        int index;
        RECT rect;
    };
    struct Case {
        const char* what;
        RECT group;
        int count;
        std::vector<int> withdrawn;
        std::vector<Box> boxes;
    };
    // A group box 220 x 340 at (100, 50): 16 rows of 20 pixels, middle 210.
    const RECT tall = {100, 50, 320, 390};
    // One 319 pixels high (as under Wine's dialog font) holds 15 rows; the
    // rules stay the same there.
    const RECT shortBox = {100, 50, 320, 369};
    const Case cases[] = {
        {"one tool", tall, 1, {}, {{0, {110, 67, 318, 87}}}},
        {"16 tools: one column", tall, 16, {},
         {{0, {110, 67, 318, 87}}, {15, {110, 367, 318, 387}}}},
        {"20 tools: four half-width rows, then the second column", tall, 20, {},
         {{0, {110, 67, 208, 87}}, {3, {110, 127, 208, 147}}, {4, {110, 147, 318, 167}},
          {15, {110, 367, 318, 387}}, {16, {210, 67, 318, 87}}, {19, {210, 127, 318, 147}}}},
        {"32 tools", tall, 32, {},
         {{15, {110, 367, 208, 387}}, {16, {210, 67, 318, 87}}, {31, {210, 367, 318, 387}}}},
        {"a withdrawn tool keeps the slot and takes no row", tall, 3, {1},
         {{0, {110, 67, 318, 87}}, {1, {110, 67, 318, 87}}, {2, {110, 87, 318, 107}}}},
        {"the width rule counts withdrawn tools", tall, 18, {0, 1},
         {{0, {110, 47, 208, 67}}, {1, {110, 47, 208, 67}}, {2, {110, 67, 318, 87}},
          {17, {110, 367, 318, 387}}}},
        {"a withdrawn tool after a full column sits at the new column's start", tall, 18, {16},
         {{15, {110, 367, 318, 387}}, {16, {210, 47, 318, 67}}, {17, {210, 67, 318, 87}}}},
        {"short box, 16 tools: the 16th starts the second column", shortBox, 16, {},
         {{14, {110, 347, 318, 367}}, {15, {210, 67, 318, 87}}}},
        {"short box, 20 tools: columns of 15", shortBox, 20, {},
         {{3, {110, 127, 208, 147}}, {4, {110, 147, 318, 167}}, {14, {110, 347, 318, 367}},
          {15, {210, 67, 318, 87}}, {19, {210, 147, 318, 167}}}},
        {"short box, 32 tools: a box of negative width, then a third column over the second",
         shortBox, 32, {},
         {{14, {110, 347, 208, 367}}, {15, {210, 67, 208, 87}}, {16, {210, 87, 318, 107}},
          {29, {210, 347, 318, 367}}, {30, {210, 67, 318, 87}}, {31, {210, 87, 318, 107}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SlotLayout layout(c.group, c.count);
        std::vector<RECT> placed;
        for (int i = 0; i < c.count; ++i) {
            bool withdrawn = false;
            for (int w : c.withdrawn) withdrawn = withdrawn || w == i;
            placed.push_back(layout.Place(i, !withdrawn));
        }
        for (const Box& b : c.boxes) {
            const RECT& r = placed[static_cast<size_t>(b.index)];
            EXPECT_TRUE(EqualRect(&r, &b.rect))
                << "tool " << b.index + 1 << ": " << r.left << "," << r.top << "," << r.right
                << "," << r.bottom;
        }
    }
}

TEST(AppTexts, GermanUmlautsAreCodePage1252) {
    EXPECT_STREQ("Alles ausw\xE4hlen", DialogText(TXT_SELECT_ALL, LanguageGerman));
    EXPECT_STREQ("Auswahl l\xF6schen", DialogText(TXT_UNSELECT_ALL, LanguageGerman));
    EXPECT_STREQ("Unselect all", DialogText(TXT_UNSELECT_ALL, LanguageEnglish));
    EXPECT_STREQ("Setup %s starten", DialogText(TXT_STARTING_SETUP, LanguageGerman));
    EXPECT_STREQ("Restarting Windows, please wait", DialogText(TXT_RESTARTING, LanguageEnglish));
    EXPECT_STREQ("", DialogText(TXT_COUNT, LanguageEnglish));
    EXPECT_STREQ("", DialogText(-1, LanguageGerman));
}

TEST(AppResources, BannerIsAn8BitPaletteBitmapOf540By72) {
    // The template resource as linked into the program (this test carries the
    // same resource script).
    HRSRC res = FindResourceA(NULL, MAKEINTRESOURCEA(132), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_TRUE(res != NULL);
    ASSERT_GE(SizeofResource(NULL, res), sizeof(BITMAPINFOHEADER));
    const BITMAPINFOHEADER* h =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(NULL, res)));
    ASSERT_TRUE(h != NULL);
    EXPECT_EQ(540, h->biWidth);
    EXPECT_EQ(72, h->biHeight);
    EXPECT_EQ(8, h->biBitCount);
    // Uncompressed: a DIB section (LoadImage with LR_CREATEDIBSECTION) cannot
    // be made from run-length encoded bits.
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), h->biCompression);
    EXPECT_TRUE(h->biClrUsed == 0 || h->biClrUsed == 256);
    win::GdiObject dib(LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(132), IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION));
    EXPECT_TRUE(dib) << "the banner does not load as a DIB section";
}

namespace {

// Paints the gradient into a 24-bit bitmap of the given height and returns
// the blue value of each row (red and green must stay 0).
std::vector<int> GradientRows(int height, int top = 0) {
    const int width = 4;
    HDC screen = GetDC(NULL);
    win::MemDC dc(CreateCompatibleDC(screen));
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -(height + top);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    win::GdiObject bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, NULL, 0));
    ReleaseDC(NULL, screen);
    std::vector<int> rows;
    if (!bmp || !bits) return rows;
    // A colour no band has, to see rows the gradient left out.
    std::memset(bits, 0x7f, static_cast<size_t>(width) * (height + top) * 4);
    {
        win::SelectGuard sel(dc.get(), bmp.get());
        RECT r = {0, top, width, top + height};
        PaintGradient(dc.get(), r);
        GdiFlush();
    }
    const unsigned char* p = static_cast<const unsigned char*>(bits);
    for (int y = top; y < top + height; ++y) {
        const unsigned char* px = p + static_cast<size_t>(y) * width * 4;
        rows.push_back(px[1] == 0 && px[2] == 0 ? px[0] : -1);  // BGRA
    }
    return rows;
}

}  // namespace

TEST(AppBackdrop, GradientRunsFromBlueToBlackIn256Bands) {
    struct Case {
        int height, top;
        std::vector<std::pair<int, int>> rowBlue;  // row within the rect, expected blue
    };
    const Case cases[] = {
        {256, 0, {{0, 255}, {1, 254}, {128, 127}, {255, 0}}},
        {512, 0, {{0, 255}, {1, 255}, {2, 254}, {511, 0}}},
        {512, 37, {{0, 255}, {2, 254}, {511, 0}}},
        // Fewer rows than bands: the first bands are empty, the last row is black.
        {100, 0, {{0, 253}, {99, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.height << " top " << c.top);
        std::vector<int> rows = GradientRows(c.height, c.top);
        ASSERT_EQ(static_cast<size_t>(c.height), rows.size());
        for (size_t y = 0; y < rows.size(); ++y) {
            ASSERT_GE(rows[y], 0) << "row " << y << " not painted in pure blue";
            if (y > 0) {
                ASSERT_LE(rows[y], rows[y - 1]) << "row " << y;
            }
        }
        for (const auto& rb : c.rowBlue) EXPECT_EQ(rb.second, rows[rb.first]) << "row " << rb.first;
    }
}

namespace {

// The main dialog run modally on a thread of its own, in a medium folder
// whose INI is named after this test program.
class InProcessDialog {
public:
    explicit InProcessDialog(const std::string& iniText) : medium_("inproc") {
        char exe[MAX_PATH];
        GetModuleFileNameA(NULL, exe, sizeof exe);
        std::string name = exe;
        name = name.substr(name.find_last_of('\\') + 1);
        name = name.substr(0, name.find('.'));
        kvttest::WriteFile(medium_ / (name + ".ini"), iniText);
        GetCurrentDirectoryA(sizeof oldCwd_, oldCwd_);
        SetCurrentDirectoryA(medium_.path().c_str());
        thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
    }
    ~InProcessDialog() {
        if (dialog_.hwnd()) PostMessageA(dialog_.hwnd(), WM_COMMAND, IDCANCEL, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        SetCurrentDirectoryA(oldCwd_);
    }
    CMainDlg& dialog() { return dialog_; }
    bool WaitShown() {
        for (int i = 0; i < 200; ++i) {
            if (dialog_.hwnd() && IsWindowVisible(dialog_.hwnd())) return true;
            Sleep(50);
        }
        return false;
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<InProcessDialog*>(self)->dialog_.DoModal(NULL);
        return 0;
    }
    TempDir medium_;
    char oldCwd_[MAX_PATH] = "";
    ToolFont font_;
    CMainDlg dialog_{DetectWindowsFamily(), font_.get()};
    HANDLE thread_ = NULL;
};

}  // namespace

TEST(AppSettings, StoreWritesTheFieldsAsShown) {
    kvttest::ScratchKey key("store", HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarvo Kinetics");
    const std::string project = key.path().substr(key.path().rfind('\\') + 1);
    InProcessDialog run("[Config]\r\n1=T\r\nProject=" + project + "\r\n[T]\r\nName=T\r\n");
    ASSERT_TRUE(run.WaitShown());
    HWND dlg = run.dialog().hwnd();
    SetDlgItemTextA(dlg, 1012, "Ann Example");
    SetDlgItemTextA(dlg, 1013, "Example Works");
    SetDlgItemTextA(dlg, 1007, "x:\\typed");  // typed, not from the list
    SendDlgItemMessageA(dlg, 1004, BM_CLICK, 0, 0);
    run.dialog().StoreCurrentSettings();

    EXPECT_EQ("Ann Example", ReadSettingString(SettingsKey(project), "Name"));
    EXPECT_EQ("Example Works", ReadSettingString(SettingsKey(project), "Company"));
    EXPECT_EQ("x:\\typed", ReadSettingString(SettingsKey(project), "Drive"));
    DWORD type = 0, language = 99, size = sizeof language;
    win::RegKey k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, SettingsKey(project).c_str(), 0,
                                           KEY_READ, k.receive()));
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(k.get(), "Language", NULL, &type,
                                              reinterpret_cast<BYTE*>(&language), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(1u, language);

    // An emptied project field names no key: nothing is written.
    SetDlgItemTextA(dlg, 1011, "");
    SetDlgItemTextA(dlg, 1012, "Other Name");
    run.dialog().StoreCurrentSettings();
    EXPECT_EQ("Ann Example", ReadSettingString(SettingsKey(project), "Name"));
    EXPECT_EQ("", ReadSettingString("SOFTWARE\\Tarvo Kinetics", "Name"));
}

namespace {

// Stands in for Windows' restart: notes the requests and answers as told.
class FakeRestart : public SystemRestart {
public:
    FakeRestart(bool privilege, bool restart) : privilege_(privilege), restart_(restart) {}
    bool EnableShutdownPrivilege() override {
        calls.push_back("privilege");
        return privilege_;
    }
    bool RequestRestart() override {
        calls.push_back("restart");
        return restart_;
    }
    std::vector<std::string> calls;

private:
    bool privilege_, restart_;
};

}  // namespace

TEST(AppExit, TheRestartQuestionAndItsAnswers) {
    // This test program runs as an NT-family program: the privilege comes
    // before the restart request.
    const char* kQuestion =
        "To complete the installation you need to reboot the computer.\n\nDo you wish to reboot now?";
    const char* kRefused = "Not possible to restart Windows!\n\nYou need to reboot it manually.";
    struct Case {
        const char* what;
        std::vector<int> answers;   // to the question, Exit after Exit
        bool privilege, restart;
        std::vector<std::string> calls;
        const char* caption;        // of the message after Yes; null: none
        const char* text;
    } cases[] = {
        {"Cancel keeps the dialog and asks again; No closes", {IDCANCEL, IDNO}, true, true, {}, nullptr, nullptr},
        {"Yes and a restart under way", {IDYES}, true, true, {"privilege", "restart"}, "Exit",
         "Restarting Windows, please wait"},
        {"Yes without the privilege", {IDYES}, false, true, {"privilege"}, "Error", kRefused},
        {"Yes and the restart refused", {IDYES}, true, false, {"privilege", "restart"}, "Error", kRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRestart restart(c.privilege, c.restart);
        InProcessDialog run("[Config]\r\n1=T\r\n[T]\r\nName=T\r\n");
        ASSERT_TRUE(run.WaitShown());
        run.dialog().SetSystemRestart(restart);
        run.dialog().installRun().restartNeeded = 1;
        HWND dlg = run.dialog().hwnd();
        const DWORD me = GetCurrentProcessId();
        for (size_t i = 0; i < c.answers.size(); ++i) {
            ASSERT_TRUE(apptest::PressCommand(dlg, IDCANCEL));
            HWND box = NULL;
            ASSERT_TRUE(apptest::WaitFor([&] { return (box = apptest::FindMessageBox(me, "Restart Windows?")) != NULL; },
                                         10000));
            EXPECT_EQ(kQuestion, apptest::MessageBoxText(box));
            ASSERT_TRUE(apptest::PressCommand(box, c.answers[i]));
            if (c.answers[i] == IDCANCEL) {
                ASSERT_TRUE(apptest::WaitFor([&] { return apptest::FindMessageBox(me, "Restart Windows?") == NULL; },
                                             10000));
                EXPECT_TRUE(IsWindow(dlg));
                EXPECT_EQ(1, run.dialog().installRun().restartNeeded);
            }
        }
        if (c.caption) {
            HWND box = NULL;
            ASSERT_TRUE(apptest::WaitFor([&] { return (box = apptest::FindMessageBox(me, c.caption)) != NULL; }, 10000));
            EXPECT_EQ(c.text, apptest::MessageBoxText(box));
            ASSERT_TRUE(apptest::PressCommand(box, IDOK));
        }
        EXPECT_TRUE(apptest::WaitFor([&] { return !IsWindow(dlg); }, 10000));
        EXPECT_EQ(c.calls, restart.calls);
        if (c.answers.back() == IDYES) {
            EXPECT_EQ(0, run.dialog().installRun().restartNeeded);   // a restart was tried
        }
    }
}

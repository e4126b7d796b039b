// KVTInstall started as a program in a medium folder of its own and driven
// through its windows: the catalogue, the buttons, the two languages, the
// project field and the settings kept per project.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AppDriver.h"
#include "AppRun.h"
#include "Settings.h"
#include "Varnet01.h"
#include "TestSupport.h"

using apptest::AppProcess;
using apptest::AppRun;
using apptest::ToolsIni;
using apptest::Click;
using apptest::Send;
using apptest::SetText;
using apptest::Text;
using kvttest::BinDir;
using kvttest::ScratchKey;
using kvttest::TempDir;

namespace {

using namespace apptest::ids;


}  // namespace

// ---- Catalogue ----

TEST(AppCatalogue, ToolsFromConsecutiveKeysWithCaptionsIdsAndStates) {
    // Key 4 is missing, so tool 5 is never read; "Beta  ,7" names [Beta];
    // [Nameless] has no Name.
    AppRun run(
        "[Config]\r\n1=Alpha\r\n2=Beta  ,7\r\n3=Nameless\r\n5=Epsilon\r\nSelectall=1\r\n"
        "[Alpha]\r\nName=Alpha Tool\r\n"
        "[Beta]\r\nName=Beta Tool\r\nSelect=0\r\n"
        "[Beta  ]\r\nName=Wrong Beta\r\n"
        "[Nameless]\r\nDir=Somewhere\r\n"
        "[Epsilon]\r\nName=Epsilon Tool\r\n");
    ASSERT_TRUE(run.Dialog() != NULL);
    struct Expect {
        const char* caption;
        bool checked;
    };
    const Expect tools[] = {{"Alpha Tool", true}, {"Beta Tool", false}, {"?", true}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(tools[i].caption);
        HWND box = run.Item(kFirstTool + i);
        ASSERT_TRUE(box != NULL);
        EXPECT_EQ(kFirstTool + i, GetDlgCtrlID(box));
        EXPECT_EQ(tools[i].caption, Text(box));
        EXPECT_TRUE(IsWindowVisible(box));
        EXPECT_TRUE(IsWindowEnabled(box));
        LONG style = GetWindowLongA(box, GWL_STYLE);
        EXPECT_EQ(BS_CHECKBOX, style & BS_TYPEMASK);
        EXPECT_TRUE(style & WS_TABSTOP);
        EXPECT_EQ(tools[i].checked, run.Checked(kFirstTool + i));
    }
    EXPECT_TRUE(run.Item(kFirstTool + 3) == NULL);
    EXPECT_TRUE(run.Item(kFirstTool + 4) == NULL);
    EXPECT_TRUE(run.Enabled(kInstall));
    EXPECT_EQ("", run.ItemText(kStatus));
    run.Exit();
}

namespace {

// Where the slot rules put tool i's box in group box `g` (dialog client
// coordinates), for `count` tools of which those in `withdrawn` (1-based) are
// not offered: rows of 20 pixels from 17 below the top edge, half width while
// more than 16 tools remain, a new column from the middle once a box's bottom
// reaches the bottom edge less 20. Worked out step by step as the rules read.
std::vector<RECT> ExpectedSlots(const RECT& g, int count, const std::vector<int>& withdrawn) {
    std::vector<RECT> out;
    const int mid = (g.left + g.right) / 2;
    int left = g.left + 10, top = g.top - 3;
    for (int i = 0; i < count; ++i) {
        bool offered = true;
        for (int w : withdrawn) offered = offered && w != i + 1;
        if (offered) top += 20;
        const int right = count - i <= 16 ? g.right - 2 : mid - 2;
        out.push_back(RECT{left, top, right, top + 20});
        if (top + 20 >= g.bottom - 20) {
            left = mid;
            top = g.top - 3;
        }
    }
    return out;
}

}  // namespace

TEST(AppCatalogue, SlotsFollowTheRowColumnAndWidthRulesInTheRealGroupBox) {
    struct Case {
        int count;
        std::vector<int> withdrawn;  // 1-based tool numbers with WinNT=0
    };
    // One column; one column with gaps; the width rule counts withdrawn tools
    // too (18 tools, the first two withdrawn: all offered boxes full width);
    // two columns with half-width boxes beyond 16 tools; the limit of 32.
    const Case cases[] = {{1, {}},  {6, {2, 5}}, {16, {}}, {18, {1, 2}},
                          {20, {}}, {20, {3, 17}}, {32, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " tools, " << c.withdrawn.size()
                                        << " withdrawn");
        std::vector<std::string> extra(static_cast<size_t>(c.count));
        for (int w : c.withdrawn) extra[static_cast<size_t>(w) - 1] = "WinNT=0\r\n";
        AppRun run(ToolsIni(c.count, "", extra));
        ASSERT_TRUE(run.Dialog() != NULL);
        const RECT g = run.ItemRect(kTools);
        const std::vector<RECT> expected = ExpectedSlots(g, c.count, c.withdrawn);
        bool secondColumn = false;
        for (int i = 0; i < c.count; ++i) {
            SCOPED_TRACE(testing::Message() << "tool " << i + 1);
            HWND box = run.Item(kFirstTool + i);
            ASSERT_TRUE(box != NULL);
            bool withdrawn = false;
            for (int w : c.withdrawn) withdrawn = withdrawn || w == i + 1;
            EXPECT_EQ(!withdrawn, IsWindowVisible(box) != FALSE);
            EXPECT_EQ(!withdrawn, IsWindowEnabled(box) != FALSE);
            EXPECT_EQ(!withdrawn, (GetWindowLongA(box, GWL_STYLE) & WS_TABSTOP) != 0);
            if (withdrawn) {
                EXPECT_FALSE(run.Checked(kFirstTool + i));
            }
            const RECT& e = expected[static_cast<size_t>(i)];
            const RECT r = run.ItemRect(kFirstTool + i);
            EXPECT_EQ(e.left, r.left);
            EXPECT_EQ(e.top, r.top);
            EXPECT_EQ(e.bottom, r.bottom);
            // A slot whose right edge lies left of its left edge makes a box
            // of no width.
            EXPECT_EQ(e.right > e.left ? e.right : e.left, r.right);
            secondColumn = secondColumn || (!withdrawn && r.left != g.left + 10);
        }
        EXPECT_TRUE(run.Item(kFirstTool + c.count) == NULL);
        // The cases beyond 16 offered tools do reach the second column.
        if (c.count - static_cast<int>(c.withdrawn.size()) > 16) {
            EXPECT_TRUE(secondColumn);
        }
        run.Exit();
    }
}

TEST(AppCatalogue, UnloadableIniShowsItsMessageAndEndsLikeExit) {
    std::string tooMany = ToolsIni(33);
    std::string exactly32 = ToolsIni(32);
    struct Case {
        const char* what;
        const char* ini;  // null: no file
        const char* message;
    } cases[] = {
        {"missing", nullptr, "KVTInstall.ini not found!"},
        {"no tool keys", "[Config]\r\nSelectall=1\r\n[T1]\r\nName=x\r\n",
         "Wrong Definition of Tools in KVTInstall.ini!"},
        {"keys not starting at 1", "[Config]\r\n2=T2\r\n[T2]\r\nName=x\r\n",
         "Wrong Definition of Tools in KVTInstall.ini!"},
        {"33 tools", tooMany.c_str(), "Too many Tools defined.\nMaximum 32 Tools allowed!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppRun run(c.ini);
        ASSERT_TRUE(run.app().started());
        HWND box = run.app().WaitMessageBox("Error");
        ASSERT_TRUE(box != NULL) << "no error box";
        EXPECT_EQ(c.message, apptest::MessageBoxText(box));
        EXPECT_TRUE(apptest::FindMainDialog(run.app().pid()) == NULL);
        ASSERT_TRUE(apptest::PressCommand(box, IDOK));
        DWORD code = 1234;
        ASSERT_TRUE(run.app().WaitExit(20000, &code)) << "program still runs";
        EXPECT_EQ(0u, code);
    }
    // The limit itself loads.
    AppRun run(exactly32);
    ASSERT_TRUE(run.Dialog() != NULL);
    EXPECT_TRUE(run.Item(kFirstTool + 31) != NULL);
    run.Exit();
}

TEST(AppCatalogue, SelectDefaultsToSelectall) {
    struct Case {
        const char* selectAll;
        const char* select;  // null: no Select key
        bool checked;
    };
    const Case cases[] = {
        {"1", nullptr, true}, {"1", "0", false}, {"1", "3", true},
        {"0", nullptr, false}, {"0", "1", true}, {"0", "5", true},
    };
    for (const char* selectAll : {"0", "1"}) {
        std::vector<std::string> extra;
        std::vector<bool> expect;
        for (const Case& c : cases) {
            if (std::string(c.selectAll) != selectAll) continue;
            extra.push_back(c.select ? std::string("Select=") + c.select + "\r\n" : "");
            expect.push_back(c.checked);
        }
        // A withdrawn tool does not take Selectall as its default.
        extra.push_back("WinNT=0\r\n");
        expect.push_back(false);
        AppRun run(ToolsIni(static_cast<int>(extra.size()),
                         std::string("Selectall=") + selectAll + "\r\n", extra));
        ASSERT_TRUE(run.Dialog() != NULL);
        for (size_t i = 0; i < expect.size(); ++i)
            EXPECT_EQ(expect[i], run.Checked(kFirstTool + static_cast<int>(i)))
                << "Selectall=" << selectAll << ", tool " << i + 1;
        EXPECT_EQ(selectAll[0] == '1' ? "Unselect all" : "Select all", run.ItemText(kSelectAll));
        run.Exit();
    }
}

TEST(AppCatalogue, ClicksToggleToolsAndInstallFollowsTheSelection) {
    // Tool 3 is withdrawn on this (NT) family.
    AppRun run(ToolsIni(3, "", {"", "", "WinNT=0\r\n"}));
    ASSERT_TRUE(run.Dialog() != NULL);
    EXPECT_FALSE(run.Enabled(kInstall));
    EXPECT_TRUE(run.Enabled(kSelectAll));
    EXPECT_EQ("Select all", run.ItemText(kSelectAll));

    run.ClickItem(kFirstTool);
    EXPECT_TRUE(run.Checked(kFirstTool));
    EXPECT_TRUE(run.Enabled(kInstall));
    run.ClickItem(kFirstTool + 1);
    run.ClickItem(kFirstTool);
    EXPECT_FALSE(run.Checked(kFirstTool));
    EXPECT_TRUE(run.Enabled(kInstall)) << "tool 2 is still selected";
    run.ClickItem(kFirstTool + 1);
    EXPECT_FALSE(run.Enabled(kInstall));

    // Select all checks every enabled tool, and only those.
    run.ClickItem(kSelectAll);
    EXPECT_EQ("Unselect all", run.ItemText(kSelectAll));
    EXPECT_TRUE(run.Checked(kFirstTool));
    EXPECT_TRUE(run.Checked(kFirstTool + 1));
    EXPECT_FALSE(run.Checked(kFirstTool + 2));
    EXPECT_TRUE(run.Enabled(kInstall));

    run.ClickItem(kSelectAll);
    EXPECT_EQ("Select all", run.ItemText(kSelectAll));
    EXPECT_FALSE(run.Checked(kFirstTool));
    EXPECT_FALSE(run.Checked(kFirstTool + 1));
    EXPECT_FALSE(run.Enabled(kInstall));

    // Enter (Install) does not end the program.
    ASSERT_TRUE(apptest::PressCommand(run.Dialog(), kInstall));
    Send(run.Dialog(), WM_NULL);
    EXPECT_TRUE(IsWindow(run.Dialog()));
    run.Exit();
}

TEST(AppCatalogue, SelectAllStaysDisabledWhenNoToolIsOffered) {
    AppRun run(ToolsIni(2, "Selectall=1\r\n", {"WinNT=0\r\n", "WinNT=0\r\n"}));
    ASSERT_TRUE(run.Dialog() != NULL);
    EXPECT_FALSE(run.Enabled(kSelectAll));
    EXPECT_FALSE(run.Enabled(kInstall));
    // Neither a click nor a language change brings it back.
    run.ClickItem(kSelectAll);
    run.ClickItem(kGerman);
    EXPECT_FALSE(run.Enabled(kSelectAll));
    EXPECT_FALSE(run.Enabled(kInstall));
    run.Exit();
}

TEST(AppCatalogue, EscapeAndClosingEndTheProgram) {
    struct Case {
        const char* what;
        UINT msg;
        WPARAM wp;
    };
    const Case cases[] = {
        {"Escape", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {"closing", WM_CLOSE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppRun run(ToolsIni(1));
        ASSERT_TRUE(run.Dialog() != NULL);
        ASSERT_TRUE(PostMessageA(run.Dialog(), c.msg, c.wp, 0));
        DWORD code = 1234;
        ASSERT_TRUE(run.app().WaitExit(20000, &code));
        EXPECT_EQ(0u, code);
    }
}

// ---- The main dialog's template ----

namespace {

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Dialog units of the main dialog in pixels. MapDialogRect works only on a
// dialog of one's own process: a hidden copy of the template (linked into
// this test) has the same font and so the same units.
class DialogUnits {
public:
    DialogUnits()
        : copy_(CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(102), NULL,
                                   InertDialog, 0)) {}
    ~DialogUnits() {
        if (copy_) DestroyWindow(copy_);
    }
    bool valid() const { return copy_ != NULL; }
    RECT Map(int left, int top, int width, int height) const {
        RECT r = {left, top, left + width, top + height};
        MapDialogRect(copy_, &r);
        return r;
    }

private:
    HWND copy_;
};

}  // namespace

TEST(AppMainDialog, ControlsSitWhereTheLayoutPutsThem) {
    AppRun run(ToolsIni(1, "Project=Fixed\r\n"));
    HWND dlg = run.Dialog();
    ASSERT_TRUE(dlg != NULL);
    DialogUnits units;
    ASSERT_TRUE(units.valid());
    struct Control {
        int id;
        RECT dlu;  // left, top, width, height in dialog units
        const char* cls;
        LONG styleBits;  // must all be set
    };
    const Control controls[] = {
        {1014, {7, 43, 138, 27}, "Button", BS_GROUPBOX},
        // (A radio button keeps WS_TABSTOP only while it is checked.)
        {1003, {17, 55, 65, 10}, "Button", BS_RADIOBUTTON | WS_GROUP},
        {1004, {81, 55, 57, 10}, "Button", BS_RADIOBUTTON | WS_GROUP},
        {1015, {8, 75, 49, 35}, "Button", BS_GROUPBOX},
        {1016, {66, 75, 79, 35}, "Button", BS_GROUPBOX},
        {1011, {72, 90, 66, 12}, "Edit", ES_AUTOHSCROLL},
        {1017, {7, 115, 138, 76}, "Button", BS_GROUPBOX},
        {1019, {13, 125, 73, 10}, "Static", 0},
        {1012, {13, 137, 125, 12}, "Edit", ES_AUTOHSCROLL},
        {1020, {13, 157, 84, 10}, "Static", 0},
        {1013, {13, 169, 125, 12}, "Edit", ES_AUTOHSCROLL},
        {1, {7, 199, 38, 14}, "Button", BS_DEFPUSHBUTTON},
        {1000, {49, 199, 54, 14}, "Button", 0},
        {2, {108, 199, 38, 14}, "Button", 0},
        {1018, {151, 43, 110, 170}, "Button", BS_GROUPBOX},
        {1023, {7, 218, 254, 12}, "Static", SS_CENTER | SS_CENTERIMAGE},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        HWND h = GetDlgItem(dlg, c.id);
        ASSERT_TRUE(h != NULL);
        // Origin and size are converted separately, as the dialog manager does.
        const RECT at = units.Map(c.dlu.left, c.dlu.top, 0, 0);
        const RECT size = units.Map(0, 0, c.dlu.right, c.dlu.bottom);
        const RECT r = run.ItemRect(c.id);
        EXPECT_EQ(at.left, r.left);
        EXPECT_EQ(at.top, r.top);
        EXPECT_EQ(size.right, r.right - r.left);
        EXPECT_EQ(size.bottom, r.bottom - r.top);
        char cls[32] = "";
        GetClassNameA(h, cls, sizeof cls);
        EXPECT_STREQ(c.cls, cls);
        LONG style = GetWindowLongA(h, GWL_STYLE);
        if (c.cls == std::string("Button")) {
            EXPECT_EQ(c.styleBits & BS_TYPEMASK, style & BS_TYPEMASK);
        } else if (c.cls == std::string("Static")) {
            EXPECT_EQ(c.styleBits & SS_TYPEMASK, style & SS_TYPEMASK);
        }
        EXPECT_EQ(c.styleBits & ~0x1FL, style & c.styleBits & ~0x1FL);
        if (c.cls == std::string("Edit")) {
            // A bordered edit gets the sunken 3-D edge instead of the line.
            EXPECT_TRUE((style & WS_BORDER) || (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        }
    }
    // The drive list is an editable, sorted drop-down list.
    LONG combo = GetWindowLongA(run.Item(kDrive), GWL_STYLE);
    EXPECT_EQ(CBS_DROPDOWN, combo & 3);
    EXPECT_TRUE(combo & CBS_SORT);
    const RECT driveAt = units.Map(13, 89, 0, 0);
    EXPECT_EQ(driveAt.left, run.ItemRect(kDrive).left);
    EXPECT_EQ(driveAt.top, run.ItemRect(kDrive).top);

    // A dialog of 270 x 258 units without a caption bar, with a task-bar button.
    RECT client;
    GetClientRect(dlg, &client);
    const RECT size = units.Map(0, 0, 270, 258);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);
    EXPECT_FALSE((GetWindowLongA(dlg, GWL_STYLE) & WS_CAPTION) == WS_CAPTION);
    EXPECT_TRUE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    // The banner bitmap and the product line below everything.
    HWND banner = NULL, product = NULL;
    for (HWND h = GetWindow(dlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(h) != -1 && GetDlgCtrlID(h) != 0xFFFF) continue;
        if ((GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) banner = h;
        else product = h;
    }
    ASSERT_TRUE(banner != NULL);
    HBITMAP bmp = reinterpret_cast<HBITMAP>(Send(banner, STM_GETIMAGE, IMAGE_BITMAP));
    EXPECT_TRUE(bmp != NULL);
    RECT b;
    GetWindowRect(banner, &b);
    EXPECT_EQ(540, b.right - b.left);
    EXPECT_EQ(72, b.bottom - b.top);
    ASSERT_TRUE(product != NULL);
    EXPECT_EQ(0u, Text(product).find("Tarvo Kinetics Kitbay V3.24\n"));

    // The backdrop behind it covers the screen, is maximised and owns the dialog.
    HWND backdrop = GetWindow(dlg, GW_OWNER);
    ASSERT_TRUE(backdrop != NULL);
    EXPECT_TRUE(IsZoomed(backdrop));
    EXPECT_TRUE(IsWindowVisible(backdrop));
    EXPECT_FALSE((GetWindowLongA(backdrop, GWL_STYLE) & WS_CAPTION) == WS_CAPTION);
    run.Exit();
}

// ---- Language ----

namespace {

struct ControlText {
    int id;
    const char* english;
    const char* german;
};
const ControlText kControlTexts[] = {
    {1014, "Language", "Sprache"},
    {1015, "Target Drive", "Ziellaufwerk"},
    {1016, "Project", "Projekt"},
    {1017, "User Information", "Benutzerinformation"},
    {1018, "Software Tools", "Anwendungen"},
    {1019, "Name", "Name"},
    {1020, "Company", "Firma"},
    {1003, "English", "Englisch"},
    {1004, "German", "Deutsch"},
    {1, "Install", "Installieren"},
    {2, "Exit", "Beenden"},
};

void ExpectLanguage(AppRun& run, int language, bool selectAll) {
    SCOPED_TRACE(language ? "German" : "English");
    for (const ControlText& t : kControlTexts)
        EXPECT_EQ(language ? t.german : t.english, run.ItemText(t.id)) << "control " << t.id;
    const char* selectAllText = selectAll ? (language ? "Auswahl l\xF6schen" : "Unselect all")
                                          : (language ? "Alles ausw\xE4hlen" : "Select all");
    EXPECT_EQ(selectAllText, run.ItemText(kSelectAll));
    EXPECT_EQ(language == 0, run.Checked(kEnglish));
    EXPECT_EQ(language == 1, run.Checked(kGerman));
}

}  // namespace

TEST(AppLanguage, EveryControlTextInBothLanguages) {
    AppRun run(ToolsIni(2));
    ASSERT_TRUE(run.Dialog() != NULL);
    ExpectLanguage(run, 0, false);
    run.ClickItem(kGerman);
    ExpectLanguage(run, 1, false);
    run.ClickItem(kSelectAll);
    ExpectLanguage(run, 1, true);
    run.ClickItem(kEnglish);
    ExpectLanguage(run, 0, true);
    // Clicking the checked radio button again changes nothing.
    run.ClickItem(kEnglish);
    ExpectLanguage(run, 0, true);
    run.Exit();
}

TEST(AppLanguage, InitialLanguageFromConfig) {
    struct Case {
        const char* config;
        int language;
    };
    const Case cases[] = {{"Language=1\r\n", 1}, {"Language=0\r\n", 0}, {"Language=2\r\n", 0},
                          {"", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        AppRun run(ToolsIni(1, c.config));
        ASSERT_TRUE(run.Dialog() != NULL);
        ExpectLanguage(run, c.language, false);
        run.Exit();
    }
}

// ---- Project field and settings ----

TEST(AppProject, FieldFollowsProjectAndProjectEdit) {
    struct Case {
        const char* config;
        const char* text;
        bool enabled;
    };
    const Case cases[] = {
        {"", "KVT", true},
        {"Project=\r\n", "KVT", true},
        {"Project=Bridge\r\n", "Bridge", false},
        {"Project=Bridge\r\nProjectEdit=1\r\n", "Bridge", true},
        {"Project=Bridge\r\nProjectEdit=0\r\n", "Bridge", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        AppRun run(ToolsIni(1, c.config));
        ASSERT_TRUE(run.Dialog() != NULL);
        EXPECT_EQ(c.text, run.ItemText(kProject));
        EXPECT_EQ(c.enabled, run.Enabled(kProject));
        run.Exit();
    }
}

namespace {

// A project of its own under HKLM\SOFTWARE\Tarvo Kinetics, removed afterwards.
class StoredProject {
public:
    StoredProject() : key_("proj", HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarvo Kinetics") {}
    std::string name() const { return key_.path().substr(key_.path().rfind('\\') + 1); }
    // `language` is the number stored, whatever it is.
    void Store(const char* user, const char* company, const char* drive, int language) {
        StoreSettings(name(), user, company, drive, LanguageFromValue(language));
        fWriteRegistryValue(HKEY_LOCAL_MACHINE, SettingsKey(name()).c_str(), "Language",
                            static_cast<DWORD>(language));
    }

private:
    ScratchKey key_;
};

std::vector<std::string> FixedDrives() {
    std::vector<std::string> drives;
    for (char c = 'A'; c <= 'Z'; ++c) {
        char root[4] = {c, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_FIXED) drives.push_back(root);
    }
    return drives;
}

}  // namespace

TEST(AppSettings, StoredValuesRestoredAtStart) {
    std::vector<std::string> drives = FixedDrives();
    ASSERT_FALSE(drives.empty());
    const std::string last = drives.back();
    // A lower-case two-character drive ("z:") selects that drive's entry.
    std::string shortDrive = {static_cast<char>(last[0] - 'A' + 'a'), ':'};

    StoredProject stored;
    stored.Store("Ann Example", "Example Works", shortDrive.c_str(), 1);
    const std::string config = "Project=" + stored.name() +
                               "\r\nName=Ini Name\r\nCompany=Ini Co\r\nLanguage=0\r\n";
    AppRun run(ToolsIni(1, config));
    ASSERT_TRUE(run.Dialog() != NULL);
    EXPECT_EQ("Ann Example", run.ItemText(kName));
    EXPECT_EQ("Example Works", run.ItemText(kCompany));
    EXPECT_EQ(last, run.ItemText(kDrive));
    ExpectLanguage(run, 1, false);
    EXPECT_EQ(static_cast<LRESULT>(drives.size()), Send(run.Item(kDrive), CB_GETCOUNT));
    run.Exit();
}

TEST(AppSettings, FallBacksAtStart) {
    std::vector<std::string> drives = FixedDrives();
    ASSERT_FALSE(drives.empty());
    struct Case {
        const char* what;
        bool store;
        const char* name;
        const char* drive;
        int language;
        const char* expectName;
        int expectLanguage;
    };
    const Case cases[] = {
        {"no key: the INI's values, the first fixed disk", false, "", "", 0, "Ini Name", 1},
        {"empty stored name: the INI's name", true, "", "Q:\\", 0, "Ini Name", 0},
        {"stored language other than 1 is English", true, "Kim", "", 7, "Kim", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoredProject project;
        if (c.store) project.Store(c.name, "Stored Co", c.drive, c.language);
        AppRun run(ToolsIni(1, "Project=" + project.name() +
                                "\r\nName=Ini Name\r\nCompany=Ini Co\r\nLanguage=1\r\n"));
        ASSERT_TRUE(run.Dialog() != NULL);
        EXPECT_EQ(c.expectName, run.ItemText(kName));
        EXPECT_EQ(c.store ? "Stored Co" : "Ini Co", run.ItemText(kCompany));
        EXPECT_EQ(drives.front(), run.ItemText(kDrive)) << "a drive that is no fixed disk";
        ExpectLanguage(run, c.expectLanguage, false);
        run.Exit();
    }
}

TEST(AppSettings, ProjectChangeReloadsDriveNameAndCompanyButNotLanguage) {
    std::vector<std::string> drives = FixedDrives();
    if (drives.size() < 2) GTEST_SKIP() << "needs two fixed disks";
    const std::string last = drives.back();
    std::string shortDrive = {static_cast<char>(last[0] - 'A' + 'a'), ':'};

    StoredProject first, other, sparse;
    other.Store("Bob Other", "Other Co", shortDrive.c_str(), 1);
    sparse.Store("", "", "", 1);
    AppRun run(ToolsIni(1, "Project=" + first.name() +
                            "\r\nProjectEdit=1\r\nName=Ini Name\r\nCompany=Ini Co\r\n"));
    ASSERT_TRUE(run.Dialog() != NULL);
    EXPECT_EQ(drives.front(), run.ItemText(kDrive));
    EXPECT_EQ("Ini Name", run.ItemText(kName));

    ASSERT_TRUE(SetText(run.Item(kProject), other.name()));
    EXPECT_EQ("Bob Other", run.ItemText(kName));
    EXPECT_EQ("Other Co", run.ItemText(kCompany));
    EXPECT_EQ(last, run.ItemText(kDrive));
    ExpectLanguage(run, 0, false);

    // A project with empty stored values, one without a key, and an empty
    // project leave every field as it is.
    for (const std::string& project :
         {sparse.name(), first.name() + "-none", std::string()}) {
        SCOPED_TRACE("project '" + project + "'");
        ASSERT_TRUE(SetText(run.Item(kProject), project));
        EXPECT_EQ("Bob Other", run.ItemText(kName));
        EXPECT_EQ("Other Co", run.ItemText(kCompany));
        EXPECT_EQ(last, run.ItemText(kDrive));
    }
    run.Exit();
}

// ---- Windows families ----

TEST(AppWindowsFamily, ToolsOfferedUnderWin95Win98AndNT4) {
    const std::string ini = ToolsIni(4, "Selectall=1\r\n",
                                     {"", "Win95=0\r\n", "Win98=0\r\n", "WinNT=0\r\n"});
    struct Case {
        const char* version;
        bool offered[4];
    };
    const Case cases[] = {
        {"win95", {true, false, true, true}},
        {"win98", {true, true, false, true}},
        {"nt40", {true, true, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        const std::string name = kvttest::UniqueName("kvtfamily");
        const std::string exe = BinDir() + "\\" + name + ".exe";
        ASSERT_TRUE(CopyFileA((BinDir() + "\\KVTInstall.exe").c_str(), exe.c_str(), FALSE));
        kvttest::SetWineVersionFor(name + ".exe", c.version);
        {
            AppRun run(ini, name);
            ASSERT_TRUE(run.Dialog() != NULL);
            int row = 0;
            for (int i = 0; i < 4; ++i) {
                HWND box = run.Item(kFirstTool + i);
                ASSERT_TRUE(box != NULL);
                EXPECT_EQ(c.offered[i], IsWindowVisible(box) != FALSE) << "tool " << i + 1;
                EXPECT_EQ(c.offered[i], IsWindowEnabled(box) != FALSE) << "tool " << i + 1;
                EXPECT_EQ(c.offered[i], run.Checked(kFirstTool + i)) << "tool " << i + 1;
                // Offered tools close up: no gap where a tool is withdrawn.
                if (c.offered[i]) {
                    EXPECT_EQ(run.ItemRect(kTools).top + 17 + 20 * row, run.ItemRect(kFirstTool + i).top);
                    ++row;
                }
            }
            run.Exit();
        }
        kvttest::SetWineVersionFor(name + ".exe", nullptr);
        DeleteFileA(exe.c_str());
    }
}

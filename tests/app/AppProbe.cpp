// Command-line helper of scripts/run.sh: drives whichever KVTInstall runs in
// the Wine prefix as a user would.
//   kvt_app_probe wait [timeout-ms]   exit code 0 once the main dialog shows
//   kvt_app_probe exit                exit code 0 when Exit was pressed
//   kvt_app_probe clean               deletes HKLM\SOFTWARE\Tarvo Kinetics and the
//                                     uninstall entries published by Tarvo Kinetics
//   kvt_app_probe install <medium> <project> <name> <company> [<shot folder>]
//       Fills in the main dialog (a project fixed by the medium is kept),
//       installs the pre-selected tools, answers the backup prompt with No,
//       confirms error boxes, waits for the end of the run, prints the status
//       line and what landed where, then leaves with Exit (answering the
//       restart question with No). Screenshots: it writes <shot>.req into the
//       shot folder and waits for the script's <shot>.done, for "main" (the
//       filled-in dialog) and "progress" (a progress window while a setup
//       shows its window). Exit code 0 when the run ended with
//       "Installation completed successfully", 1 when it ended otherwise,
//       3 when the installer did not react in time.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "AppDriver.h"
#include "RunSummary.h"

namespace {

const char kSettingsRoot[] = "SOFTWARE\\Tarvo Kinetics";
// Where the medium's NSIS installers register their uninstallers.
const char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kPublisher[] = "Tarvo Kinetics";
const char kSuccess[] = "Installation completed successfully";
const char* const kFinalTexts[] = {kSuccess, "Installation finished, problems occured",
                                   "Installation erfolgreich abgeschlossen",
                                   "Installation mit Problemen beendet"};

// Every wait of the driver has one of these limits.
const DWORD kDialogLimitMs = 60000;   // the main dialog after the start
const DWORD kFirstSignMs = 20000;     // Install shows any effect
const DWORD kRunLimitMs = 300000;     // the whole run
const DWORD kIdleEndMs = 3000;        // idle without a final text: the run has ended
const DWORD kShotLimitMs = 30000;     // the script takes a screenshot
const DWORD kCloseLimitMs = 30000;    // Exit closes the program

struct Tool {
    int number;
    std::string name, dir, title;
    int installpath;
    HWND box;
};

std::string Ini(const std::string& ini, const std::string& section, const char* key,
                const std::string& def) {
    char buf[512];
    GetPrivateProfileStringA(section.c_str(), key, def.c_str(), buf, sizeof buf, ini.c_str());
    return buf[0] ? std::string(buf) : def;
}

// The tools of the medium's catalogue with their check boxes.
std::vector<Tool> ReadTools(const std::string& ini, HWND dlg) {
    std::vector<Tool> tools;
    for (int n = 1; n <= 32; ++n) {
        std::string section = Ini(ini, "Config", std::to_string(n).c_str(), "");
        if (section.empty()) break;
        section = section.substr(0, section.find(','));
        while (!section.empty() && section.back() == ' ') section.pop_back();
        Tool t;
        t.number = n;
        t.name = Ini(ini, section, "Name", "?");
        t.dir = Ini(ini, section, "Dir", t.name);
        t.title = Ini(ini, section, "Title", "Setup");
        t.installpath = atoi(Ini(ini, section, "Installpath", "1").c_str()) != 0;
        t.box = GetDlgItem(dlg, 10000 + n);
        tools.push_back(t);
    }
    return tools;
}

bool Selected(const Tool& t) {
    return t.box && IsWindowEnabled(t.box) && apptest::Send(t.box, BM_GETCHECK) == BST_CHECKED;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Asks the script for a screenshot and waits until it has been taken.
bool Shot(const std::string& folder, const char* name) {
    if (folder.empty()) return false;
    const std::string base = folder + "\\" + name;
    DeleteFileA((base + ".done").c_str());
    HANDLE h = CreateFileA((base + ".req").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    if (apptest::WaitFor([&] { return FileExists(base + ".done"); }, kShotLimitMs)) return true;
    std::printf("warning: no %s screenshot within %lu s\n", name,
                static_cast<unsigned long>(kShotLimitMs / 1000));
    return false;
}

// The installer's boxes only: another program's "Error" is none of its
// business.
DWORD g_installer = 0;

HWND FindBox(const char* english, const char* german) {
    HWND box = apptest::FindMessageBox(g_installer, english);
    return box ? box : apptest::FindMessageBox(g_installer, german);
}

// A visible top-level window captioned with a tool's Title: a setup is
// running.
bool SetupWindowShown(const std::vector<Tool>& tools) {
    for (HWND w : apptest::TopWindows(0)) {
        const std::string caption = apptest::Text(w);
        for (const Tool& t : tools)
            if (!caption.empty() && caption == t.title) return true;
    }
    return false;
}

struct Before {
    runsummary::FileSnapshot tarvo, windows;
    runsummary::RegSnapshot reg32, reg64;
};

// The values below both registry roots the summary shows, in one view.
runsummary::RegSnapshot SnapshotRoots(REGSAM view) {
    runsummary::RegSnapshot all;
    for (const char* root : {kSettingsRoot, kUninstallRoot}) {
        runsummary::RegSnapshot one = runsummary::SnapshotRegistry(HKEY_LOCAL_MACHINE, root, view);
        all.insert(one.begin(), one.end());
    }
    return all;
}

// Deletes the uninstall entries whose publisher is Tarvo Kinetics.
bool DeleteOwnUninstallEntries(REGSAM view) {
    bool ok = true;
    std::vector<std::string> own;
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ | view, &h) != ERROR_SUCCESS)
        return true;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLen = sizeof name;
        if (RegEnumKeyExA(h, i, name, &nameLen, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        char publisher[256] = "";
        DWORD size = sizeof publisher;
        HKEY entry;
        if (RegOpenKeyExA(h, name, 0, KEY_READ | view, &entry) == ERROR_SUCCESS) {
            if (RegQueryValueExA(entry, "Publisher", NULL, NULL, reinterpret_cast<BYTE*>(publisher),
                                 &size) == ERROR_SUCCESS &&
                std::strcmp(publisher, kPublisher) == 0)
                own.push_back(name);
            RegCloseKey(entry);
        }
    }
    RegCloseKey(h);
    for (const std::string& name : own)
        ok = runsummary::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "\\" + name, view) && ok;
    return ok;
}

void PrintSummary(const std::vector<Tool>& installed, const std::string& drive,
                  const std::string& project, const Before& before) {
    using namespace runsummary;
    const PathMap map = CurrentPathMap();
    const std::string tarvo = drive.substr(0, 3) + "Tarvo";
    const std::string projectFolder = tarvo + "\\" + project;
    const std::string windows = runsummary::WindowsFolder(0), system = runsummary::WindowsFolder(1);

    std::printf("\nTool target folders (paths in the Wine prefix):\n");
    std::vector<std::string> targets;
    for (const Tool& t : installed) {
        const std::string target =
            drive + (drive.empty() || drive.back() == '\\' ? "" : "\\") + "Tarvo\\" +
            (t.installpath ? project + "\\" : "") + t.dir;
        std::vector<std::string> folders = {target};
        // The Ulvan tool's project files go to its folder with "2.1".
        if (lstrcmpiA(t.dir.c_str(), "Ulvan") == 0) folders.push_back(target + "2.1");
        for (const std::string& folder : folders) {
            targets.push_back(folder);
            const DWORD attr = GetFileAttributesA(folder.c_str());
            const bool present = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
            std::printf("  %s: %s%s\n", t.name.c_str(), UnixPath(folder, map).c_str(),
                        present ? "" : " (no such folder)");
            for (const std::string& f : FilesBelow(folder))
                std::printf("    %s\n", UnixPath(f, map).c_str());
        }
    }

    // New files elsewhere, each under the most specific of these folders.
    struct Place {
        const char* label;
        std::string folder;
        std::vector<std::string> files;
    } places[] = {{"System folder", system, {}},
                  {"Windows folder", windows, {}},
                  {"Project folder", projectFolder, {}},
                  {"\"Tarvo\" folder", tarvo, {}}};
    std::vector<std::string> changed = NewOrChanged(before.tarvo, SnapshotTree(tarvo));
    std::vector<std::string> changedWin = NewOrChanged(before.windows, SnapshotTree(windows));
    changed.insert(changed.end(), changedWin.begin(), changedWin.end());
    std::set<std::string> seen;
    for (const std::string& f : changed) {
        bool inTarget = false;
        for (const std::string& t : targets) inTarget = inTarget || IsBelow(f, t);
        // Under WoW64 the Windows folder lists the 32-bit system folder
        // twice: as the system folder and under its own name.
        if (inTarget || !seen.insert(UnixPath(f, map)).second) continue;
        if (IsBelow(f, map.wow64Folder)) {
            places[0].files.push_back(f);
            continue;
        }
        for (Place& p : places)
            if (IsBelow(f, p.folder)) {
                p.files.push_back(f);
                break;
            }
    }
    std::printf("\nNew or changed files:\n");
    for (const Place& p : {places[3], places[2], places[1], places[0]}) {
        std::printf("  %s (%s):%s\n", p.label, UnixPath(p.folder, map).c_str(),
                    p.files.empty() ? " none" : "");
        for (const std::string& f : p.files) std::printf("    %s\n", UnixPath(f, map).c_str());
    }

    std::printf("\nRegistry values written (HKEY_LOCAL_MACHINE\\%s and HKEY_LOCAL_MACHINE\\%s, and below):\n",
                kSettingsRoot, kUninstallRoot);
    std::vector<std::string> lines = NewOrChangedValues(before.reg32, SnapshotRoots(0), "HKEY_LOCAL_MACHINE");
    if (!map.wow64Folder.empty()) {
        // What a 64-bit program (the registry editor) wrote lands in the
        // other view.
        for (const std::string& l :
             NewOrChangedValues(before.reg64, SnapshotRoots(KEY_WOW64_64KEY), "HKEY_LOCAL_MACHINE"))
            if (std::find(lines.begin(), lines.end(), l) == lines.end())
                lines.push_back(l + "   (64-bit view)");
    }
    if (lines.empty()) std::printf("  none\n");
    for (const std::string& l : lines) std::printf("  %s\n", l.c_str());
}

// Exit, the restart question answered with No, and the end of the program.
bool Leave(HWND dlg) {
    apptest::PressCommand(dlg, IDCANCEL);
    bool answered = false;
    const bool closed = apptest::WaitFor(
        [&] {
            if (!IsWindow(dlg)) return true;
            HWND q = FindBox("Restart Windows?", "Windows neu starten?");
            if (q && !answered) {
                std::printf("Restart question: %s -> No\n", apptest::MessageBoxText(q).c_str());
                apptest::PressCommand(q, IDNO);
                answered = true;
            }
            return false;
        },
        kCloseLimitMs);
    if (!closed)
        std::printf("error: the main dialog was still open %lu s after Exit\n",
                    static_cast<unsigned long>(kCloseLimitMs / 1000));
    return closed;
}

int Install(const std::string& medium, const std::string& project, const std::string& name,
            const std::string& company, const std::string& shots) {
    HWND dlg = NULL;
    if (!apptest::WaitFor([&] { return (dlg = apptest::FindMainDialog(0)) != NULL; },
                          kDialogLimitMs)) {
        std::printf("error: no main dialog within %lu s\n",
                    static_cast<unsigned long>(kDialogLimitMs / 1000));
        return 3;
    }
    GetWindowThreadProcessId(dlg, &g_installer);
    HWND projectField = GetDlgItem(dlg, 1011), status = GetDlgItem(dlg, 1023);
    // A project fixed by the medium stays as it is shown.
    if (IsWindowEnabled(projectField) || apptest::Text(projectField).empty())
        apptest::SetText(projectField, project);
    apptest::SetText(GetDlgItem(dlg, 1012), name);
    apptest::SetText(GetDlgItem(dlg, 1013), company);
    const std::string shownProject = apptest::Text(projectField);
    const std::string drive = apptest::Text(GetDlgItem(dlg, 1007));
    std::printf("Main dialog: project \"%s\"%s, name \"%s\", company \"%s\", drive \"%s\"\n",
                shownProject.c_str(), IsWindowEnabled(projectField) ? "" : " (fixed)",
                apptest::Text(GetDlgItem(dlg, 1012)).c_str(),
                apptest::Text(GetDlgItem(dlg, 1013)).c_str(), drive.c_str());

    std::vector<Tool> tools = ReadTools(medium + "\\KVTInstall.ini", dlg);
    std::vector<Tool> installed;
    for (const Tool& t : tools) {
        const char* state = !t.box                   ? "missing"
                            : !IsWindowVisible(t.box) ? "withdrawn"
                            : Selected(t)            ? "selected"
                                                     : "not selected";
        std::printf("  tool %d %s: %s\n", t.number, t.name.c_str(), state);
        if (Selected(t)) installed.push_back(t);
    }
    if (installed.empty()) {
        std::printf("error: no tool is selected\n");
        return 1;
    }

    Before before;
    const std::string tarvo = drive.substr(0, 3) + "Tarvo";
    before.tarvo = runsummary::SnapshotTree(tarvo);
    before.windows = runsummary::SnapshotTree(runsummary::WindowsFolder(0));
    before.reg32 = SnapshotRoots(0);
    before.reg64 = SnapshotRoots(KEY_WOW64_64KEY);

    Shot(shots, "main");
    std::printf("Install\n");
    apptest::PressCommand(dlg, IDOK);

    std::set<HWND> answered;
    int errors = 0;
    bool progressSeen = false, progressShot = false, activity = false;
    const DWORD start = GetTickCount();
    DWORD idleSince = 0;
    std::string text;
    for (;;) {
        const DWORD now = GetTickCount();
        if (!IsWindow(dlg)) {
            std::printf("error: the main dialog went away during the run; status line was \"%s\"\n",
                        text.c_str());
            return 3;
        }
        if (HWND note = FindBox("Note", "Hinweis")) {
            if (answered.insert(note).second) {
                std::printf("Backup prompt: %s -> No\n", apptest::MessageBoxText(note).c_str());
                apptest::PressCommand(note, 1027);
            }
            activity = true;
        }
        if (HWND error = FindBox("Error", "Fehler")) {
            if (answered.insert(error).second) {
                ++errors;
                std::printf("Error box: %s -> OK\n", apptest::MessageBoxText(error).c_str());
                apptest::PressCommand(error, IDOK);
            }
            activity = true;
        }
        if (HWND info = apptest::FindMessageBox(g_installer, "Info")) {
            if (answered.insert(info).second) {
                std::printf("Notice: %s -> OK\n", apptest::MessageBoxText(info).c_str());
                apptest::PressCommand(info, IDOK);
            }
            activity = true;
        }
        HWND progress = apptest::FindMessageBox(g_installer, "Kitbay");
        if (progress) {
            progressSeen = activity = true;
            if (!progressShot && SetupWindowShown(tools)) {
                progressShot = true;
                Shot(shots, "progress");
            }
        }
        text = apptest::Text(status);
        if (!text.empty()) activity = true;

        const bool idle = IsWindowEnabled(dlg) && !progress && !FindBox("Note", "Hinweis") &&
                          !FindBox("Error", "Fehler") && !apptest::FindMessageBox(g_installer, "Info");
        bool final = false;
        for (const char* f : kFinalTexts) final = final || text == f;
        if (idle && final) break;
        if (!idle) {
            idleSince = 0;
        } else if (idleSince == 0) {
            idleSince = now;
        } else if (activity && now - idleSince >= kIdleEndMs) {
            break;  // ended without a final text: every tool failed
        }
        if (!activity && now - start >= kFirstSignMs) {
            std::printf("error: Install showed no effect within %lu s (no status text, no progress "
                        "window, no message box)\n",
                        static_cast<unsigned long>(kFirstSignMs / 1000));
            Leave(dlg);
            return 3;
        }
        if (now - start >= kRunLimitMs) {
            std::printf("error: the run had not ended after %lu s; status line: \"%s\"\n",
                        static_cast<unsigned long>(kRunLimitMs / 1000), text.c_str());
            return 3;
        }
        Sleep(100);
    }

    std::printf("\nStatus line: %s\n", text.c_str());
    std::printf("Error boxes: %d\n", errors);
    if (!progressSeen) std::printf("warning: no progress window was seen\n");
    else if (!progressShot) std::printf("warning: no setup window was seen while a progress window was open\n");
    PrintSummary(installed, drive, shownProject, before);
    std::printf("\n");
    const bool left = Leave(dlg);
    if (text != kSuccess) return 1;
    return left ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: kvt_app_probe wait [timeout-ms] | exit | clean | install <medium> "
                     "<project> <name> <company> [<shot folder>]\n");
        return 2;
    }
    if (std::strcmp(argv[1], "wait") == 0) {
        DWORD timeout = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 30000;
        HWND dlg = NULL;
        apptest::WaitFor([&] { return (dlg = apptest::FindMainDialog(0)) != NULL; }, timeout);
        if (!dlg) return 1;
        // Let the backdrop and the dialog finish painting.
        apptest::Send(dlg, WM_NULL);
        return 0;
    }
    if (std::strcmp(argv[1], "exit") == 0) {
        HWND dlg = apptest::FindMainDialog(0);
        return dlg && apptest::Click(GetDlgItem(dlg, IDCANCEL)) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "clean") == 0) {
        bool ok = true;
        for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
            ok = runsummary::DeleteKeyTree(HKEY_LOCAL_MACHINE, kSettingsRoot, view) && ok;
            ok = DeleteOwnUninstallEntries(view) && ok;
        }
        return ok ? 0 : 1;
    }
    if (std::strcmp(argv[1], "install") == 0 && argc >= 6) {
        const int rc = Install(argv[2], argv[3], argv[4], argv[5], argc > 6 ? argv[6] : "");
        std::fflush(stdout);
        return rc;
    }
    std::fprintf(stderr, "kvt_app_probe: unknown command %s\n", argv[1]);
    return 2;
}

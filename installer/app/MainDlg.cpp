#include "MainDlg.h"

#include "AnswerFile.h"
#include "BackupOffer.h"
#include "CatalogueReading.h"
#include "ConfigFile.h"
#include "PathText.h"
#include "ProgressDlg.h"
#include "Settings.h"
#include "Texts.h"
#include "Varnet01.h"
#include "resource.h"

CMainDlg::CMainDlg(WindowsFamily family, HFONT toolFont)
    : CDialog(IDD_MAIN), family_(family), toolFont_(toolFont), run_(*this, family) {}
CMainDlg::~CMainDlg() = default;

const char* CMainDlg::Text(int textId) const { return DialogText(textId, language_); }

void CMainDlg::SetStatus(const std::string& text) { SetItemText(IDC_STATUS, text.c_str()); }

// The banner, from its resource as a DIB section. The template names no
// picture for it: the control would load a device-dependent bitmap, and the
// first of those a process makes costs several times as much.
void CMainDlg::ShowBanner() {
    // The template's one static of bitmap style. Walking the statics alone
    // asks the window server once per static, not once per control and
    // child of a control.
    HWND control = NULL;
    while ((control = FindWindowExA(hwnd(), control, "Static", NULL)) != NULL)
        if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) break;
    if (!control) return;
    banner_.reset(LoadImageA(instance(), MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0,
                             LR_CREATEDIBSECTION));
    if (banner_)
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_.get()));
}

BOOL CMainDlg::OnInitDialog() {
    SetWindowTextA(hwnd(), kWindowTitle);
    ShowBanner();
    run_.restartNeeded = 0;
    language_ = LanguageEnglish;
    if (!LoadCatalogue()) return TRUE;
    RefreshButtons();
    InitProjectField();
    LoadSettingsAtStart();
    FillDriveList();
    // Shown once filled and centred, before the backdrop's gradient, which
    // is pending since the backdrop was maximised.
    ShowWhenPlaced();
    return TRUE;
}

// ---- Catalogue ----

bool CMainDlg::LoadCatalogue() {
    RECT group;
    GetWindowRect(Item(IDC_GROUP_TOOLS), &group);
    MapWindowPoints(NULL, hwnd(), reinterpret_cast<POINT*>(&group), 2);
    const char* error =
        catalogue_.Load(*this, group, family_, toolFont_, [this] { RefreshButtons(); });
    run_.SetMediumRoot(catalogue_.mediumRoot());
    if (error) {
        MessageBoxA(hwnd(), error, "Error", MB_OK | MB_ICONERROR);
        OnExit();
        return false;
    }
    selectAll_ = catalogue_.selectAllAtStart() ? 1 : 0;
    RefreshButtons();
    return true;
}

void CMainDlg::RefreshButtons() {
    EnableWindow(Item(IDOK), catalogue_.SelectedCount() > 0);
    if (catalogue_.EnabledCount() == 0) EnableWindow(Item(IDC_SELECT_ALL), FALSE);
}

void CMainDlg::OnSelectAll() {
    selectAll_ = selectAll_ ? 0 : 1;
    SetItemText(IDC_SELECT_ALL, Text(selectAll_ ? TXT_UNSELECT_ALL : TXT_SELECT_ALL));
    catalogue_.CheckAllEnabled(selectAll_ != 0);
    RefreshButtons();
}

// ---- Language ----

void CMainDlg::ApplyLanguage(Language language) {
    language_ = language;
    const bool german = language_ == LanguageGerman;
    SendMessageA(Item(IDC_ENGLISH), BM_SETCHECK, german ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageA(Item(IDC_GERMAN), BM_SETCHECK, german ? BST_CHECKED : BST_UNCHECKED, 0);
    static const int kGroupIds[] = {IDC_GROUP_LANGUAGE, IDC_GROUP_DRIVE, IDC_GROUP_PROJECT,
                                    IDC_GROUP_USER,     IDC_GROUP_TOOLS, IDC_LABEL_NAME,
                                    IDC_LABEL_COMPANY};
    for (int i = 0; i < 7; ++i) Relabel(kGroupIds[i], Text(TXT_LANGUAGE + i));
    Relabel(IDC_ENGLISH, Text(TXT_ENGLISH));
    Relabel(IDC_GERMAN, Text(TXT_GERMAN));
    Relabel(IDOK, Text(TXT_INSTALL));
    Relabel(IDC_SELECT_ALL, Text(selectAll_ ? TXT_UNSELECT_ALL : TXT_SELECT_ALL));
    Relabel(IDCANCEL, Text(TXT_EXIT));
}

// A label that already reads so is left alone: the template holds the
// English texts, and each change of a window's text is a round trip to the
// window server under Wine. Labels send no notification of a change.
void CMainDlg::Relabel(int id, const char* text) {
    HWND control = Item(id);
    if (WindowText(control) != text) SetWindowTextA(control, text);
}

// ---- Project and settings ----

void CMainDlg::InitProjectField() {
    CIniData config = ConfigFile();
    std::string project = config.GetConfigIniString(kConfigProject.name, "");
    if (project.empty()) {
        project = "KVT";
        EnableWindow(Item(IDC_PROJECT), TRUE);
    }
    // Setting the text runs the project-change reload.
    SetItemText(IDC_PROJECT, project.c_str());
    if (config.GetConfigIniFlag(kConfigProjectEdit.name, 0)) EnableWindow(Item(IDC_PROJECT), TRUE);
}

void CMainDlg::LoadSettingsAtStart() {
    CIniData config = ConfigFile();
    const std::string key = SettingsKey(ItemText(IDC_PROJECT));

    int language;
    if (!ReadSettingNumber(key, "Language", &language))
        language = config.GetConfigIniFlag(kConfigLanguage.name, 0);
    ApplyLanguage(LanguageFromValue(language));

    std::string name = ReadSettingString(key, "Name");
    if (name.empty()) name = config.GetConfigIniString(kConfigName.name, "");
    SetItemText(IDC_USER_NAME, name.c_str());

    std::string company = ReadSettingString(key, "Company");
    if (company.empty()) company = config.GetConfigIniString(kConfigCompany.name, "");
    SetItemText(IDC_COMPANY, company.c_str());

    startDrive_ = CompleteDriveText(ReadSettingString(key, "Drive"));
}

void CMainDlg::ReloadSettings() {
    const std::string key = SettingsKey(ItemText(IDC_PROJECT));
    if (!SettingsKeyExists(key)) return;

    const std::string drive = CompleteDriveText(UpperAscii(ReadSettingString(key, "Drive")));
    // An absent drive names no entry: the selection stays as it is.
    if (!drive.empty()) {
        LRESULT found = SendMessageA(Item(IDC_DRIVE), CB_FINDSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(drive.c_str()));
        if (found != CB_ERR) SendMessageA(Item(IDC_DRIVE), CB_SETCURSEL, found, 0);
    }

    std::string name = ReadSettingString(key, "Name");
    if (!name.empty()) SetItemText(IDC_USER_NAME, name.c_str());
    std::string company = ReadSettingString(key, "Company");
    if (!company.empty()) SetItemText(IDC_COMPANY, company.c_str());
}

void CMainDlg::FillDriveList() {
    HWND combo = Item(IDC_DRIVE);
    LRESULT match = CB_ERR;
    // Only the drives that exist are asked for their kind: the question
    // costs about as much as a file read, and most letters are free.
    const DWORD found = GetLogicalDrives();
    const DWORD present = found ? found : 0x3FFFFFF;  // none known: ask for every letter
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', '\0'};
        if (!(present & (1u << (letter - 'A'))) || GetDriveTypeA(root) != DRIVE_FIXED) continue;
        LRESULT pos = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root));
        if (pos >= 0 && match == CB_ERR && EqualsNoCase(root, startDrive_)) match = pos;
    }
    if (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0)
        SendMessageA(combo, CB_SETCURSEL, match == CB_ERR ? 0 : match, 0);
}

RunSettings CMainDlg::CurrentSettings() const {
    RunSettings settings;
    settings.project = ItemText(IDC_PROJECT);
    settings.userName = ItemText(IDC_USER_NAME);
    settings.company = ItemText(IDC_COMPANY);
    settings.drive = ItemText(IDC_DRIVE);
    settings.language = language_;
    return settings;
}

void CMainDlg::StoreCurrentSettings() const {
    const RunSettings s = CurrentSettings();
    StoreSettings(s.project, s.userName, s.company, s.drive, s.language);
}

// ---- The install run ----

void CMainDlg::OnInstall() {
    // Enter reaches here only through an enabled Install button; a command
    // sent past a disabled one has nothing to install.
    if (!IsWindowEnabled(Item(IDOK))) return;
    const std::string finalText = run_.Install(CurrentSettings(), catalogue_.SelectedRecords());
    // Processed tools are disabled now: Install stays enabled only while
    // another tool is checked.
    RefreshButtons();
    if (!finalText.empty()) SetStatus(finalText);
}

void CMainDlg::ShowStatus(const std::string& text) { SetStatus(text); }

void CMainDlg::ShowError(const std::string& text, const std::string& caption) {
    MessageBoxA(hwnd(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void CMainDlg::OfferBackup(Language language, const std::string& targetFolder,
                           const std::string& dir) {
    ::OfferBackup(hwnd(), language, targetFolder.c_str(), dir.c_str());
}

INT_PTR CMainDlg::RunProgressWindow(CSetupProgressDlg& window) { return window.DoModal(hwnd()); }

void CMainDlg::ToolProcessed(const ToolRecord& tool) { catalogue_.Disable(tool); }

void CMainDlg::SetOptions(const DialogOptions& options) {
    options_ = options;
    run_.SetLog(options_.log);
}

void CMainDlg::InputAccepted(const RunSettings& settings, const std::vector<ToolRecord*>& tools) {
    if (options_.recordFile.empty()) return;
    Answers answers;
    answers.project = settings.project;
    answers.name = settings.userName;
    answers.company = settings.company;
    answers.drive = settings.drive;
    answers.language = settings.language == LanguageGerman ? 1 : 0;
    for (const ToolRecord* tool : tools) answers.tools.push_back(tool->section);
    const bool written = WriteAnswers(options_.recordFile, answers);
    const std::string text = (written ? "Answers recorded in " : "Answers could not be written to ") +
                             options_.recordFile;
    if (options_.log) options_.log->Line(text);
    // The install goes on either way; the user learns that the file is
    // missing.
    if (!written) MessageBoxA(hwnd(), text.c_str(), Text(TXT_ERROR), MB_OK | MB_ICONWARNING);
}

void CMainDlg::OnExit() {
    if (run_.restartNeeded) {
        const int answer = MessageBoxA(hwnd(), Text(TXT_RESTART_QUESTION), Text(TXT_RESTART_CAPTION),
                                       MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL) return;   // asked again at the next Exit
        if (answer == IDYES) {
            const bool privileged =
                fGetWinVersion() != VARNET_PLATFORM_NT || restart_->EnableShutdownPrivilege();
            if (privileged && restart_->RequestRestart())
                MessageBoxA(hwnd(), Text(TXT_RESTARTING), Text(TXT_EXIT), MB_OK | MB_ICONINFORMATION);
            else
                MessageBoxA(hwnd(), Text(TXT_RESTART_REFUSED), Text(TXT_ERROR), MB_OK | MB_ICONWARNING);
            run_.restartNeeded = 0;
        }
    }
    EndDialog(IDCANCEL);
}

// ---- Commands ----

bool CMainDlg::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
    case IDC_SELECT_ALL:
        if (code == BN_CLICKED) OnSelectAll();
        return true;
    case IDC_ENGLISH:
        if (code == BN_CLICKED) ApplyLanguage(LanguageEnglish);
        return true;
    case IDC_GERMAN:
        if (code == BN_CLICKED) ApplyLanguage(LanguageGerman);
        return true;
    case IDC_PROJECT:
        if (code == EN_CHANGE) ReloadSettings();
        return true;
    case IDOK:   // the Install button, and Enter
        OnInstall();
        return true;
    case IDCANCEL:
        OnExit();
        return true;
    default:
        return CDialog::OnCommand(id, code, control);
    }
}


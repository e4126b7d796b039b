#include "MainDlg.h"

#include "AppState.h"
#include "Backdrop.h"
#include "Settings.h"
#include "Texts.h"
#include "PathText.h"
#include "Varnet01.h"
#include "resource.h"

CMainDlg::CMainDlg(WindowsFamily family) : CDialog(IDD_MAIN), family_(family) {}
CMainDlg::~CMainDlg() = default;

const char* CMainDlg::Text(int textId) const { return DialogText(textId, language_); }

void CMainDlg::SetStatus(const std::string& text) { SetItemText(IDC_STATUS, text.c_str()); }

BOOL CMainDlg::OnInitDialog() {
    SetWindowTextA(hwnd(), kWindowTitle);
    restartNeeded = 0;
    language_ = LanguageEnglish;
    if (!LoadCatalogue()) return TRUE;
    RefreshButtons();
    InitProjectField();
    LoadSettingsAtStart();
    FillDriveList();
    return TRUE;
}

// ---- Catalogue ----

bool CMainDlg::LoadCatalogue() {
    CIniData config;
    std::string path = config.GetIniFileName();
    size_t slash = path.rfind('\\');
    mediumRoot_ = slash == std::string::npos ? std::string("\\") : path.substr(0, slash + 1);

    int count = config.GetNumberOfSections();
    if (count == 0) {
        bool present = PathExists(path) && !IsFolder(path);
        ShowCatalogueError(present ? kMsgWrongDefinition : kMsgIniNotFound);
        return false;
    }
    if (count > MAX_TOOLS) {
        ShowCatalogueError(kMsgTooManyTools);
        return false;
    }
    selectAll_ = config.GetConfigIniFlag("Selectall", 0);

    RECT group;
    GetWindowRect(Item(IDC_GROUP_TOOLS), &group);
    MapWindowPoints(NULL, hwnd(), reinterpret_cast<POINT*>(&group), 2);
    SlotLayout layout(group, count);
    tools_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) BuildEntry(i, layout);
    RefreshButtons();
    return true;
}

void CMainDlg::ShowCatalogueError(const char* text) {
    MessageBoxA(hwnd(), text, "Error", MB_OK | MB_ICONERROR);
    OnExit();
}

void CMainDlg::BuildEntry(int index, SlotLayout& layout) {
    const int n = index + 1;
    std::unique_ptr<ToolCheckBox> box(new ToolCheckBox);
    box->record.owner = this;
    CIniData ini;
    bool offered = ReadToolRecord(ini, n, family_, box->record);
    RECT slot = layout.Place(index, offered);
    DWORD style = BS_CHECKBOX | (offered ? WS_VISIBLE | WS_TABSTOP : 0);
    if (box->Create(*this, "BUTTON", box->record.name.c_str(), style, slot, IDC_TOOL_FIRST + index)) {
        SendMessageA(box->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(ToolFont), TRUE);
        EnableWindow(box->hwnd(), offered ? TRUE : FALSE);
        box->SetChecked(ini.GetSectionIniFlag("Select", offered ? selectAll_ : 0) != 0);
    }
    tools_.push_back(std::move(box));
}

std::vector<ToolCheckBox*> CMainDlg::SelectedTools() const {
    std::vector<ToolCheckBox*> selected;
    for (const auto& t : tools_)
        if (t->hwnd() && t->IsSelected()) selected.push_back(t.get());
    return selected;
}

void CMainDlg::RefreshButtons() {
    int enabled = 0, selected = 0;
    for (const auto& t : tools_) {
        if (!t->hwnd() || !t->IsEnabled()) continue;
        ++enabled;
        if (t->IsChecked()) ++selected;
    }
    EnableWindow(Item(IDOK), selected > 0);
    if (enabled == 0) EnableWindow(Item(IDC_SELECT_ALL), FALSE);
}

void CMainDlg::OnSelectAll() {
    selectAll_ = selectAll_ ? 0 : 1;
    SetItemText(IDC_SELECT_ALL, Text(selectAll_ ? TXT_UNSELECT_ALL : TXT_SELECT_ALL));
    for (const auto& t : tools_)
        if (t->hwnd() && t->IsEnabled()) t->SetChecked(selectAll_ != 0);
    RefreshButtons();
}

// ---- Language ----

void CMainDlg::ApplyLanguage(Language language) {
    language_ = language;
    const bool german = language_ == LanguageGerman;
    CheckDlgButton(hwnd(), IDC_ENGLISH, german ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(hwnd(), IDC_GERMAN, german ? BST_CHECKED : BST_UNCHECKED);
    static const int kGroupIds[] = {IDC_GROUP_LANGUAGE, IDC_GROUP_DRIVE, IDC_GROUP_PROJECT,
                                    IDC_GROUP_USER,     IDC_GROUP_TOOLS, IDC_LABEL_NAME,
                                    IDC_LABEL_COMPANY};
    for (int i = 0; i < 7; ++i) SetItemText(kGroupIds[i], Text(TXT_LANGUAGE + i));
    SetItemText(IDC_ENGLISH, Text(TXT_ENGLISH));
    SetItemText(IDC_GERMAN, Text(TXT_GERMAN));
    SetItemText(IDOK, Text(TXT_INSTALL));
    SetItemText(IDC_SELECT_ALL, Text(selectAll_ ? TXT_UNSELECT_ALL : TXT_SELECT_ALL));
    SetItemText(IDCANCEL, Text(TXT_EXIT));
}

// ---- Project and settings ----

void CMainDlg::InitProjectField() {
    CIniData config;
    std::string project = config.GetConfigIniString("Project", "");
    if (project.empty()) {
        project = "KVT";
        EnableWindow(Item(IDC_PROJECT), TRUE);
    }
    // Setting the text runs the project-change reload.
    SetItemText(IDC_PROJECT, project.c_str());
    if (config.GetConfigIniFlag("ProjectEdit", 0)) EnableWindow(Item(IDC_PROJECT), TRUE);
}

void CMainDlg::LoadSettingsAtStart() {
    CIniData config;
    const std::string key = SettingsKey(ItemText(IDC_PROJECT));

    int language;
    if (!ReadSettingNumber(key, "Language", &language))
        language = config.GetConfigIniFlag("Language", 0);
    ApplyLanguage(LanguageFromValue(language));

    std::string name = ReadSettingString(key, "Name");
    if (name.empty()) name = config.GetConfigIniString("Name", "");
    SetItemText(IDC_USER_NAME, name.c_str());

    std::string company = ReadSettingString(key, "Company");
    if (company.empty()) company = config.GetConfigIniString("Company", "");
    SetItemText(IDC_COMPANY, company.c_str());

    startDrive_ = CompleteDriveText(ReadSettingString(key, "Drive"));
}

void CMainDlg::ReloadSettings() {
    const std::string key = SettingsKey(ItemText(IDC_PROJECT));
    if (!SettingsKeyExists(key)) return;

    const std::string drive = CompleteDriveText(UpperAscii(ReadSettingString(key, "Drive")));
    // An absent drive names no entry: the selection stays as it is.
    if (!drive.empty()) {
        LRESULT found = SendDlgItemMessageA(hwnd(), IDC_DRIVE, CB_FINDSTRING,
                                            static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(drive.c_str()));
        if (found != CB_ERR) SendDlgItemMessageA(hwnd(), IDC_DRIVE, CB_SETCURSEL, found, 0);
    }

    std::string name = ReadSettingString(key, "Name");
    if (!name.empty()) SetItemText(IDC_USER_NAME, name.c_str());
    std::string company = ReadSettingString(key, "Company");
    if (!company.empty()) SetItemText(IDC_COMPANY, company.c_str());
}

void CMainDlg::FillDriveList() {
    HWND combo = Item(IDC_DRIVE);
    LRESULT match = CB_ERR;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
        LRESULT pos = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root));
        if (pos >= 0 && match == CB_ERR && EqualsNoCase(root, startDrive_)) match = pos;
    }
    if (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0)
        SendMessageA(combo, CB_SETCURSEL, match == CB_ERR ? 0 : match, 0);
}

void CMainDlg::StoreCurrentSettings() const {
    StoreSettings(ItemText(IDC_PROJECT), ItemText(IDC_USER_NAME), ItemText(IDC_COMPANY),
                  ItemText(IDC_DRIVE), language_);
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


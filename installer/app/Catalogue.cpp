#include "Catalogue.h"

#include "ConfigFile.h"
#include "PathText.h"
#include "Varnet01.h"
#include "resource.h"

const char kMsgIniNotFound[] = "KVTInstall.ini not found!";
const char kMsgWrongDefinition[] = "Wrong Definition of Tools in KVTInstall.ini!";
const char kMsgTooManyTools[] = "Too many Tools defined.\nMaximum 32 Tools allowed!";

// ---- ToolCheckBox ----

bool ToolCheckBox::IsChecked() const {
    return SendMessageA(hwnd(), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void ToolCheckBox::SetChecked(bool checked) {
    SendMessageA(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ToolCheckBox::OnReflectedCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    SetChecked(!IsChecked());
    if (onClick) onClick();
    return true;
}

// ---- Slot layout ----

SlotLayout::SlotLayout(const RECT& group, int toolCount) : group_(group), count_(toolCount) {
    StartColumn(group_.left + 10);
}

void SlotLayout::StartColumn(int left) {
    slot_.left = left;
    slot_.top = group_.top - 3;
    slot_.bottom = group_.top + 17;
    slot_.right = group_.right - 2;
}

RECT SlotLayout::Place(int index, bool offered) {
    if (count_ - index <= 16)
        slot_.right = group_.right - 2;
    else
        slot_.right = (group_.left + group_.right) / 2 - 2;
    if (offered) OffsetRect(&slot_, 0, 20);
    RECT placed = slot_;
    if (slot_.bottom >= group_.bottom - 20) StartColumn((group_.left + group_.right) / 2);
    return placed;
}

// ---- The catalogue ----

const char* OpenCatalogue(CIniData& config, std::string& mediumRoot,
                          std::vector<std::string>& sections) {
    const std::string path = config.GetIniFileName();
    const size_t slash = path.rfind('\\');
    mediumRoot = slash == std::string::npos ? std::string("\\") : path.substr(0, slash + 1);

    const int count = ReadToolSections(config, sections);
    if (count == 0) return PathExists(path) && !IsFolder(path) ? kMsgWrongDefinition : kMsgIniNotFound;
    if (count > MAX_TOOLS) return kMsgTooManyTools;
    return nullptr;
}

const char* ToolCatalogue::Load(CDialog& dialog, const RECT& group, WindowsFamily family,
                                HFONT font, const std::function<void()>& onClick) {
    CIniData config = ConfigFile();
    std::vector<std::string> sections;
    if (const char* problem = OpenCatalogue(config, mediumRoot_, sections)) return problem;
    selectAll_ = config.GetConfigIniFlag(kConfigSelectAll.name, 0) != 0;

    const int count = static_cast<int>(sections.size());
    SlotLayout layout(group, count);
    tools_.reserve(sections.size());
    for (int i = 0; i < count; ++i) AddTool(dialog, i, sections[i], family, font, layout, onClick);
    return nullptr;
}

void ToolCatalogue::AddTool(CDialog& dialog, int index, const std::string& section,
                            WindowsFamily family, HFONT font, SlotLayout& layout,
                            const std::function<void()>& onClick) {
    std::unique_ptr<ToolCheckBox> box(new ToolCheckBox);
    box->onClick = onClick;
    CIniData ini = ConfigFile();
    box->number = index + 1;
    box->record.section = section;
    const bool offered = ReadToolHeading(ini, box->number, family, box->record);
    const RECT slot = layout.Place(index, offered);
    const DWORD style = BS_CHECKBOX | (offered ? WS_VISIBLE | WS_TABSTOP : 0);
    if (box->Create(dialog, "BUTTON", box->record.name.c_str(), style, slot, IDC_TOOL_FIRST + index)) {
        SendMessageA(box->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        EnableWindow(box->hwnd(), offered ? TRUE : FALSE);
        box->SetChecked(ReadToolSelect(ini, box->record, offered, selectAll_));
    }
    tools_.push_back(std::move(box));
}

std::vector<ToolRecord*> ToolCatalogue::SelectedRecords() {
    std::vector<ToolRecord*> selected;
    for (const auto& t : tools_) {
        if (!t->hwnd() || !t->IsSelected()) continue;
        if (!t->detailsRead) {
            CIniData ini = ConfigFile();
            ReadToolDetails(ini, t->number, t->record);
            t->detailsRead = true;
        }
        selected.push_back(&t->record);
    }
    return selected;
}

void ToolCatalogue::Disable(const ToolRecord& record) {
    for (const auto& t : tools_)
        if (&t->record == &record && t->hwnd()) t->Disable();
}

void ToolCatalogue::CheckAllEnabled(bool checked) {
    for (const auto& t : tools_)
        if (t->hwnd() && t->IsEnabled()) t->SetChecked(checked);
}

int ToolCatalogue::EnabledCount() const {
    int n = 0;
    for (const auto& t : tools_)
        if (t->hwnd() && t->IsEnabled()) ++n;
    return n;
}

int ToolCatalogue::SelectedCount() const {
    int n = 0;
    for (const auto& t : tools_)
        if (t->hwnd() && t->IsSelected()) ++n;
    return n;
}

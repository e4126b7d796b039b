#include "Dialog.h"

#include <algorithm>

// ---- CControl ----

CControl::~CControl() {
    if (parent_) parent_->Forget(this);
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool CControl::Create(CDialog& parent, const char* className, const char* text, DWORD style,
                      const RECT& rect, int id) {
    hwnd_ = CreateWindowExA(0, className, text, style | WS_CHILD, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top, parent.hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent.hwnd(), GWLP_HINSTANCE)),
                            NULL);
    if (!hwnd_) return false;
    try {
        parent.controls_.push_back(this);
    } catch (...) {
        DestroyWindow(hwnd_);
        hwnd_ = NULL;
        return false;
    }
    parent_ = &parent;
    return true;
}

bool CControl::OnReflectedCommand(WORD) { return false; }

void CControl::Detach() {
    hwnd_ = NULL;
    parent_ = nullptr;
}

// ---- CDialog ----

CDialog::~CDialog() {
    // A control object that outlives its dialog object must not reach back.
    for (CControl* c : controls_) c->parent_ = nullptr;
}

void CDialog::Forget(CControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

INT_PTR CDialog::DoModal(HWND owner) {
    return DialogBoxParamA(instance(), MAKEINTRESOURCEA(templateId_), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

HINSTANCE CDialog::instance() const { return GetModuleHandleA(NULL); }

std::string CDialog::WindowText(HWND hwnd) {
    if (!hwnd) return std::string();
    int len = GetWindowTextLengthA(hwnd);
    std::vector<char> buf(static_cast<size_t>(len) + 2, '\0');
    GetWindowTextA(hwnd, buf.data(), len + 1);
    return std::string(buf.data());
}

std::string CDialog::ItemText(int id) const { return WindowText(Item(id)); }

HWND CDialog::Item(int id) const {
    for (const KnownItem& k : items_) {
        // A control destroyed before its dialog is looked up anew.
        if (k.id == id && IsWindow(k.hwnd) && GetDlgCtrlID(k.hwnd) == id) return k.hwnd;
    }
    HWND control = GetDlgItem(hwnd_, id);
    if (control) {
        try {
            items_.push_back({id, control});
        } catch (...) {
            // Not remembered: the next call looks it up again.
        }
    }
    return control;
}

void CDialog::SetItemText(int id, const char* text) const { SetWindowTextA(Item(id), text); }

void CDialog::CentreOverOwner() const {
    if (IsZoomed(hwnd_)) return;  // a maximised window stays where it is
    RECT area;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT me;
    GetWindowRect(hwnd_, &me);
    int w = me.right - me.left, h = me.bottom - me.top;
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(hwnd_, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::OnCommand(WORD id, WORD, HWND) {
    if (id == IDCANCEL) {
        EndDialog(IDCANCEL);
        return true;
    }
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // The object sits in the dialog's own DWLP_USER slot: read on every
    // message, and unlike a window property it is read without a system call.
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lp);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR r = FALSE;
    try {
        r = self->Dispatch(msg, wp, lp);
    } catch (...) {
        // An exception must not unwind through the dialog manager's frames
        // (a C caller): the handler has ended, the message is not handled.
        r = FALSE;
    }
    if (msg == WM_DESTROY) {
        // Control objects may outlive their windows (they belong to the
        // dialog object); a window handle must not be used once it is gone.
        for (CControl* c : self->controls_) c->Detach();
        self->controls_.clear();
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = NULL;
        self->items_.clear();
    }
    return r;
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        BOOL focus = OnInitDialog();
        CentreOverOwner();
        if (showWhenPlaced_) {
            showWhenPlaced_ = false;
            ShowWindow(hwnd_, SW_SHOWNORMAL);
        }
        return focus;
    }
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lp);
        WORD code = HIWORD(wp);
        if (control) {
            for (CControl* c : controls_) {
                if (c->hwnd() != control) continue;
                // The handler may add or remove controls: the walk ends here.
                if (c->OnReflectedCommand(code)) return TRUE;
                break;
            }
        }
        return OnCommand(LOWORD(wp), code, control) ? TRUE : FALSE;
    }
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_TIMER:
        return OnTimer(static_cast<UINT_PTR>(wp)) ? TRUE : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_ERASEBKGND:
        if (OnEraseBackground(reinterpret_cast<HDC>(wp))) {
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, 1);
            return TRUE;
        }
        return FALSE;
    default: {
        INT_PTR result = 0;
        if (OnMessage(msg, wp, lp, &result)) {
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    }
}

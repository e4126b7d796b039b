// A small dialog framework: modal dialogs from resource templates whose
// messages reach virtual handlers, and child controls created at run time
// that handle their own notifications (the dialog reflects WM_COMMAND from a
// control to the control's object first). Nothing thrown in a handler
// crosses into the dialog manager: the handler ends there and the message
// counts as not handled.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CDialog;

// A child control owned by a C++ object. The object stays attached to its
// window, in its dialog's list of controls, until either is destroyed.
class CControl {
public:
    CControl() = default;
    virtual ~CControl();
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

    // Creates the window as a child of `parent` at `rect` (parent client
    // coordinates). False when the window could not be created.
    bool Create(CDialog& parent, const char* className, const char* text, DWORD style,
                const RECT& rect, int id);
    HWND hwnd() const { return hwnd_; }

    // A notification (WM_COMMAND code) reflected from the parent; true when
    // handled, otherwise the parent's OnCommand sees it.
    virtual bool OnReflectedCommand(WORD code);

private:
    friend class CDialog;
    // The window is going with its dialog: forget it.
    void Detach();

    HWND hwnd_ = NULL;
    CDialog* parent_ = nullptr;
};

class CDialog {
public:
    explicit CDialog(int templateId) : templateId_(templateId) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally over `owner` and returns the value passed to
    // EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal(HWND owner);
    void EndDialog(INT_PTR result);

    HWND hwnd() const { return hwnd_; }
    // The control with that id, or null. Found once, then remembered: under
    // Wine, GetDlgItem asks the window server for the children every time.
    HWND Item(int id) const;
    std::string ItemText(int id) const;
    void SetItemText(int id, const char* text) const;
    static std::string WindowText(HWND hwnd);

    // Centres the window over its owner (the screen when it has none).
    void CentreOverOwner() const;

protected:
    // WM_INITDIALOG; return FALSE when the focus was set by the handler.
    virtual BOOL OnInitDialog() { return TRUE; }
    // WM_COMMAND not handled by a control; true when handled. IDCANCEL (the
    // Escape key and closing) ends the dialog unless a subclass handles it.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    virtual bool OnPaint() { return false; }
    virtual bool OnEraseBackground(HDC) { return false; }
    // WM_TIMER; true when handled.
    virtual bool OnTimer(UINT_PTR) { return false; }
    // WM_DESTROY, while the dialog's window and its controls still exist.
    virtual void OnDestroy() {}
    // Any other message; true when handled (the result goes to *result).
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result);

    HINSTANCE instance() const;

    // From OnInitDialog: show the dialog as soon as it is initialised and
    // centred, rather than when its message loop first goes idle (by then
    // the owner's pending paint would have gone first).
    void ShowWhenPlaced() { showWhenPlaced_ = true; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    int templateId_;
    HWND hwnd_ = NULL;
    bool showWhenPlaced_ = false;
    struct KnownItem {
        int id;
        HWND hwnd;
    };
    mutable std::vector<KnownItem> items_;
    // The controls created through CControl::Create, while their windows
    // exist. A window property would cost a round trip to the window
    // server under Wine on every command.
    friend class CControl;
    void Forget(CControl* control);
    std::vector<CControl*> controls_;
};

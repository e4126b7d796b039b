// A KVTInstall run in a medium folder of its own, for the UI tests, and the
// INI text of a catalogue of numbered tools.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "AppDriver.h"
#include "TestSupport.h"

namespace apptest {
namespace ids {
const int kInstall = 1, kExit = 2, kSelectAll = 1000, kEnglish = 1003, kGerman = 1004;
const int kDrive = 1007, kProject = 1011, kName = 1012, kCompany = 1013, kTools = 1018;
const int kStatus = 1023, kFirstTool = 10001;
}  // namespace ids

// [Config] lines "1=T1" ... "n=Tn" and sections [Ti] Name=Tool i, plus the
// extra lines given for tool i (1-based) in `extra`.
inline std::string ToolsIni(int n, const std::string& config = "",
                            const std::vector<std::string>& extra = {}) {
    std::string s = "[Config]\r\n" + config;
    for (int i = 1; i <= n; ++i) s += std::to_string(i) + "=T" + std::to_string(i) + "\r\n";
    for (int i = 1; i <= n; ++i) {
        s += "[T" + std::to_string(i) + "]\r\nName=Tool " + std::to_string(i) + "\r\n";
        if (static_cast<size_t>(i) <= extra.size()) s += extra[static_cast<size_t>(i) - 1];
    }
    return s;
}

// A program run in a medium folder of its own.
class AppRun {
public:
    // `iniText` null: no KVTInstall.ini at all.
    explicit AppRun(const char* iniText, const std::string& exeName = "KVTInstall")
        : medium_("medium") {
        if (iniText) kvttest::WriteFile(medium_ / (exeName + ".ini"), iniText);
        app_.reset(new AppProcess(kvttest::BinDir() + "\\" + exeName + ".exe", medium_.path()));
    }
    explicit AppRun(const std::string& iniText, const std::string& exeName = "KVTInstall")
        : AppRun(iniText.c_str(), exeName) {}

    AppProcess& app() { return *app_; }
    HWND Dialog() {
        if (!dlg_) dlg_ = app_->WaitMainDialog();
        return dlg_;
    }
    HWND Item(int id) { return GetDlgItem(Dialog(), id); }
    std::string ItemText(int id) { return Text(Item(id)); }
    bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) { return Send(Item(id), BM_GETCHECK) == BST_CHECKED; }
    void ClickItem(int id) { ASSERT_TRUE(Click(Item(id))) << "click on " << id; }
    // Rectangle of a control in the dialog's client coordinates.
    RECT ItemRect(int id) {
        RECT r;
        GetWindowRect(Item(id), &r);
        MapWindowPoints(NULL, Dialog(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // Leaves with the Exit button; the program must end normally.
    void Exit() {
        ASSERT_TRUE(Dialog() != NULL);
        ClickItem(ids::kExit);
        DWORD code = 1234;
        ASSERT_TRUE(app_->WaitExit(20000, &code)) << "program did not end after Exit";
        EXPECT_EQ(0u, code);
    }

private:
    kvttest::TempDir medium_;
    std::unique_ptr<AppProcess> app_;
    HWND dlg_ = NULL;
};

}  // namespace apptest

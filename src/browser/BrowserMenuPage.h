#pragma once
// TabSheet4 "IE右键菜单填表": moves the texts of EditKey and MemoValue and
// the clicks of its buttons to BrowserMenuLogic, which holds the rules, and
// shows the logic's control states.
#include <string>

#include "browser/BrowserMenuLogic.h"
#include "ui/PageDialog.h"

namespace pennora {

class BrowserMenuPage final : public PageDialog {
public:
    // `mainWindow` owns the help viewer; the help file is under `appPath`.
    BrowserMenuPage(HWND parent, BrowserMenuLogic& logic, HWND mainWindow, std::string appPath);

    // LoadIEMenuPage, then shows the result.
    void LoadIEMenuPage();

protected:
    bool OnButtonClicked(int id) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void ShowControls();
    void BtnHelpClick();

    BrowserMenuLogic& logic_;
    HWND mainWindow_;
    std::string appPath_;
    bool showing_ = false;  // the program is setting the edits
};

}  // namespace pennora

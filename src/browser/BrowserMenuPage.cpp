#include "browser/BrowserMenuPage.h"

#include <utility>

#include "browser/BrowserPageIds.h"
#include "ui/ByteLimitedEdit.h"
#include "ui/HelpTopic.h"
#include "ui/resource.h"

namespace pennora {
namespace {

// In GBK bytes, as the registry keeps them: a Chinese character counts two.
constexpr int kEditKeyLimit = 100;
constexpr int kMemoValueLimit = 200;

struct PageHint {
    int id;
    const char* text;
};

constexpr PageHint kHints[] = {
    {IDC_BTNFIRST, "第一项"}, {IDC_BTNPRIOR, "前一项"}, {IDC_BTNNEXT, "后一项"}, {IDC_BTNLAST, "最后一项"},
    {IDC_BTNNEW, "新增"},     {IDC_BTNDELETE, "删除"},  {IDC_BTNHELP, "帮助"},
};

struct Click {
    int id;
    void (BrowserMenuLogic::*handler)();
};

constexpr Click kClicks[] = {
    {IDC_BTNFIRST, &BrowserMenuLogic::btnFirstClick},   {IDC_BTNPRIOR, &BrowserMenuLogic::btnPriorClick},
    {IDC_BTNNEXT, &BrowserMenuLogic::BtnNextClick},     {IDC_BTNLAST, &BrowserMenuLogic::BtnLastClick},
    {IDC_BTNNEW, &BrowserMenuLogic::BtnNewClick},       {IDC_BTNDELETE, &BrowserMenuLogic::BtnDeleteClick},
    {IDC_BTNAPPLY, &BrowserMenuLogic::btnApplyClick},   {IDC_BTNCANCEL, &BrowserMenuLogic::btnCancelClick},
};

}  // namespace

BrowserMenuPage::BrowserMenuPage(HWND parent, BrowserMenuLogic& logic, HWND mainWindow, std::string appPath)
    : PageDialog(IDD_TABSHEET4, parent, true), logic_(logic), mainWindow_(mainWindow), appPath_(std::move(appPath)) {
    LimitEditToBytes(Item(IDC_EDITKEY), kEditKeyLimit);
    LimitEditToBytes(Item(IDC_MEMOVALUE), kMemoValueLimit);
    for (const PageHint& hint : kHints) AddHint(hint.id, hint.text);
    ShowControls();  // the entries may have been loaded before the page was made
}

void BrowserMenuPage::LoadIEMenuPage() {
    logic_.LoadIEMenuPage();
    ShowControls();
}

void BrowserMenuPage::ShowControls() {
    showing_ = true;
    const BrowserPageControls& controls = logic_.Controls();
    if (ItemText(IDC_EDITKEY) != controls.EditKey) SetItemText(IDC_EDITKEY, controls.EditKey);
    if (ItemText(IDC_MEMOVALUE) != controls.MemoValue) SetItemText(IDC_MEMOVALUE, controls.MemoValue);
    EnableItem(IDC_EDITKEY, controls.editsEnabled);
    EnableItem(IDC_MEMOVALUE, controls.editsEnabled);
    EnableItem(IDC_BTNAPPLY, controls.applyEnabled);
    EnableItem(IDC_BTNCANCEL, controls.applyEnabled);
    showing_ = false;
    if (logic_.TakeFocusRequest()) SetFocus(Item(IDC_EDITKEY));
}

bool BrowserMenuPage::OnButtonClicked(int id) {
    if (id == IDC_BTNHELP) {
        BtnHelpClick();
        return true;
    }
    for (const Click& click : kClicks) {
        if (click.id != id) continue;
        (logic_.*click.handler)();
        ShowControls();
        return true;
    }
    return false;
}

bool BrowserMenuPage::OnCommand(int id, int code, HWND) {
    if (showing_ || code != EN_CHANGE) return false;
    if (id == IDC_EDITKEY) {
        logic_.EditKeyChange(ItemText(IDC_EDITKEY));
    } else if (id == IDC_MEMOVALUE) {
        logic_.MemoValueChange(ItemText(IDC_MEMOVALUE));
    } else {
        return false;
    }
    ShowControls();
    return true;
}

void BrowserMenuPage::BtnHelpClick() { ShowHelpEntry(mainWindow_, appPath_, HelpEntry::BrowserMenu); }

}  // namespace pennora

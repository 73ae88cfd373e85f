#include "browser/BrowserMenuLogic.h"

#include <algorithm>
#include <utility>

#include "ui/ErrorText.h"

namespace pennora {

BrowserMenuLogic::BrowserMenuLogic(MenuStore& store, FolderApi& folders, MessageBoxes& boxes, Hwnd mainWindow,
                                   std::string appTitle, std::string appPath)
    : store_(store), folders_(folders), boxes_(boxes), mainWindow_(mainWindow), appTitle_(std::move(appTitle)),
      appPath_(std::move(appPath)) {}

bool BrowserMenuLogic::TakeFocusRequest() { return std::exchange(focusRequest_, false); }

// The program setting an edit's text runs its change handler, as typing
// would, but only when the text changes.
void BrowserMenuLogic::SetEditKey(const std::string& text) {
    if (controls_.EditKey != text) EditKeyChange(text);
}

void BrowserMenuLogic::SetMemoValue(const std::string& text) {
    if (controls_.MemoValue != text) MemoValueChange(text);
}

void BrowserMenuLogic::EditKeyChange(const std::string& text) {
    controls_.EditKey = text;
    Stored(names_, text);
}

void BrowserMenuLogic::MemoValueChange(const std::string& text) {
    controls_.MemoValue = text;
    Stored(texts_, text);
}

void BrowserMenuLogic::Stored(std::vector<std::string>& list, const std::string& text) {
    if (loading_) return;
    // No entry is current while the page empties its edits on a load.
    if (index_ >= 0 && index_ < int(list.size())) list[index_] = text;
    controls_.applyEnabled = true;
}

void BrowserMenuLogic::ShowEntry() {
    if (names_.empty() || index_ < 0 || index_ >= Count()) return;
    bool wasLoading = std::exchange(loading_, true);
    SetEditKey(names_[index_]);
    SetMemoValue(texts_[index_]);
    loading_ = wasLoading;
}

void BrowserMenuLogic::Navigate(int index) {
    bool wasLoading = std::exchange(loading_, true);
    index_ = index;
    ShowEntry();
    loading_ = wasLoading;
}

void BrowserMenuLogic::LoadIEMenuPage() {
    names_.clear();
    texts_.clear();
    oldNames_.clear();
    origins_.clear();
    store_.LoadIEMenus(names_, texts_);
    index_ = -1;
    if (!names_.empty() && !texts_.empty()) {
        index_ = 0;
        SetEditKey(names_[0]);
        SetMemoValue(texts_[0]);
        controls_.editsEnabled = true;
        oldNames_ = names_;
        for (int i = 0; i < Count(); ++i) origins_.push_back(i);
    } else {
        SetEditKey("");
        SetMemoValue("");
        controls_.editsEnabled = false;
    }
    origins_.resize(names_.size(), -1);
    controls_.applyEnabled = false;
}

void BrowserMenuLogic::btnFirstClick() { Navigate(0); }
void BrowserMenuLogic::btnPriorClick() { Navigate(std::max(index_ - 1, 0)); }
void BrowserMenuLogic::BtnNextClick() { Navigate(std::min(index_ + 1, Count() - 1)); }
void BrowserMenuLogic::BtnLastClick() { Navigate(Count() - 1); }

void BrowserMenuLogic::BtnNewClick() {
    index_ = Count();
    controls_.editsEnabled = true;
    focusRequest_ = true;
    names_.emplace_back();
    texts_.emplace_back();
    origins_.push_back(-1);
    SetEditKey("");
    SetMemoValue("");
}

void BrowserMenuLogic::BtnDeleteClick() {
    if (index_ < 0 || index_ >= Count()) return;
    if (boxes_.MessageBoxA(mainWindow_, kDeleteQuestion, appTitle_, kMbOkCancelQuestion) == kIdCancel) return;
    if (index_ == 0) {
        SetMemoValue("");
        SetEditKey("");
    }
    names_.erase(names_.begin() + index_);
    texts_.erase(texts_.begin() + index_);
    origins_.erase(origins_.begin() + index_);
    BtnLastClick();
    index_ = Count() - 1;
    if (names_.empty()) controls_.editsEnabled = false;
    controls_.applyEnabled = true;
}

void BrowserMenuLogic::btnApplyClick() {
    const std::string folder = appPath_ + "Script";
    if (!IsDirectory(folders_, folder)) folders_.CreateDirectoryA(folder);
    MenuSaveResult result = store_.SaveIEMenus(oldNames_, origins_, names_, texts_, folder + "\\");
    switch (result.outcome) {
    case MenuSaveResult::Outcome::Saved:
        boxes_.MessageBoxA(mainWindow_, kRestartBrowserNotice, kRestartBrowserCaption, kMbInformation);
        AfterSave(result);
        controls_.applyEnabled = false;
        break;
    case MenuSaveResult::Outcome::Refused:
        // Nothing was written; the entry in question is shown so it can be mended.
        boxes_.MessageBoxA(mainWindow_, result.message, appTitle_, kMbWarning);
        Navigate(result.refusedPosition);
        break;
    case MenuSaveResult::Outcome::Failed:
        boxes_.MessageBoxA(mainWindow_,
                           "IE右键菜单没有全部保存：" + ErrorReportText(result.message) +
                               "每个菜单项仍以原来的或新的名称留在注册表中；您可以再按“应用”重试。",
                           appTitle_, kMbError);
        break;
    }
}

// The keys just written are now the ones a later save replaces, so a
// second save removes what the first one made and the user since renamed
// or deleted.
void BrowserMenuLogic::AfterSave(const MenuSaveResult& result) {
    oldNames_ = result.writtenNames;
    origins_ = result.writtenOrigins;
}

void BrowserMenuLogic::btnCancelClick() {
    loading_ = true;
    LoadIEMenuPage();
    controls_.applyEnabled = false;
    loading_ = false;
}

}  // namespace pennora

#pragma once
// The rules of the page "IE右键菜单填表" (TabSheet4), apart from its window:
// the entries in memory, the entry shown, the loading flag and the states of
// the edits and of btnApply/btnCancel. The dialog moves texts between its
// controls and this model and calls the handlers named after its controls.
#include <string>
#include <vector>

#include "browser/MenuStore.h"
#include "platform/FolderApi.h"
#include "platform/Types.h"
#include "platform/WindowsInput.h"

namespace pennora {

inline constexpr const char* kDeleteQuestion = "确定要删除吗?";
inline constexpr const char* kRestartBrowserNotice =
    "如果当前有IE窗口正在运行，您需要关闭所有IE窗口重新启动，新设置才会生效。";
inline constexpr const char* kRestartBrowserCaption = "Pennora";
inline constexpr unsigned kMbOkCancelQuestion = 0x21;
inline constexpr unsigned kMbInformation = 0x40;
inline constexpr unsigned kMbWarning = 0x30;
inline constexpr unsigned kMbError = 0x10;

// What the page's controls show.
struct BrowserPageControls {
    std::string EditKey;
    std::string MemoValue;
    bool editsEnabled = false;   // EditKey and MemoValue
    bool applyEnabled = false;   // btnApply and btnCancel
    bool operator==(const BrowserPageControls&) const = default;
};

class BrowserMenuLogic {
public:
    // `mainWindow` owns the page's message boxes; the script folder is
    // appPath + "Script\".
    BrowserMenuLogic(MenuStore& store, FolderApi& folders, MessageBoxes& boxes, Hwnd mainWindow,
                     std::string appTitle, std::string appPath);

    const BrowserPageControls& Controls() const { return controls_; }
    // True once after BtnNew, when EditKey is to get the input focus.
    bool TakeFocusRequest();

    const std::vector<std::string>& MenuNames() const { return names_; }
    const std::vector<std::string>& MenuTexts() const { return texts_; }
    const std::vector<std::string>& OldMenuNames() const { return oldNames_; }
    int MenuIndex() const { return index_; }

    void LoadIEMenuPage();
    void btnFirstClick();
    void btnPriorClick();
    void BtnNextClick();
    void BtnLastClick();
    void BtnNewClick();
    void BtnDeleteClick();
    void btnApplyClick();
    void btnCancelClick();
    // The user changed the text of an edit; `text` is its whole text.
    void EditKeyChange(const std::string& text);
    void MemoValueChange(const std::string& text);

private:
    void SetEditKey(const std::string& text);
    void SetMemoValue(const std::string& text);
    void Stored(std::vector<std::string>& list, const std::string& text);
    void Navigate(int index);
    void ShowEntry();
    void AfterSave(const MenuSaveResult& result);
    int Count() const { return int(names_.size()); }

    MenuStore& store_;
    FolderApi& folders_;
    MessageBoxes& boxes_;
    Hwnd mainWindow_;
    std::string appTitle_;
    std::string appPath_;

    std::vector<std::string> names_;     // MenuNames
    std::vector<std::string> texts_;     // MenuTexts
    std::vector<std::string> oldNames_;  // OldMenuNames
    std::vector<int> origins_;           // per position: its index in OldMenuNames, or -1
    int index_ = -1;                     // MenuIndex
    bool loading_ = false;               // MenuLoading
    bool focusRequest_ = false;
    BrowserPageControls controls_;
};

}  // namespace pennora

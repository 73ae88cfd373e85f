#pragma once
// TfrmMain: the borderless main window with its title strip, menu tool bar,
// six pages and status line. It makes each page, with the logic behind it,
// when the page is first selected, and lays everything out for the DPI of its
// monitor. The messages that come through its queue for the program's other
// parts (the close, the tray, the hot key) it hands on to them.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "app/AboutPage.h"
#include "app/Application.h"
#include "app/FillPage.h"
#include "app/OptionsLogic.h"
#include "app/OptionsPage.h"
#include "app/StartWithWindows.h"
#include "browser/BrowserIntegration.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryEditorLogic.h"
#include "entries/EntryEditorPage.h"
#include "entries/EntryStore.h"
#include "fill/TextDelivery.h"
#include "matrix/MatrixPage.h"
#include "platform/CaretApi.h"
#include "platform/FileSystem.h"
#include "platform/HotKeyApi.h"
#include "platform/ProfileApi.h"
#include "platform/WindowsInput.h"
#include "platform/win32/Owned.h"
#include "platform/win32/Win32Registry.h"
#include "ui/IniFile.h"
#include "ui/MenuBar.h"
#include "ui/ModeFlags.h"
#include "ui/Settings.h"
#include "ui/TitleStrip.h"
#include "ui/Version.h"
#include "ui/Window.h"

namespace pennora {

// The platform services the program works through.
struct ShellServices {
    WindowsInput& windows;
    ProfileApi& profile;
    FileSystem& files;
    HotKeyApi& hotKeys;
    CaretApi& caret;
};

inline constexpr const char* kAppTitle = "KestovaPennora";
inline constexpr const char* kStripCaption = PENNORA_STRIP_CAPTION;
inline constexpr const char* kVersionLine = PENNORA_STRIP_CAPTION "  (64 位, 2026)\r\n常用文字快速填表工具";

// Page indexes of PageControl1.
enum PageIndex { kFillPage = 0, kEditorPage = 1, kBrowserMenuPage = 2, kMatrixPage = 3, kOptionsPage = 4, kAboutPage = 5 };

class MainWindow final : public Window {
public:
    // What the pages show and change; all of it outlives the window.
    struct Context {
        Application& app;
        ShellServices services;
        std::string appPath;
        EntryStore& store;
        DataFileKeeper& dataFile;
        IniFile& iniFile;
        Settings& settings;
        ModeFlags& flags;
        TextDelivery& delivery;
    };
    // Takes a message of another part of the program: its answer, or nothing
    // when the message is not that part's.
    using MessageTaker = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

    explicit MainWindow(Context context);
    ~MainWindow() override;

    // Shows the window; the first time, the context-menu entries are loaded.
    void Show();
    // The settings are read: the Options page can be made, and a fill page
    // shown before shows them now.
    void SettingsRead();

    // Messages this window does not take go to the takers, in the order added.
    void AddMessageTaker(MessageTaker taker) { messageTakers_.push_back(std::move(taker)); }
    std::function<void(int dpi)> onDpiChanged;  // after the window followed the new DPI
    std::function<void()> onHotKeyStopped;      // an options commit left no hot key registered
    // A drop of the matrix page's icon did not arrive whole: the notice.
    std::function<void(const std::string& text)> onDeliveryProblem;

    int dpi() const { return dpi_; }
    int activePage() const;
    void SelectPage(int index);
    // What the user is typing in a page goes to the store (the entry editor's).
    void SettleTyping();
    // Something is being typed that is not in the store yet (a title in
    // place in the entry editor's grid, changed).
    bool IsTyping() const;
    // While held, that title stays in its editor when a question takes the focus.
    void HoldTyping(bool hold);
    // A page once made, or null.
    PageDialog* page(int index) const { return pages_.at(index); }
    FillPage& fillPage() { return *fillPage_; }
    BrowserIntegration& browser() { return *browser_; }
    std::string statusText() const;
    void SetStatusText(const std::string& text);

    // The text matrix fields as stored, shown when the page is made.
    void RestoreMatrixFields(const StoredMatrixFields& fields) { matrixFields_ = fields; }
    // The text matrix fields as the close sequence stores them.
    ChineseGroup MatrixFields();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormShow();
    void Exit1Click();
    void Image7Click();
    void PageControl1Change();
    bool PageKey(const MSG& key);
    void OnHint(const std::string& hint);
    void TabSheet1Show();
    void RefreshOptionsPage();
    void ResetOptions1Click();
    void OrvantaHelp1Click();
    void ToolButtonHelpClick();

    void CreateChildren();
    void CreatePages();
    void AddPage(PageIndex index, PageDialog& page);
    void EnsurePage(int index);
    void Layout();
    void FitToPages();
    void OnDpiChanged(int dpi, const RECT& suggested);

    Context context_;
    int dpi_ = 96;  // the DPI the window is laid out for
    HWND focusWhenInactive_ = nullptr;  // the control that had the keyboard when the window was last left
    OwnedFont font_;
    OwnedFont stripFont_;
    std::unique_ptr<TitleStrip> panel11_;
    std::unique_ptr<MenuBar> toolBar5_;  // with MainMenu1
    HWND pageControl1_ = nullptr;
    HWND statusBar1_ = nullptr;
    std::unique_ptr<FillPage> fillPage_;
    std::unique_ptr<EntryEditorLogic> editorLogic_;
    std::unique_ptr<EntryEditorPage> editorPage_;
    std::unique_ptr<BrowserIntegration> browser_;
    std::unique_ptr<MatrixPage> matrixPage_;
    Win32Registry registry_;                             // for the Run value
    std::unique_ptr<StartWithWindows> startWithWindows_;  // behind the Options page's box
    std::unique_ptr<OptionsLogic> optionsLogic_;
    std::unique_ptr<OptionsPage> optionsPage_;
    std::unique_ptr<AboutPage> aboutPage_;
    std::array<PageDialog*, 6> pages_{};  // by PageIndex; null until made
    // Pages that are made when first selected, so start-up does not pay for them.
    std::array<std::function<void()>, 6> pageMakers_{};
    StoredMatrixFields matrixFields_;  // the matrix page's fields until it is made
    std::vector<MessageTaker> messageTakers_;
    bool shown_ = false;
};

}  // namespace pennora

#pragma once
// TfrmMain: the borderless main window with its title strip, menu tool bar,
// six pages and status line. It owns, for the whole run, the entry store, the
// settings file object, the in-memory settings and the mode flags.
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include <array>

#include "app/AboutPage.h"
#include "app/Application.h"
#include "app/FillPage.h"
#include "ui/IniFile.h"
#include "ui/ModeFlags.h"
#include "app/OptionsLogic.h"
#include "app/OptionsPage.h"
#include "ui/Settings.h"
#include "ui/TitleStrip.h"
#include "app/TrayIcon.h"
#include "ui/Window.h"
#include "browser/BrowserIntegration.h"
#include "entries/EntryStore.h"
#include "platform/FileSystem.h"
#include "platform/HotKeyApi.h"
#include "platform/ProfileApi.h"
#include "platform/WindowsInput.h"

namespace pennora {

class DragFillWindow;

// The platform services the main window works through.
struct ShellServices {
    WindowsInput& windows;
    ProfileApi& profile;
    FileSystem& files;
    HotKeyApi& hotKeys;
};

inline constexpr const char* kAppTitle = "KestovaPennora";
inline constexpr const char* kStripCaption = "KestovaPennora 2.5";
inline constexpr const char* kVersionLine = "KestovaPennora 2.5  (64 位, 2026)\r\n常用文字快速填表工具";
inline constexpr const char* kDataFileName = "Pennora.Dat";

// Page indexes of PageControl1.
enum PageIndex { kFillPage = 0, kEditorPage = 1, kBrowserMenuPage = 2, kMatrixPage = 3, kOptionsPage = 4, kAboutPage = 5 };

class MainWindow final : public Window {
public:
    // Creates the window (FormCreate runs); `executablePath` gives AppPath.
    MainWindow(Application& app, ShellServices services, const std::string& executablePath);
    ~MainWindow() override;

    // Shows the window for the first time (FormShow runs).
    void Show();

    const std::string& appPath() const { return appPath_; }
    ModeFlags& flags() { return flags_; }
    EntryStore& store() { return *store_; }
    int activePage() const;
    void SelectPage(int index);
    std::string statusText() const;
    DragFillWindow& dragFill() { return *dragFill_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:

    void FormCreate();
    void FormShow();
    void Timer1Timer();
    bool FormClose();  // false when the user cancelled the close
    void SaveWindowSettings();
    void WMPennora();
    void Exit1Click();
    void Image7Click();
    void PageControl1Change();
    void OnHint(const std::string& hint);
    void OnMin();
    void WMTrayNotify(LPARAM mouseMessage);
    void About1Click();
    void TabSheet1Show();
    void ResetOptions1Click();
    void OrvantaHelp1Click();
    void ToolButtonHelpClick();
    void HotKeyStoppedAfterCommit();
    void ShowTrayMenu();
    void HideIEWindow(bool hide);
    void MnuHideIEClick();

    void LoadEntryStore();
    void RestoreMatrixFields();
    void CreateChildren();
    void CreatePages();
    void AddPage(PageIndex index, PageDialog& page);
    void Layout();
    void ShowMenuOfButton(int buttonId);
    void OpenMenuByMnemonic(char key);
    void SetStatusText(const std::string& text);

    Application& app_;
    ShellServices services_;
    std::string executablePath_;
    std::string appPath_;
    std::unique_ptr<IniFile> iniFile_;
    Settings settings_;
    ChineseGroup matrixFields_;
    std::vector<std::string> screenFonts_;
    ModeFlags flags_;
    std::unique_ptr<EntryStore> store_;
    std::unique_ptr<DragFillWindow> dragFill_;

    HFONT font_ = nullptr;
    HFONT stripFont_ = nullptr;
    std::unique_ptr<TitleStrip> panel11_;
    HWND toolBar5_ = nullptr;
    HMENU mainMenu1_ = nullptr;
    HWND pageControl1_ = nullptr;
    HWND statusBar1_ = nullptr;
    std::unique_ptr<FillPage> fillPage_;
    std::unique_ptr<PageDialog> editorPage_;
    std::unique_ptr<BrowserIntegration> browser_;
    std::unique_ptr<PageDialog> matrixPage_;
    std::unique_ptr<OptionsLogic> optionsLogic_;
    std::unique_ptr<OptionsPage> optionsPage_;
    std::unique_ptr<AboutPage> aboutPage_;
    std::array<Dialog*, 6> pages_{};  // by PageIndex; null until made
    HIMAGELIST imageListMain_ = nullptr;
    HICON hotKeyIcon_ = nullptr;
    HICON appIcon_ = nullptr;
    TrayIcon trayIcon_;
    HMENU popupMenuMain_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool shown_ = false;
};

}  // namespace pennora

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
#include <functional>

#include "app/AboutPage.h"
#include "app/Application.h"
#include "app/FillPage.h"
#include "ui/IniFile.h"
#include "ui/ModeFlags.h"
#include "app/OptionsLogic.h"
#include "app/OptionsPage.h"
#include "ui/Settings.h"
#include "ui/TitleStrip.h"
#include "ui/Version.h"
#include "app/TrayIcon.h"
#include "ui/Window.h"
#include "browser/BrowserIntegration.h"
#include "entries/EntryEditorLogic.h"
#include "entries/EntryEditorPage.h"
#include "entries/DataFileBackups.h"
#include "entries/EntryStore.h"
#include "fill/DragFillMode.h"
#include "fill/FillMenu.h"
#include "fill/HotKeyFill.h"
#include "fill/TextDelivery.h"
#include "platform/CaretApi.h"
#include "matrix/MatrixPage.h"
#include "platform/FileSystem.h"
#include "platform/HotKeyApi.h"
#include "platform/ProfileApi.h"
#include "platform/WindowsInput.h"
#include "platform/win32/Owned.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"

namespace pennora {

class DragFillWindow;

// The platform services the main window works through.
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
inline constexpr const char* kDataFileName = "Pennora.Dat";

// Page indexes of PageControl1.
enum PageIndex { kFillPage = 0, kEditorPage = 1, kBrowserMenuPage = 2, kMatrixPage = 3, kOptionsPage = 4, kAboutPage = 5 };

class MainWindow final : public Window, private HotKeyFillView, private DragFillView {
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
    DragFillWindow& dragFill();
    HotKeyFill& hotKeyFill() { return *hotKeyFill_; }
    const FillMenu& fillMenu() const { return popupMenuFill_; }
    const TrayIcon& trayIcon() const { return trayIcon_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:

    void FormCreate();
    void FormShow();
    void Timer1Timer();
    bool FormClose();  // false when the user cancelled the close
    void ReleaseHotKeyAndTrayIcon();
    bool HasUnsavedWork() const;
    void SaveWindowSettings(bool reportRefusal = true);
    void WMClose();
    bool QueryEndSession();
    void EndSession(bool ending);
    void WMPennora();
    void Exit1Click();
    void Image7Click();
    void PageControl1Change();
    bool PageKey(const MSG& key);
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
    void ToolButtonDragFillClick();
    void ClientDataSet1AfterPost();
    void CreateFillModes();
    void PrepareEditorPage();

    // How the fill modes show themselves.
    void SetHotKeyButton(bool pressed) override;
    void SetHotKeyMenuCheck(bool checked) override;
    void ShowHotKeyOptions() override;
    void MinimizeApplication() override;
    void ChangeTrayIcon(bool hotKeyIcon) override;
    void RebuildFillMenu(const std::vector<std::string>& titles) override;
    std::optional<std::string> PopupFillMenu(Point topLeft) override;
    void ReportRefusedDelivery() override;
    void ShowDragFillWindow() override;
    void CloseDragFillWindow() override;
    void SetDragFillButton(bool pressed) override;
    void SetDragFillMenuCheck(bool checked) override;
    void CheckTrayItem(int id, bool checked);
    void HideIEWindow(bool hide);
    void MnuHideIEClick();

    void LoadEntryStore();
    void OfferUnsavedChanges();
    void RestoreMatrixFields();
    void CreateChildren();
    void CreatePages();
    void AddPage(PageIndex index, PageDialog& page);
    void EnsurePage(int index);
    void Layout();
    void FitToPages();
    void OnDpiChanged(int dpi, const RECT& suggested);
    void ShowMenuOfButton(int buttonId);
    void OpenMenuByMnemonic(char key);
    void SetStatusText(const std::string& text);

    Application& app_;
    ShellServices services_;
    std::string executablePath_;
    std::string appPath_;
    std::unique_ptr<IniFile> iniFile_;
    Settings settings_;
    ModeFlags flags_;
    Win32FolderFiles folderFiles_;
    Win32Clock clock_;
    std::unique_ptr<DataFileBackups> backups_;  // earlier versions of the data file, kept at each save
    std::unique_ptr<EntryStore> store_;
    std::unique_ptr<TextDelivery> delivery_;
    std::unique_ptr<DragFillWindow> dragFill_;
    std::unique_ptr<HotKeyFill> hotKeyFill_;
    FillMenu popupMenuFill_;

    int dpi_ = 96;  // the DPI the window is laid out for
    OwnedFont font_;
    OwnedFont stripFont_;
    std::unique_ptr<TitleStrip> panel11_;
    HWND toolBar5_ = nullptr;
    OwnedMenu mainMenu1_;
    HWND pageControl1_ = nullptr;
    HWND statusBar1_ = nullptr;
    std::unique_ptr<FillPage> fillPage_;
    std::unique_ptr<EntryEditorLogic> editorLogic_;
    std::unique_ptr<EntryEditorPage> editorPage_;
    std::unique_ptr<BrowserIntegration> browser_;
    std::unique_ptr<MatrixPage> matrixPage_;
    std::unique_ptr<OptionsLogic> optionsLogic_;
    std::unique_ptr<OptionsPage> optionsPage_;
    std::unique_ptr<AboutPage> aboutPage_;
    std::array<PageDialog*, 6> pages_{};  // by PageIndex; null until made
    // Pages that are made when first selected, so start-up does not pay for them.
    std::array<std::function<void()>, 6> pageMakers_{};
    StoredMatrixFields matrixFields_;  // the matrix page's fields until it is made
    TrayIcon trayIcon_;
    OwnedMenu popupMenuMain_;
    UINT taskbarCreated_ = 0;
    bool shown_ = false;
    bool created_ = false;         // FormCreate and the fill modes are done
    bool closeRequested_ = false;  // a close came while a start-up message was up
    bool closing_ = false;         // FormClose runs
};

}  // namespace pennora

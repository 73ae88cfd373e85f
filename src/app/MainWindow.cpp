#include "app/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

#include "app/BannerBitmap.h"
#include "ui/Bars.h"
#include "ui/DpiScale.h"
#include "ui/ErrorText.h"
#include "ui/Fonts.h"
#include "ui/HelpTopic.h"
#include "ui/PopupMenu.h"
#include "app/AppPath.h"
#include "ui/resource.h"
#include "entries/VersionOffer.h"
#include "fill/DragFillWindow.h"
#include "platform/Error.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Win32WindowsInput.h"

namespace pennora {
namespace {

// The client size at 96 DPI; windows on a monitor of another DPI scale it.
constexpr int kClientWidth = 468;
constexpr int kClientHeight = 343;
constexpr int kTabPaddingX = 4, kTabPaddingY = 3;  // small enough for all six tabs in one row
constexpr PixelFont kStripFont{-12, "宋体", GB2312_CHARSET, true};
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 10;

// The main window's native style: a borderless popup to which CreateParams
// adds a thin border and a sizing frame, no caption bar. No system menu: with
// one, a tap of Alt would enter it, unseen, and swallow the next key.
constexpr DWORD kMainWindowStyle = WS_POPUP | WS_BORDER | WS_THICKFRAME | WS_CLIPCHILDREN;
// Owned by the application window, the main window has no taskbar button of its own.
constexpr DWORD kMainWindowExStyle = WS_EX_CONTROLPARENT | kBorderlessExStyle;

struct PageDefinition {
    int templateId;
    const char* caption;
};

// PageControl1's pages in order; index = PageIndex.
constexpr PageDefinition kPages[] = {
    {IDD_TABSHEET1, " 填表助手"},      {IDD_TABSHEET2, " 数据编辑 "},   {IDD_TABSHEET4, "IE右键菜单填表"},
    {IDD_TABSHEET5, "文字方阵制作"}, {IDD_TABSHEET6, "选项..."},      {IDD_TABSHEET3, "关于..."},
};

struct MenuButton {
    int id;
    const char* caption;
    char mnemonic;
    int menuPosition;  // position of its popup in MainMenu1
};

// ToolBar5: the menu bar as flat buttons that drop down MainMenu1's menus.
constexpr MenuButton kMenuButtons[] = {
    {IDC_TOOLBUTTON_FILE, "文件(&F)", 'F', 0},
    {IDC_TOOLBUTTON_OPTIONS, "选项(&O)", 'O', 1},
    {IDC_TOOLBUTTON_HELP_MENU, "帮助(&H)", 'H', 2},
};

constexpr const char* kDeliveryRefusedText = "目标窗口拒绝了输入的文字（它可能以更高的权限运行），文字没有完整送达。";

constexpr const wchar_t* kEndSessionBlockReason = L"Pennora 有尚未保存的数据项修改。";
constexpr const char* kRetryLoadHint = "\r\r重试：再读一次。取消：不读取它，先从空的数据开始。";
constexpr const char* kUnsavedChangesQuestion =
    "上次 Windows 注销或关机时，Pennora 中有尚未保存的数据项修改，它们被单独保留了下来。\r\r"
    "要恢复这些修改吗？选“否”将丢弃它们。";
constexpr const char* kUnsavedChangesUnknown =
    "Pennora 无法确定上次 Windows 注销或关机时是否留下了尚未保存的数据项修改；如果有，它们仍在这个文件中，下次启动时会再询问。";

const std::string kStartupErrorText =
    "错误：\r未知的错误。请与软件开发者联系：support@kestova.example 。";

// The window rectangle whose client area has the design size at `dpi`.
SIZE WindowSizeAt(int dpi) {
    RECT bounds{0, 0, ScaleToDpi(kClientWidth, dpi), ScaleToDpi(kClientHeight, dpi)};
    AdjustWindowRectForDpi(bounds, kMainWindowStyle, kMainWindowExStyle, dpi);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::string ExecutablePath() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

}  // namespace

MainWindow::MainWindow(Application& app, ShellServices services, const std::string& executablePath)
    : app_(app),
      services_(services),
      executablePath_(executablePath.empty() ? ExecutablePath() : executablePath),
      appPath_(AppPathOf(executablePath_)),
      delivery_(std::make_unique<TextDelivery>(services.windows)) {
    WNDCLASSEXA windowClass{};
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    // Made for the primary monitor's DPI; centred there, it has that DPI.
    const SIZE size = WindowSizeAt(WindowDpi(nullptr));
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    Create("TfrmMain", windowClass, kMainWindowExStyle, kAppTitle, kMainWindowStyle,
           RECT{x, y, x + size.cx, y + size.cy}, app.hwnd());
    dpi_ = WindowDpi(hwnd());
    if (dpi_ != WindowDpi(nullptr)) {
        const SIZE onItsMonitor = WindowSizeAt(dpi_);
        SetWindowPos(hwnd(), nullptr, 0, 0, onItsMonitor.cx, onItsMonitor.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    app_.SetMainWindow(hwnd());
    FormCreate();
    CreateFillModes();
    created_ = true;
    // A close asked for while a start-up message was up comes now.
    if (closeRequested_) PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

// The fill modes work through the settings, so they follow FormCreate.
void MainWindow::CreateFillModes() {
    hotKeyFill_ = std::make_unique<HotKeyFill>(
        HotKeyFill::Services{services_.hotKeys, services_.caret, services_.windows, services_.windows}, *store_,
        settings_, flags_, FromHwnd(hwnd()), static_cast<HotKeyFillView&>(*this));
    fillPage_->onDragFillClick = [this] { ToolButtonDragFillClick(); };
    fillPage_->onHotKeyClick = [this] { hotKeyFill_->ToolButtonHotKeyClick(); };
}

// The window and its pages go first, while the fonts, menus, images and the
// objects behind the pages still exist.
MainWindow::~MainWindow() { Destroy(); }

void MainWindow::FormCreate() {
    CreateChildren();
    panel11_->SetCaption(kStripCaption);

    flags_.dragFillOn = flags_.hotKeyOn = flags_.dataModified = false;
    // AppPath is known from the constructor on: the pages made above use it.

    app_.onMinimize = [this] { OnMin(); };
    app_.onHint = [this](const std::string& hint) { OnHint(hint); };
    app_.onKeyDown = [this](const MSG& key) { return PageKey(key); };

    LoadEntryStore();

    iniFile_ = std::make_unique<IniFile>(services_.profile, appPath_ + kSettingsFileName);
    settings_ = LoadSettings(*iniFile_);
    optionsLogic_ = std::make_unique<OptionsLogic>(settings_, *iniFile_, flags_, services_.hotKeys, services_.windows,
                                                   FromHwnd(hwnd()));
    pageMakers_[kOptionsPage] = [this] {
        optionsPage_ = std::make_unique<OptionsPage>(hwnd(), *optionsLogic_);
        optionsPage_->onHotKeyStopped = [this] { HotKeyStoppedAfterCommit(); };
        AddPage(kOptionsPage, *optionsPage_);
    };
    Layout();
    // The fill page may have been shown before the settings were read.
    if (activePage() == kFillPage) TabSheet1Show();

    RestoreMatrixFields();
}

// Loads the entries and picks the first page: the fill page when there is a
// data file, the entry editor when there is none (or it could not be read),
// so a user without entries starts where entries are made.
void MainWindow::LoadEntryStore() {
    store_ = std::make_unique<EntryStore>(services_.files, appPath_ + kDataFileName);
    store_->SetAfterPost([this] { ClientDataSet1AfterPost(); });
    backups_ = std::make_unique<DataFileBackups>(services_.files, folderFiles_, clock_, store_->DataFilePath());
    store_->KeepEarlierVersions(*backups_, [this](const std::string& text) {
        services_.windows.MessageBoxA(FromHwnd(hwnd()), text, kAppTitle, MB_ICONWARNING);
    });
    PrepareEditorPage();
    using Status = EntryStore::LoadStatus;
    EntryStore::LoadResult result = store_->Load();
    // A file held by another program may be free a moment later: the user can
    // try again, as long as they like, or go on without it.
    while (result.status == Status::NotRead && result.canRetry &&
           services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), result.message + kRetryLoadHint, kAppTitle,
                                         MB_RETRYCANCEL | MB_ICONERROR) == IDRETRY) {
        result = store_->Load();
    }
    const bool loaded = result.status == Status::Loaded || result.status == Status::Recovered;
    SelectPage(loaded ? kFillPage : kEditorPage);
    if (result.status == Status::Unreadable)
        OfferNewestVersion(*store_, *backups_, services_.windows, FromHwnd(app_.hwnd()), kAppTitle, result.message);
    if (result.status == Status::NotRead && !result.canRetry)
        services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), result.message, kAppTitle, MB_ICONERROR);
    if (result.status == Status::Recovered)
        services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), result.message, kAppTitle, MB_ICONWARNING);
    // Changes that could not be saved now wait in their file for a start
    // where the data file can be read.
    if (result.status != Status::NotRead) OfferUnsavedChanges();
}

// Changes that an ending session kept apart are offered back at the next start.
void MainWindow::OfferUnsavedChanges() {
    const FileQuery unsaved = store_->UnsavedChanges();
    if (unsaved.state == FileState::Unknown) {
        services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), ErrorReportText(unsaved.error) + kUnsavedChangesUnknown,
                                      kAppTitle, MB_ICONWARNING);
        return;
    }
    if (unsaved.state != FileState::Present) return;
    if (services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), kUnsavedChangesQuestion, kAppTitle,
                                      MB_YESNO | MB_ICONQUESTION) != IDYES) {
        store_->DiscardUnsavedChanges();
        return;
    }
    std::string error;
    if (store_->RestoreUnsavedChanges(error)) {
        flags_.dataModified = true;
        SelectPage(kEditorPage);
    } else {
        services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), error, kAppTitle, MB_ICONERROR);
    }
}

// After every stored change: the data is modified and the running fill
// lists follow it.
void MainWindow::ClientDataSet1AfterPost() {
    pennora::ClientDataSet1AfterPost(
        *store_, flags_,
        FillListSinks{[this](const std::vector<std::string>& titles) { hotKeyFill_->BuildFillMenu(titles); },
                      [this](const std::vector<std::string>& titles) { dragFill().FillList(titles); }});
}

// The editor page shows the store as it is when the page is first selected:
// a start on the fill page does not pay for it.
void MainWindow::PrepareEditorPage() {
    editorLogic_ = std::make_unique<EntryEditorLogic>(*store_, flags_, services_.windows, FromHwnd(hwnd()));
    pageMakers_[kEditorPage] = [this] {
        editorPage_ = std::make_unique<EntryEditorPage>(hwnd(), *store_, *editorLogic_, services_.files, appPath_);
        AddPage(kEditorPage, *editorPage_);
    };
}

void MainWindow::RestoreMatrixFields() {
    try {
        matrixFields_ = ReadMatrixFields(*iniFile_);
    } catch (...) {
        services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), kStartupErrorText, "错误：", MB_ICONERROR);
    }
}

void MainWindow::CreateChildren() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    font_ = CreatePixelFont(kSongTi12, dpi_);
    stripFont_ = CreatePixelFont(kStripFont, dpi_);

    panel11_ = std::make_unique<TitleStrip>(hwnd(), IDC_PANEL11, TitleStrip::Look{stripFont_.get(), false, IDC_IMAGE7, IDC_IMAGE8});
    panel11_->onMinimizeClick = [this] { Image7Click(); };
    panel11_->onCloseClick = [this] { Exit1Click(); };

    mainMenu1_.reset(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU1)));
    popupMenuMain_.reset(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_POPUPMENUMAIN)));
    trayIcon_.SetDpi(dpi_);
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    toolBar5_ = CreateTextToolBar(hwnd(), IDC_TOOLBAR5, font_.get());
    for (const auto& button : kMenuButtons) {
        TBBUTTON tb{};
        tb.iBitmap = I_IMAGENONE;
        tb.idCommand = button.id;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT | BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN;
        tb.iString = reinterpret_cast<INT_PTR>(button.caption);
        SendMessageA(toolBar5_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&tb));
    }
    SendMessageA(toolBar5_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);

    pageControl1_ = CreateWindowExA(0, WC_TABCONTROLA, nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_BUTTONS | TCS_FLATBUTTONS | WS_TABSTOP,
                                    0, 0, 0, 0, hwnd(), reinterpret_cast<HMENU>(IDC_PAGECONTROL1), instance, nullptr);
    SendMessageA(pageControl1_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageA(pageControl1_, TCM_SETPADDING, 0, MAKELPARAM(ScaleToDpi(kTabPaddingX, dpi_), ScaleToDpi(kTabPaddingY, dpi_)));
    statusBar1_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd(),
                                  reinterpret_cast<HMENU>(IDC_STATUSBAR1), instance, nullptr);
    SendMessageA(statusBar1_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageA(statusBar1_, SB_SIMPLE, TRUE, 0);

    CreatePages();
    Layout();
    FitToPages();
}

void MainWindow::CreatePages() {
    int index = 0;
    for (const auto& page : kPages) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(page.caption);
        SendMessageA(pageControl1_, TCM_INSERTITEMA, index++, reinterpret_cast<LPARAM>(&item));
    }
    fillPage_ = std::make_unique<FillPage>(hwnd());
    fillPage_->onShow = [this] { TabSheet1Show(); };
    fillPage_->onHelpClick = [this] { ToolButtonHelpClick(); };
    fillPage_->onHideIEClick = [this] { HideIEWindow(fillPage_->IsPressed(IDC_TOOLBUTTONHIDEIE)); };
    AddPage(kFillPage, *fillPage_);
    // The entry editor waits for the store it shows, the Options page for
    // the settings; both, like the pages below, are made when first selected.
    browser_ = std::make_unique<BrowserIntegration>(hwnd(), app_.hwnd(), appPath_, kAppTitle, services_.windows,
                                                    services_.files);
    pageMakers_[kBrowserMenuPage] = [this] { AddPage(kBrowserMenuPage, browser_->page()); };
    pageMakers_[kMatrixPage] = [this] {
        matrixPage_ = std::make_unique<MatrixPage>(hwnd(), *delivery_);
        matrixPage_->Restore(matrixFields_);
        matrixPage_->onHelpClick = [this] { ShowHelpEntry(hwnd(), appPath_, HelpEntry::TextMatrix); };
        AddPage(kMatrixPage, *matrixPage_);
    };
    pageMakers_[kAboutPage] = [this] {
        aboutPage_ = std::make_unique<AboutPage>(hwnd());
        aboutPage_->SetVersionLine(kVersionLine);
        AddPage(kAboutPage, *aboutPage_);
    };
}

// Makes a page that waits for its first selection.
void MainWindow::EnsurePage(int index) {
    if (index < 0 || index >= int(pageMakers_.size()) || pages_[index] || !pageMakers_[index]) return;
    std::exchange(pageMakers_[index], nullptr)();
    Layout();
    FitToPages();
}

// Puts a page in its place of the page area; every page hands its hints to
// the status line.
void MainWindow::AddPage(PageIndex index, PageDialog& page) {
    pages_[index] = &page;
    page.RescaleForDpi(dpi_);
    page.onHint = [this](const std::string& hint) { app_.SetHint(hint); };
    ShowWindow(page.hwnd(), index == activePage() ? SW_SHOW : SW_HIDE);
}

void MainWindow::Layout() {
    RECT client;
    GetClientRect(hwnd(), &client);
    int width = client.right;
    panel11_->Layout(width);
    const int toolBarHeight = ToolBarHeight(toolBar5_);
    MoveWindow(toolBar5_, 0, panel11_->Height(), width, toolBarHeight, TRUE);
    const int statusHeight = StatusBarHeight(statusBar1_);
    int pagesTop = panel11_->Height() + toolBarHeight;
    RECT pageArea{0, pagesTop, width, client.bottom - statusHeight};
    MoveWindow(pageControl1_, pageArea.left, pageArea.top, pageArea.right - pageArea.left,
               pageArea.bottom - pageArea.top, TRUE);
    RECT display{0, 0, pageArea.right - pageArea.left, pageArea.bottom - pageArea.top};
    SendMessageA(pageControl1_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (PageDialog* page : pages_) {
        if (!page) continue;
        SetWindowPos(page->hwnd(), HWND_TOP, display.left, pagesTop + display.top, display.right - display.left,
                     display.bottom - display.top, SWP_NOACTIVATE);
    }
}

// The pages' horizontal dialog units follow the average character width of
// their font, which on some systems grows faster than the DPI: the window
// widens, about its centre, to show every page's controls whole.
void MainWindow::FitToPages() {
    int need = 0;
    for (PageDialog* page : pages_) {
        if (page) need = std::max(need, page->contentWidth());
    }
    RECT pageControl{0, 0, need, 0};
    SendMessageA(pageControl1_, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&pageControl));
    const int width = pageControl.right - pageControl.left;
    RECT client;
    GetClientRect(hwnd(), &client);
    if (client.right >= width) return;
    RECT bounds{0, 0, width, client.bottom};
    AdjustWindowRectForDpi(bounds, kMainWindowStyle, kMainWindowExStyle, dpi_);
    RECT place;
    GetWindowRect(hwnd(), &place);
    const int newWidth = bounds.right - bounds.left;
    SetWindowPos(hwnd(), nullptr, place.left - (newWidth - (place.right - place.left)) / 2, place.top, newWidth,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window moved to a monitor of another DPI, or that monitor's scale
// changed: fonts, paddings and pages follow, in the place the system suggests.
void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    OwnedFont font = CreatePixelFont(kSongTi12, dpi_), stripFont = CreatePixelFont(kStripFont, dpi_);
    for (HWND control : {toolBar5_, pageControl1_, statusBar1_})
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    panel11_->OnDpiChanged(dpi_, stripFont.get());
    trayIcon_.SetDpi(dpi_);
    font_ = std::move(font);
    stripFont_ = std::move(stripFont);
    SendMessageA(toolBar5_, TB_AUTOSIZE, 0, 0);
    SendMessageA(pageControl1_, TCM_SETPADDING, 0, MAKELPARAM(ScaleToDpi(kTabPaddingX, dpi_), ScaleToDpi(kTabPaddingY, dpi_)));
    for (PageDialog* page : pages_) {
        if (page) page->RescaleForDpi(dpi_);
    }
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    FitToPages();
}

int MainWindow::activePage() const { return int(SendMessageA(pageControl1_, TCM_GETCURSEL, 0, 0)); }

void MainWindow::SelectPage(int index) {
    SendMessageA(pageControl1_, TCM_SETCURSEL, index, 0);
    EnsurePage(index);
    for (int i = 0; i < int(pages_.size()); ++i) {
        if (pages_[i]) ShowWindow(pages_[i]->hwnd(), i == index ? SW_SHOW : SW_HIDE);
    }
}

std::string MainWindow::statusText() const {
    char text[512] = {};
    // (Wine answers the simple-mode text for part 0, not for SB_SIMPLEID.)
    SendMessageA(statusBar1_, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

void MainWindow::SetStatusText(const std::string& text) {
    SendMessageA(statusBar1_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}

void MainWindow::PageControl1Change() {
    int index = activePage();
    SelectPage(index);
    SetStatusText(kPages[index].caption);
    // The status line no longer shows the last hint: pointing at the same
    // button again must show it again.
    app_.SetHint("");
}

// Ctrl+Tab and Ctrl+Shift+Tab anywhere in the main window select the next
// and the previous page, as in any tabbed Windows dialog.
bool MainWindow::PageKey(const MSG& key) {
    if (key.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
    if (GetAncestor(key.hwnd, GA_ROOT) != hwnd()) return false;
    const int count = int(std::size(kPages));
    const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? count - 1 : 1;
    SendMessageA(pageControl1_, TCM_SETCURSEL, (activePage() + step) % count, 0);
    PageControl1Change();
    SetFocus(pageControl1_);  // not left on a control of the page now hidden
    return true;
}

void MainWindow::OnHint(const std::string& hint) {
    if (!hint.empty()) SetStatusText(hint);
}

void MainWindow::Show() {
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void MainWindow::FormShow() {
    SetTimer(hwnd(), kTimer1, kTimer1Interval, nullptr);
    browser_->LoadMenuEntries();
}

void MainWindow::Timer1Timer() {
    KillTimer(hwnd(), kTimer1);
    if (settings_.MinimizeWhenStartup) app_.Minimize();
    if (settings_.AutoStartDragFill) {
        ToolButtonDragFillClick();
        SetDragFillButton(flags_.dragFillOn);
    }
    if (settings_.AutoStartHotKey) hotKeyFill_->ToolButtonHotKeyClick();
}

void MainWindow::ToolButtonDragFillClick() { pennora::ToolButtonDragFillClick(flags_, settings_, *this); }

bool MainWindow::FormClose() {
    if (flags_.dataModified) {
        int answer = services_.windows.MessageBoxA(FromHwnd(hwnd()), "保存对数据项的修改吗？", "退出 Pennora",
                                                   MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return false;
        if (answer == IDYES) store_->Save();
    }
    SaveWindowSettings();
    ReleaseHotKeyAndTrayIcon();
    store_->Close();
    return true;
}

void MainWindow::ReleaseHotKeyAndTrayIcon() {
    if (flags_.hotKeyOn) services_.hotKeys.UnregisterHotKey(FromHwnd(hwnd()), HotKeyId(services_.hotKeys));
    trayIcon_.Delete();
}

// The drag-fill window is made when it is first needed: most runs never show
// it, and start-up need not pay for its window, controls and fonts.
DragFillWindow& MainWindow::dragFill() {
    if (!dragFill_) {
        dragFill_ = std::make_unique<DragFillWindow>(
            DragFillWindow::Context{*iniFile_, *store_, *delivery_, services_.windows, appPath_});
        dragFill_->onClosed = [this] { DragFillWindowClosed(flags_, *this); };
    }
    return *dragFill_;
}

// The drag-fill window's place and the text matrix fields. A settings file
// that refuses the write is reported, and the program still closes: the
// entries are already dealt with, and a read-only folder must not keep the
// user from quitting.
void MainWindow::SaveWindowSettings(bool reportRefusal) {
    try {
        WritePosition(*iniFile_, dragFill_ ? dragFill_->CurrentPosition() : DragFillWindow::StoredPosition(*iniFile_));
        WriteChineseGroup(*iniFile_, matrixPage_ ? matrixPage_->Fields() : MatrixPage::FieldsOfUnmadePage(matrixFields_));
    } catch (const Error& error) {
        if (reportRefusal) app_.ShowError(error.what());
    }
    iniFile_->Close();
}

// A close that arrives while a modal box is up (a start-up message, the close
// prompt, any question of a handler) waits for that box: FormClose never runs
// twice, nor on a window that is still being built. The box is brought forward.
void MainWindow::WMClose() {
    if (!created_) {
        closeRequested_ = true;
        return;
    }
    if (closing_ || !IsWindowEnabled(hwnd()) || !IsWindowEnabled(app_.hwnd())) {
        HWND box = GetLastActivePopup(IsWindowEnabled(app_.hwnd()) ? hwnd() : app_.hwnd());
        if (box) SetForegroundWindow(box);
        return;
    }
    closing_ = true;
    try {
        if (FormClose()) DestroyWindow(hwnd());
    } catch (const std::exception& error) {
        // A failed save keeps the program open with the entries in memory.
        closing_ = false;
        app_.ShowError(error.what());
        return;
    }
    closing_ = false;
}

// Logoff and shutdown. No question holds up the session (nobody may be there
// to answer it, and the system ends a program that does not answer): changes
// not saved go to a file of their own and are offered at the next start.
// Only when that file cannot be written is the end held up, with a reason the
// system shows, so the user can go back and save.
bool MainWindow::QueryEndSession() {
    if (!created_ || !HasUnsavedWork()) return true;
    if (store_->SaveUnsavedChanges().empty()) return true;
    ShutdownBlockReasonCreate(hwnd(), kEndSessionBlockReason);
    return false;
}

// Stored changes not saved, or an edit not committed yet.
bool MainWindow::HasUnsavedWork() const { return flags_.dataModified || store_->IsEditing(); }

void MainWindow::EndSession(bool ending) {
    if (!created_) return;
    if (!ending) {
        // The session goes on: the close prompt deals with the changes again.
        ShutdownBlockReasonDestroy(hwnd());
        store_->DiscardUnsavedChanges();
        return;
    }
    // The rest of the close sequence, without a question or an error box. A
    // forced end may come without the query: the changes are kept here too.
    closing_ = true;
    if (HasUnsavedWork()) store_->SaveUnsavedChanges();
    SaveWindowSettings(false);
    ReleaseHotKeyAndTrayIcon();
    DestroyWindow(hwnd());
}

void MainWindow::WMPennora() {
    app_.ShowTaskbarWindow(true);
    app_.Restore();
}

void MainWindow::Exit1Click() { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

void MainWindow::Image7Click() { app_.Minimize(); }

// The application went to the tray: hide its taskbar button, show the icon.
void MainWindow::OnMin() {
    app_.ShowTaskbarWindow(false);
    trayIcon_.Add(hwnd(), flags_.hotKeyOn ? TrayPicture::HotKey : TrayPicture::Application);
}

void MainWindow::WMTrayNotify(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        app_.ShowTaskbarWindow(true);
        app_.Restore();
        SetForegroundWindow(GetLastActivePopup(hwnd()));
        break;
    case WM_RBUTTONUP:
        CheckTrayItem(IDM_MNUDRAGFILLING, flags_.dragFillOn);
        CheckTrayItem(IDM_MNUHOTKEYFILLING, flags_.hotKeyOn);
        ShowTrayMenu();
        break;
    }
}

void MainWindow::ShowTrayMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    TrackMenuInFront(GetSubMenu(popupMenuMain_.get(), 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor, hwnd());
}

// An error in making the collection escapes to the general error report;
// then the button keeps the state its click gave it.
void MainWindow::HideIEWindow(bool hide) {
    std::string hint = browser_->HideIEWindow(hide, flags_.ieWindowsHidden);
    if (!hint.empty()) SetToolButtonHint(fillPage_->Item(IDC_TOOLBAR3), IDC_TOOLBUTTONHIDEIE, hint);
    fillPage_->SetPressed(IDC_TOOLBUTTONHIDEIE, flags_.ieWindowsHidden);
    CheckTrayItem(IDM_MNUHIDEIE, flags_.ieWindowsHidden);
}

void MainWindow::MnuHideIEClick() {
    HideIEWindow((GetMenuState(popupMenuMain_.get(), IDM_MNUHIDEIE, MF_BYCOMMAND) & MF_CHECKED) == 0);
}

void MainWindow::About1Click() {
    SelectPage(int(std::size(kPages)) - 1);
    app_.ShowTaskbarWindow(true);
    app_.Restore();
}

void MainWindow::TabSheet1Show() {
    if (!optionsLogic_) return;  // not yet: FormCreate shows the page again once the settings are read
    optionsLogic_->TabSheet1Show();
    if (optionsPage_) optionsPage_->ShowControls();
}

void MainWindow::ResetOptions1Click() {
    if (optionsLogic_->ResetOptions1Click() && optionsPage_) optionsPage_->ShowControls();
}

void MainWindow::OrvantaHelp1Click() { ShowHelpEntry(hwnd(), appPath_, HelpEntry::HelpMenu); }

void MainWindow::ToolButtonHelpClick() { ShowHelpEntry(hwnd(), appPath_, HelpEntry::FillPage); }

// A commit whose new hot key the system refused leaves no key registered:
// the hot-key mode is off, the tray shows the application's icon again.
void MainWindow::HotKeyStoppedAfterCommit() {
    ChangeTrayIcon(false);
    SetHotKeyButton(false);
    SetHotKeyMenuCheck(false);
    SetStatusText(kHotKeyStoppedStatus);
}

void MainWindow::CheckTrayItem(int id, bool checked) {
    CheckMenuItem(popupMenuMain_.get(), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::SetHotKeyButton(bool pressed) { fillPage_->SetPressed(IDC_TOOLBUTTONHOTKEY, pressed); }

void MainWindow::SetHotKeyMenuCheck(bool checked) { CheckTrayItem(IDM_MNUHOTKEYFILLING, checked); }

// The hot key is empty: the user is taken to where it is set.
void MainWindow::ShowHotKeyOptions() {
    SelectPage(kOptionsPage);
    if (app_.IsMinimized()) {
        app_.ShowTaskbarWindow(true);
        app_.Restore();
    }
    SetFocus(optionsPage_->Item(IDC_HOTKEY1));
}

void MainWindow::MinimizeApplication() { app_.Minimize(); }

void MainWindow::ChangeTrayIcon(bool hotKeyIcon) {
    trayIcon_.ChangeIcon(hotKeyIcon ? TrayPicture::HotKey : TrayPicture::Application);
}

void MainWindow::RebuildFillMenu(const std::vector<std::string>& titles) { popupMenuFill_.Rebuild(titles); }

std::optional<std::string> MainWindow::PopupFillMenu(Point topLeft) {
    return popupMenuFill_.Popup({topLeft.x, topLeft.y});
}

// A hot-key fill's characters were refused: told beside the tray icon when
// the program sits in the tray, otherwise on the status line; no modal box
// gets in the way of the filling. (A drop's are told by the drag-fill window.)
void MainWindow::ReportRefusedDelivery() {
    if (!trayIcon_.ShowBalloon(kAppTitle, kDeliveryRefusedText)) SetStatusText(kDeliveryRefusedText);
}

void MainWindow::ShowDragFillWindow() {
    dragFill().Show();
    SetForegroundWindow(dragFill_->hwnd());
}

void MainWindow::CloseDragFillWindow() {
    if (dragFill_) dragFill_->Close();
}

void MainWindow::SetDragFillButton(bool pressed) { fillPage_->SetPressed(IDC_TOOLBUTTONDRAGFILL, pressed); }

void MainWindow::SetDragFillMenuCheck(bool checked) { CheckTrayItem(IDM_MNUDRAGFILLING, checked); }

void MainWindow::ShowMenuOfButton(int buttonId) {
    const auto* button = std::find_if(std::begin(kMenuButtons), std::end(kMenuButtons),
                                      [&](const MenuButton& b) { return b.id == buttonId; });
    if (button == std::end(kMenuButtons)) return;
    RECT rect;
    SendMessageA(toolBar5_, TB_GETRECT, buttonId, reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(toolBar5_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    SendMessageA(toolBar5_, TB_PRESSBUTTON, buttonId, TRUE);
    TrackPopupMenu(GetSubMenu(mainMenu1_.get(), button->menuPosition), TPM_LEFTALIGN | TPM_TOPALIGN, rect.left,
                   rect.bottom, 0, hwnd(), nullptr);
    SendMessageA(toolBar5_, TB_PRESSBUTTON, buttonId, FALSE);
}

void MainWindow::OpenMenuByMnemonic(char key) {
    for (const auto& button : kMenuButtons) {
        if (button.mnemonic == (key & ~0x20)) ShowMenuOfButton(button.id);
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // Any minimise goes to the tray, whoever asked for it (another
        // program's ShowWindow, the shell's "minimise all").
        if (wParam == SIZE_MINIMIZED) {
            app_.Minimize();
            return 0;
        }
        if (panel11_) Layout();
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimer1) Timer1Timer();
        return 0;
    case WM_CLOSE:
        WMClose();
        return 0;
    case WM_QUERYENDSESSION:
        return QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
        EndSession(wParam != FALSE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_LBUTTONUP:  // the release of a drag of the matrix icon, while this window holds the capture
        if (delivery_->DragActive()) {
            EnsurePage(kMatrixPage);
            matrixPage_->Image6MouseUp(MouseButton::Left, short(LOWORD(lParam)), short(HIWORD(lParam)));
        }
        return 0;
    case kWmPennora:
        WMPennora();
        return 0;
    case kTrayCallbackMessage:
        WMTrayNotify(lParam);
        return 0;
    case WM_HOTKEY:
        hotKeyFill_->wmhotkey(lParam);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            app_.Minimize();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam) {
            OpenMenuByMnemonic(char(lParam));
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (ApplyAppCursor()) return TRUE;
        break;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.idFrom == IDC_PAGECONTROL1 && header.code == TCN_SELCHANGE) {
            PageControl1Change();
            return 0;
        }
        if (header.idFrom == IDC_TOOLBAR5 && header.code == TBN_DROPDOWN) {
            ShowMenuOfButton(reinterpret_cast<const NMTOOLBARA&>(header).iItem);
            return TBDDRET_DEFAULT;
        }
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_EXIT1:
        case IDM_EXIT2: Exit1Click(); return 0;
        case IDM_ABOUT1: About1Click(); return 0;
        case IDM_RESETOPTIONS1: ResetOptions1Click(); return 0;
        case IDM_ORVANTAHELP1: OrvantaHelp1Click(); return 0;
        case IDM_MNUDRAGFILLING: ToolButtonDragFillClick(); return 0;
        case IDM_MNUHOTKEYFILLING: hotKeyFill_->ToolButtonHotKeyClick(); return 0;
        case IDM_MNUHIDEIE: MnuHideIEClick(); return 0;
        }
        break;
    }
    if (message == taskbarCreated_ && taskbarCreated_) trayIcon_.Restore();
    return Default(message, wParam, lParam);
}

}  // namespace pennora

#include "app/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "ui/Bars.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/HelpTopic.h"
#include "ui/MenuBar.h"
#include "ui/resource.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Win32WindowsInput.h"

namespace pennora {
namespace {

// The client size at 96 DPI; windows on a monitor of another DPI scale it.
constexpr int kClientWidth = 468;
constexpr int kClientHeight = 343;
constexpr int kTabPaddingX = 4, kTabPaddingY = 3;  // small enough for all six tabs in one row
constexpr PixelFont kStripFont{-12, "宋体", GB2312_CHARSET, true};
// The main window's native style: a borderless popup to which CreateParams
// adds a thin border and a sizing frame, no caption bar. No system menu: with
// one, a tap of Alt would enter it, unseen, and swallow the next key.
constexpr DWORD kMainWindowStyle = WS_POPUP | WS_BORDER | WS_THICKFRAME | WS_CLIPCHILDREN;
// Owned by the application window, the main window has no taskbar button of its own.
constexpr DWORD kMainWindowExStyle = WS_EX_CONTROLPARENT | kBorderlessExStyle;

// The captions of PageControl1's tabs; index = PageIndex.
constexpr const char* kPageCaptions[] = {" 填表助手", " 数据编辑 ", "IE右键菜单填表", "文字方阵制作", "选项...", "关于..."};

// ToolBar5: the menu bar as flat buttons that drop down MainMenu1's menus.
constexpr MenuBar::Button kMenuButtons[] = {
    {IDC_TOOLBUTTON_FILE, "文件(&F)", 'F', 0},
    {IDC_TOOLBUTTON_OPTIONS, "选项(&O)", 'O', 1},
    {IDC_TOOLBUTTON_HELP_MENU, "帮助(&H)", 'H', 2},
};

// The window rectangle whose client area has the design size at `dpi`.
SIZE WindowSizeAt(int dpi) {
    RECT bounds{0, 0, ScaleToDpi(kClientWidth, dpi), ScaleToDpi(kClientHeight, dpi)};
    AdjustWindowRectForDpi(bounds, kMainWindowStyle, kMainWindowExStyle, dpi);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

// The full path of the running executable, which Windows is to start at log-on.
std::string RunningExecutable() {
    std::string path(32768, '\0');
    DWORD length = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

// The %NAME% references of a command expanded from this process's
// environment, as the shell expands an expandable Run value at log-on; the
// command as written when it cannot be expanded.
std::string ExpandEnvironment(const std::string& command) {
    std::string text(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD needed = ExpandEnvironmentStringsA(command.c_str(), text.data(), DWORD(text.size()));
        if (needed == 0) return command;
        if (needed <= text.size()) {
            text.resize(std::strlen(text.c_str()));  // the ANSI count may include more than the text
            return text;
        }
        text.assign(needed, '\0');
    }
    return command;
}

}  // namespace

MainWindow::MainWindow(Context context) : context_(std::move(context)) {
    WNDCLASSEXA windowClass{};
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    // Made for the primary monitor's DPI; centred there, it has that DPI.
    const SIZE size = WindowSizeAt(WindowDpi(nullptr));
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    Create("TfrmMain", windowClass, kMainWindowExStyle, kAppTitle, kMainWindowStyle,
           RECT{x, y, x + size.cx, y + size.cy}, context_.app.hwnd());
    dpi_ = WindowDpi(hwnd());
    if (dpi_ != WindowDpi(nullptr)) {
        const SIZE onItsMonitor = WindowSizeAt(dpi_);
        SetWindowPos(hwnd(), nullptr, 0, 0, onItsMonitor.cx, onItsMonitor.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    context_.app.SetMainWindow(hwnd());
    CreateChildren();
    panel11_->SetCaption(kStripCaption);
    context_.app.onHint = [this](const std::string& hint) { OnHint(hint); };
    context_.app.onKeyDown = [this](const MSG& key) { return PageKey(key); };
}

// The window and its pages go first, while the fonts, menus, images and the
// objects behind the pages still exist.
MainWindow::~MainWindow() {
    context_.app.onHint = nullptr;
    context_.app.onKeyDown = nullptr;
    Destroy();
}

void MainWindow::SettingsRead() {
    startWithWindows_ = std::make_unique<StartWithWindows>(registry_, RunningExecutable(), ExpandEnvironment);
    optionsLogic_ = std::make_unique<OptionsLogic>(context_.settings, context_.iniFile, context_.flags,
                                                   context_.services.hotKeys, context_.services.windows, FromHwnd(hwnd()),
                                                   startWithWindows_.get());
    pageMakers_[kOptionsPage] = [this] {
        optionsPage_ = std::make_unique<OptionsPage>(hwnd(), *optionsLogic_);
        optionsPage_->onHotKeyStopped = [this] {
            if (onHotKeyStopped) onHotKeyStopped();
        };
        AddPage(kOptionsPage, *optionsPage_);
    };
    Layout();
    // The fill page may have been shown before the settings were read.
    if (activePage() == kFillPage) TabSheet1Show();
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

    toolBar5_ = std::make_unique<MenuBar>(hwnd(), IDC_TOOLBAR5, font_.get(), IDR_MAINMENU1,
                                          std::vector(std::begin(kMenuButtons), std::end(kMenuButtons)));

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
    for (const char* caption : kPageCaptions) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(caption);
        SendMessageA(pageControl1_, TCM_INSERTITEMA, index++, reinterpret_cast<LPARAM>(&item));
    }
    fillPage_ = std::make_unique<FillPage>(hwnd());
    fillPage_->onShow = [this] { TabSheet1Show(); };
    fillPage_->onHelpClick = [this] { ToolButtonHelpClick(); };
    AddPage(kFillPage, *fillPage_);
    // The editor shows the store as it is when the page is first selected;
    // the Options page waits for the settings. Both, like the pages below,
    // are made when first selected.
    pageMakers_[kEditorPage] = [this] {
        editorLogic_ = std::make_unique<EntryEditorLogic>(context_.store, context_.dataFile, context_.flags,
                                                          context_.services.windows, FromHwnd(hwnd()));
        editorPage_ = std::make_unique<EntryEditorPage>(hwnd(), context_.store, *editorLogic_, context_.services.files,
                                                        context_.appPath);
        AddPage(kEditorPage, *editorPage_);
    };
    browser_ = std::make_unique<BrowserIntegration>(hwnd(), context_.app.hwnd(), context_.appPath, kAppTitle,
                                                    context_.services.windows, context_.services.files);
    pageMakers_[kBrowserMenuPage] = [this] { AddPage(kBrowserMenuPage, browser_->page()); };
    pageMakers_[kMatrixPage] = [this] {
        matrixPage_ = std::make_unique<MatrixPage>(hwnd(), context_.delivery);
        matrixPage_->Restore(matrixFields_);
        matrixPage_->onHelpClick = [this] { ShowHelpEntry(hwnd(), context_.appPath, HelpEntry::TextMatrix); };
        matrixPage_->onDeliveryProblem = [this](const std::string& text) {
            if (onDeliveryProblem) onDeliveryProblem(text);
        };
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
    page.onHint = [this](const std::string& hint) { context_.app.SetHint(hint); };
    ShowWindow(page.hwnd(), index == activePage() ? SW_SHOW : SW_HIDE);
}

void MainWindow::Layout() {
    RECT client;
    GetClientRect(hwnd(), &client);
    int width = client.right;
    panel11_->Layout(width);
    const int toolBarHeight = ToolBarHeight(toolBar5_->hwnd());
    MoveWindow(toolBar5_->hwnd(), 0, panel11_->Height(), width, toolBarHeight, TRUE);
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
    for (HWND control : {toolBar5_->hwnd(), pageControl1_, statusBar1_})
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    panel11_->OnDpiChanged(dpi_, stripFont.get());
    font_ = std::move(font);
    stripFont_ = std::move(stripFont);
    SendMessageA(toolBar5_->hwnd(), TB_AUTOSIZE, 0, 0);
    SendMessageA(pageControl1_, TCM_SETPADDING, 0, MAKELPARAM(ScaleToDpi(kTabPaddingX, dpi_), ScaleToDpi(kTabPaddingY, dpi_)));
    for (PageDialog* page : pages_) {
        if (page) page->RescaleForDpi(dpi_);
    }
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    FitToPages();
    if (onDpiChanged) onDpiChanged(dpi_);
}

int MainWindow::activePage() const { return int(SendMessageA(pageControl1_, TCM_GETCURSEL, 0, 0)); }

void MainWindow::SelectPage(int index) {
    SendMessageA(pageControl1_, TCM_SETCURSEL, index, 0);
    EnsurePage(index);
    for (int i = 0; i < int(pages_.size()); ++i) {
        if (pages_[i]) ShowWindow(pages_[i]->hwnd(), i == index ? SW_SHOW : SW_HIDE);
    }
}

void MainWindow::SettleTyping() {
    if (editorPage_) editorPage_->SettleTyping();
}

bool MainWindow::IsTyping() const { return editorPage_ && editorPage_->IsTyping(); }

void MainWindow::HoldTyping(bool hold) {
    if (editorPage_) editorPage_->HoldTyping(hold);
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
    SetStatusText(kPageCaptions[index]);
    // The status line no longer shows the last hint: pointing at the same
    // button again must show it again.
    context_.app.SetHint("");
}

// Ctrl+Tab and Ctrl+Shift+Tab anywhere in the main window select the next
// and the previous page, as in any tabbed Windows dialog.
bool MainWindow::PageKey(const MSG& key) {
    if (key.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
    if (GetAncestor(key.hwnd, GA_ROOT) != hwnd()) return false;
    const int count = int(std::size(kPageCaptions));
    const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? count - 1 : 1;
    SendMessageA(pageControl1_, TCM_SETCURSEL, (activePage() + step) % count, 0);
    PageControl1Change();
    SetFocus(pageControl1_);  // not left on a control of the page now hidden
    return true;
}

void MainWindow::OnHint(const std::string& hint) {
    if (!hint.empty()) SetStatusText(hint);
}

ChineseGroup MainWindow::MatrixFields() {
    return matrixPage_ ? matrixPage_->Fields() : MatrixPage::FieldsOfUnmadePage(matrixFields_);
}

void MainWindow::Show() {
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void MainWindow::FormShow() { browser_->LoadMenuEntries(); }

void MainWindow::Exit1Click() { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

void MainWindow::Image7Click() { context_.app.Minimize(); }

void MainWindow::TabSheet1Show() {
    if (!optionsLogic_) return;  // not yet: SettingsRead shows the page again
    optionsLogic_->TabSheet1Show();
    if (optionsPage_) optionsPage_->ShowControls();
}

// The main window came back (from the tray, a minimise, another program):
// the Run value may have changed meanwhile, and the Options page, when it is
// the one in view, shows it as it is now. The page's own show message does
// not come then, as the page itself stayed visible.
void MainWindow::RefreshOptionsPage() {
    if (!optionsPage_ || activePage() != kOptionsPage) return;
    optionsLogic_->OptionsPageShow();
    optionsPage_->ShowControls();
}

void MainWindow::ResetOptions1Click() {
    if (optionsLogic_->ResetOptions1Click() && optionsPage_) optionsPage_->ShowControls();
}

void MainWindow::OrvantaHelp1Click() { ShowHelpEntry(hwnd(), context_.appPath, HelpEntry::HelpMenu); }

void MainWindow::ToolButtonHelpClick() { ShowHelpEntry(hwnd(), context_.appPath, HelpEntry::FillPage); }

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // Any minimise goes to the tray, whoever asked for it (another
        // program's ShowWindow, the shell's "minimise all").
        if (wParam == SIZE_MINIMIZED) {
            context_.app.Minimize();
            return 0;
        }
        if (panel11_) Layout();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) RefreshOptionsPage();
        break;
    case WM_ACTIVATE:
        // The keyboard comes back to the control that had it when the window
        // was left (a question's box, another program), as in a dialog; left
        // to the default it would go to the window itself, and an activation
        // the window manager makes late would take it from where a Cancel put it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            focusWhenInactive_ = focus && IsChild(hwnd(), focus) ? focus : nullptr;
            return 0;
        }
        RefreshOptionsPage();
        if (HIWORD(wParam) == 0 && focusWhenInactive_ && IsWindow(focusWhenInactive_) &&
            IsChild(hwnd(), focusWhenInactive_)) {
            SetFocus(focusWhenInactive_);
            return 0;
        }
        break;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_LBUTTONUP:  // the release of a drag of the matrix icon, while this window holds the capture
        if (context_.delivery.DragActive()) {
            EnsurePage(kMatrixPage);
            matrixPage_->Image6MouseUp(MouseButton::Left, short(LOWORD(lParam)), short(HIWORD(lParam)));
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            context_.app.Minimize();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam) {
            toolBar5_->OpenByMnemonic(char(lParam));
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
            toolBar5_->DropDown(reinterpret_cast<const NMTOOLBARA&>(header).iItem);
            return TBDDRET_DEFAULT;
        }
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_EXIT1: Exit1Click(); return 0;
        case IDM_RESETOPTIONS1: ResetOptions1Click(); return 0;
        case IDM_ORVANTAHELP1: OrvantaHelp1Click(); return 0;
        }
        break;
    }
    for (const MessageTaker& taker : messageTakers_) {
        if (std::optional<LRESULT> answer = taker(message, wParam, lParam)) return *answer;
    }
    return Default(message, wParam, lParam);
}

}  // namespace pennora

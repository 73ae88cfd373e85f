#include "fill/DragFillWindow.h"

#include <commctrl.h>

#include <iterator>

#include "fill/DragFillIds.h"
#include "fill/ListDiff.h"
#include "ui/Bars.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/Version.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/HelpTopic.h"
#include "ui/Settings.h"

namespace pennora {
namespace {

// Sizes at 96 DPI; on a monitor of another DPI they scale.
constexpr int kDesignWidth = 150;
constexpr int kDesignHeight = 273;
constexpr int kListLineHeight = 15;
constexpr int kMinButtonWidth = 31, kMaxButtonWidth = 64;
constexpr PixelFont kStripFont{-13, "MS Sans Serif", DEFAULT_CHARSET};
constexpr PixelFont kListFont{-12, "Arial", GB2312_CHARSET};
// CreateParams: a popup with a thin border and a sizing frame, no caption bar.
constexpr DWORD kDragFillStyle = 0x80840000;  // WS_POPUP | WS_BORDER | WS_THICKFRAME

constexpr const char* kStatusText = "    拖动快填";
constexpr const char* kQuitText = "确定要退出吗？";
constexpr const char* kQuitCaption = "Pennora - 拖动快填";

struct TextButton {
    int id;
    const char* caption;
};
// ToolBar1: "帮助", a separator, "结束".
constexpr TextButton kToolBar1[] = {{IDC_DF_TOOLBUTTON1, "帮助"}, {0, nullptr}, {IDC_DF_TOOLBUTTON2, "结束"}};

MouseButton ButtonOf(UINT message) {
    switch (message) {
    case WM_RBUTTONUP:
    case WM_RBUTTONDOWN: return MouseButton::Right;
    case WM_MBUTTONUP:
    case WM_MBUTTONDOWN: return MouseButton::Middle;
    default: return MouseButton::Left;
    }
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}
bool IsButtonUp(UINT message) { return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP; }

POINT PointOf(LPARAM lParam) { return {short(LOWORD(lParam)), short(HIWORD(lParam))}; }

// The list's class asks for double clicks: a second press soon after the
// first arrives as one. Here it is a press like any other.
UINT AsPress(UINT message) {
    switch (message) {
    case WM_LBUTTONDBLCLK: return WM_LBUTTONDOWN;
    case WM_RBUTTONDBLCLK: return WM_RBUTTONDOWN;
    case WM_MBUTTONDBLCLK: return WM_MBUTTONDOWN;
    default: return message;
    }
}

}  // namespace

DragFillWindow::DragFillWindow(Context context) : context_(std::move(context)) {
    background_.reset(CreateSolidBrush(kStripColour));
    WNDCLASSEXA windowClass{};
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    windowClass.hbrBackground = background_.get();
    const Point design = kDragFillDesignPosition;
    dpi_ = WindowDpi(nullptr);
    // Owned by the desktop rather than the application, so minimising the
    // application neither hides it nor takes away its topmost place; its
    // taskbar button brings it back after Image1 minimised it.
    Create("TfrmDragfill", windowClass, WS_EX_TOPMOST | WS_EX_APPWINDOW | kBorderlessExStyle, "KestovaPennora",
           kDragFillStyle,
           RECT{design.x, design.y, design.x + ScaleToDpi(kDesignWidth, dpi_), design.y + ScaleToDpi(kDesignHeight, dpi_)},
           GetDesktopWindow());
    if (const int onItsMonitor = WindowDpi(hwnd()); onItsMonitor != dpi_) {
        dpi_ = onItsMonitor;
        SetWindowPos(hwnd(), nullptr, 0, 0, ScaleToDpi(kDesignWidth, dpi_), ScaleToDpi(kDesignHeight, dpi_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateChildren();
    FormCreate();
}

// The window goes before the fonts and the brush it uses.
DragFillWindow::~DragFillWindow() { Destroy(); }

void DragFillWindow::CreateChildren() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    MakeFonts();
    panel1_ = std::make_unique<TitleStrip>(hwnd(), IDC_DF_PANEL1,
                                           TitleStrip::Look{stripFont_.get(), true, IDC_DF_IMAGE1, IDC_DF_IMAGE2});
    panel1_->onMinimizeClick = [this] { ShowWindow(hwnd(), SW_MINIMIZE); };  // Image1Click
    panel1_->onCloseClick = [this] { Close(); };                             // Image2Click

    toolBar1_ = CreateTextToolBar(hwnd(), IDC_DF_TOOLBAR1, listFont_.get());
    for (const TextButton& button : kToolBar1) {
        TBBUTTON tb{};
        tb.iBitmap = button.id ? I_IMAGENONE : 4;
        tb.idCommand = button.id;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = button.id ? BTNS_BUTTON | BTNS_SHOWTEXT | BTNS_AUTOSIZE : BTNS_SEP;
        tb.iString = reinterpret_cast<INT_PTR>(button.caption);
        SendMessageA(toolBar1_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&tb));
    }

    listBox1_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
                                hwnd(), reinterpret_cast<HMENU>(IDC_DF_LISTBOX1), instance, nullptr);
    SendMessageA(listBox1_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
    SetWindowSubclass(listBox1_, ListProcedure, 0, reinterpret_cast<DWORD_PTR>(this));

    statusBar1_ = CreateWindowExA(0, STATUSCLASSNAMEA, kStatusText, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd(),
                                  reinterpret_cast<HMENU>(IDC_DF_STATUSBAR1), instance, nullptr);
    SendMessageA(statusBar1_, SB_SIMPLE, TRUE, 0);
    ShowStatus(kStatusText);
    ApplyMetrics();
    Layout();
}

void DragFillWindow::MakeFonts() {
    stripFont_ = CreatePixelFont(kStripFont, dpi_);
    listFont_ = CreatePixelFont(kListFont, dpi_);
}

// The sizes the controls do not take from their fonts.
void DragFillWindow::ApplyMetrics() {
    SendMessageA(toolBar1_, TB_SETBUTTONWIDTH, 0,
                 MAKELPARAM(ScaleToDpi(kMinButtonWidth, dpi_), ScaleToDpi(kMaxButtonWidth, dpi_)));
    SendMessageA(toolBar1_, TB_AUTOSIZE, 0, 0);
    SendMessageA(listBox1_, LB_SETITEMHEIGHT, 0, ScaleToDpi(kListLineHeight, dpi_));
}

// The window moved to a monitor of another DPI: fonts and sizes follow, in
// the place the system suggests.
void DragFillWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    const OwnedFont oldStripFont = std::move(stripFont_), oldListFont = std::move(listFont_);
    MakeFonts();
    panel1_->OnDpiChanged(dpi_, stripFont_.get());
    for (HWND control : {toolBar1_, listBox1_})
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
    ApplyMetrics();
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void DragFillWindow::Layout() {
    RECT client;
    GetClientRect(hwnd(), &client);
    const int width = client.right;
    panel1_->Layout(width);
    const int toolBarHeight = ToolBarHeight(toolBar1_);
    MoveWindow(toolBar1_, 0, panel1_->Height(), width, toolBarHeight, TRUE);
    const int listTop = panel1_->Height() + toolBarHeight;
    MoveWindow(listBox1_, 0, listTop, width, client.bottom - StatusBarHeight(statusBar1_) - listTop, TRUE);
}

void DragFillWindow::FormCreate() {
    panel1_->SetCaption(PENNORA_STRIP_CAPTION);
    const Point position = StoredPosition(context_.iniFile);
    SetWindowPos(hwnd(), nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Point DragFillWindow::StoredPosition(IniFile& iniFile) { return ReadPosition(iniFile, kDragFillDesignPosition); }

void DragFillWindow::Show() {
    FormShow();
    ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
}

void DragFillWindow::FormShow() {
    context_.delivery.Disarm();
    ShowStatus(kStatusText);
    MoveTo(ReadStartPosition(context_.iniFile, CurrentPosition()));
    FillList(context_.store.WalkDragList());
}

void DragFillWindow::Close() { SendMessageA(hwnd(), WM_CLOSE, 0, 0); }

void DragFillWindow::FormClose() {
    ShowWindow(hwnd(), SW_HIDE);
    if (onClosed) onClosed();
}

void DragFillWindow::FillList(const std::vector<std::string>& titles) {
    const ListChange change = DiffLists(listed_, titles);
    SendMessageA(listBox1_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listBox1_, LB_SETCURSEL, WPARAM(-1), 0);
    for (std::size_t i = 0; i < change.removed; ++i) SendMessageA(listBox1_, LB_DELETESTRING, change.first, 0);
    for (std::size_t i = change.first; i < change.first + change.inserted; ++i)
        SendMessageA(listBox1_, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(titles[i].c_str()));
    listed_ = titles;
    SendMessageA(listBox1_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox1_, nullptr, TRUE);
}

std::vector<std::string> DragFillWindow::ListedTitles() const {
    std::vector<std::string> titles;
    const int count = int(SendMessageA(listBox1_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string title(size_t(SendMessageA(listBox1_, LB_GETTEXTLEN, i, 0)), '\0');
        SendMessageA(listBox1_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(title.data()));
        titles.push_back(title.c_str());
    }
    return titles;
}

std::string DragFillWindow::SelectedTitle() const {
    const int selected = int(SendMessageA(listBox1_, LB_GETCURSEL, 0, 0));
    if (selected < 0) return {};
    std::string title(size_t(SendMessageA(listBox1_, LB_GETTEXTLEN, selected, 0)) + 1, '\0');
    SendMessageA(listBox1_, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(title.data()));
    return title.c_str();
}

// A minimised window's restored place is given in work-area coordinates:
// this is how far they are from the screen's, so a taskbar on the left or top
// edge does not move the window by its width at every run.
POINT DragFillWindow::WorkAreaOffset() const {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    return {monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top};
}

Point DragFillWindow::CurrentPosition() const {
    RECT rect;
    if (!IsIconic(hwnd())) {
        GetWindowRect(hwnd(), &rect);
        return {rect.left, rect.top};
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd(), &placement);
    const POINT offset = WorkAreaOffset();
    return {placement.rcNormalPosition.left + offset.x, placement.rcNormalPosition.top + offset.y};
}

// A minimised window is moved in its restored place, where the restore that
// shows it puts it; moving the minimised window itself would be undone then.
void DragFillWindow::MoveTo(Point position) {
    if (!IsIconic(hwnd())) {
        SetWindowPos(hwnd(), nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd(), &placement);
    const POINT offset = WorkAreaOffset();
    RECT& restored = placement.rcNormalPosition;
    OffsetRect(&restored, position.x - offset.x - restored.left, position.y - offset.y - restored.top);
    placement.showCmd = IsWindowVisible(hwnd()) ? SW_SHOWMINNOACTIVE : SW_HIDE;
    SetWindowPlacement(hwnd(), &placement);
}

// The press on a title arms the drag, with this window (not the list) taking
// the capture.
void DragFillWindow::ListBox1MouseDown(MouseButton button, POINT inList) {
    if (button != MouseButton::Left) return;
    const LRESULT hit = SendMessageA(listBox1_, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y));
    if (HIWORD(hit) != 0 || int(LOWORD(hit)) >= SendMessageA(listBox1_, LB_GETCOUNT, 0, 0)) return;
    context_.delivery.ArmDrag(FromHwnd(hwnd()));
    ShowStatus(kStatusText);  // a notice of the last drop is over
}

void DragFillWindow::ListBox1MouseUp(MouseButton button, POINT position) {
    // The capture window gives the capture up on the left release, before the
    // drop, so that the synthetic click reaches the target.
    if (button == MouseButton::Left && GetCapture() == hwnd()) ReleaseCapture();
    // After an aborted drop the list may have been refilled and lost its
    // selection: with no title to type, the drag just ends.
    if (button == MouseButton::Left && context_.delivery.DragActive() &&
        SendMessageA(listBox1_, LB_GETCURSEL, 0, 0) < 0) {
        context_.delivery.CancelDrag();
        return;
    }
    const std::string title = SelectedTitle();
    DropResult result = context_.delivery.DropText(
        button, position.x, position.y, {FromHwnd(listBox1_)}, [&] { return context_.store.GetContentByTitle(title); },
        OnRefusedRelease::RestoreCursor);
    // Told here, where the user looks during a drop, without a box in the way.
    if (result == DropResult::Refused) ShowStatus(kDropRefusedStatus);
}

void DragFillWindow::ShowStatus(const char* text) {
    SendMessageA(statusBar1_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text));
}

void DragFillWindow::ToolButton1Click() { ShowHelpEntry(hwnd(), context_.appPath, HelpEntry::DragFillWindow); }

void DragFillWindow::ToolButton2Click() {
    if (context_.boxes.MessageBoxA(FromHwnd(hwnd()), kQuitText, kQuitCaption, MB_ICONQUESTION | MB_YESNO) == IDYES)
        Close();
}

LRESULT CALLBACK DragFillWindow::ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
    auto* self = reinterpret_cast<DragFillWindow*>(data);
    if (message == WM_SETCURSOR && ApplyAppCursor()) return TRUE;
    message = AsPress(message);
    if (!IsButtonDown(message) && !IsButtonUp(message)) return DefSubclassProc(list, message, wParam, lParam);
    // The list's own handling (selecting the item under a press) comes first.
    LRESULT result = DefSubclassProc(list, message, wParam, lParam);
    ReportingErrors(
        [&] {
            if (IsButtonDown(message))
                self->ListBox1MouseDown(ButtonOf(message), PointOf(lParam));
            else
                self->ListBox1MouseUp(ButtonOf(message), PointOf(lParam));
            return true;
        },
        false);
    return result;
}

LRESULT DragFillWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsButtonUp(message)) {
        // The release of a drag arrives here while this window holds the capture.
        ListBox1MouseUp(ButtonOf(message), PointOf(lParam));
        return 0;
    }
    if (IsButtonDown(message)) {
        POINT inList = PointOf(lParam);
        MapWindowPoints(hwnd(), listBox1_, &inList, 1);
        ListBox1MouseDown(ButtonOf(message), inList);
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        if (panel1_) Layout();
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_DF_TOOLBUTTON1) ToolButton1Click();
        if (LOWORD(wParam) == IDC_DF_TOOLBUTTON2) ToolButton2Click();
        return 0;
    case WM_SETCURSOR:
        if (ApplyAppCursor()) return TRUE;
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace pennora

#include "fill/DragFillWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "fill/DragFillIds.h"
#include "fill/DropNotice.h"
#include "fill/ListDiff.h"
#include "fill/Subclass.h"
#include "fill/WindowText.h"
#include "ui/Bars.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/Version.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/HelpTopic.h"
#include "ui/Hints.h"
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

// The height of a one-line edit box for `font`: a line and the box's edges.
int EditHeight(HWND edit, HFONT font, int dpi) {
    TEXTMETRICA metrics{};
    WindowDC dc(edit);
    ScopedSelection selected(dc.get(), font);
    GetTextMetricsA(dc.get(), &metrics);
    return int(metrics.tmHeight) + 2 * SystemMetricForDpi(SM_CYEDGE, dpi) + ScaleToDpi(2, dpi);
}

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

    hints_ = CreateHintWindow(hwnd());
    findBox_ = std::make_unique<FindBox>(hwnd(), IDC_DF_EDTFIND, listFont_.get(), hints_,
                                         [this](const std::vector<std::string>& titles) {
                                             return context_.store.ContentsByTitle(titles);
                                         });
    findBox_->onFound = [this] { ShowFoundLines(); };

    foundList_ = std::make_unique<FoundList>(*findBox_);
    listBox1_ = foundList_->Create(hwnd(), IDC_DF_LISTBOX1);
    SendMessageA(listBox1_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
    listBoxProcedure_ = Subclass(listBox1_, &DragFillWindow::ListProcedure, this);

    statusBar1_ = std::make_unique<DropNotice>(hwnd(), IDC_DF_STATUSBAR1, listFont_.get(), dpi_, kStatusText);
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
    for (HWND control : {toolBar1_, findBox_->hwnd(), listBox1_})
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
    statusBar1_->SetFont(listFont_.get(), dpi_);
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
    const int findTop = panel1_->Height() + toolBarHeight;
    const int findHeight = EditHeight(findBox_->hwnd(), listFont_.get(), dpi_);
    MoveWindow(findBox_->hwnd(), 0, findTop, width, findHeight, TRUE);
    const int listTop = findTop + findHeight;
    // A notice takes the lines it needs from the list, which keeps two lines
    // to start the next drag from.
    const int listLeast = ScaleToDpi(2 * kListLineHeight, dpi_) + 2 * SystemMetricForDpi(SM_CYEDGE, dpi_);
    const int statusHeight = statusBar1_->Layout(std::max(0, int(client.bottom) - listTop - listLeast));
    MoveWindow(listBox1_, 0, listTop, width, std::max(0, int(client.bottom) - statusHeight - listTop), TRUE);
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
    pressed_.reset();
    ShowStatus(kStatusText);
    MoveTo(ReadStartPosition(context_.iniFile, CurrentPosition()));
    // Every showing starts with the whole list, as it did before there was
    // a find box.
    findBox_->Clear();
    FillList(context_.store.WalkDragList());
    // The keyboard is in the find box when the window comes back.
    findBox_->Prepare();
}

void DragFillWindow::Close() { SendMessageA(hwnd(), WM_CLOSE, 0, 0); }

void DragFillWindow::FormClose() {
    ShowWindow(hwnd(), SW_HIDE);
    if (onClosed) onClosed();
}

// A drag under way goes on: what it types is the title of the line that was
// pressed, wherever that line is now, or nothing when its entry has left the
// list or has another title now.
void DragFillWindow::FillList(const std::vector<std::string>& titles) {
    if (pressed_) FollowPressedLine(titles);
    findBox_->SetLines(titles);
}

// The titles change by one run of lines (one stored change makes one): a
// pressed line before or after it stays, moved by the run's growth; one in
// it stays only as the same repeat of its title in the new run.
void DragFillWindow::FollowPressedLine(const std::vector<std::string>& titles) {
    const std::vector<std::string>& before = findBox_->Titles();
    const ListChange change = DiffLists(before, titles);
    std::size_t& index = pressed_->index;
    if (index < change.first) return;
    if (index >= change.first + change.removed) {
        index = index - change.removed + change.inserted;
        return;
    }
    auto repeat = std::count(before.begin() + std::ptrdiff_t(change.first), before.begin() + std::ptrdiff_t(index),
                             pressed_->title);
    const auto run = titles.begin() + std::ptrdiff_t(change.first);
    for (auto line = run; line != run + std::ptrdiff_t(change.inserted); ++line) {
        if (*line == pressed_->title && repeat-- == 0) {
            index = std::size_t(line - titles.begin());
            return;
        }
    }
    pressed_.reset();
}

// Shows the lines the find box found: the list only learns their number and
// is drawn again. No line stays selected, but the one a drag under way
// carries, where it now is. While the count changes the list does not draw:
// it would draw its scroll bar and erase its lines on the screen at once, all
// to be drawn again by the paint that follows. Drawing back on draws the
// scroll bar once, and the next paint the lines, every pixel of them, so
// nothing needs erasing. A count that stays leaves the scroll bar alone.
void DragFillWindow::ShowFoundLines() {
    const std::size_t count = findBox_->Found().size();
    const bool counted = std::size_t(SendMessageA(listBox1_, LB_GETCOUNT, 0, 0)) == count;
    if (!counted) SendMessageA(listBox1_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listBox1_, LB_SETCURSEL, WPARAM(-1), 0);
    if (!counted) SendMessageA(listBox1_, LB_SETCOUNT, count, 0);
    if (pressed_) foundList_->SelectLineOf(pressed_->index);
    if (!counted) SendMessageA(listBox1_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox1_, nullptr, FALSE);
    // A screen reader learns that the lines are others now.
    NotifyWinEvent(EVENT_OBJECT_REORDER, listBox1_, OBJID_CLIENT, CHILDID_SELF);
}

std::vector<std::string> DragFillWindow::ListedTitles() const { return foundList_->ListedTitles(); }

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

// The press on a title arms the drag of the line that was under the pointer
// when the press came, with this window (not the list) taking the capture.
// The press may have ended a composition in the find box and so refilled the
// list: the line the list selected may then hold another title, so the
// pressed one is kept for the drop and selected again where it now is.
void DragFillWindow::ListBox1MouseDown(MouseButton button, std::optional<std::size_t> pressed) {
    if (button != MouseButton::Left || !pressed) return;
    pressed_ = PressedLine{findBox_->Titles()[*pressed], *pressed};
    if (foundList_->SelectedTitleIndex() != pressed) foundList_->SelectLineOf(pressed);
    context_.delivery.ArmDrag(FromHwnd(hwnd()));
    ShowStatus(kStatusText);  // a notice of the last drop is over
}

void DragFillWindow::ListBox1MouseUp(MouseButton button, POINT position) {
    // The capture window gives the capture up on the left release, before the
    // drop, so that the synthetic click reaches the target.
    if (button == MouseButton::Left && GetCapture() == hwnd()) ReleaseCapture();
    const bool dropping = button == MouseButton::Left && context_.delivery.DragActive();
    // The text is looked up before anything is clicked: the look-up commits
    // a change pending in the editor, and the refill that follows may take
    // the pressed line away (its entry renamed or out of the drag list).
    std::optional<std::string> content;
    if (dropping && pressed_) content = context_.store.GetContentByTitle(pressed_->title);
    // A drag with no line to type ends without a click: it was armed before
    // the window was shown again, or the pressed line's entry has gone from
    // the drag list or taken another title while it was dragged.
    if (dropping && !pressed_) {
        context_.delivery.CancelDrag();
        return;
    }
    const std::string title = pressed_ ? pressed_->title : foundList_->SelectedTitle();
    DropResult result = context_.delivery.DropText(
        button, position.x, position.y, {FromHwnd(listBox1_)},
        [&] { return content ? *content : context_.store.GetContentByTitle(title); }, OnRefusedRelease::RestoreCursor);
    // A release over this program's own windows gives the drag up but
    // leaves it armed: the pressed line stays with it until it ends.
    if (!context_.delivery.DragActive()) pressed_.reset();
    // Told here, where the user looks during a drop, without a box in the way.
    if (result == DropResult::Refused)
        ShowStatus(kDropRefusedStatus);
    else if (const char* problem = DeliveryProblemText(result))
        ShowStatus(problem);
}

// The status line grows to the lines a notice needs and is one line again
// for the fixed text; the list takes what is left.
void DragFillWindow::ShowStatus(const char* text) {
    if (statusBar1_->Text() == text) return;
    statusBar1_->Show(text);
    Layout();
}

void DragFillWindow::ToolButton1Click() { ShowHelpEntry(hwnd(), context_.appPath, HelpEntry::DragFillWindow); }

void DragFillWindow::ToolButton2Click() {
    if (context_.boxes.MessageBoxA(FromHwnd(hwnd()), kQuitText, kQuitCaption, MB_ICONQUESTION | MB_YESNO) == IDYES)
        Close();
}

LRESULT CALLBACK DragFillWindow::ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = SelfOf<DragFillWindow>(list);
    const auto listBox = [&] { return CallWindowProcA(self->listBoxProcedure_, list, message, wParam, lParam); };
    if (message == WM_SETCURSOR && ApplyAppCursor()) return TRUE;
    if (message == WM_PAINT && wParam == 0) return self->foundList_->Paint(self->listBoxProcedure_), 0;
    if (message == WM_ERASEBKGND && self->foundList_->SkipsErase()) return 1;
    if (LRESULT text; self->foundList_->AnswerText(message, wParam, lParam, text)) return text;
    if ((message == WM_CHAR || message == WM_IME_CHAR) && self->foundList_->PassTypingOn(message, wParam)) return 0;
    message = AsPress(message);
    if (!IsButtonDown(message) && !IsButtonUp(message)) return listBox();
    // The title under a press is taken before the list's own handling, whose
    // taking of the keyboard may end a composition and refill the list.
    std::optional<std::size_t> pressed;
    if (IsButtonDown(message)) pressed = self->foundList_->TitleIndexAt(PointOf(lParam));
    // The list's own handling (selecting the item under a press) comes first.
    LRESULT result = listBox();
    ReportingErrors(
        [&] {
            if (IsButtonDown(message))
                self->ListBox1MouseDown(ButtonOf(message), pressed);
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
        ListBox1MouseDown(ButtonOf(message), foundList_->TitleIndexAt(inList));
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        if (statusBar1_) Layout();
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
        if (LOWORD(wParam) == IDC_DF_EDTFIND) findBox_->OnCommand(HIWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        if (wParam == IDC_DF_LISTBOX1) {
            foundList_->DrawLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), listFont_.get());
            return TRUE;
        }
        if (wParam == IDC_DF_STATUSBAR1) {
            statusBar1_->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_SETFOCUS:
        // The keyboard goes to the find box: typing finds at once.
        SetFocus(findBox_->hwnd());
        return 0;
    case WM_SETCURSOR:
        if (ApplyAppCursor()) return TRUE;
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace pennora

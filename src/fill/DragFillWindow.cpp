#include "fill/DragFillWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "fill/DragFillIds.h"
#include "fill/ListDiff.h"
#include "fill/ListFind.h"
#include "ui/Bars.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/Version.h"
#include "platform/win32/AnsiText.h"
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
constexpr const wchar_t* kFindCue = L"查找标题或内容";
constexpr const char* kFindHint = "只列出标题或内容含有所输文字的数据项（英文字母不分大小写，汉字也可输入拼音或声母）；Esc 清空";
// A change of more lines than this refills the list box at once: cheaper
// than as many single inserts and deletes in the middle of a long list.
constexpr std::size_t kMostSingleChanges = 256;

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

// Puts `procedure` in front of a control's own window procedure, which it
// returns (for CallWindowProcA or, for a Unicode control, CallWindowProcW);
// `self` is kept in the control's GWLP_USERDATA. Not SetWindowSubclass:
// comctl32 looks the subclass chain up in a window property at every
// message, which under Wine is a round trip to the wineserver, and a refill
// sends the list box thousands of messages.
WNDPROC Subclass(HWND control, WNDPROC procedure, void* self) {
    const bool unicode = IsWindowUnicode(control);
    (unicode ? SetWindowLongPtrW : SetWindowLongPtrA)(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return reinterpret_cast<WNDPROC>(
        (unicode ? SetWindowLongPtrW : SetWindowLongPtrA)(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

template <class Self>
Self* SelfOf(HWND control) {
    return reinterpret_cast<Self*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

// The GBK text of a Unicode window, or nothing when it holds a character
// the code page does not have: the ANSI call would make that a "?", which
// would then find every text holding one.
std::optional<std::string> WindowTextGbk(HWND window) {
    std::wstring wide(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    wide.resize(std::size_t(GetWindowTextW(window, wide.data(), int(wide.size()))));
    return ToAnsiExactly(wide);
}

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

    // A Unicode box: Wine's ANSI edit control does not join the two bytes of
    // a typed Chinese character.
    edtFind_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                               0, 0, hwnd(), reinterpret_cast<HMENU>(IDC_DF_EDTFIND), instance, nullptr);
    SendMessageA(edtFind_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
    SendMessageW(edtFind_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(kFindCue));
    findBoxProcedure_ = Subclass(edtFind_, &DragFillWindow::FindProcedure, this);
    hints_ = CreateHintWindow(hwnd());
    AddHint(hints_, hwnd(), edtFind_, kFindHint);

    listBox1_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
                                hwnd(), reinterpret_cast<HMENU>(IDC_DF_LISTBOX1), instance, nullptr);
    SendMessageA(listBox1_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
    listBoxProcedure_ = Subclass(listBox1_, &DragFillWindow::ListProcedure, this);

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
    for (HWND control : {toolBar1_, edtFind_, listBox1_})
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
    const int findTop = panel1_->Height() + toolBarHeight;
    const int findHeight = EditHeight(edtFind_, listFont_.get(), dpi_);
    MoveWindow(edtFind_, 0, findTop, width, findHeight, TRUE);
    const int listTop = findTop + findHeight;
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
    // Every showing starts with the whole list, as it did before there was
    // a find box.
    findText_.clear();
    findsNothing_ = false;
    SetWindowTextW(edtFind_, L"");
    FillList(context_.store.WalkDragList());
}

void DragFillWindow::Close() { SendMessageA(hwnd(), WM_CLOSE, 0, 0); }

void DragFillWindow::FormClose() {
    ShowWindow(hwnd(), SW_HIDE);
    if (onClosed) onClosed();
}

void DragFillWindow::FillList(const std::vector<std::string>& titles) {
    pressedTitle_.reset();  // a drag under way ends without typing
    listed_ = titles;
    listedContents_.reset();
    ShowFoundLines();
}

// EN_CHANGE of EdtFind. A composition of an input method is not text yet:
// the lines follow when it is finished.
void DragFillWindow::EdtFindChange() {
    if (composing_) return;
    std::optional<std::string> text = WindowTextGbk(edtFind_);
    // A text the code page cannot hold stands in no title or content.
    const bool findsNothing = !text;
    if (findsNothing == findsNothing_ && text.value_or(std::string()) == findText_) return;
    findsNothing_ = findsNothing;
    findText_ = text.value_or(std::string());
    ShowFoundLines();
}

// The contents the find looks at, looked up once per filling of the list:
// when the find box gets the keyboard, before the user types into it.
void DragFillWindow::PrepareFind() {
    if (!listedContents_) listedContents_ = context_.store.ContentsByTitle(listed_);
}

void DragFillWindow::ShowFoundLines() {
    if (findsNothing_) {
        ShowLines({});
        return;
    }
    if (findText_.empty()) {
        ShowLines(listed_);
        return;
    }
    PrepareFind();
    std::vector<std::string> lines;
    for (std::size_t line : LinesContaining(listed_, *listedContents_, findText_)) lines.push_back(listed_[line]);
    ShowLines(std::move(lines));
}

// Makes the lines of ListBox1 `lines`. Only the run of lines that differs is
// replaced, unless that is most of a long list; the list keeps its scroll
// place, and no line stays selected. Under Wine every update of a list's
// scroll bar repaints it at once, the dearest part of a change: a change of
// one line updates it once by itself, a larger one once for all its lines,
// and no change not at all.
void DragFillWindow::ShowLines(std::vector<std::string> lines) {
    SendMessageA(listBox1_, LB_SETCURSEL, WPARAM(-1), 0);
    const ListChange change = DiffLists(shown_, lines);
    const std::size_t changes = change.removed + change.inserted;
    if (changes > 1) SendMessageA(listBox1_, WM_SETREDRAW, FALSE, 0);
    if (changes > kMostSingleChanges) {
        const LRESULT top = SendMessageA(listBox1_, LB_GETTOPINDEX, 0, 0);
        std::size_t bytes = 0;
        for (const std::string& line : lines) bytes += line.size() + 1;
        SendMessageA(listBox1_, LB_RESETCONTENT, 0, 0);
        SendMessageA(listBox1_, LB_INITSTORAGE, lines.size(), LPARAM(bytes));
        for (const std::string& line : lines) SendMessageA(listBox1_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SendMessageA(listBox1_, LB_SETTOPINDEX, WPARAM(top), 0);
    } else {
        for (std::size_t i = 0; i < change.removed; ++i) SendMessageA(listBox1_, LB_DELETESTRING, change.first, 0);
        for (std::size_t i = change.first; i < change.first + change.inserted; ++i)
            SendMessageA(listBox1_, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(lines[i].c_str()));
    }
    shown_ = std::move(lines);
    if (changes > 1) {
        SendMessageA(listBox1_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(listBox1_, nullptr, TRUE);
    }
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

// The title of the line at `inList`, if a line is there.
std::optional<std::string> DragFillWindow::TitleAt(POINT inList) const {
    const LRESULT hit = SendMessageA(listBox1_, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y));
    if (HIWORD(hit) != 0 || std::size_t(LOWORD(hit)) >= shown_.size()) return std::nullopt;
    return shown_[LOWORD(hit)];
}

// The press on a title arms the drag of `pressed`, the title that was under
// the pointer when the press came, with this window (not the list) taking
// the capture. The press may have ended a composition in the find box and so
// refilled the list: the line the list selected may then hold another title,
// so the pressed one is kept for the drop and selected again where it now is.
void DragFillWindow::ListBox1MouseDown(MouseButton button, const std::optional<std::string>& pressed) {
    if (button != MouseButton::Left || !pressed) return;
    pressedTitle_ = pressed;
    if (SelectedTitle() != *pressed) {
        const auto line = std::find(shown_.begin(), shown_.end(), *pressed);
        SendMessageA(listBox1_, LB_SETCURSEL, line == shown_.end() ? WPARAM(-1) : WPARAM(line - shown_.begin()), 0);
    }
    context_.delivery.ArmDrag(FromHwnd(hwnd()));
    ShowStatus(kStatusText);  // a notice of the last drop is over
}

void DragFillWindow::ListBox1MouseUp(MouseButton button, POINT position) {
    // The capture window gives the capture up on the left release, before the
    // drop, so that the synthetic click reaches the target.
    if (button == MouseButton::Left && GetCapture() == hwnd()) ReleaseCapture();
    // After an aborted drop the list may have been refilled and lost its
    // selection: with no title to type, the drag just ends.
    if (button == MouseButton::Left && context_.delivery.DragActive() && !pressedTitle_) {
        context_.delivery.CancelDrag();
        return;
    }
    const std::string title = pressedTitle_ ? *pressedTitle_ : SelectedTitle();
    if (button == MouseButton::Left) pressedTitle_.reset();
    DropResult result = context_.delivery.DropText(
        button, position.x, position.y, {FromHwnd(listBox1_)}, [&] { return context_.store.GetContentByTitle(title); },
        OnRefusedRelease::RestoreCursor);
    // Told here, where the user looks during a drop, without a box in the way.
    if (result == DropResult::Refused)
        ShowStatus(kDropRefusedStatus);
    else if (const char* problem = DeliveryProblemText(result))
        ShowStatus(problem);
}

void DragFillWindow::ShowStatus(const char* text) {
    SendMessageA(statusBar1_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text));
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
    message = AsPress(message);
    if (!IsButtonDown(message) && !IsButtonUp(message)) return listBox();
    // The title under a press is taken before the list's own handling, whose
    // taking of the keyboard may end a composition and refill the list.
    std::optional<std::string> pressed;
    if (IsButtonDown(message)) pressed = self->TitleAt(PointOf(lParam));
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

// EdtFind: Esc empties it; Enter, and the Esc and Enter that an input method
// takes to finish or cancel its composition, do nothing else.
LRESULT CALLBACK DragFillWindow::FindProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = SelfOf<DragFillWindow>(box);
    const auto findBox = [&] { return CallWindowProcW(self->findBoxProcedure_, box, message, wParam, lParam); };
    switch (message) {
    case WM_IME_STARTCOMPOSITION:
        self->composing_ = true;
        break;
    case WM_IME_ENDCOMPOSITION:
    case WM_KILLFOCUS: {
        // A composition ends with the box's keyboard at the latest.
        const LRESULT result = findBox();
        if (message == WM_KILLFOCUS && !self->composing_) return result;
        self->composing_ = false;
        ReportingErrors([&] { return self->EdtFindChange(), true; }, false);
        return result;
    }
    case WM_GETDLGCODE:
        // The program's message loop gives every window dialog navigation,
        // which would take Esc and Enter away from the box.
        if (wParam == VK_ESCAPE || wParam == VK_RETURN)
            return findBox() | DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && !self->composing_) {
            SetWindowTextW(box, L"");
            return 0;
        }
        break;
    case WM_CHAR:
        // A one-line edit box would beep at them.
        if (wParam == L'\r' || wParam == L'\n' || wParam == 0x1B) return 0;
        break;
    }
    return findBox();
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
        ListBox1MouseDown(ButtonOf(message), TitleAt(inList));
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
        if (LOWORD(wParam) == IDC_DF_EDTFIND && HIWORD(wParam) == EN_CHANGE) EdtFindChange();
        if (LOWORD(wParam) == IDC_DF_EDTFIND && HIWORD(wParam) == EN_SETFOCUS) PrepareFind();
        return 0;
    case WM_SETFOCUS:
        // The keyboard goes to the find box: typing finds at once.
        SetFocus(edtFind_);
        return 0;
    case WM_SETCURSOR:
        if (ApplyAppCursor()) return TRUE;
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace pennora

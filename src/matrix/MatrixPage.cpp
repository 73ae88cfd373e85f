#include "matrix/MatrixPage.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "matrix/Clipboard.h"
#include "matrix/MatrixPageIds.h"
#include "matrix/ScreenFonts.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Owned.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/ByteLimitedEdit.h"
#include "ui/DpiImages.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/resource.h"

namespace pennora {
namespace {

// The tool bar's pictures are the system's standard tool images.
constexpr PageDialog::ToolButton kMatrixTools[] = {
    {IDC_TOOLBUTTON17, STD_FILENEW, BTNS_BUTTON, "生成文字方阵"},
    {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON21, STD_COPY, BTNS_BUTTON, "复制到剪贴板"},
    {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON26, STD_CUT, BTNS_BUTTON, "剪切"},
    {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON28, STD_DELETE, BTNS_BUTTON, "清除"},
    {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON30, STD_HELP, BTNS_BUTTON, nullptr},
};

constexpr PixelFont kMemoFont{-12, "Arial", DEFAULT_CHARSET};

constexpr UINT_PTR kImage6Subclass = 1;
constexpr COLORREF kPanel9Colour = RGB(255, 255, 255);

int CALLBACK CollectFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM names) {
    reinterpret_cast<std::vector<std::string>*>(names)->push_back(font->lfFaceName);
    return 1;
}

MouseButton ButtonOfRelease(UINT message) {
    switch (message) {
    case WM_RBUTTONUP: return MouseButton::Right;
    case WM_MBUTTONUP: return MouseButton::Middle;
    default: return MouseButton::Left;
    }
}

bool IsButtonRelease(UINT message) {
    return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

}  // namespace

std::vector<std::string> ScreenFontList() {
    std::vector<std::string> families;
    WindowDC screen(nullptr);
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(screen.get(), &query, CollectFamily, reinterpret_cast<LPARAM>(&families), 0);
    return BuildScreenFontList(families);
}

MatrixPage::MatrixPage(HWND mainWindow, TextDelivery& delivery)
    : PageDialog(IDD_TABSHEET5, mainWindow, true), mainWindow_(mainWindow), delivery_(delivery) {
    SendMessageA(Item(IDC_MEMO1), EM_LIMITTEXT, 0, 0);  // no limit beyond the system's
    AddToolButtons(Item(IDC_TOOLBAR_MATRIX), nullptr, kMatrixTools, int(std::size(kMatrixTools)));
    ShowToolImagesAt(dpi());
    ApplyDpiLook();
    SetWindowSubclass(Item(IDC_IMAGE6), Image6Proc, kImage6Subclass, reinterpret_cast<DWORD_PTR>(this));
    AddHint(IDC_IMAGE6, "拖动图标直接填表");

    LimitEditToBytes(Item(IDC_EDTFRONT), kFrontLimit);
    LimitEditToBytes(Item(IDC_EDTFILL), kCellTextLimit);
    LimitEditToBytes(Item(IDC_EDTBACK), kCellTextLimit);
}

// The tool bar shows the system's standard images at the size that suits
// the page's DPI.
void MatrixPage::ShowToolImagesAt(int dpi) {
    OwnedImageList images = LoadStandardToolImages(dpi);
    HWND toolBar = Item(IDC_TOOLBAR_MATRIX);
    SetToolImages(toolBar, images.get());
    SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);
    toolImages_ = std::move(images);  // the tool bar shows the new list before the old one goes
}

// The memo's font follows the page's DPI. Image6 shows the matrix surface
// pixel for pixel, so it keeps the surface's size whatever the DPI and the
// dialog units come to.
void MatrixPage::ApplyDpiLook() {
    OwnedFont font = CreatePixelFont(kMemoFont, dpi());
    SendMessageA(Item(IDC_MEMO1), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    memoFont_ = std::move(font);
    SetWindowPos(Item(IDC_IMAGE6), nullptr, 0, 0, kMatrixWidth, kMatrixHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MatrixPage::OnDpiChanged(int, int toDpi) {
    ShowToolImagesAt(toDpi);
    ApplyDpiLook();
}

MatrixPage::~MatrixPage() {
    if (hwnd()) RemoveWindowSubclass(Item(IDC_IMAGE6), Image6Proc, kImage6Subclass);
    Destroy();  // the controls go before the font and the images they show
}

void MatrixPage::Restore(const StoredMatrixFields& stored) {
    storedFontIndex_ = stored.FontIndex;
    SetItemText(IDC_EDTFRONT, stored.FrontText);
    SetItemText(IDC_EDTFILL, stored.FillText);
    SetItemText(IDC_EDTBACK, stored.BackText);
}

void MatrixPage::LoadFonts() {
    if (fontsLoaded_) return;
    fontsLoaded_ = true;
    HWND box = Item(IDC_CBXFONTSTYLE);
    const std::vector<std::string> fonts = ScreenFontList();
    SendMessageA(box, WM_SETREDRAW, FALSE, 0);
    for (const std::string& name : fonts) SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    SendMessageA(box, CB_SETCURSEL, StartFontSelection(storedFontIndex_, int(fonts.size())), 0);
}

ChineseGroup MatrixPage::Fields() {
    LoadFonts();
    return {.FontIndex = int(SendMessageA(Item(IDC_CBXFONTSTYLE), CB_GETCURSEL, 0, 0)),
            .FrontText = ItemText(IDC_EDTFRONT),
            .FillText = ItemText(IDC_EDTFILL),
            .BackText = ItemText(IDC_EDTBACK)};
}

ChineseGroup MatrixPage::FieldsOfUnmadePage(const StoredMatrixFields& stored) {
    const int fonts = int(ScreenFontList().size());
    return {.FontIndex = StartFontSelection(stored.FontIndex, fonts),
            .FrontText = stored.FrontText,
            .FillText = stored.FillText,
            .BackText = stored.BackText};
}

void MatrixPage::OnShow() {
    LoadFonts();
    PageDialog::OnShow();
}

bool MatrixPage::OnButtonClicked(int id) {
    switch (id) {
    case IDC_TOOLBUTTON17: ToolButton17Click(); return true;
    case IDC_TOOLBUTTON21: ToolButton21Click(); return true;
    case IDC_TOOLBUTTON26: ToolButton26Click(); return true;
    case IDC_TOOLBUTTON28: ToolButton28Click(); return true;
    case IDC_TOOLBUTTON30:
        if (onHelpClick) onHelpClick();
        return true;
    }
    return false;
}

void MatrixPage::ToolButton17Click() {
    const std::vector<std::string> lines =
        maker_.Make(ItemText(IDC_CBXFONTSTYLE), TrimFront(ItemText(IDC_EDTFRONT)), ItemText(IDC_EDTFILL),
                    ItemText(IDC_EDTBACK));
    SetItemText(IDC_MEMO1, MemoText(lines));
    HWND image6 = Item(IDC_IMAGE6);
    ShowWindow(image6, SW_SHOW);
    InvalidateRect(image6, nullptr, FALSE);
}

// Copy and cut act on more than a line break; they select the whole memo
// first, as the user then sees.
bool MatrixPage::SelectMemoIfWorthCopying() {
    if (ItemText(IDC_MEMO1).size() <= 2) return false;
    SendMessageA(Item(IDC_MEMO1), EM_SETSEL, 0, -1);
    return true;
}

void MatrixPage::ToolButton21Click() {
    if (SelectMemoIfWorthCopying()) CopyTextToClipboard(hwnd(), ItemText(IDC_MEMO1));
}

void MatrixPage::ToolButton26Click() {
    if (!SelectMemoIfWorthCopying()) return;
    CopyTextToClipboard(hwnd(), ItemText(IDC_MEMO1));
    SendMessageA(Item(IDC_MEMO1), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));  // undoable, as a cut
}

void MatrixPage::ToolButton28Click() {
    SetItemText(IDC_MEMO1, "");
    ShowWindow(Item(IDC_IMAGE6), SW_HIDE);
}

void MatrixPage::Image6MouseDown(MouseButton button) {
    if (button == MouseButton::Left) delivery_.ArmDrag(FromHwnd(mainWindow_));
}

void MatrixPage::Image6MouseUp(MouseButton button, int x, int y) {
    // The capture window gives up the capture on its own left release, so the
    // drop's synthetic click reaches the target and not the main window.
    if (button == MouseButton::Left && GetCapture() == mainWindow_) ReleaseCapture();
    // A release on the icon itself is a drag given up, as one on the main
    // window is.
    const DropResult result =
        delivery_.DropText(button, x, y, {FromHwnd(mainWindow_), FromHwnd(Item(IDC_IMAGE6))},
                           [this] { return ItemText(IDC_MEMO1); }, OnRefusedRelease::Ignore);
    if (const char* problem = DeliveryProblemText(result); problem && onDeliveryProblem) onDeliveryProblem(problem);
}

void MatrixPage::DrawImage6(const DRAWITEMSTRUCT& item) const {
    if (maker_.HasPicture()) {
        surface_.BitBlt(item.hDC, 0, 0);
    } else {
        FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
}

// Memo1 keeps its template's top-left corner and fills the rest of the page
// but for a margin as wide as the one above it, whatever size the main
// window gives the page.
void MatrixPage::FitMemo1(int pageWidth, int pageHeight) const {
    HWND memo = Item(IDC_MEMO1);
    RECT place;
    GetWindowRect(memo, &place);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
    const int margin = place.top;
    MoveWindow(memo, place.left, place.top, std::max(0, pageWidth - margin - int(place.left)),
               std::max(0, pageHeight - 2 * margin), TRUE);
}

bool MatrixPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_SIZE:
        FitMemo1(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_DRAWITEM:
        if (wParam != IDC_IMAGE6) break;
        DrawImage6(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        return true;
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), kPanel9Colour);
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
        result = reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        return true;
    case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(lParam) != Item(IDC_MEMO1)) break;
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_INFOBK));
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
        result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_INFOBK));
        return true;
    }
    if (IsButtonRelease(message)) {  // a release on Panel9
        Image6MouseUp(ButtonOfRelease(message), short(LOWORD(lParam)), short(HIWORD(lParam)));
        result = TRUE;
        return true;
    }
    return PageDialog::OnMessage(message, wParam, lParam, result);
}

LRESULT CALLBACK MatrixPage::Image6Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    auto& page = *reinterpret_cast<MatrixPage*>(self);
    try {
        switch (message) {
        // The icon's class asks for double clicks, so a second press soon
        // after the first arrives as one; it starts a drag all the same.
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            page.Image6MouseDown(MouseButton::Left);
            return 0;
        case WM_SETCURSOR:
            if (!ApplyAppCursor()) SetCursor(LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        if (IsButtonRelease(message)) {
            page.Image6MouseUp(ButtonOfRelease(message), short(LOWORD(lParam)), short(HIWORD(lParam)));
            return 0;
        }
    } catch (const std::exception& error) {
        ReportUnhandled(error);
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace pennora

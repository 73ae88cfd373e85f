#include "entries/EntryEditorPage.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <commdlg.h>

#include "entries/EntryEditorIds.h"
#include "entries/EntryTransfer.h"
#include "entries/EntryTransferTarget.h"
#include "entries/ContentBox.h"
#include "entries/InPlaceTitle.h"
#include "entries/RunningExe.h"
#include "entries/VersionPickerDialog.h"
#include "platform/Error.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/FilePath.h"
#include "platform/win32/LateBound.h"
#include "ui/ByteLimitedEdit.h"
#include "ui/DpiImages.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/HelpTopic.h"
#include "ui/Settings.h"
#include "ui/resource.h"

namespace pennora {
namespace {

constexpr int kImageSize = 16;  // ImgLstEditData's tiles at 96 DPI
constexpr int kCurrentRowImage = 7;  // the "next" arrow marks the current row
// At 96 DPI; the page scales them to its own.
constexpr int kSplitterWidth = 5;
constexpr int kMinimumPaneWidth = 40;
constexpr int kColumnSlack = 4;  // the grid's borders beside its one column
constexpr UINT_PTR kTitleBoxSubclass = 1;
constexpr UINT_PTR kContentBoxSubclass = 2;

// ToolBar1, left to right, with separators; images of ImgLstEditData.
constexpr PageDialog::ToolButton kToolBar1[] = {
    {IDC_TOOLBUTTON1, 1, BTNS_BUTTON, "新增纪录"}, {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON10, 6, BTNS_BUTTON, "前一项"},  {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON11, 7, BTNS_BUTTON, "Next Record"}, {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON2, 2, BTNS_BUTTON, "删除"},    {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON3, 0, BTNS_BUTTON, "保存"},    {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON6, 4, BTNS_BUTTON, "帮助"},    {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON_EXPORT, 8, BTNS_BUTTON, "导出…"}, {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON_IMPORT, 9, BTNS_BUTTON, "导入…"}, {0, 0, 0, nullptr},
    {IDC_TOOLBUTTON_VERSIONS, 10, BTNS_BUTTON, "较早的版本…"},
};

// The entries' text files: what the save and open dialogs offer.
constexpr char kCsvFilter[] = "CSV 文件 (*.csv)\0*.csv\0所有文件 (*.*)\0*.*\0";
constexpr const char* kExportTitle = "导出数据项";
constexpr const char* kImportTitle = "导入数据项";
constexpr const char* kExportFileName = "Pennora.csv";
// The program's name, as its other message boxes have it: the dialog's own
// title would give the box and the dialog asked again one name.
constexpr const char* kRefusalCaption = "KestovaPennora";

RECT RectIn(HWND parent, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

EntryEditorPage::EntryEditorPage(HWND parent, EntryStore& store, EntryEditorLogic& logic, FileSystem& files,
                                 std::string appPath)
    : PageDialog(IDD_TABSHEET2, parent, true), store_(store), logic_(logic), files_(files), appPath_(std::move(appPath)) {
    images_ = LoadImageListForDpi("IMGLSTEDITDATA", kImageSize, dpi());
    AddToolButtons(Item(IDC_TOOLBAR1), images_.get(), kToolBar1, int(std::size(kToolBar1)));

    HWND grid = Item(IDC_DBGRID1);
    ListView_SetExtendedListViewStyle(grid, LVS_EX_FULLROWSELECT);
    // The page owns the image list: without this style the grid destroys
    // the list it shows when it is destroyed, and the page would do it again.
    SetWindowLongPtrA(grid, GWL_STYLE, GetWindowLongPtrA(grid, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    ListView_SetImageList(grid, images_.get(), LVSIL_SMALL);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_CENTER;
    column.pszText = const_cast<char*>("标题");
    column.cx = ColumnWidth(RectIn(hwnd(), grid).right - RectIn(hwnd(), grid).left);
    SendMessageA(grid, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    // The heading is centred (a list view keeps its first column left-aligned,
    // its header does not) and bold.
    if (HWND header = ListView_GetHeader(grid)) {
        HDITEMA heading{};
        heading.mask = HDI_FORMAT;
        Header_GetItem(header, 0, &heading);
        heading.fmt = (heading.fmt & ~HDF_JUSTIFYMASK) | HDF_CENTER;
        Header_SetItem(header, 0, &heading);
        LOGFONTA bold{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)), sizeof bold, &bold);
        bold.lfWeight = FW_BOLD;
        headerFont_.reset(CreateFontIndirectA(&bold));
        SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(headerFont_.get()), TRUE);
    }

    LimitEditToBytes(Item(IDC_DBEDIT1), kTitleBoxLimit);
    LimitEditToBytes(Item(IDC_DBMEMO1), kContentWidth);
    SetWindowSubclass(Item(IDC_DBEDIT1), TitleBoxProcedure, kTitleBoxSubclass, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(Item(IDC_DBMEMO1), ContentBoxProcedure, kContentBoxSubclass, 0);
    AddHint(IDC_DBCHECKBOX2, "Show Record in Hotkey-filling List");
    AddHint(IDC_DBCHECKBOX1, "Show Record in Drag-filling List");

    // Where the template puts each control, and how it follows the page's
    // size and the splitter.
    GetClientRect(hwnd(), &designClient_);
    const RECT gridRect = RectIn(hwnd(), grid);
    gridWidth_ = gridRect.right - gridRect.left;
    struct Anchor {
        int id;
        bool stretchRight, stretchBottom, sticksToBottom;
    };
    const Anchor anchors[] = {
        {IDC_TOOLBAR1, true, false, false},    {IDC_LABELTITLE, false, false, false},
        {IDC_DBEDIT1, true, false, false},     {IDC_LABELCONTENT, false, false, false},
        {IDC_DBMEMO1, true, true, false},      {IDC_DBCHECKBOX2, false, false, true},
        {IDC_DBCHECKBOX1, false, false, true},
    };
    placements_.push_back({IDC_DBGRID1, gridRect, false, false, true, false});
    for (const Anchor& anchor : anchors)
        placements_.push_back({anchor.id, RectIn(hwnd(), Item(anchor.id)), true, anchor.stretchRight,
                               anchor.stretchBottom, anchor.sticksToBottom});
    // The page follows every change of the store's rows, whoever makes it
    // (a fill list's walk, a lookup's commit); field changes it shows itself.
    store_.SetRowsChanged([this] { ShowCurrent(); });
    ShowCurrent();
}

EntryEditorPage::~EntryEditorPage() {
    store_.SetRowsChanged(nullptr);
    if (hwnd()) {
        RemoveWindowSubclass(Item(IDC_DBEDIT1), TitleBoxProcedure, kTitleBoxSubclass);
        RemoveWindowSubclass(Item(IDC_DBMEMO1), ContentBoxProcedure, kContentBoxSubclass);
    }
    // The controls go before the image list and the font they show.
    Destroy();
}

void EntryEditorPage::ShowImagesAt(int dpi) {
    OwnedImageList images = LoadImageListForDpi("IMGLSTEDITDATA", kImageSize, dpi);
    HWND toolBar = Item(IDC_TOOLBAR1);
    SetToolImages(toolBar, images.get());
    SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);
    ListView_SetImageList(Item(IDC_DBGRID1), images.get(), LVSIL_SMALL);
    images_ = std::move(images);  // the controls show the new list before the old one goes
}

// The rows, the current row and its fields as the store has them now.
void EntryEditorPage::ShowCurrent() {
    showing_ = true;
    HWND grid = Item(IDC_DBGRID1);
    ListView_SetItemCountEx(grid, int(store_.RowCount()), LVSICF_NOSCROLL);
    const std::optional<std::size_t> row = store_.CurrentRow();
    ListView_SetItemState(grid, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row) {
        ListView_SetItemState(grid, int(*row), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(grid, int(*row), FALSE);
    }
    InvalidateRect(grid, nullptr, FALSE);
    const Entry* current = store_.Current();
    const Entry none;
    const Entry& entry = current ? *current : none;
    ShowText(IDC_DBEDIT1, entry.title);
    ShowText(IDC_DBMEMO1, entry.content);
    ShowFlag(IDC_DBCHECKBOX2, entry.inHotKey);
    ShowFlag(IDC_DBCHECKBOX1, entry.inDrag);
    showing_ = false;
}

// Sets a box's text only when it differs, so the caret of a box being typed
// in stays where it is.
void EntryEditorPage::ShowText(int id, const std::optional<std::string>& text) {
    const std::string wanted = text.value_or("");
    if (ItemText(id) != wanted) SetWindowTextA(Item(id), wanted.c_str());
}

void EntryEditorPage::ShowFlag(int id, const std::optional<bool>& flag) {
    CheckDlgButton(hwnd(), id, !flag ? BST_INDETERMINATE : *flag ? BST_CHECKED : BST_UNCHECKED);
}

// A title typed in place in the grid stays in its editor until the focus
// leaves it; a tool-bar click, a close or a session end does not move the
// focus. Its editor ends as when the focus leaves it, and the title goes to
// the store. The boxes' typing is in the store's pending change already.
void EntryEditorPage::SettleTyping() {
    // The focus may have gone to a question that held the editor open.
    holdingTyping_ = false;
    if (HWND editor = editingLabel_ ? ListView_GetEditControl(Item(IDC_DBGRID1)) : nullptr) {
        SetFocus(editor);
        SetFocus(Item(IDC_DBGRID1));
    }
}

bool EntryEditorPage::IsTyping() const {
    HWND editor = editingLabel_ ? ListView_GetEditControl(Item(IDC_DBGRID1)) : nullptr;
    return editor && labelRow_ < store_.RowCount() && InPlaceTitleChanged(editor, store_.Row(labelRow_).title);
}

bool EntryEditorPage::OnButtonClicked(int id) {
    SettleTyping();
    switch (id) {
    case IDC_TOOLBUTTON1: logic_.ToolButton1Click(); break;
    case IDC_TOOLBUTTON10: logic_.ToolButton10Click(); break;
    case IDC_TOOLBUTTON11: logic_.ToolButton11Click(); break;
    case IDC_TOOLBUTTON2: logic_.ToolButton2Click(); break;
    case IDC_TOOLBUTTON3: logic_.ToolButton3Click(); break;
    case IDC_TOOLBUTTON6: ShowHelpEntry(GetAncestor(hwnd(), GA_ROOT), appPath_, HelpEntry::EntryEditor); return true;
    case IDC_TOOLBUTTON_EXPORT: ExportClick(); break;
    case IDC_TOOLBUTTON_IMPORT: ImportClick(); break;
    case IDC_TOOLBUTTON_VERSIONS:
        if (std::string loaded = PickEarlierVersion(GetAncestor(hwnd(), GA_ROOT), store_, logic_.flags(),
                                                    logic_.boxes(), files_, logic_.DataFilePath(), appPath_,
                                                    logic_.SaveRefusal());
            !loaded.empty() && onHint)
            onHint(loaded);
        break;
    case IDC_DBCHECKBOX2: logic_.FlagClicked(EntryFlag::InHotKey); break;
    case IDC_DBCHECKBOX1: logic_.FlagClicked(EntryFlag::InDrag); break;
    default: return false;
    }
    ShowCurrent();
    return true;
}

bool EntryEditorPage::OnCommand(int id, int code, HWND) {
    if (code != EN_CHANGE || showing_) return false;
    if (id == IDC_DBEDIT1) {
        logic_.TitleChanged(ItemText(id));
        // The grid shows the title as it is being typed.
        if (auto row = store_.CurrentRow()) ListView_RedrawItems(Item(IDC_DBGRID1), int(*row), int(*row));
    } else if (id == IDC_DBMEMO1)
        logic_.ContentChanged(ItemText(id));
    else
        return false;
    return true;
}

LRESULT EntryEditorPage::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_DBGRID1) return GridNotify(header);
    return PageDialog::OnNotify(header);
}

LRESULT EntryEditorPage::GridNotify(const NMHDR& header) {
    switch (header.code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: {
        auto& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header)).item;
        if (item.iItem < 0 || std::size_t(item.iItem) >= store_.RowCount()) return 0;
        if (item.mask & LVIF_TEXT) {
            const std::string title = store_.Row(std::size_t(item.iItem)).title.value_or("");
            if (header.code == LVN_GETDISPINFOA) {
                lstrcpynA(item.pszText, title.c_str(), item.cchTextMax);
            } else {
                lstrcpynW(reinterpret_cast<wchar_t*>(item.pszText), ToWide(title).c_str(), item.cchTextMax);
            }
        }
        if (item.mask & LVIF_IMAGE)
            item.iImage = store_.CurrentRow() == std::size_t(item.iItem) ? kCurrentRowImage : I_IMAGENONE;
        return 0;
    }
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (showing_ || change.iItem < 0 || !(change.uNewState & LVIS_SELECTED) || (change.uOldState & LVIS_SELECTED))
            return 0;
        logic_.GridRowSelected(std::size_t(change.iItem));
        return 0;
    }
    case LVN_KEYDOWN: {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        if (key.wVKey == VK_DELETE && (GetKeyState(VK_CONTROL) & 0x8000)) logic_.GridCtrlDelete();
        return 0;
    }
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW:
        editingLabel_ = true;
        labelRow_ = std::size_t(reinterpret_cast<const NMLVDISPINFOA&>(header).item.iItem);
        if (HWND edit = ListView_GetEditControl(header.hwndFrom)) {
            LimitEditToBytes(edit, kTitleWidth);
            HoldInPlaceEditorOpen(edit, holdingTyping_);
        }
        return FALSE;
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
        editingLabel_ = false;
        const auto& edit = reinterpret_cast<const NMLVDISPINFOA&>(header);
        if (edit.item.pszText) {
            // A title GBK cannot hold keeps the row's old one, with a beep.
            if (std::optional<std::string> title = EndedInPlaceTitle(header))
                logic_.GridTitleEdited(std::size_t(edit.item.iItem), *title);
            else
                MessageBeep(MB_ICONWARNING);
        }
        ShowCurrent();
        return FALSE;
    }
    case NM_KILLFOCUS:
        // Focus going to the grid's own title editor is not leaving the grid.
        if (!editingLabel_) logic_.GridFocusLost();
        return 0;
    }
    return 0;
}

void EntryEditorPage::ExportClick() {
    // The dialog offers every file; one of the program's own is refused and
    // the dialog asked again, until a file that may be written or Cancel.
    const OwnFiles own{logic_.DataFilePath(), appPath_ + kSettingsFileName, RunningExePath()};
    std::optional<std::string> path;
    for (;;) {
        path = AskForFile(true);
        if (!path) return;
        const std::string refusal = ExportTargetRefusal(*path, own, FileIdentityOf);
        if (refusal.empty()) break;
        MessageBoxA(GetAncestor(hwnd(), GA_ROOT), refusal.c_str(), kRefusalCaption, MB_OK | MB_ICONWARNING);
    }
    ExportEntries(store_, files_, codec_, *path);
    if (onHint) onHint("已将 " + std::to_string(store_.RowCount()) + " 个数据项导出到 " + *path);
}

void EntryEditorPage::ImportClick() {
    const std::optional<std::string> path = AskForFile(false);
    if (!path) return;
    const std::size_t count = ImportEntries(store_, files_, codec_, *path);
    if (onHint) onHint("已从 " + *path + " 导入 " + std::to_string(count) + " 个数据项，保存后写入数据文件");
}

std::optional<std::string> EntryEditorPage::AskForFile(bool save) {
    char file[4 * MAX_PATH] = {};
    if (save) lstrcpynA(file, kExportFileName, sizeof file);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetAncestor(hwnd(), GA_ROOT);
    dialog.lpstrFilter = kCsvFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrTitle = save ? kExportTitle : kImportTitle;
    dialog.lpstrDefExt = "csv";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    // The common dialogs' DLL, and the shell and COM it brings in, are loaded
    // at the first export or import rather than at every start.
    using FileDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);
    using DialogError = DWORD(WINAPI*)();
    const auto show = LateBound<FileDialog>("comdlg32.dll", save ? "GetSaveFileNameA" : "GetOpenFileNameA");
    const auto lastError = LateBound<DialogError>("comdlg32.dll", "CommDlgExtendedError");
    if (!show || !lastError)
        throw Error(std::string("无法打开“") + dialog.lpstrTitle + "”对话框：系统的 comdlg32.dll 无法载入（错误 " +
                    std::to_string(GetLastError()) + "）。");
    if (show(&dialog)) return std::string(file);
    if (const DWORD code = lastError())
        throw Error(std::string("无法打开“") + dialog.lpstrTitle + "”对话框（错误 " + std::to_string(code) + "）。");
    return std::nullopt;
}

void EntryEditorPage::DBEdit1KeyDown(WPARAM key) {
    if (key != VK_RETURN) return;
    const std::string joined = logic_.DBEdit1Enter(ItemText(IDC_DBEDIT1), ItemText(IDC_DBMEMO1));
    showing_ = true;
    SetWindowTextA(Item(IDC_DBMEMO1), joined.c_str());
    showing_ = false;
}

// DBEdit1 gets Enter itself (the dialog would take it as a default-button
// press) and hands every key to DBEdit1KeyDown without consuming it; keys
// pressed with Alt held come as system keys.
LRESULT CALLBACK EntryEditorPage::TitleBoxProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                    DWORD_PTR data) {
    if (message == WM_GETDLGCODE && wParam == VK_RETURN)
        return DefSubclassProc(edit, message, wParam, lParam) | DLGC_WANTALLKEYS;
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        ReportingErrors(
            [&] {
                reinterpret_cast<EntryEditorPage*>(data)->DBEdit1KeyDown(wParam);
                return true;
            },
            false);
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

int EntryEditorPage::SplitterLeft() const { return placements_.front().design.left + gridWidth_; }

bool EntryEditorPage::OverSplitter(POINT inPage) const {
    RECT client;
    GetClientRect(hwnd(), &client);
    const int left = SplitterLeft();
    return inPage.x >= left && inPage.x < left + ScaleToDpi(kSplitterWidth, dpi()) && inPage.y >= 0 &&
           inPage.y < client.bottom;
}

// Each control keeps its distances from the template: the grid its width
// (the splitter's place), the right-hand part follows the splitter, and the
// content box takes what the page gains in size.
void EntryEditorPage::Layout() {
    if (placements_.empty()) return;
    RECT client;
    GetClientRect(hwnd(), &client);
    const int growX = client.right - designClient_.right, growY = client.bottom - designClient_.bottom;
    const int shift = SplitterLeft() + ScaleToDpi(kSplitterWidth, dpi()) - placements_[1].design.left;
    HDWP positions = BeginDeferWindowPos(int(placements_.size()));
    for (const Placement& p : placements_) {
        RECT r = p.design;
        if (p.id == IDC_DBGRID1) r.right = r.left + gridWidth_;
        if (p.followsSplitter) {
            r.left += shift;
            r.right += p.stretchRight ? growX : shift;
        }
        if (p.stretchBottom) r.bottom += growY;
        if (p.sticksToBottom) OffsetRect(&r, 0, growY);
        positions = DeferWindowPos(positions, Item(p.id), nullptr, r.left, r.top, std::max(0L, r.right - r.left),
                                   std::max(0L, r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(positions);
    ListView_SetColumnWidth(Item(IDC_DBGRID1), 0, ColumnWidth(gridWidth_));
}

// The title column fills the grid beside its scroll bar.
int EntryEditorPage::ColumnWidth(int gridWidth) const {
    return gridWidth - SystemMetricForDpi(SM_CXVSCROLL, dpi()) - ScaleToDpi(kColumnSlack, dpi());
}

// The controls have moved to their places at the new DPI; the places the
// layout keeps, the grid's width and the bold heading follow.
void EntryEditorPage::OnDpiChanged(int fromDpi, int toDpi) {
    for (Placement& placement : placements_) placement.design = RescaleRectToDpi(placement.design, fromDpi, toDpi);
    designClient_ = RescaleRectToDpi(designClient_, fromDpi, toDpi);
    gridWidth_ = RescaleToDpi(gridWidth_, fromDpi, toDpi);
    if (HWND header = ListView_GetHeader(Item(IDC_DBGRID1)); header && headerFont_) {
        OwnedFont bold = RescaleFont(headerFont_.get(), fromDpi, toDpi);
        SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(bold.get()), TRUE);
        headerFont_ = std::move(bold);
    }
    ShowImagesAt(toDpi);
    Layout();
}

bool EntryEditorPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return false;
    case WM_SETCURSOR: {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(hwnd(), &cursor);
        if (reinterpret_cast<HWND>(wParam) == hwnd() && OverSplitter(cursor)) {
            SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
            result = TRUE;
            SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, TRUE);
            return true;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        if (OverSplitter({short(LOWORD(lParam)), short(HIWORD(lParam))})) {
            splitting_ = true;
            SetCapture(hwnd());
            return true;
        }
        break;
    case WM_MOUSEMOVE:
        if (splitting_) {
            RECT client;
            GetClientRect(hwnd(), &client);
            const int left = placements_.front().design.left;
            const int minimum = ScaleToDpi(kMinimumPaneWidth, dpi()), splitter = ScaleToDpi(kSplitterWidth, dpi());
            gridWidth_ = std::clamp(int(short(LOWORD(lParam))) - left, minimum,
                                    std::max(minimum, int(client.right) - left - splitter - minimum));
            Layout();
            return true;
        }
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (splitting_) {
            splitting_ = false;
            if (message == WM_LBUTTONUP) ReleaseCapture();
            return true;
        }
        break;
    }
    return PageDialog::OnMessage(message, wParam, lParam, result);
}

}  // namespace pennora

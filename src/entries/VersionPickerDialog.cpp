#include "entries/VersionPickerDialog.h"

#include <utility>
#include <vector>

#include <commctrl.h>

#include "entries/EntryEditorIds.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "ui/HelpTopic.h"

namespace pennora {
namespace {

// Of the list's width, in percent: the time and the entry count; what
// loading a version would change takes the rest.
constexpr int kTimeColumnShare = 36;
constexpr int kCountColumnShare = 14;

void AddColumn(HWND list, int index, const char* heading, int width, int format) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(heading);
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// The height `text` takes in `control`, wrapped at its width in its font.
int WrappedHeight(HWND control, const std::string& text) {
    RECT box;
    GetClientRect(control, &box);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text.c_str(), int(text.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return box.bottom - box.top;
}

// `text` as it fits `control`: a long `path` in it (a deep folder, a long
// user name) loses characters from its middle, shown as "...", so that the
// sentence around it, the reason above all, stays whole. The path keeps its
// drive and its file name; characters are never split.
std::string FitPathInto(HWND control, const std::string& text, const std::string& path) {
    RECT box;
    GetClientRect(control, &box);
    const std::size_t at = path.empty() ? std::string::npos : text.find(path);
    if (at == std::string::npos || WrappedHeight(control, text) <= box.bottom - box.top) return text;
    std::vector<std::size_t> starts;  // where each character of the path begins
    for (const char* c = path.c_str(); *c; c = CharNextA(c)) starts.push_back(std::size_t(c - path.c_str()));
    std::string fitted = text;
    for (std::size_t keep = starts.size(); keep > 8;) {
        keep = keep > 12 ? keep - 4 : 8;
        const std::size_t head = starts[keep / 2];
        const std::size_t tail = starts[starts.size() - (keep - keep / 2)];
        fitted = text.substr(0, at) + path.substr(0, head) + "..." + path.substr(tail) + text.substr(at + path.size());
        if (WrappedHeight(control, fitted) <= box.bottom - box.top) break;
    }
    return fitted;
}

}  // namespace

VersionPickerDialog::VersionPickerDialog(VersionPicker& picker, std::string appPath)
    : picker_(picker), appPath_(std::move(appPath)) {}

bool VersionPickerDialog::Show(HWND owner) { return RunModal(IDD_VERSIONPICKER, owner) == IDOK; }

void VersionPickerDialog::OnInit() {
    HWND list = Item(IDC_VERSIONS_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    // The dialog manager made the list at the window's DPI: shares of its
    // width are right at every DPI.
    RECT client;
    GetClientRect(list, &client);
    const int width = client.right - client.left;
    AddColumn(list, 0, "保留时间", width * kTimeColumnShare / 100, LVCFMT_LEFT);
    AddColumn(list, 1, "数据项", width * kCountColumnShare / 100, LVCFMT_RIGHT);
    AddColumn(list, 2, "与现在相比", 0, LVCFMT_LEFT);
    FillList();
}

// The picker's rows as they are now, the newest selected.
void VersionPickerDialog::FillList() {
    HWND list = Item(IDC_VERSIONS_LIST);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    const std::vector<VersionRow>& rows = picker_.Rows();
    for (int i = 0; i < int(rows.size()); ++i) {
        const std::string time = rows[i].version.time;
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(time.c_str());
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        SetCell(list, i, 1, EntryCountText(rows[i]));
        SetCell(list, i, 2, DifferenceText(rows[i]));
    }
    ListView_SetColumnWidth(list, 2, LVSCW_AUTOSIZE_USEHEADER);
    SetItemText(IDC_VERSIONS_SUMMARY, FitPathInto(Item(IDC_VERSIONS_SUMMARY), picker_.Summary(), picker_.Folder()));
    if (!rows.empty()) ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ShowSelection();
}

int VersionPickerDialog::SelectedRow() const {
    return int(SendMessageA(Item(IDC_VERSIONS_LIST), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

// A version that cannot be read cannot be chosen; the line below the list
// says which file the selected one is, or why it cannot be read.
void VersionPickerDialog::ShowSelection() {
    const int row = SelectedRow();
    const bool choosable = row >= 0 && picker_.CanChoose(std::size_t(row));
    const std::string detail = row >= 0 ? picker_.RowDetail(std::size_t(row)) : std::string();
    SetItemText(IDC_VERSIONS_DETAIL,
                row >= 0 ? FitPathInto(Item(IDC_VERSIONS_DETAIL), detail, picker_.Rows()[row].version.path) : detail);
    // A disabled button may not keep the default frame: Enter then does nothing.
    if (!choosable && GetFocus() == Item(IDOK)) SetFocus(Item(IDC_VERSIONS_LIST));
    EnableItem(IDOK, choosable);
}

void VersionPickerDialog::ChooseSelected() {
    const int row = SelectedRow();
    if (row < 0 || !picker_.CanChoose(std::size_t(row))) {
        MessageBeep(MB_OK);
        return;
    }
    if (picker_.Choose(std::size_t(row), FromHwnd(hwnd()))) {
        EndDialog(hwnd(), IDOK);
        return;
    }
    // A version that no longer read was told; the picker listed them again.
    if (picker_.Rows().size() != std::size_t(ListView_GetItemCount(Item(IDC_VERSIONS_LIST))) ||
        !picker_.CanChoose(std::size_t(row)))
        FillList();
}

bool VersionPickerDialog::OnButtonClicked(int id) {
    switch (id) {
    case IDOK: ChooseSelected(); return true;
    case IDCANCEL: EndDialog(hwnd(), IDCANCEL); return true;
    case IDC_VERSIONS_HELP: ShowHelpEntry(hwnd(), appPath_, HelpEntry::EntryEditor); return true;
    }
    return false;
}

LRESULT VersionPickerDialog::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_VERSIONS_LIST) return 0;
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) ShowSelection();
    } else if (header.code == NM_DBLCLK && SelectedRow() >= 0) {
        ChooseSelected();
    }
    return 0;
}

std::string PickEarlierVersion(HWND owner, EntryStore& store, const ModeFlags& flags, MessageBoxes& boxes,
                               FileSystem& files, const std::string& dataFilePath,
                               const std::string& appPath, const std::string& saveRefusal) {
    Win32FolderFiles folders;
    Win32Clock clock;  // names new versions only; listing them does not need it
    DataFileBackups backups(files, folders, clock, dataFilePath);
    VersionPicker picker(store, flags, boxes, files, backups);
    picker.SetSaveRefusal(saveRefusal);
    picker.Refresh();
    VersionPickerDialog dialog(picker, appPath);
    return dialog.Show(owner) ? picker.LoadedHint() : std::string();
}

}  // namespace pennora

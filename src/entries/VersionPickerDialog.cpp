#include "entries/VersionPickerDialog.h"

#include <utility>

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
    SetItemText(IDC_VERSIONS_SUMMARY, picker_.Summary());
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
    SetItemText(IDC_VERSIONS_DETAIL, row >= 0 ? picker_.RowDetail(std::size_t(row)) : std::string());
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
                               const std::string& appPath) {
    Win32FolderFiles folders;
    Win32Clock clock;  // names new versions only; listing them does not need it
    DataFileBackups backups(files, folders, clock, dataFilePath);
    VersionPicker picker(store, flags, boxes, files, backups);
    picker.Refresh();
    VersionPickerDialog dialog(picker, appPath);
    return dialog.Show(owner) ? picker.LoadedHint() : std::string();
}

}  // namespace pennora

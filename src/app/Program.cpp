#include "app/Program.h"

#include <exception>
#include <utility>

#include "app/AppPath.h"
#include "entries/EntryEditorLogic.h"
#include "entries/VersionOffer.h"
#include "platform/Error.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/ErrorText.h"

namespace pennora {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 10;

constexpr const wchar_t* kEndSessionBlockReason = L"Pennora 有尚未保存的数据项修改。";
constexpr const char* kRetryLoadHint = "\r\r重试：再读一次。取消：不读取它，先从空的数据开始。";
constexpr const char* kUnsavedChangesQuestion =
    "上次 Windows 注销或关机时，Pennora 中有尚未保存的数据项修改，它们被单独保留了下来。\r\r"
    "要恢复这些修改吗？选“否”将丢弃它们。";
constexpr const char* kUnsavedChangesUnknown =
    "Pennora 无法确定上次 Windows 注销或关机时是否留下了尚未保存的数据项修改；如果有，它们仍在这个文件中，下次启动时会再询问。";

const std::string kStartupErrorText =
    "错误：\r未知的错误。请与软件开发者联系：support@kestova.example 。";

std::string ExecutablePath() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

}  // namespace

Program::Program(Application& app, ShellServices services, const std::string& executablePath)
    : app_(app),
      services_(services),
      appPath_(AppPathOf(executablePath.empty() ? ExecutablePath() : executablePath)),
      iniFile_(services.profile, appPath_ + kSettingsFileName),
      dataFile_(store_, services.files, appPath_ + kDataFileName),
      backups_(services.files, folderFiles_, clock_, dataFile_.DataFilePath()),
      delivery_(services.windows, &settings_.TabToNextField) {
    window_ = std::make_unique<MainWindow>(
        MainWindow::Context{app, services, appPath_, store_, dataFile_, iniFile_, settings_, flags_, delivery_});
    window_->AddMessageTaker([this](UINT message, WPARAM wParam, LPARAM lParam) {
        return TakeMessage(message, wParam, lParam);
    });
    tray_ = std::make_unique<TrayMenu>(app, *window_, flags_);
    LoadEntryStore();
    settings_ = LoadSettings(iniFile_);
    window_->SettingsRead();
    RestoreMatrixFields();
    // The fill modes work through the settings, so they follow them.
    fillModes_ = std::make_unique<FillModes>(FillModes::Context{app, *window_, *tray_, services, store_, iniFile_,
                                                                settings_, flags_, delivery_, appPath_});
    created_ = true;
    // A close asked for while a start-up message was up comes now.
    if (closeRequested_) PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

// The automatic start comes 10 ms after the first showing (Timer1).
void Program::Show() {
    if (!std::exchange(shown_, true)) SetTimer(hwnd(), kTimer1, kTimer1Interval, nullptr);
    window_->Show();
}

std::optional<LRESULT> Program::TakeMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
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
    }
    return std::nullopt;
}

// A message box of the program's own, over the application window.
int Program::Tell(const std::string& text, UINT type) {
    return services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), text, kAppTitle, type);
}

// Loads the entries and picks the first page: the fill page when there is a
// data file, the entry editor when there is none (or it could not be read),
// so a user without entries starts where entries are made.
void Program::LoadEntryStore() {
    store_.SetAfterPost([this] { ClientDataSet1AfterPost(); });
    dataFile_.KeepEarlierVersions(backups_, [this](const std::string& text) {
        services_.windows.MessageBoxA(FromHwnd(hwnd()), text, kAppTitle, MB_ICONWARNING);
    });
    using Status = DataFileKeeper::LoadStatus;
    DataFileKeeper::LoadResult result = dataFile_.Load();
    // A file held by another program may be free a moment later: the user can
    // try again, as long as they like, or go on without it.
    while (result.status == Status::NotRead && result.canRetry &&
           Tell(result.message + kRetryLoadHint, MB_RETRYCANCEL | MB_ICONERROR) == IDRETRY) {
        result = dataFile_.Load();
    }
    const bool loaded = result.status == Status::Loaded || result.status == Status::Recovered;
    window_->SelectPage(loaded ? kFillPage : kEditorPage);
    if (result.status == Status::Unreadable)
        OfferNewestVersion(store_, backups_, services_.windows, FromHwnd(app_.hwnd()), kAppTitle, result.message);
    if (result.status == Status::NotRead && !result.canRetry)
        Tell(result.message, MB_ICONERROR);
    if (result.status == Status::Recovered)
        Tell(result.message, MB_ICONWARNING);
    // Changes that could not be saved now wait in their file for a start
    // where the data file can be read.
    if (result.status != Status::NotRead) OfferUnsavedChanges();
}

// After every stored change, also an entry the start-up adds: the data is
// modified, and the running fill lists follow it.
void Program::ClientDataSet1AfterPost() {
    pennora::ClientDataSet1AfterPost(store_, flags_, fillModes_ ? fillModes_->FillLists() : FillListSinks{});
}

// Changes that an ending session kept apart are offered back at the next start.
void Program::OfferUnsavedChanges() {
    const FileQuery unsaved = dataFile_.UnsavedChanges();
    if (unsaved.state == FileState::Unknown) {
        Tell(ErrorReportText(unsaved.error) + kUnsavedChangesUnknown, MB_ICONWARNING);
        return;
    }
    if (unsaved.state != FileState::Present) return;
    if (Tell(kUnsavedChangesQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        dataFile_.DiscardUnsavedChanges();
        return;
    }
    std::string error;
    if (dataFile_.RestoreUnsavedChanges(error)) {
        flags_.dataModified = true;
        window_->SelectPage(kEditorPage);
    } else {
        Tell(error, MB_ICONERROR);
    }
}

void Program::RestoreMatrixFields() {
    try {
        window_->RestoreMatrixFields(ReadMatrixFields(iniFile_));
    } catch (...) {
        services_.windows.MessageBoxA(FromHwnd(app_.hwnd()), kStartupErrorText, "错误：", MB_ICONERROR);
    }
}

void Program::Timer1Timer() {
    KillTimer(hwnd(), kTimer1);
    if (settings_.MinimizeWhenStartup) app_.Minimize();
    if (settings_.AutoStartDragFill) fillModes_->ToolButtonDragFillClick();
    if (settings_.AutoStartHotKey) fillModes_->ToolButtonHotKeyClick();
}

// A close that arrives while a modal box is up (a start-up message, the close
// prompt, any question of a handler) waits for that box: FormClose never runs
// twice, nor on a window that is still being built. The box is brought forward.
void Program::WMClose() {
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

// A change typed into the editor and not committed yet counts as a stored
// one: Yes commits and saves it, No leaves it behind with the rest, and
// Cancel gives the keyboard back to the box it was typed in, its caret and
// selection untouched.
bool Program::FormClose() {
    if (HasUnsavedWork()) {
        HWND focus = GetFocus();
        // A title typed in place stays in its editor while the box has the
        // focus: Cancel gives it back as it was, Yes and No settle it.
        window_->HoldTyping(true);
        int answer = services_.windows.MessageBoxA(FromHwnd(hwnd()), "保存对数据项的修改吗？", "退出 Pennora",
                                                   MB_YESNOCANCEL | MB_ICONQUESTION);
        window_->HoldTyping(false);
        if (answer == IDCANCEL) {
            if (focus && IsWindow(focus)) SetFocus(focus);
            return false;
        }
        window_->SettleTyping();
        // A No to the question about a data file changed elsewhere keeps
        // the program open with the changes unsaved; a No here quits without them.
        if (answer == IDYES && !SaveEntries(dataFile_, services_.windows, FromHwnd(hwnd()))) return false;
    }
    SaveWindowSettings();
    ReleaseHotKeyAndTrayIcon();
    store_.Close();
    return true;
}

// The drag-fill window's place and the text matrix fields. A settings file
// that refuses the write is reported, and the program still closes: the
// entries are already dealt with, and a read-only folder must not keep the
// user from quitting.
void Program::SaveWindowSettings(bool reportRefusal) {
    try {
        WritePosition(iniFile_, fillModes_->DragFillPosition());
        WriteChineseGroup(iniFile_, window_->MatrixFields());
    } catch (const Error& error) {
        if (reportRefusal) app_.ShowError(error.what());
    }
    iniFile_.Close();
}

void Program::ReleaseHotKeyAndTrayIcon() {
    fillModes_->ReleaseHotKey();
    tray_->icon().Delete();
}

// Logoff and shutdown. No question holds up the session (nobody may be there
// to answer it, and the system ends a program that does not answer): changes
// not saved go to a file of their own and are offered at the next start.
// Only when that file cannot be written is the end held up, with a reason the
// system shows, so the user can go back and save.
bool Program::QueryEndSession() {
    if (!created_ || !HasUnsavedWork()) return true;
    window_->SettleTyping();
    if (dataFile_.SaveUnsavedChanges().empty()) return true;
    ShutdownBlockReasonCreate(hwnd(), kEndSessionBlockReason);
    return false;
}

// The same rule for the close question and the end of the session. A title
// still being typed in place counts without being settled: a Cancel at the
// question leaves it in its editor. It is settled once the close or the end
// goes on, so the save or the unsaved-changes file takes it.
bool Program::HasUnsavedWork() const { return window_->IsTyping() || HasUnsavedEntryWork(store_, flags_); }

void Program::EndSession(bool ending) {
    if (!created_) return;
    if (!ending) {
        // The session goes on: the close prompt deals with the changes again.
        ShutdownBlockReasonDestroy(hwnd());
        dataFile_.DiscardUnsavedChanges();
        return;
    }
    // The rest of the close sequence, without a question or an error box. A
    // forced end may come without the query: the changes are kept here too.
    closing_ = true;
    window_->SettleTyping();
    if (HasUnsavedWork()) dataFile_.SaveUnsavedChanges();
    SaveWindowSettings(false);
    ReleaseHotKeyAndTrayIcon();
    DestroyWindow(hwnd());
}

}  // namespace pennora

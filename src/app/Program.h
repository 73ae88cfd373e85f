#pragma once
// The life of the program, from program entry to the end of the message
// loop: the entries loaded (or offered back from an ended session), the
// settings read, the main window with its tray and fill modes made in that
// order, the automatic start once the window shows; then the close with its
// save prompt, or the end of the Windows session, and the settings written
// at the end. It owns what lives that long: the entry store, its data file
// and the file's kept versions, the settings file and values, the mode flags,
// the text delivery.
#include <memory>
#include <optional>
#include <string>

#include <windows.h>

#include "app/Application.h"
#include "app/FillModes.h"
#include "app/MainWindow.h"
#include "app/TrayMenu.h"
#include "entries/DataFileBackups.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "fill/TextDelivery.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "ui/IniFile.h"
#include "ui/ModeFlags.h"
#include "ui/Settings.h"

namespace pennora {

inline constexpr const char* kDataFileName = "Pennora.Dat";

class Program {
public:
    // Makes everything (FormCreate); `executablePath` gives AppPath, the
    // running executable's when empty.
    Program(Application& app, ShellServices services, const std::string& executablePath);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the main window for the first time; the automatic start follows.
    void Show();

    const std::string& appPath() const { return appPath_; }
    MainWindow& window() { return *window_; }
    ModeFlags& flags() { return flags_; }
    EntryStore& store() { return store_; }
    FillModes& fillModes() { return *fillModes_; }
    const TrayMenu& tray() const { return *tray_; }

private:
    std::optional<LRESULT> TakeMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ClientDataSet1AfterPost();
    int Tell(const std::string& text, UINT type);
    void LoadEntryStore();
    void OfferUnsavedChanges();
    void RestoreMatrixFields();
    void Timer1Timer();
    void WMClose();
    bool FormClose();  // false when the user cancelled the close
    void SaveWindowSettings(bool reportRefusal = true);
    void ReleaseHotKeyAndTrayIcon();
    bool QueryEndSession();
    void EndSession(bool ending);
    bool HasUnsavedWork() const;
    HWND hwnd() const { return window_->hwnd(); }

    Application& app_;
    ShellServices services_;
    std::string appPath_;
    IniFile iniFile_;
    Settings settings_;
    ModeFlags flags_;
    Win32FolderFiles folderFiles_;
    Win32Clock clock_;
    EntryStore store_;
    DataFileKeeper dataFile_;  // loads the store at start-up and saves it
    DataFileBackups backups_;  // earlier versions of the data file, kept at each save
    TextDelivery delivery_;
    // The main window goes first: no message of its queue reaches a part
    // that is gone.
    std::unique_ptr<TrayMenu> tray_;
    std::unique_ptr<FillModes> fillModes_;
    std::unique_ptr<MainWindow> window_;
    bool shown_ = false;
    bool created_ = false;         // start-up is through
    bool closeRequested_ = false;  // a close came while a start-up message was up
    bool closing_ = false;         // FormClose runs
};

}  // namespace pennora

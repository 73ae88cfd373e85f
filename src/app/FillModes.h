#pragma once
// The modes that the fill page's buttons and the tray menu's items switch:
// drag fill with its window, hot-key fill with its menu, and the hiding of
// the browser windows; and how each shows its state: the fill page's button,
// the tray item's check mark, the tray icon and the status line.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/TrayMenu.h"
#include "entries/EntryStore.h"
#include "fill/DragFillMode.h"
#include "fill/DragFillWindow.h"
#include "fill/FillMenu.h"
#include "fill/HotKeyFill.h"
#include "fill/TextDelivery.h"
#include "ui/IniFile.h"
#include "ui/ModeFlags.h"
#include "ui/Settings.h"

namespace pennora {

class FillModes final : private HotKeyFillView, private DragFillView {
public:
    // What the modes work on and show themselves in; all of it outlives them.
    struct Context {
        Application& app;
        MainWindow& mainWindow;
        TrayMenu& tray;
        ShellServices services;
        EntryStore& store;
        IniFile& iniFile;
        const Settings& settings;
        ModeFlags& flags;
        TextDelivery& delivery;
        std::string appPath;
    };
    // Takes the clicks of the fill page's buttons and the tray's items and
    // the main window's hot-key message; the main window must go first.
    explicit FillModes(Context context);

    void ToolButtonDragFillClick();
    void ToolButtonHotKeyClick() { hotKeyFill_.ToolButtonHotKeyClick(); }
    // At the close: a registered hot key goes back to the system.
    void ReleaseHotKey();
    // Where the drag-fill window stands, or would stand if it was never made.
    Point DragFillPosition() const;
    // Where the fill lists go when they are rebuilt after a stored change.
    FillListSinks FillLists();

    DragFillWindow& dragFill();
    HotKeyFill& hotKeyFill() { return hotKeyFill_; }
    const FillMenu& fillMenu() const { return popupMenuFill_; }

private:
    void HotKeyStoppedAfterCommit();
    void HideIEWindow(bool hide);

    void SetHotKeyButton(bool pressed) override;
    void SetHotKeyMenuCheck(bool checked) override;
    void ShowHotKeyOptions() override;
    void MinimizeApplication() override;
    void ChangeTrayIcon(bool hotKeyIcon) override;
    void RebuildFillMenu(const std::vector<std::string>& titles) override;
    std::optional<std::string> PopupFillMenu(Point topLeft) override;
    void ReportRefusedDelivery(const std::string& text) override;
    void ShowDragFillWindow() override;
    void CloseDragFillWindow() override;
    void SetDragFillButton(bool pressed) override;
    void SetDragFillMenuCheck(bool checked) override;

    Context context_;
    FillPage& fillPage_;
    FillMenu popupMenuFill_;
    std::unique_ptr<DragFillWindow> dragFill_;
    HotKeyFill hotKeyFill_;
};

}  // namespace pennora

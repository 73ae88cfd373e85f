#pragma once
// TfrmDragfill: the small always-on-top window of drag fill. It lists the
// titles of the drag list; a title dragged onto another program's field is
// typed there. It is created once, hidden, right after the main window, and
// is shown and hidden again, never destroyed, until the process ends.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "entries/EntryStore.h"
#include "fill/FindBox.h"
#include "fill/FoundList.h"
#include "fill/TextDelivery.h"
#include "platform/WindowsInput.h"
#include "platform/win32/Owned.h"
#include "ui/IniFile.h"
#include "ui/TitleStrip.h"
#include "ui/Window.h"

namespace pennora {

class DropNotice;

// What the status line tells after a drop whose text the target refused.
inline constexpr const char* kDropRefusedStatus = "目标窗口拒绝了文字";

class DragFillWindow final : public Window {
public:
    struct Context {
        IniFile& iniFile;
        EntryStore& store;
        TextDelivery& delivery;
        MessageBoxes& boxes;
        std::string appPath;
    };
    explicit DragFillWindow(Context context);
    ~DragFillWindow() override;

    // Shows the window: FormShow runs (position, list refilled from the drag list).
    void Show();
    // Closes (hides) the window; FormClose runs.
    void Close();

    // Makes the listed titles the titles given (the store's refill after a
    // stored change); no line stays selected but the one a drag under way
    // carries. While the find box holds a text, only the titles found by it
    // are shown.
    void FillList(const std::vector<std::string>& titles);
    // The titles the list shows.
    std::vector<std::string> ListedTitles() const;

    // The window's place on screen (its restored place while minimised), as
    // the close sequence stores it.
    Point CurrentPosition() const;
    // Where the window is put when it is made: the stored place, or where it
    // is designed to appear. Also what the close sequence stores for a window
    // never made.
    static Point StoredPosition(IniFile& iniFile);

    std::function<void()> onClosed;  // FormClose, after the window is hidden

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    POINT WorkAreaOffset() const;
    void MoveTo(Point position);
    void CreateChildren();
    void MakeFonts();
    void ApplyMetrics();
    void OnDpiChanged(int dpi, const RECT& suggested);
    void Layout();
    void ShowFoundLines();
    void FollowPressedLine(const std::vector<std::string>& titles);
    void ListBox1MouseDown(MouseButton button, std::optional<std::size_t> pressed);
    void ListBox1MouseUp(MouseButton button, POINT position);
    void ToolButton1Click();
    void ToolButton2Click();
    void ShowStatus(const char* text);
    static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

    Context context_;
    int dpi_ = 96;  // the DPI the window is laid out for
    OwnedFont stripFont_;
    OwnedFont listFont_;
    OwnedBrush background_;
    std::unique_ptr<TitleStrip> panel1_;
    HWND toolBar1_ = nullptr;
    std::unique_ptr<FindBox> findBox_;  // EdtFind; it keeps the titles of the drag list and finds among them
    HWND hints_ = nullptr;
    std::unique_ptr<FoundList> foundList_;  // ListBox1's lines, drawn from the find box's
    HWND listBox1_ = nullptr;
    WNDPROC listBoxProcedure_ = nullptr;  // the list box's own, which ListProcedure passes messages on to
    std::unique_ptr<DropNotice> statusBar1_;  // the status line, which also tells what went wrong with a drop
    // The line the drag under way types: its title and the title's place
    // among all titles, followed through the refills meanwhile.
    struct PressedLine {
        std::string title;
        std::size_t index;
    };
    std::optional<PressedLine> pressed_;
};

}  // namespace pennora

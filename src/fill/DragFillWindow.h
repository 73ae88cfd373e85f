#pragma once
// TfrmDragfill: the small always-on-top window of drag fill. It is created
// once, hidden, right after the main window, and is shown and hidden again,
// never destroyed, until the process ends.
#include "ui/IniFile.h"
#include "ui/Window.h"
#include "platform/Types.h"

namespace pennora {

class DragFillWindow final : public Window {
public:
    explicit DragFillWindow(IniFile& iniFile);

    // The window's place on screen (its restored place while minimised), as
    // the close sequence stores it.
    Point CurrentPosition() const;

private:
    void FormCreate();
    IniFile& iniFile_;
};

}  // namespace pennora

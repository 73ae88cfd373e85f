#pragma once
// TabSheet1 " 填表助手", the fill page: ToolBar3 with the large buttons that
// switch drag fill, hot-key fill and hiding of browser windows, and help.
// The page only reports clicks; the main window runs the modes and tells the
// page which buttons show pressed.
#include <functional>

#include "platform/win32/Owned.h"
#include "ui/PageDialog.h"

namespace pennora {

class FillPage final : public PageDialog {
public:
    // ToolBar3's images (ImageListMain) are drawn for the page's DPI.
    explicit FillPage(HWND parent);
    ~FillPage() override;

    std::function<void()> onDragFillClick;  // ToolButtonDragFillClick
    std::function<void()> onHotKeyClick;    // ToolButtonHotKeyClick
    std::function<void()> onHideIEClick;    // ToolButtonHideIEClick
    std::function<void()> onHelpClick;      // ToolButtonHelp

    // Shows a toggle button of ToolBar3 down or up.
    void SetPressed(int buttonId, bool pressed) const;
    bool IsPressed(int buttonId) const;

protected:
    bool OnButtonClicked(int id) override;
    // ToolBar3's buttons and images take the new DPI's size.
    void OnDpiChanged(int fromDpi, int toDpi) override;

private:
    OwnedImageList images_;
};

}  // namespace pennora

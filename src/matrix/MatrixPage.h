#pragma once
// TabSheet5 "文字方阵制作", the text matrix page: the font box, the word, fill
// and back fields, the matrix icon Image6 (the drawing surface, and the
// source of a drag onto another program's field), the tool bar and Memo1.
#include <functional>
#include <optional>
#include <string>

#include "fill/TextDelivery.h"
#include "matrix/MatrixFields.h"
#include "matrix/MatrixMaker.h"
#include "platform/win32/Win32TextSurface.h"
#include "platform/win32/Owned.h"
#include "ui/PageDialog.h"
#include "ui/Settings.h"

namespace pennora {

class MatrixPage final : public PageDialog {
public:
    // mainWindow holds the mouse capture during a drag of the icon and is
    // the window a drop never types into.
    MatrixPage(HWND mainWindow, TextDelivery& delivery);
    ~MatrixPage() override;

    std::function<void()> onHelpClick;  // ToolButton30Click
    // A drop of the icon did not arrive whole: the notice to show, in the
    // words every fill uses.
    std::function<void(const std::string& text)> onDeliveryProblem;

    // The stored texts go into their fields; the font box is filled, and the
    // stored index selected, when the page is first shown.
    void Restore(const StoredMatrixFields& stored);
    // The fields as the close sequence stores them.
    ChineseGroup Fields();
    // What Fields() gives for a page that was restored from `stored` and
    // never shown, without making the page.
    static ChineseGroup FieldsOfUnmadePage(const StoredMatrixFields& stored);

    // The release of a drag of the icon, whether it reaches the icon, Panel9
    // or the main window holding the capture; x, y in the receiving window's
    // client coordinates.
    void Image6MouseUp(MouseButton button, int x, int y);

protected:
    void OnShow() override;
    bool OnButtonClicked(int id) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDpiChanged(int fromDpi, int toDpi) override;
    void ShowToolImagesAt(int dpi);
    void ApplyDpiLook();

private:
    void ToolButton17Click();
    void ToolButton21Click();
    void ToolButton26Click();
    void ToolButton28Click();
    void Image6MouseDown(MouseButton button);
    void LoadFonts();
    bool SelectMemoIfWorthCopying();
    void DrawImage6(const DRAWITEMSTRUCT& item) const;
    void FitMemo1(int pageWidth, int pageHeight) const;
    static LRESULT CALLBACK Image6Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);

    HWND mainWindow_;
    TextDelivery& delivery_;
    Win32TextSurface surface_;
    MatrixMaker maker_{surface_};
    OwnedFont memoFont_;
    OwnedImageList toolImages_;
    std::optional<int> storedFontIndex_;
    bool fontsLoaded_ = false;
};

// The font box's list: built from every font family the system enumerates
// for the default character set.
std::vector<std::string> ScreenFontList();

}  // namespace pennora

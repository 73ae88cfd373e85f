#pragma once
// The dialog "较早的版本" over the entry editor: the kept versions of the
// data file in a list (time, entries, what loading it would change), and
// the choice of one. The rules are VersionPicker's.
#include <string>

#include <windows.h>

#include "entries/VersionPicker.h"
#include "ui/Window.h"

namespace pennora {

class VersionPickerDialog final : public Dialog {
public:
    VersionPickerDialog(VersionPicker& picker, std::string appPath);
    // Shows the versions modally over `owner`; true when one was loaded.
    bool Show(HWND owner);

protected:
    void OnInit() override;
    bool OnButtonClicked(int id) override;
    LRESULT OnNotify(const NMHDR& header) override;

private:
    void FillList();
    int SelectedRow() const;
    void ShowSelection();
    void ChooseSelected();

    VersionPicker& picker_;
    std::string appPath_;
};

// What the editor's button does: lists the versions kept beside the store's
// data file and shows the dialog over `owner`. Returns the status line's
// text after a version was loaded, empty otherwise. `saveRefusal` is why
// saves are refused now, empty when they are not.
std::string PickEarlierVersion(HWND owner, EntryStore& store, const ModeFlags& flags, MessageBoxes& boxes,
                               FileSystem& files, const std::string& dataFilePath,
                               const std::string& appPath, const std::string& saveRefusal);

}  // namespace pennora

#include "entries/EntryEditorLogic.h"

#include "platform/Error.h"

namespace pennora {
namespace {

constexpr unsigned kMbYesNoQuestion = 0x24;  // MB_ICONQUESTION | MB_YESNO
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdYesAnswer = 6;
constexpr unsigned kMbYesNoWarningNoFirst = 0x134;  // MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2

}  // namespace

EntryEditorLogic::EntryEditorLogic(EntryStore& store, DataFileKeeper& dataFile, ModeFlags& flags, MessageBoxes& boxes,
                                   Hwnd owner)
    : store_(store), dataFile_(dataFile), flags_(flags), boxes_(boxes), owner_(owner) {}

void EntryEditorLogic::ToolButton1Click() { store_.Insert(); }

void EntryEditorLogic::ToolButton10Click() { store_.Prior(); }

void EntryEditorLogic::ToolButton11Click() { store_.Next(); }

// While the question is up, a fill from the drag-fill window or the hot key
// may commit the pending change and make another entry current: the answer
// applies to the entry that was current when the question was asked.
void EntryEditorLogic::ToolButton2Click() {
    const std::optional<EntryId> asked = store_.CurrentId();
    if (boxes_.MessageBoxA(owner_, kDeleteEntryQuestion, kDeleteEntryCaption, kMbYesNoQuestion) != kIdYesAnswer) return;
    if (!asked) throw Error(kEmptyStoreDeleteError);
    if (!store_.Delete(*asked)) boxes_.MessageBoxA(owner_, kDeletedEntryGoneText, kDeleteEntryCaption, kMbIconInformation);
}

bool SaveEntries(DataFileKeeper& dataFile, MessageBoxes& boxes, Hwnd owner) {
    try {
        dataFile.Save();
        return true;
    } catch (const DataFileChangedError& question) {
        // No is the default: a stray Enter must not overwrite another's file.
        if (boxes.MessageBoxA(owner, question.what(), kSaveCaption, kMbYesNoWarningNoFirst) != kIdYesAnswer) return false;
    }
    dataFile.Save(DataFileKeeper::IfChangedElsewhere::Replace);
    return true;
}

void EntryEditorLogic::ToolButton3Click() {
    if (SaveEntries(dataFile_, boxes_, owner_)) flags_.dataModified = false;
}

void EntryEditorLogic::TitleChanged(const std::string& text) { store_.SetTitle(text); }

void EntryEditorLogic::ContentChanged(const std::string& text) { store_.SetContent(text); }

void EntryEditorLogic::FlagClicked(EntryFlag flag) {
    const Entry* current = store_.Current();
    const Entry none;
    const Entry& entry = current ? *current : none;
    if (flag == EntryFlag::InDrag)
        store_.SetInDrag(NextFlagState(entry.inDrag));
    else
        store_.SetInHotKey(NextFlagState(entry.inHotKey));
}

// The joined text always becomes part of the pending change, also when the
// entry was not being edited: what the content box shows is what is stored.
// An empty title appends nothing and so changes nothing.
std::string EntryEditorLogic::DBEdit1Enter(const std::string& title, const std::string& content) {
    if (title.empty()) return content;
    const std::string joined = content + title;
    store_.SetContent(joined);
    const Entry* current = store_.Current();
    return current && current->content ? *current->content : joined;
}

void EntryEditorLogic::GridRowSelected(std::size_t row) { store_.MoveTo(row); }

void EntryEditorLogic::GridCtrlDelete() { store_.Delete(); }

void EntryEditorLogic::GridFocusLost() { store_.DropUntouchedNewEntry(); }

void EntryEditorLogic::GridTitleEdited(std::size_t row, const std::string& text) {
    store_.MoveTo(row);
    store_.SetTitle(text);
}

}  // namespace pennora

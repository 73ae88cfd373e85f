"""Earlier versions of the data file, picked in the entry editor by keyboard:
two saves keep two versions, the dialog lists them newest first, the older
one is chosen and confirmed, and its entries are in the editor as changes
not saved (the close asks, the data file is untouched until a save, which
keeps the file it replaces); No to the question and Esc change nothing; an
empty Backup folder is said so."""
import os

import harness
from harness import Pennora, focused_control, item_text, wait_for, xdotool

TOOLBAR1, SAVE, VERSIONS = 1302, 1314, 1318
EDITOR_PAGE, GRID, TITLE_BOX, CONTENT_BOX = 1, 1300, 1304, 1306
PICKER, QUESTION, CLOSE_QUESTION = "较早的版本", "载入较早的版本", "退出 Pennora"
IDYES, IDNO, IDCANCEL = 6, 7, 2


def picker_text(app):
    """What the dialog's texts say: where the versions are, and the selected one's file."""
    return app.dialog_text(PICKER)


def open_picker_by_keyboard(app):
    """From the grid, Tab to the tool bar, Left round to its last button, Enter."""
    harness.focus_control(GRID)
    xdotool("key", "Tab")
    wait_for(lambda: focused_control() == TOOLBAR1, what="the focus on the tool bar")
    xdotool("key", "Left", "Return")
    return picker_text(app)


def start_in_editor(name):
    """Starts Pennora in a folder of its own with one entry, on the editor page."""
    app = Pennora(name)
    app.write_entries(("地址", "北京市"))
    app.start().wait_for_main_window()
    app.select_page(EDITOR_PAGE)
    return app


def picker_gone():
    return harness.probe("dialog", PICKER)[0] != 0


def type_into_title(text):
    harness.focus_control(TITLE_BOX)
    xdotool("key", "End")
    xdotool("type", "--delay", "30", text)


def save_and_wait_for_versions(app, count):
    harness.click_tool_button(TOOLBAR1, SAVE)
    backup = app.path("Backup")
    wait_for(lambda: os.path.isdir(backup) and len(os.listdir(backup)) == count, what=f"{count} kept versions")
    return sorted(os.listdir(backup))


def editor_shows(title, content):
    wait_for(lambda: item_text(TITLE_BOX) == title and item_text(CONTENT_BOX) == content,
             what=f"the editor to show {title!r} / {content!r}")


def test_the_older_version_picked_by_keyboard_is_loaded_as_unsaved_changes():
    app = start_in_editor("versions_pick")
    type_into_title("2")
    save_and_wait_for_versions(app, 1)
    type_into_title("3")
    older, newer = save_and_wait_for_versions(app, 2)
    assert harness.read_data(app.path("Pennora.Dat")) == [("地址23", "北京市")]

    text = open_picker_by_keyboard(app)
    assert "最近的在前" in text and newer in text, text  # the newest is selected
    xdotool("key", "Down")
    wait_for(lambda: older in picker_text(app), what="the older version selected")
    harness.screenshot("versions_picker")

    # No to the question changes nothing and leaves the dialog open.
    xdotool("key", "Return")
    question = app.dialog_text(QUESTION)
    assert "保存" in question and "Backup" in question and "新增 1 个、删除 1 个、修改 0 个" in question, question
    assert "载入后将丢失" not in question, question
    app.answer(QUESTION, IDNO)
    app.wait_for_dialog_closed(QUESTION)
    assert not picker_gone()
    editor_shows("地址23", "北京市")

    xdotool("key", "Return")
    app.dialog_text(QUESTION)
    harness.screenshot("versions_question")
    app.answer(QUESTION, IDYES)
    wait_for(lambda: picker_gone(), what="the dialog to close")
    editor_shows("地址", "北京市")
    harness.screenshot("versions_loaded")
    assert harness.read_data(app.path("Pennora.Dat")) == [("地址23", "北京市")], "written before a save"

    # The close asks about the changes; Cancel stays.
    app.click_strip_image("close")
    assert "保存" in app.dialog_text(CLOSE_QUESTION)
    app.answer(CLOSE_QUESTION, IDCANCEL)
    app.wait_for_dialog_closed(CLOSE_QUESTION)

    # The save keeps the file it replaces as the newest version.
    kept = save_and_wait_for_versions(app, 3)
    assert harness.read_data(app.path("Pennora.Dat")) == [("地址", "北京市")]
    assert harness.read_data(os.path.join(app.path("Backup"), kept[-1])) == [("地址23", "北京市")], kept
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0


def test_escape_changes_nothing_and_a_typed_change_is_named_in_the_question():
    app = start_in_editor("versions_cancel")
    type_into_title("2")
    save_and_wait_for_versions(app, 1)
    type_into_title("x")  # typed, not committed

    open_picker_by_keyboard(app)
    xdotool("key", "Return")
    question = app.dialog_text(QUESTION)
    assert "载入后将丢失" in question, question
    app.answer(QUESTION, IDNO)
    app.wait_for_dialog_closed(QUESTION)
    xdotool("key", "Escape")
    wait_for(lambda: picker_gone(), what="the dialog to close after Esc")
    editor_shows("地址2x", "北京市")
    assert harness.read_data(app.path("Pennora.Dat")) == [("地址2", "北京市")]
    app.kill()


def test_an_empty_backup_folder_is_said_so():
    app = start_in_editor("versions_none")
    text = open_picker_by_keyboard(app)
    assert "还没有保留的版本" in text, text
    harness.screenshot("versions_none")
    xdotool("key", "Return")  # nothing to choose: no question
    xdotool("key", "Escape")
    wait_for(lambda: picker_gone(), what="the dialog to close after Esc")
    assert harness.probe("dialog", QUESTION)[0] != 0
    editor_shows("地址", "北京市")
    app.kill()


harness.run([
    test_the_older_version_picked_by_keyboard_is_loaded_as_unsaved_changes,
    test_escape_changes_nothing_and_a_typed_change_is_named_in_the_question,
    test_an_empty_backup_folder_is_said_so,
])

"""Entries as a text file, moved as a user moves them: exported from one copy
of the tool through the save dialog, imported into a fresh copy through the
open dialog and saved there, the two data files are equal byte for byte; a
bad file is refused with its line named and changes nothing; a data file
another program changed under the running tool is replaced only after a Yes,
and then kept in the Backup folder."""
import os
import struct
import zlib

import harness
from harness import Pennora, wait_for, windows_path, xdotool

TOOLBAR1, SAVE, EXPORT, IMPORT = 1302, 1314, 1316, 1317
EDITOR_PAGE = 1


def data_file(entries):
    """The bytes of a data file (format version 1) holding `entries`:
    (title, content, in_drag, in_hot_key), None for null."""
    def text(value):
        if value is None:
            return b"\x00"
        raw = value.encode("gbk")
        return b"\x01" + struct.pack("<H", len(raw)) + raw

    def flag(value):
        return bytes([0 if value is None else 2 if value else 1])

    payload = b"".join(text(t) + text(c) + flag(d) + flag(h) for t, c, d, h in entries)
    head = b"PNRD\r\n\x1a\n" + struct.pack("<III", 1, len(entries), len(payload)) + payload
    return head + struct.pack("<I", zlib.crc32(head))


ENTRIES = [
    (None, None, None, None),
    ("", "", False, False),
    ("地址", "北京市海淀区\r\n中关村大街 1 号", True, None),
    ('Say "hi", please', "lone\rCR and a, comma", None, True),
    ("地址", None, False, True),
]


def choose_file(title, path):
    """Types `path` into the file dialog titled `title` and confirms it."""
    wait_for(lambda: xdotool("search", "--onlyvisible", "--name", f"^{title}$"), what=f"the dialog {title}")
    # The dialog opens with its file name box focused and its text selected.
    xdotool("type", "--delay", "20", windows_path(path))
    xdotool("key", "Return")
    wait_for(lambda: not xdotool("search", "--onlyvisible", "--name", f"^{title}$"), what=f"the dialog {title} to close")


def read(path):
    with open(path, "rb") as file:
        return file.read()


def test_export_then_import_into_a_fresh_copy_gives_the_same_data_file():
    source = Pennora("export_source")
    with open(source.path("Pennora.Dat"), "wb") as file:
        file.write(data_file(ENTRIES))
    source.start().wait_for_main_window()
    source.select_page(EDITOR_PAGE)
    exported = source.path("entries.csv")
    harness.click_tool_button(TOOLBAR1, EXPORT)
    choose_file("导出数据项", exported)
    wait_for(lambda: os.path.exists(exported), what="the exported file")
    harness.screenshot("entries_file_exported")
    text = read(exported)
    assert text.startswith(b"\xef\xbb\xbfTitle,Content,InDrag,InHotKey\r\n"), text[:60]
    assert '"北京市海淀区\r\n中关村大街 1 号"'.encode("utf-8") in text, text
    source.kill()

    fresh = Pennora("import_fresh").start()
    fresh.wait_for_main_window()
    assert fresh.page() == EDITOR_PAGE, "a copy without a data file starts on the editor page"
    harness.click_tool_button(TOOLBAR1, IMPORT)
    choose_file("导入数据项", exported)
    harness.click_tool_button(TOOLBAR1, SAVE)
    wait_for(lambda: os.path.exists(fresh.path("Pennora.Dat")), what="the saved data file")
    harness.screenshot("entries_file_imported")
    assert read(fresh.path("Pennora.Dat")) == read(source.path("Pennora.Dat"))
    fresh.kill()


def test_a_bad_file_is_refused_with_its_line_and_changes_nothing():
    app = Pennora("import_bad_file")
    with open(app.path("Pennora.Dat"), "wb") as file:
        file.write(data_file(ENTRIES[:1]))
    bad = app.path("bad.csv")
    with open(bad, "wb") as file:
        file.write("\ufeffTitle,Content,InDrag,InHotKey\r\n好,内容,1,\r\n坏,内容,yes,\r\n".encode("utf-8"))
    app.start().wait_for_main_window()
    app.select_page(EDITOR_PAGE)
    harness.click_tool_button(TOOLBAR1, IMPORT)
    choose_file("导入数据项", bad)
    text = app.dialog_text("KestovaPennora")
    harness.screenshot("entries_file_refused")
    assert "第 3 行" in text and "InDrag" in text and "bad.csv" in text, text
    app.answer("KestovaPennora", 1)
    app.wait_for_dialog_closed("KestovaPennora")
    # Nothing was added, so closing asks nothing and ends at once.
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0
    assert read(app.path("Pennora.Dat")) == data_file(ENTRIES[:1])


def test_an_export_over_the_programs_own_files_is_refused_and_asked_again():
    app = Pennora("export_own_file")
    with open(app.path("Pennora.Dat"), "wb") as file:
        file.write(data_file(ENTRIES))
    app.start().wait_for_main_window()
    app.select_page(EDITOR_PAGE)
    harness.click_tool_button(TOOLBAR1, EXPORT)
    # The temporary file of a save: no file yet, so the dialog asks nothing.
    choose_file("导出数据项", app.path("Pennora.Dat.saving"))
    text = app.dialog_text("KestovaPennora")
    harness.screenshot("entries_file_export_refused")
    assert "不能导出" in text and "Pennora.Dat.saving" in text, text
    app.answer("KestovaPennora", 1)
    app.wait_for_dialog_closed("KestovaPennora")
    # The dialog comes back; Cancel ends the export with nothing written.
    wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "^导出数据项$"), what="the dialog asked again")
    xdotool("key", "Escape")
    wait_for(lambda: not xdotool("search", "--onlyvisible", "--name", "^导出数据项$"), what="the dialog to close")
    assert not os.path.exists(app.path("Pennora.Dat.saving"))
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0
    assert read(app.path("Pennora.Dat")) == data_file(ENTRIES)


def test_a_data_file_changed_elsewhere_is_replaced_only_after_a_yes():
    app = Pennora("changed_elsewhere")
    with open(app.path("Pennora.Dat"), "wb") as file:
        file.write(data_file(ENTRIES[:1]))
    added = app.path("added.csv")
    with open(added, "wb") as file:
        file.write("\ufeffTitle,Content,InDrag,InHotKey\r\n新,内容,1,\r\n".encode("utf-8"))
    app.start().wait_for_main_window()
    app.select_page(EDITOR_PAGE)
    harness.click_tool_button(TOOLBAR1, IMPORT)
    choose_file("导入数据项", added)
    # A sync client brings another machine's data file meanwhile.
    other = data_file([("别处", "另一台电脑", None, None)])
    with open(app.path("Pennora.Dat"), "wb") as file:
        file.write(other)

    harness.click_tool_button(TOOLBAR1, SAVE)
    text = app.dialog_text("保存")
    harness.screenshot("changed_elsewhere_question")
    assert "Pennora.Dat" in text and "是否覆盖" in text and "Backup" in text, text
    app.answer("保存", 7)  # IDNO
    app.wait_for_dialog_closed("保存")
    assert read(app.path("Pennora.Dat")) == other

    harness.click_tool_button(TOOLBAR1, SAVE)
    app.dialog_text("保存")
    app.answer("保存", 6)  # IDYES
    app.wait_for_dialog_closed("保存")
    wait_for(lambda: read(app.path("Pennora.Dat")) != other, what="the data file replaced")
    backup = app.path("Backup")
    kept = [read(os.path.join(backup, name)) for name in os.listdir(backup)]
    assert other in kept, os.listdir(backup)
    # What was just saved is the tool's own: the next save asks nothing, and
    # the close after it ends at once.
    harness.click_tool_button(TOOLBAR1, SAVE)
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0
    assert "新".encode("gbk") in read(app.path("Pennora.Dat"))


harness.run([
    test_export_then_import_into_a_fresh_copy_gives_the_same_data_file,
    test_a_bad_file_is_refused_with_its_line_and_changes_nothing,
    test_an_export_over_the_programs_own_files_is_refused_and_asked_again,
    test_a_data_file_changed_elsewhere_is_replaced_only_after_a_yes,
])

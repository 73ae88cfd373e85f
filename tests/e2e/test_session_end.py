"""Logoff and shutdown as Wine ends a session (wineboot --end-session): the
program asks nothing, keeps the entries that were not saved in a file of
their own, writes its window settings, and offers the entries at the next
start."""
import os
import subprocess

import harness
from harness import Pennora, probe, read_data, xdotool

EDITOR_PAGE = 1
DBEDIT1 = 1304


def test_an_ending_session_keeps_unsaved_entries_for_the_next_start():
    app = Pennora("session_end")
    app.write_entries(("地址", "北京市海淀区"))
    app.start().wait_for_main_window()
    app.select_page(EDITOR_PAGE)
    harness.focus_control(DBEDIT1)
    xdotool("key", "End")
    xdotool("type", "--delay", "40", "Home")
    harness.wait_for(lambda: harness.item_text(DBEDIT1) == "地址Home", what="the edited title")

    subprocess.run(["wineboot", "--end-session"], capture_output=True, timeout=60)
    assert app.wait_for_exit() == 0, "the session end closes the program"
    assert read_data(app.path("Pennora.Dat")) == [("地址", "北京市海淀区")], "the data file is untouched"
    assert read_data(app.path("Pennora.Dat.unsaved")) == [("地址Home", "北京市海淀区")]
    assert "Position" in app.read_settings(), "the window settings are written"

    app.start()
    text = app.dialog_text("KestovaPennora")
    harness.screenshot("session_end_offer")
    assert "恢复" in text, text
    app.answer("KestovaPennora", 6)  # Yes
    app.wait_for_main_window()
    assert app.page() == EDITOR_PAGE
    assert harness.item_text(DBEDIT1) == "地址Home"
    app.click_strip_image("close")
    app.dialog_text("退出 Pennora")
    app.answer("退出 Pennora", 6)  # save
    assert app.wait_for_exit() == 0
    assert read_data(app.path("Pennora.Dat")) == [("地址Home", "北京市海淀区")]
    assert not os.path.exists(app.path("Pennora.Dat.unsaved"))


harness.run([
    test_an_ending_session_keeps_unsaved_entries_for_the_next_start,
])

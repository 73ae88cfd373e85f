"""The Options page's start-with-Windows box against the prefix's registry:
another copy's value named under the box, the value pointed at this copy by
the commit button, a value removed elsewhere shown as off, and the box cleared
again. Only the value named Pennora is touched; what it held before is put back."""
import re

import harness
from harness import Pennora

FILL_PAGE, OPTIONS_PAGE = 0, 4
CHK_AUTO_RUN, LABEL_AUTO_RUN, BTN_OK = 1220, 1221, 1209
CHK_MINIMIZE, WM_LBUTTONDOWN = 1201, 0x0201
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
OTHER_COPY = r"D:\同步盘\Pennora\Pennora.exe"


def run_value():
    """The Pennora value of the Run key as `reg query` shows it, or None."""
    code, out = harness.wine_reg("query", RUN_KEY, "/v", "Pennora")
    if code != 0:
        return None
    match = re.search(r"Pennora\s+REG_\w+\s+(.*)", out)
    return match.group(1).strip() if match else None


def set_run_value(command):
    if command is None:
        if run_value() is not None:
            harness.wine_reg_done("delete", RUN_KEY, "/v", "Pennora", "/f")
    else:
        harness.wine_reg_done("add", RUN_KEY, "/v", "Pennora", "/t", "REG_SZ", "/d", command, "/f")


def checked():
    code, out = harness.probe("check", str(CHK_AUTO_RUN))
    assert code == 0, "no start-with-Windows box on the Options page"
    return int(out)


def commit(app):
    app.click_control(BTN_OK)
    harness.wait_for(lambda: app.options()["BtnOK"] == 0, what="BtnOK disabled by the commit")


def test_the_box_shows_and_sets_the_run_value_of_this_copy():
    before = run_value()
    try:
        set_run_value(f'"{OTHER_COPY}"')
        app = Pennora("start_with_windows")
        app.write_entries(("地址", "北京市海淀区"))
        app.start().wait_for_main_window()
        app.select_page(OPTIONS_PAGE)
        assert checked() == 0, "another copy's value shows as off for this copy"
        note = harness.item_text(LABEL_AUTO_RUN)
        assert OTHER_COPY in note, f"the note under the box does not name the other copy: {note!r}"
        harness.screenshot("start_with_windows_other_copy")

        app.click_control(CHK_AUTO_RUN)
        harness.wait_for(lambda: checked() == 1, what="the box checked")
        assert run_value() == f'"{OTHER_COPY}"', "nothing is written before BtnOK"
        commit(app)
        own = f'"{harness.windows_path(app.path("Pennora.exe"))}"'
        assert (run_value() or "").lower() == own.lower(), f"the Run value is {run_value()!r}, not {own!r}"
        assert harness.item_text(LABEL_AUTO_RUN) == "", "the note stays after this copy took the value"

        # Removed elsewhere: the page shows it the next time it comes up.
        set_run_value(None)
        app.select_page(FILL_PAGE)
        app.select_page(OPTIONS_PAGE)
        harness.wait_for(lambda: checked() == 0, what="the box cleared after the value was removed elsewhere")

        app.click_control(CHK_AUTO_RUN)
        harness.wait_for(lambda: checked() == 1, what="the box checked")
        commit(app)
        assert run_value() is not None

        # Changed elsewhere while the window was in the tray: the page shows
        # it when the window comes back, and BtnOK stays as it was.
        app.minimize_to_tray()
        set_run_value(f'"{OTHER_COPY}"')
        app.tray_message(WM_LBUTTONDOWN)
        app.wait_for_visibility("main=1 app=1")
        harness.wait_for(lambda: checked() == 0, what="the box cleared after the window came back from the tray")
        assert OTHER_COPY in harness.item_text(LABEL_AUTO_RUN), "the note names the copy that took the value"
        assert app.options()["BtnOK"] == 0, "showing the registry's state enabled BtnOK"
        # The box left alone: another option committed keeps the other copy's value.
        app.click_control(CHK_MINIMIZE)
        commit(app)
        assert run_value() == f'"{OTHER_COPY}"', f"an untouched box changed the Run value: {run_value()!r}"
        app.click_control(CHK_MINIMIZE)
        app.click_control(CHK_AUTO_RUN)
        harness.wait_for(lambda: checked() == 1, what="the box checked")
        commit(app)
        assert (run_value() or "").lower() == own.lower()
        app.click_control(CHK_AUTO_RUN)
        harness.wait_for(lambda: checked() == 0, what="the box cleared")
        commit(app)
        assert run_value() is None, "clearing the box removes this copy's value"
        harness.screenshot("start_with_windows_cleared")
        app.kill()
    finally:
        set_run_value(before)


harness.run([test_the_box_shows_and_sets_the_run_value_of_this_copy])

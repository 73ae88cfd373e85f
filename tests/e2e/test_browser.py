"""The browser integration used as a person would: context-menu entries made
with `wine reg add` and script files appear on the page "IE右键菜单填表";
entries added, renamed and deleted there reach the registry on "应用" with
script files a JavaScript engine runs to the right text; "重置" discards
changes; the fill page's button and the tray menu hide and show the windows
of the shell's browser-window collection."""
import contextlib
import os
import subprocess

import harness
from harness import Pennora

BROWSER_PAGE = 2
WM_RBUTTONUP = 0x0205
TRAY_MENU, TRAY_MENU_POSITION = 300, 0
IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE = 1050, 1054
IDC_BTNFIRST, IDC_BTNNEXT, IDC_BTNLAST, IDC_BTNNEW, IDC_BTNDELETE = 1401, 1403, 1404, 1405, 1406
IDC_EDITKEY, IDC_MEMOVALUE, IDC_BTNCANCEL, IDC_BTNAPPLY = 1409, 1411, 1412, 1413
IDOK = 1
CHECK_SCRIPT = os.path.join(os.environ["PENNORA_SOURCE_DIR"], "tests", "programs", "check_script.js")
SHELL_WINDOWS_TREAT_AS = r"HKLM\Software\Classes\CLSID\{9BA05972-F6A8-11CF-A442-00A0C90A8F39}\TreatAs"
TEST_COLLECTION = "{6B1A4F0E-2C57-4E3B-9A1D-5E0C7F2B8D41}"
RESTART_NOTICE = "如果当前有IE窗口正在运行，您需要关闭所有IE窗口重新启动，新设置才会生效。"

SCRIPT_HEAD = ('<SCRIPT LANGUAGE="JavaScript" defer>\r\n'
               'var pwin=external.menuArguments; \r\r\n'
               'var mdocu=pwin.document;\r\r\n'
               'var mselect=mdocu.selection;\r\r\n'
               'var mrange=mselect.createRange();\r\r\n'
               'if (mdocu.activeElement.type=="text"||mdocu.activeElement.type=="textarea"||'
               'mdocu.activeElement.type=="password")\r\r\n')


def part_script(text):
    """A script file as the long-standing format writes it (GBK bytes)."""
    value = text.replace("\r\n", "\\n").replace('"', '\\"')
    return (SCRIPT_HEAD + 'mrange.text="' + value + '";\r\r\n</SCRIPT>\r\n').encode("gbk")


def add_entry(app, name, text, position):
    os.makedirs(app.path("Script"), exist_ok=True)
    path = app.path(os.path.join("Script", f"{position}.htm"))
    with open(path, "wb") as file:
        file.write(part_script(text))
    key = harness.MENU_EXT + "\\" + name
    harness.wine_reg_done("add", key, "/ve", "/d", harness.windows_path(path), "/f")
    harness.wine_reg_done("add", key, "/v", "Contexts", "/t", "REG_DWORD", "/d", "1364", "/f")


def fresh_registry():
    harness.wine_reg("delete", harness.MENU_EXT, "/f")
    # Another program's menu extension: never listed, never touched.
    harness.wine_reg_done("add", harness.MENU_EXT + "\\翻译", "/ve", "/d", "res://other.dll/t.htm", "/f")


def started_on_browser_page(app):
    app.start().wait_for_main_window()
    app.select_page(BROWSER_PAGE)
    return harness.wait_for(lambda: (lambda p: p if p[0] else None)(harness.browser_page()), what="the loaded page")


def type_into(control_id, text, replace=True):
    harness.focus_control(control_id)
    if replace:
        harness.xdotool("key", "ctrl+End", "ctrl+shift+Home", "Delete")
    for number, line in enumerate(text.split("\n")):
        if number:
            harness.xdotool("key", "Return")
        harness.xdotool("type", "--delay", "30", line)


def show_entry(name, first):
    """Walks the page from its first entry, `first`, to the one named `name`,
    one click on 下一项 at a time, each waited for."""
    harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNFIRST)))
    shown = harness.wait_for(lambda: (lambda now: now if now == first else None)(harness.browser_page()[3]),
                             what=f"the first entry {first}")
    seen = [shown]
    while shown != name:
        if len(seen) > 10:
            raise AssertionError(f"no entry {name} on the page, which shows {seen}")
        harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNNEXT)))
        shown = harness.wait_for(lambda: (lambda now: now if now != seen[-1] else None)(harness.browser_page()[3]),
                                 what=f"the entry after {seen[-1]}")
        seen.append(shown)


def script_inserts(path, text):
    """Whether a JavaScript engine running the script file inserts `text`."""
    result = subprocess.run(["node", CHECK_SCRIPT, path, text.encode("gbk").hex()], capture_output=True, text=True)
    assert result.returncode == 0, f"{path}: {result.stderr}"


@contextlib.contextmanager
def browser_windows(count):
    """The test's collection with `count` browser windows, as the shell's
    ShellWindows for the time of the block; yields the file where the
    collection notes each time it is counted."""
    harness.wine_reg_done("add", SHELL_WINDOWS_TREAT_AS, "/ve", "/d", TEST_COLLECTION, "/f")
    log = os.path.join(harness.RUN_DIR, "browser_windows.txt")
    with open(log, "w") as out:
        host = subprocess.Popen(["wine", os.path.join(harness.PROGRAMS_DIR, "ShellWindowsHost.exe"), str(count)],
                                stdout=out, stderr=subprocess.DEVNULL)
    try:
        harness.wait_for(lambda: "ready" in open(log).read(), what="the browser-window collection")
        assert len([w for w in harness.top_windows("浏览器窗口") if w[1]]) == count
        yield log
    finally:
        host.kill()
        harness.wine_reg("delete", SHELL_WINDOWS_TREAT_AS, "/f")


def main_window_place():
    """The z place of Pennora's visible main window among all top-level windows."""
    return min(place for _, visible, place in harness.top_windows("KestovaPennora") if visible)


def unix_path(windows):
    assert windows.startswith("Z:"), windows
    return windows[2:].replace("\\", "/")


def test_the_page_shows_the_entries_in_the_registry():
    fresh_registry()
    app = Pennora("browser_load")
    add_entry(app, "填地址", "北京市海淀区\r\n邮编 100080", 0)
    add_entry(app, "Sign", 'Best "regards"', 1)
    edits, apply, cancel, first, first_text = started_on_browser_page(app)
    assert edits and not apply and not cancel
    shown = {first: first_text}
    harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNNEXT)))
    harness.wait_for(lambda: harness.browser_page()[3] != first, what="the next entry")
    _, apply, _, second, second_text = harness.browser_page()
    shown[second] = second_text
    assert shown == {"填地址": "北京市海淀区\\n邮编 100080", "Sign": 'Best "regards"'}, shown
    assert not apply, "showing an entry changes nothing"
    harness.screenshot("browser_load")
    app.kill()


def test_add_rename_and_delete_reach_the_registry_on_apply():
    fresh_registry()
    app = Pennora("browser_apply")
    add_entry(app, "地址", "北京市海淀区", 0)
    add_entry(app, "Sign", "Regards", 1)
    add_entry(app, "Old", "old text", 2)
    started_on_browser_page(app)

    # The page lists the entries in the registry's order, by name.
    show_entry("Old", first="Old")
    harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNDELETE)))
    app.expect_dialog("KestovaPennora", "确定要删除吗?")
    app.answer("KestovaPennora", IDOK)
    app.wait_for_dialog_closed("KestovaPennora")

    show_entry("Sign", first="Sign")
    type_into(IDC_EDITKEY, "Signature")
    harness.wait_for(lambda: harness.browser_page()[3] == "Signature", what="the new name")

    harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNNEW)))
    harness.wait_for(lambda: harness.browser_page()[3] == "", what="the new entry's empty name")
    type_into(IDC_EDITKEY, "Path", replace=False)
    type_into(IDC_MEMOVALUE, 'C:\\new "x"\n</SCRIPT>', replace=False)
    harness.wait_for(lambda: harness.browser_page()[4] == 'C:\\new "x"\\n</SCRIPT>', what="the typed text")
    assert harness.browser_page()[1], "the change enables 应用"
    harness.screenshot("browser_before_apply")

    harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNAPPLY)))
    app.expect_dialog("Pennora", RESTART_NOTICE)
    app.answer("Pennora", IDOK)
    app.wait_for_dialog_closed("Pennora")
    harness.wait_for(lambda: not harness.browser_page()[1], what="应用 disabled by the successful apply")

    assert harness.menu_ext_keys() == sorted(["地址", "Signature", "Path", "翻译"]), harness.menu_ext_keys()
    expected = {"地址": "北京市海淀区", "Signature": "Regards", "Path": 'C:\\new "x"\r\n</SCRIPT>'}
    for name, text in expected.items():
        values = harness.menu_ext_values(name)
        assert values["Contexts"] == ("REG_DWORD", "0x554"), values
        kind, path = values[""]
        assert kind == "REG_SZ" and path.lower().startswith(harness.windows_path(app.path("Script")).lower()), path
        script_inserts(unix_path(path), text)
        if "\\" not in text and "<" not in text:  # texts the long-standing format carries: its very bytes
            with open(unix_path(path), "rb") as file:
                assert file.read() == part_script(text), name
    assert harness.menu_ext_values("翻译") == {"": ("REG_SZ", "res://other.dll/t.htm")}
    harness.screenshot("browser_applied")
    app.kill()


def test_reset_discards_the_changes():
    fresh_registry()
    app = Pennora("browser_reset")
    add_entry(app, "地址", "北京市海淀区", 0)
    _, _, _, name, text = started_on_browser_page(app)
    type_into(IDC_MEMOVALUE, "changed")
    harness.wait_for(lambda: harness.browser_page()[4] == "changed", what="the change")
    harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNNEW)))
    harness.wait_for(lambda: harness.browser_page()[1], what="应用 enabled by the new entry")
    harness.click_rect(harness.probe_rect("item-rect", str(IDC_BTNCANCEL)))
    harness.wait_for(lambda: harness.browser_page() == (True, False, False, "地址", "北京市海淀区"),
                     what="the registry's entries again")
    assert harness.menu_ext_keys() == ["翻译", "地址"] or sorted(harness.menu_ext_keys()) == sorted(["翻译", "地址"])
    harness.screenshot("browser_reset")
    app.kill()


def test_the_button_hides_the_browser_windows_and_the_tray_item_shows_them():
    with browser_windows(2):
        app = Pennora("browser_hide")
        app.write_entries(("地址", "北京市海淀区"))
        app.start().wait_for_main_window()
        pressed, rect, hint = harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)
        assert not pressed and hint == "快速隐藏IE窗口", (pressed, hint)

        # (Without a window manager Wine waits up to 2 s for each window to be withdrawn.)
        harness.click_rect(rect)
        harness.wait_for(lambda: harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)[2] == "显示所有IE浏览器窗口",
                         what="the hint after hiding")
        assert not any(w[1] for w in harness.top_windows("浏览器窗口")), harness.top_windows("浏览器窗口")
        main_place = main_window_place()
        assert all(w[2] > main_place for w in harness.top_windows("浏览器窗口")), "hidden at the bottom"
        assert harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)[0], "the button shows pressed"
        harness.screenshot("browser_hidden")

        app.tray_message(WM_RBUTTONUP)
        harness.wait_for(harness.popup_menu, what="the tray menu")
        app.choose_menu_item(app.menu_items(TRAY_MENU, TRAY_MENU_POSITION), "快速隐藏IE窗口")
        harness.wait_for(lambda: harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)[2] == "隐藏所有IE浏览器窗口",
                         what="the hint after showing")
        assert all(w[1] for w in harness.top_windows("浏览器窗口")), harness.top_windows("浏览器窗口")
        main_place = main_window_place()
        assert all(w[2] < main_place for w in harness.top_windows("浏览器窗口")), "shown on top"
        assert not harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)[0], "the button is raised again"
        harness.screenshot("browser_shown")
        app.kill()


def test_with_no_browser_window_open_the_button_stays_raised():
    with browser_windows(0) as counted:
        app = Pennora("browser_none_open")
        app.write_entries(("地址", "北京市海淀区"))
        app.start().wait_for_main_window()
        _, rect, _ = harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)
        harness.click_rect(rect)
        harness.wait_for(lambda: "get_Count" in open(counted).read(), what="the collection to be counted")
        harness.wait_for(lambda: not harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)[0],
                         what="the button to be raised again")
        assert harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)[2] == "快速隐藏IE窗口"
        assert harness.probe("dialog", "KestovaPennora")[0] != 0, "no error"
        harness.screenshot("browser_none_open")
        app.kill()


def test_without_a_browser_window_collection_the_error_is_reported():
    app = Pennora("browser_no_collection")
    app.write_entries(("地址", "北京市海淀区"))
    app.start().wait_for_main_window()
    _, rect, _ = harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)
    harness.click_rect(rect)
    # Wine's own collection keeps registrations but cannot count them.
    text = app.dialog_text("KestovaPennora")
    assert "0x80004001" in text, text
    harness.screenshot("browser_no_collection")
    app.answer("KestovaPennora", IDOK)
    app.wait_for_dialog_closed("KestovaPennora")
    pressed, _, hint = harness.tool_button(IDC_TOOLBAR3, IDC_TOOLBUTTONHIDEIE)
    assert pressed and hint == "快速隐藏IE窗口", "the button keeps what the click gave it"
    app.kill()


harness.run([
    test_the_page_shows_the_entries_in_the_registry,
    test_add_rename_and_delete_reach_the_registry_on_apply,
    test_reset_discards_the_changes,
    test_the_button_hides_the_browser_windows_and_the_tray_item_shows_them,
    test_with_no_browser_window_open_the_button_stays_raised,
    test_without_a_browser_window_collection_the_error_is_reported,
])

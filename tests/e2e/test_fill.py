"""Filling as a user does it: entries made on the editor page, dragged from
the drag-fill window onto another program's field, and chosen from the
hot-key menu at that field's caret; the running lists follow every stored
change."""
import subprocess

import harness
from harness import EditTarget, Pennora, click_tool_button, drag, item_text, probe, read_data, xdotool

FILL_PAGE, EDITOR_PAGE, OPTIONS_PAGE = 0, 1, 4
IDOK, IDYES = 1, 6

# Control ids (src/ui/resource.h, src/entries/EntryEditorIds.h, src/fill/DragFillIds.h).
TOOLBAR3, DRAG_FILL_BUTTON, HOT_KEY_BUTTON = 1050, 1052, 1053
FIND_BOX = 1608
HOTKEY1 = 1206
TOOLBAR1, NEW_BUTTON, NEXT_BUTTON, SAVE_BUTTON = 1302, 1310, 1312, 1314
DBEDIT1, DBMEMO1, DBCHECKBOX2 = 1304, 1306, 1307


def pressed(toolbar, button):
    """Whether a toggle button of a tool bar shows down."""
    return harness.tool_button(toolbar, button)[0]


def paste(text):
    assert probe("set-clipboard", text)[0] == 0, "could not set the clipboard"
    xdotool("key", "ctrl+v")


def type_text(text):
    xdotool("type", "--delay", "40", text)


def drag_fill_titles():
    return probe("dragfill-items")[1].splitlines()


def wait_for_drag_fill_titles(expected):
    harness.wait_for(lambda: drag_fill_titles() == expected, what=f"the drag-fill list {expected}")


def switch_hot_key_on(app):
    click_tool_button(TOOLBAR3, HOT_KEY_BUTTON)
    notice = app.dialog_text("Pennora")
    assert "热键 <Shift+Alt+V> 注册成功！" in notice, f"the notice says {notice!r}"
    app.answer("Pennora", IDOK)
    app.wait_for_dialog_closed("Pennora")
    # The main window is active again before the user goes on elsewhere.
    harness.wait_for(lambda: harness.active_window() == "main", what="the main window active again")


def choose_from_hot_key_menu(steps):
    """Walks the menu shown with Down and takes the item reached."""
    menu = harness.wait_for(harness.popup_menu, what="the fill menu")
    for _ in range(steps):
        xdotool("key", "Down")
    xdotool("key", "Return")
    harness.wait_for(lambda: harness.popup_menu() is None, what="the fill menu to close")
    return menu


def test_entries_made_on_the_editor_page_come_back_after_a_restart():
    app = Pennora("editor_entries")
    app.start().wait_for_main_window()
    assert app.page() == EDITOR_PAGE, "without a data file the editor comes first"
    # First entry: a Chinese title and content, pasted as a user would.
    harness.focus_control(DBEDIT1)
    paste("地址")
    harness.focus_control(DBMEMO1)
    paste("北京市海淀区")
    # Second entry, typed: its content has a line break.
    click_tool_button(TOOLBAR1, NEW_BUTTON)
    harness.wait_for(lambda: item_text(DBEDIT1) == "", what="the new entry's empty title")
    harness.focus_control(DBEDIT1)
    type_text("Mail")
    harness.focus_control(DBMEMO1)
    type_text("line one")
    xdotool("key", "Return")
    type_text("line two")
    assert probe("check", str(DBCHECKBOX2))[1] == "2", "a new entry's flags are indeterminate"
    click_tool_button(TOOLBAR1, SAVE_BUTTON)
    expected = [("Mail", "line one\r\nline two"), ("地址", "北京市海淀区")]
    harness.wait_for(lambda: read_data(app.path("Pennora.Dat")) == expected, what="the saved entries")
    harness.screenshot("editor_entries")
    app.click_strip_image("close")  # nothing unsaved: no question
    code = app.wait_for_exit()
    assert code == 0, f"the program ended with {code}"

    app.start().wait_for_main_window()
    assert app.page() == FILL_PAGE, "with a data file the fill page comes first"
    app.select_page(EDITOR_PAGE)
    shown = item_text(DBEDIT1), item_text(DBMEMO1)
    assert shown == ("Mail", "line one\r\nline two"), f"the editor shows {shown}"
    assert read_data(app.path("Pennora.Dat")) == expected
    app.kill()


def test_dragging_a_title_types_its_content_into_another_program():
    app = Pennora("drag_fill")
    app.write_entries(("地址", "北京市\r\n海淀区"), ("Mail", "a@b.c"))
    app.start().wait_for_main_window()
    target = EditTarget("drag_fill_target")
    try:
        click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
        harness.drag_fill_rect()
        app.wait_for_visibility("main=0")  # it went to the tray, as MinimizeWhenDrag asks
        wait_for_drag_fill_titles(["地址", "Mail"])
        harness.wait_for(lambda: pressed(TOOLBAR3, DRAG_FILL_BUTTON), what="the fill page's button to show the mode")

        def drag_item(index):
            left, top, right, bottom = harness.probe_rect("dragfill-item-rect", str(index))
            drag(((left + right) // 2, (top + bottom) // 2), target.middle())

        drag_item(0)
        # The line break arrives as one Enter: the edit stores CR LF, no second break.
        target.wait_for_text("北京市\r\n海淀区")
        drag_item(1)
        target.wait_for_text("北京市\r\n海淀区a@b.c")
        harness.screenshot("drag_fill")
    finally:
        target.kill()
        app.kill()


def test_typing_in_the_find_box_narrows_the_drag_fill_list_and_a_found_title_drags():
    app = Pennora("drag_fill_find")
    app.write_entries(("地址", "北京市海淀区"), ("Mail", "a@b.c"), ("Tel", "010-6275"), ("mail 2", "x@y.z"))
    app.start().wait_for_main_window()
    target = EditTarget("drag_fill_find_target")
    try:
        click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
        app.wait_for_visibility("main=0")
        every_title = ["地址", "Mail", "Tel", "mail 2"]
        wait_for_drag_fill_titles(every_title)
        harness.click_rect(harness.probe_rect("item-rect", str(FIND_BOX)))
        type_text("MAIL")
        wait_for_drag_fill_titles(["Mail", "mail 2"])
        harness.screenshot("drag_fill_find")
        xdotool("key", "Escape")
        wait_for_drag_fill_titles(every_title)
        assert item_text(FIND_BOX) == "", "Esc empties the find box"
        # A piece of a content, in Chinese.
        paste("海淀")
        wait_for_drag_fill_titles(["地址"])
        # The mouse comes to rest on the find box, whose hint comes up below
        # it, over the first line, where the drag starts.
        find_box = harness.probe_rect("item-rect", str(FIND_BOX))
        xdotool("mousemove", "5", "400", "sleep", "0.3", "mousemove", str((find_box[0] + find_box[2]) // 2),
                str((find_box[1] + find_box[3]) // 2))
        hint = harness.wait_for(harness.hint_rect, what="the find box's hint shown")
        left, top, right, bottom = harness.probe_rect("dragfill-item-rect", "0")
        assert hint[1] < bottom and top < hint[3], f"the hint {hint} stands clear of the first line"
        drag(((left + right) // 2, (top + bottom) // 2), target.middle())
        target.wait_for_text("北京市海淀区")
        harness.screenshot("drag_fill_found_and_dropped")
    finally:
        target.kill()
        app.kill()


def test_hot_key_menu_opens_at_the_caret_and_types_the_chosen_entry():
    app = Pennora("hot_key_fill")
    app.write_entries(("地址", "北京市"), ("Note", "line1\r\nline2"))
    app.start().wait_for_main_window()
    target = EditTarget("hot_key_target")
    try:
        switch_hot_key_on(app)
        harness.wait_for(lambda: pressed(TOOLBAR3, HOT_KEY_BUTTON), what="the button to show the mode")
        target.focus()
        type_text("x")
        target.wait_for_text("x")
        caret_x, caret_y, edit_left, edit_top = target.caret()
        xdotool("key", "shift+alt+v")
        menu = harness.wait_for(harness.popup_menu, what="the fill menu")
        harness.screenshot("hot_key_fill_menu")
        assert menu[:2] == (caret_x + edit_left + 2, caret_y + edit_top + 2), \
            f"the menu opened at {menu[:2]}, the caret is at {(caret_x, caret_y)} in an edit at {(edit_left, edit_top)}"
        choose_from_hot_key_menu(2)
        # CR LF arrives as one press of Enter: one line break.
        target.wait_for_text("xline1\r\nline2")
        harness.screenshot("hot_key_fill")
    finally:
        target.kill()
        app.kill()


def test_the_hot_key_menu_leaves_the_users_window_in_front_and_its_field_focused():
    app = Pennora("hot_key_in_front")
    app.write_entries(("地址", "北京市"))
    x, y, width, _ = app.start().wait_for_main_window()
    # The user's window over the right edge of the main window; a program
    # that does not give the focus back to its field when it is activated again.
    target = EditTarget("hot_key_in_front_target", x + width - 100, y + 60, keeps_focus=True)
    try:
        switch_hot_key_on(app)
        target.focus()
        type_text("x")
        target.wait_for_text("x")
        before = harness.stacking()
        assert before.index("main") < before.index("target"), f"stacked bottom first: {before}"

        xdotool("key", "shift+alt+v")
        harness.wait_for(harness.popup_menu, what="the fill menu")
        during, active_during = harness.stacking(), harness.active_window()
        harness.screenshot("hot_key_menu_in_front")
        choose_from_hot_key_menu(1)
        assert (during, active_during) == (before, "target"), \
            f"before the menu {before}, while it was open {during} with {active_during} active"
        target.wait_for_text("x北京市")
        # The field still has the focus: the user types on.
        type_text("y")
        target.wait_for_text("x北京市y")
        assert harness.stacking() == before and harness.active_window() == "target", \
            f"after the fill: {harness.stacking()}, {harness.active_window()} active"
    finally:
        target.kill()
        app.kill()


def test_the_drag_fill_window_stays_above_a_window_opened_after_it():
    app = Pennora("drag_fill_on_top")
    app.write_entries(("地址", "北京市"))
    app.start().wait_for_main_window()
    click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
    wait_for_drag_fill_titles(["地址"])
    left, top, _, _ = harness.drag_fill_rect()
    # Opened later, overlapping it; the user works there.
    target = EditTarget("drag_fill_on_top_target", left + 60, top + 40)
    try:
        target.focus()
        order = harness.stacking()
        harness.screenshot("drag_fill_on_top")
        assert order.index("target") < order.index("dragfill"), f"stacked bottom first: {order}"
    finally:
        target.kill()
        app.kill()


def test_a_hot_key_held_by_another_program_leaves_the_mode_off():
    holder = subprocess.Popen(["wine", harness.os.path.join(harness.PROGRAMS_DIR, "HotKeyHolder.exe"), "5", "0x56"],
                              cwd="/", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    app = Pennora("hot_key_taken")
    try:
        harness.wait_for(lambda: harness.top_windows("PennoraHotKeyHolder") or holder.poll() is not None,
                         what="HotKeyHolder to take Shift+Alt+V")
        assert holder.poll() is None, "HotKeyHolder could not take Shift+Alt+V"
        app.write_entries(("地址", "北京市"))
        app.start().wait_for_main_window()
        click_tool_button(TOOLBAR3, HOT_KEY_BUTTON)
        notice = app.dialog_text("热键注册失败")
        harness.screenshot("hot_key_taken")
        assert notice.startswith("热键注册失败。"), f"the notice says {notice!r}"
        app.answer("热键注册失败", IDOK)
        app.wait_for_dialog_closed("热键注册失败")
        harness.wait_for(lambda: not pressed(TOOLBAR3, HOT_KEY_BUTTON), what="the button released")
    finally:
        holder.kill()
        app.kill()


def test_an_empty_hot_key_leads_to_the_options_page():
    app = Pennora("hot_key_empty")
    app.write_entries(("地址", "北京市"))
    app.write_settings("[HotKey]\nShift=0\nKey=0\n")
    app.start().wait_for_main_window()
    click_tool_button(TOOLBAR3, HOT_KEY_BUTTON)
    notice = app.dialog_text("KestovaPennora")
    assert "热键注册失败（热键不应为空）！" in notice, f"the notice says {notice!r}"
    app.answer("KestovaPennora", IDOK)
    harness.wait_for(lambda: app.page() == OPTIONS_PAGE, what="the Options page")
    harness.wait_for(lambda: probe("focus")[1] == str(HOTKEY1), what="the focus on HotKey1")
    harness.screenshot("hot_key_empty")
    assert not pressed(TOOLBAR3, HOT_KEY_BUTTON)
    app.kill()


def test_stored_changes_refill_the_running_lists():
    app = Pennora("refill")
    app.write_entries(("Tel", "123"), ("Mail", "a@b.c"))
    app.write_settings("[Options]\nMinimizeWhenDrag=0\n")
    app.start().wait_for_main_window()
    target = EditTarget("refill_target")
    try:
        switch_hot_key_on(app)
        click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
        wait_for_drag_fill_titles(["Tel", "Mail"])
        # The drag-fill window stands where it was designed, over the main
        # window's left part; the user moves it aside by its strip.
        left, top, _, _ = harness.drag_fill_rect()
        drag((left + 40, top + 8), (left + 640, top + 8))
        harness.wait_for(lambda: int(probe("dragfill")[1].split()[1]) > left + 500, what="the drag-fill window moved")
        app.select_page(EDITOR_PAGE)
        # Rename the first entry and give it new content, then save.
        harness.focus_control(DBEDIT1)
        xdotool("key", "ctrl+a")
        type_text("Phone")
        harness.focus_control(DBMEMO1)
        xdotool("key", "ctrl+End", "shift+ctrl+Home")
        type_text("456")
        click_tool_button(TOOLBAR1, SAVE_BUTTON)
        wait_for_drag_fill_titles(["Phone", "Mail"])
        harness.screenshot("refill")
        # The next hot-key menu has the change too.
        target.focus()
        xdotool("key", "shift+alt+v")
        choose_from_hot_key_menu(1)
        target.wait_for_text("456")
    finally:
        target.kill()
        app.kill()


def test_the_drag_fill_window_is_switched_from_the_tray_and_every_close_releases_the_button():
    app = Pennora("drag_fill_switches")
    app.write_entries(("地址", "北京市"))
    app.write_settings("[Options]\nMinimizeWhenDrag=0\n")
    app.start().wait_for_main_window()
    shown = lambda: probe("dragfill")[1].startswith("shown=1")
    button_down = lambda: pressed(TOOLBAR3, DRAG_FILL_BUTTON)

    app.tray_message(0x0205)  # a right click on the tray icon
    app.choose_menu_item(app.menu_items(300, 0), "拖动填表")
    left, top, right, _ = harness.drag_fill_rect()
    harness.wait_for(button_down, what="the fill page's button to show the mode the tray item switched on")

    # The close glyph at the strip's right end closes without a question.
    harness.move_clear_of_hints((right - 12, top + 9))
    xdotool("click", "1")
    harness.wait_for(lambda: not shown(), what="the drag-fill window to close")
    harness.wait_for(lambda: not button_down(), what="closing the window to release the button")

    # "结束" asks first; No leaves the window open, Yes closes it.
    click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
    harness.drag_fill_rect()
    harness.move_clear_of_hints((left + 60, top + 28))
    xdotool("click", "1")
    app.expect_dialog("Pennora - 拖动快填", "确定要退出吗？")
    harness.screenshot("drag_fill_quit_question")
    app.answer("Pennora - 拖动快填", 7)
    app.wait_for_dialog_closed("Pennora - 拖动快填")
    assert shown() and button_down()
    harness.move_clear_of_hints((left + 60, top + 28))
    xdotool("click", "1")
    app.dialog_text("Pennora - 拖动快填")
    app.answer("Pennora - 拖动快填", IDYES)
    harness.wait_for(lambda: not shown(), what="the drag-fill window to close after yes")
    harness.wait_for(lambda: not button_down(), what="the button released after yes")
    app.kill()


if __name__ == "__main__":
    harness.run([
        test_entries_made_on_the_editor_page_come_back_after_a_restart,
        test_dragging_a_title_types_its_content_into_another_program,
        test_typing_in_the_find_box_narrows_the_drag_fill_list_and_a_found_title_drags,
        test_hot_key_menu_opens_at_the_caret_and_types_the_chosen_entry,
        test_the_hot_key_menu_leaves_the_users_window_in_front_and_its_field_focused,
        test_the_drag_fill_window_stays_above_a_window_opened_after_it,
        test_a_hot_key_held_by_another_program_leaves_the_mode_off,
        test_an_empty_hot_key_leads_to_the_options_page,
        test_stored_changes_refill_the_running_lists,
        test_the_drag_fill_window_is_switched_from_the_tray_and_every_close_releases_the_button,
    ])

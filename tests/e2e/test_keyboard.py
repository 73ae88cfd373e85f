"""The main window by keyboard: Ctrl+Tab and Ctrl+Shift+Tab walk the pages,
on each page Tab visits every enabled control in reading order, and Enter in
the entry editor's title box appends the title to the content."""
import harness
from harness import Pennora, probe, xdotool

PAGE_COUNT = 6
PAGE_CONTROL = 1004  # the tab control, outside the pages
BROWSER_PAGE, BTN_NEW, EDIT_KEY = 2, 1405, 1409
WS_TABSTOP, WS_DISABLED = 0x00010000, 0x08000000
EDITOR_PAGE, TITLE_BOX, CONTENT_BOX = 1, 1304, 1306

# Each page's controls that take the focus, in the order the page shows them
# (top to bottom, left to right, a column before the one to its right).
# Those disabled at the time are left out when the walk is checked.
READING_ORDER = {
    0: [1050],  # the fill page's tool bar
    1: [1300, 1302, 1304, 1306, 1307, 1308],  # grid, tool bar, title, content, hot-key and drag flags
    2: [1401, 1402, 1403, 1404, 1405, 1406, 1407, 1409, 1411, 1412, 1413],  # record buttons, key, value, reset, apply
    3: [1501, 1503, 1505, 1507, 1509, 1515],  # font, front, fill and back texts, tool bar, memo
    4: [1201, 1203, 1204, 1206, 1207, 1208, 1219, 1220, 1209],  # the options in their rows, then OK
    5: [],  # the About page: a picture and a text
}


def tab_to(control_id):
    now = focused()
    for _ in range(len(READING_ORDER[BROWSER_PAGE]) + 1):
        if now == control_id:
            return
        now = press_tab(now)
    raise AssertionError(f"Tab does not reach control {control_id}")


def new_browser_entry():
    """By keyboard on the browser page: ＋ and a name typed, which enable the
    fields, then Reset and Apply (nothing is applied)."""
    tab_to(BTN_NEW)
    xdotool("key", "space")
    harness.wait_for(lambda: harness.browser_page()[0], what="the new entry's fields enabled")
    tab_to(EDIT_KEY)
    xdotool("type", "x")
    harness.wait_for(lambda: harness.browser_page()[1:3] == (True, True), what="Reset and Apply enabled")


# The pages in the order walked; the browser page again with its fields
# enabled.
WALKS = [(0, None), (1, None), (2, None), (2, new_browser_entry), (3, None), (4, None), (5, None)]


def started_app(name):
    app = Pennora(name)
    app.write_entries(("地址", "北京市"))
    app.start().wait_for_main_window()
    app.click_into_window()
    return app


focused = harness.focused_control


def test_ctrl_tab_walks_all_pages_and_ctrl_shift_tab_walks_back():
    app = started_app("keyboard_pages")
    assert app.page() == 0
    for step in range(1, PAGE_COUNT + 1):
        xdotool("key", "ctrl+Tab")
        harness.wait_for(lambda: app.page() == step % PAGE_COUNT, what=f"page {step % PAGE_COUNT} after Ctrl+Tab")
    for step in range(1, PAGE_COUNT + 1):
        expected = (PAGE_COUNT - step) % PAGE_COUNT
        xdotool("key", "ctrl+shift+Tab")
        harness.wait_for(lambda: app.page() == expected, what=f"page {expected} after Ctrl+Shift+Tab")
    harness.screenshot("keyboard_pages")
    app.kill()


def press_tab(before):
    """Presses Tab; returns the control that has the focus then (`before` when it stays)."""
    xdotool("key", "Tab")
    # A focus that stays cannot be waited for; ten seconds is long past any
    # move of the focus, also on a busy machine.
    try:
        return harness.wait_for(lambda: (lambda f: f if f != before else None)(focused()), timeout=10,
                                what="the focus to move")
    except AssertionError:
        return before  # a page whose only control keeps the focus


def tab_walk():
    """The page's controls that Tab visits from the tab control, once round:
    until the focus is back on the tab control or on the first of them (a
    multi-line edit box passes Tab to its own page, which wraps round
    without leaving the page). Returns them and where the round closed."""
    visited = []
    for _ in range(30):
        now = press_tab(visited[-1] if visited else PAGE_CONTROL)
        if now == PAGE_CONTROL or (visited and now == visited[0]):
            return visited, now
        visited.append(now)
    raise AssertionError(f"Tab did not come round: {visited}")


def page_controls():
    """{id: style} of the shown page's own visible controls."""
    code, out = probe("layout", "page", "96", "-12", "宋体", "134")
    assert code == 0, "no page shown"
    lines = [line.split("|") for line in out.splitlines()]
    page_id = next(fields[1] for fields in lines if fields[0] == "page")
    return {int(f[1]): int(f[3], 16) for f in lines if f[0] == "control" and f[4] == page_id}


def test_tab_visits_every_enabled_control_of_each_page_in_reading_order_and_wraps():
    app = started_app("keyboard_tab_order")
    faults = []
    shown = 0
    for page, prepare in WALKS:
        if prepare:
            prepare()
        # Ctrl+Tab leaves the focus on the tab control (for the page shown:
        # forth and back).
        xdotool("key", "ctrl+Tab", *(["ctrl+shift+Tab"] if page == shown else []))
        shown = page
        harness.wait_for(lambda: app.page() == page, what=f"page {page}")
        harness.wait_for(lambda: focused() == PAGE_CONTROL, what="the focus on the tab control")
        controls = page_controls()
        enabled = {i for i, style in controls.items() if not style & WS_DISABLED}
        unlisted = [i for i in enabled if controls[i] & WS_TABSTOP and i not in READING_ORDER[page]]
        assert not unlisted, f"page {page}: controls {unlisted} take the focus but have no place in READING_ORDER"
        expected = [i for i in READING_ORDER[page] if i in enabled]
        without_stop = [i for i in expected if not controls[i] & WS_TABSTOP]
        walk, closed_on = tab_walk()
        if walk != expected:
            faults.append(f"page {page}: Tab visits {walk}, the page shows {expected}"
                          + (f"; without WS_TABSTOP: {without_stop}" if without_stop else ""))
            continue
        if expected and closed_on == PAGE_CONTROL:  # round again: the first control follows the tab control
            after = press_tab(PAGE_CONTROL)
            if after != expected[0]:
                faults.append(f"page {page}: from the tab control Tab goes to {after}, not to {expected[0]}")
        disabled = [i for i in READING_ORDER[page] if i not in enabled]
        print(f"page {page}: Tab visits {walk}" + (f" (disabled now: {disabled})" if disabled else ""))
    harness.screenshot("keyboard_tab_order")
    app.kill()
    assert not faults, "; ".join(faults)


def test_enter_in_the_title_box_appends_the_title_whatever_modifiers_are_held():
    app = started_app("keyboard_title_enter")
    app.select_page(EDITOR_PAGE)
    harness.focus_control(TITLE_BOX)
    content = "北京市"
    for keys in ("Return", "alt+Return", "ctrl+Return", "shift+Return"):
        xdotool("key", keys)
        content += "地址"
        harness.wait_for(lambda: harness.item_text(CONTENT_BOX) == content, what=f"the title appended after {keys}")
    harness.screenshot("keyboard_title_enter")
    app.kill()


if __name__ == "__main__":
    harness.run([test_ctrl_tab_walks_all_pages_and_ctrl_shift_tab_walks_back,
                 test_tab_visits_every_enabled_control_of_each_page_in_reading_order_and_wraps,
                 test_enter_in_the_title_box_appends_the_title_whatever_modifiers_are_held])

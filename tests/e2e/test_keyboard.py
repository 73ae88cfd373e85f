"""The main window by keyboard: Ctrl+Tab and Ctrl+Shift+Tab walk the pages."""
import harness
from harness import Pennora, xdotool

PAGE_COUNT = 6


def test_ctrl_tab_walks_all_pages_and_ctrl_shift_tab_walks_back():
    app = Pennora("keyboard_pages")
    app.write_entries(("地址", "北京市"))
    x, y, width, height = app.start().wait_for_main_window()
    # Into the window as a user would: a click on its status line.
    xdotool("mousemove", str(x + width // 2), str(y + height - 8), "click", "1")
    assert app.page() == 0
    for step in range(1, PAGE_COUNT + 1):
        xdotool("key", "ctrl+Tab")
        harness.wait_for(lambda: app.page() == step % PAGE_COUNT, what=f"page {step % PAGE_COUNT} after Ctrl+Tab")
    for expected in (5, 4):
        xdotool("key", "ctrl+shift+Tab")
        harness.wait_for(lambda: app.page() == expected, what=f"page {expected} after Ctrl+Shift+Tab")
    harness.screenshot("keyboard_pages")
    app.kill()


if __name__ == "__main__":
    harness.run([test_ctrl_tab_walks_all_pages_and_ctrl_shift_tab_walks_back])

"""The pictures the README shows: the main window with a few entries, and the
drag-fill window beside another program's field that a dragged title has just
filled. Each is cut out of a screenshot of the test desktop to the windows it
shows and kept under shots/readme/; scripts/readme-pictures copies them into
docs/readme/, where the README takes them from."""
import os
import subprocess

import harness
from harness import EditTarget, Pennora, click_tool_button, drag

FILL_PAGE, EDITOR_PAGE = 0, 1
TOOLBAR3, DRAG_FILL_BUTTON = 1050, 1052
OUT = os.path.join(harness.SHOTS, "readme")
LARGEST = 200 * 1024  # bytes a picture in the repository may take

ENTRIES = (
    ("地址", "北京市海淀区中关村大街 27 号"),
    ("邮编", "100080"),
    ("电话", "010-62512345"),
    ("Mail", "zhang.wei@example.com"),
    ("公司", "北京星河信息技术有限公司"),
    ("签名", "此致\r\n敬礼！\r\n张伟"),
)


def cut(name, rect, margin=8):
    """Saves the part `rect` (left, top, right, bottom) of the screen, with a
    margin, as shots/readme/<name>.png; returns its path."""
    os.makedirs(OUT, exist_ok=True)
    whole = harness.screenshot(f"readme-{name}-whole")
    left, top, right, bottom = rect
    left, top = max(0, left - margin), max(0, top - margin)
    width, height = right + margin - left, bottom + margin - top
    path = os.path.join(OUT, name + ".png")
    subprocess.run(["convert", whole, "-crop", f"{width}x{height}+{left}+{top}", "+repage", "-strip", path],
                   check=True)
    size = os.path.getsize(path)
    assert size < LARGEST, f"{path} takes {size} bytes, more than {LARGEST}"
    return path


def union(*rects):
    return (min(r[0] for r in rects), min(r[1] for r in rects), max(r[2] for r in rects), max(r[3] for r in rects))


def test_pictures_of_the_main_window_and_of_a_drag_fill():
    app = Pennora("readme_pictures")
    app.write_entries(*ENTRIES)
    x, y, width, height = app.start().wait_for_main_window()
    app.select_page(EDITOR_PAGE)
    cut("main-window", (x, y, x + width, y + height))

    app.select_page(FILL_PAGE)
    click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
    left, top, right, bottom = harness.drag_fill_rect()
    app.wait_for_visibility("main=0")  # to the tray, as minimise-on-drag asks
    target = EditTarget("readme_target", right + 24, top + 30)
    try:
        def drag_item(index):
            item = harness.probe_rect("dragfill-item-rect", str(index))
            drag(harness.middle(item), target.middle())

        drag_item(0)
        target.wait_for_text(ENTRIES[0][1])
        cut("drag-fill", union((left, top, right, bottom), target.rect))
    finally:
        target.kill()
        app.kill()


harness.run([test_pictures_of_the_main_window_and_of_a_drag_fill])

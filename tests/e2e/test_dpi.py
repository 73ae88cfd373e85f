"""Pennora at 96, 120, 144 and 192 DPI: on each of the six pages of the main
window, on the main window's own bars, in the entry editor's dialog of
earlier versions and in the drag-fill window, every
visible control lies inside its window (and a page's controls inside their
page), and no caption is cut off; the text matrix comes out the same at 144
DPI as at 96.

The DPI is the test prefix's LogPixels, which Wine reads when its server
starts: each DPI is set, the server restarted, and at the end 96 is put back
for the tests that follow, whatever happened."""
import os
import shutil
import subprocess
import sys

import harness
from harness import Pennora, probe, xdotool

DPIS = (96, 120, 144, 192)
PAGE_NAMES = ("fill", "editor", "browser menu", "matrix", "options", "about")
EDITOR_PAGE, MATRIX_PAGE, OPTIONS_PAGE = 1, 3, 4
EDITOR_TOOL_BAR, VERSIONS_BUTTON, VERSIONS_DIALOG = 1302, 1318, "较早的版本"
GB2312_CHARSET = 134
# The pages' template font (9 pt) and the main window's bars and strip; the
# drag-fill window's list and tool bar (12 px at 96 DPI) and its strip (13 px).
PAGE_FONT = ("宋体", GB2312_CHARSET)
DRAG_FILL_FONT = ("Arial", GB2312_CHARSET)
DRAG_FILL_STRIP_FONT = ("MS Sans Serif", 1)
MATRIX_TOOL_BAR, MATRIX_GENERATE, MATRIX_MEMO = 1509, 1510, 1515
TRAY_MENU, WM_RBUTTONUP = 300, 0x0205

matrix_lines = {}  # DPI -> the lines of the matrix generated there


def mul_div(value, numerator, denominator):
    return (value * numerator + denominator // 2) // denominator


def set_dpi(dpi):
    code, out = harness.wine_reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                                 "/d", str(dpi), "/f")
    assert code == 0, f"could not set LogPixels to {dpi}: {out}"
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=60)


def rect_of(field):
    return tuple(map(int, field.split()))


def outside(rect, container):
    """How far `rect` sticks out of `container`, as words; "" when it lies inside."""
    left, top, right, bottom = rect
    c_left, c_top, c_right, c_bottom = container
    sides = [(c_left - left, "left"), (c_top - top, "top"), (right - c_right, "right"), (bottom - c_bottom, "bottom")]
    return ", ".join(f"{amount} px past the {side}" for amount, side in sides if amount > 0)


def layout(mode, dpi, *fonts):
    """Probe's layout lines, split into their fields, once the window (or page) is there. `fonts`: height,
    face and character set of the text font, and of the title strip's font."""
    out = harness.wait_for(lambda: (lambda r: r[1] if r[0] == 0 else None)(
        probe("layout", mode, str(dpi), *map(str, fonts))), what=f"the {mode} to measure")
    return [line.split("|") for line in out.splitlines()]


def layout_faults(where, lines, notes):
    """The controls of a layout that lie outside their window or page, or whose caption is cut off."""
    faults = []
    client, page = None, None
    for fields in lines:
        kind = fields[0]
        if kind == "window":
            width, height = map(int, fields[1].split())
            client = (0, 0, width, height)
            continue
        if kind == "page":
            page = rect_of(fields[2])
            if outside(page, client):
                faults.append(f"{where}: the page at {page} lies outside the window's client {client}: "
                              f"{outside(page, client)}")
            continue
        if kind == "control":
            _, control_id, class_name, style, _, rect, text, verdict = fields
            what = f"control {control_id} {class_name} (style {style}) '{text}'"
        elif kind == "tab":
            _, index, rect, text, verdict = fields
            what = f"tab {index} '{text}'"
        elif kind == "button":
            _, tool_bar, button_id, rect, text, verdict = fields
            what = f"tool button {button_id} of tool bar {tool_bar} '{text}'"
        elif kind in ("lines", "strip"):
            _, window_id, verdict = fields
            if verdict != "fits":
                faults.append(f"{where}: {'list box' if kind == 'lines' else 'title strip'} {window_id}: {verdict}")
            continue
        else:
            raise AssertionError(f"unknown layout line {fields}")
        # A page's controls are held to the page, which is held to the window.
        rect = rect_of(rect)
        container, name = (page, "page") if page else (client, "window's client")
        if outside(rect, container):
            faults.append(f"{where}: {what} at {rect} lies outside the {name} {container}: {outside(rect, container)}")
        if verdict.startswith("cut"):
            faults.append(f"{where}: {what} at {rect}: caption {verdict}")
        elif verdict.startswith("ellipsis"):
            notes.append(f"{where}: {what} ends in an ellipsis by design: {verdict}")
    return faults


def generate_matrix(app, dpi, faults):
    """Generates the default matrix of 灌水 on the matrix page and keeps its lines."""
    button = harness.probe_rect("tool-button-rect", str(MATRIX_TOOL_BAR), str(MATRIX_GENERATE))
    x, y, width, height = app.main_window_geometry()
    if outside(button, (x, y, x + width, y + height)):
        faults.append(f"{dpi} DPI, matrix page: the Generate button at {button} cannot be clicked, it lies outside "
                      f"the main window {(x, y, x + width, y + height)}")
        return
    harness.click_rect(button)
    memo = harness.wait_for(lambda: harness.item_text(MATRIX_MEMO), what=f"the matrix in Memo1 at {dpi} DPI")
    matrix_lines[dpi] = memo.split("\r\n")
    if len(matrix_lines[dpi]) != 17 or "灌" not in memo:
        faults.append(f"{dpi} DPI, matrix page: the matrix of 灌水 is not 16 lines of 灌 and blanks: {memo!r}")


def versions_dialog_faults(dpi, font_height, notes):
    """Opens the editor's dialog of earlier versions (two are kept), measures
    it, and closes it with Esc."""
    harness.click_tool_button(EDITOR_TOOL_BAR, VERSIONS_BUTTON)
    harness.wait_for(lambda: (lambda r: r[0] == 0 and "最近的在前" in r[1])(probe("dialog", VERSIONS_DIALOG)),
                     what="the versions dialog")
    faults = layout_faults(f"{dpi} DPI, versions dialog",
                           layout("dialog:" + VERSIONS_DIALOG, dpi, font_height, *PAGE_FONT), notes)
    if dpi in (96, 192):
        harness.screenshot(f"dpi-{dpi}-versions")
    xdotool("key", "Escape")
    harness.wait_for(lambda: probe("dialog", VERSIONS_DIALOG)[0] != 0, what="the versions dialog to close")
    return faults


def check_at(dpi):
    set_dpi(dpi)
    font_height = -mul_div(9, dpi, 72)
    app = Pennora(f"dpi_{dpi}")
    app.write_entries(("地址", "北京市海淀区"), ("Mail", "a@b.c"))
    app.write_settings("[ChineseGroup]\nFrontText=灌水\n")
    # Two kept versions for the editor's dialog of earlier versions to list.
    os.makedirs(app.path("Backup"))
    for name in ("Pennora-000001-20261209-090000.Dat", "Pennora-000002-20261210-174512.Dat"):
        shutil.copy(app.path("Pennora.Dat"), os.path.join(app.path("Backup"), name))
    app.start().wait_for_main_window()
    faults, notes = [], []
    faults += layout_faults(f"{dpi} DPI, main window",
                            layout("main", dpi, font_height, *PAGE_FONT, font_height, *PAGE_FONT), notes)
    # Into the window as a user would (a click on its status line), then the
    # pages one after another with Ctrl+Tab: a tab that lies outside the window
    # could not be clicked.
    app.click_into_window()
    for index, name in enumerate(PAGE_NAMES):
        if index:
            xdotool("key", "ctrl+Tab")
            harness.wait_for(lambda: app.page() == index, what=f"the {name} page after Ctrl+Tab")
        if index == MATRIX_PAGE and dpi in (96, 144):
            generate_matrix(app, dpi, faults)
        if index == EDITOR_PAGE:
            faults += versions_dialog_faults(dpi, font_height, notes)
        faults += layout_faults(f"{dpi} DPI, {name} page", layout("page", dpi, font_height, *PAGE_FONT), notes)
        if index == OPTIONS_PAGE:
            harness.screenshot(f"dpi-{dpi}")
        if dpi in (96, 144):
            harness.screenshot(f"dpi-{dpi}-page{index}")

    # The drag-fill window, switched on from the tray menu, which does not
    # depend on the layout looked at.
    app.tray_message(WM_RBUTTONUP)
    app.choose_menu_item(app.menu_items(TRAY_MENU, 0), "拖动填表")
    harness.drag_fill_rect()
    harness.wait_for(lambda: probe("dragfill-items")[1].splitlines() == ["地址", "Mail"], what="the drag-fill list")
    faults += layout_faults(f"{dpi} DPI, drag-fill window",
                            layout("dragfill", dpi, -mul_div(12, dpi, 96), *DRAG_FILL_FONT,
                                   -mul_div(13, dpi, 96), *DRAG_FILL_STRIP_FONT), notes)
    harness.screenshot(f"dpi-{dpi}-dragfill")
    app.kill()

    for note in notes:
        print("note:", note)
    if dpi == 144:
        if 96 not in matrix_lines:
            faults.append("matrix: no matrix was generated at 96 DPI to compare with")
        elif 144 in matrix_lines and matrix_lines[144] != matrix_lines[96]:
            differing = [i for i, (a, b) in enumerate(zip(matrix_lines[96], matrix_lines[144])) if a != b]
            faults.append(f"matrix: the lines at 144 DPI differ from those at 96 DPI (lines {differing}, "
                          f"{len(matrix_lines[96])} against {len(matrix_lines[144])} lines)")
    if faults:
        print(f"{len(faults)} faults at {dpi} DPI:")
        for fault in faults:
            print("  " + fault)
        raise AssertionError(f"{len(faults)} faults at {dpi} DPI, the first: {faults[0]}")


def make_test(dpi):
    def test():
        check_at(dpi)
    test.__name__ = f"test_controls_inside_and_captions_whole_at_{dpi}_dpi"
    return test


if __name__ == "__main__":
    try:
        # A DPI or a few may be named on the command line, to look at them alone.
        harness.run([make_test(dpi) for dpi in (map(int, sys.argv[1:]) if sys.argv[1:] else DPIS)])
    finally:
        set_dpi(96)

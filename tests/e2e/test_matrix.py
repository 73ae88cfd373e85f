"""The text matrix page as a user meets it: generate the default matrix of
"灌水", copy it and read the clipboard from another program, drag the matrix
icon onto another program's field and onto the page's own memo, edit the
memo and drag again, clear and cut."""
import time

import harness
from harness import Pennora

MATRIX_PAGE = 3
# Control ids of the page (src/matrix/MatrixPageIds.h).
CBX_FONT_STYLE, EDT_FRONT, EDT_FILL, EDT_BACK = 1501, 1503, 1505, 1507
IMAGE6, TOOL_BAR, GENERATE, COPY, CUT, CLEAR, MEMO1 = 1508, 1509, 1510, 1511, 1512, 1513, 1515

FILL, BACK = "灌", "\u3000"


def matrix_app(name):
    """Pennora on the matrix page with the word "灌水" and the fresh-install fill and back texts."""
    app = Pennora(name)
    app.write_settings("[ChineseGroup]\nFrontText=灌水\n")
    app.start().wait_for_main_window()
    app.select_page(MATRIX_PAGE)
    return app


def generate():
    harness.click_tool_button(TOOL_BAR, GENERATE)
    memo = harness.wait_for(lambda: harness.item_text(MEMO1), what="the matrix in Memo1")
    lines = memo.split("\r\n")
    assert lines[-1] == "" and len(lines) == 17, f"16 lines each ending in CR LF, got {memo!r}"
    for line in lines[:-1]:
        assert len(line.encode("gbk")) == 62 and set(line) <= {FILL, BACK}, f"a row of 31 cells: {line!r}"
    assert FILL in memo and BACK in memo
    assert harness.item_shown(IMAGE6)
    return memo


def icon_point():
    return harness.middle(harness.probe_rect("item-rect", str(IMAGE6)))


def drop_on(target, point):
    harness.drag(icon_point(), point)


def test_generate_and_copy_gives_other_programs_the_memo_as_unicode():
    app = matrix_app("matrix_copy")
    memo = generate()
    harness.click_tool_button(TOOL_BAR, COPY)
    harness.wait_for(lambda: harness.clipboard_text() == memo, what="the matrix on the clipboard")
    harness.screenshot("matrix_copy")
    app.kill()


def test_dragging_the_icon_types_the_memo_into_another_program_and_then_its_edits():
    app = matrix_app("matrix_drag")
    target = harness.EditTarget("matrix_drag_target", 10, 10)
    try:
        memo = generate()
        drop_on(target, harness.middle(target.rect))
        # Each line arrives with one Enter, which the target's edit stores as CR LF.
        harness.wait_for(lambda: target.text() == memo, what="the matrix in the target")
        time.sleep(1.0)
        assert target.text() == memo, f"more arrived after the matrix: {target.text()!r}"
        harness.screenshot("matrix_drag")
    finally:
        target.close()

    # The user edits the memo: the edited text is what the next drag types.
    harness.focus_control(MEMO1)
    harness.xdotool("key", "ctrl+End")
    harness.xdotool("type", "ok")
    edited = harness.wait_for(lambda: (lambda t: t if t.endswith("ok") else None)(harness.item_text(MEMO1)),
                              what="the typed text in Memo1")
    assert edited == memo + "ok"
    target = harness.EditTarget("matrix_drag_edited_target", 10, 10)
    try:
        drop_on(target, harness.middle(target.rect))
        harness.wait_for(lambda: target.text() == edited, what="the edited matrix in the target")
        harness.screenshot("matrix_drag_edited")
    finally:
        target.close()
    app.kill()


def test_clear_hides_the_icon_and_leaves_nothing_to_copy_while_cut_keeps_the_icon():
    app = matrix_app("matrix_clear_cut")
    memo = generate()
    harness.click_tool_button(TOOL_BAR, COPY)
    harness.wait_for(lambda: harness.clipboard_text() == memo, what="the matrix on the clipboard")

    harness.click_tool_button(TOOL_BAR, CLEAR)
    harness.wait_for(lambda: not harness.item_shown(IMAGE6), what="the icon to hide")
    assert harness.item_text(MEMO1) == ""
    harness.click_tool_button(TOOL_BAR, COPY)
    time.sleep(0.5)
    assert harness.clipboard_text() == memo, "copying an empty memo changed the clipboard"

    assert generate() == memo
    # Something else on the clipboard first, so the cut is seen to put the matrix there.
    harness.focus_control(MEMO1)
    harness.xdotool("key", "ctrl+End")
    harness.xdotool("type", "x")
    harness.wait_for(lambda: harness.item_text(MEMO1).endswith("x"), what="the typed x")
    harness.click_tool_button(TOOL_BAR, CUT)
    harness.wait_for(lambda: harness.item_text(MEMO1) == "", what="the cut to empty Memo1")
    harness.wait_for(lambda: harness.clipboard_text() == memo + "x", what="the cut text on the clipboard")
    assert harness.item_shown(IMAGE6), "a cut keeps the icon"
    harness.screenshot("matrix_cut_keeps_icon")
    app.kill()


def test_dropping_the_icon_on_the_memo_types_nothing():
    # The tool's own windows take no drop: the drag is given up.
    app = matrix_app("matrix_drop_on_memo")
    memo = generate()
    drop_on(None, harness.middle(harness.probe_rect("item-rect", str(MEMO1))))
    time.sleep(2.5)  # well past the drop's pause before typing
    assert harness.item_text(MEMO1) == memo, f"Memo1 holds {harness.item_text(MEMO1)!r}"
    harness.screenshot("matrix_drop_on_memo")
    # The same drag onto another program's field does type: the quiet above
    # is the refusal, not a drag that never started.
    target = harness.EditTarget("matrix_drop_after_memo_target", 10, 10)
    try:
        drop_on(target, harness.middle(target.rect))
        harness.wait_for(lambda: target.text() == memo, what="the matrix in the target after the refused drop")
        assert harness.item_text(MEMO1) == memo, f"Memo1 holds {harness.item_text(MEMO1)!r}"
    finally:
        target.close()
    app.kill()


def retype(control_id, text):
    """Replaces a field's text by typing, as a user does."""
    harness.focus_control(control_id)
    harness.xdotool("key", "ctrl+a", "BackSpace")
    if text:
        harness.xdotool("type", text)


def test_typed_fields_keep_their_byte_limits_and_come_back_at_the_next_start():
    app = Pennora("matrix_fields")
    app.write_settings("[ChineseGroup]\nFontIndex=1\n")
    app.start().wait_for_main_window()
    app.select_page(MATRIX_PAGE)
    retype(EDT_FRONT, "abcdef")
    retype(EDT_FILL, "xyz")
    retype(EDT_BACK, "")
    harness.wait_for(lambda: harness.item_text(EDT_BACK) == "", what="the emptied back field")
    assert harness.item_text(EDT_FRONT) == "abcd" and harness.item_text(EDT_FILL) == "xy", "held to 4 and 2 bytes"
    harness.click_tool_button(TOOL_BAR, GENERATE)
    memo = harness.wait_for(lambda: harness.item_text(MEMO1), what="the matrix of abcd")
    assert set(memo.replace("\r\n", "")) <= set("xy "), "fill xy, back two spaces"
    harness.screenshot("matrix_fields_typed")
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0
    stored = app.read_settings()["ChineseGroup"]
    assert dict(stored) == {"FontIndex": "1", "FrontText": "abcd", "FillText": "xy", "BackText": ""}, dict(stored)

    app.start().wait_for_main_window()
    app.select_page(MATRIX_PAGE)
    # The tab shows selected a moment before its page's controls are made.
    harness.wait_for(lambda: harness.probe("item-text", str(EDT_BACK))[0] == 0, what="the matrix page's fields")
    assert [harness.item_text(i) for i in (EDT_FRONT, EDT_FILL, EDT_BACK)] == ["abcd", "xy", ""]
    app.kill()


harness.run([
    test_generate_and_copy_gives_other_programs_the_memo_as_unicode,
    test_dragging_the_icon_types_the_memo_into_another_program_and_then_its_edits,
    test_clear_hides_the_icon_and_leaves_nothing_to_copy_while_cut_keeps_the_icon,
    test_dropping_the_icon_on_the_memo_types_nothing,
    test_typed_fields_keep_their_byte_limits_and_come_back_at_the_next_start,
])

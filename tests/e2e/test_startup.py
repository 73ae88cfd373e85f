"""Start-up as a user meets it: the first page, a data file that cannot be
read, the title strip's close glyph and what closing writes."""
import configparser
import os

import harness
from harness import Pennora, probe

FILL_PAGE, EDITOR_PAGE = 0, 1


def read_ini(app):
    parser = configparser.ConfigParser()
    with open(app.path("Pennora.Ini"), encoding="gbk") as file:
        parser.read_string(file.read())
    return parser


def test_without_a_data_file_the_entry_editor_comes_first():
    app = Pennora("no_data_file").start()
    app.wait_for_main_window()
    harness.screenshot("startup_without_data_file")
    assert app.page() == EDITOR_PAGE
    app.kill()


def test_with_a_data_file_the_fill_page_comes_first():
    app = Pennora("with_data_file")
    app.write_entries(("地址", "北京市海淀区"))
    app.start().wait_for_main_window()
    harness.screenshot("startup_with_data_file")
    assert app.page() == FILL_PAGE
    app.kill()


def test_an_unreadable_data_file_is_reported_and_kept():
    app = Pennora("unreadable_data_file")
    garbage = b"this is not a Pennora data file \x00\xff" * 10
    with open(app.path("Pennora.Dat"), "wb") as file:
        file.write(garbage)
    app.start()
    text = app.dialog_text("KestovaPennora")
    harness.screenshot("startup_unreadable_data_file")
    assert "Pennora.Dat" in text, text
    app.answer("KestovaPennora", 1)
    app.wait_for_main_window()
    assert app.page() == EDITOR_PAGE
    kept = [f for f in os.listdir(app.folder) if f.startswith("Pennora.Dat.")]
    assert kept, "the unreadable file was not kept"
    with open(app.path(kept[0]), "rb") as file:
        assert file.read() == garbage
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0
    with open(app.path(kept[0]), "rb") as file:
        assert file.read() == garbage


def test_closing_by_the_strip_writes_position_and_text_matrix_keys():
    app = Pennora("close_writes_settings")
    app.write_entries(("地址", "北京市海淀区"))
    # The drag-fill window starts at Position and moves to StartPosition when
    # shown, so what the close writes differs from what was stored; of the
    # ChineseGroup keys only an empty FillText is stored.
    with open(app.path("Pennora.Ini"), "w", encoding="gbk") as file:
        file.write("[Options]\nMinimizeWhenDrag=0\n[Position]\nLeft=200\nTop=120\n"
                   "[StartPosition]\nX=250\nY=150\n[ChineseGroup]\nFillText=\n")
    app.start().wait_for_main_window()
    harness.click_tool_button(1050, 1052)
    harness.wait_for(lambda: probe("dragfill-items")[1].splitlines() == ["地址"], what="the drag-fill window")
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0, "closing without changes asks nothing and ends"
    ini = read_ini(app)
    assert (ini["Position"]["Left"], ini["Position"]["Top"]) == ("250", "150"), dict(ini["Position"])
    assert ini["ChineseGroup"]["FrontText"] == "水"
    assert ini["ChineseGroup"]["FillText"] == "", "an empty field leaves the stored value alone"
    with open(app.path("Pennora.Ini"), "rb") as file:
        assert b"BackText=\xa1\xa1" in file.read(), "the default back text, one ideographic space"
    assert int(ini["ChineseGroup"]["FontIndex"]) >= 0
    assert dict(ini["Options"]) == {"minimizewhendrag": "0"}, "closing never writes the options"


def test_the_borderless_windows_get_no_frame_from_the_window_manager():
    app = Pennora("borderless_windows")
    app.write_entries(("地址", "北京市海淀区"))
    app.write_settings("[Options]\nMinimizeWhenDrag=0\n")
    app.start().wait_for_main_window()
    harness.click_tool_button(1050, 1052)
    harness.wait_for(lambda: probe("dragfill-items")[1].splitlines() == ["地址"], what="the drag-fill window")
    # Each draws its own thin border, sizing frame and title strip; a title
    # bar of the window manager's above the strip would be a second one.
    frames = {name: harness.wait_for(lambda: harness.frame_extents(name), what=f"the {name} window managed")
              for name in ("main", "dragfill")}
    harness.screenshot("borderless_windows")
    assert frames == {"main": (0, 0, 0, 0), "dragfill": (0, 0, 0, 0)}, f"the window manager's frames: {frames}"
    app.kill()


harness.run([
    test_without_a_data_file_the_entry_editor_comes_first,
    test_with_a_data_file_the_fill_page_comes_first,
    test_an_unreadable_data_file_is_reported_and_kept,
    test_closing_by_the_strip_writes_position_and_text_matrix_keys,
    test_the_borderless_windows_get_no_frame_from_the_window_manager,
])

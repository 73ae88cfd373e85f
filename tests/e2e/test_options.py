"""The Options page and the settings file as a user meets them: values written
by hand, the commit button, the reset command of the Options menu, and the
start into the tray."""
import harness
from harness import Pennora

FILL_PAGE, EDITOR_PAGE, OPTIONS_PAGE = 0, 1, 4

# Control ids of the Options page and the menu bar (src/ui/resource.h).
CHK_MINIMIZE, CHK_AUTO_DRAG_FILL, CHK_AUTO_HOT_KEY, CHK_HOT_KEY, CHK_DRAG, BTN_OK = 1201, 1203, 1204, 1207, 1208, 1209
OPTIONS_MENU_BUTTON, MAIN_MENU, OPTIONS_MENU_POSITION = 1011, 200, 1
IDYES, IDNO = 6, 7


def hot_key_word(key, shift=False, ctrl=False, alt=False):
    """HotKey1's value: the key code, and HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4 above it."""
    return key | (shift * 1 + ctrl * 2 + alt * 4) << 8


def option_keys(ini):
    """The seven keys that a commit or a reset writes, as the file holds them."""
    return {
        "Options": dict(ini["Options"]) if ini.has_section("Options") else {},
        "HotKey": dict(ini["HotKey"]) if ini.has_section("HotKey") else {},
    }


def stored(shift, key, hot_key, startup, drag, auto_drag, auto_hot_key, tab_to_next_field="0"):
    return {
        "Options": {"MinimizeWhenHotKey": hot_key, "MinimizeWhenStartup": startup, "MinimizeWhenDrag": drag,
                    "AutoStartDragFill": auto_drag, "AutoStartHotKey": auto_hot_key,
                    "TabToNextField": tab_to_next_field},
        "HotKey": {"Shift": shift, "Key": key},
    }


# Hexadecimal numbers in both spellings, a boolean spelt as a word (not a
# number: the default stays), a word where a number belongs, and the
# auto-start keys missing.
HAND_WRITTEN_SETTINGS = """[HotKey]
Key=0x41
Shift=$3
[Options]
MinimizeWhenDrag=True
MinimizeWhenHotKey=1
MinimizeWhenStartup=yes
"""
# What those values mean on the page: Ctrl+Alt+A (Shift 3 = Alt + Ctrl).
HAND_WRITTEN_ON_PAGE = {"ChkMinimize": 0, "ChkAutoDragFill": 0, "ChkAutoHotKey": 0, "ChkHotKey": 1, "ChkDrag": 1,
                        "HotKey1": hot_key_word(ord("A"), ctrl=True, alt=True)}


def controls(app):
    return {name: value for name, value in app.options().items() if name != "BtnOK"}


def described(page):
    return ", ".join(f"{name}={value:#06x}" if name == "HotKey1" else f"{name}={value}" for name, value in page.items())


def test_hand_written_values_show_on_the_page_once_the_fill_page_was_shown():
    app = Pennora("options_hand_written")
    app.write_entries(("地址", "北京市海淀区"))  # with a data file the fill page comes first
    app.write_settings(HAND_WRITTEN_SETTINGS)
    app.start().wait_for_main_window()
    assert app.page() == FILL_PAGE
    app.select_page(OPTIONS_PAGE)
    harness.screenshot("options_hand_written")
    shown = controls(app)
    assert shown == HAND_WRITTEN_ON_PAGE, \
        f"the page shows {described(shown)}, not the settings {described(HAND_WRITTEN_ON_PAGE)}"
    app.kill()


def test_a_commit_writes_the_seven_keys_and_disables_the_button():
    app = Pennora("options_commit")
    app.write_settings(HAND_WRITTEN_SETTINGS)
    app.start().wait_for_main_window()
    assert app.page() == EDITOR_PAGE, "no data file: the entry editor comes first"
    app.select_page(FILL_PAGE)  # loads the page from the settings
    app.select_page(OPTIONS_PAGE)
    assert controls(app) == HAND_WRITTEN_ON_PAGE
    assert app.options()["BtnOK"] == 1, "the button starts enabled"

    app.click_control(BTN_OK)
    harness.wait_for(lambda: app.options()["BtnOK"] == 0, what="BtnOK disabled by the commit")
    assert option_keys(app.read_settings()) == stored("3", "65", "1", "0", "1", "0", "0"), \
        "hexadecimal values are written back in decimal, booleans as 1 and 0"

    app.click_control(CHK_MINIMIZE)
    harness.wait_for(lambda: app.options()["BtnOK"] == 1, what="BtnOK enabled by a click")
    assert option_keys(app.read_settings())["Options"]["MinimizeWhenStartup"] == "0", "nothing is written before BtnOK"
    app.click_control(CHK_DRAG)
    app.click_control(CHK_AUTO_HOT_KEY)
    harness.wait_for(lambda: app.options()["ChkAutoHotKey"] == 1, what="the third click")
    harness.screenshot("options_commit_before_ok")
    app.click_control(BTN_OK)
    harness.wait_for(lambda: app.options()["BtnOK"] == 0, what="BtnOK disabled by the commit")
    assert option_keys(app.read_settings()) == stored("3", "65", "1", "1", "0", "0", "1")

    # A change that is not committed gives way to the settings when the fill
    # page is shown again.
    app.click_control(CHK_AUTO_DRAG_FILL)
    harness.wait_for(lambda: app.options()["ChkAutoDragFill"] == 1, what="the click")
    app.select_page(FILL_PAGE)
    app.select_page(OPTIONS_PAGE)
    assert app.options()["ChkAutoDragFill"] == 0
    assert option_keys(app.read_settings())["Options"]["AutoStartDragFill"] == "0"
    app.kill()


def reset_from_the_menu(app, answer):
    items = app.menu_items(MAIN_MENU, OPTIONS_MENU_POSITION)
    app.open_menu(OPTIONS_MENU_BUTTON)
    app.choose_menu_item(items, "重置选项")
    text = app.dialog_text("警告！")
    assert text == "您确定要删除所有关于“选项”的个人设置吗？", text
    harness.screenshot(f"options_reset_asks_{answer}")
    app.answer("警告！", answer)
    app.wait_for_dialog_closed("警告！")


def test_reset_answered_no_changes_nothing_and_yes_writes_the_defaults():
    app = Pennora("options_reset")
    app.write_settings("[HotKey]\nShift=3\nKey=65\n[Options]\nMinimizeWhenHotKey=1\nMinimizeWhenDrag=0\n"
                       "AutoStartHotKey=0\n[ChineseGroup]\nFrontText=山\nFontIndex=2\n[Position]\nLeft=200\nTop=120\n"
                       "[StartPosition]\nX=30\nY=40\n")
    app.start().wait_for_main_window()
    app.select_page(FILL_PAGE)
    app.select_page(OPTIONS_PAGE)
    app.click_control(BTN_OK)  # a disabled button shows which check boxes the reset changes
    harness.wait_for(lambda: app.options()["BtnOK"] == 0, what="BtnOK disabled by the commit")
    page_before = app.options()
    with open(app.path("Pennora.Ini"), "rb") as file:
        before = file.read()

    reset_from_the_menu(app, IDNO)
    assert app.options() == page_before
    with open(app.path("Pennora.Ini"), "rb") as file:
        assert file.read() == before, "a reset answered No writes nothing"

    reset_from_the_menu(app, IDYES)
    harness.wait_for(lambda: option_keys(app.read_settings()) == stored("5", "86", "0", "0", "1", "0", "0"),
                     what="the defaults written by the reset")
    ini = app.read_settings()
    assert dict(ini["ChineseGroup"]) == {"FrontText": "山", "FontIndex": "2"}
    assert dict(ini["Position"]) == {"Left": "200", "Top": "120"}
    assert dict(ini["StartPosition"]) == {"X": "30", "Y": "40"}
    defaults = {"ChkMinimize": 0, "ChkAutoDragFill": 0, "ChkAutoHotKey": 0, "ChkHotKey": 0, "ChkDrag": 1,
                "HotKey1": hot_key_word(ord("V"), shift=True, alt=True), "BtnOK": 1}
    try:
        harness.wait_for(lambda: app.options() == defaults, what="the defaults on the page")
    except AssertionError:
        raise AssertionError(f"the page shows {app.options()}, not {defaults}") from None
    harness.screenshot("options_reset_done")
    app.kill()


def test_minimize_when_startup_starts_into_the_tray():
    app = Pennora("options_start_minimized")
    app.write_settings("[Options]\nMinimizeWhenStartup=1\n")
    app.start()
    harness.wait_for(app.tray_icon, what="the tray icon")
    app.wait_for_visibility("main=0 app=0")
    harness.screenshot("options_start_minimized")
    app.kill()


harness.run([
    test_hand_written_values_show_on_the_page_once_the_fill_page_was_shown,
    test_a_commit_writes_the_seven_keys_and_disables_the_button,
    test_reset_answered_no_changes_nothing_and_yes_writes_the_defaults,
    test_minimize_when_startup_starts_into_the_tray,
])

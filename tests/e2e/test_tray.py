"""Minimising to the tray and coming back: the title strip's minimise glyph,
the clicks on the tray icon, the tray menu and a second start."""
import harness
from harness import Pennora

OPTIONS_PAGE, ABOUT_PAGE = 4, 5
WM_LBUTTONDOWN, WM_RBUTTONUP = 0x0201, 0x0205
TRAY_MENU, TRAY_MENU_POSITION = 300, 0


def minimized_app(name):
    app = Pennora(name)
    app.write_entries(("地址", "北京市海淀区"))
    app.start().wait_for_main_window()
    app.select_page(OPTIONS_PAGE)
    app.minimize_to_tray()
    return app


def open_tray_menu(app):
    app.tray_message(WM_RBUTTONUP)
    harness.wait_for(harness.popup_menu, what="the tray menu")
    return app.menu_items(TRAY_MENU, TRAY_MENU_POSITION)


def test_minimise_hides_the_window_and_its_taskbar_button_and_a_left_click_restores_it():
    app = minimized_app("tray_left_click")
    harness.screenshot("tray_minimized")
    app.tray_message(WM_LBUTTONDOWN)
    app.wait_for_visibility("main=1 app=1")
    assert app.page() == OPTIONS_PAGE, "the window comes back on the page it showed"
    assert app.tray_icon(), "the icon stays once added"
    harness.screenshot("tray_restored")
    app.kill()


def test_the_tray_menu_offers_exit_and_about_and_about_restores_on_the_about_page():
    app = minimized_app("tray_about")
    items = open_tray_menu(app)
    assert "退出" in items and "关于Pennora" in items, items
    harness.screenshot("tray_menu")
    app.choose_menu_item(items, "关于Pennora")
    app.wait_for_visibility("main=1 app=1")
    assert app.page() == ABOUT_PAGE
    harness.screenshot("tray_about")
    app.kill()


def test_the_tray_menu_closes_when_the_user_clicks_elsewhere():
    app = minimized_app("tray_menu_dismissed")
    open_tray_menu(app)
    harness.xdotool("mousemove", "1200", "760", "click", "1")
    harness.wait_for(lambda: harness.popup_menu() is None, what="the tray menu to close")
    assert app.visibility().startswith("main=0"), "a click elsewhere chooses nothing"
    app.kill()


def test_a_second_start_while_minimised_brings_the_window_back_and_ends():
    app = minimized_app("tray_second_start")
    assert app.start_second() == 0
    app.wait_for_visibility("main=1 app=1")
    assert app.page() == OPTIONS_PAGE
    harness.screenshot("tray_second_start")
    app.kill()


def test_exit_in_the_tray_menu_ends_the_program():
    app = minimized_app("tray_exit")
    items = open_tray_menu(app)
    app.choose_menu_item(items, "退出")
    assert app.wait_for_exit() == 0
    harness.screenshot("tray_exit")


harness.run([
    test_minimise_hides_the_window_and_its_taskbar_button_and_a_left_click_restores_it,
    test_the_tray_menu_offers_exit_and_about_and_about_restores_on_the_about_page,
    test_the_tray_menu_closes_when_the_user_clicks_elsewhere,
    test_a_second_start_while_minimised_brings_the_window_back_and_ends,
    test_exit_in_the_tray_menu_ends_the_program,
])

"""Text arrives as a user's keys would: with TabToNextField on, the Tabs of a
content move on to the next field of another program's dialog, or of a page
that keeps the focus in one window, by hot key and by drop (with it off, a
Tab is typed as a character into the one field); a line break is one new
line in Wine's WordPad (a rich edit) and notepad."""
import os
import subprocess

import harness
from harness import PATIENCE, PROGRAMS_DIR, RUN_DIR, Pennora, click_tool_button, drag, wait_for, xdotool

TOOLBAR3, DRAG_FILL_BUTTON, HOT_KEY_BUTTON = 1050, 1052, 1053
IDOK = 1
FORM_ENTRY = ("表单", "张三\t13800000000\t北京市海淀区")
FILLED = ["张三", "13800000000", "北京市海淀区"]


class FormTarget:
    """Another program's form: FormTarget.exe, three single-line fields in a
    dialog loop, reporting their texts one line each."""

    def __init__(self, name, x=880, y=450, page=False):
        self.report = os.path.join(RUN_DIR, "e2e", name + ".txt")
        os.makedirs(os.path.dirname(self.report), exist_ok=True)
        if os.path.exists(self.report):
            os.remove(self.report)
        self.process = subprocess.Popen(
            ["wine", os.path.join(PROGRAMS_DIR, "FormTarget.exe"), harness.windows_path(self.report), str(x), str(y)]
            + (["page"] if page else []),
            cwd="/", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "^PennoraFormTarget$").split(),
                               what="the FormTarget window")[0]
        wait_for(lambda: self.fields() is not None, what="FormTarget's first report")
        harness.wait_in_place(self.window, "PennoraFormTarget")

    def fields(self):
        try:
            with open(self.report, "rb") as file:
                return file.read().decode("utf-8").split("\n")[:3]
        except FileNotFoundError:
            return None

    def first_field(self):
        """The middle of the first field on the screen."""
        x, y, _, _ = wait_for(lambda: harness.x_window_geometry(self.window), what="the FormTarget window shown")
        return x + 170, y + 22

    def focus_first_field(self):
        x, y = self.first_field()
        xdotool("mousemove", str(x), str(y), "click", "1")
        wait_for(lambda: xdotool("getactivewindow").strip() == self.window, what="FormTarget in front")

    def wait_for_fields(self, expected, timeout=PATIENCE):
        try:
            wait_for(lambda: self.fields() == expected, timeout, what=f"the form to hold {expected!r}")
        except AssertionError:
            raise AssertionError(f"the form holds {self.fields()!r}, not {expected!r}") from None

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()


def start(name, tab_to_next_field):
    app = Pennora(name)
    app.write_entries(FORM_ENTRY)
    app.write_settings(f"[Options]\nTabToNextField={int(tab_to_next_field)}\n")
    app.start().wait_for_main_window()
    return app


def fill_by_hot_key(app, form):
    click_tool_button(TOOLBAR3, HOT_KEY_BUTTON)
    app.answer("Pennora", IDOK)
    app.wait_for_dialog_closed("Pennora")
    harness.wait_for(lambda: harness.active_window() == "main", what="the main window active again")
    form.focus_first_field()
    xdotool("key", "shift+alt+v")
    harness.wait_for(harness.popup_menu, what="the fill menu")
    xdotool("key", "Down", "Return")  # the menu opens with nothing selected
    harness.wait_for(lambda: harness.popup_menu() is None, what="the fill menu to close")


def fill_by_drop(app, form):
    click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
    harness.drag_fill_rect()
    wait_for(lambda: harness.probe("dragfill-items")[1].splitlines() == [FORM_ENTRY[0]], what="the drag-fill list")
    left, top, right, bottom = harness.probe_rect("dragfill-item-rect", "0")
    drag(((left + right) // 2, (top + bottom) // 2), form.first_field())


LETTER = ("信", "此致\r\n敬礼\r\n张三")
LETTER_LINES = ["此致", "敬礼", "张三"]


class Document:
    """A document window of a program of Wine's own (WordPad, notepad): its
    edit control's line count and text, read by Probe."""

    def __init__(self, command, window_class, control_class):
        self.window_class, self.control_class = window_class, control_class
        self.process = subprocess.Popen(["wine", command], cwd="/", stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        # Wine names the X window's class after the program's file.
        exe = command.rsplit("\\", 1)[-1].lower()
        self.window = wait_for(lambda: xdotool("search", "--onlyvisible", "--class", exe).split(),
                               what=f"the {exe} window")[0]
        wait_for(self.lines, what=f"the {control_class} control of {window_class}")

    def lines(self):
        """(line count, text) of the document, or None before it is there."""
        code, out = harness.probe("edit-lines", self.window_class, self.control_class)
        if code != 0:
            return None
        count, _, text = out.partition("\n")
        return int(count), text.rstrip("\n")

    def inside(self):
        """A point of the document near its lower left corner, above the status
        bar and clear of the drag-fill window, which opens over the middle."""
        x, y, width, height = wait_for(lambda: harness.x_window_geometry(self.window), what="the document shown")
        return x + 60, y + height - 60

    def focus(self):
        x, y = self.inside()
        xdotool("mousemove", str(x), str(y), "click", "1")
        wait_for(lambda: xdotool("getactivewindow").strip() == self.window, what=f"{self.window_class} in front")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()


DOCUMENTS = {
    "wordpad": (r"C:\Program Files\Windows NT\Accessories\wordpad.exe", "WORDPADTOP", "RichEdit"),
    "notepad": ("notepad.exe", "Notepad", "Edit"),
}


def test_a_line_break_is_one_new_line_in_wordpad_and_notepad_by_hot_key_and_by_drop():
    for (name, (command, window_class, control_class)), way in (
            (document, way) for document in DOCUMENTS.items() for way in ("hot_key", "drop")):
        app = Pennora(f"lines_{name}_{way}")
        app.write_entries(LETTER)
        app.start().wait_for_main_window()
        # The mode goes on before the document opens, which may cover the main window.
        if way == "hot_key":
            click_tool_button(TOOLBAR3, HOT_KEY_BUTTON)
            app.answer("Pennora", IDOK)
            app.wait_for_dialog_closed("Pennora")
            harness.wait_for(lambda: harness.active_window() == "main", what="the main window active again")
        else:
            click_tool_button(TOOLBAR3, DRAG_FILL_BUTTON)
            harness.drag_fill_rect()
            wait_for(lambda: harness.probe("dragfill-items")[1].splitlines() == [LETTER[0]],
                     what="the drag-fill list")
        document = Document(command, window_class, control_class)
        try:
            if way == "hot_key":
                document.focus()
                xdotool("key", "shift+alt+v")
                harness.wait_for(harness.popup_menu, what="the fill menu")
                xdotool("key", "Down", "Return")  # the menu opens with nothing selected
            else:
                left, top, right, bottom = harness.probe_rect("dragfill-item-rect", "0")
                drag(((left + right) // 2, (top + bottom) // 2), document.inside())
            # A rich edit keeps a line break as a lone CR and gives it back as
            # CR LF or CR; a plain edit keeps the content's CR LF as it is.
            if control_class == "RichEdit":
                expected = lambda lines: lines is not None and lines[0] == len(LETTER_LINES) and \
                    lines[1].replace("\r\n", "\r").split("\r") == LETTER_LINES
            else:
                expected = lambda lines: lines == (len(LETTER_LINES), LETTER[1])
            try:
                wait_for(lambda: expected(document.lines()), what=f"the letter's lines in {name}")
            except AssertionError:
                raise AssertionError(f"{name} filled by {way} holds {document.lines()!r}") from None
            harness.screenshot(f"lines_in_{name}_by_{way}")
        finally:
            document.kill()
            app.kill()
            harness.end_wine_session()


def test_with_the_option_on_one_entry_fills_the_three_fields_by_hot_key_and_by_drop():
    for way, fill in (("hot_key", fill_by_hot_key), ("drop", fill_by_drop)):
        app = start(f"form_{way}", True)
        form = FormTarget(f"form_{way}_target")
        try:
            fill(app, form)
            form.wait_for_fields(FILLED)
            harness.screenshot(f"form_filled_by_{way}")
        finally:
            form.kill()
            app.kill()
            harness.end_wine_session()


def test_a_page_that_keeps_the_focus_in_one_window_gets_its_three_fields_filled():
    """As a browser's page: one window keeps the focus and moves among the
    fields it draws itself on Tab."""
    for way, fill in (("hot_key", fill_by_hot_key), ("drop", fill_by_drop)):
        app = start(f"page_{way}", True)
        form = FormTarget(f"page_{way}_target", page=True)
        try:
            fill(app, form)
            form.wait_for_fields(FILLED)
            harness.screenshot(f"page_filled_by_{way}")
        finally:
            form.kill()
            app.kill()
            harness.end_wine_session()


def test_with_the_option_off_the_first_field_gets_the_whole_text():
    app = start("form_tab_as_character", False)
    form = FormTarget("form_tab_as_character_target")
    try:
        fill_by_hot_key(app, form)
        # Everything goes to the first field; a single-line edit does not
        # keep a typed Tab character, as when a user types Ctrl+I there.
        form.wait_for_fields([FORM_ENTRY[1].replace("\t", ""), "", ""])
    finally:
        form.kill()
        app.kill()


if __name__ == "__main__":
    harness.run([
        test_with_the_option_on_one_entry_fills_the_three_fields_by_hot_key_and_by_drop,
        test_a_page_that_keeps_the_focus_in_one_window_gets_its_three_fields_filled,
        test_with_the_option_off_the_first_field_gets_the_whole_text,
        test_a_line_break_is_one_new_line_in_wordpad_and_notepad_by_hot_key_and_by_drop,
    ])

"""Drives the built Pennora.exe under Wine on the test run's desktop (Xvfb
with a window manager), as a person would: xdotool for the mouse and keys,
screenshots of the screen, the Probe program (tests/programs) to read what the
window shows, and the window manager's own view of stacking and activation."""
import configparser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

RUN_DIR = os.environ["PENNORA_RUN_DIR"]
APP_DIR = os.environ["PENNORA_APP_DIR"]
PROGRAMS_DIR = os.environ["PENNORA_PROGRAMS_DIR"]
SHOTS = os.path.join(RUN_DIR, "shots")


# How long a wait gives up after: long enough for a machine busy with other
# work; a test that passes never waits that long.
PATIENCE = 60.0


def wait_for(condition, timeout=PATIENCE, what="condition"):
    deadline = time.time() + timeout
    while time.time() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}")


def probe(*args):
    # Output goes through a file, not a pipe: Wine's helper processes started
    # on the way inherit the pipe and would hold it open after Probe ends.
    with tempfile.TemporaryFile() as out:
        code = subprocess.run(["wine", os.path.join(PROGRAMS_DIR, "Probe.exe"), *args],
                              stdout=out, stderr=subprocess.DEVNULL, timeout=60).returncode
        out.seek(0)
        return code, out.read().decode("utf-8", "replace").strip()


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def click_rect(rect):
    """Clicks the middle of a "left top right bottom" screen rectangle."""
    left, top, right, bottom = rect
    move_clear_of_hints(((left + right) // 2, (top + bottom) // 2))
    xdotool("click", "1")


def move_clear_of_hints(point):
    """Moves the mouse to point and waits until no hint (tooltip) of Pennora's
    stands there. A user presses on what they see: a hint goes when the mouse
    comes onto it, and a press made before that lands on the hint and is lost."""
    x, y = point
    xdotool("mousemove", str(x), str(y))
    wait_for(lambda: (lambda hint: not hint or not (hint[0] <= x < hint[2] and hint[1] <= y < hint[3]))(hint_rect()),
             what=f"no hint over {point}")


def probe_rect(*args):
    """A screen rectangle that Probe reports, once the window it asks about is there."""
    return wait_for(lambda: (lambda r: tuple(map(int, r[1].split())) if r[0] == 0 else None)(probe(*args)),
                    what=f"Probe {' '.join(args)}")


def popup_menu():
    """The screen rectangle of the popup menu shown, or None."""
    fields = probe("popup")[1].split()
    return tuple(map(int, fields[1:])) if fields and fields[0] == "menu=1" else None


def x_window_geometry(window):
    """(x, y, width, height) of an X window on the screen, or None when there is
    none or it is not shown. (xdotool's geometry of a window in a window
    manager's frame is off by the frame.)"""
    if window is None:
        return None
    out = subprocess.run(["xwininfo", "-id", str(window)], capture_output=True, text=True).stdout
    values = dict(re.findall(r"^\s*([A-Za-z -]+?):\s+(\S+)", out, re.M))
    if values.get("Map State") != "IsViewable":
        return None
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]), int(values["Width"]),
            int(values["Height"]))


def client_rect(title):
    """The screen rectangle of a window's client area as Windows has it, or None."""
    code, out = probe("client-rect", title)
    return tuple(map(int, out.split())) if code == 0 else None


def wait_in_place(window, title):
    """Waits until the X window of a program's window with a caption stands
    where the program sees its client area (the window manager draws the
    frame around it); returns its geometry."""
    def in_place():
        geometry = x_window_geometry(window)
        if not geometry:
            return None
        x, y, width, height = geometry
        return geometry if (x, y, x + width, y + height) == client_rect(title) else None

    return wait_for(in_place, what=f"{title} in place")


def screenshot(name):
    os.makedirs(SHOTS, exist_ok=True)
    path = os.path.join(SHOTS, name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True)
    return path


def windows_path(unix_path):
    return "Z:" + unix_path.replace("/", "\\")


class Pennora:
    """One copy of the tool in a folder of its own (its AppPath)."""

    def __init__(self, name):
        self.name = name
        self.folder = os.path.join(RUN_DIR, "e2e", name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        for file in os.listdir(APP_DIR):
            shutil.copy(os.path.join(APP_DIR, file), self.folder)
        self.process = None

    def path(self, file):
        return os.path.join(self.folder, file)

    def write_entries(self, *pairs):
        args = [windows_path(self.path("Pennora.Dat"))]
        for title, content in pairs:
            args += [title, content]
        code, _ = probe("write-data", *args)
        assert code == 0, "could not write the data file"

    def start(self):
        self.process = subprocess.Popen(["wine", self.path("Pennora.exe")], cwd="/",
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def start_second(self):
        """Starts another instance and waits for it to end."""
        second = subprocess.Popen(["wine", self.path("Pennora.exe")], cwd="/",
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return second.wait(timeout=PATIENCE)

    def wait_for_main_window(self):
        wait_for(lambda: probe("visible")[1].startswith("main=1"), what="the main window")
        return self.main_window_geometry()

    def main_window_geometry(self):
        return wait_for(lambda: x_window_geometry(x_windows().get("main")), what="the main window on X")

    def page(self):
        """The index of the page shown, once the main window answers."""
        return wait_for(lambda: (lambda r: [int(r[1])] if r[0] == 0 else None)(probe("page")),
                        what="the main window to tell its page")[0]

    def visibility(self):
        return probe("visible")[1]

    def dialog_text(self, caption, timeout=PATIENCE):
        return wait_for(lambda: (lambda r: r[1] if r[0] == 0 else None)(probe("dialog", caption)),
                        timeout, what=f"the message box '{caption}'")

    def expect_dialog(self, caption, text):
        """Waits until the message box `caption` says `text` (a box being made
        may show its caption before its text); fails with what it said last."""
        said = []
        try:
            wait_for(lambda: said.append(self.dialog_text(caption)) or said[-1] == text,
                     what=f"the message box '{caption}' to say {text!r}")
        except AssertionError:
            raise AssertionError(f"the message box '{caption}' says {said[-1] if said else None!r}, not {text!r}") from None

    def answer(self, caption, button_id):
        code, _ = probe("answer", caption, str(button_id))
        assert code == 0, f"no message box '{caption}' to answer"

    def wait_for_dialog_closed(self, caption):
        wait_for(lambda: probe("dialog", caption)[0] != 0, what=f"the message box '{caption}' to close")

    def click_strip_image(self, which):
        """Clicks the minimise (Image7) or close (Image8) glyph of the title strip."""
        x, y, width, _ = self.main_window_geometry()
        offset = {"close": 10, "minimize": 28}[which]
        move_clear_of_hints((x + width - offset, y + 9))
        xdotool("click", "1")

    def select_page(self, index):
        """Clicks the tab of page `index` and waits until that page is selected."""
        click_rect(probe_rect("tab-rect", str(index)))
        wait_for(lambda: self.page() == index, what=f"page {index}")

    def options(self):
        """The Options page's controls: check boxes and BtnOK as 0/1, HotKey1 as its HKM_GETHOTKEY word."""
        out = wait_for(lambda: (lambda r: r[1] if r[0] == 0 else None)(probe("options")), what="the Options page")
        values = dict(field.split("=") for field in out.split())
        return {name: int(value, 0) for name, value in values.items()}

    def click_control(self, control_id):
        click_rect(probe_rect("item-rect", str(control_id)))

    def click_into_window(self):
        """A click on the status line, as a user brings the window to the
        front; waits until it is the foreground window, which the keys reach."""
        x, y, width, height = self.main_window_geometry()
        move_clear_of_hints((x + width // 2, y + height - 8))
        xdotool("click", "1")
        wait_for(lambda: foreground() == "main", what="the main window in front")

    def read_settings(self):
        parser = configparser.ConfigParser()
        parser.optionxform = str  # keep the keys' case
        with open(self.path("Pennora.Ini"), encoding="gbk") as file:
            parser.read_string(file.read())
        return parser

    def write_settings(self, text):
        with open(self.path("Pennora.Ini"), "w", encoding="gbk", newline="\r\n") as file:
            file.write(text)

    def menu_items(self, menu_id, position):
        """The captions of a popup of the exe's menu resource, "-" for a separator."""
        code, out = probe("menu-items", windows_path(self.path("Pennora.exe")), str(menu_id), str(position))
        assert code == 0, f"no menu {menu_id}/{position} in Pennora.exe"
        return out.splitlines()

    def open_menu(self, button_id):
        """Clicks a button of the menu bar and waits for its menu."""
        click_rect(probe_rect("menu-button-rect", str(button_id)))
        return wait_for(popup_menu, what="the menu")

    def choose_menu_item(self, items, caption):
        """Chooses `caption` in the popup menu shown, whose items are `items`, with
        the keyboard: Down walks the items that are not separators."""
        menu = wait_for(popup_menu, what="the popup menu")
        steps = [item for item in items if item != "-"].index(caption) + 1
        # Keys reach Wine through the X window that has the input focus, and
        # Wine hands them to the menu. While the tool shows a window the window
        # manager gives that window the focus (once it has taken notice of it);
        # while the tool sits in the tray it gives it to none of the tool's
        # windows (the menu's window is not one it manages), so then the
        # menu's window takes it, as the menu takes the keys on Windows.
        if self.visibility().startswith("main=1") or probe("dragfill")[1].startswith("shown=1"):
            wait_for(lambda: active_window() is not None, what="a window of the tool active")
        elif active_window() is None:
            xdotool("windowfocus", str(wait_for(lambda: x_windows().get("menu"), what="the menu's X window")))
        # The pointer on its border, where no item is highlighted.
        xdotool("mousemove", str(menu[0] + 1), str(menu[1] + 1))
        for _ in range(steps):
            xdotool("key", "Down")
        xdotool("key", "Return")
        wait_for(lambda: popup_menu() is None, what="the menu to close")

    def wait_for_visibility(self, expected, timeout=PATIENCE):
        """Waits until `Probe visible` starts with `expected` (e.g. "main=0 app=0")."""
        return wait_for(lambda: self.visibility().startswith(expected), timeout, what=f"visibility {expected}")

    def tray_icon(self):
        return probe("tray")[1] == "icon=1"

    def tray_message(self, mouse_message):
        """What the shell sends when the mouse does `mouse_message` over the tray icon."""
        wait_for(lambda: probe("tray-message", hex(mouse_message))[0] == 0, what="the main window for the tray message")

    def minimize_to_tray(self):
        self.click_strip_image("minimize")
        wait_for(self.tray_icon, what="the tray icon")
        self.wait_for_visibility("main=0 app=0")

    def wait_for_exit(self, timeout=PATIENCE):
        return self.process.wait(timeout=timeout)

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
        end_wine_session()


def end_wine_session():
    """Ends every program of the prefix and waits until the Wine server is
    gone: a program started while it is still going down would go down with it."""
    subprocess.run(["wineserver", "-k"], capture_output=True)
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=60)


def failure_place(error):
    """Where a failure was raised in the test scripts, innermost first, so that
    an assertion without a message still says which one it was."""
    frames = traceback.extract_tb(error.__traceback__)
    return " < ".join(f"{os.path.basename(frame.filename)}:{frame.lineno}" for frame in reversed(frames)
                      if os.path.dirname(frame.filename) == os.path.dirname(__file__))


def run(tests):
    """Runs the test functions in order; prints a closing line; exits non-zero on failure."""
    passed = failed = 0
    for test in tests:
        started = time.time()
        try:
            test()
            print(f"PASS {test.__name__} ({time.time() - started:.1f} s)")
            passed += 1
        except Exception as error:  # report every failure, then go on
            print(f"FAIL {test.__name__} ({time.time() - started:.1f} s): {error!r} at {failure_place(error)}")
            failed += 1
        finally:
            end_wine_session()
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


class EditTarget:
    """Another program's input field: EditTarget.exe, a Unicode edit window
    that reports its text, the presses it received and its caret."""

    def __init__(self, name, x=880, y=450, keeps_focus=False):
        self.report = os.path.join(RUN_DIR, "e2e", name + ".txt")
        os.makedirs(os.path.dirname(self.report), exist_ok=True)
        for suffix in ("", ".clicks", ".caret"):
            if os.path.exists(self.report + suffix):
                os.remove(self.report + suffix)
        self.process = subprocess.Popen(
            ["wine", os.path.join(PROGRAMS_DIR, "EditTarget.exe"), windows_path(self.report), str(x), str(y),
             *(["keeps-focus"] if keeps_focus else [])],
            cwd="/", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "^PennoraEditTarget$").split(),
                               what="the EditTarget window")[0]
        wait_for(lambda: self.text() is not None, what="EditTarget's first report")
        wait_in_place(self.window, "PennoraEditTarget")

    def _read(self, suffix=""):
        try:
            with open(self.report + suffix, "rb") as file:
                return file.read().decode("utf-8")
        except FileNotFoundError:
            return None

    def text(self):
        return self._read()

    def caret(self):
        """(caret x, caret y, edit left, edit top), or None before the edit had the focus."""
        fields = (self._read(".caret") or "").split()
        return tuple(map(int, fields)) if len(fields) == 4 else None

    def geometry(self):
        return x_window_geometry(self.window)

    def _x_rect(self):
        geometry = self.geometry()
        if geometry is None:
            return None
        x, y, width, height = geometry
        return x, y, x + width, y + height

    @property
    def rect(self):
        return wait_for(self._x_rect, what="the EditTarget window shown")

    def middle(self):
        return middle(self.rect)

    def focus(self):
        """Clicks into the edit, as a user does before typing, and waits until
        the window is in front, for Windows and for the window manager, and
        the edit shows its caret."""
        x, y = self.middle()
        xdotool("mousemove", str(x), str(y), "click", "1")
        wait_for(lambda: foreground() == "target" and active_window() == "target", what="EditTarget in front")
        wait_for(self.caret, what="the caret in EditTarget")

    def wait_for_text(self, expected, timeout=PATIENCE):
        try:
            wait_for(lambda: self.text() == expected, timeout, what=f"EditTarget to hold {expected!r}")
        except AssertionError:
            raise AssertionError(f"EditTarget holds {self.text()!r}, not {expected!r}; its presses "
                                 f"{self._read('.clicks')!r}, in front {foreground()!r}{tool_says()}") from None

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()

    close = kill


# ---- Helpers for the pages' own controls, the clipboard and drags ----------

def drag_fill_rect():
    """The drag-fill window's screen rectangle once it is shown, for Windows
    and on the screen: a click may go to it."""
    seen = {}

    def shown():
        seen["windows"] = probe("dragfill")[1].strip()
        fields = seen["windows"].split()
        if not fields or fields[0] != "shown=1":
            return None
        rect = tuple(map(int, fields[1:]))
        seen["x"] = x_window_geometry(x_windows().get("dragfill"))
        if not seen["x"]:
            return None
        x, y, width, height = seen["x"]
        return rect if (x, y, x + width, y + height) == rect else None

    try:
        return wait_for(shown, what="the drag-fill window shown")
    except AssertionError:
        raise AssertionError(f"the drag-fill window not shown: Windows has {seen.get('windows')!r}, "
                             f"X has {seen.get('x')!r}") from None


def focus_control(control_id):
    """Clicks into a control of the main window, as a user does before typing,
    and waits until it has the keyboard focus: keys typed before would go elsewhere."""
    click_rect(probe_rect("item-rect", str(control_id)))
    wait_for(lambda: focused_control() == control_id, what=f"the keyboard focus on control {control_id}")


def focused_control():
    """The control id of the main window's control that has the keyboard
    focus; 0 while the main window's thread is not in front."""
    return wait_for(lambda: (lambda r: [int(r[1])] if r[0] == 0 else None)(probe("focus")),
                    what="the main window to tell its focus")[0]


def tool_says():
    """What the drag-fill window's status line says, for a failure's message:
    a drop that typed nothing says why there."""
    code, out = probe("item-text", "1607")
    return f"; the drag-fill window's status line says {bytes.fromhex(out.strip()).decode('gbk')!r}" if code == 0 else ""


def foreground():
    """Which window is in front, as Windows has it: "main", "dragfill", "target" or "other"."""
    return probe("foreground")[1]


def item_text(control_id):
    """The ANSI text of a control of the main window, decoded from GBK."""
    code, out = probe("item-text", str(control_id))
    assert code == 0, f"no control {control_id}"
    return bytes.fromhex(out).decode("gbk")


def item_shown(control_id):
    code, out = probe("item-shown", str(control_id))
    assert code == 0, f"no control {control_id}"
    return out == "1"


def click_tool_button(tool_bar_id, button_id):
    click_rect(probe_rect("tool-button-rect", str(tool_bar_id), str(button_id)))


def clipboard_text():
    """The clipboard's Unicode text as another program reads it, or None."""
    code, out = probe("clipboard")
    return bytes.fromhex(out).decode("utf-8") if code == 0 else None


def hint_rect():
    """The screen rectangle of a hint (tooltip) Pennora shows, or None."""
    code, out = probe("hint-rect")
    return tuple(map(int, out.split())) if code == 0 else None


def drag(from_point, to_point, steps=4):
    """Presses the left button at from_point, moves in a few steps, releases at to_point."""
    move_clear_of_hints(from_point)
    xdotool("mousedown", "1")
    (x0, y0), (x1, y1) = from_point, to_point
    for step in range(1, steps + 1):
        xdotool("mousemove", str(x0 + (x1 - x0) * step // steps), str(y0 + (y1 - y0) * step // steps))
        time.sleep(0.05)
    xdotool("mouseup", "1")


def read_data(path):
    """The entries of a data file as (title, content) pairs, CR and LF as they are."""
    code, out = probe("read-data", windows_path(path))
    assert code == 0, f"the data file {path} is unreadable"
    unescape = lambda text: None if text == "<null>" else text.replace("\\r", "\r").replace("\\n", "\n").replace("\\t", "\t")
    return [tuple(unescape(field) for field in line.split("\t")) for line in out.splitlines()]
def middle(rect):
    left, top, right, bottom = rect
    return (left + right) // 2, (top + bottom) // 2

# The browser integration: the registry of the test prefix, the page of
# context-menu entries, tool-bar buttons and other programs' windows.
MENU_EXT = r"HKCU\Software\Microsoft\Internet Explorer\MenuExt"


def wine_reg(*args):
    """Runs `wine reg ...`, once Wine could start it; returns (exit code,
    output). reg writes in the ANSI code page."""
    def ran():
        result = subprocess.run(["wine", "reg", *args], capture_output=True, timeout=60)
        out = result.stdout.decode("gbk", "replace")
        # Wine's loader could not start reg (it happens on a busy machine):
        # nothing was done, so it is asked again.
        return None if "ShellExecuteEx" in out + result.stderr.decode("gbk", "replace") else (result.returncode, out)

    return wait_for(ran, what=f"wine reg {' '.join(args)} to run")


def wine_reg_done(*args, attempts=3):
    """Runs a `wine reg` write that may be repeated (add or delete with /f)
    until it succeeds; fails with what reg said after `attempts`. A failed
    attempt is printed, so a passing run still shows it happened."""
    for attempt in range(1, attempts + 1):
        code, out = wine_reg(*args)
        if code == 0:
            return
        print(f"wine reg {' '.join(args)}: attempt {attempt} exited with {code}: {out.strip()}", flush=True)
    raise AssertionError(f"wine reg {' '.join(args)} failed {attempts} times")


def menu_ext_keys():
    """The names of the subkeys of MenuExt, as `wine reg query` lists them."""
    code, out = wine_reg("query", MENU_EXT)
    if code != 0:
        return []
    prefix = MENU_EXT.split("\\", 1)[1] + "\\"
    names = []
    for line in out.splitlines():
        line = line.strip()
        at = line.find(prefix)
        if at >= 0 and len(line) > at + len(prefix):
            names.append(line[at + len(prefix):])
    return sorted(names)


def menu_ext_values(name):
    """{value name: (type, data)} of one MenuExt key, "" for the default value."""
    code, out = wine_reg("query", MENU_EXT + "\\" + name)
    assert code == 0, f"no key {name}: {out}"
    values = {}
    for line in out.splitlines():
        fields = line.strip().split("    ")
        if len(fields) >= 2 and fields[1].startswith("REG_"):
            value_name = "" if fields[0].startswith("(") else fields[0]
            values[value_name] = (fields[1], fields[2] if len(fields) > 2 else "")
    return values


def browser_page():
    """(edits enabled, apply enabled, cancel enabled, EditKey text, MemoValue text with line breaks as \\n)."""
    code, out = probe("browser-page")
    assert code == 0, "no browser page"
    lines = out.split("\n")
    flags = dict(field.split("=") for field in lines[0].split())
    texts = (lines[1:] + ["", ""])[:2]
    return flags["edits"] == "1", flags["apply"] == "1", flags["cancel"] == "1", texts[0], texts[1]


def tool_button(tool_bar_id, button_id):
    """(pressed, screen rectangle, text) of a tool-bar button of the main window."""
    code, out = probe("toolbutton", str(tool_bar_id), str(button_id))
    assert code == 0, f"no tool button {button_id}"
    lines = out.split("\n")
    fields = lines[0].split()
    return fields[0] == "pressed=1", tuple(map(int, fields[1:5])), lines[1] if len(lines) > 1 else ""


def top_windows(prefix):
    """[(title, visible, z place)] of the top-level windows whose titles start with `prefix`, top first."""
    windows = []
    for line in probe("windows", prefix)[1].splitlines():
        title, visible, place = line.split("|")
        windows.append((title, visible == "visible=1", int(place.split("=")[1])))
    return windows


# ---- The window manager's view: the order it stacks windows in, and which is active ----

def _root_windows(name):
    """The window ids a property of the root window lists."""
    out = subprocess.run(["xprop", "-root", name], capture_output=True, text=True).stdout
    return [int(value, 16) for value in re.findall(r"0x[0-9a-fA-F]+", out)]


def x_windows():
    """{name: X window id} of the windows of Pennora and EditTarget that exist:
    "main", "dragfill", "target"."""
    return {name: int(window) for name, window in (line.split() for line in probe("x-windows")[1].splitlines())}


def stacking():
    """The windows of Pennora and EditTarget ("main", "dragfill", "target") that
    the window manager stacks, in its order, bottom first."""
    names = {window: name for name, window in x_windows().items()}
    return [names[window] for window in _root_windows("_NET_CLIENT_LIST_STACKING") if window in names]


def active_window():
    """Which of those windows the window manager holds active, or None."""
    names = {window: name for name, window in x_windows().items()}
    active = _root_windows("_NET_ACTIVE_WINDOW")
    return names.get(active[0]) if active else None


def frame_extents(name):
    """What the window manager draws around one of those windows, as (left,
    right, top, bottom) pixels; None before it manages the window."""
    window = x_windows().get(name)
    if window is None:
        return None
    out = subprocess.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], capture_output=True, text=True).stdout
    found = re.search(r"=\s*(\d+), (\d+), (\d+), (\d+)", out)
    return tuple(map(int, found.groups())) if found else None

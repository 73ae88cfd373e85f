"""Drives the built Pennora.exe under Wine on the test run's Xvfb display, as a
person would: xdotool for the mouse and keys, screenshots of the screen, and
the Probe program (tests/programs) to read what the window shows."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

RUN_DIR = os.environ["PENNORA_RUN_DIR"]
APP_DIR = os.environ["PENNORA_APP_DIR"]
PROGRAMS_DIR = os.environ["PENNORA_PROGRAMS_DIR"]
SHOTS = os.path.join(RUN_DIR, "shots")


def wait_for(condition, timeout=20.0, what="condition"):
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
        return second.wait(timeout=30)

    def wait_for_main_window(self):
        wait_for(lambda: probe("visible")[1].startswith("main=1"), what="the main window")
        return self.main_window_geometry()

    def main_window_geometry(self):
        window = wait_for(lambda: self._main_window_id(), what="the main window on X")
        out = xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=") for line in out.splitlines())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def _main_window_id(self):
        for window in xdotool("search", "--onlyvisible", "--name", "^KestovaPennora$").split():
            geometry = xdotool("getwindowgeometry", "--shell", window)
            if "WIDTH=1\n" not in geometry and "WIDTH=0\n" not in geometry:
                values = dict(line.split("=") for line in geometry.splitlines())
                if int(values["WIDTH"]) > 100:
                    return window
        return None

    def page(self):
        code, out = probe("page")
        assert code == 0, "no main window"
        return int(out)

    def visibility(self):
        return probe("visible")[1]

    def dialog_text(self, caption, timeout=20.0):
        return wait_for(lambda: (lambda r: r[1] if r[0] == 0 else None)(probe("dialog", caption)),
                        timeout, what=f"the message box '{caption}'")

    def answer(self, caption, button_id):
        code, _ = probe("answer", caption, str(button_id))
        assert code == 0, f"no message box '{caption}' to answer"

    def click_strip_image(self, which):
        """Clicks the minimise (Image7) or close (Image8) glyph of the title strip."""
        x, y, width, _ = self.main_window_geometry()
        offset = {"close": 10, "minimize": 28}[which]
        xdotool("mousemove", str(x + width - offset), str(y + 9), "click", "1")

    def wait_for_exit(self, timeout=30):
        return self.process.wait(timeout=timeout)

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
        subprocess.run(["wineserver", "-k"], capture_output=True)
        time.sleep(0.5)


def run(tests):
    """Runs the test functions in order; prints a closing line; exits non-zero on failure."""
    passed = failed = 0
    for test in tests:
        try:
            test()
            print(f"PASS {test.__name__}")
            passed += 1
        except Exception as error:  # report every failure, then go on
            print(f"FAIL {test.__name__}: {error!r}")
            failed += 1
        finally:
            subprocess.run(["wineserver", "-k"], capture_output=True)
            time.sleep(0.5)
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)

#!/usr/bin/env python3
"""Drop delivery end to end under Wine on Xvfb.

DragSource (a window driving the product's text delivery through the real
Win32 calls) holds a GBK text; the mouse presses on its list, moves over the
edit control of EditTarget (a Unicode window of another process) and releases
there. The edit must then have received exactly one left click (the
synthetic one, which reaches it only if the source gave up the mouse capture
first) and hold exactly the text: the Chinese characters joined from their
posted lead and trail bytes, the CR typed as Enter (which a multi-line edit
stores as CR LF) and no LF of its own.
"""
import os
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402  (the e2e tier's view of windows on the desktop)

RUN_DIR = Path(os.environ["PENNORA_RUN_DIR"])
PROGRAMS = Path(os.environ["PENNORA_PROGRAMS_DIR"])
SHOT = RUN_DIR / "shots" / "drop_delivery.png"
REPORT = RUN_DIR / "drop_delivery_report.txt"
CLICKS = RUN_DIR / "drop_delivery_report.txt.clicks"

DRAGGED = "灌水\r\nabc"
EXPECTED = "灌水\r\nabc"
STARTED_AT = {"source": (100, 100), "target": (520, 140)}


class Failure(Exception):
    pass


def wait_for(what, probe, timeout=harness.PATIENCE, interval=0.2):
    """Polls probe until it returns something true; returns that."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True, text=True).stdout


def find_window(title):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], capture_output=True,
                           text=True)
    ids = found.stdout.split()
    return ids[0] if ids else None


def windows_path(path):
    # Z: is the whole Unix file system in a Wine prefix.
    return "Z:" + str(path).replace("/", "\\")


def read_file(path):
    try:
        return path.read_bytes().decode("utf-8")
    except FileNotFoundError:
        return None


def read_report():
    return read_file(REPORT)


def read_clicks():
    return (read_file(CLICKS) or "").strip()


def start(log_name, program, *args):
    if not program.is_file():
        raise Failure(f"{program} is missing: build the helper programs first")
    log = open(RUN_DIR / log_name, "wb")
    command = [program, *args]
    return subprocess.Popen(["wine", *map(str, command)], stdout=log, stderr=subprocess.STDOUT)


def drag(from_point, to_point):
    xdotool("mousemove", *from_point)
    xdotool("mousedown", 1)
    # A few steps, as a hand would move, so the source sees the drag.
    (x0, y0), (x1, y1) = from_point, to_point
    for step in range(1, 5):
        xdotool("mousemove", x0 + (x1 - x0) * step // 4, y0 + (y1 - y0) * step // 4)
        time.sleep(0.05)
    xdotool("mouseup", 1)


def screenshot():
    subprocess.run(["import", "-window", "root", str(SHOT)], check=False)


def run():
    REPORT.unlink(missing_ok=True)
    CLICKS.unlink(missing_ok=True)
    started = []
    try:
        started.append(start("drop_delivery_target.log", PROGRAMS / "EditTarget.exe", windows_path(REPORT),
                             *STARTED_AT["target"]))
        started.append(start("drop_delivery_source.log", PROGRAMS / "DragSource.exe", DRAGGED.encode("gbk").hex(),
                             *STARTED_AT["source"]))
        target_window = wait_for("the PennoraEditTarget window", lambda: find_window("PennoraEditTarget"))
        source_window = wait_for("the PennoraDragSource window", lambda: find_window("PennoraDragSource"))
        wait_for("EditTarget's first report", lambda: read_report() is not None)
        if read_report() != "" or read_clicks() != "left 0 right 0":
            raise Failure(f"EditTarget started with text {read_report()!r} and clicks {read_clicks()!r}")

        # Apart, as two programs on a desktop.
        sx, sy, _, _ = harness.wait_in_place(source_window, "PennoraDragSource")
        tx, ty, tw, th = harness.wait_in_place(target_window, "PennoraEditTarget")
        first_list_item = (sx + 15, sy + 7)
        middle_of_edit = (tx + tw // 2, ty + th // 2)

        drag(first_list_item, middle_of_edit)

        try:
            wait_for(f"the edit to hold {EXPECTED!r}", lambda: read_report() == EXPECTED)
        except Failure as failure:
            raise Failure(f"{failure}; it holds {read_report()!r}") from None
        # Nothing more may follow the text (a posted LF would add a line break).
        time.sleep(1.0)
        if read_report() != EXPECTED:
            raise Failure(f"after the drop the edit went on to hold {read_report()!r}")
        if read_clicks() != "left 1 right 0":
            raise Failure(f"the edit was pressed {read_clicks()!r} instead of one left click")
    finally:
        screenshot()
        for process in started:
            process.kill()
            process.wait(timeout=10)


def main():
    try:
        run()
    except (Failure, AssertionError) as failure:
        print(f"FAIL drop_delivery: {failure} (screenshot {SHOT})")
        return 1
    print(f"ok drop_delivery: the edit received {EXPECTED!r} (screenshot {SHOT})")
    return 0


if __name__ == "__main__":
    sys.exit(main())

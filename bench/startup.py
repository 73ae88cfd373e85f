"""Whole-program start-up and memory of Pennora.exe under Wine, each as a ratio
to a minimal Win32 window program measured in the same rounds.

Run inside the Wine session of tests/support/desktop.sh (DISPLAY, WINEPREFIX
set) with a persistent wineserver, so every start pays the same: no prefix
boot, no server start. Each round starts every program once, in a rotating
order, each from a fresh folder holding a copy of its exe (and, for one
variant, a data file):

  start-up  from just before the wine command is started to the first moment
            the program's top-level X window is mapped (polled with Xlib every
            few milliseconds, in this process, so polling costs no process
            starts that would compete with the program for the CPU);
  memory    the resident set (VmRSS) and its private part (RssAnon) of the
            Linux process that runs the exe, after it has idled a moment with
            its window shown.

Then the process is killed (SIGKILL to that process, the same for every
program) and the round waits until its windows are gone, so the next start
meets no instance of it. Ratios are taken within a round and their median is
quoted, which keeps them meaningful when the machine's speed drifts.

usage: startup.py --program NAME=EXE=WINDOW_TITLE[=DATA_FILE] ... [--rounds N] [--baselines K]
The first K --programs (default 1) are the baselines; every figure is given
as a ratio to each of them.
"""
import argparse
import ctypes
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

MIN_WINDOW_SIDE = 100  # a main window, not a hidden 1x1 owner window of the same title
POLL_SECONDS = 0.003
START_TIMEOUT = 60.0


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


IS_VIEWABLE = 2
X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class Display:
    """The top-level windows of the X display, read through libX11."""

    def __init__(self):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XWindowAttributes)]
        x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XSetErrorHandler.argtypes = [X_ERROR_HANDLER]
        self.x = x
        # A window can vanish between listing and reading it; Xlib's default
        # handler would end this process on that BadWindow.
        self._ignore_errors = X_ERROR_HANDLER(lambda display, event: 0)
        x.XSetErrorHandler(self._ignore_errors)
        self.display = x.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("startup.py: cannot open the X display " + os.environ.get("DISPLAY", "(unset)"))
        self.root = x.XDefaultRootWindow(self.display)

    def windows(self, title):
        """(mapped, width, height) of each top-level window with this title,
        found below the window manager's frames as well."""
        found = []
        self._collect(self.root, title.encode(), found, depth=3)
        return found

    def _collect(self, window, name_wanted, found, depth):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x.XQueryTree(self.display, window, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(children), ctypes.byref(count)):
            return
        try:
            for i in range(count.value):
                name = ctypes.c_char_p()
                if self.x.XFetchName(self.display, children[i], ctypes.byref(name)) and name.value:
                    matches = name.value == name_wanted
                    self.x.XFree(name)
                    attributes = XWindowAttributes()
                    if matches and self.x.XGetWindowAttributes(self.display, children[i], ctypes.byref(attributes)):
                        found.append((attributes.map_state == IS_VIEWABLE, attributes.width, attributes.height))
                elif depth > 1:  # a window manager's frame holds the program's window
                    self._collect(children[i], name_wanted, found, depth - 1)
        finally:
            if children:
                self.x.XFree(children)

    def main_window_shown(self, title):
        return any(mapped and width >= MIN_WINDOW_SIDE and height >= MIN_WINDOW_SIDE
                   for mapped, width, height in self.windows(title))


class Program:
    def __init__(self, option):
        parts = option.split("=")
        if len(parts) not in (3, 4):
            raise SystemExit(f"startup.py: --program wants NAME=EXE=WINDOW_TITLE[=DATA_FILE], got {option!r}")
        self.name, self.exe, self.title = parts[:3]
        self.data_file = parts[3] if len(parts) == 4 else None
        self.startups, self.cpu, self.rss, self.private = [], [], [], []


def process_memory_kib(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            fields[key] = value.split()[0] if value.split() else "0"
    return int(fields["VmRSS"]), int(fields.get("RssAnon", 0))


def cpu_seconds(pid):
    """CPU time the process's live threads have used (ns precision, unlike the tick counts of /proc/PID/stat)."""
    total = 0
    for thread in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{thread}/schedstat") as schedstat:
                total += int(schedstat.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # the thread ended meanwhile
    return total / 1e9


def check_runs_exe(pid, exe):
    """The memory read must be the exe's own process, not a launcher's."""
    with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
        argv0 = cmdline.read().split(b"\0")[0].decode(errors="replace")
    if os.path.basename(argv0.replace("\\", "/")).lower() != os.path.basename(exe).lower():
        raise SystemExit(f"startup.py: process {pid} runs {argv0!r}, not {exe}")


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise SystemExit(f"startup.py: timed out waiting for {what}")
        time.sleep(POLL_SECONDS)


def measure_once(display, program, work_dir, idle_seconds):
    """Starts the program from a fresh folder; returns (seconds to its window, CPU seconds of its process
    by then, rss KiB, private KiB)."""
    folder = tempfile.mkdtemp(prefix="run-", dir=work_dir)
    exe = os.path.join(folder, os.path.basename(program.exe))
    shutil.copy(program.exe, exe)
    if program.data_file:
        shutil.copy(program.data_file, folder)
    os.sync()  # the copy's write-back would otherwise land in some runs' start-up
    try:
        # Popen's child runs the exe itself (wine's loader execs into it), so
        # its pid is the Windows process's pid on Linux.
        start = time.perf_counter()
        process = subprocess.Popen(["wine", exe], cwd=folder, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = start + START_TIMEOUT
        while not display.main_window_shown(program.title):
            if process.poll() is not None:
                raise SystemExit(f"startup.py: {program.name} ended (code {process.returncode}) before its window showed")
            if time.perf_counter() > deadline:
                process.kill()
                raise SystemExit(f"startup.py: no window '{program.title}' from {program.name}")
            time.sleep(POLL_SECONDS)
        seconds = time.perf_counter() - start
        cpu = cpu_seconds(process.pid)
        check_runs_exe(process.pid, exe)
        time.sleep(idle_seconds)
        rss, private = process_memory_kib(process.pid)
        os.kill(process.pid, signal.SIGKILL)
        process.wait()
        wait_until(lambda: not display.windows(program.title), 20, f"the windows of {program.name} to go")
        return seconds, cpu, rss, private
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def spread(values, scale=1.0, digits=0):
    med, low, high = (statistics.median(values) * scale, min(values) * scale, max(values) * scale)
    return f"{med:.{digits}f} ({low:.{digits}f}-{high:.{digits}f})"


def ratio_spread(values, baseline):
    return spread([v / b for v, b in zip(values, baseline)], digits=2)


def print_table(title, columns, programs, baselines):
    """columns: (heading, figures of a program, scale, digits); each followed by its ratio to every baseline."""
    print(title)
    ratio_headings = ["x " + b.name.split(",")[0] for b in baselines]
    header = f"{'':<28}" + "".join(f" {heading:>18}" + "".join(f" {r:>16}" for r in ratio_headings)
                                   for heading, _, _, _ in columns)
    print(header)
    for p in programs:
        cells = "".join(f" {spread(figures(p), scale, digits):>18}" +
                        "".join(f" {ratio_spread(figures(p), figures(b)):>16}" for b in baselines)
                        for _, figures, scale, digits in columns)
        print(f"{p.name:<28}" + cells)


def report(programs, baselines, rounds, idle_seconds):
    print(f"{rounds} rounds under Wine on Xvfb, one persistent wineserver; each figure median (min-max);")
    print(f"each ratio taken within a round against {' and against '.join(b.name for b in baselines)}, "
          "then its median (min-max).")
    print()
    print_table("Start-up: wine command started -> main window mapped (wall), and the CPU its process used by then",
                [("wall ms", lambda p: p.startups, 1000, 0), ("process CPU ms", lambda p: p.cpu, 1000, 0)],
                programs, baselines)
    print()
    print_table(f"Memory of the exe's process after {idle_seconds:g} s idle with its window shown",
                [("RSS MiB", lambda p: p.rss, 1 / 1024, 1), ("private MiB", lambda p: p.private, 1 / 1024, 1)],
                programs, baselines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", action="append", required=True,
                        help="NAME=EXE=WINDOW_TITLE[=DATA_FILE]; the first is the baseline")
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--baselines", type=int, default=1, help="how many of the first programs are baselines")
    parser.add_argument("--warmup", type=int, default=1, help="rounds run first and not counted")
    parser.add_argument("--idle", type=float, default=1.0, help="seconds shown before memory is read")
    parser.add_argument("--work-dir", default=None, help="where the fresh per-run folders are made")
    parser.add_argument("--each", action="store_true", help="also print every run's figures")
    args = parser.parse_args()

    programs = [Program(option) for option in args.program]
    if not 1 <= args.baselines <= len(programs):
        raise SystemExit("startup.py: --baselines must name between one and all of the programs")
    for p in programs:
        for path in filter(None, (p.exe, p.data_file)):
            if not os.path.isfile(path):
                raise SystemExit(f"startup.py: no file {path}")
    display = Display()
    work_dir = args.work_dir or tempfile.gettempdir()
    os.makedirs(work_dir, exist_ok=True)

    for round_index in range(args.warmup + args.rounds):
        # Rotate the order, so no program always runs first (or right after
        # another's kill) in its round.
        shift = round_index % len(programs)
        for p in programs[shift:] + programs[:shift]:
            seconds, cpu, rss, private = measure_once(display, p, work_dir, args.idle)
            if args.each:
                label = "warm-up" if round_index < args.warmup else f"round {round_index - args.warmup + 1}"
                print(f"{label:>9} {p.name:<28} {seconds * 1000:7.1f} ms {cpu * 1000:7.1f} ms cpu "
                      f"{rss:8d} KiB rss {private:8d} KiB private")
            if round_index >= args.warmup:
                p.startups.append(seconds)
                p.cpu.append(cpu)
                p.rss.append(rss)
                p.private.append(private)
    report(programs, programs[:args.baselines], args.rounds, args.idle)


if __name__ == "__main__":
    sys.exit(main())

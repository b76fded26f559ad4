#!/usr/bin/python3
"""Times a screen reader's questions to the wizard while its pages wait for the router.

Runs wait_stall_page_bench on a private X server with a private session bus
and accessibility bus (the helpers of tests/gui/a11y/check_a11y.py), and while
it runs asks the wizard's top-level window for its extents over AT-SPI again
and again, as a screen reader does when it follows the focus. Each question is
one D-Bus round trip answered by the wizard's event loop. Prints how many
questions were answered, the median and the longest answer time, and how many
got no answer.

Usage: a11y_ping.py BIN-DIR [bench options...]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "gui", "a11y"))
from check_a11y import start_buses, start_display  # noqa: E402


def wizard_window(pyatspi):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.childCount > 0:
            window = app.getChildAtIndex(0)
            if window is not None:
                return window
    return None


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    bench = os.path.join(sys.argv[1], "wait_stall_page_bench")
    folder = tempfile.mkdtemp(prefix="kelvane-a11y-ping-")
    bus = launcher = xvfb = proc = None
    try:
        xvfb, display = start_display(folder)
        bus, launcher, env = start_buses(folder)
        env["DISPLAY"] = display
        env["QT_QPA_PLATFORM"] = "xcb"
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = env["DBUS_SESSION_BUS_ADDRESS"]
        time.sleep(0.3)
        proc = subprocess.Popen([bench] + sys.argv[2:], env=env)
        import pyatspi
        times, unanswered, window = [], 0, None
        while proc.poll() is None:
            if window is None:
                try:
                    window = wizard_window(pyatspi)
                except Exception:
                    window = None
                if window is None:
                    time.sleep(0.05)
                    continue
            start = time.monotonic()
            try:
                window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                times.append((time.monotonic() - start) * 1000.0)
            except Exception:
                unanswered += 1
                window = None
            time.sleep(0.002)
        times.sort()
        median = times[len(times) // 2] if times else 0.0
        longest = times[-1] if times else 0.0
        print("AT-SPI questions during the run: %d answered, median %.2f ms, longest %.2f ms, %d unanswered"
              % (len(times), median, longest, unanswered))
        return proc.returncode
    finally:
        for p in (proc, launcher, bus, xvfb):
            if p is not None and p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

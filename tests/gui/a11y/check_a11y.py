#!/usr/bin/python3
"""Reads the wizard's pages the way a screen reader does.

Starts a private X server (the offscreen platform has no accessibility
bridge), a private D-Bus session bus and the accessibility bus on it, runs the
helper program once per page (it shows that page and waits), and reads the
page's accessibility tree over AT-SPI with pyatspi. For every field a user
can reach (edits, lists, check boxes, buttons) it reports the role and the
name a screen reader would announce (its own name, and the labels that name
it), as one JSON object per page on stdout:

  {"page": 4006, "fields": [{"role": "password text", "name": "Login password",
                             "labels": ["Login password:"], ...}]}

Usage: check_a11y.py HELPER PAGE...   (HELPER is run with KELVANE_A11Y_PAGE=PAGE)
Nothing here touches the machine's own session: the buses live in a
temporary folder and go away with this script.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROLES = {"text", "password text", "combo box", "check box", "push button", "list", "spin button", "entry"}


def start_display(folder):
    """A private X server: the offscreen platform has no accessibility bridge."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                             "-auth", "/dev/null"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, cwd=folder)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        xvfb.kill()
        raise RuntimeError("Xvfb gave no display")
    return xvfb, ":" + number.decode().strip()


def start_buses(folder):
    bus = subprocess.Popen(
        ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1",
         "--address=unix:path=" + os.path.join(folder, "session_bus")],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    address = bus.stdout.readline().strip()
    if not address:
        raise RuntimeError("dbus-daemon gave no address")
    env = dict(os.environ)
    env["DBUS_SESSION_BUS_ADDRESS"] = address
    env.pop("AT_SPI_BUS_ADDRESS", None)
    env["XDG_RUNTIME_DIR"] = folder
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return bus, launcher, env


def walk(node, out, depth=0):
    if node is None or depth > 40:
        return
    try:
        role = node.getRoleName()
        states = node.getState()
        import pyatspi
        showing = states.contains(pyatspi.STATE_SHOWING)
        if role in ROLES and showing:
            # What a screen reader says before the field: the labels that
            # name it (a label whose buddy is the field).
            labels = []
            for relation in node.getRelationSet():
                if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                    for t in range(relation.getNTargets()):
                        target = relation.getTarget(t)
                        if target is not None and target.name:
                            labels.append(target.name)
            out.append({"role": role, "name": node.name or "", "labels": labels,
                        "focusable": states.contains(pyatspi.STATE_FOCUSABLE),
                        "enabled": states.contains(pyatspi.STATE_ENABLED)})
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), out, depth + 1)
    except Exception:  # a node that went away while we read
        return


def read_page(helper, page, env, timeout):
    penv = dict(env)
    penv["KELVANE_A11Y_PAGE"] = str(page)
    penv["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    penv["QT_QPA_PLATFORM"] = "xcb"
    proc = subprocess.Popen([helper, "--gtest_filter=*A11yHelper*"], env=penv, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        deadline = time.time() + timeout
        ready = False
        while time.time() < deadline:
            line = proc.stdout.readline()
            if not line:
                break
            if line.startswith("A11Y-READY"):
                ready = True
                break
        if not ready:
            return {"page": page, "error": "the helper did not show the page"}
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = env["DBUS_SESSION_BUS_ADDRESS"]
        import pyatspi
        fields = []
        while time.time() < deadline and not fields:
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None:
                    walk(app, fields)
            if not fields:
                time.sleep(0.2)
        return {"page": page, "fields": fields}
    finally:
        try:
            proc.stdin.close()
        except Exception:
            pass
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    helper, pages = sys.argv[1], sys.argv[2:]
    folder = tempfile.mkdtemp(prefix="kelvane-a11y-")
    bus = launcher = xvfb = None
    try:
        xvfb, display = start_display(folder)
        bus, launcher, env = start_buses(folder)
        env["DISPLAY"] = display
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = env["DBUS_SESSION_BUS_ADDRESS"]
        time.sleep(0.3)
        for page in pages:
            print(json.dumps(read_page(helper, int(page), env, 30)), flush=True)
        return 0
    finally:
        for p in (launcher, bus, xvfb):
            if p is not None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# The real Windows program under Wine and a virtual X display, against a pty as COM1: the dialog
# must appear from its resource; Enter (a real key press, which the dialog manager gives to the
# default button, Open) must open COM1 and send the first-open read; the controller's gain
# replies, posted to the window by the port's watcher, must fill the grid, as read by the probe
# from another process; Escape must end the program. With --screenshot, the filled window is
# saved as a PNG.
# usage: window-smoke.py PORTS_DIR EMULATOR PROGRAM PROBE [--screenshot FILE.png]
import os
import select
import subprocess
import sys
import time
import tty

TITLE = "TQ-37R Parameters Setting"
# Both gain requests, twice.
FIRST_OPEN_READ = [bytes.fromhex("a55a04eaeeaa"), bytes.fromhex("a55a04ecf0aa")] * 2
# One edit each of the 0xEB reply (gains 1 to 18) and the 0xED reply (19 to 24).
EXPECTED = {1041: "13", 1058: "24"}


def frame(code, payload):
    body = bytes([len(payload) + 4, code, *payload])
    return b"\xa5\x5a" + body + bytes([sum(body) & 0xFF, 0xAA])


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True, timeout=60).stdout


# The dialog's X window, once it is mapped and has the keyboard focus (no window manager here:
# the focus is set directly).
def wait_for_window():
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % TITLE], capture_output=True, text=True)
        for window in found.stdout.split():
            if subprocess.run(["xdotool", "windowfocus", "--sync", window], capture_output=True,
                              timeout=10).returncode == 0:
                return window
        time.sleep(0.1)
    raise RuntimeError("the dialog did not appear")


# The first count six-byte request frames from the port.
def read_frames(master, count):
    data, deadline = b"", time.monotonic() + 20
    while len(data) < 6 * count and time.monotonic() < deadline:
        if select.select([master], [], [], 0.1)[0]:
            data += os.read(master, 256)
    return [data[i:i + 6] for i in range(0, len(data), 6)]


def probe(emulator, probe_program):
    out = subprocess.run([emulator, probe_program, TITLE, *map(str, EXPECTED)], check=True,
                         capture_output=True, timeout=60).stdout.decode("utf-8")
    return {int(key): value for key, _, value in (line.partition("=") for line in out.splitlines())}


def main():
    ports_dir, emulator, program, probe_program = sys.argv[1:5]
    screenshot = sys.argv[6] if sys.argv[5:6] == ["--screenshot"] else None
    os.makedirs(ports_dir, exist_ok=True)
    master, slave = os.openpty()
    tty.setraw(slave)
    link = os.path.join(ports_dir, "COM1")
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(os.ttyname(slave), link)

    tool = subprocess.Popen([emulator, program])
    failures = []
    try:
        window = wait_for_window()
        xdotool("key", "Return")
        sent = read_frames(master, len(FIRST_OPEN_READ))
        if sent != FIRST_OPEN_READ:
            failures.append("first-open read: got %s" % [f.hex() for f in sent])

        os.write(master, frame(0xEB, range(1, 19)) + frame(0xED, range(19, 25)))
        deadline = time.monotonic() + 20
        while (shown := probe(emulator, probe_program)) != EXPECTED and time.monotonic() < deadline:
            time.sleep(0.2)
        if shown != EXPECTED:
            failures.append("grid after the replies: %s" % shown)

        if screenshot:
            geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).split())
            crop = "%sx%s+%s+%s" % (geometry["WIDTH"], geometry["HEIGHT"], geometry["X"], geometry["Y"])
            subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", "-strip", screenshot],
                           check=True)

        xdotool("key", "Escape")
        try:
            if tool.wait(timeout=30) != 0:
                failures.append("the program ended with status %d" % tool.returncode)
        except subprocess.TimeoutExpired:
            pass  # reported below
    finally:
        if tool.poll() is None:
            tool.kill()
            failures.append("Escape did not end the program")
        os.unlink(link)

    for failure in failures:
        print("FAIL:", failure)
    print("window smoke test: %s" % ("failed" if failures else "passed"))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()

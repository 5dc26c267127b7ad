#!/usr/bin/env python3
"""The real Windows program under Wine and a virtual X display, against a pty as COM1.

usage: window-smoke.py PORTS_DIR EMULATOR PROGRAM PROBE [--screenshot FILE.png]

The dialog must appear from its resource; Enter (a real key press, which the dialog manager
gives to the default button, Open) must open COM1 and send the first-open read, both gain
requests twice, 300 ms apart; the controller's two gain replies must fill the grid, as read by
the probe from another process; Escape must end the program. With --screenshot, the filled
window is saved as a PNG.
"""
import os
import select
import subprocess
import sys
import time
import tty

TITLE = "TQ-37R Parameters Setting"
READ_BLOCK_1 = bytes.fromhex("a55a04eaeeaa")
READ_BLOCK_2 = bytes.fromhex("a55a04ecf0aa")


def frame(code, payload):
    body = bytes([len(payload) + 4, code]) + bytes(payload)
    return b"\xa5\x5a" + body + bytes([sum(body) & 0xFF, 0xAA])


# Gains 1 to 18 in the 0xEB reply's order, 19 to 24 in the 0xED reply's, and the edits they fill.
GAIN_BLOCK_1 = frame(0xEB, range(1, 19))
GAIN_BLOCK_2 = frame(0xED, range(19, 25))
EXPECTED = {1052: 1, 1053: 2, 1054: 3, 1064: 4, 1065: 5, 1066: 6, 1048: 10, 1049: 11, 1050: 12,
            1041: 13, 1042: 14, 1043: 15, 1044: 16, 1045: 17, 1046: 18,
            1059: 19, 1060: 20, 1061: 21, 1056: 22, 1057: 23, 1058: 24}
STATUS_LINE = 1027
OPEN_BUTTON = 1


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True, timeout=60).stdout


def wait_for_window():
    """The dialog's X window, once it is mapped and has the keyboard focus (no window manager
    here: the focus is set directly)."""
    deadline = time.monotonic() + 60
    while True:
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % TITLE], capture_output=True, text=True)
        for window in found.stdout.split():
            if subprocess.run(["xdotool", "windowfocus", "--sync", window], capture_output=True,
                              timeout=10).returncode == 0:
                return window
        if time.monotonic() > deadline:
            raise RuntimeError("the dialog did not appear")
        time.sleep(0.1)


def read_frames(master, count, limit):
    """The first count request frames from the port, each with the time it arrived."""
    frames, pending, deadline = [], b"", time.monotonic() + limit
    while len(frames) < count and time.monotonic() < deadline:
        if select.select([master], [], [], 0.1)[0]:
            pending += os.read(master, 256)
        while len(pending) >= 6:
            frames.append((pending[:6], time.monotonic()))
            pending = pending[6:]
    return frames


def probe(emulator, probe_program):
    ids = [OPEN_BUTTON, STATUS_LINE, *EXPECTED]
    out = subprocess.run([emulator, probe_program, TITLE, *map(str, ids)], check=True,
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

        frames = read_frames(master, 4, limit=20)
        sent = [f for f, _ in frames]
        if sent != [READ_BLOCK_1, READ_BLOCK_2, READ_BLOCK_1, READ_BLOCK_2]:
            failures.append("first-open read: got %s" % [f.hex() for f in sent])
        elif frames[2][1] - frames[0][1] < 0.25:
            failures.append("the two reads came %.3f s apart" % (frames[2][1] - frames[0][1]))

        os.write(master, GAIN_BLOCK_1 + GAIN_BLOCK_2)
        deadline = time.monotonic() + 20
        while True:
            shown = probe(emulator, probe_program)
            grid = {key: shown.get(key) for key in EXPECTED}
            if grid == {key: str(value) for key, value in EXPECTED.items()} or time.monotonic() > deadline:
                break
            time.sleep(0.2)
        if grid != {key: str(value) for key, value in EXPECTED.items()}:
            failures.append("grid after the replies: %s" % grid)
        if shown.get(OPEN_BUTTON) != "Close" or not shown.get(STATUS_LINE):
            failures.append("button %r, status line %r" % (shown.get(OPEN_BUTTON), shown.get(STATUS_LINE)))

        if screenshot:
            geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).split())
            crop = "%sx%s+%s+%s" % (geometry["WIDTH"], geometry["HEIGHT"], geometry["X"], geometry["Y"])
            subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", "-strip", screenshot],
                           check=True)

        xdotool("key", "Escape")
        if tool.wait(timeout=30) != 0:
            failures.append("the program ended with status %d" % tool.returncode)
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

#!/usr/bin/env python3
"""Writes the seed corpora: the controller's real replies, alone, back to back,
split by noise, cut short, the edit texts an operator types, gain files, and lines
of the tuning history."""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent


def frame(code, payload):
    length = len(payload) + 4
    body = bytes([length, code]) + bytes(payload)
    return bytes([0xA5, 0x5A]) + body + bytes([sum(body) & 0xFF, 0xAA])


GAINS1 = frame(0xEB, [5, 5, 0, 15, 1, 10, 0, 0, 0, 15, 45, 60, 35, 0, 30, 35, 0, 30])
GAINS2 = frame(0xED, [15, 1, 8, 15, 1, 8])
STATE = frame(0xF1, [0x00, 0x06, 0x08])
ACK_PITCH = frame(0xFA, [0xE4])
ACK_SAVE = frame(0xFA, [0x86])
FIRMWARE = frame(0x93, [37, 112])
GYRO = frame(0x81, [0x00, 0x05, 0xFB, 0x80])
FLIGHT = frame(0xBB, [0x00, 0x01, 0x2C, 0x00, 0x96])
MIXING = frame(0xDD, [0x02])

RECEIVER = {
    "gains1": GAINS1,
    "gains2": GAINS2,
    "state": STATE,
    "ack": ACK_PITCH,
    "firmware": FIRMWARE,
    "gyro": GYRO,
    "flight-params": FLIGHT,
    "mixing": MIXING,
    "read-pair": GAINS1 + ACK_SAVE + GAINS2,
    "state-flood": STATE * 12,
    "noise-between": b"\x00\x13\xff" + ACK_PITCH + b"\x5a\xaa" + STATE + b"\x01" + GAINS2,
    "double-header": b"\xa5" + ACK_PITCH,
    "cut-short": GAINS1[:9] + GAINS2 + STATE,
    "bad-checksum": GAINS2[:-2] + b"\x00\xaa" + ACK_PITCH,
    "tiny-length": b"\xa5\x5a\x02\x00" + b"\xa5\x5a\x00" + MIXING,
    "unterminated": b"\xa5\x5a\xff" + bytes(range(256)) + STATE,
    "longest": frame(0xEB, list(range(251))) + ACK_SAVE,
    "swallowed": b"\xa5\x5a\x0c" + ACK_PITCH + bytes(4) + GAINS2,
}

INTEGER = {
    "zero": b"0",
    "default": b"35",
    "negative": b"-12",
    "plus": b"+7",
    "blanks": b"  300\t",
    "max": b"2147483647",
    "min": b"-2147483648",
    "over": b"2147483648",
    "letters": b"12a",
    "empty": b"",
    "sign-only": b"-",
}

GAIN_NAMES = (
    "pitch.level pitch.stability_continue pitch.stability roll.level roll.stability_continue roll.stability "
    "heading.locking heading.locking_continue heading.stability other.altitude_compensation other.speed "
    "other.third x.p x.i x.d y.p y.i y.d height.p height.i height.d"
).split()
DEFAULT_GAINS = [35, 0, 30, 35, 0, 30, 15, 45, 60, 5, 5, 0, 15, 1, 8, 15, 1, 8, 15, 1, 10]
WRITTEN = "# TQ-37R gains\n# Firmware: TQ-37 firmware 1.20\n# Saved: 2026-12-06\n\n" + "".join(
    f"{name} = {value}\n" for name, value in zip(GAIN_NAMES, DEFAULT_GAINS)
)

GAIN_FILE = {
    "written": WRITTEN.encode(),
    "hand-edited": b"\xef\xbb\xbf# tuned outdoors\r\n\r\n  pitch.level\t=  40  # was 35\r\nx.p=15",
    "other-firmware": b"pitch.level = 35\npitch.feedforward = 7\nheight.d = 10\n",
    "bad-value": b"pitch.level = 35\nx.p = 300\n",
    "duplicate": b"x.p = 15\nx.p = 16\n",
    "no-equals": b"# gains\npitch.level 35\n",
    "many-unknown": ("".join(f"u{i}=1\n" for i in range(101)) + "x.p = 15\n").encode(),
}

GAINS = ",".join(str(g) for g in DEFAULT_GAINS)
LINE = '{"v":1,"time":"2026-12-07T17:10:00.123+01:00","program":"tq37r-cli",'
WHERE = '"port":"COM1","device":"/dev/ttyUSB0","baud":19200,'
JOURNAL = {
    "read": (LINE + '"kind":"read","id":"3f9a1c0e77b2d410",' + WHERE +
             '"firmware":"TQ-37 firmware 1.20","gains":[' + GAINS + "]}").encode(),
    "set": (LINE + '"kind":"set",' + WHERE + '"row":"pitch","before":[35,0,30],"after":[40,0,30]}').encode(),
    "save": (LINE + '"kind":"save",' + WHERE +
             '"verdict":"mismatched","differ":[{"name":"pitch.level","reads":44,"saved":40}]}').encode(),
    "label": (LINE + '"kind":"label","snapshot":"3f9a1c0e77b2d410","label":"calm day, \\u98ce \\ud83d\\ude00"}').encode(),
    "file": (LINE + '"kind":"file-loaded","file":"C:\\\\gains\\\\plane.gains","gains":[35,null,' +
             GAINS.split(",", 2)[2] + "]}").encode(),
    "torn": b'{"v":1,"kind":"re',
    "verified": (LINE + '"kind":"save","id":"0123456789abcdef",' + WHERE + '"verdict":"verified","gains":[' +
                 GAINS + "]}").encode(),
    "not-verified": (LINE + '"kind":"save",' + WHERE + '"verdict":"not verified"}').encode(),
    "file-saved": (LINE + '"kind":"file-saved","file":"gains/plane.gains","gains":[' + GAINS + "]}").encode(),
    "defaults": (LINE + '"kind":"defaults","gains":[' + GAINS + "]}").encode(),
    "newer-kind": (LINE + '"kind":"tune","x":{"y":[true,false,null,-1.5e3]},"gains":[' + GAINS + "]}").encode(),
    "escapes": (LINE + '"kind":"label","snapshot":"3f9a","label":"\\" \\\\ \\/ \\b\\f\\n\\r\\t \\u0001 \\ud800"}').encode(),
}

for name, corpus in (
    ("fuzz_receiver", RECEIVER),
    ("fuzz_dialog_integer", INTEGER),
    ("fuzz_gain_file", GAIN_FILE),
    ("fuzz_journal", JOURNAL),
):
    folder = HERE / "corpus" / name
    folder.mkdir(parents=True, exist_ok=True)
    for seed, data in corpus.items():
        (folder / seed).write_bytes(data)

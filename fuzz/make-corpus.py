#!/usr/bin/env python3
"""Writes the seed corpora: the controller's real replies, alone, back to back,
split by noise, cut short, and the edit texts an operator types."""
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

for name, corpus in (("fuzz_receiver", RECEIVER), ("fuzz_dialog_integer", INTEGER)):
    folder = HERE / "corpus" / name
    folder.mkdir(parents=True, exist_ok=True)
    for seed, data in corpus.items():
        (folder / seed).write_bytes(data)

#!/usr/bin/env python3
"""Writes the golden tally files next to this script: for each tally, its
grid text (NAME.txt) and the compressed file (NAME.tld).

The coder here is a second, separate implementation of the file format, kept
deliberately plain; the C++ tests check that the game's coder produces the
same bytes. Run with --trace NAME to print every item of NAME's first block.

    python3 tests/tally/golden/make_golden.py [--trace NAME]
"""
import os
import random
import struct
import sys

PIECE = 32768


def hash3(x, y, z):
    return ((40543 * ((((x << 4) ^ y) << 4) ^ z)) >> 4) & 0x0FFF


def code_piece(piece, trace=None):
    size = len(piece)
    data = piece + b"\0\0"
    out = bytearray([0x40, 0, 0])
    control_at, control, items = 1, 0, 0
    table = [None] * 4096
    p = 0
    while p < size and len(out) <= size:
        if items == 16:
            out[control_at:control_at + 2] = bytes([control >> 8, control & 0xFF])
            control_at = len(out)
            out += b"\0\0"
            control, items = 0, 0
        k = 1
        while k < 4095 and p + k < size and data[p + k] == data[p]:
            k += 1
        if k >= 16:
            out += bytes([0, (k - 16) >> 8, (k - 16) & 0xFF, data[p]])
            if trace is not None:
                trace.append("p=%d run of %d x %r" % (p, k, bytes([data[p]])))
            p += k
            control = (control << 1) | 1
        else:
            h = hash3(data[p], data[p + 1], data[p + 2])
            q = table[h]
            table[h] = p
            length = 0
            if q is not None and p - q < 4096:
                while length < 18 and p + length < size and data[q + length] == data[p + length]:
                    length += 1
            if length >= 3:
                value = (p - q) * 16 + (length - 3)
                out += bytes([value >> 8, value & 0xFF])
                if trace is not None:
                    trace.append("p=%d hash %03x copy %d back, %d bytes %r"
                                 % (p, h, p - q, length, data[p:p + length]))
                p += length
                control = (control << 1) | 1
            else:
                out.append(data[p])
                if trace is not None:
                    trace.append("p=%d hash %03x (was %s) literal %r"
                                 % (p, h, q, bytes([data[p]])))
                p += 1
                control = control << 1
        items += 1
    control = (control << (16 - items)) & 0xFFFF
    out[control_at:control_at + 2] = bytes([control >> 8, control & 0xFF])
    if len(out) > size:
        return b"\x80" + piece
    return bytes(out)


def compress(text, trace=None):
    out = bytearray(b"WRZL" + struct.pack("<I", len(text)))
    at = 0
    while True:
        piece = text[at:at + PIECE]
        at += len(piece)
        block = code_piece(piece, trace if at <= PIECE else None)
        out += struct.pack("<H", len(block)) + block
        if len(piece) < PIECE:
            return bytes(out)


def grid_text(rows):
    lines = ["10", str(len(rows))]
    for column in range(10):
        lines += [row[column] for row in rows]
    return "".join(line + "\r\n" for line in lines).encode("utf-8")


def tallies():
    fresh = [["0"] * 10]
    three = [
        ["0", "37", "12", "STRANGEST", "9", "QUEST", "75", "412", "90 secs-9 Words", "185"],
        ["Bob", "20", "7", "9", "4", "3", "1", "2", "0", "0"],
        ["Mary Ann", "11", "5", "3", "3", "0", "0", "0", "0", "0"],
        ["Zoë", "6", "0", "6", "0", "6", "0", "6", "0", "0"],
    ]
    rng = random.Random(20240611)
    many = [["0", "3000", "1234", "CHARMINGLY", "10", "QUICKEST", "90", "24581",
             "120 secs-14 Words", "610"]]
    for n in range(2000):
        games = rng.randint(0, 400)
        his = rng.randint(0, games)
        mine = rng.randint(0, games - his)
        session = rng.randint(0, min(games, 9))
        many.append(["Player%04d" % n, str(games), str(his), str(mine),
                     str(games - his - mine), str(session), "0", str(session), "0", "0"])
    return {"fresh": fresh, "three_opponents": three, "many_opponents": many}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    trace_name = sys.argv[2] if len(sys.argv) > 2 and sys.argv[1] == "--trace" else None
    for name, rows in tallies().items():
        text = grid_text(rows)
        trace = [] if name == trace_name else None
        packed = compress(text, trace)
        if trace is not None:
            print("\n".join(trace))
            print(packed.hex(" "))
            continue
        with open(os.path.join(here, name + ".txt"), "wb") as f:
            f.write(text)
        with open(os.path.join(here, name + ".tld"), "wb") as f:
            f.write(packed)
        print("%s: %d bytes of text, %d bytes packed" % (name, len(text), len(packed)))


if __name__ == "__main__":
    main()

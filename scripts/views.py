#!/usr/bin/env python3
"""Helpers of scripts/reference-views.sh (standard library only).

views.py camera TRACE FRAME PLAYER DX,DY,DZ ROLL,PITCH,YAW
    prints a --camera value: the eye at the player's position in the trace's
    frame FRAME plus (DX, DY, DZ), with the given angles.
views.py montage OUT.png A.png B.png C.png D.png
    writes the four pictures (all of one size) as a 2 x 2 sheet: A B over C D.
"""
import json
import struct
import sys
import zlib


def camera(trace, frame, player, offset, angles):
    for line in open(trace):
        record = json.loads(line)
        if record["frame"] == int(frame):
            p = record["players"][int(player)]["position"]
            d = [float(v) for v in offset.split(",")]
            eye = [p[k] + d[k] for k in range(3)]
            return ",".join("%.2f" % v for v in eye) + "," + angles
    sys.exit("views.py: no frame %s in %s" % (frame, trace))


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("views.py: %s is not a PNG" % path)
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                sys.exit("views.py: %s is not 8-bit RGB(A)" % path)
            size = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * size, [], bytearray(width * size)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for x in range(stride):
            a = row[x - size] if x >= size else 0
            b, c = prev[x], prev[x - size] if x >= size else 0
            if kind == 1:
                row[x] = (row[x] + a) & 255
            elif kind == 2:
                row[x] = (row[x] + b) & 255
            elif kind == 3:
                row[x] = (row[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[x] = (row[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(row[x] for x in range(stride) if x % size < 3))
        prev = row
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def montage(out, paths):
    pictures = [read_png(p) for p in paths]
    width, height = pictures[0][0], pictures[0][1]
    if any(p[:2] != (width, height) for p in pictures):
        sys.exit("views.py: the pictures differ in size")
    rows = [pictures[2 * (y // height)][2][y % height] + pictures[2 * (y // height) + 1][2][y % height]
            for y in range(2 * height)]
    write_png(out, 2 * width, 2 * height, rows)


if __name__ == "__main__":
    if len(sys.argv) == 7 and sys.argv[1] == "camera":
        print(camera(*sys.argv[2:]))
    elif len(sys.argv) == 7 and sys.argv[1] == "montage":
        montage(sys.argv[2], sys.argv[3:])
    else:
        sys.exit(__doc__)

#!/usr/bin/env python3
"""Writes small files that claim or demand far more than they hold, for hostile_input.sh.

usage: hostile_files.py DIR
Each image is written with the size its header claims computed here, never by the program under
test; the big bitmap is a sparse file, so it takes no disk space.
"""
import os
import random
import struct
import sys
import zlib


def png(path, width, height, rows=None):
    """An RGBA PNG of zero pixels; rows limits the rows whose data is written (None: all)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    compressor = zlib.compressobj(9)
    row = b"\0" * (1 + 4 * width)
    body = []
    for _ in range(height if rows is None else rows):
        body.append(compressor.compress(row))
    body.append(compressor.flush())
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", b"".join(body)))
        f.write(chunk(b"IEND", b""))


def bitmap32(path, width, height):
    """A 32-bit uncompressed bitmap of zero pixels, complete but sparse."""
    size = 54 + width * height * 4
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", size, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, width * height * 4, 0, 0, 0, 0))
        f.truncate(size)


def tga(path, width, height, keep):
    """An uncompressed 24-bit TGA cut to its first keep bytes."""
    data = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 24, 0)
    data += bytes((x * 7 + y * 3) & 255 for y in range(height) for x in range(width * 3))
    with open(path, "wb") as f:
        f.write(data[:keep])
    return len(data)


def lying_jpeg(source, path, width, height):
    """The JPEG source with the size of its frame header replaced."""
    data = bytearray(open(source, "rb").read())
    at = 2
    while at + 4 <= len(data):
        marker, length = data[at + 1], struct.unpack(">H", data[at + 2:at + 4])[0]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            struct.pack_into(">HH", data, at + 5, height, width)
            break
        at += 2 + length
    else:
        sys.exit("hostile_files: no frame header in " + source)
    open(path, "wb").write(data)


def model(path, faces, texture=None, materials=1):
    """A one-object model with three vertices; every material names texture when it is given."""
    with open(path, "w") as f:
        f.write("Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0 0 1500\n}\n")
        f.write("Material %d {\n" % materials)
        for i in range(materials):
            tex = ' tex("%s")' % texture if texture else ""
            f.write('\t"m%d" col(1 1 1 1) dif(0.8) amb(0.6) emi(0) spc(0) power(5)%s\n' % (i, tex))
        f.write("}\n")
        f.write('Object "obj1" {\n\tvisible 15\n\tcolor 1 1 1\n\tvertex 3 {\n')
        f.write("\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t}\n")
        f.write("\tface %d {\n" % len(faces))
        for face in faces:
            f.write("\t\t%s\n" % face)
        f.write("\t}\n}\nEof\n")


def tangled(path, faces, corners):
    """One object of faces polygons, each of corners vertices of its own placed at random."""
    rng = random.Random(3)
    with open(path, "w") as f:
        f.write("Metasequoia Document\nFormat Text Ver 1.0\n\nObject \"o\" {\n")
        f.write("\tvertex %d {\n" % (faces * corners))
        for _ in range(faces * corners):
            f.write("\t\t%.2f %.2f 0\n" % (rng.random() * 1000, rng.random() * 1000))
        f.write("\t}\n\tface %d {\n" % faces)
        for k in range(faces):
            f.write("\t\t%d V(%s)\n" % (corners, " ".join(str(k * corners + i) for i in range(corners))))
        f.write("\t}\n}\nEof\n")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    p = lambda name: os.path.join(out, name)
    triangle = "3 V(0 1 2) M(0) UV(0 0 1 0 0 1)"
    # One PNG of 260 KB that decodes to 16384x4096 (256 MB), named by ten materials.
    png(p("wide.png"), 16384, 4096)
    model(p("wide10.mqo"), [triangle], "wide.png", materials=10)
    # The same picture with the data of 64 of its rows only: its header lies.
    png(p("short.png"), 16384, 4096, rows=64)
    model(p("short.mqo"), [triangle], "short.png")
    # A complete 16384x16384 32-bit bitmap: 1 GB of pixels.
    bitmap32(p("huge.bmp"), 16384, 16384)
    model(p("huge.mqo"), [triangle], "huge.bmp")
    # A TGA cut to 5000 of its 12306 bytes.
    whole = tga(p("cut.tga"), 64, 64, 5000)
    assert whole == 12306
    model(p("cut.mqo"), [triangle], "cut.tga")
    # One face of 64000 corners over the three vertices.
    model(p("corners.mqo"), ["64000 V(%s)" % " ".join(str(k % 3) for k in range(64000))])
    # 50 faces of 300 corners at random (400 KB): each crosses itself thousands of times.
    tangled(p("tangled.mqo"), 50, 300)
    if len(sys.argv) > 2:  # a small JPEG to lie about
        lying_jpeg(sys.argv[2], p("lying.jpg"), 8000, 8000)
        model(p("lying.mqo"), [triangle], "lying.jpg")


if __name__ == "__main__":
    main()

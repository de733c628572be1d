"""Writes a small valid SWF movie: header, one background colour, one frame.

Usage: make_sample_swf.py OUT.swf [TITLE] [--actions TEXT...] [--abc TEXT...]

A different title gives a different file, so the demo's movies can be told apart.
--actions gives the movie frame actions (ActionScript 1/2) that name each TEXT
from a constant pool, as a movie that loads its settings or another movie does;
--abc gives it an ActionScript 3 block whose string constants are the TEXTs.
"""
import argparse
import struct


def rect_bits(xmin, xmax, ymin, ymax, nbits=15):
    """The SWF RECT record: 5-bit field size, then four signed fields."""
    bits = format(nbits, "05b")
    for v in (xmin, xmax, ymin, ymax):
        bits += format(v & ((1 << nbits) - 1), "0{}b".format(nbits))
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def tag(code, body):
    if len(body) < 63:
        return struct.pack("<H", (code << 6) | len(body)) + body
    return struct.pack("<HI", (code << 6) | 0x3F, len(body)) + body


def do_action(texts):
    """DoAction: a constant pool of the texts, each pushed from it, then the end."""
    pool = b"".join(t.encode() + b"\0" for t in texts)
    pool = struct.pack("<H", len(texts)) + pool
    code = bytes((0x88,)) + struct.pack("<H", len(pool)) + pool
    for i in range(len(texts)):
        code += bytes((0x96,)) + struct.pack("<HBB", 2, 8, i)   # push constant i
        code += bytes((0x17,))                                  # pop
    return tag(12, code + b"\0")


def u30(n):
    out = b""
    while True:
        byte = n & 0x7F
        n >>= 7
        out += bytes((byte | (0x80 if n else 0),))
        if not n:
            return out


def do_abc(texts):
    """DoABC: an ABC block with no code whose string pool holds the texts."""
    abc = struct.pack("<HH", 16, 46) + u30(0) + u30(0) + u30(0)   # no ints, uints, doubles
    abc += u30(len(texts) + 1) + b"".join(u30(len(t.encode())) + t.encode() for t in texts)
    abc += u30(0) * 8   # namespaces, sets, names, methods, metadata, classes, scripts, bodies
    return tag(82, struct.pack("<I", 1) + b"demo\0" + abc)


def main():
    args = argparse.ArgumentParser()
    args.add_argument("out")
    args.add_argument("title", nargs="?", default="Vendrake sample movie")
    args.add_argument("--actions", nargs="*", default=[])
    args.add_argument("--abc", nargs="*", default=[])
    a = args.parse_args()
    twips = 20
    body = rect_bits(0, 400 * twips, 0, 300 * twips)
    body += struct.pack("<HH", 12 << 8, 1)              # 12 frames a second, one frame
    body += tag(9, bytes((0x33, 0x66, 0xCC)))            # SetBackgroundColor
    # Some payload so the file is not trivially small: a metadata-like text.
    body += tag(77, ("<rdf:RDF><rdf:Description title='" + a.title + "'/>"
                     "</rdf:RDF>" + " " * 200).encode())
    if a.abc:
        body += do_abc(a.abc)
    if a.actions:
        body += do_action(a.actions)
    body += tag(1, b"")                                   # ShowFrame
    body += tag(0, b"")                                   # End
    movie = b"FWS" + bytes((6,)) + struct.pack("<I", 8 + len(body)) + body
    with open(a.out, "wb") as f:
        f.write(movie)


if __name__ == "__main__":
    main()

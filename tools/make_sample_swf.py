"""Writes a small valid SWF movie: header, one background colour, one frame.

Usage: make_sample_swf.py OUT.swf [TITLE]

A different title gives a different file, so the demo's movies can be told apart.
"""
import struct
import sys


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


def main():
    twips = 20
    body = rect_bits(0, 400 * twips, 0, 300 * twips)
    body += struct.pack("<HH", 12 << 8, 1)              # 12 frames a second, one frame
    body += tag(9, bytes((0x33, 0x66, 0xCC)))            # SetBackgroundColor
    # Some payload so the file is not trivially small: a metadata-like text.
    title = sys.argv[2] if len(sys.argv) > 2 else "Vendrake sample movie"
    body += tag(77, ("<rdf:RDF><rdf:Description title='" + title + "'/>"
                     "</rdf:RDF>" + " " * 200).encode())
    body += tag(1, b"")                                   # ShowFrame
    body += tag(0, b"")                                   # End
    movie = b"FWS" + bytes((6,)) + struct.pack("<I", 8 + len(body)) + body
    with open(sys.argv[1], "wb") as f:
        f.write(movie)


if __name__ == "__main__":
    main()

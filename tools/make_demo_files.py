"""Writes the files the demo's movie loads while it plays: its settings, a
picture the second movie shows and the video its FlashVars name.

Usage: make_demo_files.py DEMO_FOLDER
"""
import os
import struct
import sys
import zlib


def png(width, height, rgb):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def flv():
    """An FLV header and one empty script tag: enough for a file a player opens."""
    return b"FLV\x01\x01" + struct.pack(">I", 9) + struct.pack(">I", 0) + \
        bytes((18,)) + (0).to_bytes(3, "big") + (0).to_bytes(3, "big") + b"\0" + (0).to_bytes(3, "big") + \
        struct.pack(">I", 11)


def main():
    root = sys.argv[1]
    files = {
        "settings.xml": b'<?xml version="1.0" encoding="utf-8"?>\n<settings title="Vendrake demo" speed="3"/>\n',
        "images/photo.png": png(16, 12, (51, 102, 204)),
        "movies/videos/intro.flv": flv(),
    }
    for path, data in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()

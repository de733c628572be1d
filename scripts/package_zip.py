"""Zips one staged package folder and checks what it holds.

Usage: package_zip.py STAGE ZIP DEBUGDIR
The zip holds STAGE's files under one folder of STAGE's name. Each program
(.exe, .dll) must carry no debug sections and a .gnu_debuglink that names its
file in DEBUGDIR with that file's CRC-32; anything else ends with an error.
A text for the user (.txt, UTF-8 in the stage) goes in as Notepad opens it on
any Windows from 2000 on, whatever the system's code page: UTF-16 with a
byte-order mark and CRLF line ends.
"""
import os
import struct
import sys
import zipfile
import zlib


def sections(data):
    """The PE section headers as (name, raw offset, raw size)."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, = struct.unpack_from("<H", data, pe + 6)
    optional, = struct.unpack_from("<H", data, pe + 20)
    symbols, nsymbols = struct.unpack_from("<II", data, pe + 12)
    strings = symbols + 18 * nsymbols
    table = pe + 24 + optional
    out = []
    for i in range(count):
        raw = data[table + 40 * i: table + 40 * i + 8].rstrip(b"\0")
        if raw.startswith(b"/"):  # a long name lives in the string table
            off = strings + int(raw[1:])
            raw = data[off:data.index(b"\0", off)]
        size, offset = struct.unpack_from("<II", data, table + 40 * i + 16)
        out.append((raw.decode("ascii", "replace"), offset, size))
    return out


def check_program(path, debug_dir):
    data = open(path, "rb").read()
    secs = sections(data)
    debug = [n for n, _, _ in secs if n.startswith(".debug")]
    if debug:
        raise ValueError(f"{path} still carries {', '.join(debug)}")
    link = [(o, s) for n, o, s in secs if n == ".gnu_debuglink"]
    if not link:
        raise ValueError(f"{path} has no .gnu_debuglink")
    offset, size = link[0]
    body = data[offset:offset + size]
    name = body[:body.index(b"\0")].decode()
    crc_at = (len(name) + 1 + 3) & ~3
    crc, = struct.unpack_from("<I", body, crc_at)
    target = os.path.join(debug_dir, name)
    if os.path.basename(name) != name or not os.path.isfile(target):
        raise ValueError(f"{path} links to {name!r}, not a file beside it in {debug_dir}")
    actual = zlib.crc32(open(target, "rb").read()) & 0xFFFFFFFF
    if crc != actual:
        raise ValueError(f"{path} links to {name} with CRC {crc:08x}, the file has {actual:08x}")
    return len(data)


def windows_text(path):
    text = open(path, encoding="utf-8").read().replace("\r\n", "\n").replace("\n", "\r\n")
    return "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")


def main(stage, archive, debug_dir):
    top = os.path.basename(os.path.normpath(stage))
    names = sorted(os.listdir(stage))
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name in names:
            path = os.path.join(stage, name)
            if name.lower().endswith((".exe", ".dll")):
                size = check_program(path, debug_dir)
                print(f"package: {top}/{name} {size} bytes, debug information in {debug_dir}/{name}.debug")
            if name.lower().endswith(".txt"):
                z.writestr(f"{top}/{name}", windows_text(path))
            else:
                z.write(path, f"{top}/{name}")
    print(f"package: {archive} ({os.path.getsize(archive)} bytes)")


if __name__ == "__main__":
    try:
        main(*sys.argv[1:4])
    except (ValueError, OSError, IndexError, TypeError) as e:
        print(f"package: {e}", file=sys.stderr)
        sys.exit(1)

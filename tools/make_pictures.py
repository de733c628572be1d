"""Draws the program icon and the grab toolbar's three glyphs.

Usage: make_pictures.py OUTDIR
Writes Vendrake.ico (32 x 32 and 16 x 16, 32-bit) and glyph_save.bmp,
glyph_about.bmp, glyph_help.bmp (20 x 20, 16-bit colour, magenta background:
the toolbar draws the colour of the bottom-left pixel transparent).
"""
import os
import struct
import sys

MAGENTA = (255, 0, 255)


class Raster:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills x0..x1, y0..y1 inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(y0, y1 + 1):
            t = (y - y0) / max(1, y1 - y0)
            c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def polygon(self, pts, c):
        """Fills the polygon by the even-odd rule at pixel centres."""
        for y in range(self.h):
            for x in range(self.w):
                px, py = x + 0.5, y + 0.5
                inside = False
                j = len(pts) - 1
                for i in range(len(pts)):
                    xi, yi = pts[i]
                    xj, yj = pts[j]
                    if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                        inside = not inside
                    j = i
                if inside:
                    self.put(x, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, c)


def floppy():
    r = Raster(20, 20, MAGENTA)
    navy, blue, grey, white = (16, 40, 96), (40, 80, 170), (190, 196, 204), (250, 250, 250)
    r.polygon([(2, 2), (16, 2), (18, 4), (18, 18), (2, 18)], navy)
    r.polygon([(3, 3), (15.5, 3), (17, 4.5), (17, 17), (3, 17)], blue)
    r.rect(6, 3, 14, 8, grey)          # metal shutter
    r.rect(11, 4, 13, 7, navy)         # its window
    r.rect(5, 11, 15, 17, white)       # label
    for y in (13, 15):
        r.rect(6, y, 14, y, (150, 160, 190))
    return r


def window_list():
    r = Raster(20, 20, MAGENTA)
    frame, title, white, ink = (40, 60, 110), (60, 110, 200), (252, 252, 252), (30, 30, 30)
    r.rect(1, 2, 18, 17, frame)
    r.vgradient(2, 3, 17, 5, (110, 160, 240), title)
    r.rect(2, 6, 17, 16, white)
    r.rect(15, 3, 16, 4, white)         # close box
    for y in (8, 11, 14):
        r.rect(4, y, 5, y + 1, (220, 60, 40))   # bullet
        r.rect(7, y, 15, y, ink)                 # line of text
    return r


def arrow_help():
    r = Raster(20, 20, MAGENTA)
    black, white, blue = (0, 0, 0), (255, 255, 255), (30, 70, 200)
    arrow = [(1, 1), (1, 15), (4.5, 11.5), (7, 17), (9, 16), (6.5, 10.5), (11, 10.5)]
    r.polygon(arrow, black)
    inner = [(2, 3.5), (2, 12.8), (4.8, 10), (7.5, 15.6), (7.9, 15.4), (5.3, 9.6), (8.6, 9.6)]
    r.polygon(inner, white)
    # question mark
    q = [(12, 3), (13, 2), (16, 2), (17, 3), (17, 6), (15, 8), (15, 10), (14, 10), (14, 7), (16, 5.5),
         (16, 3.6), (15.4, 3), (13.6, 3), (13, 3.6), (13, 5), (12, 5)]
    r.polygon(q, blue)
    r.rect(14, 12, 15, 13, blue)
    return r


def icon(size):
    r = Raster(size, size, None)
    s = size / 32
    dark, light = (20, 60, 150), (70, 140, 235)
    # rounded square with a vertical gradient
    for y in range(size):
        t = y / (size - 1)
        c = tuple(round(a + (b - a) * t) for a, b in zip(light, dark))
        for x in range(size):
            rad = 6 * s
            cx = min(max(x + 0.5, rad), size - rad)
            cy = min(max(y + 0.5, rad), size - rad)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= rad * rad:
                r.px[y][x] = c
    # a film frame (the movie) and a red arrow grabbing it downward
    white, red = (250, 250, 250), (230, 50, 40)
    r.rect(round(6 * s), round(5 * s), round(25 * s), round(15 * s), white)
    r.rect(round(8 * s), round(7 * s), round(23 * s), round(13 * s), (40, 40, 60))
    r.polygon([(9 * s, 8 * s), (9 * s, 12 * s), (13 * s, 10 * s)], (255, 210, 60))
    r.polygon([(13 * s, 15 * s), (19 * s, 15 * s), (19 * s, 20 * s), (23 * s, 20 * s), (16 * s, 28 * s),
               (9 * s, 20 * s), (13 * s, 20 * s)], red)
    return r


def bmp16(r, path):
    """A bottom-up BI_RGB 5-5-5 bitmap."""
    row_bytes = (r.w * 2 + 3) & ~3
    data = bytearray()
    for y in range(r.h - 1, -1, -1):
        row = bytearray()
        for x in range(r.w):
            cr, cg, cb = r.px[y][x]
            row += struct.pack("<H", ((cr >> 3) << 10) | ((cg >> 3) << 5) | (cb >> 3))
        data += row + bytes(row_bytes - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, r.w, r.h, 1, 16, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)))
        f.write(header + data)


def ico(images, path):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for r in images:
        xor = bytearray()
        mask_row = ((r.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(r.h - 1, -1, -1):
            bits = 0
            row = bytearray(mask_row)
            for x in range(r.w):
                p = r.px[y][x]
                if p is None:
                    xor += bytes(4)
                    row[x // 8] |= 0x80 >> (x % 8)
                else:
                    xor += bytes((p[2], p[1], p[0], 255))
            mask += row
            del bits
        header = struct.pack("<IiiHHIIiiII", 40, r.w, r.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + xor + mask
        entries.append(struct.pack("<BBBBHHII", r.w, r.h, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    bmp16(floppy(), os.path.join(out, "glyph_save.bmp"))
    bmp16(window_list(), os.path.join(out, "glyph_about.bmp"))
    bmp16(arrow_help(), os.path.join(out, "glyph_help.bmp"))
    ico([icon(32), icon(16)], os.path.join(out, "Vendrake.ico"))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Regenerates Framehaul's images: banner.bmp (and banner150.bmp,
banner200.bmp for 150 % and 200 % displays), hand.cur, Framehaul.ico,
toolbar.ico and toolbar_hot.ico, next to this script.

Everything is drawn and encoded here in plain Python (no image libraries),
so a rerun gives the same bytes.  Shapes are signed distance
functions in pixel units (negative inside); edges get one pixel of
anti-aliasing from the distance itself.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


# ---------------------------------------------------------------- geometry

def rounded_box(x0, y0, x1, y1, r=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx + r, abs(y - cy) - hy + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sdf


def polygon(points):
    def sdf(x, y):
        best, inside = float("inf"), False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            ex, ey, wx, wy = bx - ax, by - ay, x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return sdf


class Canvas:
    """Premultiplied RGBA floats, 0..1."""

    def __init__(self, w, h, rgb=None):
        self.w, self.h = w, h
        fill = [c / 255 for c in rgb] + [1.0] if rgb else [0.0] * 4
        self.px = [list(fill) for _ in range(w * h)]

    def paint(self, x, y, rgb, alpha):
        if alpha <= 0:
            return
        p, k = self.px[y * self.w + x], 1 - alpha
        for i in range(3):
            p[i] = rgb[i] / 255 * alpha + p[i] * k
        p[3] = alpha + p[3] * k

    def fill(self, sdf, colour, grow=0.0):
        """colour is an (r, g, b) tuple or a function of (x, y) giving one."""
        for y in range(self.h):
            for x in range(self.w):
                a = min(1.0, max(0.0, 0.5 - sdf(x + 0.5, y + 0.5) + grow))
                if a > 0:
                    self.paint(x, y, colour(x, y) if callable(colour) else colour, a)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                r, g, b, a = other.px[y * other.w + x]
                if a > 0:
                    self.paint(ox + x, oy + y, [c / a * 255 for c in (r, g, b)], a)

    def rgba(self):
        """Straight (not premultiplied) 8-bit RGBA tuples, row by row from the top."""
        out = []
        for r, g, b, a in self.px:
            s = 255 / a if a > 0 else 0
            out.append(tuple(min(255, round(v)) for v in (r * s, g * s, b * s, a * 255)))
        return out


def vertical(top, bottom, y0, y1):
    """A top-to-bottom gradient between two colours over rows y0..y1."""
    def colour(x, y):
        t = min(1.0, max(0.0, (y + 0.5 - y0) / max(1, y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


# ---------------------------------------------------------------- the logo

# A film frame with sprocket holes and an arrow dropping out of it: the
# program takes a video off the web and lands it on the disk.
PLAIN = dict(body=(24, 52, 104), body2=(40, 84, 150), screen=(96, 156, 220),
             screen2=(58, 112, 186), hole=(236, 242, 250),
             arrow=(255, 170, 40), arrow2=(236, 110, 16))
# The toolbar's resting icon is quieter so the hot one visibly lights up.
TOOLBAR = dict(body=(52, 66, 92), body2=(74, 92, 124), screen=(140, 164, 196),
               screen2=(108, 132, 168), hole=(230, 234, 240),
               arrow=(240, 170, 90), arrow2=(214, 126, 50))
HOT = dict(body=(16, 60, 150), body2=(30, 104, 210), screen=(110, 196, 255),
           screen2=(50, 140, 245), hole=(245, 250, 255),
           arrow=(255, 200, 40), arrow2=(255, 120, 0))


def logo(size, c):
    """The logo on a transparent square canvas, laid out on a 16-unit grid and
    snapped to whole pixels so the small sizes stay crisp."""
    u = size / 16
    q = lambda v: int(v * u + 0.5)
    mid, edge = size / 2, max(1.0, 0.75 * u)
    cv = Canvas(size, size)
    cv.fill(rounded_box(0, 0, size, q(9), 2 * u), vertical(c["body2"], c["body"], 0, q(9)))
    cv.fill(rounded_box(q(2), q(3), size - q(2), q(6), 0.5 * u),
            vertical(c["screen"], c["screen2"], q(3), q(6)))
    side = max(1, q(1))
    for x in (q(1), q(3)):  # sprocket holes, mirrored about the arrow
        for hx in (x, size - x - side):
            for y in (q(1), q(9) - q(1) - side):
                cv.fill(rounded_box(hx, y, hx + side, y + side, 0.3 * u), c["hole"])
    # The arrow leaves the frame through a short neck so its head reads as an
    # arrow and not as part of the frame.
    shaft, head, base = q(2), q(5), q(11)
    arrow = polygon([(mid - shaft, q(4)), (mid + shaft, q(4)), (mid + shaft, base),
                     (mid + head, base), (mid, size - edge), (mid - head, base),
                     (mid - shaft, base)])
    cv.fill(arrow, c["body"], grow=edge)
    cv.fill(arrow, vertical(c["arrow"], c["arrow2"], q(4), size))
    return cv


# ---------------------------------------------------------------- the banner

def hex_border_distance(x, y, radius):
    """Distance from (x, y) to the nearest edge of a pointy-top hexagon tiling."""
    sx, sy = math.sqrt(3) * radius, 3 * radius
    ax, ay = x % sx - sx / 2, y % sy - sy / 2
    bx, by = (x - sx / 2) % sx - sx / 2, (y - sy / 2) % sy - sy / 2
    if ax * ax + ay * ay > bx * bx + by * by:
        ax, ay = bx, by
    ax, ay = abs(ax), abs(ay)
    return sx / 2 - max(ax, ax / 2 + ay * math.sqrt(3) / 2)


def banner(scale=1.0):
    """The banner at a display scale: 480x60 at 100 %, drawn again (not
    stretched) at 150 % and 200 % so it stays sharp there."""
    s = lambda v: int(round(v * scale))
    w, h, background, line = s(480), s(60), (251, 252, 254), (196, 202, 212)
    cv = Canvas(w, h, background)
    for y in range(h):
        for x in range(w):
            # The program writes its slogan and links over the left side, so the
            # pattern only fades in towards the logo and the left stays plain.
            t = min(1.0, max(0.0, (x / scale - 140) / 260))
            strength = 0.55 * t * t * (3 - 2 * t)
            a = min(1.0, max(0.0, 1.0 - hex_border_distance(x + 0.5, y + 0.5, 9 * scale)))
            cv.paint(x, y, line, a * strength)
    cv.blit(logo(s(48), PLAIN), w - s(72), s(5))
    return cv


# ---------------------------------------------------------------- the cursor

# X is black, o is white, anything else shows the screen through.  The
# fingertip's top-left pixel is the hot spot.
HAND = """
......XX
.....XooX
.....XooX
.....XooX
.....XooX
.....XooXXX
.....XooXooXXX
.....XooXooXooXXX
.....XooXooXooXooX
.....XooXooXooXooX
.XX..XooXooXooXooX
XooX.XoooooooooooX
XoooXXoooooooooooX
.XoooXoooooooooooX
.XoooooooooooooooX
..XooooooooooooooX
..XoooooooooooooX
...XooooooooooooX
...XoooooooooooX
....XooooooooooX
....XooooooooooX
....XXXXXXXXXXXX
"""
HOTSPOT = (6, 0)


# ---------------------------------------------------------------- encoders

def quantise(colours, limit=256):
    """Median cut over the distinct colours: a palette of at most `limit`
    entries and the index of the nearest entry for every input colour."""
    counts = {}
    for c in colours:
        counts[c] = counts.get(c, 0) + 1
    boxes = [sorted(counts.items())]
    while len(boxes) < limit:
        def spread(box):
            return max(max(c[0][i] for c in box) - min(c[0][i] for c in box) for i in range(3))
        box = max((b for b in boxes if len(b) > 1), key=spread, default=None)
        if box is None or spread(box) == 0:
            break
        axis = max(range(3), key=lambda i: max(c[0][i] for c in box) - min(c[0][i] for c in box))
        box.sort(key=lambda c: (c[0][axis], c[0]))
        half, run, cut = sum(n for _, n in box) / 2, 0, 1
        for cut, (_, n) in enumerate(box[:-1], 1):
            run += n
            if run >= half:
                break
        boxes.remove(box)
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[i] * n for c, n in box) / total) for i in range(3)))
    nearest = {}
    for c in counts:
        nearest[c] = min(range(len(palette)),
                         key=lambda i: sum((a - b) ** 2 for a, b in zip(c, palette[i])))
    return palette, [nearest[c] for c in colours]


def rows_bottom_up(values, w, h, bits):
    """Packs pixel values into DIB rows (bottom row first, 4-byte aligned)."""
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row, acc, n = bytearray(), 0, 0
        for v in values[y * w:(y + 1) * w]:
            acc, n = (acc << bits) | v, n + bits
            if n == 8:
                row.append(acc)
                acc, n = 0, 0
        if n:
            row.append(acc << (8 - n))
        out += row + bytes(-len(row) % 4)
    return bytes(out)


def dib_header(w, h, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_size, 0, 0, colours, 0)


def palette_bytes(palette, entries):
    padded = list(palette) + [(0, 0, 0)] * (entries - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in padded)


def write_bmp(path, cv):
    palette, index = quantise([p[:3] for p in cv.rgba()])
    pixels = rows_bottom_up(index, cv.w, cv.h, 8)
    head = dib_header(cv.w, cv.h, 8, len(pixels), 256) + palette_bytes(palette, 256)
    offset = 14 + len(head)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + head + pixels)


def icon_image(cv, bits):
    """One ICO/CUR image: DIB header (double height for the mask), colours, mask."""
    rgba = cv.rgba()
    mask = rows_bottom_up([1 if a < 128 else 0 for *_, a in rgba], cv.w, cv.h, 1)
    if bits == 32:
        pixels = b"".join(struct.pack("<BBBB", b, g, r, a) for r, g, b, a in
                          (p if p[3] else (0, 0, 0, 0) for p in rgba))
        pixels = b"".join(pixels[(y * cv.w) * 4:(y + 1) * cv.w * 4] for y in range(cv.h - 1, -1, -1))
        colours = b""
    else:
        # Pixels outside the mask are black so they vanish under the XOR step.
        opaque = [p[:3] if p[3] >= 128 else (0, 0, 0) for p in rgba]
        if bits == 1:  # monochrome cursors must be exactly black and white
            palette = [(0, 0, 0), (255, 255, 255)]
            index = [1 if c == (255, 255, 255) else 0 for c in opaque]
        else:
            palette, index = quantise(opaque, 1 << bits)
        pixels, colours = rows_bottom_up(index, cv.w, cv.h, bits), palette_bytes(palette, 1 << bits)
    head = dib_header(cv.w, cv.h * 2, bits, len(pixels) + len(mask), 0)
    return head + colours + pixels + mask


def write_icon(path, images, kind=1, hotspot=None):
    """images: (canvas, bits) pairs.  kind 1 is an icon, 2 a cursor with one
    hot spot per image."""
    blobs = [icon_image(cv, bits) for cv, bits in images]
    out, offset = struct.pack("<HHH", 0, kind, len(blobs)), 6 + 16 * len(blobs)
    for i, ((cv, bits), blob) in enumerate(zip(images, blobs)):
        colours = 1 << bits if bits < 8 else 0
        planes, count = hotspot[i] if kind == 2 else (1, bits)
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, colours, 0,
                           planes, count, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def hand_cursor(scale=1):
    """The hand at 32, 48 or 64 pixels; pixel art, so each cell becomes a
    block of whole pixels (the 1.5 step alternates 1 and 2)."""
    size = int(32 * scale)
    edges = [int(i * scale + 0.5) for i in range(33)]
    cv = Canvas(size, size)
    for y, row in enumerate(HAND.strip("\n").splitlines()):
        for x, ch in enumerate(row):
            if ch in "Xo":
                for py in range(edges[y], edges[y + 1]):
                    for px in range(edges[x], edges[x + 1]):
                        cv.paint(px, py, (0, 0, 0) if ch == "X" else (255, 255, 255), 1.0)
    return cv


def main():
    write_bmp(os.path.join(HERE, "banner.bmp"), banner())
    write_bmp(os.path.join(HERE, "banner150.bmp"), banner(1.5))
    write_bmp(os.path.join(HERE, "banner200.bmp"), banner(2.0))
    write_icon(os.path.join(HERE, "hand.cur"),
               [(hand_cursor(k), 1) for k in (1, 1.5, 2)], kind=2,
               hotspot=[(int(HOTSPOT[0] * k), int(HOTSPOT[1] * k)) for k in (1, 1.5, 2)])
    write_icon(os.path.join(HERE, "Framehaul.ico"),
               [(logo(n, PLAIN), 32) for n in (16, 20, 24, 32, 40, 48, 64)])
    write_icon(os.path.join(HERE, "toolbar.ico"),
               [(logo(16, TOOLBAR), 8), (logo(24, TOOLBAR), 8)])
    write_icon(os.path.join(HERE, "toolbar_hot.ico"),
               [(logo(16, HOT), 8), (logo(24, HOT), 8)])


if __name__ == "__main__":
    main()

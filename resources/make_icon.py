#!/usr/bin/env python3
"""Generate the launcher icon (launcher.ico).

Usage: python3 make_icon.py OUTPUT_PATH

The emblem is drawn once, as analytic shapes, and sampled at every size the
icon carries; each sample is then encoded for its colour depth. Only the
standard library is used and no state is random, so the output is the same
bytes on every run and every machine.
"""
import math
import struct
import sys


def check(ok, what):
    # Not `assert`: these must hold even under python -O.
    if not ok:
        raise SystemExit('make_icon: ' + what)

# (width/height, bits per pixel) in directory order.
IMAGES = [(32, 1), (48, 4), (48, 8), (32, 8), (16, 8),
          (128, 32), (48, 32), (32, 32), (16, 32)]

# The directory we must produce, entry by entry: (size, colour-count byte,
# planes, bpp, image bytes, offset). build() refuses to write anything else.
EXPECTED = [(32, 2, 1, 1, 304, 150), (48, 16, 1, 4, 1640, 454),
            (48, 0, 1, 8, 3752, 2094), (32, 0, 1, 8, 2216, 5846),
            (16, 0, 1, 8, 1384, 8062), (128, 0, 1, 32, 67624, 9446),
            (48, 0, 1, 32, 9640, 77070), (32, 0, 1, 32, 4264, 86710),
            (16, 0, 1, 32, 1128, 90974)]
EXPECTED_TOTAL = 92102

SUPERSAMPLE = 6  # samples per pixel axis

TOP = (0.13, 0.24, 0.72)     # deep blue, upper left
BOTTOM = (0.42, 0.14, 0.66)  # violet, lower right
RIM = (0.80, 0.84, 1.00)
WHITE = (1.0, 1.0, 1.0)


# ---------------------------------------------------------------- drawing

def geometry(size):
    """Emblem measurements in pixels for one icon size.

    Strokes get relatively heavier as the icon shrinks and the K's stem is
    snapped to whole pixels at small sizes, so it stays crisp at 16x16.
    At 16x16 the rim would only be a blurred ring eating the K's room, so
    it is left out there.
    """
    s = float(size)
    g = {'c': s / 2.0, 'r': s * 0.48, 'rim': s * 0.035 if size > 16 else 0.0}
    half_h = s * 0.28 + 0.5
    top, bottom = g['c'] - half_h, g['c'] + half_h
    left, right = g['c'] - s * 0.2 - 0.6, g['c'] + s * 0.24 + 0.75
    sw = s * 0.13 + 0.9                      # stem width
    if size <= 32:
        top, bottom, left, sw = (math.floor(v + 0.5)
                                 for v in (top, bottom, left, sw))
    g['stem'] = (left, left + sw, top, bottom)
    # The arms meet just right of the stem, a little above the middle, so
    # the notch between them stays open even at 16x16.
    jx, jy = left + sw * 1.15, top + (bottom - top) * 0.52
    thick = sw * 0.78
    arms = []
    for ey in (top, bottom):
        dx, dy = right - jx, ey - jy
        half = 0.5 * thick * math.hypot(dx, dy) / abs(dy)
        ex = right - half                    # outer edge lands on `right`
        arms.append((jx, jy, ex, ey, half))
    g['arms'] = arms
    return g


def in_k(x, y, g):
    l, r, t, b = g['stem']
    if y < t or y > b:
        return False
    if l <= x <= r:
        return True
    for jx, jy, ex, ey, half in g['arms']:
        if min(jy, ey) <= y <= max(jy, ey):
            cx = jx + (ex - jx) * (y - jy) / (ey - jy)
            if abs(x - cx) <= half and x >= l:
                return True
    return False


def sample(x, y, g):
    """Colour (r, g, b) at a point, or None outside the emblem."""
    dx, dy = x - g['c'], y - g['c']
    d = math.sqrt(dx * dx + dy * dy)
    if d > g['r']:
        return None
    if d > g['r'] - g['rim']:
        return RIM
    if in_k(x, y, g):
        return WHITE
    # Diagonal gradient, slightly lifted towards the upper left for depth.
    span = 2.0 * g['r']
    t = ((dx + dy) / span + 0.7071) / 1.4142
    t = min(1.0, max(0.0, t))
    lift = 0.08 * max(0.0, 1.0 - d / g['r']) * (1.0 - t)
    return tuple(a + (b - a) * t + lift for a, b in zip(TOP, BOTTOM))


def render(size):
    """Rows (top first) of (r, g, b, a) floats, colour not premultiplied."""
    g = geometry(size)
    n = SUPERSAMPLE
    offs = [(i + 0.5) / n for i in range(n)]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for oy in offs:
                for ox in offs:
                    c = sample(px + ox, py + oy, g)
                    if c is not None:
                        hits += 1
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
            if hits:
                row.append((acc[0] / hits, acc[1] / hits, acc[2] / hits,
                            hits / float(n * n)))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- palettes

def to8(v):
    return max(0, min(255, int(v * 255.0 + 0.5)))


MONO = [(0, 0, 0), (255, 255, 255)]

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
       (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
       (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
       (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Plain nearest-colour matching sends the lighter blues to teal, so the
# 16-colour image is matched only against the colours that belong to the
# emblem: black, navy, purple, blue, the greys and white.
VGA_USED = (0, 4, 5, 7, 8, 12, 15)


def emblem_palette():
    """256 colours covering every blend the emblem makes: the background
    ramp, its steps towards white (edges of the K) and towards the rim
    colour, plus black, white and a few greys."""
    def ramp(n):
        return [[a + (b - a) * i / (n - 1.0) for a, b in zip(TOP, BOTTOM)]
                for i in range(n)]

    def mix(base, top, w):
        return tuple(to8(c + (d - c) * w) for c, d in zip(base, top))

    pal = [(0, 0, 0), (255, 255, 255), mix(RIM, RIM, 0)]
    pal += [(v, v, v) for v in (64, 128, 160, 192, 224)]
    # Paler blends need fewer hues: they converge on white.
    for w, hues in ((0.0, 40), (0.12, 36), (0.25, 32), (0.4, 28),
                    (0.55, 24), (0.7, 20), (0.85, 12), (0.93, 8)):
        pal += [mix(base, WHITE, w) for base in ramp(hues)]
    for w in (0.25, 0.5, 0.75):
        pal += [mix(base, RIM, w) for base in ramp(16)]
    check(len(pal) == len(set(pal)) == 256, 'palette is not 256 colours')
    return pal


EMBLEM = emblem_palette()


def nearest(pal, allowed=None):
    cache = {}
    allowed = range(len(pal)) if allowed is None else allowed

    def find(rgb):
        if rgb not in cache:
            r, g, b = rgb
            cache[rgb] = min(allowed, key=lambda i: (
                (pal[i][0] - r) ** 2 * 3 + (pal[i][1] - g) ** 2 * 4
                + (pal[i][2] - b) ** 2 * 2, i))
        return cache[rgb]
    return find


# ---------------------------------------------------------------- encoders

def pad4(b):
    return b + b'\0' * (-len(b) % 4)


def pack_bits(values, bpp):
    """Pack one row of palette indices, leftmost pixel in the high bits."""
    per = 8 // bpp
    out = bytearray()
    for i in range(0, len(values), per):
        byte = 0
        for k, v in enumerate(values[i:i + per]):
            byte |= v << (8 - bpp * (k + 1))
        out.append(byte)
    return bytes(out)


def encode(size, bpp, rows):
    """One DIB (header, colour table, XOR bitmap, AND mask) for the icon."""
    xor_rows, and_rows = [], []
    if bpp == 32:
        pal = []
        for row in rows:
            line = bytearray()
            mask = []
            for r, g, b, a in row:
                a8 = to8(a)
                if a8 == 0:
                    line += b'\0\0\0\0'
                else:
                    line += bytes((to8(b), to8(g), to8(r), a8))
                mask.append(1 if a8 == 0 else 0)
            xor_rows.append(bytes(line))
            and_rows.append(mask)
    else:
        pal = {1: MONO, 4: VGA, 8: EMBLEM}[bpp]
        find = nearest(pal, VGA_USED if bpp == 4 else None)
        for row in rows:
            idx, mask = [], []
            for r, g, b, a in row:
                # No partial transparency here: half-covered pixels are
                # kept, and transparent ones are index 0 (black) so the
                # screen shows through the XOR.
                if a < 0.5:
                    idx.append(0)
                    mask.append(1)
                    continue
                if bpp == 1:
                    lum = 0.299 * r + 0.587 * g + 0.114 * b
                    idx.append(1 if lum > 0.5 else 0)
                else:
                    idx.append(find((to8(r), to8(g), to8(b))))
                mask.append(0)
            xor_rows.append(pack_bits(idx, bpp))
            and_rows.append(mask)
    # DIBs are stored bottom-up.
    xor = b''.join(pad4(r) for r in reversed(xor_rows))
    andm = b''.join(pad4(pack_bits(m, 1)) for m in reversed(and_rows))
    check(len(xor) == ((size * bpp + 31) // 32) * 4 * size, 'XOR size')
    check(len(andm) == ((size + 31) // 32) * 4 * size, 'AND size')
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bpp, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in pal)
    check(len(table) == (4 << bpp if bpp <= 8 else 0), 'colour table size')
    return header + table + xor + andm


def build():
    cache = {}
    blobs = []
    for size, bpp in IMAGES:
        if size not in cache:
            cache[size] = render(size)
        blobs.append(encode(size, bpp, cache[size]))

    count = len(IMAGES)
    out = bytearray(struct.pack('<HHH', 0, 1, count))
    offset = 6 + 16 * count
    for (size, bpp), blob in zip(IMAGES, blobs):
        colours = 1 << bpp if bpp < 8 else 0
        out += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob

    # Read the result back rather than trusting the arithmetic above.
    check(len(out) == EXPECTED_TOTAL,
          'icon is %d bytes, expected %d' % (len(out), EXPECTED_TOTAL))
    check(struct.unpack_from('<HHH', out, 0) == (0, 1, len(EXPECTED)),
          'icon header')
    end = 6 + 16 * len(EXPECTED)
    for i, exp in enumerate(EXPECTED):
        w, h, colours, reserved, planes, bpp, n, off = struct.unpack_from(
            '<BBBBHHII', out, 6 + 16 * i)
        got = (w, colours, planes, bpp, n, off)
        check(got == exp and h == w and reserved == 0,
              'entry %d is %r, expected %r' % (i, got, exp))
        dib = struct.unpack_from('<IiiHHIIiiII', out, off)
        check(dib[:6] == (40, w, 2 * w, 1, bpp, 0) and dib[7:] == (0,) * 4
              and dib[6] == n - 40 - (4 << bpp if bpp <= 8 else 0),
              'entry %d has bitmap header %r' % (i, dib))
        check(off == end, 'entry %d does not follow the previous one' % i)
        end = off + n
    check(end == EXPECTED_TOTAL, 'last image ends at %d' % end)
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        raise SystemExit('usage: make_icon.py OUTPUT_PATH')
    data = build()
    with open(argv[1], 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main(sys.argv)

#!/usr/bin/env python3
"""Draws Epiloom's bitmaps and icons and writes them next to this script.

Run:  python3 resources/make_resources.py

Only the Python standard library is used, so anyone can regenerate the
images; the outputs are committed, so the build itself needs no image tools.
The output is deterministic: the same script always writes the same bytes.

Drawing model: every shape is a signed distance function (negative inside,
in pixels). A pixel's coverage is 0.5 - distance, clamped to 0..1, which gives
one pixel of anti-aliasing along every edge without supersampling. Shapes
are composited "over" a canvas of premultiplied RGBA floats.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The dialogs paint their background in this colour; the bitmaps use it too so
# that they sit on the window without a visible rectangle.
WINDOW_BG = (241, 245, 248)

# Palette of the program.
NAVY_TOP = (34, 70, 128)
NAVY_BOTTOM = (12, 30, 68)
BLUE = (30, 120, 215)
BLUE_LIGHT = (120, 190, 250)
ORANGE = (255, 148, 36)
WHITE = (255, 255, 255)


# --------------------------------------------------------------------------
# Canvas and shapes
# --------------------------------------------------------------------------

def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def lerp(c0, c1, t):
    t = clamp01(t)
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vgrad(c0, c1, y0, y1):
    """Colour function: c0 at y0 down to c1 at y1."""
    return lambda x, y: lerp(c0, c1, (y - y0) / (y1 - y0))


class Canvas:
    """Premultiplied RGBA pixels; colour 0..255, alpha 0..1."""

    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        base = [bg[0], bg[1], bg[2], 1.0] if bg else [0.0, 0.0, 0.0, 0.0]
        self.px = [list(base) for _ in range(w * h)]

    def paint(self, coverage, colour, opacity=1.0, box=None):
        """Composite `colour` (tuple or f(x, y)) weighted by coverage(x, y)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            cy = y + 0.5          # sample at pixel centres
            row = y * self.w
            for x in range(x0, x1):
                cx = x + 0.5
                a = coverage(cx, cy)
                if a <= 0.0:
                    continue
                a = min(a, 1.0) * opacity
                c = colour(cx, cy) if callable(colour) else colour
                p = self.px[row + x]
                k = 1.0 - a
                p[0] = c[0] * a + p[0] * k
                p[1] = c[1] * a + p[1] * k
                p[2] = c[2] * a + p[2] * k
                p[3] = a + p[3] * k

    def fill(self, sdf, colour, opacity=1.0, soft=1.0, box=None):
        """Fill a distance-function shape; `soft` widens the edge (shadows)."""
        self.paint(lambda x, y: clamp01(0.5 - sdf(x, y) / soft),
                   colour, opacity, box)

    def rgba(self, x, y):
        p = self.px[y * self.w + x]
        if p[3] <= 0.0:
            return (0, 0, 0, 0)
        to8 = lambda v: max(0, min(255, int(v / p[3] + 0.5)))
        return (to8(p[0]), to8(p[1]), to8(p[2]), max(0, min(255, int(p[3] * 255 + 0.5))))


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return d


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else clamp01(((px - ax) * dx + (py - ay) * dy) / ll)
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def segment(ax, ay, bx, by, width):
    """A straight stroke with round caps."""
    return lambda x, y: seg_dist(x, y, ax, ay, bx, by) - width / 2


def arc_dist(px, py, cx, cy, r, a0, a1):
    """Distance to the arc from angle a0 to a1 (degrees, a1 > a0, measured
    with atan2 in whatever orientation the caller's coordinates have)."""
    ang = math.degrees(math.atan2(py - cy, px - cx))
    if (ang - a0) % 360.0 <= a1 - a0:
        return abs(math.hypot(px - cx, py - cy) - r)
    ends = []
    for a in (a0, a1):
        ex, ey = cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a))
        ends.append(math.hypot(px - ex, py - ey))
    return min(ends)


def arc(cx, cy, r, a0, a1, width):
    return lambda x, y: arc_dist(x, y, cx, cy, r, a0, a1) - width / 2


def ellipse_ring(cx, cy, rx, ry, width):
    """Outline of an ellipse; first-order distance estimate, good for AA."""
    def d(x, y):
        dx, dy = (x - cx) / rx, (y - cy) / ry
        k = math.hypot(dx, dy)
        if k == 0:
            return min(rx, ry)
        grad = math.hypot(dx / rx, dy / ry) / k
        return abs(k - 1.0) / grad - width / 2
    return d


def polygon(points):
    """Convex polygon, either winding."""
    n = len(points)
    mx = sum(p[0] for p in points) / n
    my = sum(p[1] for p in points) / n
    edges = []
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        nx, ny = by - ay, ax - bx
        ln = math.hypot(nx, ny)
        nx, ny = nx / ln, ny / ln
        if (mx - ax) * nx + (my - ay) * ny > 0:   # make the normal point out
            nx, ny = -nx, -ny
        edges.append((ax, ay, nx, ny))
    return lambda x, y: max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def offset(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


# --------------------------------------------------------------------------
# Lettering
# --------------------------------------------------------------------------

# A rounded geometric stroke font for the logo word. Units: x-height 1,
# ascender 1.4, y up from the baseline. 'L' is a line, 'A' an arc
# (centre, radius, from-angle, to-angle counter-clockwise). The i has no dot:
# the banner draws it in the accent colour.
STROKE_GLYPHS = {
    'K': (0.84, [('L', 0, 0, 0, 1.4), ('L', 0.8, 1.4, 0.02, 0.58),
                 ('L', 0.34, 0.92, 0.84, 0)]),
    'e': (1.0, [('L', 0.02, 0.5, 1.0, 0.5), ('A', 0.5, 0.5, 0.5, 0, 318)]),
    's': (0.78, [('L', 0.3, 1.0, 0.76, 1.0), ('A', 0.3, 0.75, 0.25, 90, 270),
                 ('L', 0.3, 0.5, 0.5, 0.5), ('A', 0.5, 0.25, 0.25, -90, 90),
                 ('L', 0.5, 0, 0.02, 0)]),
    't': (0.62, [('L', 0.22, 1.32, 0.22, 0.28), ('A', 0.5, 0.28, 0.28, 180, 270),
                 ('L', 0.5, 0, 0.62, 0), ('L', 0, 1.0, 0.6, 1.0)]),
    'r': (0.62, [('L', 0, 0, 0, 1.0), ('A', 0.42, 0.56, 0.42, 62, 180)]),
    'i': (0.0, [('L', 0, 0, 0, 1.0)]),
    'x': (0.82, [('L', 0, 0, 0.82, 1.0), ('L', 0, 1.0, 0.82, 0)]),
}


def layout_word(text, gap):
    """Left edge (in font units) of each glyph's origin."""
    pos, u = [], 0.0
    for ch in text:
        pos.append(u)
        u += STROKE_GLYPHS[ch][0] + gap
    return pos, u - gap


def word_shape(text, scale, left, baseline, weight, slant, gap=0.44):
    """Distance function of `text` set in the stroke font, in pixels.

    The pixel is mapped back into font units (undoing scale and slant) and
    measured against the stroke centre lines there; slant is small enough
    that the distortion of the distance is negligible."""
    origins, _ = layout_word(text, gap)
    glyphs = [(u, STROKE_GLYPHS[ch]) for u, ch in zip(origins, text)]

    def d(x, y):
        v = (baseline - y) / scale
        u = (x - left) / scale - slant * v
        best = 1e9
        for gu, (adv, prims) in glyphs:
            if u < gu - 0.6 or u > gu + adv + 0.6:   # too far to matter
                continue
            lu = u - gu
            for p in prims:
                if p[0] == 'L':
                    best = min(best, seg_dist(lu, v, *p[1:]))
                else:
                    best = min(best, arc_dist(lu, v, *p[1:]))
        return best * scale - weight / 2
    return d, origins


# A 5 x 7 pixel font for small capitals, crisp at 1:1.
PIXEL_FONT = {
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'V': ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'N': ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    'C': [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'K': ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    ' ': ["....."] * 7,
}


def draw_pixel_text(canvas, text, left, top, colour, tracking=2):
    for i, ch in enumerate(text):
        for row, bits in enumerate(PIXEL_FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == '#':
                    x, y = left + i * (5 + tracking) + col, top + row
                    canvas.paint(lambda *_: 1.0, colour, box=(x, y, x + 1, y + 1))


def pixel_text_width(text, tracking=2):
    return len(text) * (5 + tracking) - tracking


# --------------------------------------------------------------------------
# The images
# --------------------------------------------------------------------------

def draw_banner():
    """Kestrix site banner: navy panel, slanted white word, orange thread."""
    w, h = 285, 116
    c = Canvas(w, h, WINDOW_BG)
    panel = rounded_rect(2, 2, w - 2, h - 2, 12)
    c.fill(offset(panel, 0, 1.5), (150, 165, 185), opacity=0.5, soft=3)   # drop shadow
    c.fill(panel, vgrad(NAVY_TOP, NAVY_BOTTOM, 2, h - 2))
    # A soft sheen over the top half gives the panel some depth.
    c.fill(intersect(panel, rounded_rect(-20, -60, w + 20, 44, 60)), WHITE, opacity=0.07)
    c.fill(subtract(panel, offset(panel, 0, 1)), WHITE, opacity=0.18)     # top rim light

    # The word, centred, with the letters' stroke weight one quarter of x-height.
    scale, weight, slant, baseline = 31.0, 8.5, 0.12, 72.0
    _, width_units = layout_word("Kestrix", 0.44)
    left = (w - width_units * scale - slant * 1.4 * scale) / 2 + 2
    word, origins = word_shape("Kestrix", scale, left, baseline, weight, slant)
    box = (8, 10, w - 8, baseline + 10)
    c.fill(offset(word, 1.5, 2.5), (0, 8, 30), opacity=0.55, soft=2.5, box=box)
    c.fill(word, vgrad(WHITE, (196, 220, 248), baseline - 44, baseline), box=box)

    # The dot of the i is the accent: an orange "bead" on the thread.
    dot_v = 1.42
    dot_x = left + (origins[5] + slant * dot_v) * scale
    dot_y = baseline - dot_v * scale
    c.fill(circle(dot_x + 1.5, dot_y + 2.5, 5.4), (0, 8, 30), opacity=0.5, soft=2.5)
    c.fill(circle(dot_x, dot_y, 5.4), ORANGE)

    # A thread running under the word, the loom motif of the program's name.
    def thread(x, y):
        ty = baseline + 9 + 2.2 * math.sin((x - 14) / 22.0)
        fade = clamp01((x - 14) / 30) * clamp01((w - 14 - x) / 30)
        return clamp01(0.8 + 0.5 - abs(y - ty)) * fade      # 1.6 px line
    c.paint(thread, ORANGE, opacity=0.9, box=(10, baseline + 3, w - 10, baseline + 16))

    tagline = "TV TORRENT TRACKER"
    tx = (w - pixel_text_width(tagline)) // 2
    draw_pixel_text(c, tagline, tx, int(baseline) + 19, (160, 190, 228))
    return c


def draw_lang():
    """Language icon: a globe, blue oceans and green land under a light grid."""
    c = Canvas(24, 24, WINDOW_BG)
    cx, cy, r = 12.0, 12.0, 10.0
    c.fill(circle(cx + 0.6, cy + 0.9, r), (150, 165, 185), opacity=0.5, soft=1.5)
    ball = circle(cx, cy, r)
    # Lit from the top left.
    shade = lambda x, y: math.hypot(x - 8, y - 7) / 15
    c.fill(ball, lambda x, y: lerp((125, 200, 252), (22, 92, 190), shade(x, y)))
    # Two continents, roughly the Americas and Europe with Africa.
    land = union(circle(7.0, 7.5, 3.0), circle(9.0, 10.0, 2.2), circle(10.5, 14.5, 2.0),
                 circle(11.0, 17.5, 1.4), circle(16.0, 6.5, 2.0), circle(17.5, 11.5, 2.6),
                 circle(16.5, 15.5, 2.2), circle(19.0, 8.0, 1.8))
    c.fill(intersect(land, circle(cx, cy, r - 0.8)),
           lambda x, y: lerp((130, 215, 100), (40, 140, 50), shade(x, y)))
    grid = union(segment(cx - r, cy, cx + r, cy, 0.9),
                 arc(cx, cy + 20, 25.5, 180, 360, 0.9),      # northern parallel
                 arc(cx, cy - 20, 25.5, 0, 180, 0.9),        # southern parallel
                 segment(cx, cy - r, cx, cy + r, 0.9),
                 ellipse_ring(cx, cy, 5.0, r, 0.9))
    c.fill(intersect(grid, circle(cx, cy, r - 0.5)), WHITE, opacity=0.6)
    c.fill(ring(cx, cy, r - 0.4, 1.2), (18, 60, 130))
    return c


def draw_refresh():
    """Retry icon: a blue circular arrow turning clockwise."""
    c = Canvas(24, 24, WINDOW_BG)
    cx, cy, r, stroke = 12.0, 12.5, 7.0, 2.8
    end = 258.0                       # arrowhead angle (y down: clockwise)
    tail = -12.0
    colour = vgrad((60, 150, 235), (15, 85, 180), 4, 21)
    a = math.radians(end)
    ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)          # clockwise tangent
    nx, ny = math.cos(a), math.sin(a)            # outward normal
    head = polygon([(ex + nx * 4.6, ey + ny * 4.6), (ex - nx * 4.6, ey - ny * 4.6),
                    (ex + tx * 5.2, ey + ty * 5.2)])
    arrow = union(arc(cx, cy, r, tail, end + 2, stroke), head)
    c.fill(offset(arrow, 0.5, 0.8), (150, 165, 185), opacity=0.45, soft=1.5)
    c.fill(arrow, colour)
    return c


SPINNER_FRAMES = 31


def draw_spinner(frame):
    """One frame of the busy spinner: a comet-tailed arc on a faint track.
    Each frame turns it clockwise by 1/31 of a turn, so frame 30 leads back
    into frame 0 without a jump."""
    c = Canvas(32, 32, WINDOW_BG)
    cx = cy = 16.0
    r, width, sweep = 11.0, 3.6, 300.0
    c.fill(ring(cx, cy, r, width), (218, 227, 236))
    head = -90.0 + frame * 360.0 / SPINNER_FRAMES

    def comet(x, y):
        band = clamp01(0.5 - (abs(math.hypot(x - cx, y - cy) - r) - width / 2))
        if band <= 0:
            return 0.0
        behind = (head - math.degrees(math.atan2(y - cy, x - cx))) % 360.0
        fade = clamp01(1.0 - behind / sweep) ** 1.6 if behind <= sweep else 0.0
        # A round cap at the head so the bright end is not cut square.
        hx = cx + r * math.cos(math.radians(head))
        hy = cy + r * math.sin(math.radians(head))
        cap = clamp01(0.5 - (math.hypot(x - hx, y - hy) - width / 2))
        return max(band * fade, cap)
    c.paint(comet, BLUE)
    return c


LOADBAR_FRAMES = 10


def draw_loadbar(frame):
    """One frame of the endless progress bar: diagonal stripes in a rounded
    trough. The stripe period is 20 px and each frame moves them 2 px, so ten
    frames make exactly one period and the loop wraps seamlessly."""
    w, h = 220, 19
    c = Canvas(w, h, WINDOW_BG)
    trough = rounded_rect(0.5, 0.5, w - 0.5, h - 0.5, 6)
    c.fill(trough, (150, 168, 188))
    inner = rounded_rect(1.5, 1.5, w - 1.5, h - 1.5, 5)
    c.fill(inner, vgrad((40, 128, 220), (20, 92, 180), 2, h - 2))
    period, step = 20.0, 2.0

    def stripe(x, y):
        phase = (x + (h - y) - frame * step) % period
        dist = (abs(phase - period / 2) - period / 4) / math.sqrt(2)
        return clamp01(0.5 - dist) * clamp01(0.5 - inner(x, y))
    c.paint(stripe, BLUE_LIGHT, opacity=0.55)
    # Glassy highlight on the upper half, shade on the lower edge.
    c.fill(intersect(inner, lambda x, y: y - 8.5), WHITE, opacity=0.28)
    c.fill(intersect(inner, lambda x, y: (h - 3.5) - y), (0, 30, 80), opacity=0.18)
    return c


def draw_app_icon():
    """Window icon: a television with a play triangle and an orange thread."""
    c = Canvas(32, 32)
    antenna = union(segment(16, 8, 9.5, 2, 1.6), segment(16, 8, 22.5, 2, 1.6))
    c.fill(antenna, (60, 70, 90))
    c.fill(union(circle(9.5, 2, 1.6), circle(22.5, 2, 1.6)), ORANGE)
    feet = union(rounded_rect(7, 25, 12, 30.5, 1.2), rounded_rect(20, 25, 25, 30.5, 1.2))
    c.fill(feet, (45, 52, 70))
    body = rounded_rect(1, 7, 31, 28, 4.5)
    c.fill(body, vgrad((88, 100, 124), (38, 44, 60), 7, 28))
    screen = rounded_rect(4, 10, 28, 25, 2.5)
    c.fill(screen, vgrad((95, 180, 250), (18, 78, 170), 10, 25))
    c.fill(intersect(screen, lambda x, y: y - 15), WHITE, opacity=0.15)
    play = polygon([(13, 12.5), (13, 22.5), (21.5, 17.5)])
    c.fill(play, WHITE)

    def thread(x, y):
        ty = 23 + 1.3 * math.sin((x - 4) / 3.2)
        return clamp01(0.7 + 0.5 - abs(y - ty))
    c.paint(lambda x, y: thread(x, y) * clamp01(0.5 - screen(x, y)), ORANGE,
            opacity=0.95)
    c.fill(subtract(body, rounded_rect(1, 8, 31, 29, 4.5)), WHITE, opacity=0.25)
    return c


def draw_magnet_icon():
    """Shortcut icon for magnet links: a red horseshoe magnet, tilted so its
    poles point to the upper right, with a few sparks of field beyond them."""
    c = Canvas(32, 32)
    tilt = math.radians(-40.0)
    ct, st = math.cos(tilt), math.sin(tilt)
    px, py = 13.5, 18.0            # where the centre of the bend lands

    def placed(shape):
        # The magnet is drawn upright around (0, 0), the bend's centre.
        def d(x, y):
            dx, dy = x - px, y - py
            return shape(dx * ct - dy * st, dx * st + dy * ct)
        return d
    r, thick, top = 6.2, 6.2, -9.5
    half = thick / 2
    bend = arc(0, 0, r, 0, 180, thick)               # lower half (y down)
    legs = union(rounded_rect(-r - half, top, -r + half, 0.5, 0.8),
                 rounded_rect(r - half, top, r + half, 0.5, 0.8))
    body = union(bend, legs)
    magnet = placed(body)
    tips = placed(intersect(body, lambda x, y: y - (top + 4.0)))
    c.fill(offset(magnet, 0.6, 1.0), (0, 0, 0), opacity=0.3, soft=1.5)
    c.fill(lambda x, y: magnet(x, y) - 0.9, (112, 18, 22))             # outline
    c.fill(magnet, lambda x, y: lerp((250, 92, 80), (186, 24, 30), (x + y - 14) / 30))
    c.fill(tips, lambda x, y: lerp((252, 253, 255), (160, 168, 182), (x + y - 10) / 22))
    sparks = union(segment(22.5, 4.5, 24.5, 1.2, 1.4), segment(25.5, 7.5, 29.5, 5.5, 1.4),
                   segment(27.0, 11.5, 30.5, 12.0, 1.4))
    c.fill(sparks, ORANGE)
    return c


# --------------------------------------------------------------------------
# File formats
# --------------------------------------------------------------------------

def bmp_bytes(canvas, palette_8bit=False):
    """Windows BMP, BITMAPINFOHEADER, bottom-up rows padded to 4 bytes.
    24 bpp, or 8 bpp with a palette built from the image's own colours."""
    w, h = canvas.w, canvas.h
    pixels = [canvas.rgba(x, y)[:3] for y in range(h) for x in range(w)]
    if palette_8bit:
        palette, index = build_palette(pixels)
        stride = (w + 3) & ~3
        rows = [bytes(index[pixels[y * w + x]] for x in range(w)) + b"\0" * (stride - w)
                for y in range(h)]
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
        bpp, colours = 8, len(palette)
    else:
        stride = (w * 3 + 3) & ~3
        rows = [b"".join(struct.pack("<BBB", *pixels[y * w + x][::-1]) for x in range(w))
                + b"\0" * (stride - w * 3) for y in range(h)]
        pal, bpp, colours = b"", 24, 0
    data = b"".join(reversed(rows))                    # bottom-up
    offset_bits = 14 + 40 + len(pal)
    file_header = struct.pack("<2sIHHI", b"BM", offset_bits + len(data), 0, 0, offset_bits)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, len(data),
                       2835, 2835, colours, 0)         # 72 dpi
    return file_header + info + pal + data


def build_palette(pixels):
    """Exact palette when the image has at most 256 colours (the small icons
    do); otherwise coarser and coarser buckets, each represented by its most
    frequent exact colour so the background stays exact."""
    step = 1
    while True:
        buckets = {}
        for p in pixels:
            key = tuple(v // step for v in p)
            counts = buckets.setdefault(key, {})
            counts[p] = counts.get(p, 0) + 1
        if len(buckets) <= 256:
            break
        step *= 2
    palette = sorted(max(sorted(cs.items()), key=lambda kv: kv[1])[0]
                     for cs in buckets.values())
    where = {p: i for i, p in enumerate(palette)}
    index = {}
    for p in set(pixels):
        if p in where:
            index[p] = where[p]
        else:
            index[p] = min(range(len(palette)),
                           key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], p)))
    return palette, index


def ico_bytes(canvas):
    """A one-image .ICO: 32 bpp BGRA (straight alpha) plus the 1 bpp AND mask
    that older readers use, both bottom-up, image height doubled as usual."""
    w, h = canvas.w, canvas.h
    xor = b"".join(struct.pack("<BBBB", b, g, r, a)
                   for y in reversed(range(h)) for x in range(w)
                   for r, g, b, a in [canvas.rgba(x, y)])
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(h)):
        row = bytearray(mask_stride)
        for x in range(w):
            if canvas.rgba(x, y)[3] == 0:          # fully transparent
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask),
                       0, 0, 0, 0)
    image = info + xor + bytes(mask)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    write("Kestrix.bmp", bmp_bytes(draw_banner()))
    write("LANG.bmp", bmp_bytes(draw_lang(), palette_8bit=True))
    write("REFRESH.bmp", bmp_bytes(draw_refresh()))
    for i in range(SPINNER_FRAMES):
        write("LOADING%02d.bmp" % i, bmp_bytes(draw_spinner(i)))
    for i in range(LOADBAR_FRAMES):
        write("LOADBAR%02d.bmp" % i, bmp_bytes(draw_loadbar(i)))
    write("AICO.ico", ico_bytes(draw_app_icon()))
    write("BICO.ico", ico_bytes(draw_magnet_icon()))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws anchordesk's skin images, the camera placeholder and the program icon.

    python3 tools/skin/make_skin.py            # writes res/*.png and the icon
    python3 tools/skin/make_skin.py --check    # exit 1 if a committed file differs

Only the Python standard library is used: shapes are signed distance
functions, anti-aliased by their distance to the pixel centre, composited
"over" in floating point and written as 8-bit RGBA PNG (zlib + struct) or as
a 32-bit icon. The output is deterministic, so the committed files can be
checked against the generator.
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


# ---------------------------------------------------------------- colours ---

def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# ----------------------------------------------------------------- canvas ---

class Canvas:
    """Premultiplied RGBA floats, row-major, top row first."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, sdf, colour, bbox=None, opacity=1.0):
        """Composites a shape over the canvas.

        sdf(x, y) -> signed distance in pixels (negative inside);
        colour(x, y) -> (r, g, b) or (r, g, b, a), straight alpha.
        """
        x0, y0, x1, y1 = bbox or (0, 0, self.width, self.height)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        for y in range(y0, y1):
            cy = y + 0.5
            row = y * self.width
            for x in range(x0, x1):
                cx = x + 0.5
                coverage = 0.5 - sdf(cx, cy)
                if coverage <= 0.0:
                    continue
                if coverage > 1.0:
                    coverage = 1.0
                c = colour(cx, cy)
                a = (c[3] if len(c) == 4 else 1.0) * coverage * opacity
                p = self.px[row + x]
                keep = 1.0 - a
                p[0] = c[0] * a + p[0] * keep
                p[1] = c[1] * a + p[1] * keep
                p[2] = c[2] * a + p[2] * keep
                p[3] = a + p[3] * keep

    def fill(self, colour):
        self.paint(lambda x, y: -1.0, colour)

    def rgba_bytes(self):
        """Straight-alpha 8-bit rows."""
        out = []
        for y in range(self.height):
            row = bytearray()
            for x in range(self.width):
                r, g, b, a = self.px[y * self.width + x]
                if a > 0.0:
                    r, g, b = r / a, g / a, b / a
                row += bytes(int(round(max(0.0, min(1.0, v)) * 255)) for v in (r, g, b, a))
            out.append(bytes(row))
        return out


# ----------------------------------------------------- distance functions ---

def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_round_rect(x0, y0, x1, y1, radius):
    hx, hy = (x1 - x0) / 2.0, (y1 - y0) / 2.0
    cx, cy = x0 + hx, y0 + hy

    def sdf(x, y):
        qx = abs(x - cx) - hx + radius
        qy = abs(y - cy) - hy + radius
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return sdf


def d_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def d_arc(px, py, cx, cy, r, a0, a1):
    """Distance to a circular arc from a0 to a1 degrees, counter-clockwise
    with y pointing up (so on screen: angles measured from +x towards -y)."""
    dx, dy = px - cx, cy - py
    angle = math.degrees(math.atan2(dy, dx)) % 360.0
    span = (a1 - a0) % 360.0 or 360.0
    if (angle - a0) % 360.0 <= span:
        return abs(math.hypot(dx, dy) - r)
    ends = []
    for a in (a0, a1):
        ex = cx + r * math.cos(math.radians(a))
        ey = cy - r * math.sin(math.radians(a))
        ends.append(math.hypot(px - ex, py - ey))
    return min(ends)


def sd_strokes(strokes, width):
    """Union of stroked segments ("seg", ax, ay, bx, by) and arcs
    ("arc", cx, cy, r, a0, a1), in pixel coordinates."""
    half = width / 2.0

    def sdf(x, y):
        best = 1e9
        for s in strokes:
            if s[0] == "seg":
                d = d_segment(x, y, *s[1:])
            else:
                d = d_arc(x, y, *s[1:])
            if d < best:
                best = d
        return best - half
    return sdf


def strokes_bbox(strokes, margin):
    xs, ys = [], []
    for s in strokes:
        if s[0] == "seg":
            xs += [s[1], s[3]]
            ys += [s[2], s[4]]
        else:
            xs += [s[1] - s[3], s[1] + s[3]]
            ys += [s[2] - s[3], s[2] + s[3]]
    return (min(xs) - margin, min(ys) - margin, max(xs) + margin, max(ys) + margin)


# ------------------------------------------------------------ stroke font ---
# Lower-case letters drawn with round-ended strokes, in em units: baseline
# y = 0, x-height 1, ascenders to 1.45, descenders to -0.45, y pointing up.

def _bowl(cx=0.5):
    return [("arc", cx, 0.5, 0.5, 0, 360)]


GLYPHS = {
    "a": (1.0, _bowl() + [("seg", 1.0, 0.0, 1.0, 1.0)]),
    "c": (0.95, [("arc", 0.5, 0.5, 0.5, 50, 310)]),
    "d": (1.0, _bowl() + [("seg", 1.0, 0.0, 1.0, 1.45)]),
    "e": (1.0, [("seg", 0.0, 0.5, 1.0, 0.5), ("arc", 0.5, 0.5, 0.5, 0, 315)]),
    "h": (1.0, [("seg", 0.0, 0.0, 0.0, 1.45), ("arc", 0.5, 0.5, 0.5, 0, 180),
                ("seg", 1.0, 0.5, 1.0, 0.0)]),
    "k": (0.85, [("seg", 0.0, 0.0, 0.0, 1.45), ("seg", 0.0, 0.32, 0.78, 1.0),
                 ("seg", 0.3, 0.58, 0.85, 0.0)]),
    "l": (0.0, [("seg", 0.0, 0.0, 0.0, 1.45)]),
    "n": (1.0, [("seg", 0.0, 0.0, 0.0, 1.0), ("arc", 0.5, 0.5, 0.5, 0, 180),
                ("seg", 1.0, 0.5, 1.0, 0.0)]),
    "o": (1.0, _bowl()),
    "p": (1.0, _bowl() + [("seg", 0.0, 1.0, 0.0, -0.45)]),
    "r": (0.6, [("seg", 0.0, 0.0, 0.0, 1.0), ("arc", 0.6, 0.4, 0.6, 90, 180)]),
    "s": (0.78, [("arc", 0.39, 0.75, 0.25, 20, 270), ("arc", 0.39, 0.25, 0.25, 200, 90)]),
    "t": (0.6, [("seg", 0.22, 1.3, 0.22, 0.0), ("seg", 0.0, 1.0, 0.6, 1.0)]),
    "u": (1.0, [("seg", 0.0, 1.0, 0.0, 0.5), ("arc", 0.5, 0.5, 0.5, 180, 360),
                ("seg", 1.0, 1.0, 1.0, 0.0)]),
}
LETTER_GAP = 0.42


def text_width(text, size):
    return (sum(GLYPHS[ch][0] for ch in text) + LETTER_GAP * (len(text) - 1)) * size


def text_strokes(text, left, baseline, size):
    """Pixel-space strokes for `text` with x-height `size`."""
    out = []
    x = left
    for ch in text:
        advance, parts = GLYPHS[ch]
        for s in parts:
            if s[0] == "seg":
                out.append(("seg", x + s[1] * size, baseline - s[2] * size,
                            x + s[3] * size, baseline - s[4] * size))
            else:
                out.append(("arc", x + s[1] * size, baseline - s[2] * size, s[3] * size,
                            s[4], s[5]))
        x += (advance + LETTER_GAP) * size
    return out


def draw_text(canvas, text, centre_x, baseline, size, weight, colour):
    left = centre_x - text_width(text, size) / 2.0
    # Letters are drawn one by one: each pixel only looks at nearby strokes.
    x = left
    for ch in text:
        strokes = text_strokes(ch, x, baseline, size)
        canvas.paint(sd_strokes(strokes, weight), lambda *_: colour,
                     strokes_bbox(strokes, weight))
        x += (GLYPHS[ch][0] + LETTER_GAP) * size


# -------------------------------------------------------------- the marks ---

def broadcast_glyph(cx, cy, s):
    """A dot with two radio waves on each side; s is the scale (1 = 64 px mark)."""
    strokes = []
    for r in (10.0, 17.5):
        strokes.append(("arc", cx, cy, r * s, -42, 42))
        strokes.append(("arc", cx, cy, r * s, 138, 222))
    return strokes


def download_glyph(cx, cy, s):
    return [("seg", cx, cy - 11 * s, cx, cy + 5 * s),
            ("seg", cx - 7 * s, cy - 2 * s, cx, cy + 5 * s),
            ("seg", cx + 7 * s, cy - 2 * s, cx, cy + 5 * s),
            ("seg", cx - 11 * s, cy + 12 * s, cx + 11 * s, cy + 12 * s)]


MARK_TOP = hex_rgb("#4F8BFF")
MARK_BOTTOM = hex_rgb("#7B61FF")
WHITE = (1.0, 1.0, 1.0)
INK = hex_rgb("#2B3445")


def draw_mark(canvas, cx, cy, size, glyph, shadow=True):
    half = size / 2.0
    x0, y0, x1, y1 = cx - half, cy - half, cx + half, cy + half
    radius = size * 0.26
    if shadow:
        # A soft shadow below: the body moved down, fading out over `spread`.
        body = sd_round_rect(x0, y0 + size * 0.06, x1, y1 + size * 0.06, radius)
        spread = size * 0.14

        def shade(x, y):
            fade = 1.0 - max(0.0, body(x, y)) / spread
            return (0.17, 0.2, 0.35, 0.2 * fade * fade)
        canvas.paint(lambda x, y: body(x, y) - spread, shade,
                     (x0 - spread, y0 - spread, x1 + spread, y1 + spread * 2))
    canvas.paint(sd_round_rect(x0, y0, x1, y1, radius),
                 lambda x, y: mix(MARK_TOP, MARK_BOTTOM, ((x - x0) + (y - y0)) / (2.0 * size)),
                 (x0 - 1, y0 - 1, x1 + 1, y1 + 1))
    s = size / 64.0
    strokes = glyph(cx, cy, s)
    weight = max(1.6, 3.6 * s)
    canvas.paint(sd_strokes(strokes, weight), lambda *_: WHITE, strokes_bbox(strokes, weight))
    dot = max(1.5, 4.2 * s)
    if glyph is broadcast_glyph:
        canvas.paint(sd_circle(cx, cy, dot), lambda *_: WHITE, (cx - dot - 1, cy - dot - 1, cx + dot + 1, cy + dot + 1))


# ------------------------------------------------------------ backgrounds ---

BG_TOP = hex_rgb("#F8FBFF")
BG_BOTTOM = hex_rgb("#E3ECF8")


def light_background(width, height):
    canvas = Canvas(width, height)
    canvas.fill(lambda x, y: mix(BG_TOP, BG_BOTTOM, y / height))
    # Two soft discs give the plain gradient some depth.
    canvas.paint(sd_circle(width - 30, height + 10, 130), lambda *_: hex_rgb("#D6E2F5") + (0.55,))
    canvas.paint(sd_circle(width - 60, height + 40, 110), lambda *_: hex_rgb("#CBDAF2") + (0.45,))
    canvas.paint(sd_circle(-20, height - 20, 70), lambda *_: hex_rgb("#E9F0FB") + (0.8,))
    return canvas


def logo():
    canvas = light_background(360, 240)
    draw_mark(canvas, 180, 96, 72, broadcast_glyph)
    draw_text(canvas, "anchordesk", 180, 186, 17, 3.4, INK)
    return canvas


def update_background():
    canvas = light_background(360, 240)
    draw_mark(canvas, 180, 98, 56, download_glyph)
    return canvas


def placeholder():
    canvas = Canvas(640, 480)
    top, bottom = hex_rgb("#1B2440"), hex_rgb("#32205A")
    canvas.fill(lambda x, y: mix(top, bottom, (x / 640.0 + y / 480.0) / 2.0))
    canvas.paint(sd_circle(560, 470, 240), lambda *_: hex_rgb("#3B2B6E") + (0.35,))
    canvas.paint(sd_circle(60, 40, 170), lambda *_: hex_rgb("#26345E") + (0.45,))
    draw_mark(canvas, 320, 196, 144, broadcast_glyph, shadow=False)
    draw_text(canvas, "anchordesk", 320, 352, 34, 6.2, (0.93, 0.95, 1.0))
    return canvas


# --------------------------------------------------------- window buttons ---

def round_button(kind, state):
    """35 × 35 hide or close button with soft alpha edges."""
    canvas = Canvas(35, 35)
    cx, cy = 17.5, 17.5
    if kind == "min":
        disc = {"normal": ("#FFFFFF", 0.6), "hover": ("#DCE6F5", 0.95), "press": ("#C3D2EA", 1.0)}
        ink = {"normal": "#4A5568", "hover": "#2B3445", "press": "#1F2937"}
    else:
        disc = {"normal": ("#FFFFFF", 0.6), "hover": ("#E5484D", 0.95), "press": ("#C62F34", 1.0)}
        ink = {"normal": "#4A5568", "hover": "#FFFFFF", "press": "#FFFFFF"}
    colour, alpha = disc[state]
    if alpha > 0:
        canvas.paint(sd_circle(cx, cy, 14.0), lambda *_: hex_rgb(colour) + (alpha,))
    dy = 1.0 if state == "press" else 0.0
    if kind == "min":
        strokes = [("seg", cx - 6, cy + dy, cx + 6, cy + dy)]
    else:
        strokes = [("seg", cx - 5.5, cy - 5.5 + dy, cx + 5.5, cy + 5.5 + dy),
                   ("seg", cx - 5.5, cy + 5.5 + dy, cx + 5.5, cy - 5.5 + dy)]
    canvas.paint(sd_strokes(strokes, 2.2), lambda *_: hex_rgb(ink[state]))
    return canvas


# --------------------------------------------------------- update buttons ---

def pill_button(kind, state):
    """139 × 46 update / no-update button."""
    canvas = Canvas(139, 46)
    x0, y0, x1, y1 = 1.0, 1.0, 138.0, 45.0
    dy = 1.0 if state == "click" else 0.0
    if kind == "update":
        shades = {"nor": ("#3B82F6", "#2563EB"), "float": ("#5B9BFF", "#3B7BF0"),
                  "click": ("#2457D6", "#1D46B0")}
        top, bottom = (hex_rgb(c) for c in shades[state])
        canvas.paint(sd_round_rect(x0, y0, x1, y1, 9.0),
                     lambda x, y: mix(top, bottom, (y - y0) / (y1 - y0)))
        ink = WHITE
        label = "update"
    else:
        fills = {"nor": ("#FFFFFF", "#C7D2E3"), "float": ("#F1F5FB", "#9FB3D1"),
                 "click": ("#E2E9F4", "#8AA0C4")}
        fill, border = (hex_rgb(c) for c in fills[state])
        canvas.paint(sd_round_rect(x0, y0, x1, y1, 9.0), lambda *_: border)
        canvas.paint(sd_round_rect(x0 + 1.3, y0 + 1.3, x1 - 1.3, y1 - 1.3, 7.7), lambda *_: fill)
        ink = hex_rgb("#4A5568")
        label = "later"
    size, weight = 10.5, 2.1
    icon = 18.0 if kind == "update" else 0.0
    gap = 8.0 if icon else 0.0
    total = icon + gap + text_width(label, size)
    left = 69.5 - total / 2.0
    baseline = 23.0 + size / 2.0 + dy
    if icon:
        strokes = download_glyph(left + icon / 2.0, 23.0 + dy, 0.62)
        canvas.paint(sd_strokes(strokes, 2.1), lambda *_: ink, strokes_bbox(strokes, 3))
    draw_text(canvas, label, left + icon + gap + text_width(label, size) / 2.0, baseline,
              size, weight, ink)
    return canvas


# ------------------------------------------------------------- file forms ---

def png_bytes(canvas, alpha=True):
    rows = canvas.rgba_bytes()
    raw = bytearray()
    for row in rows:
        raw.append(0)
        if alpha:
            raw += row
        else:
            raw += bytes(b for i, b in enumerate(row) if i % 4 != 3)

    def chunk(kind, body):
        data = kind + body
        return struct.pack(">I", len(body)) + data + struct.pack(">I", zlib.crc32(data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico_bytes(canvases):
    """A 32-bit icon with one BMP-form image per canvas."""
    images = []
    for c in canvases:
        rows = c.rgba_bytes()
        xor = bytearray()
        for row in reversed(rows):  # bottom-up
            for i in range(0, len(row), 4):
                r, g, b, a = row[i:i + 4]
                xor += bytes((b, g, r, a))
        mask_row = ((c.width + 31) // 32) * 4
        header = struct.pack("<IiiHHIIiiII", 40, c.width, c.height * 2, 1, 32, 0,
                             len(xor) + mask_row * c.height, 0, 0, 0, 0)
        images.append(header + bytes(xor) + bytes(mask_row * c.height))
    out = struct.pack("<HHH", 0, 1, len(canvases))
    offset = 6 + 16 * len(canvases)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def icon(size):
    canvas = Canvas(size, size)
    if size <= 16:
        # Small sizes: the square, one wave a side, nothing finer.
        canvas.paint(sd_round_rect(0.5, 0.5, size - 0.5, size - 0.5, 3.5),
                     lambda x, y: mix(MARK_TOP, MARK_BOTTOM, (x + y) / (2.0 * size)))
        c = size / 2.0
        strokes = [("arc", c, c, 4.6, -45, 45), ("arc", c, c, 4.6, 135, 225)]
        canvas.paint(sd_strokes(strokes, 1.5), lambda *_: WHITE)
        canvas.paint(sd_circle(c, c, 1.6), lambda *_: WHITE)
    else:
        draw_mark(canvas, size / 2.0, size / 2.0, size - 1.0, broadcast_glyph, shadow=False)
    return canvas


def outputs():
    files = {
        "res/Logo.png": lambda: png_bytes(logo(), alpha=False),
        "res/Update.png": lambda: png_bytes(update_background(), alpha=False),
        "res/begin.png": lambda: png_bytes(placeholder(), alpha=False),
        "anchordesk/shell/anchordesk.ico": lambda: ico_bytes([icon(s) for s in (16, 32, 48)]),
    }
    names = {"normal": "Normal", "press": "Press", "hover": "Float"}
    for kind, prefix in (("min", "Min"), ("close", "Close")):
        for state, suffix in names.items():
            files["res/%s%s.png" % (prefix, suffix)] = (
                lambda k=kind, s=state: png_bytes(round_button(k, s)))
    for kind in ("update", "noupdate"):
        for state in ("nor", "click", "float"):
            files["res/btn_%s_%s.png" % (kind, state)] = (
                lambda k=kind, s=state: png_bytes(pill_button(k, s)))
    return files


def main():
    check = "--check" in sys.argv[1:]
    differing = []
    for relative, make in sorted(outputs().items()):
        data = make()
        path = os.path.join(ROOT, relative)
        if check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                differing.append(relative)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (relative, len(data)))
    if differing:
        print("differs from the generator: " + ", ".join(differing))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

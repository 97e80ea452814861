"""Small pixel-art toolkit shared by the sprite generators.

A Canvas is a grid of RGB tuples or None (transparent). Shapes are built as
masks (sets of (x, y)), filled, shaded and outlined, then the canvas is
flattened onto magenta, the colour the game treats as transparent.
"""

import math

from PIL import Image, ImageDraw

MAGENTA = (255, 0, 255)
INK = (42, 24, 34)          # the common dark outline
WHITE = (255, 255, 255)


def mix(a, b, t):
    """Linear blend of two colours, t = 0 gives a, t = 1 gives b."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def safe(c):
    """Never hand out the transparent key colour as a sprite colour."""
    c = tuple(max(0, min(255, int(v))) for v in c)
    if c == MAGENTA:
        return (254, 0, 254)
    return c


def ramp(base, light=0.35, dark=0.38, hue_dark=(60, 20, 80), hue_light=(255, 250, 220)):
    """Light, base and dark tones of a colour, shadows drift cool, lights warm."""
    return (safe(mix(base, hue_light, light)), safe(base), safe(mix(base, hue_dark, dark)))


# ---------------------------------------------------------------- masks

def m_ellipse(cx, cy, rx, ry):
    """Pixels whose centres fall inside the ellipse (centre in pixel units)."""
    pts = set()
    if rx <= 0 or ry <= 0:
        return pts
    for y in range(int(math.floor(cy - ry)) - 1, int(math.ceil(cy + ry)) + 2):
        for x in range(int(math.floor(cx - rx)) - 1, int(math.ceil(cx + rx)) + 2):
            dx = (x + 0.5 - cx) / rx
            dy = (y + 0.5 - cy) / ry
            if dx * dx + dy * dy <= 1.0:
                pts.add((x, y))
    return pts


def m_rect(x0, y0, x1, y1):
    """Inclusive rectangle."""
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def m_poly(points):
    """Filled polygon through PIL (integer corners, inclusive edges)."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    ox, oy = int(min(xs)) - 1, int(min(ys)) - 1
    w = int(max(xs)) - ox + 3
    h = int(max(ys)) - oy + 3
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).polygon([(p[0] - ox, p[1] - oy) for p in points], fill=255, outline=255)
    px = img.load()
    return {(x + ox, y + oy) for y in range(h) for x in range(w) if px[x, y]}


def m_line(x0, y0, x1, y1, width=1):
    """Bresenham line, optionally thickened to a square brush."""
    pts = set()
    x0, y0, x1, y1 = int(round(x0)), int(round(y0)), int(round(x1)), int(round(y1))
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx = 1 if x0 < x1 else -1
    sy = 1 if y0 < y1 else -1
    err = dx + dy
    while True:
        pts.add((x0, y0))
        if x0 == x1 and y0 == y1:
            break
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy
    if width > 1:
        r = width - 1
        fat = set()
        for (x, y) in pts:
            for oy in range(-(r // 2), r - r // 2 + 1):
                for ox in range(-(r // 2), r - r // 2 + 1):
                    fat.add((x + ox, y + oy))
        return fat
    return pts


def m_shift(mask, dx, dy):
    return {(x + dx, y + dy) for (x, y) in mask}


def m_flip(mask, width):
    return {(width - 1 - x, y) for (x, y) in mask}


def m_edge(mask):
    """Pixels of the mask that touch a pixel outside it (4-neighbourhood)."""
    return {(x, y) for (x, y) in mask
            if (x + 1, y) not in mask or (x - 1, y) not in mask
            or (x, y + 1) not in mask or (x, y - 1) not in mask}


def m_grow(mask, diag=False):
    out = set(mask)
    nb = [(1, 0), (-1, 0), (0, 1), (0, -1)]
    if diag:
        nb += [(1, 1), (-1, 1), (1, -1), (-1, -1)]
    for (x, y) in mask:
        for (ox, oy) in nb:
            out.add((x + ox, y + oy))
    return out


def m_shrink(mask):
    return mask - m_edge(mask)


# ---------------------------------------------------------------- canvas

class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[None] * w for _ in range(h)]

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return None

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = None if c is None else safe(c)

    def opaque(self):
        return {(x, y) for y in range(self.h) for x in range(self.w) if self.px[y][x] is not None}

    def fill(self, mask, c):
        for (x, y) in mask:
            self.set(x, y, c)

    def dots(self, pts, c):
        for (x, y) in pts:
            self.set(x, y, c)

    def shade(self, mask, cols, lx=-1.0, ly=-1.0, amount=0.5, hi=0.22, edge=None):
        """Fill a mask with three (or more) tones lit from (lx, ly).

        The tone of each pixel comes from how far it lies toward the lit or
        the dark side of the mask's bounding box, which reads as a rounded
        volume at sprite scale."""
        if not mask:
            return
        xs = [p[0] for p in mask]
        ys = [p[1] for p in mask]
        cx = (min(xs) + max(xs) + 1) / 2.0
        cy = (min(ys) + max(ys) + 1) / 2.0
        rx = max(1.0, (max(xs) - min(xs) + 1) / 2.0)
        ry = max(1.0, (max(ys) - min(ys) + 1) / 2.0)
        n = math.hypot(lx, ly)
        lx, ly = lx / n, ly / n
        light, base, dark = cols[0], cols[1], cols[2]
        for (x, y) in mask:
            nx = (x + 0.5 - cx) / rx
            ny = (y + 0.5 - cy) / ry
            d = nx * lx + ny * ly          # > 0 toward the light
            if d > 1.0 - hi * 2 and light is not None:
                c = light
            elif d < -amount:
                c = dark
            else:
                c = base
            self.set(x, y, c)
        if edge is not None:
            self.fill(m_edge(mask), edge)

    def ball(self, cx, cy, rx, ry, cols, edge=INK, hl=True):
        """A lit ellipse with a rim shadow and a small shine spot."""
        mask = m_ellipse(cx, cy, rx, ry)
        light, base, dark = cols[0], cols[1], cols[2]
        for (x, y) in mask:
            nx = (x + 0.5 - cx) / rx
            ny = (y + 0.5 - cy) / ry
            d = nx * 0.55 + ny * 0.83
            if d > 0.42:
                c = dark
            else:
                c = base
            self.set(x, y, c)
        if hl and light is not None:
            hx, hy = cx - rx * 0.38, cy - ry * 0.42
            self.fill(m_ellipse(hx, hy, max(0.8, rx * 0.32), max(0.8, ry * 0.24)) & mask, light)
        if edge is not None:
            self.fill(m_edge(mask), edge)
        return mask

    def part(self, mask, cols, edge=INK, **kw):
        """Shaded fill plus an inner border."""
        if isinstance(cols, tuple) and len(cols) == 3 and isinstance(cols[0], int):
            self.fill(mask, cols)
        else:
            self.shade(mask, cols, **kw)
        if edge is not None:
            self.fill(m_edge(mask), edge)

    def line(self, x0, y0, x1, y1, c, width=1):
        self.fill(m_line(x0, y0, x1, y1, width), c)

    def outline(self, c=INK, diag=False):
        """Paint every transparent pixel that touches the sprite."""
        solid = self.opaque()
        ring = m_grow(solid, diag) - solid
        self.fill(ring, c)

    def blit(self, other, ox, oy, flip=False):
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y][other.w - 1 - x] if flip else other.px[y][x]
                if c is not None:
                    self.set(x + ox, y + oy, c)

    def flipped(self):
        out = Canvas(self.w, self.h)
        out.blit(self, 0, 0, flip=True)
        return out

    def shifted(self, dx, dy):
        out = Canvas(self.w, self.h)
        out.blit(self, dx, dy)
        return out

    def recolour(self, fn):
        for y in range(self.h):
            for x in range(self.w):
                c = self.px[y][x]
                if c is not None:
                    self.px[y][x] = safe(fn(c))

    def image(self, bg=MAGENTA):
        img = Image.new("RGB", (self.w, self.h), bg)
        p = img.load()
        for y in range(self.h):
            row = self.px[y]
            for x in range(self.w):
                if row[x] is not None:
                    p[x, y] = row[x]
        return img

    @staticmethod
    def from_image(img, key=MAGENTA):
        img = img.convert("RGB")
        cv = Canvas(img.width, img.height)
        p = img.load()
        for y in range(img.height):
            for x in range(img.width):
                c = p[x, y]
                if c != key:
                    cv.px[y][x] = c
        return cv


def text_mask(text, font, anchor_xy=(0, 0), threshold=110, stroke=0):
    """Hard-edged mask of a rendered string (no anti-aliasing survives)."""
    left, top, right, bottom = font.getbbox(text, stroke_width=stroke)
    w, h = right - left + 2, bottom - top + 2
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).text((1 - left, 1 - top), text, font=font, fill=255,
                             stroke_width=stroke, stroke_fill=255)
    px = img.load()
    ax, ay = anchor_xy
    return {(x + ax, y + ay) for y in range(h) for x in range(w) if px[x, y] >= threshold}, (w, h)


def m_bbox(mask):
    xs = [p[0] for p in mask]
    ys = [p[1] for p in mask]
    return min(xs), min(ys), max(xs), max(ys)

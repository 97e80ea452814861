"""Map chip painting for the town: ground textures, terrain transitions and the
objects that stand on the map (houses, trees, fences, ...).

Everything is drawn pixel by pixel or with Pillow's non-antialiased primitives,
so chip edges stay hard.  Noise comes from an integer hash, never from a
random generator, so two runs give the same pixels.
"""

from PIL import Image, ImageDraw

CHIP = 16
MAGENTA = (255, 0, 255)


def hsh(*args):
    """Small integer hash (deterministic across runs and machines)."""
    h = 0x811C9DC5
    for a in args:
        a = int(a) & 0xFFFFFFFF
        for _ in range(4):
            h ^= a & 0xFF
            h = (h * 0x01000193) & 0xFFFFFFFF
            a >>= 8
    h ^= h >> 15
    h = (h * 0x2C1B3C6D) & 0xFFFFFFFF
    h ^= h >> 12
    return h


def shade(c, d):
    return tuple(max(0, min(255, v + d)) for v in c)


# --------------------------------------------------------------------------
# palettes
GRASS = [(44, 100, 52), (64, 128, 56), (88, 156, 64), (116, 184, 76), (152, 208, 96)]
FOREST = [(28, 72, 44), (40, 92, 52), (54, 112, 58)]
ROAD = [(112, 80, 50), (160, 118, 74), (188, 146, 96), (210, 172, 118)]
PAVE = [(104, 100, 104), (150, 146, 142), (178, 174, 166), (204, 200, 190)]
SAND = [(196, 168, 108), (226, 204, 144), (240, 224, 170), (250, 240, 200)]
YARD = [(160, 124, 76), (198, 162, 104), (216, 184, 124), (236, 210, 150)]
WATER = [(32, 64, 140), (48, 96, 184), (72, 132, 216), (140, 196, 240), (220, 240, 255)]
SEA = [(24, 56, 128), (36, 84, 168), (56, 116, 200), (150, 204, 240), (240, 250, 255)]
WHEAT = [(140, 100, 40), (196, 150, 56), (226, 186, 84), (246, 216, 120), (252, 236, 170)]
MUD = [(72, 48, 32), (100, 70, 44), (124, 90, 58), (150, 116, 80)]
SOIL = [(70, 46, 30), (96, 64, 40), (122, 86, 54)]
PADDY = [(52, 100, 116), (86, 150, 168), (124, 184, 196), (200, 232, 236)]
SHOOT = [(40, 112, 44), (76, 160, 60), (128, 200, 84)]
RIDGE = [(96, 80, 48), (136, 116, 70), (150, 142, 80), (106, 156, 68)]
WOOD = [(64, 40, 24), (104, 68, 40), (140, 96, 56), (176, 130, 80)]
STONE = [(60, 60, 70), (110, 110, 118), (150, 150, 156), (196, 196, 200)]
OUTLINE = (36, 28, 32)


# --------------------------------------------------------------------------
# ground textures: tex(x, y, v) for chip-local pixels, v = variant


def tex_grass(x, y, v):
    c = GRASS[2]
    n = hsh(x, y, v, 11) % 64
    if n < 5:
        c = GRASS[1]
    elif n < 8:
        c = GRASS[3]
    # blade tufts
    for k in range(3):
        hx = hsh(v, k, 1) % 14 + 1
        hy = hsh(v, k, 2) % 13 + 2
        if (x, y) == (hx, hy):
            c = GRASS[4]
        elif (x, y) in ((hx - 1, hy + 1), (hx + 1, hy + 1)):
            c = GRASS[3]
        elif (x, y) in ((hx - 1, hy + 2), (hx + 1, hy + 2), (hx, hy + 1)):
            c = GRASS[1]
    return c


FLOWER_COLS = [((250, 250, 250), (250, 220, 80)), ((250, 214, 64), (210, 120, 40)),
               ((240, 140, 180), (250, 240, 120)), ((150, 170, 250), (250, 250, 220))]


def tex_flowers(x, y, v):
    c = tex_grass(x, y, v + 100)
    petal, heart = FLOWER_COLS[v % 4]
    for k in range(3):
        fx = hsh(v, k, 7) % 12 + 2
        fy = hsh(v, k, 8) % 12 + 2
        if (x, y) == (fx, fy):
            return heart
        if abs(x - fx) + abs(y - fy) == 1:
            return petal
        if (x, y) == (fx + 1, fy + 2):
            return GRASS[1]
    return c


def tex_forest(x, y, v):
    n = hsh(x, y, v, 3) % 16
    return FOREST[1] if n > 3 else FOREST[0] if n < 2 else FOREST[2]


def tex_road(x, y, v):
    n = hsh(x, y, v, 21) % 48
    c = ROAD[2]
    if n < 6:
        c = ROAD[1]
    elif n < 9:
        c = ROAD[3]
    # pebbles
    for k in range(2):
        px = hsh(v, k, 5) % 13 + 1
        py = hsh(v, k, 6) % 13 + 1
        if (x, y) == (px, py) or (x, y) == (px + 1, py):
            c = ROAD[3]
        elif (x, y) == (px, py + 1) or (x, y) == (px + 1, py + 1):
            c = ROAD[1]
    return c


def tex_pave(x, y, v):
    # two courses of 8 px, the stones offset by half a stone on odd courses
    course = y // 8
    yy = y % 8
    off = 4 if course % 2 else 0
    xx = (x + off) % 8
    if yy == 7 or xx == 7:
        return PAVE[0]
    stone = hsh((x + off) // 8, course, v, 9)
    base = PAVE[2] if stone % 3 else shade(PAVE[2], -10)
    if yy == 0 or xx == 0:
        return PAVE[3]
    if yy == 6 or xx == 6:
        return PAVE[1]
    if hsh(x, y, v, 4) % 23 == 0:
        return PAVE[1]
    return base


def tex_sand(x, y, v):
    n = hsh(x, y, v, 31) % 40
    if n < 4:
        return SAND[1]
    if n < 7:
        return SAND[3]
    if n == 8 and y % 3 == 0:
        return SAND[0]
    return SAND[2]


def tex_yard(x, y, v):
    n = hsh(x, y, v, 41) % 40
    c = YARD[2]
    if n < 5:
        c = YARD[1]
    elif n < 8:
        c = YARD[3]
    # straw bits
    for k in range(2):
        sx = hsh(v, k, 42) % 12 + 1
        sy = hsh(v, k, 43) % 14 + 1
        d = hsh(v, k, 44) % 2
        if y == sy and sx <= x <= sx + 2 and d == 0:
            return (240, 216, 110)
        if d == 1 and (x, y) in ((sx, sy), (sx + 1, sy + 1), (sx + 2, sy + 2)):
            return (240, 216, 110)
    return c


def tex_water(x, y, v):
    c = WATER[2]
    # soft horizontal ripples
    for k in range(3):
        rx = hsh(v, k, 51) % 12
        ry = hsh(v, k, 52) % 14 + 1
        if y == ry and rx <= x <= rx + 4:
            return WATER[3]
        if y == ry + 1 and rx + 1 <= x <= rx + 3:
            return WATER[1]
    if hsh(x, y, v, 53) % 29 == 0:
        return WATER[3]
    return c


def tex_sea(x, y, v):
    c = SEA[1]
    if (y + (x // 8) * 3 + v) % 8 == 0:
        c = SEA[2]
    for k in range(2):
        wx = hsh(v, k, 61) % 10 + 1
        wy = hsh(v, k, 62) % 12 + 2
        if y == wy and wx + 1 <= x <= wx + 3:
            return SEA[3]
        if y == wy + 1 and (x == wx or x == wx + 4):
            return SEA[3]
        if y == wy + 1 and wx + 1 <= x <= wx + 3:
            return SEA[2]
    if hsh(x, y, v, 63) % 97 == 0:
        return SEA[4]
    return c


def tex_wheat(x, y, v):
    # rows of stalks, with heads every other pixel column
    col = (x + (y // 8) * 2) % 4
    yy = y % 8
    if col == 3:
        return WHEAT[0] if yy > 4 else WHEAT[1]
    if yy < 3:
        c = WHEAT[4] if (col == 1 and yy == 0) else WHEAT[3]
        if col == 2 and yy == 2:
            c = WHEAT[2]
        return c
    if yy == 7:
        return WHEAT[1]
    if hsh(x, y, v, 71) % 11 == 0:
        return WHEAT[3]
    return WHEAT[2] if col != 0 else WHEAT[1]


def tex_mud(x, y, v):
    n = hsh(x, y, v, 81) % 40
    c = MUD[1]
    if n < 5:
        c = MUD[0]
    elif n < 10:
        c = MUD[2]
    for k in range(2):
        px = hsh(v, k, 82) % 11 + 2
        py = hsh(v, k, 83) % 11 + 2
        if y == py and px <= x <= px + 2:
            return MUD[3]
        if y == py + 1 and px - 1 <= x <= px + 3:
            return MUD[0]
    return c


def tex_soil(x, y, v):
    yy = y % 4
    if yy == 0:
        return SOIL[0]
    if yy == 1:
        return SOIL[2] if hsh(x, y, v) % 5 else SOIL[1]
    return SOIL[1]


def tex_paddy(x, y, v):
    c = PADDY[1]
    if (x + 2 * y + v * 3) % 11 == 0 and y % 5 == 1:
        c = PADDY[2]
    elif hsh(x, y, v, 91) % 41 == 0:
        c = PADDY[3]
    # rice shoots: small tufts on a staggered 8 x 8 grid
    gy = y % 8
    gx = (x + (4 if (y // 8) % 2 else 0)) % 8
    if gx == 3 and 1 <= gy <= 5:
        return SHOOT[2] if gy < 3 else SHOOT[1]
    if (gx, gy) in ((2, 2), (1, 1), (4, 3), (5, 2)):
        return SHOOT[1]
    if (gx, gy) in ((2, 4), (4, 5)):
        return SHOOT[0]
    if gx == 3 and gy == 6:
        return PADDY[0]
    return c


def tex_ridge(x, y, v):
    n = hsh(x, y, v, 101) % 40
    if n < 4:
        return RIDGE[0]
    if n < 9:
        return RIDGE[1]
    if n < 12:
        return (132, 176, 84)
    return RIDGE[3]


def tex_pen(x, y, v):
    c = tex_grass(x, y, v + 50)
    n = hsh(x, y, v, 111) % 30
    if n < 6:
        return (198, 176, 96) if n < 3 else (170, 150, 80)
    return c


TEXTURES = {
    'grass': tex_grass, 'flowers': tex_flowers, 'forest': tex_forest, 'road': tex_road,
    'pave': tex_pave, 'sand': tex_sand, 'yard': tex_yard, 'water': tex_water, 'sea': tex_sea,
    'wheat': tex_wheat, 'mud': tex_mud, 'soil': tex_soil, 'paddy': tex_paddy, 'ridge': tex_ridge,
    'pen': tex_pen,
}


def fill_chip(tex, v):
    im = Image.new('RGBA', (CHIP, CHIP))
    px = im.load()
    for y in range(CHIP):
        for x in range(CHIP):
            px[x, y] = tex(x, y, v) + (255,)
    return im


# --------------------------------------------------------------------------
# terrain transitions (a terrain drawn over its base with shaped edges)

N, E, S, W, NE, SE, SW, NW = 1, 2, 4, 8, 16, 32, 64, 128


def canonical_mask(m):
    if not (m & N and m & E):
        m &= ~NE
    if not (m & S and m & E):
        m &= ~SE
    if not (m & S and m & W):
        m &= ~SW
    if not (m & N and m & W):
        m &= ~NW
    return m


# terrain -> (base texture, inset, rounding, inner border colour, outer rim colour, wobble)
TRANSITIONS = {
    'road': ('grass', 2, 3, ROAD[1], GRASS[1], 1),
    'pave': ('grass', 1, 2, PAVE[0], GRASS[1], 0),
    'water': ('grass', 3, 4, WATER[0], (92, 84, 60), 1),
    'sea': ('sand', 3, 4, SEA[4], (206, 184, 124), 1),
    'sand': ('grass', 3, 4, SAND[1], GRASS[1], 1),
    'wheat': ('grass', 2, 3, WHEAT[0], GRASS[1], 0),
    'yard': ('grass', 2, 3, YARD[1], GRASS[1], 1),
    'mud': ('grass', 3, 5, MUD[0], GRASS[1], 1),
    'paddy': ('ridge', 2, 2, PADDY[0], (86, 72, 44), 0),
    'soil': ('grass', 2, 2, SOIL[0], GRASS[1], 0),
    'pen': ('grass', 0, 0, None, None, 0),
}


def _wob(t, amount):
    if not amount:
        return 0
    return 1 if (t * 5 + 3) % 7 < 2 else 0


def inside_shape(x, y, m, d, r, wob):
    """True when the chip-local pixel (x, y) belongs to the terrain."""
    wx = _wob(x, wob)
    wy = _wob(y, wob)
    if not m & N and y < d + wx:
        return False
    if not m & S and 15 - y < d + wx:
        return False
    if not m & W and x < d + wy:
        return False
    if not m & E and 15 - x < d + wy:
        return False
    # outer corners: round off
    for need_a, need_b, cx, cy, sx, sy in ((N, W, 0, 0, 1, 1), (N, E, 15, 0, -1, 1),
                                           (S, W, 0, 15, 1, -1), (S, E, 15, 15, -1, -1)):
        if not m & need_a and not m & need_b and r > 0:
            lx = (x - cx) * sx
            ly = (y - cy) * sy
            ox = d + r
            if lx < ox and ly < ox:
                if (ox - lx - 0.5) ** 2 + (ox - ly - 0.5) ** 2 > r * r:
                    return False
    # inner corners: a small notch where only the diagonal differs
    for need_a, need_b, diag, cx, cy, sx, sy in ((N, W, NW, 0, 0, 1, 1), (N, E, NE, 15, 0, -1, 1),
                                                 (S, W, SW, 0, 15, 1, -1), (S, E, SE, 15, 15, -1, -1)):
        if m & need_a and m & need_b and not m & diag and d > 0:
            lx = (x - cx) * sx
            ly = (y - cy) * sy
            if lx < d and ly < d and (d - lx - 0.5) ** 2 + (d - ly - 0.5) ** 2 < (d + 1) ** 2:
                return False
    return True


def transition_chip(terrain, m, v=0):
    base, d, r, border, rim, wob = TRANSITIONS[terrain]
    tb = TEXTURES[base]
    tt = TEXTURES[terrain]
    ins = {}
    for y in range(-2, 18):
        for x in range(-2, 18):
            ins[x, y] = inside_shape(x, y, m, d, r, wob)
    im = Image.new('RGBA', (CHIP, CHIP))
    px = im.load()
    for y in range(CHIP):
        for x in range(CHIP):
            nb = [ins[x + 1, y], ins[x - 1, y], ins[x, y + 1], ins[x, y - 1]]
            if ins[x, y]:
                c = tt(x, y, v)
                if border is not None and not all(nb):
                    c = border
                elif terrain in ('water', 'sea', 'paddy') and not ins[x, y - 2]:
                    c = shade(c, -28)  # the bank shades the water below it
            else:
                c = tb(x, y, 0)
                if rim is not None and any(nb):
                    c = rim
            px[x, y] = c + (255,)
    return im


# --------------------------------------------------------------------------
# sprite canvases for objects (transparent where nothing is drawn)


class Canvas:
    def __init__(self, w, h):
        self.im = Image.new('RGBA', (w, h), (0, 0, 0, 0))
        self.px = self.im.load()
        self.d = ImageDraw.Draw(self.im)
        self.w, self.h = w, h

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[x, y] = tuple(c[:3]) + (255,)

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[x, y]
        return (0, 0, 0, 0)

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, both corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def ellipse(self, x0, y0, x1, y1, c):
        self.d.ellipse([x0, y0, x1, y1], fill=tuple(c[:3]) + (255,))

    def outline(self, c=OUTLINE):
        """Dark one-pixel outline around everything drawn so far."""
        add = []
        for y in range(self.h):
            for x in range(self.w):
                if self.px[x, y][3] == 0:
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                        if self.get(x + dx, y + dy)[3]:
                            add.append((x, y))
                            break
        for x, y in add:
            self.put(x, y, c)

    def crop_chip(self, cx, cy):
        return self.im.crop((cx * CHIP, cy * CHIP, cx * CHIP + CHIP, cy * CHIP + CHIP))


def draw_tree(kind=0):
    """Round tree, 2 cells wide and 3 tall: crown in the top two rows, trunk in the last."""
    cv = Canvas(32, 48)
    # shadow on the grass
    for y in range(40, 47):
        for x in range(4, 28):
            if ((x - 16) / 12.0) ** 2 + ((y - 43) / 3.6) ** 2 <= 1.0:
                cv.put(x, y, GRASS[0])
    # trunk
    tc = WOOD
    cv.rect(12, 28, 19, 42, tc[1])
    cv.rect(13, 28, 14, 41, tc[2])
    cv.rect(18, 30, 19, 42, tc[0])
    cv.put(11, 42, tc[1])
    cv.put(20, 42, tc[0])
    cv.put(10, 43, tc[0])
    cv.put(21, 43, tc[0])
    cv.put(15, 34, tc[0])
    cv.put(16, 37, tc[0])
    # crown
    if kind == 0:
        leaf = [(30, 84, 40), (44, 116, 48), (70, 150, 58), (112, 186, 80), (160, 214, 110)]
    elif kind == 1:
        leaf = [(26, 74, 52), (36, 102, 64), (56, 134, 76), (92, 168, 96), (140, 200, 130)]
    else:
        leaf = [(34, 90, 36), (56, 124, 44), (86, 156, 56), (128, 190, 70), (240, 200, 210)]
    crown = Canvas(32, 48)
    blobs = [(16, 15, 14, 13), (9, 18, 8, 8), (23, 18, 8, 8), (16, 24, 11, 7), (12, 9, 8, 7), (21, 9, 8, 7)]
    for bx, by, rx, ry in blobs:
        crown.ellipse(bx - rx, by - ry, bx + rx - 1, by + ry - 1, leaf[2])
    for y in range(48):
        for x in range(32):
            if crown.px[x, y][3]:
                # light from the upper left, leafy dither
                lx = (x - 11) ** 2 + (y - 8) ** 2
                c = leaf[2]
                if lx < 30:
                    c = leaf[3]
                if lx < 10 and (x + y) % 2 == 0:
                    c = leaf[4] if kind != 2 else leaf[3]
                dk = (x - 18) ** 2 + (y - 22) ** 2
                if y > 21 or (x > 24 and y > 14):
                    c = leaf[1]
                if y > 27:
                    c = leaf[1] if (x + y) % 3 else leaf[0]
                h = hsh(x, y, kind, 5) % 9
                if h == 0:
                    c = shade(c, 24)
                elif h == 1:
                    c = leaf[1] if c != leaf[1] else leaf[0]
                # leaf clusters: small arcs
                if (x + (y // 4) * 3) % 6 == 0 and y % 4 == 3 and dk > 40:
                    c = leaf[1]
                crown.put(x, y, c)
    if kind == 2:  # blossoms
        for k in range(14):
            fx = hsh(k, 1, 9) % 24 + 4
            fy = hsh(k, 2, 9) % 22 + 3
            if crown.px[fx, fy][3]:
                crown.put(fx, fy, leaf[4])
    if kind == 1:  # a few red fruits
        for k in range(6):
            fx = hsh(k, 3, 9) % 22 + 5
            fy = hsh(k, 4, 9) % 18 + 6
            if crown.px[fx, fy][3]:
                crown.put(fx, fy, (210, 50, 40))
                crown.put(fx, fy - 1, (250, 140, 120))
    crown.outline((22, 52, 30))
    cv.im.alpha_composite(crown.im)
    return cv


def draw_canopy(v):
    """Dense forest roof tile, seamless on a 16 px period."""
    im = Image.new('RGBA', (CHIP, CHIP))
    px = im.load()
    leaf = [(18, 52, 30), (30, 76, 40), (44, 102, 50), (70, 134, 62), (104, 166, 80)]
    # overlapping round clumps arranged on a staggered grid
    for y in range(CHIP):
        for x in range(CHIP):
            best = None
            for cx, cy in ((4, 4), (12, 4), (0, 12), (8, 12), (16, 12), (4, 20), (12, 20), (-4, 4), (20, 4),
                           (4, -4), (12, -4)):
                dx, dy = x - cx, y - cy
                dd = dx * dx + dy * dy
                if dd <= 30 and (best is None or cy > best[1]):
                    best = (dd, cy, dx, dy)
            if best is None:
                c = leaf[0]
            else:
                dd, cy, dx, dy = best
                if dd > 24:
                    c = leaf[0]
                elif dx + dy < -5:
                    c = leaf[4] if (hsh(x, y, v) % 3) else leaf[3]
                elif dx + dy < 0:
                    c = leaf[3]
                elif dx + dy < 4:
                    c = leaf[2]
                else:
                    c = leaf[1]
                if hsh(x, y, v, 77) % 13 == 0:
                    c = leaf[1]
            px[x, y] = c + (255,)
    return im


def draw_canopy_edge(v):
    """Bottom edge of the forest roof: clumps hanging over the grass, see-through below."""
    base = draw_canopy(v)
    cv = Canvas(16, 16)
    leaf_dark = (18, 52, 30)
    for y in range(16):
        for x in range(16):
            limit = 9 + (3 if (x // 4) % 2 == 0 else 1) - abs((x % 8) - 4) // 2
            if y <= limit:
                cv.put(x, y, base.getpixel((x, y)))
            elif y == limit + 1:
                cv.put(x, y, leaf_dark)
    return cv.im


def draw_trunks(v):
    """Ground under the forest edge: dark floor with trunks."""
    im = fill_chip(tex_forest, v)
    cv = Canvas(16, 16)
    cv.im = im
    cv.px = im.load()
    cv.d = ImageDraw.Draw(im)
    x0 = 3 + hsh(v, 1) % 8
    cv.rect(x0, 0, x0 + 3, 13, WOOD[1])
    cv.rect(x0, 0, x0, 13, WOOD[2])
    cv.rect(x0 + 3, 0, x0 + 3, 13, WOOD[0])
    cv.put(x0 - 1, 13, WOOD[0])
    cv.put(x0 + 4, 13, WOOD[0])
    for x in range(x0 - 2, x0 + 6):
        cv.put(x, 14, FOREST[0])
    return im


# roofs: (dark, mid, light, ridge)
ROOFS = {
    'red': [(96, 28, 28), (164, 52, 44), (206, 86, 62), (232, 140, 100)],
    'blue': [(30, 44, 96), (52, 84, 160), (84, 122, 200), (140, 176, 230)],
    'green': [(28, 74, 48), (50, 122, 70), (84, 160, 92), (140, 200, 130)],
    'brown': [(70, 44, 28), (120, 78, 46), (156, 108, 62), (196, 150, 96)],
    'orange': [(120, 56, 20), (196, 104, 40), (228, 146, 66), (246, 196, 120)],
}
WALLS = {
    'plaster': [(150, 130, 110), (222, 208, 180), (242, 232, 210), WOOD[1]],
    'wood': [(84, 54, 32), (150, 104, 62), (178, 130, 82), WOOD[0]],
    'stone': [(98, 96, 100), (162, 158, 150), (196, 192, 182), (118, 114, 110)],
}


def draw_house(wc, roof_rows, roof='red', wall='plaster', door_col=None, windows=(), chimney=None,
               kitchen=False, barn=False):
    """House seen from the south: roof rows on top, two wall rows below.

    Returns the canvas; the caller splits it into roof chips (overlay) and wall chips (ground)."""
    w = wc * CHIP
    hr = roof_rows * CHIP
    h = hr + 2 * CHIP
    cv = Canvas(w, h)
    rp = ROOFS[roof]
    wp = WALLS[wall]
    # walls
    top = hr - 2
    cv.rect(1, top, w - 2, h - 1, wp[1])
    for y in range(top, h):
        for x in range(1, w - 1):
            if wall == 'wood':
                c = wp[1] if (x % 6) else wp[0]
                if (x % 6) == 1:
                    c = wp[2]
                if hsh(x // 6, y // 11, 3) % 7 == 0 and y % 11 == 0:
                    c = wp[0]
            elif wall == 'stone':
                course = (y - top) // 5
                xx = (x + (course % 2) * 4) % 9
                c = wp[0] if (xx == 0 or (y - top) % 5 == 0) else (wp[2] if xx < 3 else wp[1])
            else:
                c = wp[2] if hsh(x, y, 8) % 17 else wp[1]
                # timber frame
                if x % 32 in (0, 1) or (y - top) in (3, 4):
                    c = wp[3]
            cv.put(x, y, c)
    # shade under the eaves and at the right end
    for x in range(1, w - 1):
        cv.put(x, top, shade(cv.get(x, top), -60))
        cv.put(x, top + 1, shade(cv.get(x, top + 1), -40))
        cv.put(x, top + 2, shade(cv.get(x, top + 2), -20))
    for y in range(top, h):
        cv.put(w - 2, y, shade(cv.get(w - 2, y), -30))
        cv.put(1, y, shade(cv.get(1, y), -15))
    # foundation
    cv.rect(1, h - 3, w - 2, h - 1, STONE[1])
    for x in range(1, w - 1):
        if x % 5 == 0:
            cv.put(x, h - 2, STONE[0])
        cv.put(x, h - 3, STONE[2])
    # windows
    for wx in windows:
        x0 = wx * CHIP + 3
        y0 = hr + 5
        cv.rect(x0 - 1, y0 - 1, x0 + 10, y0 + 10, WOOD[0])
        cv.rect(x0, y0, x0 + 9, y0 + 9, (60, 104, 150))
        cv.rect(x0, y0, x0 + 9, y0 + 2, (140, 196, 230))
        cv.put(x0 + 1, y0 + 3, (200, 230, 250))
        cv.rect(x0 + 4, y0, x0 + 5, y0 + 9, WOOD[2])
        cv.rect(x0, y0 + 4, x0 + 9, y0 + 5, WOOD[2])
        cv.rect(x0 - 1, y0 + 11, x0 + 10, y0 + 12, WOOD[1])  # sill
        # flower box
        for k in range(0, 12, 2):
            cv.put(x0 - 1 + k, y0 + 10, (220, 60, 70) if k % 4 else (250, 210, 60))
    # door
    if door_col is not None:
        x0 = door_col * CHIP + 2
        y0 = hr + 4
        if barn:
            x0 = door_col * CHIP - 8
            cv.rect(x0, y0 - 2, x0 + 27, h - 1, (120, 34, 30))
            cv.rect(x0 + 2, y0, x0 + 25, h - 1, (170, 56, 44))
            for k in range(24):
                cv.put(x0 + 2 + k, y0 + k * 26 // 24, (240, 230, 210))
                cv.put(x0 + 25 - k, y0 + k * 26 // 24, (240, 230, 210))
            cv.rect(x0 + 13, y0, x0 + 14, h - 1, (90, 26, 24))
        else:
            cv.rect(x0, y0, x0 + 11, h - 1, WOOD[0])
            cv.rect(x0 + 1, y0 + 1, x0 + 10, h - 1, WOOD[1])
            for x in range(x0 + 1, x0 + 11, 3):
                cv.rect(x, y0 + 1, x, h - 1, WOOD[0])
            cv.rect(x0 + 1, y0 + 1, x0 + 10, y0 + 2, WOOD[2])
            cv.put(x0 + 8, y0 + 15, (250, 220, 80))
            cv.put(x0 + 8, y0 + 16, (180, 140, 40))
            cv.rect(x0 - 1, h - 2, x0 + 12, h - 1, STONE[2])
    if kitchen:
        # serving counter with a striped awning, bread and a pot on it
        x0 = kitchen * CHIP - 20
        y0 = hr + 2
        cv.rect(x0, y0 + 4, x0 + 39, y0 + 18, (52, 36, 28))
        cv.rect(x0 + 2, y0 + 6, x0 + 37, y0 + 16, (90, 62, 40))
        for k in range(40):
            cv.put(x0 + k, y0, (230, 60, 50) if (k // 5) % 2 else (250, 244, 230))
            cv.put(x0 + k, y0 + 1, (200, 40, 40) if (k // 5) % 2 else (230, 224, 210))
            cv.put(x0 + k, y0 + 2, (230, 60, 50) if (k // 5) % 2 else (250, 244, 230))
            if k % 5 == 2:
                cv.put(x0 + k, y0 + 3, (200, 40, 40) if (k // 5) % 2 else (230, 224, 210))
        cv.rect(x0 - 2, y0 + 17, x0 + 41, y0 + 20, WOOD[2])
        cv.rect(x0 - 2, y0 + 20, x0 + 41, y0 + 21, WOOD[0])
        # pot
        cv.rect(x0 + 6, y0 + 11, x0 + 13, y0 + 16, (60, 60, 70))
        cv.rect(x0 + 7, y0 + 10, x0 + 12, y0 + 10, (120, 120, 130))
        cv.put(x0 + 5, y0 + 12, (60, 60, 70))
        cv.put(x0 + 14, y0 + 12, (60, 60, 70))
        # bread loaves
        for bx in (x0 + 20, x0 + 28):
            cv.rect(bx, y0 + 13, bx + 5, y0 + 16, (200, 140, 60))
            cv.rect(bx + 1, y0 + 12, bx + 4, y0 + 12, (230, 180, 90))
            cv.put(bx + 2, y0 + 14, (150, 96, 40))
    # roof
    for y in range(0, hr + 2):
        for x in range(0, w):
            ry = y
            if y < 3:
                # rounded ridge ends: see-through corners
                inset = 3 - y
                if x < inset or x >= w - inset:
                    continue
            row = (ry - 3) // 4
            c = rp[1]
            if ry < 4:
                c = rp[3] if ry in (1, 2) else rp[0]
                if ry == 0:
                    c = rp[0]
            else:
                xx = (x + (row % 2) * 4) % 8
                if (ry - 3) % 4 == 3:
                    c = rp[0]
                elif xx == 0:
                    c = rp[0]
                elif (ry - 3) % 4 == 0:
                    c = rp[2]
                if barn and x % 16 in (0, 1) and ry > 4:
                    c = rp[0]
            if x == 0 or x == w - 1:
                c = rp[0]
            if y >= hr:
                c = rp[0] if y == hr + 1 else shade(rp[1], -30)
            cv.put(x, y, c)
    if chimney is not None:
        cx = chimney * CHIP + 4
        cv.rect(cx, 0, cx + 8, 14, (120, 56, 44))
        for y in range(0, 15):
            for x in range(cx, cx + 9):
                if (y % 4 == 3) or ((x - cx + (y // 4) * 2) % 5 == 0):
                    cv.put(x, y, (86, 38, 30))
                elif x == cx:
                    cv.put(x, y, (160, 84, 64))
        cv.rect(cx - 1, 0, cx + 9, 1, (70, 70, 76))
        cv.rect(cx + 2, 0, cx + 6, 0, (30, 30, 30))
    if kitchen:
        # a signboard with a bowl on the eave
        sx = kitchen * CHIP - 10
        sy = hr - 10
        cv.rect(sx, sy, sx + 19, sy + 9, WOOD[0])
        cv.rect(sx + 1, sy + 1, sx + 18, sy + 8, (240, 224, 180))
        cv.rect(sx + 5, sy + 4, sx + 14, sy + 6, (200, 70, 50))
        cv.rect(sx + 6, sy + 7, sx + 13, sy + 7, (200, 70, 50))
        cv.put(sx + 8, sy + 2, (160, 160, 170))
        cv.put(sx + 11, sy + 2, (160, 160, 170))
    return cv


def draw_fence(m):
    """Wooden fence piece; m = connections N/E/S/W (bits 1, 2, 4, 8)."""
    cv = Canvas(16, 16)
    rail = WOOD[2]
    dark = WOOD[0]
    if m & W or m & E or not (m & N or m & S):
        x0 = 0 if m & W else 6
        x1 = 15 if m & E else 9
        for ry in (6, 10):
            cv.rect(x0, ry, x1, ry + 1, rail)
            cv.rect(x0, ry + 2, x1, ry + 2, dark)
        for x in range(x0, x1 + 1):
            cv.put(x, 14, GRASS[0])  # shadow
    if m & N or m & S:
        y0 = 0 if m & N else 4
        y1 = 15 if m & S else 12
        cv.rect(6, y0, 7, y1, rail)
        cv.rect(10, y0, 11, y1, rail)
        cv.rect(8, y0, 8, y1, dark)
        cv.rect(12, y0, 12, y1, dark)
    # post
    cv.rect(6, 3, 9, 13, WOOD[1])
    cv.rect(6, 3, 9, 3, WOOD[3])
    cv.rect(9, 4, 9, 13, WOOD[0])
    cv.rect(5, 14, 10, 14, GRASS[0])
    return cv.im


def draw_well():
    cv = Canvas(32, 32)
    # posts and little roof (top row -> overlay)
    cv.rect(5, 4, 7, 24, WOOD[1])
    cv.rect(24, 4, 26, 24, WOOD[1])
    cv.rect(7, 4, 7, 24, WOOD[0])
    cv.rect(26, 4, 26, 24, WOOD[0])
    for y in range(0, 8):
        cv.rect(2 + (7 - y) // 2, y, 29 - (7 - y) // 2, y, (150, 56, 44) if y % 3 else (100, 36, 30))
    cv.rect(2, 7, 29, 8, (90, 30, 26))
    cv.rect(8, 10, 23, 10, WOOD[0])  # crossbar with rope and bucket
    cv.rect(15, 11, 15, 15, (200, 190, 160))
    cv.rect(13, 15, 17, 18, WOOD[2])
    cv.rect(13, 18, 17, 18, WOOD[0])
    # stone ring
    cv.ellipse(2, 17, 29, 31, STONE[1])
    cv.ellipse(6, 19, 25, 27, (24, 40, 70))
    cv.ellipse(8, 20, 23, 25, (40, 70, 120))
    for x in range(2, 30):
        for y in range(17, 32):
            p = cv.get(x, y)
            if p[3] and p[:3] == STONE[1] and (x + (y // 3) * 3) % 6 == 0:
                cv.put(x, y, STONE[0])
            elif p[3] and p[:3] == STONE[1] and y < 22:
                cv.put(x, y, STONE[2])
    cv.outline()
    return cv


def draw_lamp():
    cv = Canvas(16, 32)
    cv.rect(7, 10, 8, 29, (50, 50, 60))
    cv.rect(7, 10, 7, 29, (100, 100, 120))
    cv.rect(5, 28, 10, 30, (50, 50, 60))
    cv.rect(4, 2, 11, 3, (50, 50, 60))
    cv.rect(5, 4, 10, 9, (250, 220, 120))
    cv.rect(6, 5, 7, 7, (255, 250, 220))
    cv.rect(4, 9, 11, 10, (50, 50, 60))
    cv.rect(6, 0, 9, 1, (50, 50, 60))
    cv.outline()
    return cv


def draw_sign(kind=0):
    cv = Canvas(16, 16)
    cv.rect(7, 8, 8, 15, WOOD[1])
    cv.rect(8, 8, 8, 15, WOOD[0])
    cv.rect(1, 1, 14, 9, WOOD[2])
    cv.rect(1, 9, 14, 9, WOOD[0])
    cv.rect(2, 2, 13, 2, WOOD[3])
    if kind == 0:  # arrow
        cv.rect(4, 5, 10, 5, WOOD[0])
        cv.put(9, 4, WOOD[0])
        cv.put(9, 6, WOOD[0])
        cv.put(8, 3, WOOD[0])
        cv.put(8, 7, WOOD[0])
    else:  # lines of writing
        cv.rect(3, 4, 12, 4, WOOD[0])
        cv.rect(3, 6, 9, 6, WOOD[0])
    cv.outline()
    return cv.im


def draw_rock(v):
    cv = Canvas(16, 16)
    cv.ellipse(1, 4, 14, 15, STONE[1])
    cv.ellipse(2, 4, 10, 10, STONE[2])
    cv.put(4, 6, STONE[3])
    cv.put(5, 6, STONE[3])
    cv.rect(3, 14, 13, 14, STONE[0])
    if v:
        for k in range(3):
            cv.put(7 + k, 11 - k, STONE[0])
    cv.outline()
    return cv.im


def draw_bush(v):
    cv = Canvas(16, 16)
    cv.ellipse(0, 3, 15, 15, (44, 116, 48))
    cv.ellipse(2, 3, 11, 10, (70, 150, 58))
    cv.ellipse(3, 4, 7, 7, (112, 186, 80))
    for k in range(5):
        x = hsh(v, k, 3) % 11 + 2
        y = hsh(v, k, 4) % 8 + 5
        if v % 2:
            cv.put(x, y, (220, 50, 60))
            cv.put(x, y - 1, (250, 150, 150))
        else:
            cv.put(x, y, (250, 250, 240))
    cv.rect(3, 15, 12, 15, GRASS[0])
    cv.outline((22, 52, 30))
    return cv.im


def draw_hay(v):
    cv = Canvas(16, 16)
    if v == 0:  # round bale
        cv.ellipse(1, 3, 14, 14, (210, 170, 70))
        cv.ellipse(3, 5, 12, 12, (236, 200, 100))
        cv.ellipse(5, 7, 10, 10, (200, 158, 60))
        cv.ellipse(7, 8, 8, 9, (236, 200, 100))
    else:  # square bale
        cv.rect(1, 4, 14, 13, (226, 190, 90))
        cv.rect(1, 4, 14, 6, (246, 216, 120))
        cv.rect(4, 4, 4, 13, (170, 120, 50))
        cv.rect(11, 4, 11, 13, (170, 120, 50))
        for k in range(6):
            cv.put(2 + hsh(k, 1) % 12, 7 + hsh(k, 2) % 6, (196, 150, 60))
    cv.outline((90, 62, 30))
    return cv.im


def draw_trough():
    cv = Canvas(16, 16)
    cv.rect(1, 6, 14, 12, WOOD[1])
    cv.rect(2, 7, 13, 9, (70, 120, 170))
    cv.rect(2, 7, 13, 7, (140, 190, 230))
    cv.rect(1, 12, 14, 12, WOOD[0])
    cv.rect(2, 13, 3, 14, WOOD[0])
    cv.rect(12, 13, 13, 14, WOOD[0])
    cv.outline()
    return cv.im


def draw_nest():
    cv = Canvas(16, 16)
    cv.ellipse(1, 6, 14, 14, (180, 140, 60))
    cv.ellipse(3, 7, 12, 11, (120, 90, 40))
    cv.ellipse(5, 7, 8, 10, (250, 246, 230))
    cv.ellipse(8, 8, 11, 11, (240, 226, 200))
    for k in range(6):
        cv.put(1 + k * 2, 13 - (k % 2), (226, 190, 90))
    cv.outline((90, 62, 30))
    return cv.im


def draw_scarecrow():
    cv = Canvas(16, 32)
    cv.rect(7, 10, 8, 31, WOOD[1])
    cv.rect(1, 14, 14, 15, WOOD[1])
    cv.rect(4, 13, 11, 22, (70, 110, 170))  # shirt
    cv.rect(4, 16, 11, 16, (200, 70, 60))
    cv.ellipse(4, 5, 11, 12, (236, 212, 150))  # head
    cv.put(6, 8, OUTLINE)
    cv.put(9, 8, OUTLINE)
    cv.rect(2, 4, 13, 5, (200, 160, 70))  # hat brim
    cv.rect(5, 1, 10, 4, (200, 160, 70))
    cv.rect(5, 3, 10, 3, (180, 60, 50))
    cv.put(1, 15, (240, 216, 110))
    cv.put(14, 15, (240, 216, 110))
    cv.outline()
    return cv


def draw_bridge(part_row, part_col):
    """Wooden deck across a river; part_row 0 top, 1 middle, 2 bottom; part_col 0 left, 1 mid, 2 right."""
    im = Image.new('RGBA', (16, 16))
    px = im.load()
    for y in range(16):
        for x in range(16):
            c = WOOD[2] if x % 4 else WOOD[0]
            if x % 4 == 1:
                c = WOOD[3]
            if (y + (x // 4) * 5) % 16 == 0:
                c = WOOD[1]
            px[x, y] = c + (255,)
    cv = Canvas(16, 16)
    cv.im = im
    cv.px = px
    if part_row == 0:
        cv.rect(0, 0, 15, 3, WOOD[0])
        cv.rect(0, 1, 15, 1, WOOD[3])
        cv.rect(0, 4, 15, 4, shade(WOOD[1], -20))
        if part_col != 1:
            x = 1 if part_col == 0 else 12
            cv.rect(x, 0, x + 2, 4, WOOD[1])
    if part_row == 2:
        cv.rect(0, 12, 15, 15, WOOD[0])
        cv.rect(0, 13, 15, 13, WOOD[3])
        if part_col != 1:
            x = 1 if part_col == 0 else 12
            cv.rect(x, 10, x + 2, 15, WOOD[1])
    return im


def draw_stump():
    cv = Canvas(16, 16)
    cv.ellipse(2, 7, 13, 15, WOOD[1])
    cv.ellipse(2, 4, 13, 10, (200, 160, 110))
    cv.ellipse(5, 6, 10, 8, (170, 130, 80))
    cv.outline()
    return cv.im


def draw_crates():
    cv = Canvas(16, 16)
    cv.rect(1, 5, 14, 15, WOOD[2])
    cv.rect(1, 5, 14, 6, WOOD[3])
    cv.rect(1, 10, 14, 10, WOOD[0])
    cv.rect(7, 5, 8, 15, WOOD[1])
    for k in range(3):
        cv.put(3 + k * 4, 8, (230, 60, 50))
        cv.put(3 + k * 4, 13, (250, 160, 40))
    cv.outline()
    return cv.im


def draw_boat():
    cv = Canvas(32, 16)
    for y in range(4, 14):
        inset = abs(y - 8) // 2 + (3 if y > 10 else 0)
        cv.rect(2 + inset, y, 29 - inset, y, WOOD[2] if y < 8 else WOOD[1])
    cv.rect(6, 7, 25, 9, WOOD[0])
    cv.rect(14, 7, 15, 9, WOOD[3])
    cv.outline()
    return cv

#!/usr/bin/python3
"""Builds the town: dat/town3.csv, dat/image/mapchip/chips2.png, collision.png and
the overview pictures docs/town.png and docs/town_collision.png.

    /usr/bin/python3 tools/assetgen/town.py OUTDIR

Deterministic: no clock, no random generator, PNGs written without metadata.

Chip sheet rows (256 chips each, chip n at ((n % 256) * 16, (n / 256) * 16)):
    row 0        plain ground fills: 0-5 grass, 8-11 flowers, 16-19 forest floor,
                 24-27 paddy ridges
    rows 1-11    ground terrains drawn over their base; column = neighbour mask
                 (bit 1 N, 2 E, 4 S, 8 W, 16 NE, 32 SE, 64 SW, 128 NW; a bit is set
                 when that neighbour is the same terrain); the unused columns 16, 32
                 and 64 hold extra plain variants of the terrain.
                 1 road, 2 paving, 3 river, 4 sea, 5 beach, 6 wheat, 7 chicken yard,
                 8 pig mud, 9 rice paddy, 10 farm soil, 11 pen floor
    rows 16-23   things standing on the ground (layer 1): fences, walls, trunks, ...
    rows 24-31   overlay (layer 2): roofs, tree crowns, forest canopy, lamp heads
Collision chips: 0 = solid (blocks walkers and bullets), 255 = open (no object).
"""

import os
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import town_chips as tc  # noqa: E402
from town_layout import build_town, AREAS, PEN_CELLS, START_CELL, SIZE  # noqa: E402

TERRAIN_ROWS = {'road': 1, 'pave': 2, 'water': 3, 'sea': 4, 'sand': 5, 'wheat': 6, 'yard': 7,
                'mud': 8, 'paddy': 9, 'soil': 10, 'pen': 11}
# which neighbours count as "the same" when shaping a terrain's edges
SAME = {
    'road': {'road', 'pave', 'bridge'},
    'pave': {'pave', 'road'},
    'water': {'water', 'sea', 'bridge'},
    'sea': {'sea', 'water', 'pier'},
    'sand': {'sand', 'sea', 'pier'},
    'wheat': {'wheat'},
    'yard': {'yard'},
    'mud': {'mud'},
    'paddy': {'paddy'},
    'soil': {'soil'},
    'pen': {'pen'},
}
LAYER1_BASE = 16 * 256
OVERLAY_BASE = 24 * 256
EMPTY = 255
SOLID = 0


class Sheet:
    def __init__(self):
        self.chips = {}  # id -> RGBA 16x16 image
        self.by_pixels = {}
        self.next = {1: LAYER1_BASE, 2: OVERLAY_BASE}

    def fixed(self, cid, make):
        if cid not in self.chips:
            self.chips[cid] = make()
        return cid

    def add(self, layer, im):
        """Registers an object chip (dedup by pixels); fully transparent chips give EMPTY."""
        if im.getextrema()[3][1] == 0:
            return EMPTY
        key = (layer, im.tobytes())
        if key not in self.by_pixels:
            cid = self.next[layer]
            self.next[layer] += 1
            limit = OVERLAY_BASE if layer == 1 else 8192
            assert cid < limit, 'chip range full'
            self.by_pixels[key] = cid
            self.chips[cid] = im
        return self.by_pixels[key]


def ground_chip(sheet, town, x, y):
    g = town.ground[y][x]
    v = tc.hsh(x, y, 1234)
    if g == 'grass':
        if town.flowers[y][x]:
            k = v % 4
            return sheet.fixed(8 + k, lambda: tc.fill_chip(tc.tex_flowers, k))
        k = v % 6
        return sheet.fixed(k, lambda: tc.fill_chip(tc.tex_grass, k))
    if g == 'forest':
        k = v % 4
        return sheet.fixed(16 + k, lambda: tc.fill_chip(tc.tex_forest, k))
    if g == 'ridge':
        k = v % 4
        return sheet.fixed(24 + k, lambda: tc.fill_chip(tc.tex_ridge, k))
    if g == 'bridge':
        g = 'water'
    elif g == 'pier':
        g = 'sea'
    same = SAME[g]
    m = 0
    for bit, dx, dy in ((1, 0, -1), (2, 1, 0), (4, 0, 1), (8, -1, 0), (16, 1, -1), (32, 1, 1), (64, -1, 1),
                        (128, -1, -1)):
        nx, ny = x + dx, y + dy
        if not (0 <= nx < SIZE and 0 <= ny < SIZE) or town.ground[ny][nx] in same:
            m |= bit
    m = tc.canonical_mask(m)
    row = TERRAIN_ROWS[g]
    if m == 255:
        k = v % 4
        slot = (255, 16, 32, 64)[k]
        return sheet.fixed(row * 256 + slot, lambda: tc.transition_chip(g, 255, k))
    return sheet.fixed(row * 256 + m, lambda: tc.transition_chip(g, m, 0))


def build(outdir):
    town = build_town()
    sheet = Sheet()
    layers = [[[EMPTY] * SIZE for _ in range(SIZE)] for _ in range(4)]
    for y in range(SIZE):
        for x in range(SIZE):
            layers[0][y][x] = ground_chip(sheet, town, x, y)
    for y in range(SIZE):
        for x in range(SIZE):
            if town.l1[y][x] is not None:
                layers[1][y][x] = sheet.add(1, town.l1[y][x])
            if town.ov[y][x] is not None:
                layers[2][y][x] = sheet.add(2, town.ov[y][x])
            layers[3][y][x] = SOLID if town.solid[y][x] else EMPTY
    check(layers)

    os.makedirs(os.path.join(outdir, 'dat', 'image', 'mapchip'), exist_ok=True)
    os.makedirs(os.path.join(outdir, 'docs'), exist_ok=True)
    write_csv(os.path.join(outdir, 'dat', 'town3.csv'), layers)

    sheet_im = Image.new('RGB', (4096, 512), tc.MAGENTA)
    for cid in sorted(sheet.chips):
        sheet_im.paste(flatten(sheet.chips[cid]), ((cid % 256) * 16, (cid // 256) * 16))
    save_png(sheet_im, os.path.join(outdir, 'dat', 'image', 'mapchip', 'chips2.png'))

    col_im = collision_sheet()
    save_png(col_im, os.path.join(outdir, 'collision.png'))

    town_im = Image.new('RGB', (SIZE * 16, SIZE * 16), (0, 0, 0))
    cut = {}
    for layer in range(3):
        for y in range(SIZE):
            for x in range(SIZE):
                cid = layers[layer][y][x]
                if cid == EMPTY:
                    continue
                if cid not in cut:
                    chip = sheet_im.crop(((cid % 256) * 16, (cid // 256) * 16, (cid % 256) * 16 + 16,
                                          (cid // 256) * 16 + 16))
                    r, g, b = chip.split()
                    # opaque wherever the pixel is not exactly magenta
                    key = Image.merge('RGB', (r.point(lambda v: 0 if v == 255 else 255),
                                              g.point(lambda v: 0 if v == 0 else 255),
                                              b.point(lambda v: 0 if v == 255 else 255)))
                    mask = key.convert('L').point(lambda v: 255 if v else 0)
                    cut[cid] = (chip, mask)
                chip, mask = cut[cid]
                town_im.paste(chip, (x * 16, y * 16), mask)
    save_png(town_im, os.path.join(outdir, 'docs', 'town.png'))
    save_png(collision_picture(town_im, layers[3]), os.path.join(outdir, 'docs', 'town_collision.png'))


def flatten(im):
    """RGBA chip -> RGB with magenta wherever it is transparent (hard edges only)."""
    out = Image.new('RGB', im.size, tc.MAGENTA)
    src = im.load()
    dst = out.load()
    for y in range(im.size[1]):
        for x in range(im.size[0]):
            p = src[x, y]
            if p[3] >= 128:
                c = p[:3]
                if c == tc.MAGENTA:
                    c = (254, 0, 254)
                dst[x, y] = c
    return out


def write_csv(path, layers):
    lines = []
    for layer in layers:
        for y in range(SIZE):
            lines.append(','.join(str(layer[y][x]) for x in range(SIZE)))
        lines.append('')  # spare line between blocks, never read
    with open(path, 'w', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


def save_png(im, path):
    im.save(path, format='PNG', optimize=False, compress_level=9)


def collision_sheet():
    im = Image.new('RGB', (256, 256), (0, 0, 0))
    px = im.load()
    for n in range(256):
        ox, oy = (n % 16) * 16, (n // 16) * 16
        if n == 0:
            fill, ink = (200, 30, 30), (255, 230, 230)
        elif n == 1:
            fill, ink = (30, 150, 60), (220, 255, 220)
        elif n == 255:
            fill, ink = (40, 40, 40), (90, 90, 90)
        else:
            fill = (40 + (n * 37) % 160, 40 + (n * 71) % 160, 60 + (n * 113) % 160)
            ink = (240, 240, 240)
        for y in range(16):
            for x in range(16):
                c = fill
                if x in (0, 15) or y in (0, 15):
                    c = ink
                if n == 0 and (x == y or x == 15 - y):
                    c = ink
                if n == 1 and 5 <= x <= 10 and 5 <= y <= 10:
                    c = ink
                if n not in (0, 1, 255):
                    # value written as two hex digits in a tiny 3x5 font
                    c = digit_pixel(n, x, y, fill, ink)
                px[ox + x, oy + y] = c
    return im


FONT = ['111101101101111', '010110010010111', '111001111100111', '111001111001111', '101101111001001',
        '111100111001111', '111100111101111', '111001001001001', '111101111101111', '111101111001111',
        '111101111101101', '110101110101110', '111100100100111', '110101101101110', '111100111100111',
        '111100111100100']


def digit_pixel(n, x, y, fill, ink):
    if x in (0, 15) or y in (0, 15):
        return ink
    for k, d in enumerate(((n >> 4) & 15, n & 15)):
        gx, gy = x - (3 + k * 6), y - 5
        if 0 <= gx < 3 and 0 <= gy < 5 and FONT[d][gy * 3 + gx] == '1':
            return ink
    return fill


def collision_picture(town_im, col):
    im = town_im.point(lambda v: v // 2)
    red = Image.new('RGB', (16, 16), (220, 30, 30))
    half = Image.new('L', (16, 16), 110)
    for y in range(SIZE):
        for x in range(SIZE):
            if col[y][x] == SOLID:
                im.paste(red, (x * 16, y * 16), half)
    from PIL import ImageDraw
    d = ImageDraw.Draw(im)
    for (x0, x1, y0, y1), colour in zip(AREAS, ((255, 255, 0), (0, 255, 255), (255, 128, 0), (0, 128, 255))):
        d.rectangle([x0 * 16, y0 * 16, x1 * 16 + 15, y1 * 16 + 15], outline=colour)
    x0, x1, y0, y1 = PEN_CELLS
    d.rectangle([x0 * 16, y0 * 16, x1 * 16 + 15, y1 * 16 + 15], outline=(255, 255, 255))
    sx, sy = START_CELL
    d.rectangle([sx * 16 + 4, sy * 16 + 4, sx * 16 + 11, sy * 16 + 11], fill=(255, 255, 255))
    return im


def check(layers):
    col = layers[3]
    for i in range(SIZE):
        for cx, cy in ((i, 0), (i, SIZE - 1), (0, i), (SIZE - 1, i)):
            assert col[cy][cx] == SOLID, ('border open', cx, cy)
    for x0, x1, y0, y1 in AREAS:
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                assert col[y][x] != SOLID, ('solid inside area', x, y)
    sx, sy = START_CELL
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            assert col[sy + dy][sx + dx] != SOLID, ('start blocked', sx + dx, sy + dy)
    seen = {(sx, sy)}
    todo = [(sx, sy)]
    while todo:
        x, y = todo.pop()
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if 0 <= nx < SIZE and 0 <= ny < SIZE and (nx, ny) not in seen and col[ny][nx] != SOLID:
                seen.add((nx, ny))
                todo.append((nx, ny))
    for x0, x1, y0, y1 in AREAS + [PEN_CELLS]:
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                assert (x, y) in seen or col[y][x] == SOLID, ('unreachable', x, y)


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: town.py OUTDIR')
    build(sys.argv[1])

"""The 640 x 480 title picture: sky, town roofs and trees, the logo and the cast."""

import math
import random

from PIL import Image, ImageDraw, ImageFont

import spr_party
from spr_base import INK, mix

FONT = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf"
W, H = 640, 480
SCALE = 4           # hard-edged pixel size of the painted scene


def sky(px, w, h):
    top, mid, low = (96, 160, 238), (150, 204, 250), (255, 226, 196)
    for y in range(h):
        t = y / h
        c = mix(top, mid, t / 0.6) if t < 0.6 else mix(mid, low, (t - 0.6) / 0.4)
        # banded like an old palette
        c = tuple((v // 6) * 6 for v in c)
        for x in range(w):
            px[x, y] = c


def cloud(d, x, y, s):
    for (ox, oy, r) in ((0, 0, 5), (6, -3, 6), (13, 0, 5), (6, 2, 5)):
        r2 = r * s
        d.ellipse([x + ox * s - r2, y + oy * s - r2, x + ox * s + r2, y + oy * s + r2], fill=(255, 255, 255))
    d.rectangle([x - 4 * s, y + 2 * s, x + 17 * s, y + 5 * s], fill=(236, 244, 255))


def house(d, x, base, w, h, roof, wall):
    rw = w + 4
    d.rectangle([x, base - h, x + w, base], fill=wall, outline=INK)
    d.polygon([(x - 2, base - h), (x + w // 2, base - h - w // 2), (x + w + 2, base - h)], fill=roof, outline=INK)
    dark = mix(roof, (30, 20, 50), 0.35)
    d.line([(x + w // 2, base - h - w // 2), (x + w + 2, base - h)], fill=dark)
    for wx in range(x + 3, x + w - 4, 8):
        d.rectangle([wx, base - h + 4, wx + 3, base - h + 8], fill=(255, 236, 150), outline=INK)
    d.rectangle([x + w // 2 - 2, base - 7, x + w // 2 + 2, base], fill=(120, 70, 40), outline=INK)
    return rw


def tree(d, x, base, s):
    d.rectangle([x - 1, base - 6, x + 1, base], fill=(110, 70, 40), outline=INK)
    for (ox, oy, r, c) in ((0, -12, 7, (60, 140, 70)), (-4, -9, 5, (70, 160, 80)), (3, -15, 4, (110, 200, 100))):
        d.ellipse([x + ox - r, base + oy - r, x + ox + r, base + oy + r], fill=c, outline=INK)


def scene():
    """The background painted at a quarter size, later blown up with nearest sampling."""
    w, h = W // SCALE, H // SCALE
    img = Image.new("RGB", (w, h))
    sky(img.load(), w, h)
    d = ImageDraw.Draw(img)
    rng = random.Random(2024)
    cloud(d, 16, 18, 1)
    cloud(d, 118, 12, 1)
    cloud(d, 70, 34, 1)
    # far hills
    d.ellipse([-40, 62, 90, 140], fill=(120, 190, 130))
    d.ellipse([60, 66, 220, 150], fill=(104, 176, 120))
    # roofs of the town
    roofs = [(230, 90, 80), (80, 120, 210), (240, 170, 70), (120, 170, 90), (200, 100, 160)]
    walls = [(250, 236, 210), (236, 220, 200), (255, 250, 236)]
    x = -6
    k = 0
    while x < w:
        bw = rng.choice((16, 18, 22))
        bh = rng.choice((12, 14, 18))
        house(d, x, 98, bw, bh, roofs[k % len(roofs)], walls[k % len(walls)])
        x += bw + rng.choice((3, 5, 8))
        k += 1
    # grass and path
    d.rectangle([0, 98, w, h], fill=(116, 196, 96))
    for i in range(160):
        gx, gy = rng.randrange(w), rng.randrange(100, 107)
        d.point((gx, gy), fill=(90, 170, 80))
    d.polygon([(62, 98), (98, 98), (130, 107), (30, 107)], fill=(226, 200, 150))
    for tx in (8, 30, 132, 152):
        tree(d, tx, 100 + (tx % 3), 1)
    # bottom strip: calm and dark, for the score and the prompt
    for y in range(107, h):
        t = (y - 107) / max(1, h - 108)
        d.line([(0, y), (w, y)], fill=mix((38, 34, 72), (20, 18, 40), t))
    d.line([(0, 107), (w, 107)], fill=(250, 210, 120))
    return img.resize((W, H), Image.NEAREST)


def logo(img):
    """たぼに！ in round, fat letters with a stacked outline and a shadow."""
    font = ImageFont.truetype(FONT, 118)
    text = "たぼに！"
    mask = Image.new("L", (W, H), 0)
    md = ImageDraw.Draw(mask)
    bbox = md.textbbox((0, 0), text, font=font, stroke_width=4)
    tx = (W - (bbox[2] - bbox[0])) // 2 - bbox[0]
    ty = 36 - bbox[1]
    layers = [(16, (60, 24, 40), (6, 8)), (16, (60, 24, 40), (0, 0)), (11, (255, 255, 255), (0, 0)),
              (6, (240, 90, 110), (0, 0))]
    d = ImageDraw.Draw(img)
    for stroke, col, (ox, oy) in layers:
        m = Image.new("L", (W, H), 0)
        ImageDraw.Draw(m).text((tx + ox, ty + oy), text, font=font, fill=255, stroke_width=stroke,
                               stroke_fill=255)
        m = m.point(lambda v: 255 if v >= 128 else 0)
        img.paste(col, (0, 0), m)
    # letters with a warm vertical gradient
    m = Image.new("L", (W, H), 0)
    ImageDraw.Draw(m).text((tx, ty), text, font=font, fill=255, stroke_width=3, stroke_fill=255)
    m = m.point(lambda v: 255 if v >= 128 else 0)
    grad = Image.new("RGB", (W, H))
    gd = ImageDraw.Draw(grad)
    box = m.getbbox()
    for y in range(H):
        t = 0 if box is None else min(1.0, max(0.0, (y - box[1]) / max(1, box[3] - box[1])))
        c = mix((255, 250, 180), (255, 150, 40), t)
        if t < 0.35:
            c = mix((255, 255, 230), (255, 236, 140), t / 0.35)
        gd.line([(0, y), (W, y)], fill=c)
    img.paste(grad, (0, 0), m)
    # glints
    for (x, y, r) in ((box[0] + 10, box[1] + 6, 7), (box[2] - 18, box[1] + 12, 5), (box[2] + 12, box[1] - 2, 9)):
        d.polygon([(x, y - r), (x + r // 3, y - r // 3), (x + r, y), (x + r // 3, y + r // 3), (x, y + r),
                   (x - r // 3, y + r // 3), (x - r, y), (x - r // 3, y - r // 3)], fill=(255, 255, 255),
                  outline=(60, 24, 40))
    return img


def cast(img):
    """The two heroines and the hungry friend, blown up from their sprites."""
    picks = [("tosca", 4, 1, 150, 4), ("pelka", 3, 1, 262, 5), ("varno", 5, 1, 400, 4)]
    for name, row, col, x, z in picks:
        cv = spr_party.frame(name, row, col)
        sprite = cv.image()
        big = sprite.resize((sprite.width * z, sprite.height * z), Image.NEAREST)
        m = Image.new("L", big.size, 0)
        mp, bp = m.load(), big.load()
        for yy in range(big.height):
            for xx in range(big.width):
                if bp[xx, yy] != (255, 0, 255):
                    mp[xx, yy] = 255
        base_y = 428
        y = base_y - big.height
        # soft ground shadow, drawn hard-edged
        d = ImageDraw.Draw(img)
        sw = big.width * 0.42
        d.ellipse([x + big.width / 2 - sw, base_y - 12, x + big.width / 2 + sw, base_y - 1], fill=(70, 130, 70))
        img.paste(big, (x, y), m)
    return img


def title():
    img = scene()
    img = logo(img)
    img = cast(img)
    return img

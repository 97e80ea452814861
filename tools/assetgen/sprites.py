#!/usr/bin/python3
"""Draws every sprite, interface part and the title picture of the game.

    /usr/bin/python3 tools/assetgen/sprites.py OUTDIR

writes OUTDIR/dat/image/... and the preview sheets OUTDIR/docs/sprites.png and
OUTDIR/docs/title.png. Everything is drawn by code and the output is the same
byte for byte on every run: no clock, no unseeded randomness, no PNG metadata.
Magenta (255, 0, 255) is the transparent colour of every sprite.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image, ImageDraw, ImageFont  # noqa: E402

import spr_enemies  # noqa: E402
import spr_food  # noqa: E402
import spr_fx  # noqa: E402
import spr_party  # noqa: E402
import spr_title  # noqa: E402
import spr_ui  # noqa: E402
from spr_base import MAGENTA  # noqa: E402

FONT = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf"


def collect():
    """Name under dat/image/ -> RGB image, in a stable order."""
    images = {}
    for name in ("pelka", "tosca", "varno"):
        images["ziki/v8-%s.png" % name] = spr_party.sheet(name)
    for group in (spr_enemies.all_enemies(), spr_food.all_food_sprites(), spr_fx.all_fx(), spr_ui.all_ui()):
        for key, cv in group.items():
            images[key] = cv.image()
    images["title.png"] = spr_title.title()
    return images


def save(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.convert("RGB").save(path, format="PNG", optimize=False)


def contact_sheet(images, zoom=2, width=1280):
    """All sprites (not the title) at 2x on a grey checker, each with its name."""
    font = ImageFont.truetype(FONT, 11)
    pad = 6
    tiles = []
    for name in sorted(k for k in images if k != "title.png"):
        img = images[name]
        w, h = img.width * zoom, img.height * zoom
        tw = max(w, int(font.getlength(name)) + 2)
        tiles.append((name, img, w, h, tw))
    # shelf packing
    x = y = pad
    row_h = 0
    places = []
    for name, img, w, h, tw in tiles:
        if x + tw + pad > width:
            x = pad
            y += row_h + pad
            row_h = 0
        places.append((name, img, x, y, w, h))
        x += tw + pad
        row_h = max(row_h, h + 14)
    total_h = y + row_h + pad
    sheet = Image.new("RGB", (width, total_h), (96, 100, 112))
    d = ImageDraw.Draw(sheet)
    for name, img, x, y, w, h in places:
        for cy in range(0, h, 8):
            for cx in range(0, w, 8):
                c = (168, 170, 176) if (cx // 8 + cy // 8) % 2 == 0 else (150, 152, 160)
                d.rectangle([x + cx, y + cy, min(x + w, x + cx + 8) - 1, min(y + h, y + cy + 8) - 1], fill=c)
        big = img.resize((w, h), Image.NEAREST)
        mask = Image.new("L", (w, h), 0)
        bp, mp = big.load(), mask.load()
        for yy in range(h):
            for xx in range(w):
                if bp[xx, yy] != MAGENTA:
                    mp[xx, yy] = 255
        sheet.paste(big, (x, y), mask)
        d.text((x, y + h + 1), name, font=font, fill=(240, 240, 240))
    return sheet


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: sprites.py OUTDIR\n")
        return 2
    out = argv[1]
    images = collect()
    for name, img in images.items():
        save(img, os.path.join(out, "dat", "image", name))
    save(contact_sheet(images), os.path.join(out, "docs", "sprites.png"))
    save(images["title.png"], os.path.join(out, "docs", "title.png"))
    print("sprites: %d images" % len(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/python3
"""The application icons, made from the game's own sprites.

    /usr/bin/python3 tools/assetgen/icons.py OUTDIR

reads OUTDIR/dat/image/ (written by sprites.py first) and writes
OUTDIR/dist/icons/<N>x<N>/jp.tavoni.Tavoni.png for N = 48, 128 and 256:
Pelka facing the player with an onigiri, on a round warm badge. The same
bytes on every run: no clock, no randomness, no PNG metadata.
"""

import os
import sys

from PIL import Image, ImageDraw

MAGENTA = (255, 0, 255)
APP_ID = "jp.tavoni.Tavoni"
BASE = 32            # the icon is drawn as 32 x 32 pixel art, then scaled
SIZES = (48, 128, 256)


def sprite(path, box):
    """A cell of a sheet as RGBA, magenta made transparent."""
    cell = Image.open(path).convert("RGB").crop(box)
    rgba = Image.new("RGBA", cell.size, (0, 0, 0, 0))
    src, dst = cell.load(), rgba.load()
    for y in range(cell.size[1]):
        for x in range(cell.size[0]):
            if src[x, y] != MAGENTA:
                dst[x, y] = src[x, y] + (255,)
    return rgba


def badge(image_root):
    art = Image.new("RGBA", (BASE, BASE), (0, 0, 0, 0))
    d = ImageDraw.Draw(art)
    d.ellipse([0, 0, BASE - 1, BASE - 1], fill=(255, 214, 150, 255), outline=(42, 24, 34, 255))
    d.ellipse([3, 3, BASE - 4, BASE - 4], fill=(255, 236, 196, 255))
    # Pelka's sheet: 8 rows of directions (row 4 faces down), 3 walking frames of 24 x 32; the middle stands.
    pelka = sprite(os.path.join(image_root, "ziki", "v8-pelka.png"), (24, 4 * 32, 48, 5 * 32))
    art.alpha_composite(pelka, (2, 0))
    onigiri = sprite(os.path.join(image_root, "foods", "onigiri.png"), (0, 0, 32, 32))
    onigiri = onigiri.resize((16, 16), Image.NEAREST)
    art.alpha_composite(onigiri, (BASE - 17, BASE - 17))
    return art


def main():
    out = sys.argv[1]
    art = badge(os.path.join(out, "dat", "image"))
    for size in SIZES:
        if size % BASE == 0:
            icon = art.resize((size, size), Image.NEAREST)
        else:
            # Not a whole multiple: scale up sharply first, then down smoothly, so the pixels stay even.
            icon = art.resize((BASE * 8, BASE * 8), Image.NEAREST).resize((size, size), Image.LANCZOS)
        folder = os.path.join(out, "dist", "icons", "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        icon.save(os.path.join(folder, APP_ID + ".png"), optimize=False)


if __name__ == "__main__":
    main()

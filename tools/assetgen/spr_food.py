"""Ingredients (item/*.png) and dishes (foods/*.png), 32 x 32 each."""

from spr_base import (INK, WHITE, Canvas, m_edge, m_ellipse, m_line, m_poly, m_rect, mix, ramp)

S = 32
RICE = ramp((255, 255, 250), light=0.0, dark=0.16)
NORI = ramp((46, 70, 52), light=0.3, dark=0.5)
EGG = ramp((255, 214, 70), light=0.5, dark=0.3)
EGGSHELL = ramp((255, 246, 228), light=0.3, dark=0.2)
BREAD = ramp((232, 168, 88), light=0.4, dark=0.4)
CRUMB = ramp((255, 240, 206), light=0.3, dark=0.15)
MEAT = ramp((190, 84, 60), light=0.35, dark=0.4)
PORK = ramp((244, 160, 150), light=0.4, dark=0.3)
FAT = ramp((255, 240, 232), light=0.0, dark=0.12)
BONE = ramp((250, 244, 226), light=0.0, dark=0.2)
PLATE = ramp((236, 244, 250), light=0.0, dark=0.18)
SACK = ramp((226, 208, 170), light=0.35, dark=0.35)
GREEN = ramp((90, 180, 70))
RED = ramp((220, 60, 50))


def plate(cv, cy=24.5, rx=13.5, ry=4.5):
    m = m_ellipse(16.0, cy, rx, ry)
    cv.part(m, PLATE, lx=0, ly=1, amount=0.4)
    cv.fill(m_ellipse(16.0, cy - 0.5, rx - 3, ry - 1.5), PLATE[2])
    cv.fill(m_edge(m), INK)


def grains(cv, mask, col, step=3, seed=0):
    for (x, y) in sorted(mask):
        if (x * 7 + y * 5 + seed) % (step * 2 + 1) == 0:
            cv.set(x, y, col)


# ---------------------------------------------------------------- ingredients

def flour():
    cv = Canvas(S, S)
    sack = m_poly([(8, 9), (24, 9), (26, 27), (6, 27)]) | m_ellipse(16, 27, 10, 2.5)
    cv.part(sack, SACK, lx=-1, ly=-0.4)
    neck = m_poly([(10, 4), (22, 4), (20, 9), (12, 9)])
    cv.part(neck, SACK, lx=-1, ly=-1)
    cv.fill(m_rect(11, 8, 21, 9), RED[1])
    # spilled flour on top
    cv.fill(m_ellipse(16, 4.5, 5.5, 1.6), WHITE)
    # wheat ear emblem
    cv.line(16, 13, 16, 24, (170, 120, 50))
    for k in range(3):
        cv.fill(m_ellipse(14.5, 14.5 + k * 3, 1.2, 1.6), (220, 170, 60))
        cv.fill(m_ellipse(17.5, 14.5 + k * 3, 1.2, 1.6), (220, 170, 60))
    cv.fill(m_ellipse(16.5, 12.0, 1.0, 1.5), (220, 170, 60))
    cv.outline()
    return cv


def rice():
    cv = Canvas(S, S)
    bag = m_rect(7, 8, 25, 27)
    cv.part(bag, ramp((250, 250, 244), light=0.0, dark=0.16), lx=-1, ly=0)
    cv.fill(m_rect(7, 6, 25, 8), ramp((250, 250, 244))[2])
    for x in range(7, 26, 2):
        cv.set(x, 6, (200, 200, 200))
    # red emblem with a grain mark
    em = m_ellipse(16, 17.5, 6, 6)
    cv.part(em, RED, lx=-1, ly=-1)
    cv.line(16, 13, 16, 22, WHITE)
    cv.line(12, 17, 20, 17, WHITE)
    cv.set(13, 14, WHITE)
    cv.set(19, 14, WHITE)
    cv.set(13, 20, WHITE)
    cv.set(19, 20, WHITE)
    # a few grains spilling out
    for (x, y) in ((4, 26), (27, 25), (28, 27), (5, 28)):
        cv.fill({(x, y), (x + 1, y)}, WHITE)
    cv.outline()
    return cv


def mutton():
    """A lamb chop on the bone, manga style."""
    cv = Canvas(S, S)
    bone = m_line(20, 12, 27, 5, 3)
    cv.fill(bone, BONE[1])
    for (x, y) in ((27.5, 3.5), (29.5, 5.5)):
        cv.ball(x, y, 1.9, 1.9, BONE, edge=None)
    cv.fill(m_edge(bone), BONE[2])
    meat = m_ellipse(13.5, 18.5, 10.5, 8.5)
    cv.part(meat, MEAT, lx=-0.6, ly=-1)
    cv.fill(m_ellipse(13.5, 18.5, 10.5, 8.5) - m_ellipse(13.0, 18.0, 8.6, 6.8), (255, 236, 220))
    inner = m_ellipse(13.0, 18.0, 8.6, 6.8)
    cv.part(inner, ramp((214, 96, 90)), lx=-1, ly=-1, edge=None)
    cv.line(8, 17, 14, 21, (250, 190, 180))
    cv.line(12, 14, 18, 16, (250, 190, 180))
    cv.fill(m_edge(meat), INK)
    cv.outline()
    return cv


def pork():
    """A block of pork belly with layers of fat."""
    cv = Canvas(S, S)
    top = m_poly([(6, 12), (20, 7), (27, 11), (13, 16)])
    front = m_poly([(6, 12), (13, 16), (13, 26), (6, 22)])
    side = m_poly([(13, 16), (27, 11), (27, 21), (13, 26)])
    cv.part(top, PORK, lx=-1, ly=-1, edge=None)
    cv.part(side, PORK, lx=-1, ly=0, edge=None)
    cv.part(front, PORK, lx=-1, ly=0, edge=None)
    for k, y in enumerate((15, 19, 22)):
        cv.line(13, y + 3 - k, 27, y - 2 - k, FAT[1])
        cv.line(6, y - 1, 13, y + 3 - k, FAT[2])
    cv.line(7, 12, 19, 8, FAT[1])
    cv.fill(m_edge(top) | m_edge(front) | m_edge(side), INK)
    cv.outline()
    return cv


def seawood():
    """Two sheets of nori, one slightly fanned."""
    cv = Canvas(S, S)
    back = m_poly([(9, 5), (27, 8), (24, 27), (6, 24)])
    cv.part(back, NORI, lx=-1, ly=-1)
    front = m_poly([(5, 8), (23, 7), (24, 27), (6, 28)])
    cv.part(front, NORI, lx=-1, ly=-1)
    for y in range(10, 27, 3):
        cv.line(7, y, 22, y - 1, NORI[2])
    cv.line(7, 9, 14, 9, (120, 150, 120))
    cv.outline()
    return cv


def egg():
    cv = Canvas(S, S)
    cv.ball(11.5, 19.0, 6.5, 8.0, EGGSHELL)
    cv.ball(20.5, 17.0, 7.0, 8.6, EGGSHELL)
    cv.fill({(17, 12), (17, 13), (18, 11)}, WHITE)
    cv.outline()
    return cv


# ---------------------------------------------------------------- dishes

def tamagoyaki():
    cv = Canvas(S, S)
    plate(cv)
    for i, x in enumerate((6, 15)):
        blk = m_rect(x, 12, x + 9, 22)
        cv.part(blk, EGG, lx=-1, ly=-1)
        # rolled swirl on the cut face
        cv.line(x + 2, 15, x + 7, 15, EGG[2])
        cv.line(x + 7, 15, x + 7, 19, EGG[2])
        cv.line(x + 4, 19, x + 7, 19, EGG[2])
        cv.line(x + 4, 17, x + 4, 19, EGG[2])
        cv.set(x + 1, 13, EGG[0])
        cv.set(x + 2, 13, EGG[0])
    cv.fill(m_ellipse(26, 23, 2.5, 1.5), GREEN[1])
    cv.outline()
    return cv


def hotdog():
    cv = Canvas(S, S)
    bun_b = m_ellipse(16, 20.5, 13.5, 5.5)
    cv.part(bun_b, BREAD, lx=-1, ly=-1)
    sausage = m_ellipse(16, 16.5, 14.0, 3.6)
    cv.part(sausage, ramp((200, 80, 60)), lx=-0.3, ly=-1)
    cv.line(5, 15, 27, 15, (236, 140, 110))
    bun_f = m_ellipse(16, 21.5, 12.5, 4.0) - m_ellipse(16, 16.0, 14, 3.0)
    cv.part(bun_f, BREAD, lx=-1, ly=-1)
    # mustard zigzag
    for i, x in enumerate(range(6, 27, 2)):
        cv.set(x, 14 + (i % 2), (255, 220, 40))
        cv.set(x + 1, 14 + ((i + 1) % 2), (255, 220, 40))
    cv.outline()
    return cv


def onigiri():
    cv = Canvas(S, S)
    tri = m_poly([(16, 3), (29, 26), (3, 26)]) | m_ellipse(16, 24.5, 13, 4)
    tri &= m_ellipse(16, 17.5, 14.5, 15)
    cv.part(tri, RICE, lx=-1, ly=-1, amount=0.5)
    grains(cv, tri - m_edge(tri), RICE[2], step=2)
    nori = m_rect(10, 17, 22, 29) & tri
    cv.part(nori, NORI, lx=-1, ly=-1)
    cv.line(11, 20, 21, 20, NORI[0])
    cv.fill(m_ellipse(13.0, 9.5, 1.5, 1.0), WHITE)
    cv.outline()
    return cv


def bowl(cv, top=14, col=ramp((200, 50, 40), light=0.3, dark=0.5)):
    b = m_poly([(4, top), (28, top), (24, 26), (8, 26)]) | m_ellipse(16, top + 8, 12, 5)
    b &= m_rect(0, top, 31, 27)
    cv.part(b, col, lx=-1, ly=0)
    cv.line(6, top + 4, 26, top + 4, mix(col[1], (40, 20, 20), 0.5))
    foot = m_rect(11, 27, 21, 28)
    cv.part(foot, col, lx=-1, ly=0)
    return b


def katudon():
    cv = Canvas(S, S)
    food = m_ellipse(16, 13.5, 13, 5.5)
    cv.part(food, RICE, lx=-1, ly=-1)
    # cutlet slices under egg
    for i, x in enumerate((6, 12, 18)):
        cut = m_poly([(x, 10), (x + 6, 9), (x + 7, 14), (x + 1, 15)])
        cv.part(cut, ramp((214, 140, 60)), lx=-1, ly=-1)
        cv.line(x + 1, 14, x + 6, 13, (240, 220, 200))
    cv.fill(m_ellipse(14, 12, 4, 1.6), EGG[1])
    cv.fill(m_ellipse(21, 13, 3, 1.4), EGG[0])
    cv.fill({(9, 12), (10, 12), (24, 11)}, GREEN[1])
    bowl(cv, 14)
    # lid edge pattern
    cv.line(8, 21, 24, 21, (250, 200, 80))
    cv.outline()
    return cv


def eho_roll():
    cv = Canvas(S, S)
    roll = m_line(5, 24, 24, 8, 8)
    cv.part(roll, NORI, lx=-1, ly=-1)
    end = m_ellipse(25.0, 8.5, 5.2, 5.2)
    cv.part(end, RICE, lx=-1, ly=-1)
    core = [((24.5, 7.0), EGG[1]), ((26.5, 9.5), RED[1]), ((23.5, 10.0), GREEN[1]), ((26.0, 6.5), (240, 140, 90))]
    for (x, y), c in core:
        cv.fill(m_ellipse(x, y, 1.3, 1.3), c)
    cv.line(4, 22, 20, 9, NORI[0])
    cv.outline()
    return cv


def cha_hang():
    cv = Canvas(S, S)
    plate(cv, cy=23.5)
    dome = m_ellipse(16, 17.5, 11, 8) & m_rect(0, 0, 31, 23)
    cv.part(dome, ramp((240, 196, 110), light=0.5), lx=-1, ly=-1)
    pts = sorted(dome - m_edge(dome))
    for i, (x, y) in enumerate(pts):
        k = (x * 13 + y * 7) % 23
        if k == 0:
            cv.set(x, y, GREEN[1])
        elif k == 5:
            cv.set(x, y, (240, 110, 60))
        elif k in (9, 14):
            cv.set(x, y, EGG[0])
        elif k == 19:
            cv.set(x, y, (220, 120, 120))
    cv.outline()
    return cv


def egg_sand():
    cv = Canvas(S, S)
    for dx, dy in ((6, 2), (0, 0)):
        tri = m_poly([(4 + dx, 26 - dy), (26 + dx, 26 - dy), (4 + dx, 6 - dy)]) & m_rect(0, 0, 31, 31)
        cv.part(tri, CRUMB, lx=-1, ly=-1)
        filling = m_poly([(5 + dx, 18 - dy), (17 + dx, 18 - dy), (5 + dx, 14 - dy)]) | m_rect(5 + dx, 16 - dy,
                                                                                               19 + dx, 18 - dy)
        filling &= tri
        cv.fill(filling, EGG[1])
        cv.fill({(p[0], p[1]) for p in filling if (p[0] + p[1]) % 4 == 0}, WHITE)
        crust = m_edge(tri)
        cv.fill(crust, BREAD[1])
        cv.fill(m_edge(tri | {(x, y) for (x, y) in tri}) - {(x, y) for (x, y) in crust if y < 26 - dy - 1}, INK)
    cv.outline()
    return cv


def bread():
    cv = Canvas(S, S)
    loaf = m_rect(5, 13, 26, 27) | m_ellipse(10.5, 12.5, 6, 5) | m_ellipse(21.5, 12.5, 6, 5)
    cv.part(loaf, BREAD, lx=-1, ly=-1, amount=0.3)
    face = m_rect(7, 15, 24, 26) | m_ellipse(11, 14, 3.8, 2.6) | m_ellipse(21, 14, 3.8, 2.6)
    cv.fill(face & loaf, CRUMB[1])
    cv.fill({(x, y) for (x, y) in face & loaf if x >= 22}, CRUMB[2])
    cv.set(9, 16, WHITE)
    cv.set(10, 16, WHITE)
    cv.outline()
    return cv


def genghis_khan():
    cv = Canvas(S, S)
    pan = m_ellipse(16, 17, 14, 10)
    cv.part(pan, ramp((70, 70, 84), light=0.4, dark=0.4), lx=-1, ly=-1)
    for y in range(10, 26, 3):
        cv.line(6, y, 26, y, (40, 40, 50))
    # vegetables around the rim, meat on the dome
    for (x, y) in ((6, 20), (26, 19), (16, 25)):
        cv.fill(m_ellipse(x, y, 2.5, 1.8), GREEN[1])
    for (x, y) in ((8, 14), (24, 13)):
        cv.fill(m_ellipse(x, y, 2.2, 1.6), (250, 160, 60))
    for (x, y) in ((13, 12), (19, 12), (16, 17), (11, 18), (21, 18)):
        m = m_ellipse(x, y, 3.4, 2.4)
        cv.part(m, ramp((170, 80, 60)), lx=-1, ly=-1)
    cv.fill({(14, 5), (15, 4), (18, 5), (19, 4)}, (230, 230, 240))
    cv.outline()
    return cv


def spair_lib():
    cv = Canvas(S, S)
    plate(cv, cy=24)
    for i, y in enumerate((10, 15)):
        bone = m_rect(24, y + 1, 29, y + 2)
        cv.fill(bone, BONE[1])
        cv.set(29, y, BONE[1])
        cv.set(29, y + 3, BONE[1])
        meat = m_ellipse(14.5, y + 2.5, 10, 3.8)
        cv.part(meat, ramp((150, 60, 40), light=0.45, dark=0.4), lx=-1, ly=-1)
        cv.line(8, y + 1, 20, y + 1, (220, 120, 70))
        cv.fill(m_edge(bone), INK)
    cv.outline()
    return cv


def all_items():
    return {
        "item/flour.png": flour(),
        "item/rice.png": rice(),
        "item/mutton.png": mutton(),
        "item/pork.png": pork(),
        "item/seawood.png": seawood(),
        "item/egg.png": egg(),
    }


def all_foods():
    return {
        "foods/tamagoyaki.png": tamagoyaki(),
        "foods/hotdog.png": hotdog(),
        "foods/onigiri.png": onigiri(),
        "foods/katudon.png": katudon(),
        "foods/eho_roll.png": eho_roll(),
        "foods/cha_hang.png": cha_hang(),
        "foods/egg_sand.png": egg_sand(),
        "foods/bread.png": bread(),
        "foods/genghis_khan.png": genghis_khan(),
        "foods/spair_lib.png": spair_lib(),
    }


def all_food_sprites():
    d = all_items()
    d.update(all_foods())
    return d

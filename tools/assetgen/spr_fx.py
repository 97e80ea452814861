"""Bullets, weapon shots and effects."""

import math
import random

from spr_base import (INK, WHITE, Canvas, m_edge, m_ellipse, m_line, m_poly, m_rect, mix, ramp, text_mask)

FIRE = [(255, 255, 236), (255, 238, 120), (255, 180, 50), (236, 96, 40), (170, 40, 40)]
SMOKE = [(200, 196, 200), (150, 146, 158), (104, 100, 116)]


def star(cv, cx, cy, r, c, core=WHITE):
    for k in range(-r, r + 1):
        cv.set(cx + k, cy, c)
        cv.set(cx, cy + k, c)
    cv.set(cx, cy, core)


def explosion(i):
    """Cel i of 16: a fireball swelling for eight cels, then drifting smoke."""
    cv = Canvas(32, 32)
    rng = random.Random(1000 + i)
    if i < 8:
        r = 4 + i * 1.5
        layers = [(1.0, FIRE[4]), (0.85, FIRE[3]), (0.68, FIRE[2]), (0.48, FIRE[1]), (0.26, FIRE[0])]
        if i >= 5:
            layers = layers[:-1]
        for scale, c in layers:
            rr = r * scale
            m = set()
            for k in range(7):
                a = k * math.tau / 7 + i * 0.4
                m |= m_ellipse(16 + math.cos(a) * rr * 0.35, 16 + math.sin(a) * rr * 0.35, rr * 0.7, rr * 0.7)
            cv.fill(m, c)
        for _ in range(i + 2):
            a = rng.uniform(0, math.tau)
            d = r + rng.uniform(0, 3)
            cv.set(int(16 + math.cos(a) * d), int(16 + math.sin(a) * d), FIRE[1])
    else:
        t = i - 8
        puffs = [(16 + math.cos(k * 1.3) * (5 + t), 16 + math.sin(k * 1.3) * (5 + t) - t, 5.5 - t * 0.45)
                 for k in range(5)]
        for j, (x, y, r) in enumerate(puffs):
            if r <= 0.8:
                continue
            m = m_ellipse(x, y, r, r)
            cv.shade(m, [SMOKE[0], SMOKE[1], SMOKE[2]], lx=-1, ly=-1, amount=0.3)
            if t < 3:
                cv.fill(m_ellipse(x + 0.5, y + 0.5, r * 0.4, r * 0.4), FIRE[3] if t < 2 else SMOKE[1])
        # thin out as it fades
        for (x, y) in sorted(cv.opaque()):
            if (x * 3 + y * 5 + t) % 8 < t - 2:
                cv.set(x, y, None)
    return cv


def shot_hit(i):
    """Cel i of 8: a short star-shaped spark."""
    cv = Canvas(16, 16)
    grow = [2, 4, 6, 7, 7, 6, 4, 2][i]
    cols = [WHITE, (255, 250, 180), (255, 220, 90), (255, 170, 60)]
    c = cols[min(3, i // 2)]
    for k in range(-grow, grow + 1):
        if abs(k) < grow - (i // 3):
            cv.set(8 + k, 8, c)
            cv.set(8, 8 + k, c)
    d = max(1, grow * 2 // 3)
    for k in range(-d, d + 1):
        if abs(k) > i // 3:
            cv.set(8 + k, 8 + k, mix(c, (255, 140, 40), 0.4))
            cv.set(8 + k, 8 - k, mix(c, (255, 140, 40), 0.4))
    if i < 4:
        cv.fill(m_ellipse(8.5, 8.5, 1.6, 1.6), WHITE)
    return cv


APPEAR = {"_yellow": (255, 214, 40), "_light_blue": (100, 200, 255), "_red": (255, 70, 70),
          "_green": (90, 220, 90), "_purple": (190, 100, 255), "_white": (240, 240, 250)}


def effect2(col):
    """Glowing summoning ring with four sparkles."""
    cv = Canvas(32, 32)
    light = mix(col, WHITE, 0.6)
    dark = mix(col, (30, 20, 60), 0.45)
    ring = m_ellipse(16, 16, 13, 13) - m_ellipse(16, 16, 10, 10)
    cv.fill(ring, col)
    cv.fill(m_ellipse(16, 16, 12, 12) - m_ellipse(16, 16, 11, 11), light)
    cv.fill(m_edge(ring), dark)
    inner = m_ellipse(16, 16, 6, 6) - m_ellipse(16, 16, 4.5, 4.5)
    cv.fill(inner, light)
    for (x, y) in ((16, 2), (30, 16), (16, 30), (2, 16)):
        star(cv, x, y, 2, col, core=WHITE)
    for (x, y) in ((7, 7), (25, 7), (7, 25), (25, 25)):
        cv.set(x, y, light)
    return cv


def embarrassed(i):
    """Alert mark: a red '!' and sweat drops, bouncing between cels."""
    cv = Canvas(32, 32)
    dy = 0 if i == 0 else -2
    bang = m_rect(13, 5 + dy, 17, 18 + dy) & m_poly([(12, 4 + dy), (18, 4 + dy), (16, 19 + dy), (14, 19 + dy)])
    cv.part(bang, ramp((255, 80, 70)), lx=-1, ly=-1, edge=None)
    dot = m_ellipse(15.0, 23.5 + dy, 2.2, 2.2)
    cv.part(dot, ramp((255, 80, 70)), lx=-1, ly=-1, edge=None)
    for (x, y) in ((24, 10 + (1 - i) * 2), (6, 14 + i * 2)):
        drop = m_ellipse(x + 0.5, y + 2.5, 2.2, 2.5) | m_poly([(x - 1, y + 1), (x, y - 2), (x + 2, y + 1)])
        cv.part(drop, ramp((140, 210, 255), light=0.6), lx=-1, ly=-1, edge=None)
    # burst lines
    for (x0, y0, x1, y1) in ((21, 4, 24, 1), (9, 4, 6, 1), (24, 20, 27, 22)):
        cv.line(x0 + (i and 1), y0, x1 + (i and 1), y1, (255, 230, 90))
    cv.outline()
    return cv


def mini_rice():
    cv = Canvas(16, 16)
    for (x, y, a) in ((4, 5, 0), (9, 8, 1), (6, 11, 0)):
        g = m_rect(x, y, x + 2, y + 1) if a == 0 else m_rect(x, y, x + 1, y + 2)
        cv.fill(g, WHITE)
        cv.set(x, y, (232, 232, 226))
    cv.outline((120, 110, 110))
    return cv


def mini_seawood():
    cv = Canvas(16, 16)
    cv.fill(m_poly([(4, 5), (9, 4), (10, 9), (5, 10)]), (50, 80, 60))
    cv.fill(m_poly([(10, 10), (13, 11), (12, 13), (9, 13)]), (40, 66, 50))
    cv.set(5, 6, (110, 150, 110))
    cv.outline()
    return cv


def rank_up():
    from PIL import ImageFont
    cv = Canvas(128, 48)
    font = ImageFont.truetype(FONT, 26)
    m, (w, h) = text_mask("RANK UP!", font, threshold=100)
    ox, oy = (128 - w) // 2, (48 - h) // 2
    m = {(x + ox, y + oy) for (x, y) in m}
    thick = set(m)
    for (x, y) in m:
        thick |= {(x + 1, y), (x, y + 1)}
    ys = [y for _, y in thick]
    y0, y1 = min(ys), max(ys)
    for (x, y) in thick:
        t = (y - y0) / max(1, y1 - y0)
        cv.set(x, y, mix((255, 250, 170), (255, 140, 30), t))
    cv.fill({(x, y) for (x, y) in thick if (x - 1, y - 1) not in thick and (x, y - 1) not in thick}, WHITE)
    cv.outline((120, 40, 20))
    cv.outline((120, 40, 20), diag=True)
    cv.outline((255, 255, 255))
    for (x, y) in ((6, 8), (120, 10), (10, 40), (118, 38)):
        star(cv, x, y, 3, (255, 240, 120))
    return cv


def magic_aura():
    cv = Canvas(96, 96)
    c1, c2, c3 = (120, 200, 255), (60, 130, 240), (210, 240, 255)
    cv.fill(m_ellipse(48, 48, 46, 46) - m_ellipse(48, 48, 43, 43), c2)
    cv.fill(m_ellipse(48, 48, 44.6, 44.6) - m_ellipse(48, 48, 44, 44), c3)
    cv.fill(m_ellipse(48, 48, 36, 36) - m_ellipse(48, 48, 34.5, 34.5), c1)
    # hexagram
    pts = [(48 + 35 * math.sin(k * math.tau / 6), 48 - 35 * math.cos(k * math.tau / 6)) for k in range(6)]
    for a in range(6):
        b = (a + 2) % 6
        cv.line(pts[a][0], pts[a][1], pts[b][0], pts[b][1], c1)
    # rune ticks between the rings
    for k in range(24):
        a = k * math.tau / 24
        x0, y0 = 48 + 38 * math.sin(a), 48 - 38 * math.cos(a)
        x1, y1 = 48 + 41 * math.sin(a + 0.06), 48 - 41 * math.cos(a + 0.06)
        cv.line(x0, y0, x1, y1, c3 if k % 3 == 0 else c2)
    for (x, y) in pts:
        cv.fill(m_ellipse(x, y, 2.5, 2.5), c3)
    return cv


def seep_shot():
    """The sheep's sleepy puff: a lilac cloud with a 'z'."""
    cv = Canvas(48, 32)
    cols = ramp((236, 220, 255), light=0.0, dark=0.22)
    m = set()
    for (x, y, r) in ((14, 17, 8), (24, 13, 9), (34, 17, 8), (24, 21, 8), (10, 20, 5), (39, 21, 5)):
        m |= m_ellipse(x, y, r, r * 0.85)
    cv.shade(m, cols, lx=-0.6, ly=-1, amount=0.4)
    cv.fill(m_edge(m), (120, 90, 170))
    z = [(20, 12), (26, 12), (20, 18), (26, 18)]
    cv.line(20, 12, 26, 12, (110, 80, 180), 2)
    cv.line(26, 12, 20, 18, (110, 80, 180), 2)
    cv.line(20, 18, 26, 18, (110, 80, 180), 2)
    for (x, y) in ((31, 9), (34, 7)):
        cv.set(x, y, WHITE)
    return cv


def middle_shot_green():
    cv = Canvas(16, 16)
    cv.fill(m_ellipse(8, 8, 7, 7), (40, 140, 40))
    cv.fill(m_ellipse(8, 8, 5.5, 5.5), (110, 220, 80))
    cv.fill(m_ellipse(7.5, 7.5, 3.5, 3.5), (200, 255, 160))
    cv.fill(m_ellipse(6.5, 6.5, 1.5, 1.5), WHITE)
    return cv


def rice_ball():
    cv = Canvas(16, 16)
    tri = m_poly([(8, 2), (14, 13), (2, 13)]) & m_ellipse(8, 8.5, 7, 7)
    cv.part(tri, ramp((255, 255, 250), light=0.0, dark=0.16), lx=-1, ly=-1, edge=None)
    cv.fill(m_rect(5, 10, 10, 13) & tri, (46, 70, 52))
    cv.outline()
    return cv


def mini_sushi():
    cv = Canvas(16, 16)
    cv.fill(m_ellipse(8, 8, 6.5, 6.5), (40, 64, 48))
    cv.fill(m_ellipse(8, 8, 5.0, 5.0), (255, 255, 248))
    cv.fill(m_ellipse(8, 8, 2.2, 2.2), (236, 80, 80))
    cv.set(7, 7, (255, 180, 170))
    cv.outline()
    return cv


def shadow():
    cv = Canvas(24, 24)
    cv.fill(m_ellipse(12, 12, 10, 5), (24, 16, 32))
    return cv


def slash(i):
    """Crescent cut pointing up; it widens and thins over three cels."""
    cv = Canvas(32, 32)
    r_out = [11, 14, 15][i]
    thick = [6, 7, 4][i]
    span = [0.9, 1.25, 1.35][i]
    cy = 24
    for y in range(32):
        for x in range(32):
            dx, dy = x + 0.5 - 16, y + 0.5 - cy
            d = math.hypot(dx, dy)
            a = math.atan2(dx, -dy)
            if abs(a) > span:
                continue
            taper = thick * (1 - (abs(a) / span) ** 2)
            if r_out - taper <= d <= r_out:
                t = (r_out - d) / max(0.5, taper)
                cv.set(x, y, WHITE if t < 0.4 else ((170, 230, 255) if t < 0.75 else (80, 150, 255)))
    if i == 2:
        for (x, y) in sorted(cv.opaque()):
            if (x + y) % 3 == 0:
                cv.set(x, y, None)
    return cv


def fireball():
    cv = Canvas(32, 32)
    tail = m_poly([(10, 16), (22, 16), (16, 31)])
    cv.fill(tail, FIRE[3])
    cv.fill(m_poly([(13, 16), (19, 16), (16, 27)]), FIRE[2])
    cv.fill(m_ellipse(16, 14, 8, 8), FIRE[3])
    cv.fill(m_ellipse(16, 13.5, 6.2, 6.2), FIRE[2])
    cv.fill(m_ellipse(16, 12.5, 4.2, 4.2), FIRE[1])
    cv.fill(m_ellipse(15.5, 11.5, 2.2, 2.2), FIRE[0])
    for (x, y) in ((9, 22), (23, 21), (12, 28), (21, 27)):
        cv.set(x, y, FIRE[1])
    cv.outline(FIRE[4])
    return cv


def firewall(i):
    """A tall column of flames; the two cels swap their tongues."""
    cv = Canvas(32, 64)
    rng = random.Random(77 + i)
    for layer, (col, shrink) in enumerate(((FIRE[3], 0), (FIRE[2], 3), (FIRE[1], 6), (FIRE[0], 9))):
        m = set()
        for k in range(6):
            x = 6 + k * 4 + (i * 2 if k % 2 else -i)
            top = 6 + rng.randint(0, 12) + shrink * 2
            w = 5.5 - shrink * 0.45
            if w <= 0.5:
                continue
            m |= m_poly([(x - w, 62 - shrink), (x + w, 62 - shrink), (x + rng.uniform(-2, 2), top)])
        m |= m_ellipse(16, 56, 13 - shrink, 7 - shrink * 0.5)
        cv.fill(m, col)
    for _ in range(6):
        cv.set(rng.randint(4, 27), rng.randint(2, 20), FIRE[1])
    cv.outline(FIRE[4])
    return cv


FONT = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf"


def all_fx():
    out = {}
    for i in range(16):
        out["Explosion%02d.png" % (i + 1)] = explosion(i)
    for i in range(8):
        out["shot_hit%02d.png" % (i + 1)] = shot_hit(i)
    for name, col in APPEAR.items():
        out["effect2%s.png" % name] = effect2(col)
    out["embarrassed_effect1.png"] = embarrassed(0)
    out["embarrassed_effect2.png"] = embarrassed(1)
    out["mini_rice.png"] = mini_rice()
    out["mini_seawood.png"] = mini_seawood()
    out["effect_rankup.png"] = rank_up()
    out["magic_effect_blue.png"] = magic_aura()
    out["seep_shot.png"] = seep_shot()
    out["middle_shot_green.png"] = middle_shot_green()
    out["rice_ball.png"] = rice_ball()
    out["mini_sushi.png"] = mini_sushi()
    out["shadow.png"] = shadow()
    for i in range(3):
        out["ziki/slash_effect%d.png" % (i + 1)] = slash(i)
    out["ziki/fireball_effect.png"] = fireball()
    out["ziki/firewall1.png"] = firewall(0)
    out["ziki/firewall2.png"] = firewall(1)
    return out

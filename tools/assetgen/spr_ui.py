"""Interface parts under ui_parts/: HUD digits, panels, balloons, hearts, frames."""

from PIL import ImageFont

from spr_base import (INK, WHITE, Canvas, m_edge, m_ellipse, m_grow, m_line, m_poly, m_rect, mix, ramp,
                      text_mask)

FONT = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf"
CREAM = (255, 246, 222)
BROWN = (110, 62, 34)
HEART = ramp((250, 70, 96), light=0.55, dark=0.35)


def font(size):
    return ImageFont.truetype(FONT, size)


def bold_text(cv, text, size, top_col, bot_col, edge=INK, cx=None, cy=None, weight=1, edge2=None):
    """Chunky outlined lettering with a vertical gradient, centred in the canvas."""
    m, (w, h) = text_mask(text, font(size), threshold=100)
    xs = [x for x, _ in m]
    ys = [y for _, y in m]
    w = max(xs) - min(xs) + 1 + weight
    h = max(ys) - min(ys) + 1 + weight
    cx = cv.w / 2 if cx is None else cx
    cy = cv.h / 2 if cy is None else cy
    ox = int(round(cx - w / 2)) - min(xs)
    oy = int(round(cy - h / 2)) - min(ys)
    m = {(x + ox, y + oy) for (x, y) in m}
    thick = set(m)
    for k in range(1, weight + 1):
        thick |= {(x + k, y) for (x, y) in m} | {(x, y + k) for (x, y) in m}
    ys = [y for _, y in thick]
    y0, y1 = min(ys), max(ys)
    for (x, y) in thick:
        cv.set(x, y, mix(top_col, bot_col, (y - y0) / max(1, y1 - y0)))
    hi = {(x, y) for (x, y) in thick if (x, y - 1) not in thick}
    cv.fill(hi, mix(top_col, WHITE, 0.7))
    ring = m_grow(thick, diag=True) - thick
    cv.fill(ring, edge)
    if edge2 is not None:
        cv.fill(m_grow(thick | ring, diag=False) - thick - ring, edge2)
    return thick


# ---------------------------------------------------------------- HUD

TIME_WHITE = ((255, 255, 255), (170, 200, 255))
TIME_YELLOW = ((255, 252, 170), (255, 176, 20))


def time_char(ch, cols):
    cv = Canvas(24, 32)
    glyph = {"coron": ":", "plus": "+", "minus": "-"}.get(ch, ch)
    bold_text(cv, glyph, 29, cols[0], cols[1], edge=(30, 24, 60), weight=2)
    return cv


def heart(scale=1.0, cols=HEART, empty=False):
    cv = Canvas(24, 24)
    r = 5.2 * scale
    cx, cy = 12.0, 11.0
    m = m_ellipse(cx - r * 0.92, cy - r * 0.35, r, r) | m_ellipse(cx + r * 0.92, cy - r * 0.35, r, r)
    m |= m_poly([(cx - r * 1.9, cy + r * 0.05), (cx + r * 1.9, cy + r * 0.05), (cx, cy + r * 1.9)])
    if empty:
        cv.fill(m, (70, 60, 80))
        cv.fill(m_edge(m) - {(x, y) for (x, y) in m_edge(m) if y > cy + r}, (110, 100, 120))
    else:
        cv.shade(m, cols, lx=-1, ly=-1, amount=0.55)
        cv.fill(m_ellipse(cx - r * 0.95, cy - r * 0.6, r * 0.38, r * 0.3), WHITE)
    cv.outline(INK)
    return cv


def panel(w, h, fill, rim, edge=INK, r=4):
    cv = Canvas(w, h)
    m = set()
    for y in range(h):
        for x in range(w):
            dx = max(r - x, x - (w - 1 - r), 0)
            dy = max(r - y, y - (h - 1 - r), 0)
            if dx * dx + dy * dy <= r * r + 1:
                m.add((x, y))
    cv.fill(m, fill)
    e = m_edge(m)
    cv.fill(m_edge(m - e), rim)
    cv.fill(e, edge)
    return cv, m


def food_bg():
    cv, m = panel(40, 40, (255, 248, 230), (236, 200, 150), edge=BROWN, r=6)
    inner = m_ellipse(20, 21, 15, 12)
    cv.fill(inner & m, (250, 232, 206))
    return cv


def label(text, w, h, size, fill, rim, tcols, edge=INK):
    cv, m = panel(w, h, fill, rim, edge=edge, r=h // 3)
    bold_text(cv, text, size, tcols[0], tcols[1], edge=edge, cy=h / 2, weight=1)
    return cv


def yazirusi():
    cv = Canvas(48, 44)
    arrow = m_poly([(17, 4), (31, 4), (31, 22), (40, 22), (24, 40), (8, 22), (17, 22)])
    cv.shade(arrow, ramp((255, 96, 80), light=0.5), lx=-1, ly=-1, amount=0.5)
    cv.fill(m_line(19, 6, 19, 22), (255, 200, 190))
    cv.outline(INK)
    cv.outline(WHITE)
    return cv


def maru():
    """Flower circle, the Japanese mark for 'well done'."""
    cv = Canvas(64, 64)
    ring = m_ellipse(32, 32, 29, 29) - m_ellipse(32, 32, 23, 23)
    cv.shade(ring, ramp((255, 60, 70), light=0.5), lx=-1, ly=-1, amount=0.6)
    cv.fill(m_edge(ring), (150, 20, 40))
    for k in range(10):
        import math
        a = k * math.tau / 10
        x, y = 32 + 29 * math.cos(a), 32 + 29 * math.sin(a)
        p = m_ellipse(x, y, 3.5, 3.5)
        cv.fill(p, (255, 110, 120))
        cv.fill(m_edge(p), (150, 20, 40))
    return cv


def sleep_icon():
    cv = Canvas(32, 32)
    for (x, y, s) in ((6, 18, 14), (15, 9, 11), (23, 3, 8)):
        bold_text(cv, "Z", s, (230, 240, 255), (120, 160, 255), edge=(30, 30, 90), cx=x + s / 3, cy=y + s / 3,
                  weight=1)
    return cv


def balloon(stage):
    cv = Canvas(64, 64)
    fill = ramp((255, 255, 255), light=0.0, dark=0.12)
    if stage == 1:
        cv.ball(48, 56, 3, 3, fill)
    elif stage == 2:
        cv.ball(48, 56, 3, 3, fill)
        cv.ball(40, 46, 5, 4.5, fill)
    else:
        body = m_ellipse(32, 24, 27, 22)
        tail = m_poly([(40, 40), (50, 38), (52, 58)])
        m = body | tail
        cv.shade(m, fill, lx=-1, ly=-1, amount=0.75)
        cv.fill(m_edge(m), INK)
        cv.fill(m_ellipse(17, 11, 4, 2.2) & body, WHITE)
    return cv


def result_bg():
    w, h = 500, 380
    cv, m = panel(w, h, (36, 40, 84), (240, 200, 110), edge=(20, 16, 40), r=14)
    inner = {(x, y) for (x, y) in m if 6 <= x < w - 6 and 6 <= y < h - 6}
    inner -= m_edge(m)
    for (x, y) in inner:
        c = mix((44, 52, 110), (26, 28, 64), y / h)
        if (x // 10 + y // 10) % 2 == 0:
            c = mix(c, (255, 255, 255), 0.03)
        cv.set(x, y, c)
    ring = {(x, y) for (x, y) in m if x in (5, w - 6) or y in (5, h - 6)}
    ring &= {(x, y) for (x, y) in m if 5 <= x <= w - 6 and 5 <= y <= h - 6}
    cv.fill(ring, (240, 200, 110))
    # a band behind the heading
    cv.fill(m_rect(20, 16, w - 21, 50), (60, 70, 140))
    cv.fill(m_rect(20, 50, w - 21, 51), (240, 200, 110))
    return cv


def window_bg():
    """Nine-slice source, 20-pixel margins: a warm cream card."""
    cv, m = panel(60, 60, (255, 248, 228), (255, 248, 228), edge=(250, 236, 206), r=8)
    for (x, y) in m:
        if (x + y) % 10 == 0 and 4 < x < 56 and 4 < y < 56:
            cv.set(x, y, (252, 240, 214))
    return cv


def window_frame():
    """Nine-slice source, 20-pixel margins: rounded wooden frame, hollow middle."""
    cv, m = panel(60, 60, (0, 0, 0), (0, 0, 0), edge=(0, 0, 0), r=8)
    outer = m
    inner = {(x, y) for (x, y) in m if 5 <= x <= 54 and 5 <= y <= 54}
    rim = outer - inner
    cv = Canvas(60, 60)
    for (x, y) in rim:
        d = min(x, y, 59 - x, 59 - y)
        c = [(60, 30, 18), (150, 90, 48), (196, 130, 70), (150, 90, 48), (90, 50, 28)][min(d, 4)]
        cv.set(x, y, c)
    cv.fill(m_edge(outer), (60, 30, 18))
    # inner gold line
    cv.fill(m_edge(inner) - m_edge(m_rect(0, 0, 59, 59)), (250, 210, 120))
    # corner studs
    for (x, y) in ((6, 6), (53, 6), (6, 53), (53, 53)):
        cv.ball(x + 0.5, y + 0.5, 2.2, 2.2, ramp((250, 214, 110), light=0.6), edge=(60, 30, 18))
    return cv


def cursor(direction):
    cv = Canvas(16, 16)
    tri = {"down": [(2, 4), (13, 4), (8, 12), (7, 12)],
           "right": [(4, 2), (4, 13), (12, 8), (12, 7)],
           "left": [(11, 2), (11, 13), (3, 8), (3, 7)]}[direction]
    m = m_poly(tri)
    cv.shade(m, ramp((255, 150, 60), light=0.5), lx=-1, ly=-1, amount=0.5)
    cv.outline(BROWN)
    return cv


def area_edge(i):
    cv = Canvas(32, 32)
    col = [(255, 230, 90), (120, 220, 255), (255, 130, 160)][i]
    for k in range(3 - i if i < 2 else 1, 4):
        y = 4 + k * 6
        cv.fill(m_poly([(6, y + 8), (16, y), (26, y + 8), (22, y + 10), (16, y + 5), (10, y + 10)]), col)
    cv.outline(INK)
    return cv


def multiplier(n):
    cv = Canvas(16, 16)
    m, _ = text_mask(str(n), font(15), threshold=100)
    xs = [x for x, _ in m]
    ys = [y for _, y in m]
    ox = 15 - max(xs) - 2
    oy = 8 - (min(ys) + max(ys)) // 2
    m = {(x + ox, y + oy) for (x, y) in m}
    thick = m | {(x + 1, y) for (x, y) in m}
    ys = [y for _, y in thick]
    for (x, y) in thick:
        cv.set(x, y, mix((255, 255, 180), (255, 150, 30), (y - min(ys)) / max(1, max(ys) - min(ys))))
    xm = m_line(1, 6, 5, 10) | m_line(5, 6, 1, 10)
    cv.fill(xm, (255, 255, 255))
    cv.outline((120, 30, 20))
    return cv


def all_ui():
    out = {}
    for d in "0123456789":
        out["ui_parts/time_%s.png" % d] = time_char(d, TIME_WHITE)
        out["ui_parts/time_%s_yellow.png" % d] = time_char(d, TIME_YELLOW)
    for n in ("coron", "plus", "minus"):
        out["ui_parts/time_%s.png" % n] = time_char(n, TIME_WHITE)
    out["ui_parts/time_plus_yellow.png"] = time_char("plus", TIME_YELLOW)
    out["ui_parts/time_minus_yellow.png"] = time_char("minus", TIME_YELLOW)
    out["ui_parts/life.png"] = heart()
    out["ui_parts/life_small.png"] = heart(0.72)
    out["ui_parts/life_bg.png"] = heart(empty=True)
    out["ui_parts/food_bg.png"] = food_bg()
    out["ui_parts/next.png"] = label("NEXT", 64, 28, 18, (255, 250, 236), (240, 220, 180),
                                     ((120, 220, 255), (40, 110, 230)), edge=BROWN)
    out["ui_parts/ingredient.png"] = label("ざいりょう", 104, 36, 20, (255, 250, 236), (240, 220, 180),
                                           ((255, 200, 120), (230, 100, 40)), edge=BROWN)
    # The same label for the game in English (the HUD picks it with the language).
    out["ui_parts/ingredient_en.png"] = label("FOOD", 104, 36, 20, (255, 250, 236), (240, 220, 180),
                                              ((255, 200, 120), (230, 100, 40)), edge=BROWN)
    out["ui_parts/yazirusi.png"] = yazirusi()
    out["ui_parts/maru.png"] = maru()
    out["ui_parts/sleep_icon.png"] = sleep_icon()
    for s in (1, 2, 3):
        out["ui_parts/fukidasi%d.png" % s] = balloon(s)
    out["ui_parts/result_bg.png"] = result_bg()
    out["ui_parts/window3_bg.png"] = window_bg()
    out["ui_parts/window3_waku.png"] = window_frame()
    for d in ("down", "left", "right"):
        out["ui_parts/cursor_%s.png" % d] = cursor(d)
    for i in range(3):
        out["ui_parts/area_edge%d.png" % (i + 1)] = area_edge(i)
    for n in range(2, 9):
        out["ui_parts/x%d.png" % n] = multiplier(n)
    return out

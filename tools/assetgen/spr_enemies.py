"""The six food enemies, two cels each, 32 x 32, all facing left."""

from spr_base import (INK, WHITE, Canvas, m_edge, m_ellipse, m_line, m_poly, m_rect, mix, ramp)

S = 32
WHEAT = ramp((236, 196, 84), light=0.5, dark=0.35)
STRAW = ramp((214, 178, 96), light=0.4, dark=0.4)
ROPE = ramp((150, 96, 56))
WOOL = ramp((250, 248, 240), light=0.0, dark=0.18)
SHEEPFACE = ramp((92, 80, 96), light=0.3, dark=0.3)
PINK = ramp((250, 170, 180), light=0.4, dark=0.3)
CAN = ramp((40, 110, 80), light=0.35, dark=0.45)
TIN = ramp((214, 222, 232), light=0.6, dark=0.35)
FEATHER = ramp((255, 252, 244), light=0.0, dark=0.16)
COMB = ramp((232, 50, 50))
BEAK = ramp((250, 196, 50))


def eye(cv, x, y, big=False):
    """Round cartoon eye: white with a dark pupil looking left."""
    if big:
        cv.fill(m_rect(x, y, x + 2, y + 3), WHITE)
        cv.fill(m_rect(x, y + 1, x + 1, y + 3), INK)
        cv.set(x, y + 1, WHITE)
        cv.fill({(x - 1, y + 1), (x - 1, y + 2), (x + 3, y + 1), (x + 3, y + 2), (x, y - 1), (x + 1, y - 1),
                 (x + 2, y - 1), (x, y + 4), (x + 1, y + 4), (x + 2, y + 4)}, INK)
    else:
        cv.fill(m_rect(x, y, x + 1, y + 2), INK)
        cv.set(x + 1, y, WHITE)


def feet(cv, xs, y, col, frame, lift=1):
    for i, x in enumerate(xs):
        dy = -lift if (i + frame) % 2 == 0 else 0
        f = m_rect(x, y + dy, x + 2, y + 1 + dy)
        cv.fill(f, col[1])
        cv.fill({(x, y + 1 + dy), (x + 1, y + 1 + dy), (x + 2, y + 1 + dy)}, col[2])


def komugi(frame):
    """A living sheaf of wheat: ears fanning out, a red tie and a face."""
    cv = Canvas(S, S)
    b = frame
    sway = 1 if frame else -1
    # stalk ends below the tie
    stalks = m_poly([(11, 20 + b), (21, 20 + b), (23, 28), (9, 28)])
    cv.part(stalks, STRAW, lx=-1, ly=-0.2)
    for x in range(11, 23, 2):
        cv.set(x, 28, STRAW[2])
    # ears of grain fanning out
    ears = [(-7, 6), (-4, 3), (0, 2), (4, 3), (7, 6), (-2, 5), (2, 5)]
    for ex, ey in ears:
        cx = 16 + ex + (sway if ey < 5 else 0)
        cy = ey + 4 + b
        stalk = m_line(16 + ex // 3, 18 + b, cx, cy + 4)
        cv.fill(stalk, STRAW[1])
        ear = m_ellipse(cx + 0.5, cy + 1.5, 1.9, 4.0)
        cv.part(ear, WHEAT, lx=-1, ly=-1, edge=INK)
        for k in range(-2, 3, 2):
            cv.set(cx, cy + 1 + k, WHEAT[0])
        # awns
        cv.set(cx, cy - 3, WHEAT[2])
        cv.set(cx - 1 if ex < 0 else cx + 1, cy - 4, WHEAT[2])
    # body bundle with a face
    body = m_poly([(10, 10 + b), (22, 10 + b), (23, 20 + b), (9, 20 + b)])
    cv.part(body, WHEAT, lx=-1, ly=-0.5)
    for x in range(11, 23, 3):
        cv.line(x, 11 + b, x, 19 + b, WHEAT[2])
    cv.fill(m_edge(body), INK)
    tie = m_rect(9, 20 + b, 23, 22 + b)
    cv.part(tie, ramp((220, 50, 60)), lx=-1, ly=-1)
    cv.fill(m_poly([(14, 21 + b), (11, 24 + b), (13, 25 + b)]), (220, 50, 60))
    eye(cv, 11, 13 + b, big=True)
    eye(cv, 17, 13 + b, big=True)
    cv.fill({(14, 18 + b), (15, 18 + b)}, INK)
    cv.set(10, 17 + b, PINK[1])
    cv.set(20, 17 + b, PINK[1])
    feet(cv, [11, 19], 28, ROPE, frame)
    cv.outline()
    return cv


def seep(frame):
    """Fluffy sheep: bumpy wool, a dark face on the left."""
    cv = Canvas(S, S)
    b = frame
    # legs
    for i, x in enumerate((10, 14, 19, 23)):
        dy = 1 if (i + frame) % 2 else 0
        leg = m_rect(x, 22, x + 1, 27 - dy)
        cv.fill(leg, SHEEPFACE[2])
    # wool cloud of overlapping puffs
    puffs = [(12, 14), (17, 11), (22, 13), (25, 17), (21, 20), (15, 20), (10, 18), (18, 16)]
    wool = set()
    for (x, y) in puffs:
        wool |= m_ellipse(x + 0.5, y + 0.5 - b * 0.0 + (0 if frame == 0 else -1), 4.6, 4.2)
    cv.shade(wool, WOOL, lx=-0.6, ly=-1, amount=0.35)
    for (x, y) in puffs:
        yy = y + (0 if frame == 0 else -1)
        cv.set(x - 2, yy - 2, WOOL[0])
        cv.set(x + 2, yy + 2, WOOL[2])
        cv.set(x + 3, yy + 1, WOOL[2])
    cv.fill(m_edge(wool), INK)
    # tail
    cv.ball(28.5, 15.5 - frame, 2.0, 2.0, WOOL)
    # head
    hy = 14 - frame
    head = m_ellipse(7.5, hy + 1.5, 4.6, 4.4)
    cv.part(head, SHEEPFACE, lx=-1, ly=-1)
    # ear
    ear = m_poly([(9, hy - 1), (14, hy - 2), (13, hy + 1)])
    cv.part(ear, SHEEPFACE, lx=0, ly=-1)
    cv.set(12, hy - 1, PINK[1])
    # tuft of wool on the head
    cv.ball(9.5, hy - 2.5, 3.0, 2.2, WOOL)
    eye(cv, 5, hy, big=False)
    cv.set(5, hy, WHITE)
    cv.set(6, hy, INK)
    cv.set(4, hy + 4, (40, 30, 40))
    cv.set(5, hy + 4, (40, 30, 40))
    cv.set(7, hy + 3, PINK[1])
    cv.outline()
    return cv


def pig(frame):
    """Round pink pig with a big snout and a curly tail."""
    cv = Canvas(S, S)
    b = frame
    for i, x in enumerate((9, 13, 19, 23)):
        dy = 1 if (i + frame) % 2 else 0
        leg = m_rect(x, 22 - b, x + 2, 27 - dy)
        cv.fill(leg, PINK[2])
        cv.fill(m_rect(x, 27 - dy, x + 2, 27 - dy), (120, 70, 80))
    cv.fill(m_edge(set().union(*[m_rect(x, 22 - b, x + 2, 27) for x in (9, 13, 19, 23)])), INK)
    body = m_ellipse(17.5, 16.5 - b, 11.2, 8.2)
    cv.part(body, PINK, lx=-0.6, ly=-1, amount=0.45)
    cv.fill(m_ellipse(14, 11.5 - b, 3.5, 1.5) & body, PINK[0])
    # curly tail
    cv.dots([(29, 12 - b), (30, 11 - b), (30, 10 - b), (29, 9 - b), (28, 10 - b)], PINK[2])
    # ears
    for ex in (8, 15):
        ear = m_poly([(ex, 10 - b), (ex + 5, 10 - b), (ex + 1, 3 - b)])
        cv.part(ear, PINK, lx=-1, ly=-1, edge=None)
        cv.fill(m_edge(ear) - body, INK)
        cv.set(ex + 2, 7 - b, (230, 120, 140))
        cv.set(ex + 2, 8 - b, (230, 120, 140))
    # snout
    sn = m_ellipse(6.0, 17.0 - b, 3.0, 2.6)
    cv.part(sn, ramp((250, 150, 170)), lx=-1, ly=-1)
    cv.set(5, 17 - b, (130, 50, 70))
    cv.set(7, 17 - b, (130, 50, 70))
    eye(cv, 9, 11 - b)
    eye(cv, 14, 11 - b)
    cv.set(11, 20 - b, INK)
    cv.set(12, 21 - b, INK)
    cv.set(13, 21 - b, INK)
    cv.set(15, 16 - b, (250, 120, 140))
    cv.set(16, 16 - b, (250, 120, 140))
    cv.outline()
    return cv


def seawood_can(frame):
    """A can of seaweed: tin lid, dark green label with a white band and a face."""
    cv = Canvas(S, S)
    b = -2 if frame else 0
    squash = 0 if frame else 1
    x0, x1 = 8, 24
    top, bot = 7 + b + squash, 26 + b
    body = m_rect(x0, top, x1, bot) | m_ellipse(16.5, bot + 0.5, 8.5, 2.6)
    cv.part(body, CAN, lx=-1, ly=0, amount=0.5)
    band = {(x, y) for (x, y) in body if top + 7 <= y <= top + 12}
    cv.shade(band, ramp((250, 240, 214), light=0.0, dark=0.2), lx=-1, ly=0, amount=0.5)
    # kanji-ish stripes on the band: a rolled nori sheet logo
    cv.fill(m_rect(17, top + 8, 22, top + 11), (40, 60, 50))
    cv.fill(m_rect(18, top + 9, 21, top + 10), (70, 110, 80))
    cv.fill(m_edge(body), INK)
    lid = m_ellipse(16.5, top + 0.5, 8.5, 2.8)
    cv.part(lid, TIN, lx=-1, ly=-1)
    cv.fill(m_ellipse(16.5, top + 0.5, 5.5, 1.4) - m_ellipse(16.5, top + 0.5, 4.0, 0.8), TIN[2])
    cv.fill(m_edge(lid), INK)
    # face on the green part
    eye(cv, 10, top + 3, big=False)
    eye(cv, 14, top + 3, big=False)
    cv.fill({(11, top + 14), (12, top + 15), (13, top + 15), (14, top + 14)}, INK)
    cv.set(9, top + 5, PINK[1])
    cv.set(17, top + 5, PINK[1])
    # little feet
    if frame == 0:
        feet(cv, [10, 19], bot + 2, ramp((60, 60, 70)), 1, lift=0)
    cv.outline()
    return cv


def komedawara(frame):
    """A rice bale lying on its side: straw body, rope ties, round ends."""
    cv = Canvas(S, S)
    b = frame
    body = m_ellipse(16.5, 17.5 - b, 13.0, 9.0) & m_rect(4, 0, 29, 31)
    body |= m_rect(6, 10 - b, 27, 25 - b)
    cv.part(body, STRAW, lx=-0.4, ly=-1, amount=0.45)
    for y in range(11 - b, 26 - b, 2):
        cv.line(7, y, 26, y, STRAW[2] if y % 4 else STRAW[0])
    cv.fill(m_edge(body), INK)
    # ropes
    for rx in (9, 23):
        rope = {(x, y) for (x, y) in body if rx <= x <= rx + 1}
        cv.fill(rope, ROPE[1])
        cv.fill({(x, y) for (x, y) in rope if x == rx + 1}, ROPE[2])
    # round end cap on the left
    cap = m_ellipse(5.5, 17.5 - b, 3.2, 8.2)
    cv.part(cap, ramp((200, 160, 90)), lx=-1, ly=-1)
    cv.fill(m_ellipse(5.5, 17.5 - b, 1.5, 4.0), STRAW[2])
    # face
    eye(cv, 13, 14 - b, big=True)
    eye(cv, 18, 14 - b, big=True)
    cv.fill({(15, 20 - b), (16, 21 - b), (17, 20 - b)}, INK)
    cv.set(12, 19 - b, PINK[1])
    cv.set(21, 19 - b, PINK[1])
    # top knot
    cv.fill(m_poly([(15, 9 - b), (17, 5 - b), (19, 9 - b)]), STRAW[0])
    feet(cv, [10, 20], 27, ROPE, frame)
    cv.outline()
    return cv


def niwatori(frame, flying=False):
    """White chicken with a red comb, beak to the left."""
    cv = Canvas(S, S)
    b = frame if not flying else 0
    lift = -4 if flying else 0
    # legs
    if not flying:
        for i, x in enumerate((14, 18)):
            dy = 1 if (i + frame) % 2 else 0
            cv.fill(m_line(x, 22 - b, x - dy, 27), BEAK[2])
            cv.fill({(x - 2 - dy, 27), (x - 1 - dy, 27), (x + 1 - dy, 27)}, BEAK[1])
    else:
        cv.fill({(15, 22 + lift), (16, 23 + lift), (18, 22 + lift), (19, 23 + lift)}, BEAK[1])
    # tail feathers
    tail = m_poly([(22, 14 + lift - b), (28, 6 + lift - b), (29, 10 + lift - b), (27, 18 + lift - b)])
    cv.part(tail, FEATHER, lx=-1, ly=-1)
    cv.line(25, 9 + lift - b, 26, 15 + lift - b, FEATHER[2])
    # body
    body = m_ellipse(17.0, 16.5 + lift - b, 8.6, 6.6)
    cv.part(body, FEATHER, lx=-0.6, ly=-1, amount=0.35)
    # neck and head
    head = m_ellipse(10.5, 9.5 + lift - b, 4.4, 5.0)
    cv.part(head, FEATHER, lx=-1, ly=-1, amount=0.5)
    neck = m_poly([(8, 11 + lift - b), (14, 10 + lift - b), (16, 16 + lift - b), (10, 16 + lift - b)])
    cv.fill(neck - m_edge(neck | body | head), FEATHER[1])
    # comb and wattle
    for i, cx in enumerate((8, 10, 12)):
        cv.ball(cx + 0.5, 4.5 + lift - b - (i == 1), 1.5, 1.7, COMB, hl=False)
    cv.fill(m_ellipse(7.0, 14.5 + lift - b, 1.2, 1.8), COMB[1])
    beak = m_poly([(4, 9 + lift - b), (7, 8 + lift - b), (7, 11 + lift - b)])
    cv.part(beak, BEAK, lx=-1, ly=-1)
    eye(cv, 9, 8 + lift - b)
    # wing
    if flying:
        up = frame == 0
        wing = m_poly([(14, 14 + lift), (22, 13 + lift), (26, 2 + lift)]) if up else \
            m_poly([(14, 15 + lift), (22, 15 + lift), (24, 26 + lift), (17, 24 + lift)])
        cv.part(wing, FEATHER, lx=-1, ly=-1, amount=0.3)
        for k in range(3):
            if up:
                cv.set(21 + k, 8 + k * 2 + lift, FEATHER[2])
            else:
                cv.set(19 + k, 20 + k + lift, FEATHER[2])
    else:
        wing = m_ellipse(19.0, 16.5 - b, 5.0, 3.2)
        cv.part(wing, FEATHER, lx=-1, ly=-1, amount=0.2)
        cv.line(17, 18 - b, 22, 17 - b, FEATHER[2])
    cv.outline()
    return cv


def all_enemies():
    out = {}
    for name, fn in (("komugi", komugi), ("seep", seep), ("pig", pig), ("seawood_can", seawood_can),
                     ("komedawara", komedawara)):
        for f in (0, 1):
            out["enemy/%s%d.png" % (name, f + 1)] = fn(f)
    for f in (0, 1):
        out["enemy/niwatori%d.png" % (f + 1)] = niwatori(f)
        out["enemy/niwatori_fly%d.png" % (f + 1)] = niwatori(f, flying=True)
    return out

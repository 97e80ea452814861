"""Walking sheets of the three party members: 3 frames x 8 directions of 24 x 32.

Rows run clockwise from up; the three columns are left foot, stand, right
foot. Only up, up-right, right, down-right and down are drawn; the three
left-facing rows are mirrors.
"""

from spr_base import (INK, WHITE, Canvas, m_edge, m_ellipse, m_line, m_poly, m_rect, ramp, mix)

FW, FH = 24, 32

SKIN = ramp((255, 214, 178), light=0.45, dark=0.25)
BLUSH = (250, 150, 150)

VIEWS = ["up", "ur", "right", "dr", "down"]   # rows 0..4; rows 5..7 mirror 3, 2, 1


class Pose:
    def __init__(self, view, frame):
        self.view = view
        self.frame = frame
        self.bob = 0 if frame == 1 else -1
        # +1 / -1: which side steps forward; 0 when standing
        self.step = {0: 1, 1: 0, 2: -1}[frame]

    @property
    def back(self):
        return self.view in ("up", "ur")

    @property
    def side(self):
        return self.view == "right"

    @property
    def turn(self):
        """Horizontal shift of face details toward the facing side."""
        return {"up": 0, "ur": 1, "right": 3, "dr": 1, "down": 0}[self.view]


# ---------------------------------------------------------------- shared bits

def eyes(cv, p, y, iris, lash=INK, wide=False):
    """Big anime eyes: dark upper lid, coloured iris, white glint."""
    y += p.bob
    if p.view == "down":
        xs = [8, 14]
    elif p.view == "dr":
        xs = [10, 15]
    elif p.view == "right":
        xs = [16]
    else:
        return
    lo = mix(iris, (20, 10, 40), 0.45)
    for i, x in enumerate(xs):
        w = 2
        if p.view == "dr" and i == 0:
            w = 2
        for dx in range(w):
            cv.set(x + dx, y, lash)
            cv.set(x + dx, y + 1, iris)
            cv.set(x + dx, y + 2, lo)
        cv.set(x + (1 if p.view != "right" else 0), y + 1, WHITE)
        if wide:
            cv.set(x - 1 if i == 0 else x + w, y, lash)
    # cheeks
    if p.view == "down":
        cv.set(7, y + 3, BLUSH)
        cv.set(16, y + 3, BLUSH)
    elif p.view == "dr":
        cv.set(9, y + 3, BLUSH)
        cv.set(17, y + 3, BLUSH)
    elif p.view == "right":
        cv.set(15, y + 3, BLUSH)


def mouth(cv, p, y, col=(170, 60, 60)):
    y += p.bob
    if p.view == "down":
        cv.set(11, y, col)
        cv.set(12, y, col)
    elif p.view == "dr":
        cv.set(13, y, col)
    elif p.view == "right":
        cv.set(17, y, col)


def head_mask(p, cx=12.0, cy=9.6, rx=6.6, ry=6.2):
    if p.side:
        cx += 0.6
    return m_ellipse(cx, cy + p.bob, rx, ry)


def legs_front(cv, p, top, bottom, cols, boot, boot_top, x_left=9, x_right=13, width=2):
    """Two legs seen from front or back, the stepping one lifted."""
    sh = {"ur": 1, "dr": 1}.get(p.view, 0)
    for i, x0 in enumerate((x_left + sh, x_right + sh)):
        lift = 0
        if p.step == (1 if i == 0 else -1):
            lift = 1
        if p.back:
            lift = 1 - lift if p.step else 0
        b = bottom - lift
        leg = m_rect(x0, top, x0 + width - 1, b)
        cv.fill(leg, cols[1])
        cv.fill({(x0 + width - 1, y) for y in range(top, b + 1)}, cols[2])
        bt = m_rect(x0 - (1 if i == 0 else 0), boot_top - lift, x0 + width - (0 if i == 0 else -1) - 1, b)
        cv.fill(bt, boot[1])
        cv.fill({(x, b) for x in range(x0 - 1, x0 + width + 1)} & bt, boot[2])
        cv.set(x0, boot_top - lift, boot[0])
        cv.fill(m_edge(bt | leg), INK)


def legs_side(cv, p, top, bottom, cols, boot, boot_top, cx=12):
    """Profile legs: apart while stepping, together when standing."""
    if p.step == 0:
        spots = [(cx - 2, 0, True), (cx, 0, False)]
    else:
        spots = [(cx - 4, -1, True), (cx + 2, 0, False)]
        if p.step < 0:
            spots = [(cx + 2, 0, True), (cx - 4, -1, False)]
    for x0, lift, behind in sorted(spots, key=lambda s: not s[2]):
        c = [mix(c, (40, 20, 60), 0.3) for c in cols] if behind else cols
        bc = [mix(c, (40, 20, 60), 0.3) for c in boot] if behind else boot
        b = bottom + lift
        lean = 0
        if p.step != 0:
            lean = 1 if x0 > cx else -1
        leg = set()
        for y in range(top, b + 1):
            t = (y - top) / max(1, b - top)
            off = int(round(lean * t * 1.5))
            leg |= {(x0 + off, y), (x0 + off + 1, y)}
        cv.fill(leg, c[1])
        bt = set()
        for y in range(boot_top + lift, b + 1):
            t = (y - top) / max(1, b - top)
            off = int(round(lean * t * 1.5))
            bt |= {(x0 + off, y), (x0 + off + 1, y)}
        toe = max(x for x, y in bt if y == b)
        bt |= {(toe + 1, b), (toe + 1, b - 1)}
        cv.fill(bt, bc[1])
        cv.fill({(x, y) for (x, y) in bt if y == b}, bc[2])
        cv.fill(m_edge(leg | bt), INK)


def arm(cv, x, y0, length, cols, hand=SKIN[1], swing=0):
    """A 2-pixel arm hanging from the shoulder, swung by a pixel or two."""
    pts = set()
    for i in range(length):
        off = int(round(swing * i / max(1, length - 1)))
        pts |= {(x + off, y0 + i), (x + off + 1, y0 + i)}
    cv.fill(pts, cols[1])
    hx = x + swing
    hy = y0 + length
    hand_m = {(hx, hy), (hx + 1, hy), (hx, hy + 1), (hx + 1, hy + 1)}
    cv.fill(hand_m, hand)
    cv.fill(m_edge(pts | hand_m), INK)
    return hx, hy


def finish(cv):
    cv.outline(INK)
    return cv


# ---------------------------------------------------------------- pelka

P_HAIR = ramp((236, 98, 44), light=0.4, dark=0.35)
P_TUNIC = ramp((206, 48, 64))
P_STEEL = ramp((196, 208, 226), light=0.6, dark=0.35)
P_LEG = ramp((70, 52, 70))
P_BOOT = ramp((132, 78, 44))
P_EYE = (40, 150, 90)
GOLD = ramp((240, 190, 60), light=0.5)
SCAB = ramp((60, 80, 140))


def pelka_sword_back(cv, p):
    """Scabbard across the back, hilt over the left shoulder."""
    b = p.bob
    if p.view == "up" or p.view == "ur":
        sh = 1 if p.view == "ur" else 0
        blade = m_line(6 + sh, 11 + b, 17 + sh, 24 + b, 2)
        cv.fill(blade, SCAB[1])
        cv.fill(m_line(7 + sh, 11 + b, 18 + sh, 24 + b), SCAB[0])
        cv.fill(m_edge(blade), INK)
        guard = m_line(4 + sh, 11 + b, 8 + sh, 8 + b, 1)
        cv.fill(guard, GOLD[1])
        grip = m_line(3 + sh, 6 + b, 5 + sh, 8 + b, 1)
        cv.fill(grip, (120, 70, 40))
        cv.set(2 + sh, 5 + b, GOLD[0])
    elif p.view == "right":
        grip = m_line(6, 3 + b, 8, 6 + b, 1)
        cv.fill(grip, (120, 70, 40))
        cv.fill(m_line(5, 7 + b, 9, 5 + b, 1), GOLD[1])
        cv.set(5, 2 + b, GOLD[0])
        blade = m_line(8, 7 + b, 10, 20 + b, 2)
        cv.fill(blade, SCAB[1])
        cv.fill(m_edge(blade), INK)
    else:
        # front views: the hilt peeks over the shoulder, behind the head
        sh = 1 if p.view == "dr" else 0
        cv.fill(m_line(17 + sh, 3 + b, 19 + sh, 6 + b, 1), (120, 70, 40))
        cv.fill(m_line(16 + sh, 8 + b, 21 + sh, 6 + b, 1), GOLD[1])
        cv.set(20 + sh, 2 + b, GOLD[0])


def pelka_ponytail(cv, p, front_layer):
    b = p.bob
    sway = p.step
    if p.view == "up" and not front_layer:
        return
    if p.view in ("up", "ur"):
        if not front_layer:
            return
        sh = 1 if p.view == "ur" else 0
        tail = m_poly([(10 + sh, 4 + b), (14 + sh, 4 + b), (14 + sh + sway, 14 + b), (12 + sh + sway, 18 + b),
                       (10 + sh + sway, 14 + b)])
        cv.part(tail, P_HAIR, lx=-1, ly=0)
        cv.set(12 + sh, 5 + b, (240, 240, 255))
        cv.set(11 + sh, 5 + b, (100, 160, 240))
        cv.set(13 + sh, 5 + b, (100, 160, 240))
    elif p.view == "right":
        if front_layer:
            return
        tail = m_poly([(5, 5 + b), (8, 3 + b), (8, 8 + b), (5 - sway, 15 + b), (3 - sway, 13 + b), (4, 8 + b)])
        cv.part(tail, P_HAIR, lx=1, ly=-1)
    else:
        if front_layer:
            return
        sh = 1 if p.view == "dr" else 0
        x = 4 + sh if p.view == "dr" else 4
        tail = m_poly([(x + 2, 6 + b), (x + 3, 11 + b), (x + 1 - sway, 16 + b), (x - 1 - sway, 13 + b), (x, 8 + b)])
        cv.part(tail, P_HAIR, lx=1, ly=-1)


def pelka_hair(cv, p, hm):
    b = p.bob
    xs = [x for x, y in hm]
    ys = [y for x, y in hm]
    top = min(ys)
    if p.back:
        hair = set(hm)
        cv.part(hair, P_HAIR, lx=-0.6, ly=-1)
        # strands
        for x in (9, 12, 15):
            xx = x + (1 if p.view == "ur" else 0)
            cv.line(xx, top + 3, xx + 1, top + 10, P_HAIR[2])
        if p.view == "ur":
            # ear and cheek peeking out on the right
            cv.set(18, 10 + b, SKIN[1])
            cv.set(18, 11 + b, SKIN[2])
        return
    if p.view == "right":
        face = {(x, y) for (x, y) in hm if x >= 12 and y >= top + 4}
        hair = hm - face
        hair -= {(x, y) for (x, y) in hm if x >= 16 and y >= top + 3}
        hair |= {(x, y) for (x, y) in hm if x <= 12 and y <= top + 12}
        hair |= {(17, top + 3), (18, top + 3), (18, top + 4)} & hm
        cv.part(hair, P_HAIR, lx=0.3, ly=-1)
        cv.set(12, 10 + b, SKIN[2])
        cv.set(12, 11 + b, SKIN[2])
        return
    # front views: fringe with jagged ends and side locks
    sh = 1 if p.view == "dr" else 0
    hair = {(x, y) for (x, y) in hm if y <= top + 4}
    fringe = []
    for x in range(min(xs), max(xs) + 1):
        k = (x - sh) % 4
        depth = [6, 5, 4, 5][k]
        fringe += [(x, y) for y in range(top, top + depth + 1) if (x, y) in hm]
    hair |= set(fringe)
    lx0 = min(xs)
    rx0 = max(xs)
    side_l = m_rect(lx0, top + 3, lx0 + 1 + (1 if p.view == "dr" else 0), top + 12)
    side_r = m_rect(rx0 - 1, top + 3, rx0, top + 11 - (2 if p.view == "dr" else 0))
    hair |= side_l | side_r
    cv.part(hair, P_HAIR, lx=-0.5, ly=-1, edge=None)
    cv.fill(m_edge(hair), INK)
    # shine band
    cv.line(8 + sh, top + 2, 11 + sh, top + 1, P_HAIR[0])


def draw_pelka(p):
    cv = Canvas(FW, FH)
    b = p.bob
    if not p.back:
        pelka_sword_back(cv, p)
    pelka_ponytail(cv, p, front_layer=False)
    # legs
    if p.side:
        legs_side(cv, p, 22, 29, P_LEG, P_BOOT, 25, cx=11)
    else:
        legs_front(cv, p, 22, 29, P_LEG, P_BOOT, 25)
    # arm behind body in profile
    swing = p.step * 2
    if p.side:
        arm(cv, 10, 16 + b, 5, P_TUNIC, swing=-swing)
    # body: tunic and skirt
    cx = 12 + (1 if p.view in ("dr", "ur") else 0)
    if p.side:
        torso = m_poly([(9, 15 + b), (15, 15 + b), (15, 20 + b), (16, 23 + b), (8, 23 + b), (9, 20 + b)])
    else:
        torso = m_poly([(cx - 4, 15 + b), (cx + 3, 15 + b), (cx + 3, 19 + b), (cx + 5, 23 + b), (cx - 6, 23 + b),
                        (cx - 4, 19 + b)])
    cv.part(torso, P_TUNIC, lx=-0.5, ly=-1)
    # skirt hem and belt
    cv.fill({(x, y) for (x, y) in torso if y == 23 + b} - m_edge(torso), P_TUNIC[2])
    belt = {(x, y) for (x, y) in torso if y == 20 + b}
    cv.fill(belt, (90, 56, 40))
    if not p.back:
        cv.set(cx if not p.side else 13, 20 + b, GOLD[1])
    # breastplate
    if p.view in ("down", "dr"):
        plate = m_poly([(cx - 3, 16 + b), (cx + 2, 16 + b), (cx + 2, 19 + b), (cx - 3, 19 + b)])
        cv.part(plate, P_STEEL, lx=-1, ly=-1, edge=P_STEEL[2])
        cv.set(cx - 2, 17 + b, WHITE)
    elif p.side:
        plate = m_rect(12, 16 + b, 15, 19 + b)
        cv.part(plate, P_STEEL, lx=1, ly=-1, edge=P_STEEL[2])
    cv.fill(m_edge(torso), INK)
    # pauldrons
    if not p.side:
        for sx in (cx - 6, cx + 3):
            cv.ball(sx + 1.5, 16.5 + b, 1.8, 1.6, P_STEEL, hl=False, edge=P_STEEL[2])
    # arms
    if not p.side:
        arm(cv, cx - 7, 17 + b, 4, P_TUNIC, swing=0 if p.step == 0 else -p.step)
        arm(cv, cx + 4, 17 + b, 4, P_TUNIC, swing=0 if p.step == 0 else p.step)
    else:
        arm(cv, 13, 16 + b, 4, P_TUNIC, swing=swing)
        cv.ball(13.5, 16.5 + b, 1.8, 1.6, P_STEEL, hl=False, edge=P_STEEL[2])
    # head
    hm = head_mask(p)
    cv.part(hm, SKIN, lx=-0.4, ly=-1, edge=INK)
    if p.view == "right":
        cv.set(19, 11 + b, SKIN[1])     # nose
    pelka_hair(cv, p, hm)
    pelka_ponytail(cv, p, front_layer=True)
    if p.back:
        pelka_sword_back(cv, p)
    eyes(cv, p, 9, P_EYE)
    mouth(cv, p, 13)
    return finish(cv)


# ---------------------------------------------------------------- tosca

T_HAT = ramp((58, 92, 206), light=0.35, dark=0.45)
T_ROBE = ramp((88, 70, 190), light=0.3, dark=0.4)
T_TRIM = ramp((250, 236, 170), light=0.5, dark=0.25)
T_HAIR = ramp((250, 214, 110), light=0.5, dark=0.3)
T_EYE = (110, 70, 210)
WOOD = ramp((160, 100, 50), light=0.4, dark=0.4)
GEM = ramp((250, 80, 130), light=0.6, dark=0.35)


def tosca_staff(cv, p, dy=0):
    b = p.bob + dy
    swing = p.step
    if p.view == "right":
        x0, y0 = 16 + swing, 8
        cv.fill(m_line(x0, y0 + b, x0, 29 + b), WOOD[1])
        cv.ball(x0 + 0.5, y0 - 1.5 + b, 2.2, 2.2, GEM)
        return
    if p.view in ("down", "dr"):
        x0 = 2 if p.view == "down" else 3
    else:
        x0 = 19 if p.view == "up" else 20
    y0 = 8 + (1 if p.step == (1 if x0 < 12 else -1) else 0)
    shaft = m_rect(x0, y0 + b, x0 + 1, 28 + b)
    cv.fill(shaft, WOOD[1])
    cv.fill(m_rect(x0 + 1, y0 + b, x0 + 1, 28 + b), WOOD[2])
    if p.view in ("down", "dr"):
        cv.fill(m_rect(x0 - 1, 20 + b, x0 + 2, 21 + b), SKIN[1])
    # curled head holding the gem
    cv.fill(m_line(x0 - 1, y0 - 1 + b, x0 + 2, y0 - 1 + b), WOOD[2])
    cv.ball(x0 + 1.0, y0 - 3.0 + b, 2.4, 2.4, GEM)


def tosca_hat(cv, p, hm):
    """Wide-brimmed pointed hat whose tip flops toward the back."""
    b = p.bob
    xs = [x for x, y in hm]
    cx = (min(xs) + max(xs) + 1) / 2.0
    brim_y = 7.4 + b
    flop = {"up": 1, "ur": 1, "right": -1, "dr": -1, "down": -1}[p.view]
    brim = m_ellipse(cx, brim_y, 10.4 if not p.side else 9.6, 2.5)
    cone = m_poly([(cx - 5, brim_y - 0.5), (cx + 4, brim_y - 0.5), (cx + 1.5, max(0.5, 1.0 + b)),
                   (cx - 1.5, max(0.5, 1.0 + b))])
    tip = m_poly([(cx - 1.5, max(0.5, 1.0 + b)), (cx + 1.5, max(0.5, 1.0 + b)), (cx + 1 + flop * 3, 2.5 + b),
                  (cx + flop * 6, 4.5 + b)])
    if flop < 0:
        tip = m_poly([(cx - 1.5, max(0.5, 1.0 + b)), (cx + 1.5, max(0.5, 1.0 + b)), (cx + flop * 6, 4.5 + b),
                      (cx - 1 + flop * 3, 2.5 + b)])
    cv.part(brim, T_HAT, lx=-0.3, ly=-1, edge=None)
    cv.fill({(x, y) for (x, y) in brim if y >= brim_y + 1}, T_HAT[2])
    cv.part(cone | tip, T_HAT, lx=-1, ly=-0.4, edge=None)
    band = {(x, y) for (x, y) in cone if y == int(brim_y) - 1}
    cv.fill(band, T_TRIM[1])
    if not p.back:
        sx = int(cx) - (0 if p.view == "down" else -1)
        cv.set(sx, int(brim_y) - 1, GOLD[0])
    cv.fill(m_edge(brim | cone | tip) - m_grow_down(cone, brim), INK)
    tx = int(cx + flop * 6) - (1 if flop > 0 else 0)
    cv.set(tx, int(4.5 + b), GOLD[0])


def m_grow_down(cone, brim):
    """Cone pixels resting on the brim get no outline."""
    return {(x, y) for (x, y) in cone if (x, y + 1) in brim or (x, y + 1) in cone} & brim


def tosca_hair(cv, p, hm):
    b = p.bob
    xs = [x for x, y in hm]
    ys = [y for x, y in hm]
    top = min(ys)
    lx0, rx0 = min(xs), max(xs)
    if p.back:
        hair = set(hm)
        hair |= m_poly([(lx0, top + 6), (rx0, top + 6), (rx0 + 1, top + 15), (lx0 - 1, top + 15)])
        cv.part(hair, T_HAIR, lx=-0.5, ly=-1)
        for x in range(lx0 + 2, rx0, 3):
            cv.line(x, top + 8, x, top + 14, T_HAIR[2])
        return
    if p.view == "right":
        hair = {(x, y) for (x, y) in hm if x <= 13}
        hair |= m_poly([(lx0, top + 5), (13, top + 5), (12, top + 14), (lx0 - 1, top + 14)])
        hair |= {(x, y) for (x, y) in hm if y <= top + 5}
        cv.part(hair, T_HAIR, lx=0.5, ly=-1)
        cv.line(9, top + 8, 9, top + 13, T_HAIR[2])
        return
    sh = 1 if p.view == "dr" else 0
    hair = {(x, y) for (x, y) in hm if y <= top + 5}
    for x in range(lx0, rx0 + 1):
        k = (x + sh) % 3
        depth = [6, 7, 5][k]
        hair |= {(x, y) for y in range(top, top + depth + 1) if (x, y) in hm}
    # long locks down to the shoulders
    hair |= m_rect(lx0 - 1, top + 4, lx0 + 1, top + 15)
    hair |= m_rect(rx0 - 1, top + 4, rx0 + 1 - (1 if p.view == "dr" else 0), top + 15 - (2 if p.view == "dr" else 0))
    cv.part(hair, T_HAIR, lx=-0.5, ly=-1)


def draw_tosca(p):
    cv = Canvas(FW, FH)
    b = p.bob
    if p.back:
        tosca_staff(cv, p)
    # feet under the robe
    if p.side:
        legs_side(cv, p, 25, 29, T_ROBE, ramp((110, 60, 50)), 27, cx=11)
    else:
        legs_front(cv, p, 25, 29, T_ROBE, ramp((110, 60, 50)), 27)
    cx = 12 + (1 if p.view in ("dr", "ur") else 0)
    if p.side:
        robe = m_poly([(9, 14 + b), (15, 14 + b), (16, 20 + b), (17, 27 + b), (6, 27 + b), (8, 20 + b)])
    else:
        sway = p.step
        robe = m_poly([(cx - 4, 14 + b), (cx + 3, 14 + b), (cx + 5, 21 + b), (cx + 6 + sway, 27 + b),
                       (cx - 7 + sway, 27 + b), (cx - 5, 21 + b)])
    cv.part(robe, T_ROBE, lx=-0.5, ly=-1)
    hem = {(x, y) for (x, y) in robe if y >= 26 + b}
    cv.fill(hem, T_TRIM[1])
    if not p.back and not p.side:
        front = {(x, y) for (x, y) in robe if x == cx and y >= 17 + b}
        cv.fill(front, T_TRIM[1])
        cv.set(cx - 1, 16 + b, T_TRIM[1])
        cv.set(cx + 1, 16 + b, T_TRIM[1])
        cv.set(cx, 16 + b, GEM[1])
    elif p.side:
        cv.fill({(x, y) for (x, y) in robe if x == 14 and y >= 17 + b}, T_TRIM[1])
    cv.fill(m_edge(robe), INK)
    # sleeves
    if p.side:
        arm(cv, 12, 15 + b, 5, T_ROBE, swing=1)
    else:
        arm(cv, cx - 7, 15 + b, 5, T_ROBE, swing=-1 if p.step == 0 else -1 - p.step)
        arm(cv, cx + 4, 15 + b, 5, T_ROBE, swing=1 if p.step == 0 else 1 + p.step)
        # wide cuffs
        for x in (cx - 7, cx + 5):
            pass
    hm = head_mask(p, cy=10.2, rx=6.4, ry=5.9)
    cv.part(hm, SKIN, lx=-0.4, ly=-1, edge=INK)
    if p.view == "right":
        cv.set(19, 11 + b, SKIN[1])
    tosca_hair(cv, p, hm)
    eyes(cv, p, 10, T_EYE)
    mouth(cv, p, 14)
    cv = cv.shifted(0, 1)
    tosca_hat(cv, p, hm)
    if not p.back:
        tosca_staff(cv, p, dy=1)
    return finish(cv)


# ---------------------------------------------------------------- varno

V_BODY = ramp((250, 186, 70), light=0.45, dark=0.35)
V_HAIR = ramp((120, 70, 40), light=0.35, dark=0.4)
V_BIB = ramp((255, 255, 250), light=0.0, dark=0.22)
V_BIBRIM = (226, 60, 70)
V_PANTS = ramp((80, 130, 210))
V_SHOE = ramp((200, 60, 60))


def draw_varno(p):
    cv = Canvas(FW, FH)
    b = p.bob
    if p.side:
        legs_side(cv, p, 26, 30, V_PANTS, V_SHOE, 28, cx=11)
    else:
        legs_front(cv, p, 26, 30, V_PANTS, V_SHOE, 28, x_left=8, x_right=14, width=2)
    # round belly
    bx = 12 + (1 if p.view in ("dr", "ur") else 0) + (0.5 if p.side else 0)
    belly = m_ellipse(bx, 22.5 + b, 8.2 if not p.side else 7.4, 5.8)
    cv.part(belly, V_BODY, lx=-0.6, ly=-1)
    shorts = {(x, y) for (x, y) in belly if y >= 25 + b}
    cv.fill(shorts, V_PANTS[1])
    cv.fill({(x, y) for (x, y) in shorts if x >= bx + 4}, V_PANTS[2])
    cv.fill(m_edge(belly), INK)
    # stubby arms
    swing = p.step
    if p.side:
        a = m_ellipse(13 + swing * 1.5, 22 + b, 2.2, 2.6)
        cv.part(a, V_BODY, lx=-1, ly=-1)
    else:
        for sx, s in ((bx - 8.4, -swing), (bx + 8.4, swing)):
            a = m_ellipse(sx, 21.5 + b + s * 0.5, 2.0, 2.6)
            cv.part(a, V_BODY, lx=-1, ly=-1)
    # bib on the front
    if p.view in ("down", "dr"):
        sh = 1 if p.view == "dr" else 0
        bib = m_poly([(bx - 4.5 + sh, 17 + b), (bx + 3.5 + sh, 17 + b), (bx + 4 + sh, 21 + b), (bx + sh, 24 + b),
                      (bx - 4 + sh, 21 + b)])
        cv.fill(bib, V_BIB[1])
        cv.fill({(x, y) for (x, y) in bib if y >= 22 + b}, V_BIB[2])
        cv.fill(m_edge(bib), V_BIBRIM)
        cv.set(int(bx) + sh - 1, 20 + b, (250, 190, 60))
        cv.set(int(bx) + sh, 20 + b, (250, 190, 60))
    elif p.side:
        bib = m_poly([(14, 17 + b), (18, 18 + b), (18, 22 + b), (15, 23 + b)])
        cv.fill(bib, V_BIB[1])
        cv.fill(m_edge(bib), V_BIBRIM)
    else:
        # bib strings tied on the back
        cv.set(int(bx) - 1, 17 + b, V_BIBRIM)
        cv.set(int(bx), 17 + b, V_BIBRIM)
        cv.set(int(bx) - 2, 18 + b, V_BIBRIM)
        cv.set(int(bx) + 1, 18 + b, V_BIBRIM)
    # big round head
    hm = head_mask(p, cy=10.0, rx=7.6, ry=6.6)
    cv.part(hm, V_BODY if False else SKIN, lx=-0.4, ly=-1, edge=INK)
    xs = [x for x, y in hm]
    ys = [y for x, y in hm]
    top = min(ys)
    lx0, rx0 = min(xs), max(xs)
    # round ears
    if not p.side:
        for ex in ((lx0 - 0.5, rx0 + 1.5) if p.view in ("down", "up") else (lx0 - 0.2, rx0 + 1.4)):
            e = m_ellipse(ex, 10.5 + b, 1.7, 2.0)
            cv.part(e, SKIN, lx=-1, ly=-1)
    else:
        e = m_ellipse(10.5, 10.5 + b, 1.8, 2.0)
        cv.part(e, SKIN, lx=-1, ly=-1)
        cv.set(10, 10 + b, SKIN[2])
    # short hair with a cowlick
    if p.back:
        hair = {(x, y) for (x, y) in hm if y <= top + 9}
        cv.part(hair, V_HAIR, lx=-0.5, ly=-1)
        cv.fill({(x, y) for (x, y) in hm if y == top + 10 and (x % 2)}, V_HAIR[2])
    elif p.side:
        hair = {(x, y) for (x, y) in hm if y <= top + 3 or (x <= 12 and y <= top + 8)}
        cv.part(hair, V_HAIR, lx=0.5, ly=-1)
    else:
        sh = 1 if p.view == "dr" else 0
        hair = {(x, y) for (x, y) in hm if y <= top + 2}
        for x in range(lx0, rx0 + 1):
            d = 3 + ((x + sh) % 3 == 0)
            hair |= {(x, y) for y in range(top, top + d + 1) if (x, y) in hm}
        cv.part(hair, V_HAIR, lx=-0.5, ly=-1)
    tuft = m_poly([(11, top + 1), (13, top - 2), (16, top - 3), (14, top), (13, top + 1)])
    cv.part(tuft, V_HAIR, lx=-1, ly=-1)
    # face: dot eyes and a big happy mouth
    if not p.back:
        y = 9 + b
        if p.view == "down":
            ex = [8, 15]
            mx = 10
        elif p.view == "dr":
            ex = [10, 16]
            mx = 12
        else:
            ex = [16]
            mx = 15
        for x in ex:
            cv.dots([(x, y), (x, y + 1)], INK)
            cv.set(x, y - 1, mix(SKIN[1], INK, 0.4))
        for x in ex:
            cv.set(x - 1 if x < 12 else x + 1, y + 3, BLUSH)
        if p.side:
            cv.dots([(mx, 13 + b), (mx + 1, 13 + b), (mx + 2, 13 + b), (mx + 3, 13 + b)], INK)
            cv.dots([(mx + 1, 14 + b), (mx + 2, 14 + b), (mx + 3, 14 + b)], (170, 40, 50))
            cv.set(mx + 3, 12 + b, INK)
            cv.set(20, 11 + b, SKIN[1])
        else:
            w = 4
            cv.dots([(mx + i, 12 + b) for i in range(w)], INK)
            cv.dots([(mx + i, 13 + b) for i in range(w)], (170, 40, 50))
            cv.dots([(mx + 1, 14 + b), (mx + 2, 14 + b)], (250, 120, 130))
            cv.set(mx - 1, 12 + b, INK)
            cv.set(mx + w, 12 + b, INK)
            cv.set(mx, 14 + b, INK)
            cv.set(mx + w - 1, 14 + b, INK)
    return finish(cv)


# ---------------------------------------------------------------- sheets

DRAWERS = {"pelka": draw_pelka, "tosca": draw_tosca, "varno": draw_varno}


def frame(name, row, col):
    """One cel; rows 5, 6, 7 mirror rows 3, 2, 1."""
    mirror = {5: 3, 6: 2, 7: 1}
    src = mirror.get(row, row)
    c = col
    if row in mirror:
        c = 2 - col            # the mirrored step keeps its left/right meaning
    cv = DRAWERS[name](Pose(VIEWS[src], c))
    if row in mirror:
        cv = cv.flipped()
    return cv


def sheet(name):
    out = Canvas(FW * 3, FH * 8)
    for row in range(8):
        for col in range(3):
            out.blit(frame(name, row, col), col * FW, row * FH)
    return out.image()


def portrait(name, row=4, col=1):
    """A single cel, for the title screen."""
    return frame(name, row, col)

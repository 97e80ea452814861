"""Where everything in the town goes.

Cells are (x = column, y = row), 80 x 80.  The four hunting grounds are open
ground with nothing solid inside; the kitchen and Varno's pen sit in the middle
of town beside the plaza, and roads at least three cells wide lead from there to
every field.
"""

import town_chips as tc

SIZE = 80
# hunting grounds as (first column, last column, first row, last row)
AREAS = [(2, 26, 3, 25), (37, 61, 5, 27), (2, 24, 43, 71), (57, 77, 36, 61)]
PEN_CELLS = (42, 47, 47, 52)
START_CELL = (47, 49)


def in_area(x, y):
    for x0, x1, y0, y1 in AREAS:
        if x0 <= x <= x1 and y0 <= y <= y1:
            return True
    return False


class Town:
    def __init__(self):
        self.ground = [['grass'] * SIZE for _ in range(SIZE)]
        self.flowers = [[False] * SIZE for _ in range(SIZE)]
        self.l1 = [[None] * SIZE for _ in range(SIZE)]
        self.ov = [[None] * SIZE for _ in range(SIZE)]
        self.solid = [[False] * SIZE for _ in range(SIZE)]
        self.used = [[False] * SIZE for _ in range(SIZE)]  # taken by a building, tree or prop

    def set_ground(self, x0, y0, x1, y1, g):
        for y in range(max(0, y0), min(SIZE - 1, y1) + 1):
            for x in range(max(0, x0), min(SIZE - 1, x1) + 1):
                self.ground[y][x] = g

    def block(self, x, y, solid=True):
        if solid:
            assert not in_area(x, y), ('solid in hunting ground', x, y)
        self.solid[y][x] = solid
        self.used[y][x] = True

    def put_sprite(self, cv, x, y, overlay_rows=0, solid_rows=None, solid=True):
        """Splits a canvas into cells at (x, y): the first overlay_rows rows go to the overlay,
        the rest onto the ground; solid_rows (relative) get solid collision."""
        wc, hc = cv.w // 16, cv.h // 16
        if solid_rows is None:
            solid_rows = range(overlay_rows, hc)
        for j in range(hc):
            for i in range(wc):
                chip = cv.crop_chip(i, j)
                cx, cy = x + i, y + j
                if j < overlay_rows:
                    self.ov[cy][cx] = chip
                else:
                    self.l1[cy][cx] = chip
                self.used[cy][cx] = True
                if solid and j in solid_rows:
                    self.block(cx, cy)

    def free(self, x0, y0, x1, y1):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if not (0 < x < SIZE - 1 and 0 < y < SIZE - 1):
                    return False
                if self.used[y][x] or self.ground[y][x] not in ('grass',) or in_area(x, y):
                    return False
        return True


def river_x(y):
    """Left column of the three-cell river at row y (a gentle bend in the north)."""
    if 8 <= y <= 20:
        return 28
    return 29


def coast_y(x):
    return 66 + (1 if (x // 6) % 2 else 0) + (1 if x < 40 else 0)


def is_sea(x, y):
    if x >= 78 and y >= 34:
        return True
    if x >= 27 and y >= coast_y(x):
        return True
    return False


def build_town():
    t = Town()
    house_list = []

    # ---- water: river from the north edge into the sea, sea to the south and east
    for y in range(SIZE):
        for x in range(SIZE):
            if is_sea(x, y):
                t.ground[y][x] = 'sea'
    for y in range(SIZE):
        rx = river_x(y)
        for x in range(rx, rx + 3):
            if t.ground[y][x] != 'sea':
                t.ground[y][x] = 'water'
    # beach: sand within two cells of the sea
    for y in range(SIZE):
        for x in range(SIZE):
            if t.ground[y][x] == 'grass':
                near = False
                for dy in range(-2, 3):
                    for dx in range(-2, 3):
                        nx, ny = x + dx, y + dy
                        if 0 <= nx < SIZE and 0 <= ny < SIZE and t.ground[ny][nx] == 'sea':
                            near = True
                if near:
                    t.ground[y][x] = 'sand'

    # ---- forest around the edge
    for y in range(SIZE):
        for x in range(SIZE):
            if x in (0, SIZE - 1) or y in (0, SIZE - 1):
                if t.ground[y][x] in ('grass', 'sand'):
                    t.ground[y][x] = 'forest'
                continue
            if t.ground[y][x] != 'grass':
                continue
            edge = (y <= 2 or x <= 1 or (x >= 78 and y < 34) or y >= 77 or (y <= 3 and x >= 33))
            if edge:
                t.ground[y][x] = 'forest'

    # ---- fields
    # 1: wheat, four patches split by farm tracks
    t.set_ground(2, 3, 26, 25, 'grass')
    for x0, x1 in ((3, 12), (17, 25)):
        for y0, y1 in ((4, 13), (16, 24)):
            t.set_ground(x0, y0, x1, y1, 'wheat')
    t.set_ground(13, 3, 16, 25, 'road')
    t.set_ground(2, 14, 26, 15, 'road')
    # 2: pig and sheep farm
    t.set_ground(40, 7, 45, 11, 'mud')
    t.set_ground(41, 12, 44, 13, 'mud')
    t.set_ground(38, 19, 42, 23, 'mud')
    t.set_ground(47, 17, 50, 27, 'road')
    t.set_ground(53, 7, 59, 10, 'soil')
    for y in range(13, 27):
        for x in range(52, 61):
            if tc.hsh(x, y, 5) % 3 == 0:
                t.flowers[y][x] = True
    # 3: chicken yard
    t.set_ground(2, 43, 24, 71, 'yard')
    # grassy tufts in the yard, roughly round
    for cx, cy, r in ((7, 50, 2), (17, 60, 2), (10, 67, 1), (20, 46, 1), (4, 61, 1), (21, 55, 1), (14, 53, 1)):
        for y in range(cy - r - 1, cy + r + 2):
            for x in range(cx - r - 1, cx + r + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r + 1:
                    t.ground[y][x] = 'grass'
                    t.flowers[y][x] = tc.hsh(x, y, 6) % 2 == 0
    # 4: rice paddies by the sea, with earth ridges between them
    t.set_ground(57, 36, 75, 61, 'ridge')
    for x0, x1 in ((58, 62), (64, 68), (70, 74)):
        for y0, y1 in ((37, 40), (42, 45), (53, 56), (58, 61)):
            t.set_ground(x0, y0, x1, y1, 'paddy')
    t.set_ground(57, 47, 75, 51, 'road')

    # ---- roads (at least four cells wide) and the plaza
    t.set_ground(4, 30, 70, 33, 'road')     # the high street, east to west
    t.set_ground(13, 26, 16, 29, 'road')    # to the wheat field
    t.set_ground(11, 34, 14, 42, 'road')    # to the chicken yard
    t.set_ground(47, 28, 50, 29, 'road')    # to the farm
    t.set_ground(49, 34, 52, 43, 'road')    # down to the plaza
    t.set_ground(59, 34, 62, 35, 'road')    # to the paddies
    t.set_ground(66, 13, 68, 29, 'road')    # to the barn
    t.set_ground(62, 20, 65, 22, 'road')    # farm's east gate
    t.set_ground(49, 44, 56, 56, 'pave')    # plaza
    t.set_ground(49, 57, 52, 63, 'road')    # south street
    t.set_ground(25, 60, 48, 63, 'road')    # to the chicken yard's east gate
    t.set_ground(42, 46, 47, 52, 'pen')     # Varno's yard
    t.set_ground(42, 46, 47, 46, 'pen')
    # bridges over the river
    for y0, y1 in ((30, 33), (60, 63)):
        for y in range(y0, y1 + 1):
            rx = river_x(y)
            for x in range(rx, rx + 3):
                t.ground[y][x] = 'bridge'
                t.l1[y][x] = tc.draw_bridge(0 if y == y0 else 2 if y == y1 else 1, x - rx)
                t.used[y][x] = True

    # a jetty into the sea, south of the plaza
    pier_x, pier_y0, pier_y1 = 44, coast_y(44) - 1, 73
    for y in range(pier_y0, pier_y1 + 1):
        for x in range(pier_x, pier_x + 3):
            if t.ground[y][x] == 'sea':
                t.ground[y][x] = 'pier'
                part = 0 if y == pier_y1 else 1
                t.l1[y][x] = tc.draw_bridge(x - pier_x if x - pier_x != 1 else 1, part).transpose(
                    tc.Image.Transpose.ROTATE_90)
                t.used[y][x] = True
            else:
                t.ground[y][x] = 'sand'

    # ---- solid water and forest
    for y in range(SIZE):
        for x in range(SIZE):
            if t.ground[y][x] in ('water', 'sea'):
                t.block(x, y)
            if t.ground[y][x] == 'forest':
                t.block(x, y)

    # ---- fences
    fence = set()

    def fence_line(x0, y0, x1, y1, gaps=()):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if (x, y) not in gaps and t.ground[y][x] not in ('forest', 'water', 'sea', 'bridge'):
                    fence.add((x, y))

    fence_line(27, 3, 27, 26)
    fence_line(2, 26, 27, 26, gaps={(x, 26) for x in range(13, 17)})
    fence_line(36, 4, 62, 4)
    fence_line(36, 28, 62, 28, gaps={(x, 28) for x in range(47, 51)})
    fence_line(36, 4, 36, 28)
    fence_line(62, 4, 62, 28, gaps={(62, y) for y in range(20, 23)})
    fence_line(2, 42, 25, 42, gaps={(x, 42) for x in range(11, 15)})
    fence_line(25, 42, 25, 72, gaps={(25, y) for y in range(60, 64)})
    fence_line(2, 72, 25, 72)
    # the pen: kitchen wall on the north, open to the plaza on the east
    fence_line(41, 46, 41, 53)
    fence_line(41, 53, 48, 53)
    fence_line(48, 52, 48, 53)
    fence_line(48, 46, 48, 47)
    for (x, y) in sorted(fence):
        m = 0
        for bit, dx, dy in ((1, 0, -1), (2, 1, 0), (4, 0, 1), (8, -1, 0)):
            if (x + dx, y + dy) in fence:
                m |= bit
        t.l1[y][x] = tc.draw_fence(m).copy()
        t.block(x, y)

    # ---- buildings
    def house(x, y, wc, roof_rows, **kw):
        cv = tc.draw_house(wc, roof_rows, **kw)
        # the top roof row can be walked under, the rest of the building blocks
        t.put_sprite(cv, x, y, overlay_rows=roof_rows, solid_rows=range(1, roof_rows + 2))
        house_list.append((x, y, wc, roof_rows + 2))

    house(41, 41, 8, 3, roof='orange', wall='plaster', door_col=6, windows=(0, 1), chimney=1, kitchen=4)
    house(34, 34, 5, 3, roof='red', wall='plaster', door_col=1, windows=(3,))
    house(41, 34, 6, 3, roof='blue', wall='wood', door_col=4, windows=(1, 2), chimney=4)
    house(34, 42, 5, 3, roof='green', wall='stone', door_col=3, windows=(1,))
    house(53, 37, 4, 3, roof='blue', wall='plaster', door_col=1, windows=(2,))
    house(34, 54, 5, 3, roof='brown', wall='wood', door_col=2, windows=(0, 4), chimney=3)
    house(42, 55, 6, 3, roof='red', wall='stone', door_col=2, windows=(0, 4), chimney=1)
    house(53, 57, 4, 3, roof='green', wall='plaster', door_col=1, windows=(2,))
    house(32, 14, 4, 3, roof='orange', wall='wood', door_col=1, windows=(2,))
    house(64, 6, 8, 5, roof='red', wall='wood', door_col=4, windows=(1, 6), barn=True)
    house(72, 15, 5, 3, roof='brown', wall='plaster', door_col=2, windows=(0, 4))
    house(71, 22, 5, 3, roof='blue', wall='stone', door_col=1, windows=(3,), chimney=3)
    house(5, 73, 6, 2, roof='brown', wall='wood', door_col=2, windows=(4,))
    house(15, 73, 4, 2, roof='red', wall='wood', door_col=1, windows=(2,))

    # ---- props: well, lamps, signs, hay and crates outside the fields
    t.put_sprite(tc.draw_well(), 53, 52, overlay_rows=1)
    for lx, ly in ((48, 34), (53, 34), (55, 44), (55, 55), (28, 29), (33, 34), (17, 29), (46, 29)):
        t.put_sprite(tc.draw_lamp(), lx, ly - 1, overlay_rows=1)
    for sx, sy, k in ((12, 29, 0), (10, 34, 0), (51, 29, 0), (63, 34, 1), (26, 64, 1)):
        t.l1[sy][sx] = tc.draw_sign(k)
        t.block(sx, sy)
    for hx, hy, k in ((63, 13, 0), (72, 13, 1), (73, 12, 0), (63, 12, 1)):
        if not t.used[hy][hx]:
            t.l1[hy][hx] = tc.draw_hay(k)
            t.block(hx, hy)
    for cx, cy in ((40, 40), (56, 42), (39, 59)):
        t.l1[cy][cx] = tc.draw_crates()
        t.block(cx, cy)
    t.put_sprite(tc.draw_boat(), 64, 64)
    t.put_sprite(tc.draw_boat(), 38, 65)

    # ---- harmless decorations inside the fields (walkable)
    def deco(x, y, im):
        assert not t.used[y][x]
        t.l1[y][x] = im
        t.used[y][x] = True

    for sx, sy in ((7, 7), (21, 19), (20, 8)):
        cv = tc.draw_scarecrow()
        t.put_sprite(cv, sx, sy, overlay_rows=1, solid=False)
    for hx, hy, k in ((39, 15, 0), (45, 22, 1), (55, 14, 0), (58, 24, 0), (53, 20, 1), (39, 26, 0)):
        deco(hx, hy, tc.draw_hay(k))
    for hx, hy in ((43, 15), (46, 8), (56, 17)):
        deco(hx, hy, tc.draw_trough())
    for nx, ny in ((4, 45), (8, 45), (19, 50), (6, 58), (16, 63), (21, 68), (10, 52)):
        deco(nx, ny, tc.draw_nest())
    for nx, ny in ((13, 47), (18, 57), (5, 66)):
        deco(nx, ny, tc.draw_trough())

    # ---- trees in the spare grass, bushes and rocks
    near_road = [[False] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if t.ground[y][x] in ('road', 'pave', 'bridge', 'pen', 'pier'):
                for dy in (-1, 0, 1):
                    for dx in (-1, 0, 1):
                        if 0 <= x + dx < SIZE and 0 <= y + dy < SIZE:
                            near_road[y + dy][x + dx] = True
    for y in range(1, SIZE - 3):
        for x in range(1, SIZE - 2):
            if tc.hsh(x, y, 77) % 5 > 2:
                continue
            if not t.free(x - 1, y, x + 2, y + 2):
                continue
            if any(near_road[y + j][x + i] for j in range(3) for i in range(2)):
                continue
            kind = tc.hsh(x, y, 78) % 5
            kind = 0 if kind < 3 else kind - 2
            t.put_sprite(tc.draw_tree(kind), x, y, overlay_rows=2)
    for y in range(1, SIZE - 1):
        for x in range(1, SIZE - 1):
            if t.free(x, y, x, y) and not near_road[y][x]:
                r = tc.hsh(x, y, 79) % 23
                if r == 0:
                    t.l1[y][x] = tc.draw_bush(tc.hsh(x, y) % 4)
                    t.block(x, y)
                elif r == 1:
                    t.l1[y][x] = tc.draw_rock(tc.hsh(x, y) % 2)
                    t.block(x, y)
                elif r == 2:
                    t.l1[y][x] = tc.draw_stump()
                    t.block(x, y)
            if t.ground[y][x] == 'grass' and not in_area(x, y) and tc.hsh(x, y, 80) % 9 == 0:
                t.flowers[y][x] = True

    # ---- forest canopy: overlay over the forest, trunks showing along its lower edge
    for y in range(SIZE):
        for x in range(SIZE):
            if t.ground[y][x] != 'forest':
                continue
            v = tc.hsh(x, y, 81) % 4
            below = t.ground[y + 1][x] if y + 1 < SIZE else 'forest'
            if below != 'forest':
                t.ov[y][x] = tc.draw_canopy_edge(v)
                t.l1[y][x] = tc.draw_trunks(v)
            else:
                t.ov[y][x] = tc.draw_canopy(v)
    return t

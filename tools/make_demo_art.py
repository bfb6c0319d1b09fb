#!/usr/bin/env python3
"""Draws the demo content's shell images into data/graphic/ (deterministic; rerun to regenerate)."""
import math
import os
import random
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "graphic")


def write_png(relative, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a) in 0..255."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(bytes(max(0, min(255, int(c))) for c in pixel(x, y)))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    path = os.path.join(ROOT, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def sky(top, bottom, stars, seed):
    rng = random.Random(seed)
    points = {(rng.randrange(800), rng.randrange(420)): rng.randrange(120, 256) for _ in range(stars)}
    def pixel(x, y):
        t = y / 599
        base = [top[i] + (bottom[i] - top[i]) * t for i in range(3)]
        s = points.get((x, y))
        return (s, s, s, 255) if s else (*base, 255)
    return pixel


def emblem(x, y):
    dx, dy = x - 63.5, y - 63.5
    r = math.hypot(dx, dy)
    ring = max(0.0, 1 - abs(r - 54) / 3) + max(0.0, 1 - abs(r - 40) / 2)
    angle = math.atan2(dy, dx)
    star = max(0.0, 1 - abs(r - 40 * abs(math.cos(2.5 * angle))) / 2) if r < 40 else 0
    a = min(1.0, ring + star)
    # Dark grey: the game draws the emblem with colour add, and only a dark
    # texel lets the random colour added to it show instead of clamping to white.
    return (56, 56, 56, 255 * a)


def bar(x, y):
    edge = min(y, 47 - y) / 8
    fade = max(0.0, 1 - x / 500)
    return (255, 255, 255, 160 * min(1.0, edge) * fade)


def particles(x, y):
    """32 x 32 cells: soft dots in the first row (bombs, boss energy, the shell's magic,
    enemy deaths); a diamond (boss spell-card energy), a wide glow (boss death) and a
    dot (player death) in the second; a four-pointed star (critical hits) at (32, 64)."""
    cx, cy = x % 32 - 15.5, y % 32 - 15.5
    r = math.hypot(cx, cy)
    cell = (x // 32, y // 32)
    if cell == (0, 1):
        return (255, 255, 255, 255 * max(0.0, 1 - (abs(cx) + abs(cy)) / 15) ** 1.5)
    if cell == (1, 1):
        return (255, 255, 255, 255 * max(0.0, 1 - r / 16) ** 1.2)
    if cell == (1, 2):
        spike = max(0.0, 1 - min(abs(cx), abs(cy)) / 2.5) * max(0.0, 1 - r / 15)
        return (255, 255, 255, 255 * min(1.0, spike + max(0.0, 1 - r / 6)))
    if y >= 64:
        return (0, 0, 0, 0)
    return (255, 255, 255, 255 * max(0.0, 1 - r / 15) ** 2)


def logo(x, y):
    # Nine cells of outlined shapes, laid out in the logo texture's cell grid.
    cells = [(0, 0, 100, 100), (100, 0, 100, 100), (200, 0, 100, 100), (300, 0, 100, 100),
             (0, 100, 200, 200), (0, 300, 400, 100), (400, 0, 100, 200), (200, 100, 50, 50),
             (250, 150, 50, 50)]
    for cx, cy, w, h in cells:
        if cx <= x < cx + w and cy <= y < cy + h:
            u, v = (x - cx) / w - 0.5, (y - cy) / h - 0.5
            d = math.hypot(u, v)
            a = max(0.0, 1 - abs(d - 0.4) * 20)
            return (255, 220, 160, 255 * a)
    return (0, 0, 0, 0)


def objects(x, y):
    """The sea's sheet: moon (0, 0, 81, 81), sun (81, 0, 114, 114), star (72, 81, 9, 9), glow (128, 128, 128, 128)."""
    if x < 81 and y < 81:
        r = math.hypot(x - 40.5, y - 40.5)
        craters = [(30, 28, 7), (50, 45, 9), (36, 55, 5), (52, 24, 4)]
        shade = 1.0
        for cx, cy, cr in craters:
            if math.hypot(x - cx, y - cy) < cr:
                shade = 0.82
        a = max(0.0, min(1.0, 34.5 - r))
        return (235 * shade, 240 * shade, 255 * shade, 255 * a)
    if 81 <= x < 195 and y < 114:
        r = math.hypot(x - 138, y - 57)
        core = max(0.0, min(1.0, 28.5 - r))
        halo = max(0.0, 1 - r / 56) ** 2 * 0.6
        a = min(1.0, core + halo)
        return (255, 250 - 40 * (1 - core), 225 - 110 * (1 - core), 255 * a)
    if 72 <= x < 81 and 81 <= y < 90:
        dx, dy = abs(x - 76), abs(y - 85)
        a = max(0.0, 1 - (dx + dy) / 4) + (0.5 if dx == 0 or dy == 0 else 0)
        return (255, 255, 255, 255 * min(1.0, a))
    if x >= 128 and y >= 128:
        r = math.hypot(x - 191.5, y - 191.5)
        return (255, 255, 255, 255 * max(0.0, 1 - r / 64) ** 2)
    return (0, 0, 0, 0)


def fog(x, y):
    """Drifting mist in columns 300..749, repeating every 1200 rows so it wraps without a seam."""
    if x < 300:
        return (0, 0, 0, 0)
    u = (x - 300) / 450 * 2 * math.pi
    v = y / 1200 * 2 * math.pi
    n = (math.sin(v * 2 + math.sin(u) * 1.5) + math.sin(v * 3 + u * 2 + 1.3) * 0.6
         + math.sin(v * 5 - u * 3 + 0.4) * 0.35 + math.sin(v * 7 + u * 5 + 2.1) * 0.2)
    a = max(0.0, n / 2.15) ** 1.5
    return (235, 240, 255, 110 * a)


UI_WELLS = [(651, 34, 145, 28), (630, 116, 160, 28), (10, 250, 60, 42), (26, 490, 60, 42),
            (48, 353, 80, 42), (650, 540, 80, 42)]
# What each well shows, in the wells' order, lettered just above it.
UI_LABELS = ["HI SCORE", "SCORE", "LIVES", "BOMBS", "POWER", "CRITICAL"]


def ui_labels():
    covers = [lettering(text, wx, wy - 18, 2) for text, (wx, wy, _, _) in zip(UI_LABELS, UI_WELLS)]
    return lambda x, y: any(covered(x, y) for covered in covers)


def ui(x, y):
    """The frame around the play field (175, 0)-(625, 600) with labelled wells for the status numbers."""
    if 175 <= x < 625:
        return (0, 0, 0, 0)
    if 171 <= x < 175 or 625 <= x < 629:
        return (200, 190, 240, 255)
    for wx, wy, ww, wh in UI_WELLS:
        if wx <= x < wx + ww and wy <= y < wy + wh:
            edge = x in (wx, wx + ww - 1) or y in (wy, wy + wh - 1)
            return (150, 140, 200, 255) if edge else (12, 10, 28, 255)
    if UI_LABEL_TEXT(x, y):
        return (225, 220, 255, 255)
    t = y / 599
    stripe = 10 if (x + y) // 12 % 2 == 0 else 0
    return (30 + 25 * t + stripe, 22 + 10 * t + stripe, 60 + 30 * t + stripe, 255)


def bullet_cell(kind, color, u, v):
    """One bullet of [kind] in a cell, u and v from -1 to 1 across it; (r, g, b, a)."""
    r = math.hypot(u, v)
    if kind == "orb":
        body = max(0.0, 1 - r / 0.8)
    elif kind == "rice":
        body = max(0.0, 1 - math.hypot(u / 0.45, v / 0.95))
    elif kind == "star":
        angle = math.atan2(v, u)
        body = max(0.0, min(1.0, (0.45 + 0.4 * abs(math.cos(2.5 * angle)) - r) * 4))
    else:  # "ring": a hollow bubble
        body = max(0.0, 1 - abs(r - 0.7) / 0.2)
    core = max(0.0, 1 - r / 0.35)
    mix = lambda c: c + (255 - c) * core
    return (mix(color[0]), mix(color[1]), mix(color[2]), 255 * min(1.0, body * 1.4))


BULLET_COLORS = [(255, 40, 40), (255, 140, 20), (255, 230, 40), (60, 220, 60),
                 (40, 220, 230), (50, 90, 255), (190, 60, 255), (235, 235, 235)]


def bullets(x, y):
    """The enemy bullet sheet: rows of one kind, columns of the eight colours above.
    Rows: orb (0, 0, 16, 16), rice (0, 16, 16, 16), star (0, 32, 16, 16), ring (0, 48, 16, 16),
    big orb (0, 64, 32, 32), big ring (0, 96, 32, 32); scripts name them with htAddBulletIdent."""
    if y < 64:
        size, kinds, top = 16, ["orb", "rice", "star", "ring"], 0
    else:
        size, kinds, top = 32, ["orb", "ring"], 64
    row, column = (y - top) // size, x // size
    if column >= 8:
        return (0, 0, 0, 0)
    u = ((x % size) + 0.5) / size * 2 - 1
    v = (((y - top) % size) + 0.5) / size * 2 - 1
    return bullet_cell(kinds[row], BULLET_COLORS[column], u, v)


def player_shots(x, y):
    """The player's sheet "treg.png": the centre shot (0, 120, 24, 24) and the side shot (0, 176, 16, 16)."""
    if x < 24 and 120 <= y < 144:
        u, v = (x - 11.5) / 12, (y - 131.5) / 12
        a = max(0.0, 1 - math.hypot(u / 0.4, v))
        return (140, 220, 255, 255 * min(1.0, a * 1.5))
    if x < 16 and 176 <= y < 192:
        u, v = (x - 7.5) / 8, (y - 183.5) / 8
        a = max(0.0, 1 - math.hypot(u / 0.5, v))
        return (255, 200, 120, 255 * min(1.0, a * 1.5))
    return (0, 0, 0, 0)


ITEM_GLYPHS = {  # 3 x 5 letters, rows top to bottom
    "P": ["111", "101", "111", "100", "100"],
    "B": ["110", "101", "110", "101", "110"],
    "L": ["100", "100", "100", "100", "111"],
    "H": ["101", "101", "111", "101", "101"],
    "C": ["111", "100", "100", "100", "111"],
}
ITEM_CELLS = [("P", (240, 220, 60)), ("B", (40, 90, 220)), ("L", (60, 210, 40)), ("H", (30, 180, 240)),
              ("C", (230, 80, 230))]


def items(x, y):
    """The pick-ups, 16 x 16 cells at x 0, 24, 48, 72, 96: power, bomb, life, hit x2, critical x2."""
    cell, u = divmod(x, 24)
    if cell >= len(ITEM_CELLS) or u >= 16:
        return (0, 0, 0, 0)
    letter, colour = ITEM_CELLS[cell]
    r = math.hypot(u - 7.5, y - 7.5)
    if r > 7.5:
        return (0, 0, 0, 0)
    gx, gy = (u - 5) // 2, (y - 3) // 2
    if 0 <= u - 5 < 6 and 0 <= y - 3 < 10 and ITEM_GLYPHS[letter][gy][gx] == "1":
        return (255, 255, 255, 255)
    if r > 6.5:
        return (255, 255, 255, 230)
    shade = 1 - r / 14
    return (colour[0] * shade, colour[1] * shade, colour[2] * shade, 235)


def scoreboard(x, y):
    """The score board's panel, 600 x 400, drawn at (100, 100) under the board's texts."""
    edge = min(x, 599 - x, y, 399 - y)
    if edge < 3:
        return (200, 190, 240, 255)
    if edge < 6:
        return (60, 50, 110, 255)
    t = y / 399
    return (14 + 10 * t, 12 + 8 * t, 40 + 30 * t, 235)


def panel(edge_at_right, blinds):
    """A 1600 x 600 curtain of the scene effects; its soft edge leads when it slides in.
    [blinds] cuts it into slats whose ends alternate, like window blinds."""
    def pixel(x, y):
        d = 1599 - x if edge_at_right else x  # distance from the leading edge
        if blinds:
            slat = y // 40
            if y % 40 >= 34:
                return (0, 0, 0, 0) if d < 80 else (20, 8, 24, 255)
            d -= 80 * (slat % 2)
            base = (90, 30, 60)
        else:
            base = (24, 30, 70)
        if d < 0:
            return (0, 0, 0, 0)
        if d < 40:
            return (230, 200, 120, 255 * d / 40)
        if d < 46:
            return (230, 200, 120, 255)
        shade = 1 - 0.25 * abs(math.sin(y / 90))
        return (base[0] * shade, base[1] * shade, base[2] * shade, 255)
    return pixel


def window_cover(x, y):
    """Black with a clear window in the middle, opening as it fades and shrinks."""
    r = math.hypot((x - 399.5) / 400, (y - 299.5) / 300)
    return (0, 0, 0, 255 * max(0.0, min(1.0, (r - 0.35) * 4)))


def text_panel(width, height):
    def pixel(x, y):
        if y < 2:
            return (230, 200, 120, 220)
        edge = min(x, width - 1 - x, height - 1 - y)
        return (10, 14, 40, 170 if edge > 3 else 220)
    return pixel


def indicator(x, y):
    """30 frames of 30 x 30: a small arrow that bobs once per loop."""
    frame, u = divmod(x, 30)
    top = 8 + 4 * math.sin(frame / 30 * 2 * math.pi)
    v = y - top
    inside = 0 <= v <= 10 and abs(u - 14.5) <= (10 - v) * 0.8
    return (255, 220, 140, 255) if inside else (0, 0, 0, 0)


def portrait(body, hair):
    """A 240 x 360 figure: hair, face and shoulders."""
    def pixel(x, y):
        head = math.hypot((x - 120) / 52, (y - 110) / 62)
        if head < 1:
            if y < 95 or math.hypot((x - 120) / 58, (y - 80) / 50) < 0.8 and y < 110:
                return (*hair, 255)
            return (250, 222, 200, 255)
        if math.hypot((x - 120) / 62, (y - 100) / 72) < 1 and y < 150:
            return (*hair, 255)
        if y >= 175 and abs(x - 120) < 40 + (y - 175) * 0.5:
            return (*body, 255)
        return (0, 0, 0, 0)
    return pixel


def scene_art():
    """The visual-novel demo's pictures, screen effects and text-box frames."""
    write_png("se/white.png", 800, 600, lambda x, y: (255, 255, 255, 255))
    write_png("se/openL.png", 1600, 600, panel(True, False))
    write_png("se/openR.png", 1600, 600, panel(False, False))
    write_png("se/openthL.png", 1600, 600, panel(True, True))
    write_png("se/openthR.png", 1600, 600, panel(False, True))
    write_png("se/OpenWindow.png", 800, 600, window_cover)
    write_png("UI/avgtextbox.png", 800, 120, text_panel(800, 120))
    write_png("UI/stgtextbox.png", 440, 110, text_panel(440, 110))
    write_png("endl.png", 900, 30, indicator)
    write_png("chara/aya.png", 240, 360, portrait((200, 70, 90), (60, 30, 40)))
    write_png("chara/ren.png", 240, 360, portrait((60, 90, 160), (30, 30, 36)))
    write_png("scene/evening.png", 800, 600, sky((70, 40, 90), (240, 150, 90), 40, 3))


def ring(cx, cy, radius, width, colour, alpha=255):
    """A soft ring of [radius] and [width] around (cx, cy), as a pixel function."""
    def pixel(x, y):
        d = abs(math.hypot(x - cx, y - cy) - radius)
        return (*colour, alpha * max(0.0, 1 - d / width))
    return pixel


def ship(x, y):
    """The player's ship "player.png": standing (0, 0, 32, 48), leaning left (32, 0) and right (64, 0)."""
    lean = [0, -1, 1][min(x // 32, 2)]
    u, v = x % 32 - 15.5 - lean * (47 - y) / 12, y - 4
    if v < 0 or v > 40:
        return (0, 0, 0, 0)
    half = 3 + v * 0.33 if v < 30 else 13 - (v - 30) * 0.9
    wing = abs(u) <= half
    if not wing:
        return (0, 0, 0, 0)
    if abs(u) < 3 and 8 < v < 20:
        return (120, 220, 255, 255)  # the canopy
    edge = abs(u) > half - 1.5
    return (90, 120, 200, 255) if edge else (210, 220, 240, 255)


def hit_dot(x, y):
    """"p.png": the ship's hit point."""
    r = math.hypot(x - 3.5, y - 3.5)
    return (255, 255, 255, 255) if r < 2 else (255, 40, 40, 255 * max(0.0, 1 - (r - 2) / 2))


def enemy_sheet(x, y):
    """"enemy.png": 32 x 32 cells; idle (0, 0), left (32, 0), right (64, 0), attacking (96, 0), hit (0, 32)."""
    column, row = x // 32, y // 32
    if row > 0 and column > 0:
        return (0, 0, 0, 0)
    lean = {1: -3, 2: 3}.get(column, 0) if row == 0 else 0
    u, v = x % 32 - 15.5, y % 32 - 15.5
    body = math.hypot(u - lean * 0.3, v) < 7
    wings = abs(v + 2) < 5 - abs(abs(u) - 11) * 0.6 and 5 < abs(u) < 15
    if not (body or wings):
        return (0, 0, 0, 0)
    if row == 1:
        return (255, 255, 255, 255)  # the flash of a hit
    glow = 60 if column == 3 else 0
    return (200 + glow // 2, 90 + glow, 140 + glow, 255) if body else (230, 200, 255, 190)


def boss_sheet(x, y):
    """"boss.png": 64 x 64 cells in columns of frames: idle (0, 0) x 4, moving right (64, 0) x 4,
    moving left (128, 0) x 4, dying (192, 0) x 6."""
    column, frame = x // 64, y // 64
    if column < 3 and frame > 3:
        return (0, 0, 0, 0)
    u, v = x % 64 - 31.5, y % 64 - 31.5
    sway = [0, 3, -3][column] if column < 3 else 0
    bob = math.sin(frame * math.pi / 2) * 2
    fade = 1 - frame / 6 if column == 3 else 1
    r = math.hypot(u - sway, v - bob)
    robe = abs(u - sway * (v + 32) / 64) < 6 + (v + 10) * 0.45 and -10 < v < 28
    head = math.hypot(u - sway, v + 18 - bob) < 8
    halo = abs(r - 27) < 1.5
    if head:
        return (250, 225, 210, 255 * fade)
    if robe:
        return (150, 40 + 10 * frame, 90, 255 * fade)
    if halo:
        return (255, 200, 120, 200 * fade)
    return (0, 0, 0, 0)


def magic_circle(x, y):
    """"magicCircle.png": two rings and a five-pointed star, white for the boss's colour to tint."""
    u, v = x - 127.5, y - 127.5
    r = math.hypot(u, v)
    a = max(0.0, 1 - abs(r - 120) / 3) + max(0.0, 1 - abs(r - 100) / 2)
    angle = math.atan2(v, u)
    for k in range(5):
        # One edge of the star: the chord between points k and k + 2.
        p = (math.cos(k * 4 * math.pi / 5 - math.pi / 2) * 100, math.sin(k * 4 * math.pi / 5 - math.pi / 2) * 100)
        q = (math.cos((k + 1) * 4 * math.pi / 5 - math.pi / 2) * 100,
             math.sin((k + 1) * 4 * math.pi / 5 - math.pi / 2) * 100)
        dx, dy = q[0] - p[0], q[1] - p[1]
        t = max(0.0, min(1.0, ((u - p[0]) * dx + (v - p[1]) * dy) / (dx * dx + dy * dy)))
        d = math.hypot(u - p[0] - t * dx, v - p[1] - t * dy)
        a += max(0.0, 1 - d / 1.5)
    a += 0.5 * max(0.0, 1 - abs(r - 110 - 4 * math.sin(angle * 24)) / 1.5)
    return (255, 255, 255, 200 * min(1.0, a))


def banner(width, height, colour):
    """A band fading out at both ends, for the boss's title."""
    def pixel(x, y):
        across = min(x, width - 1 - x) / (width * 0.2)
        edge = min(y, height - 1 - y) / 6
        stripe = 1 if (x // 6 + y // 6) % 2 == 0 else 0.8
        a = min(1.0, across) * min(1.0, edge)
        return (colour[0] * stripe, colour[1] * stripe, colour[2] * stripe, 220 * a)
    return pixel


def bomb_flash(width, height):
    """The bomb's cut-in: a white-hot burst with rays, fading to the band's ends and edges."""
    cx, cy = (width - 1) / 2, (height - 1) / 2
    def pixel(x, y):
        u, v = (x - cx) / cx, (y - cy) / cy
        r = math.hypot(u, v)
        rays = (0.5 + 0.5 * math.cos(math.atan2(y - cy, x - cx) * 18)) ** 8 * max(0.0, 1 - r * 0.9)
        core = max(0.0, 1 - r * 1.8)
        glow = max(0.0, 1 - r) ** 2
        edge = min(1.0, min(y, height - 1 - y) / 10)
        heat = min(1.0, core * 2 + rays * 0.5)
        a = min(1.0, core * 2 + rays + glow * 0.6) * edge
        return (255, 150 + 105 * heat, 40 + 215 * heat * heat, 240 * a)
    return pixel


def point_marker(x, y):
    """The slow mode's hit-point marker on the shot sheet "treg.png" (64, 0, 64, 64)."""
    if not (64 <= x < 128 and y < 64):
        return player_shots(x, y)
    u, v = x - 95.5, y - 31.5
    r = math.hypot(u, v)
    ticks = max(0.0, 1 - min(abs(u), abs(v)) / 1.2) * (1 if 20 < r < 30 else 0)
    a = max(0.0, 1 - abs(r - 24) / 2) + ticks
    return (255, 120, 160, 230 * min(1.0, a))


LOGO_GLYPHS = {  # 5 x 7 capitals, rows top to bottom
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    " ": ["00000"] * 7,
}


def lettering(text, left, top, scale):
    """True where [text] in LOGO_GLYPHS, [scale] pixels per cell and one cell apart, covers (x, y)."""
    def covered(x, y):
        u, v = (x - left) // scale, (y - top) // scale
        letter, column = divmod(u, 6)
        if x < left or y < top or v >= 7 or letter >= len(text) or column >= 5:
            return False
        return LOGO_GLYPHS[text[letter]][v][column] == "1"
    return covered


KWD_TEXT = lettering("KWD", 10, 20, 2)
UI_LABEL_TEXT = ui_labels()


def kwd_logo(x, y):
    """The ending's first logo, 60 x 60: "KWD" on a dark badge with a gold rim."""
    r = math.hypot(x - 29.5, y - 29.5)
    if r > 29.5:
        return (0, 0, 0, 0)
    if r > 26:
        return (230, 190, 90, 255 * min(1.0, 29.5 - r))
    if KWD_TEXT(x, y):
        return (255, 240, 200, 255)
    return (20, 24, 60, 235)


QUILLFEN_TEXT = lettering("QUILLFEN", 30, 110, 5)
PRESENTS_TEXT = lettering("PRESENTS", 78, 160, 3)


def quillfen_logo(x, y):
    """The ending's last logo, 300 x 200, drawn at (250, 150): a quill over "QUILLFEN" and "PRESENTS"."""
    if QUILLFEN_TEXT(x, y):
        return (255, 255, 255, 255)
    if PRESENTS_TEXT(x, y):
        return (200, 210, 255, 255)
    # The quill: a feather leaning right along a shaft from (110, 95) to (190, 15).
    u, v = (x - 110) / 80, (95 - y) / 80  # along the shaft, 0 at the nib
    along = (u + v) / 2
    across = (u - v) / 2 * 80
    if 0 <= along <= 1:
        if abs(across) < 1.2:
            return (240, 220, 160, 255)
        vane = 14 * math.sin(math.pi * min(1.0, along * 1.15)) if along > 0.12 else 0
        if abs(across) < vane and (int(along * 40) % 3 or abs(across) < vane * 0.6):
            return (230, 200, 255, 210 - 120 * abs(across) / max(vane, 1))
    return (0, 0, 0, 0)


def main():
    write_png("se/loading.png", 800, 600, lambda x, y: (0, 0, 0, 255))
    write_png("se/black.png", 800, 600, lambda x, y: (0, 0, 0, 255))
    write_png("se/loading_magic.png", 128, 128, emblem)
    write_png("UI/mainMenuBG.png", 500, 48, bar)
    write_png("scene/夜空.png", 800, 600, sky((5, 8, 30), (30, 40, 90), 300, 1))
    write_png("scene/天空.png", 800, 600, sky((60, 120, 220), (190, 220, 250), 0, 2))
    write_png("particles.png", 128, 128, particles)
    write_png("UI/logoElmnts.png", 500, 400, logo)
    write_png("bullets.png", 256, 128, bullets)
    write_png("treg.png", 256, 256, point_marker)
    write_png("player.png", 96, 48, ship)
    write_png("p.png", 8, 8, hit_dot)
    write_png("enemy.png", 128, 64, enemy_sheet)
    write_png("boss.png", 256, 384, boss_sheet)
    write_png("bossTitle.png", 450, 60, banner(450, 60, (255, 170, 210)))
    write_png("bomb.png", 450, 140, bomb_flash(450, 140))
    write_png("se/shock.png", 128, 128, ring(63.5, 63.5, 50, 10, (255, 255, 255)))
    write_png("circle.png", 128, 128, ring(63.5, 63.5, 56, 5, (200, 230, 255)))
    write_png("redCircle.png", 128, 128, ring(63.5, 63.5, 56, 6, (255, 60, 60)))
    write_png("magicCircle.png", 256, 256, magic_circle)
    write_png("objects.png", 256, 256, objects)
    write_png("fog.png", 750, 1200, fog)
    write_png("ui.png", 800, 600, ui)
    write_png("items.png", 120, 16, items)
    write_png("UI/scoreboard.png", 600, 400, scoreboard)
    write_png("UI/KWD.png", 60, 60, kwd_logo)
    write_png("UI/QuillfenPresents_LOGO.png", 300, 200, quillfen_logo)
    scene_art()


if __name__ == "__main__":
    main()

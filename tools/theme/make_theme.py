#!/usr/bin/env python3
"""Makes the wizard theme theme_kx: every PNG sprite sheet and config.xml.

usage: make_theme.py [--out <folder>]   (default: assets/package/theme_kx)

The layout below is the single source of both the pictures and config.xml,
so control sizes and sprite sizes cannot drift apart. The generator also
checks what a reviewer would otherwise check by eye, and stops with a list
of problems when one fails:
  - every text a control can show, in every language of assets/strings,
    fits the control at its font (measured with the shipped Roboto files);
  - labels are tall enough for one line (GDI+ draws nothing in a layout
    rectangle lower than a line when whole lines are required);
  - body text colours have a contrast ratio of at least 4.5:1;
  - in every size variant of a page, each control lies either inside the
    visible card or wholly outside the page (a variant is a smaller page
    cut from the top-left corner, not a different layout);
  - controls do not overlap unless they take turns at one place.

Pictures are drawn at twice the design size (96 DPI) and shown with zoom 0.5
(nine-slice frames) or through the three-slice rule, which scales caps with
the control height, so they stay sharp at 100 % and 150 %. Shapes are drawn
four times larger again and reduced with premultiplied alpha for clean
edges. The output is byte-identical from run to run: no randomness, no
timestamps, fixed PNG settings.

The fonts (fonts/Roboto-*.ttf, fonts/LICENSE.txt) are shipped files of the
theme, taken from Debian's fonts-roboto-unhinted; the generator only reads
them."""
import argparse
import math
import os
import sys
import xml.etree.ElementTree as ET

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))
THEME = os.path.join(ROOT, 'assets', 'package', 'theme_kx')
FONTS = os.path.join(THEME, 'fonts')
STRINGS = os.path.join(ROOT, 'assets', 'strings')
LAUNCHER_CONFIG = os.path.join(ROOT, 'assets', 'package', 'config.xml')

KEY = (0, 255, 255, 255)     # sprite separator; pixel (0, 0) of every sheet
NEAR_KEY = (0, 254, 255, 255)
ART = 2                      # pictures are drawn at twice the design size
SS = 4                       # extra supersampling for anti-aliased shapes

# ---------------------------------------------------------------- palette
BG = (23, 27, 36)            # page card
SURFACE = (31, 36, 48)       # settings panel, drop list
FIELD = (16, 19, 26)         # read-only fields, edit box
BORDER = (48, 56, 72)
BORDER_HI = (78, 90, 114)
TEXT = (233, 236, 242)
MUTED = (160, 170, 188)
DIM = (98, 107, 124)         # disabled text
WHITE = (255, 255, 255)
ACCENT = (37, 99, 235)
ACCENT_HOVER = (29, 84, 212)
ACCENT_PRESSED = (25, 68, 176)
ACCENT_LIGHT = (96, 150, 255)
VIOLET = (124, 92, 246)
LINK = (122, 178, 255)
LINK_HOVER = (170, 206, 255)
DANGER = (229, 72, 77)
DANGER_PRESSED = (190, 50, 56)
SECONDARY = (38, 44, 58)
SECONDARY_HOVER = (47, 54, 70)
SECONDARY_PRESSED = (30, 35, 46)
SECONDARY_BORDER = (60, 69, 88)
DISABLED_FILL = (29, 33, 43)
DISABLED_BORDER = (39, 45, 58)
LIST_HOVER = (46, 54, 70)
LIST_SELECTED = (33, 62, 122)

SHADOW = 12                  # design pixels of the page's soft shadow around the card
CARD_RADIUS = 12


def blend(top, bottom, alpha):
    """`top` at `alpha` (0..255) over an opaque `bottom`."""
    return tuple(round(t * alpha / 255 + b * (255 - alpha) / 255) for t, b in zip(top[:3], bottom[:3]))


# ------------------------------------------------------------ drawing kit
class Art:
    """A picture of w x h pixels drawn SS times larger; `done` reduces it with
    premultiplied alpha so transparent edges keep their colour."""

    def __init__(self, w, h, ss=SS):
        self.w, self.h, self.ss = w, h, ss
        self.img = Image.new('RGBA', (w * ss, h * ss), (0, 0, 0, 0))

    def _layer(self):
        layer = Image.new('RGBA', self.img.size, (0, 0, 0, 0))
        return layer, ImageDraw.Draw(layer)

    def _box(self, box):
        s = self.ss
        x0, y0, x1, y1 = box
        return [round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1]

    def rrect(self, box, radius, fill, border=None, width=0):
        """A rounded rectangle over [x0, x1) x [y0, y1), optionally with a
        border of `width` pixels inside the box."""
        layer, d = self._layer()
        r = max(0, radius) * self.ss
        if border and width:
            d.rounded_rectangle(self._box(box), r, fill=border)
            inner = (box[0] + width, box[1] + width, box[2] - width, box[3] - width)
            d.rounded_rectangle(self._box(inner), max(0, radius - width) * self.ss, fill=fill or (0, 0, 0, 0))
        else:
            d.rounded_rectangle(self._box(box), r, fill=fill)
        self.img.alpha_composite(layer)

    def ellipse(self, box, fill):
        layer, d = self._layer()
        d.ellipse(self._box(box), fill=fill)
        self.img.alpha_composite(layer)

    def polygon(self, points, fill):
        layer, d = self._layer()
        d.polygon([(x * self.ss, y * self.ss) for x, y in points], fill=fill)
        self.img.alpha_composite(layer)

    def stroke(self, points, width, fill):
        """A polyline with round joins and caps."""
        layer, d = self._layer()
        s, half = self.ss, width / 2
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            length = math.hypot(x1 - x0, y1 - y0)
            nx, ny = -(y1 - y0) / length * half, (x1 - x0) / length * half
            d.polygon([((x0 + nx) * s, (y0 + ny) * s), ((x1 + nx) * s, (y1 + ny) * s),
                       ((x1 - nx) * s, (y1 - ny) * s), ((x0 - nx) * s, (y0 - ny) * s)], fill=fill)
        for x, y in points:
            d.ellipse([(x - half) * s, (y - half) * s, (x + half) * s - 1, (y + half) * s - 1], fill=fill)
        self.img.alpha_composite(layer)

    def paste(self, picture, xy):
        """Composites a finished picture (already at the target size)."""
        big = picture.resize((picture.width * self.ss, picture.height * self.ss), Image.NEAREST)
        self.img.alpha_composite(big, (xy[0] * self.ss, xy[1] * self.ss))

    def done(self):
        return self.img.convert('RGBa').reduce(self.ss).convert('RGBA')


def text_mask(size, text, font, origin):
    """An 'L' mask of `size` with `text` written with its baseline's left end
    at `origin`."""
    mask = Image.new('L', size, 0)
    ImageDraw.Draw(mask).text(origin, text, font=font, fill=255, anchor='ls')
    return mask


def coloured(mask, colour):
    """Colour with the mask as alpha: text on transparency without the dark
    fringe that drawing straight onto transparent pixels leaves."""
    picture = Image.new('RGBA', mask.size, tuple(colour[:3]) + (255,))
    picture.putalpha(mask)
    return picture


def nine(render, corner, middle=4, full=None):
    """Cuts a frame into the nine slices TL, T, TR, L, C, R, BL, B, BR (as
    three rows). `render(w, h)` draws the whole frame; it is drawn long
    enough that the edge slices, taken from the middle of each side, are a
    true cross-section of a long straight edge."""
    full = full or corner * 2 + 64
    img = render(full, full)
    c, m, mid = corner, middle, (full - middle) // 2

    def crop(x, y, w, h):
        return img.crop((x, y, x + w, y + h))
    return [[crop(0, 0, c, c), crop(mid, 0, m, c), crop(full - c, 0, c, c)],
            [crop(0, mid, c, m), crop(mid, mid, m, m), crop(full - c, mid, c, m)],
            [crop(0, full - c, c, c), crop(mid, full - c, m, c), crop(full - c, full - c, c, c)]]


def three(img, left, right, middle=4):
    """Left cap, middle and right cap of a horizontal picture, as one row."""
    w, h = img.size
    mid = (left + w - right - middle) // 2
    return [[img.crop((0, 0, left, h)), img.crop((mid, 0, mid + middle, h)), img.crop((w - right, 0, w, h))]]


class Sheet:
    """Sprites laid out in rows on the key colour. Every sprite is a full
    rectangle (transparent pixels belong to it), sprites of one row start on
    the same y, and a key-coloured gap surrounds each one, so the loader's
    4-connected cutting numbers them row by row, left to right."""
    PAD = 2

    def __init__(self):
        self.rows = []

    def row(self, *sprites):
        self.rows.append(list(sprites))
        return self

    def rows_of(self, rows):
        for r in rows:
            self.row(*r)
        return self

    def count(self):
        return sum(len(r) for r in self.rows)

    def image(self):
        p = self.PAD
        width = max(sum(s.width + p for s in r) + p for r in self.rows)
        height = sum(max(s.height for s in r) + p for r in self.rows) + p
        sheet = Image.new('RGBA', (width, height), KEY)
        y = p
        for r in self.rows:
            x = p
            for sprite in r:
                sheet.paste(no_key(sprite), (x, y))
                x += sprite.width + p
            y += max(s.height for s in r) + p
        return sheet


def no_key(sprite):
    """The key colour inside a sprite would cut it apart: nudge it."""
    if KEY not in sprite.getdata():
        return sprite
    sprite = sprite.copy()
    sprite.putdata([NEAR_KEY if px == KEY else px for px in sprite.getdata()])
    return sprite


# ------------------------------------------------------------ the pictures
def page_frame(w, h):
    """The card: a soft shadow in the outer SHADOW pixels, a rounded body
    with a hairline border. Drawn at ART scale."""
    m, r = SHADOW * ART, CARD_RADIUS * ART
    shadow = Image.new('RGBA', (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(shadow).rounded_rectangle([m, m + 5, w - m - 1, h - m - 1 + 3], r, fill=(0, 0, 0, 150))
    shadow = shadow.filter(ImageFilter.GaussianBlur(9))
    art = Art(w, h)
    art.paste(shadow, (0, 0))
    art.rrect((m, m, w - m, h - m), r, BG + (255,))
    art.rrect((m, m, w - m, h - m), r, None, border=(255, 255, 255, 22), width=ART)  # a light rim over the body
    return art.done()


def plain_frame(fill, border, radius, width=1):
    def render(w, h):
        art = Art(w, h)
        art.rrect((0, 0, w, h), radius * ART, fill + (255,), border=border + (255,), width=width * ART)
        return art.done()
    return render


def button_states(states, radius=6):
    """36 sprites: four states (normal, hover, pressed, disabled), each a
    nine-slice frame. `states` holds (fill RGBA, border RGBA or None)."""
    sheet = Sheet()
    for fill, border in states:
        def render(w, h, fill=fill, border=border):
            art = Art(w, h)
            art.rrect((0, 0, w, h), radius * ART, fill, border=border, width=ART if border else 0)
            return art.done()
        sheet.rows_of(nine(render, radius * ART))
    return sheet


def close_button():
    """12 sprites: the caption's close cross, as left half, a centre column
    and right half of a square, so the three-slice rule (caps follow the
    height) gives a square button of any height."""
    size = 28 * ART
    sheet = Sheet()
    for bg, cross in (((BG + (2,)), MUTED), (DANGER + (255,), WHITE), (DANGER_PRESSED + (255,), WHITE),
                      ((BG + (2,)), DIM)):
        art = Art(size, size)
        art.rrect((0, 0, size, size), 7 * ART, bg)
        a, b = size * 0.36, size * 0.64
        art.stroke([(a, a), (b, b)], 1.6 * ART, cross + (255,))
        art.stroke([(a, b), (b, a)], 1.6 * ART, cross + (255,))
        img = art.done()
        half = size // 2
        sheet.row(img.crop((0, 0, half, size)), img.crop((half - 1, 0, half + 1, size)), img.crop((half, 0, size, size)))
    return sheet


def check_boxes():
    """7 sprites: unchecked, checked, unchecked pressed, checked pressed,
    unchecked hover, checked hover, disabled. A 16-pixel box inside the
    20-pixel square the control draws at its height."""
    size, inset, r = 20 * ART, 2 * ART, 4 * ART
    looks = [  # fill, border, tick
        (FIELD, (84, 96, 120), None),
        (ACCENT, ACCENT, WHITE),
        ((11, 13, 18), ACCENT_LIGHT, None),
        (ACCENT_PRESSED, ACCENT_PRESSED, WHITE),
        ((26, 31, 41), (124, 138, 164), None),
        ((52, 112, 240), (52, 112, 240), WHITE),
        (DISABLED_FILL, (50, 57, 72), None),
    ]
    sprites = []
    for fill, border, tick in looks:
        art = Art(size, size)
        art.rrect((inset, inset, size - inset, size - inset), r, fill + (255,), border=border + (255,), width=1.5 * ART)
        if tick:
            art.stroke([(size * 0.30, size * 0.52), (size * 0.44, size * 0.66), (size * 0.71, size * 0.37)],
                       2.2 * ART, tick + (255,))
        sprites.append(art.done())
    return Sheet().row(*sprites)


def progress():
    """6 sprites: the bar (accent to violet along its length) and the track,
    each left cap, middle, right cap; round caps of half the height."""
    h = 8 * ART
    cap, mid = h // 2, 16

    def pill(colour_at):
        w = cap * 2 + mid
        art = Art(w, h)
        for x in range(w):  # one-pixel columns of the gradient, clipped to the pill below
            art.rrect((x, 0, x + 1, h), 0, colour_at(x / (w - 1)) + (255,))
        mask = Art(w, h)
        mask.rrect((0, 0, w, h), cap, (255, 255, 255, 255))
        img = art.done()
        img.putalpha(mask.done().getchannel('A'))
        return three(img, cap, cap, mid)[0]

    def gradient(t):
        return tuple(round(a + (b - a) * t) for a, b in zip(ACCENT, VIOLET))
    bar = pill(lambda t: gradient(0.0 if t < 0.25 else 1.0 if t > 0.75 else (t - 0.25) * 2))
    track = pill(lambda t: (40, 47, 62))
    return Sheet().row(*bar).row(*track)


def scroll_bar():
    """48 sprites in 16 rows of three: rows 2..4 are the thumb (top, middle,
    bottom) in the states normal, hover, pressed; rows 13..15 the track; the
    rest are transparent fillers. The width, 10 design pixels, is the bar
    width; the thin pill in its middle is what shows."""
    w, cap, mid, pill = 10 * ART, 6, 4, 5 * ART
    x0 = (w - pill) / 2

    def part(colour, which):
        """Top and bottom caps are the ends of a long pill cut to their height."""
        h = mid if which == 'middle' else cap
        art = Art(w, h)
        if which == 'top':
            art.rrect((x0, 0, x0 + pill, h + pill), pill / 2, colour)
        elif which == 'bottom':
            art.rrect((x0, -pill, x0 + pill, h), pill / 2, colour)
        else:
            art.rrect((x0, 0, x0 + pill, h), 0, colour)
        return art.done()

    filler = Image.new('RGBA', (w, mid), (0, 0, 0, 0))
    thumbs = [(255, 255, 255, 64), (255, 255, 255, 110), ACCENT_LIGHT + (230,)]
    track = (255, 255, 255, 14)
    sheet = Sheet()
    for row in range(16):
        if 2 <= row <= 4:
            which = ('top', 'middle', 'bottom')[row - 2]
            sheet.row(*[part(c, which) for c in thumbs])
        elif 13 <= row <= 15:
            which = ('top', 'middle', 'bottom')[row - 13]
            sheet.row(*[part(track, which) for _ in range(3)])
        else:
            sheet.row(filler, filler, filler)
    return sheet


def combo_box():
    """12 sprites: the language box in four states, each left cap, middle
    and a right cap that carries the drop-down chevron."""
    h, left, right = 30 * ART, 8 * ART, 28 * ART
    w = left + 4 + right
    sheet = Sheet()
    for fill, border, chevron in ((SECONDARY, SECONDARY_BORDER, MUTED), (SECONDARY_HOVER, BORDER_HI, TEXT),
                                  (SECONDARY_PRESSED, ACCENT, TEXT), (DISABLED_FILL, DISABLED_BORDER, DIM)):
        art = Art(w, h)
        art.rrect((0, 0, w, h), 6 * ART, fill + (255,), border=border + (255,), width=ART)
        cx, cy = w - right / 2 - ART, h / 2
        art.stroke([(cx - 4 * ART, cy - 2 * ART), (cx, cy + 2 * ART), (cx + 4 * ART, cy - 2 * ART)],
                   1.6 * ART, chevron + (255,))
        sheet.rows_of(three(art.done(), left, right))
    return sheet


def flags(codes):
    """One sprite per language, in the order of the launcher's languages
    (the box shows the sprite of the selected row), at natural size: the
    box draws them unscaled."""
    w, h = 18, 12

    def flag(draw):
        art = Art(w, h, ss=8)
        draw(art)
        mask = Art(w, h, ss=8)
        mask.rrect((0, 0, w, h), 1.5, (255, 255, 255, 255))
        img = art.done()
        img.putalpha(Image.composite(img.getchannel('A'), Image.new('L', img.size, 0), mask.done().getchannel('A')))
        return img

    def uk(a):
        a.rrect((0, 0, w, h / 2), 0, (0, 87, 183, 255))
        a.rrect((0, h / 2, w, h), 0, (255, 213, 0, 255))

    def en(a):
        a.rrect((0, 0, w, h), 0, (1, 33, 105, 255))
        a.stroke([(0, 0), (w, h)], 2.4, WHITE + (255,))
        a.stroke([(0, h), (w, 0)], 2.4, WHITE + (255,))
        a.stroke([(0, 0), (w, h)], 0.8, (200, 16, 46, 255))
        a.stroke([(0, h), (w, 0)], 0.8, (200, 16, 46, 255))
        a.rrect((0, h / 2 - 2, w, h / 2 + 2), 0, WHITE + (255,))
        a.rrect((w / 2 - 2, 0, w / 2 + 2, h), 0, WHITE + (255,))
        a.rrect((0, h / 2 - 1.2, w, h / 2 + 1.2), 0, (200, 16, 46, 255))
        a.rrect((w / 2 - 1.2, 0, w / 2 + 1.2, h), 0, (200, 16, 46, 255))

    def kk(a):
        gold = (255, 200, 30, 255)
        a.rrect((0, 0, w, h), 0, (0, 175, 202, 255))
        a.rrect((1.4, 0.8, 2.4, h - 0.8), 0, gold)
        a.ellipse((w / 2 - 2.6, h / 2 - 3.4, w / 2 + 2.6, h / 2 + 1.8), gold)
        a.polygon([(w / 2 - 4.2, h / 2 + 2.6), (w / 2, h / 2 + 1.4), (w / 2 + 4.2, h / 2 + 2.6),
                   (w / 2, h / 2 + 3.6)], gold)

    def ru(a):
        a.rrect((0, 0, w, h / 3), 0, WHITE + (255,))
        a.rrect((0, h / 3, w, h * 2 / 3), 0, (0, 57, 166, 255))
        a.rrect((0, h * 2 / 3, w, h), 0, (213, 43, 30, 255))

    drawings = {'uk': uk, 'en': en, 'kk': kk, 'ru': ru}
    missing = [c for c in codes if c not in drawings]
    if missing:
        raise SystemExit('make_theme: no flag for the language(s) %s' % ', '.join(missing))
    return Sheet().row(*[flag(drawings[c]) for c in codes])


def error_icon():
    """1 sprite, stretched over the message box's picture."""
    s = 36 * ART
    art = Art(s, s)
    art.ellipse((2 * ART, 2 * ART, s - 2 * ART, s - 2 * ART), DANGER + (255,))
    art.rrect((s / 2 - 1.6 * ART, 9 * ART, s / 2 + 1.6 * ART, 21.5 * ART), 1.6 * ART, WHITE + (255,))
    art.ellipse((s / 2 - 2 * ART, 24 * ART, s / 2 + 2 * ART, 28 * ART), WHITE + (255,))
    return Sheet().row(art.done())


def logo_mark(size):
    """The product mark: a rounded square in the accent gradient with a
    white twin peak."""
    art = Art(size, size)
    for i in range(size):  # diagonal gradient, row by row
        t = i / (size - 1)
        art.rrect((0, i, size, i + 1), 0, tuple(round(a + (b - a) * t) for a, b in zip(ACCENT, VIOLET)) + (255,))
    img = art.done()
    mask = Art(size, size)
    mask.rrect((0, 0, size, size), size * 0.28, (255, 255, 255, 255))
    img.putalpha(mask.done().getchannel('A'))
    peak = Art(size, size)
    u = size / 28
    peak.polygon([(5 * u, 21 * u), (12 * u, 8 * u), (15.5 * u, 14 * u), (18 * u, 11 * u), (23 * u, 21 * u)],
                 WHITE + (255,))
    img.alpha_composite(peak.done())
    return img


def logo(name, font):
    """1 sprite: the mark and the product's name, as the caption shows them.
    Returns the sheet and its design width."""
    mark = logo_mark(28 * ART)
    gap = 9 * ART
    w = mark.width + gap + math.ceil(font.getlength(name)) + ART
    w += (-w) % (2 * ART)  # an even design width
    h = 28 * ART
    img = Image.new('RGBA', (w, h), (0, 0, 0, 0))
    img.alpha_composite(mark, (0, 0))
    cap = font.size * 1456 / 2048  # Roboto's capital height: centre the capitals on the mark
    img.alpha_composite(coloured(text_mask((w, h), name, font, (mark.width + gap, round((h + cap) / 2))), TEXT))
    return Sheet().row(img), w // ART


def banner(w, h):
    """1 sprite: a quiet night ridge under the header of the installation
    page. Deterministic: the stars come from a fixed linear congruential
    sequence, the ridges from sums of sines."""
    ss = 2
    W, H = w * ss, h * ss
    top, bottom = (20, 30, 70), (76, 50, 132)
    sky = Image.new('RGBA', (W, H))
    sky.putdata([tuple(round(a + (b - a) * (y / (H - 1)) ** 1.4) for a, b in zip(top, bottom)) + (255,)
                 for y in range(H) for _ in range(W)])
    glow = Image.radial_gradient('L').resize((int(H * 1.8), int(H * 1.8)))
    glow = glow.point(lambda v: max(0, 150 - v) * 255 // 150 * 140 // 255)
    colour = Image.new('RGBA', glow.size, (170, 120, 255, 255))
    colour.putalpha(glow)
    sky.alpha_composite(colour, (int(W * 0.70) - glow.width // 2, int(H * 0.62) - glow.height // 2))
    d = ImageDraw.Draw(sky)
    seed = 12345
    for _ in range(90):
        seed = (seed * 1103515245 + 12345) % 2 ** 31
        x = seed % W
        seed = (seed * 1103515245 + 12345) % 2 ** 31
        y = seed % int(H * 0.55)
        seed = (seed * 1103515245 + 12345) % 2 ** 31
        a = 60 + seed % 150
        r = 1.2 * ss if seed % 7 else 2 * ss
        d.ellipse([x - r, y - r, x + r, y + r], fill=blend(WHITE, sky.getpixel((x, y)), a) + (255,))
    moon = (int(W * 0.70), int(H * 0.40), int(H * 0.13))
    d.ellipse([moon[0] - moon[2], moon[1] - moon[2], moon[0] + moon[2], moon[1] + moon[2]], fill=(236, 228, 255, 255))

    def ridge(base, amp, waves, colour):
        pts = [(0, H)]
        for x in range(0, W + 1, 4):
            t = x / W
            y = base + sum(a * math.sin(f * t * math.tau + p) for a, f, p in waves) * amp
            pts.append((x, y))
        pts.append((W, H))
        d.polygon(pts, fill=colour + (255,))
    ridge(H * 0.58, H * 0.10, [(1.0, 1.3, 0.4), (0.5, 3.1, 1.9), (0.25, 7.3, 0.2)], (52, 44, 108))
    ridge(H * 0.72, H * 0.09, [(1.0, 1.9, 2.4), (0.45, 4.2, 0.7), (0.2, 9.1, 1.1)], (36, 33, 80))
    ridge(H * 0.86, H * 0.07, [(1.0, 2.6, 4.1), (0.5, 5.3, 2.2), (0.2, 11.7, 0.5)], (24, 25, 54))
    img = sky.convert('RGBa').reduce(ss).convert('RGBA')
    mask = Art(w, h)
    mask.rrect((0, 0, w, h), 10 * ART, (255, 255, 255, 255))
    img.putalpha(mask.done().getchannel('A'))
    return Sheet().row(img)


def hairline():
    """1 sprite: a separator line, stretched over its control."""
    return Sheet().row(Image.new('RGBA', (2 * ART, 2 * ART), (255, 255, 255, 20)))


# ------------------------------------------------------------------ texts
def read_table(path):
    """A string table source: '<number><tab><text>' lines, '#' comments,
    '\\n' a line feed and '\\\\' a backslash."""
    entries = {}
    with open(path, encoding='utf-8') as f:
        for line in f.read().split('\n'):
            line = line.rstrip('\r')
            if not line or line.startswith('#'):
                continue
            number, _, text = line.partition('\t')
            entries[int(number)] = text.replace('\\\\', '\0').replace('\\n', '\n').replace('\0', '\\')
    return entries


def languages():
    """(code, display name) of the launcher's languages, in its order."""
    root = ET.parse(LAUNCHER_CONFIG).getroot()
    return [(e.get('lang'), e.get('long')) for e in root.find('common/languages').findall('enable')]


def product_name():
    return ET.parse(LAUNCHER_CONFIG).getroot().findtext('common/fullName')


# Sample values for printf fields, as wide as real ones get: a client of
# some GB counted in KB, percentages, attempts.
SAMPLES = {'%.1f': '9999999.9', '%d': '100', '%s': '%', '%%': '%'}


def expand(text):
    for field, sample in SAMPLES.items():
        text = text.replace(field, sample)
    return text


# --------------------------------------------------------------- profiles
class Font:
    def __init__(self, name, colour, size):
        self.name, self.colour, self.size = name, colour, size

    def xml(self, tag):
        bold = 'true' if self.name.endswith('Bold') else 'false'
        return '<%s fontName="%s" fontColor="%s" fontSize="%d" fontBold="%s" fontItalic="false"/>' % (
            tag, self.name, ' '.join(str(c) for c in self.colour), self.size, bold)


def fonts(p, h=None, d=None, n=None):
    return [p, h or p, d or h or p, n or p]


REG, BOLD = 'Roboto-Regular', 'Roboto-Bold'


class Profile:
    def __init__(self, name, texture=None, sheet=None, zoom=None, text_offset=None, children=(), font_set=None,
                 backgrounds=None, count=None):
        self.name, self.texture, self.sheet, self.zoom = name, texture, sheet, zoom
        self.text_offset, self.children, self.fonts = text_offset, list(children), font_set or []
        # The colours each state's text stands on, for the contrast check
        # (the disabled state is exempt, as for any inactive control).
        self.backgrounds = backgrounds
        self.count = count

    def xml(self):
        attrs = ''
        if self.texture:
            attrs += ' texture="%s"' % self.texture
        if self.zoom is not None:
            attrs += ' zoom="%s"' % self.zoom
        if self.text_offset:
            attrs += ' textOffset="%d,%d"' % self.text_offset
        if self.children:
            attrs += ' profilesForChildren="%s"' % ' '.join(self.children)
        if not self.fonts:
            return '<%s%s/>' % (self.name, attrs)
        lines = ['<%s%s>' % (self.name, attrs)]
        lines += ['  ' + f.xml(tag) for tag, f in zip(('fontP', 'fontH', 'fontD', 'fontN'), self.fonts)]
        lines.append('</%s>' % self.name)
        return '\n'.join(lines)


# ---------------------------------------------------------------- layout
class Control:
    def __init__(self, cls, pt, size, profile, func=None, children=(), attrs=(), texts=(), pad=0, note=None,
                 group=None):
        self.cls, self.pt, self.size, self.profile, self.func = cls, pt, size, profile, func
        self.children, self.attrs, self.texts, self.pad = list(children), list(attrs), list(texts), pad
        self.note, self.group = note, group

    def xml(self, indent):
        attrs = ''
        if self.func:
            attrs += ' func="%s"' % self.func
        attrs += ' pt="%d,%d" size="%d,%d" profile="%s"' % (self.pt + self.size + (self.profile.name,))
        for k, v in self.attrs:
            attrs += ' %s="%s"' % (k, v)
        pre = '  ' * indent
        out = [pre + '<!-- %s -->' % self.note] if self.note else []
        if not self.children:
            return out + [pre + '<%s%s/>' % (self.cls, attrs)]
        out.append(pre + '<%s%s>' % (self.cls, attrs))
        for c in self.children:
            out += c.xml(indent + 1)
        out.append(pre + '</%s>' % self.cls)
        return out


class Page:
    def __init__(self, title, sizes, profile, children):
        self.title, self.sizes, self.profile, self.children = title, sizes, profile, children

    def xml(self, indent):
        pre = '  ' * indent
        w, h = self.sizes[0]
        attrs = ' pt="0,0" size="%d,%d" profile="%s"' % (w, h, self.profile.name)
        for i, (vw, vh) in enumerate(self.sizes):
            attrs += ' size%d="%d,%d"' % (i, vw, vh)
        out = [pre + '<!-- %s -->' % self.title, pre + '<step%s>' % attrs]
        for c in self.children:
            out += c.xml(indent + 1)
        out.append(pre + '</step>')
        return out


class Theme:
    """Everything the generator makes, built once."""

    def __init__(self):
        self.font_files = {REG: os.path.join(FONTS, REG + '.ttf'), BOLD: os.path.join(FONTS, BOLD + '.ttf')}
        self.langs = languages()
        self.tables = {code: read_table(os.path.join(STRINGS, code + '.txt')) for code, _ in self.langs}
        self.sheets = {}
        self.profiles = []
        self.build_profiles()
        self.pages = self.build_pages()

    # -- helpers
    def font(self, name, size):
        # An explicit file: given a bare name, Pillow would quietly take a
        # system font of that name instead of the shipped one.
        path = self.font_files[name]
        if not os.path.isfile(path):
            raise SystemExit('make_theme: %s is missing' % path)
        return ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)

    def width(self, text, font):
        """A text's width with every advance rounded up, as a grid-fitting
        renderer may do: an upper bound of what GDI+ draws."""
        f = self.font(font.name, font.size)
        return max(sum(math.ceil(f.getlength(ch)) for ch in line) for line in text.split('\n'))

    def line_height(self, size):
        """GDI+ spaces lines by the font's Windows ascent plus descent."""
        return math.ceil(size * (2146 + 555) / 2048)

    def texts(self, sources):
        out = []
        for s in sources:
            if isinstance(s, int):
                out += [expand(t[s]) for t in self.tables.values()]
            else:
                out.append(s)
        return out

    def widest(self, sources, font):
        return max(self.width(t, font) for t in self.texts(sources))

    def profile(self, *args, **kwargs):
        p = Profile(*args, **kwargs)
        if p.texture:
            self.sheets[p.texture] = p.sheet
            p.count = p.sheet.count()
        self.profiles.append(p)
        return p

    # -- profiles, each defined before a profile that names it
    def build_profiles(self):
        P = self.profile
        self.page = P('profile_page', 'pages\\page.png',
                      Sheet().rows_of(nine(page_frame, (SHADOW + CARD_RADIUS + 12) * ART)), zoom=0.5)
        self.panel = P('profile_panel', 'panels\\panel.png', Sheet().rows_of(nine(plain_frame(SURFACE, BORDER, 8), 8 * ART)),
                       zoom=0.5)
        self.field = P('profile_field', 'panels\\field.png', Sheet().rows_of(nine(plain_frame(FIELD, BORDER, 6), 6 * ART)),
                       zoom=0.5)
        self.tooltip = P('profile_tooltip', 'panels\\tooltip.png',
                         Sheet().rows_of(nine(plain_frame((40, 46, 61), BORDER_HI, 6), 6 * ART)), zoom=0.5,
                         font_set=fonts(Font(REG, TEXT, 12)), backgrounds=[(40, 46, 61)] * 3)
        self.tooltip_border = (10, 7, 10, 7)
        self.combo_list = P('profile_combo_list', 'controls\\combo_list.png',
                            Sheet().rows_of(nine(plain_frame(SURFACE, BORDER_HI, 8), 8 * ART)), zoom=0.5,
                            font_set=fonts(Font(REG, TEXT, 13), Font(REG, WHITE, 13), Font(REG, WHITE, 13)),
                            backgrounds=[SURFACE, LIST_HOVER, LIST_SELECTED])
        self.flags = P('profile_flags', 'controls\\flags.png', flags([code for code, _ in self.langs]))
        self.combo = P('profile_combo', 'controls\\combo.png', combo_box(), zoom=1, text_offset=(36, 6),
                       children=[self.combo_list.name, self.flags.name],
                       font_set=fonts(Font(REG, TEXT, 13), n=Font(REG, DIM, 13)),
                       backgrounds=[SECONDARY, SECONDARY_HOVER, SECONDARY_PRESSED])
        self.button = P('profile_button', 'buttons\\button_primary.png',
                        button_states([(ACCENT + (255,), None), (ACCENT_HOVER + (255,), None),
                                       (ACCENT_PRESSED + (255,), None), (DISABLED_FILL + (255,), DISABLED_BORDER + (255,))]),
                        zoom=0.5, font_set=fonts(Font(BOLD, WHITE, 13), n=Font(BOLD, DIM, 13)),
                        backgrounds=[ACCENT, ACCENT_HOVER, ACCENT_PRESSED])
        self.button2 = P('profile_button_secondary', 'buttons\\button_secondary.png',
                         button_states([(SECONDARY + (255,), SECONDARY_BORDER + (255,)),
                                        (SECONDARY_HOVER + (255,), BORDER_HI + (255,)),
                                        (SECONDARY_PRESSED + (255,), SECONDARY_BORDER + (255,)),
                                        (DISABLED_FILL + (255,), DISABLED_BORDER + (255,))]),
                         zoom=0.5, font_set=fonts(Font(REG, TEXT, 13), n=Font(REG, DIM, 13)),
                         backgrounds=[SECONDARY, SECONDARY_HOVER, SECONDARY_PRESSED])
        # A link has an all but invisible background: the button is hit only
        # where its picture is not fully transparent.
        self.link = P('profile_button_link', 'buttons\\button_link.png',
                      button_states([(BG + (2,), None), ((255, 255, 255, 14), None), ((255, 255, 255, 24), None),
                                     (BG + (2,), None)]),
                      zoom=0.5, font_set=fonts(Font(REG, LINK, 13), Font(REG, LINK_HOVER, 13), Font(REG, LINK_HOVER, 13),
                                               Font(REG, DIM, 13)),
                      backgrounds=[BG, blend(WHITE, BG, 14), blend(WHITE, BG, 24)])
        self.close = P('profile_button_close', 'buttons\\button_close.png', close_button(), zoom=1)
        self.checkbox = P('profile_checkbox', 'controls\\checkbox.png', check_boxes(), text_offset=(28, 1),
                          font_set=fonts(Font(REG, TEXT, 13), n=Font(REG, DIM, 13)), backgrounds=[BG, SURFACE, BG])
        self.progress = P('profile_progress', 'controls\\progress.png', progress())
        self.scroll = P('profile_scroll', 'controls\\scroll.png', scroll_bar(), zoom=0.5)
        self.edit = P('profile_edit', 'controls\\edit.png',
                      button_states([(FIELD + (255,), BORDER + (255,)), (FIELD + (255,), BORDER_HI + (255,)),
                                     (FIELD + (255,), ACCENT_LIGHT + (255,)), (DISABLED_FILL + (255,), DISABLED_BORDER + (255,))]),
                      zoom=0.5, font_set=fonts(Font(REG, TEXT, 13)), backgrounds=[FIELD] * 3)
        self.error = P('profile_error_icon', 'pictures\\error.png', error_icon())
        logo_sheet, self.logo_width = logo(product_name(), self.font(BOLD, 19 * ART))
        self.logo = P('profile_logo', 'pictures\\logo.png', logo_sheet)
        self.banner_size = (568, 92)
        self.banner = P('profile_banner', 'pictures\\banner.png', banner(*(v * ART for v in self.banner_size)))
        self.hairline = P('profile_separator', 'pictures\\separator.png', hairline())
        # Labels: text only.
        self.caption = P('profile_caption', font_set=fonts(Font(REG, MUTED, 13)), backgrounds=[BG] * 3)
        self.text = P('profile_text', font_set=fonts(Font(REG, TEXT, 13)), backgrounds=[BG] * 3)
        self.muted = P('profile_text_muted', font_set=fonts(Font(REG, MUTED, 13)), backgrounds=[BG] * 3)
        self.status = P('profile_status', font_set=fonts(Font(REG, TEXT, 14)), backgrounds=[BG] * 3)
        self.message = P('profile_message', font_set=fonts(Font(REG, TEXT, 14)), backgrounds=[BG] * 3)
        self.headline = P('profile_headline', font_set=fonts(Font(BOLD, TEXT, 22)), backgrounds=[BG] * 3)
        self.path = P('profile_path', font_set=fonts(Font(REG, TEXT, 13)), backgrounds=[FIELD] * 3)
        self.panel_title = P('profile_panel_title', font_set=fonts(Font(BOLD, TEXT, 13)), backgrounds=[SURFACE] * 3)

    # -- pages
    def header(self, language=None):
        """Mark and name, the caption label, the language box (installation
        page) and the close cross. The caption label shows what the launcher
        puts there (the window's title, when it does)."""
        x = 36
        caption_x = x + self.logo_width + 12
        caption_end = (language.pt[0] if language else 568) - 12
        out = [Control('CGuiBitmapCtrl', (x, 28), (self.logo_width, 28), self.logo, note='mark and product name'),
               Control('CGuiTextLabelCtrl', (caption_x, 33), (caption_end - caption_x, 18), self.caption, 'caption',
                       texts=[2, 98, 111])]
        out.append(Control('CGuiButtonCtrl', (576, 28), (28, 28), self.close, 'close'))
        return out

    def buttons(self, y, left, right):
        """Action buttons at the bottom right: the affirmative one left of
        the other, as Windows dialogs place them."""
        out = []
        for x, controls in ((356, left), (488, right)):
            for func, profile, texts in controls:
                out.append(Control('CGuiButtonCtrl', (x, y), (116, 36), profile, func, texts=texts, pad=12,
                                   group='buttons%d' % x))
        return out

    def build_pages(self):
        return [self.message_page(), self.uninstall_page(), self.uninstall_result_page(), self.install_page()]

    def message_page(self):
        w, h = 640, 400
        text = Control('CGuiTextLinesCtrl', (0, 0), (500, 18), self.message, 'mblistbox_error')
        link_w = self.widest([117], self.link.fonts[0]) + 32
        kids = self.header() + [
            Control('CGuiBitmapCtrl', (36, 70), (568, 1), self.hairline),
            Control('CGuiBitmapCtrl', (36, 88), (36, 36), self.error, 'mblistbox_sprite_error'),
            Control('CGuiScrollCtrl', (88, 88), (516, 148), self.scroll, 'mblistbox', children=[text],
                    note='the message text scrolls; its bar is 10 pixels wide on the right'),
            Control('CGuiTextLabelCtrl', (88, 248), (516, 18), self.muted, 'mbox_text_edit_caption', texts=[112],
                    group='below_text'),
            Control('CGuiEditCtrl', (88, 270), (516, 34), self.edit, 'mbox_edit',
                    attrs=[('textBorder', '10 8 10 8'), ('colorSelection', '%d %d %d 150' % ACCENT)],
                    group='below_text', note='shown with its caption when the message asks for a value'),
            Control('CGuiButtonCtrl', (30, 332), (link_w, 28), self.link, 'mbox_link', texts=[117], pad=12,
                    note='help link, left of the buttons'),
        ] + self.buttons(328, [('mbox_yes', self.button, [55]), ('mbox_retry', self.button, [58])],
                         [('mbox_no', self.button2, [56]), ('mbox_cancel', self.button2, [48]),
                          ('mbox_ok', self.button, [57])])
        return Page('Page 1: message box (Yes/No, Retry/Cancel or OK; the edit box or the link when asked)',
                    [(w, h)] * 4, self.page, kids)

    def uninstall_page(self):
        w, h = 640, 288
        path = Control('CGuiTextLabelCtrl', (12, 9), (544, 18), self.path, 'text_wantuninstall_path',
                       texts=['C:\\Program Files\\' + product_name()])
        kids = self.header() + [
            Control('CGuiBitmapCtrl', (36, 70), (568, 1), self.hairline),
            Control('CGuiTextLabelCtrl', (36, 86), (568, 30), self.headline, 'headline_uninstall_info', texts=[78]),
            Control('CGuiTextLabelCtrl', (36, 126), (568, 20), self.status, 'text_wantuninstall', texts=[92]),
            Control('CGuiBitmapBorderCtrl', (36, 156), (568, 36), self.field, children=[path],
                    note='the installation folder'),
        ] + self.buttons(216, [('uninstall', self.button, [59])], [('cancelUninstall', self.button2, [48])])
        return Page('Page 2: uninstall question', [(w, h)] * 4, self.page, kids)

    def uninstall_result_page(self):
        w, h = 640, 240
        kids = self.header() + [
            Control('CGuiBitmapCtrl', (36, 70), (568, 1), self.hairline),
            Control('CGuiTextLabelCtrl', (36, 86), (568, 30), self.headline, 'headline_uninstall_close_info',
                    texts=[78]),
            Control('CGuiTextLabelCtrl', (36, 126), (568, 20), self.status, 'progress_info', texts=[99, 100, 108],
                    note='the outcome of the uninstallation'),
        ] + self.buttons(168, [], [('close_uninstall', self.button, [60])])
        return Page('Page 3: uninstall result', [(w, h)] * 4, self.page, kids)

    def install_page(self):
        """The single-page installation. Its top band (header, picture,
        status, progress and Cancel) is the whole page in the update and
        uninstaller runs, which show only their progress there; the
        installation choices lie below it, and the settings panel below
        those, shown when the page grows for it."""
        language = Control('CGuiComboBoxCtrl', (412, 27), (148, 30), self.combo, 'language',
                           attrs=[('flagOffset', '10,8'), ('listElementsBorder', '0 4 0 4'),
                                  ('listElementTextOffset', '12,5'),
                                  ('colorElement', '%d %d %d' % SURFACE), ('colorElementHL', '%d %d %d' % LIST_HOVER),
                                  ('colorElementSEL', '%d %d %d' % LIST_SELECTED), ('listElementHeight', '28'),
                                  ('listBorder', '4 4 4 4')],
                           texts=[name for _, name in self.langs], pad=28 + 4)
        band = [
            Control('CGuiBitmapCtrl', (36, 68), self.banner_size, self.banner),
            Control('CGuiTextLabelCtrl', (36, 178), (428, 20), self.status, 'single_install_text_progress_info',
                    texts=[4, 5, 16, 17, 18, 37, 38, 65, 66, 73, 77, 82, 84, 85, 87, 88, 99, 100],
                    note='status of the run'),
            Control('CGuiProgressCtrl', (36, 208), (428, 8), self.progress, 'single_install_progress',
                    group='progress'),
            Control('CGuiProgressWaitCtrl', (36, 208), (428, 8), self.progress, 'single_install_spriterange_wait',
                    group='progress', note='drawn over the bar until the download starts'),
            Control('CGuiButtonCtrl', (484, 180), (120, 36), self.button2, 'single_install_button_cancel_update',
                    texts=[48], pad=12, group='cancel', note='both Cancel buttons quit; one shows per run'),
            Control('CGuiButtonCtrl', (484, 180), (120, 36), self.button2, 'single_install_button_cancel', texts=[48],
                    pad=12, group='cancel'),
        ]
        compact = 216 + 20 + SHADOW
        terms_w = 28 + self.widest([43], self.checkbox.fonts[0]) + 6
        link_w = self.widest([72], self.link.fonts[0]) + 24
        folder = Control('CGuiTextLabelCtrl', (12, 9), (404, 18), self.path, 'single_install_text_folder',
                         texts=['C:\\Program Files\\' + product_name()])
        settings_w = self.widest([62], self.link.fonts[0]) + 24
        choices = [
            Control('CGuiBitmapCtrl', (36, compact), (568, 1), self.hairline),
            Control('CGuiTextLabelCtrl', (36, compact + 16), (568 - settings_w - 12, 18), self.muted,
                    'text_programwill', texts=[91]),
            Control('CGuiButtonCtrl', (604 - settings_w, compact + 12), (settings_w, 26), self.link,
                    'single_install_button_settings', texts=[62], pad=10,
                    note='opens and closes the settings panel below'),
            Control('CGuiBitmapBorderCtrl', (36, compact + 38), (428, 36), self.field, children=[folder],
                    note='the installation folder'),
            Control('CGuiButtonCtrl', (484, compact + 38), (120, 36), self.button2, 'single_install_button_browse',
                    texts=[63], pad=12),
            Control('CGuiCheckBoxCtrl', (36, compact + 102), (terms_w, 20), self.checkbox,
                    'single_install_checkbox_terms', texts=[43], pad=28),
            Control('CGuiButtonCtrl', (36 + terms_w, compact + 99), (link_w, 26), self.link,
                    'single_install_button_terms', texts=[72], pad=10),
            Control('CGuiButtonCtrl', (484, compact + 94), (120, 36), self.button, 'single_install_button_install',
                    texts=[64, 48], pad=12, note='reads Cancel in the uninstaller run'),
        ]
        full = compact + 94 + 36 + 24 + SHADOW
        panel_y = full
        panel_kids = [
            Control('CGuiTextLabelCtrl', (16, 12), (536, 18), self.panel_title, 'single_install_text_create_shortcuts',
                    texts=[62]),
            Control('CGuiCheckBoxCtrl', (16, 42), (268, 20), self.checkbox, 'single_install_checkbox_icon_desktop',
                    texts=[52], pad=28),
            Control('CGuiCheckBoxCtrl', (16, 70), (268, 20), self.checkbox, 'single_install_checkbox_icon_programs',
                    texts=[53], pad=28),
            Control('CGuiCheckBoxCtrl', (300, 42), (252, 20), self.checkbox, 'single_install_checkbox_guest',
                    texts=[50], pad=28, note='its tooltip explains portable installations'),
        ]
        panel = Control('CGuiBitmapBorderCtrl', (36, panel_y), (568, 104), self.panel, 'single_install_sprite_hide',
                        children=panel_kids, note='settings panel, shown with its check boxes')
        settings = panel_y + 104 + 20 + SHADOW
        # The language box comes last: its open list is drawn with the box
        # and must lie over everything else, and the last child is hit first.
        language.note = 'language box; last, so that its open list covers the page'
        kids = self.header(language) + band + choices + [panel, language]
        return Page('Page 4: single-page installation; variants: 0 installation, 1 update and renaming, '
                    '2 uninstaller progress, 3 installation with the settings panel',
                    [(640, full), (640, compact), (640, compact), (640, settings)], self.page, kids)

    # -- output
    def config_xml(self):
        lines = ['<?xml version="1.0" encoding="UTF-8"?>',
                 '<!--',
                 '  Theme of the %s launcher: layout, profiles, pictures and fonts of the' % product_name(),
                 '  wizard window. Written by tools/theme/make_theme.py together with the',
                 '  pictures; change the generator and run it again rather than this file.',
                 '-->',
                 '<config>',
                 '  <common>',
                 '    <backNextArrowsInText value="true"/>',
                 '    <pageNumeration value="false"/>',
                 '    <singlePageMode value="true"/>',
                 '    <MBLineLength value="64"/>',
                 '  </common>',
                 '  <profiles>']
        for p in self.profiles:
            lines += ['    ' + l for l in p.xml().split('\n')]
        lines += ['  </profiles>', '  <forms>']
        for page in self.pages:
            lines += page.xml(2)
        lines += ['  </forms>', '</config>', '']
        return '\n'.join(lines)

    def write(self, out):
        written = []
        for path, sheet in sorted(self.sheets.items()):
            target = os.path.join(out, *path.split('\\'))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            sheet.image().save(target, 'PNG', compress_level=9)
            written.append(target)
        with open(os.path.join(out, 'config.xml'), 'w', encoding='utf-8', newline='\n') as f:
            f.write(self.config_xml())
        written.append(os.path.join(out, 'config.xml'))
        return written


# ------------------------------------------------------------------ checks
def luminance(c):
    def lin(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (lin(v) for v in c[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def walk(controls, origin=(0, 0)):
    """(control, absolute design rectangle) of a tree, parents first."""
    for c in controls:
        x, y = origin[0] + c.pt[0], origin[1] + c.pt[1]
        yield c, (x, y, x + c.size[0], y + c.size[1])
        yield from walk(c.children, (x, y))


def check(theme):
    problems = []
    for p in theme.profiles:
        if p.backgrounds:
            for state, (font, bg) in enumerate(zip(p.fonts[:3], p.backgrounds)):
                ratio = contrast(font.colour, bg)
                if ratio < 4.5:
                    problems.append('%s: text contrast %.2f:1 in state %d' % (p.name, ratio, state))
        if p.sheet and p.count > 254:
            problems.append('%s: %d sprites' % (p.texture, p.count))
    names = [p.name for p in theme.profiles]
    for p in theme.profiles:
        for child in p.children:
            if child not in names[:names.index(p.name)]:
                problems.append('%s names %s before it is defined' % (p.name, child))
    funcs = []
    for number, page in enumerate(theme.pages, 1):
        placed = list(walk(page.children))
        for c, (x0, y0, x1, y1) in placed:
            if c.func:
                funcs.append(c.func)
            problems += check_texts(theme, number, c)
        for c in page.children:
            for child, (x0, y0, x1, y1) in walk(c.children, c.pt):
                if x0 < c.pt[0] or y0 < c.pt[1] or x1 > c.pt[0] + c.size[0] or y1 > c.pt[1] + c.size[1]:
                    if c.cls != 'CGuiScrollCtrl':
                        problems.append('page %d: %s sticks out of %s' % (number, child.func, c.func))
        for variant, (w, h) in enumerate(page.sizes):
            for c in page.children:
                x0, y0 = c.pt
                x1, y1 = x0 + c.size[0], y0 + c.size[1]
                inside = x0 >= SHADOW + 8 and y0 >= SHADOW + 8 and x1 <= w - SHADOW - 8 and y1 <= h - SHADOW - 8
                outside = x0 >= w or y0 >= h
                if not inside and not outside:
                    problems.append('page %d variant %d (%dx%d): %s (%s) is cut by the page edge' %
                                    (number, variant, w, h, c.func or c.cls, c.profile.name))
        tops = page.children
        for i, a in enumerate(tops):
            for b in tops[i + 1:]:
                ra = (a.pt[0], a.pt[1], a.pt[0] + a.size[0], a.pt[1] + a.size[1])
                rb = (b.pt[0], b.pt[1], b.pt[0] + b.size[0], b.pt[1] + b.size[1])
                if ra[0] < rb[2] and rb[0] < ra[2] and ra[1] < rb[3] and rb[1] < ra[3]:
                    if not (a.group and a.group == b.group):
                        problems.append('page %d: %s and %s overlap' % (number, a.func or a.cls, b.func or b.cls))
    for func in set(funcs):
        if funcs.count(func) > 1 and func not in ('caption', 'close'):
            problems.append('%s is on more than one page' % func)
    return problems


def check_texts(theme, number, c):
    if not c.texts or not c.profile.fonts:
        return []
    problems = []
    size = max(f.size for f in c.profile.fonts)
    line = theme.line_height(size)
    if c.cls in ('CGuiTextLabelCtrl',) and c.size[1] < line:
        problems.append('page %d: %s is %d high, a line of %d px needs %d' % (number, c.func, c.size[1], size, line))
    if c.cls == 'CGuiCheckBoxCtrl' and c.size[1] < line:
        problems.append('page %d: %s is %d high, a line needs %d' % (number, c.func, c.size[1], line))
    room = c.size[0] - c.pad * (2 if c.cls == 'CGuiButtonCtrl' else 1)
    for text in theme.texts(c.texts):
        need = max(theme.width(text, f) for f in c.profile.fonts if f)
        if need > room:
            problems.append('page %d: %s: "%s" needs %d px, has %d' % (number, c.func, text, need, room))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--out', default=THEME, help='output folder (default: the shipped theme)')
    args = parser.parse_args()
    theme = Theme()
    problems = check(theme)
    if problems:
        print('make_theme: the theme does not hold together:', file=sys.stderr)
        for p in problems:
            print('  ' + p, file=sys.stderr)
        return 1
    for path in theme.write(args.out):
        print(os.path.relpath(path, args.out))
    return 0


if __name__ == '__main__':
    sys.exit(main())

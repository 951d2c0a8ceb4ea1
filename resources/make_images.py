#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the bar's images: the twelve button images, the panel picture and the
window icon, each at its table size (1x) and at twice that (@2x, for 2x
screens). Shapes are drawn four times finer and scaled down, so edges are
smooth at both sizes.

    /usr/bin/python3 resources/make_images.py   (Debian: python3-pil, fonts-liberation)

writes into resources/images/. The results are committed; the build only
compiles them in.
"""
import math
import os

from PIL import Image, ImageDraw, ImageFont

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
FONTS = "/usr/share/fonts/truetype/liberation"
FINE = 4  # supersampling factor

FRAME_GREY = (192, 192, 192)  # the frames the buttons sit on
DARK = (58, 58, 58)
YELLOW = (255, 212, 0)
YELLOW_EDGE = (150, 110, 0)
RED = (214, 32, 32)
LIGHT_GREEN = (150, 236, 140)
GREEN_EDGE = (40, 120, 40)
OLIVE = (128, 128, 0)
NAVY = (0, 0, 128)
WHITE = (255, 255, 255)

# The panel sits in the window's rounded region (350 x 139 pixels, corners of
# radius 25) from the window's row 18 down. Its outline keeps one pixel inside
# the region on the left, right and bottom, so the window's own background
# draws an even light rim around it; its top corners are rounded a little.
RIM = (239, 239, 239)  # the window's background around the panel


def canvas(w, h, scale, background):
    return Image.new("RGBA", (w * scale * FINE, h * scale * FINE), background)


def finish(img, w, h, scale):
    return img.resize((w * scale, h * scale), Image.BOX)


class Pen:
    """Draws in logical pixels of the target image onto a supersampled canvas."""

    def __init__(self, img, scale):
        self.d = ImageDraw.Draw(img)
        self.k = scale * FINE

    def pts(self, points):
        return [(x * self.k, y * self.k) for x, y in points]

    def polygon(self, points, fill, outline=None, width=0.0):
        self.d.polygon(self.pts(points), fill=fill)
        if outline:
            self.line(list(points) + [points[0]], outline, width)

    def rect(self, x0, y0, x1, y1, fill):
        self.d.rectangle([x0 * self.k, y0 * self.k, x1 * self.k - 1, y1 * self.k - 1], fill=fill)

    def frame(self, x0, y0, x1, y1, colour, width):
        self.rect(x0, y0, x1, y0 + width, colour)
        self.rect(x0, y1 - width, x1, y1, colour)
        self.rect(x0, y0, x0 + width, y1, colour)
        self.rect(x1 - width, y0, x1, y1, colour)

    def line(self, points, colour, width):
        self.d.line(self.pts(points), fill=colour, width=max(1, round(width * self.k)), joint="curve")

    def rounded(self, x0, y0, x1, y1, r, fill):
        self.d.rounded_rectangle([x0 * self.k, y0 * self.k, x1 * self.k - 1, y1 * self.k - 1],
                                 radius=r * self.k, fill=fill)

    def arc(self, box, start, end, colour, width):
        self.d.arc([c * self.k for c in box], start, end, fill=colour, width=max(1, round(width * self.k)))


# ------------------------------------------------------------- button glyphs

def play(p, fill, edge):
    # At 1x an outline would eat the small triangle; the fill alone reads better.
    if p.k < 2 * FINE:
        edge = None
    p.polygon([(3, 1.5), (3, 9.5), (10, 5.5)], fill, edge, 0.8 if edge else 0)


def pause(p, fill, edge):
    # whole pixels, so the bars stay crisp at 1x
    for x in (3, 7):
        if edge:
            p.rect(x - 1, 1, x + 3, 10, edge)
            p.rect(x, 2, x + 2, 9, fill)
        else:
            p.rect(x, 2, x + 2, 9, fill)


def stop(p, fill, edge):
    if edge:
        p.rect(2, 1, 10, 10, edge)
        p.rect(3, 2, 9, 9, fill)
    else:
        p.rect(3, 2, 10, 9, fill)


def cross(p, colour):
    p.line([(3.5, 3), (10.5, 10)], colour, 2.2)
    p.line([(10.5, 3), (3.5, 10)], colour, 2.2)


def folder(p, front, back, edge):
    # back of the folder with its tab
    p.polygon([(1.5, 2.5), (6, 2.5), (7.5, 4), (14.5, 4), (14.5, 11), (1.5, 11)], back, edge, 0.8)
    # opened front flap leaning to the right
    p.polygon([(3.8, 6), (17, 6), (14.5, 11.5), (1.5, 11.5)], front, edge, 0.8)


def window(p, face, bars, edge):
    p.rect(2, 1, 16, 12, edge)
    p.rect(3, 2, 15, 11, face)
    p.rect(3, 2, 15, 4.5, bars)       # title bar
    p.rect(4, 6.5, 14, 7.5, bars)     # panel rows
    p.rect(4, 9, 11, 10, bars)


BUTTONS = [
    # index, size, drawing
    (1, (12, 11), lambda p: play(p, DARK, None)),
    (2, (12, 11), lambda p: pause(p, DARK, None)),
    (3, (12, 11), lambda p: stop(p, DARK, None)),
    (4, (12, 11), lambda p: play(p, YELLOW, YELLOW_EDGE)),
    (5, (12, 11), lambda p: pause(p, YELLOW, YELLOW_EDGE)),
    (6, (12, 11), lambda p: stop(p, YELLOW, YELLOW_EDGE)),
    (7, (14, 13), lambda p: cross(p, DARK)),
    (8, (14, 13), lambda p: cross(p, RED)),
    (9, (18, 13), lambda p: folder(p, (255, 222, 80), OLIVE, (90, 90, 0))),
    (10, (18, 13), lambda p: folder(p, LIGHT_GREEN, (110, 200, 100), GREEN_EDGE)),
    (11, (18, 13), lambda p: window(p, WHITE, NAVY, NAVY)),
    (12, (18, 13), lambda p: window(p, LIGHT_GREEN, (46, 140, 46), GREEN_EDGE)),
]


def save_gif(img, path, transparent_mask=None):
    """Saves as a 256-colour GIF. Pixels where transparent_mask is set get
    colour index 255, the transparent one."""
    rgb = img.convert("RGB")
    colours = 255 if transparent_mask is not None else 256
    pal = rgb.quantize(colors=colours, method=Image.MEDIANCUT, dither=Image.NONE)
    if transparent_mask is not None:
        palette = pal.getpalette()[: 255 * 3]
        palette += [0] * (255 * 3 - len(palette)) + [255, 0, 255]
        pal.putpalette(palette)
        px = pal.load()
        for y in range(pal.height):
            for x in range(pal.width):
                if transparent_mask(x, y):
                    px[x, y] = 255
        pal.save(path, transparency=255, optimize=False)
    else:
        pal.save(path, optimize=False)


def make_buttons():
    for index, (w, h), draw in BUTTONS:
        for scale, suffix in ((1, ""), (2, "@2x")):
            img = canvas(w, h, scale, FRAME_GREY + (255,))
            draw(Pen(img, scale))
            save_gif(finish(img, w, h, scale), os.path.join(OUT, f"button{index:02d}{suffix}.gif"))


# --------------------------------------------------------------- panel picture

def inside_rounded(px, py, x0, y0, x1, y1, r_top, r_bottom):
    """Whether point (px, py) lies in the rectangle x0..x1, y0..y1 whose top
    corners are rounded with radius r_top and bottom corners with r_bottom."""
    if not (x0 <= px <= x1 and y0 <= py <= y1):
        return False
    r = r_top if py < (y0 + y1) / 2 else r_bottom
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def make_panel():
    W, H, TOP_R = 349, 120, 6
    regular = os.path.join(FONTS, "LiberationSans-Regular.ttf")
    bold = os.path.join(FONTS, "LiberationSans-Bold.ttf")
    italic = os.path.join(FONTS, "LiberationSans-Italic.ttf")
    for scale, suffix in ((1, ""), (2, "@2x")):
        k = scale * FINE
        img = canvas(W, H, scale, (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        # vertical gradient, slate grey
        top, bottom = (112, 117, 126), (70, 74, 82)
        for y in range(H * k):
            t = y / (H * k - 1)
            c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            d.line([(0, y), (W * k, y)], fill=c + (255,))
        # soft highlight along the top, shadow along the sides
        d.line([(0, 0), (W * k, 0)], fill=(150, 156, 166, 255), width=k)
        # faint grooves between the read-out, the sliders and the buttons
        for y in (22.5, 58.5):
            d.line([(6 * k, y * k), (250 * k, y * k)], fill=(88, 92, 100, 255), width=max(1, k // 2))
        # product name and version, light blue, top right
        name_font = ImageFont.truetype(bold, 15 * k)
        ver_font = ImageFont.truetype(regular, 9 * k)
        blue = (150, 205, 255, 255)
        d.text((343 * k, 3 * k), "Murmelvox", font=name_font, fill=blue, anchor="ra")
        d.text((343 * k, 21 * k), "version 1.0", font=ver_font, fill=blue, anchor="ra")
        # maker's name, italic, bottom left, under the label that carries the
        # maker's tooltip (panel 32..105 x 104..113)
        maker_font = ImageFont.truetype(italic, 10 * k)
        d.text((33 * k, 103.5 * k), "Kelvaro", font=maker_font, fill=(206, 210, 216, 255), anchor="la")
        img = finish(img, W, H, scale)

        # Edge pixels are blended with the rim by how much of them the outline
        # covers, so the curve looks smooth; uncovered ones are transparent.
        img = img.convert("RGB")
        pix = img.load()
        uncovered = set()
        n = 4
        for y in range(img.height):
            for x in range(img.width):
                inside = sum(inside_rounded((x + (i + 0.5) / n) / scale, (y + (j + 0.5) / n) / scale,
                                            1, 0, W, H, TOP_R, 24)
                             for i in range(n) for j in range(n))
                if inside == 0:
                    uncovered.add((x, y))
                elif inside < n * n:
                    a = inside / (n * n)
                    pix[x, y] = tuple(round(c * a + r * (1 - a)) for c, r in zip(pix[x, y], RIM))

        def transparent(x, y):
            return (x, y) in uncovered

        save_gif(img, os.path.join(OUT, f"panel{suffix}.gif"), transparent)


# ---------------------------------------------------------------- window icon

def draw_icon(p):
    # olive frame around a grey face
    p.rounded(1, 1, 31, 31, 3, OLIVE)
    p.rounded(3, 3, 29, 29, 1.5, (196, 196, 196))
    # yellow loudspeaker: magnet and cone
    edge = (96, 80, 0)
    p.polygon([(6, 10.5), (10, 10.5), (10, 18.5), (6, 18.5)], YELLOW, edge, 0.9)
    p.polygon([(10, 10.5), (16, 5.5), (16, 23.5), (10, 18.5)], YELLOW, edge, 0.9)
    # sound waves
    for r in (4, 7.5):
        p.arc((16 - r, 14.5 - r, 16 + r, 14.5 + r), -50, 50, (70, 70, 70), 1.4)
    # dark progress bar along the bottom, partly played
    p.rect(5, 25, 27, 28, (40, 40, 40))
    p.rect(5, 25, 15, 28, (120, 120, 40))


def make_icon():
    for size, name in ((32, "murmelvox.png"), (64, "murmelvox@2x.png")):
        scale = size // 32
        img = canvas(32, 32, scale, (0, 0, 0, 0))
        draw_icon(Pen(img, scale))
        img = finish(img, 32, 32, scale)
        # 256 colours with a transparency mask
        alpha = img.getchannel("A")
        flat = Image.new("RGB", img.size, (196, 196, 196))
        flat.paste(img, mask=alpha)
        pal = flat.quantize(colors=255, method=Image.MEDIANCUT, dither=Image.NONE)
        palette = pal.getpalette()[: 255 * 3]
        palette += [0] * (255 * 3 - len(palette)) + [0, 0, 0]
        pal.putpalette(palette)
        px, a = pal.load(), alpha.load()
        for y in range(pal.height):
            for x in range(pal.width):
                if a[x, y] < 128:
                    px[x, y] = 255
        pal.save(os.path.join(OUT, name), transparency=255)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    make_buttons()
    make_panel()
    make_icon()

#!/usr/bin/python3
"""Generates the program's artwork: splash image, banner, spin-box arrows,
the icon file and the hicolor desktop icons.

Run from anywhere:  /usr/bin/python3 tools/make-artwork.py [repository root]

Needs Pillow (Debian: python3-pil) and the DejaVu fonts (fonts-dejavu-core).
Pillow draws; the PNG and ICO files are written by this script itself,
because the resource files need kinds that Pillow cannot write (Adam7
interlacing) or does not let us pin down (colour type, 8-bit palette icon).
The output is deterministic: no time stamps or other varying chunks.
"""

import math
import os
import struct
import sys
import zlib

from PIL import Image, ImageDraw, ImageFont

# Colours of the window's style sheets, so the artwork sits in the same scheme.
SLATE = (91, 123, 144)
SLATE_DARK = (58, 80, 96)
CELL = (125, 160, 170)
BUTTON = (135, 161, 178)
PAGE = (169, 192, 198)
TEXT_LIGHT = (177, 194, 208)
GRADIENT_LIGHT = (212, 220, 228)
GRADIENT_DARK = (120, 148, 167)
CYAN = (0, 181, 185)
WHITE = (244, 247, 249)

FONT_DIR = "/usr/share/fonts/truetype/dejavu"


def font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


# --------------------------------------------------------------------------
# PNG writer

ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
         (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filter_rows(rows, bpp):
    """Filters each scan line with the filter type that gives the smallest
    sum of absolute values (the usual heuristic)."""
    out = bytearray()
    prev = bytes(len(rows[0])) if rows else b""
    for row in rows:
        n = len(row)
        cands = []
        cands.append((0, bytes(row)))
        cands.append((1, bytes((row[i] - (row[i - bpp] if i >= bpp else 0)) & 0xFF
                               for i in range(n))))
        cands.append((2, bytes((row[i] - prev[i]) & 0xFF for i in range(n))))
        cands.append((3, bytes((row[i] - (((row[i - bpp] if i >= bpp else 0) + prev[i]) >> 1)) & 0xFF
                               for i in range(n))))
        cands.append((4, bytes((row[i] - _paeth(row[i - bpp] if i >= bpp else 0, prev[i],
                                                prev[i - bpp] if i >= bpp else 0)) & 0xFF
                               for i in range(n))))
        ftype, data = min(cands, key=lambda c: sum(v if v < 128 else 256 - v for v in c[1]))
        out.append(ftype)
        out += data
        prev = row
    return bytes(out)


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, pixels, width, height, colour_type, channels, interlace=False,
              palette=None, transparency=None):
    """pixels: list of rows, each a bytes object of width * channels samples
    (8 bits each). colour_type as in the PNG IHDR (0, 2, 3, 4, 6)."""
    raw = bytearray()
    if interlace:
        for x0, y0, dx, dy in ADAM7:
            pw = (width - x0 + dx - 1) // dx
            ph = (height - y0 + dy - 1) // dy
            if pw <= 0 or ph <= 0:
                continue  # empty passes contribute no bytes at all
            rows = []
            for y in range(y0, height, dy):
                src = pixels[y]
                row = bytearray()
                for x in range(x0, width, dx):
                    row += src[x * channels:(x + 1) * channels]
                rows.append(bytes(row))
            raw += _filter_rows(rows, channels)
    else:
        raw += _filter_rows([bytes(r) for r in pixels], channels)

    png = b"\x89PNG\r\n\x1a\n"
    png += _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0,
                                      1 if interlace else 0))
    if palette is not None:
        png += _chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if transparency is not None:
        png += _chunk(b"tRNS", bytes(transparency))
    png += _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += _chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def image_rows(img, mode):
    img = img.convert(mode)
    w, h = img.size
    data = img.tobytes()
    stride = w * len(mode)
    return [data[y * stride:(y + 1) * stride] for y in range(h)]


# --------------------------------------------------------------------------
# Drawing helpers

def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def gradient(size, left, right, vertical=False):
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    for y in range(h):
        for x in range(w):
            t = (y / max(h - 1, 1)) if vertical else (x / max(w - 1, 1))
            px[x, y] = lerp(left, right, t)
    return img


def force_curve(t):
    """A loading curve as the device records it: rise, plateau, release."""
    rise = 1.0 / (1.0 + math.exp(-(t - 0.28) * 18.0))
    release = 1.0 / (1.0 + math.exp((t - 0.80) * 22.0))
    ripple = 0.025 * math.sin(t * 60.0) * rise * release
    return rise * release * 0.92 + ripple


def draw_chart(draw, box, scale, line, grid, points=True):
    """Grid, axes and the force curve inside box (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = box
    for i in range(1, 8):
        x = x0 + (x1 - x0) * i / 8
        draw.line([(x, y0), (x, y1)], fill=grid, width=max(1, scale))
    for i in range(1, 4):
        y = y0 + (y1 - y0) * i / 4
        draw.line([(x0, y), (x1, y)], fill=grid, width=max(1, scale))
    draw.line([(x0, y1), (x1, y1)], fill=line, width=2 * scale)
    draw.line([(x0, y0), (x0, y1)], fill=line, width=2 * scale)
    pts = []
    for i in range(0, 201):
        t = i / 200
        pts.append((x0 + (x1 - x0) * t, y1 - (y1 - y0) * force_curve(t)))
    draw.line(pts, fill=CYAN + (255,), width=3 * scale, joint="curve")
    if points:
        for i in range(5, 200, 15):
            x, y = pts[i]
            r = 3 * scale
            draw.ellipse([x - r, y - r, x + r, y + r], fill=WHITE + (255,))


# --------------------------------------------------------------------------
# The images

def make_header(path):
    w, h, ss = 950, 176, 3
    base = gradient((w * ss, h * ss), SLATE_DARK, PAGE).convert("RGBA")
    # The right part fades out so the window's own gradient shows through.
    alpha = Image.new("L", (w * ss, h * ss))
    ap = alpha.load()
    fade_start = 0.62
    for x in range(w * ss):
        t = x / (w * ss - 1)
        a = 255 if t < fade_start else int(round(255 * (1 - (t - fade_start) / (1 - fade_start) * 0.75)))
        for y in range(h * ss):
            ap[x, y] = a
    base.putalpha(alpha)

    over = Image.new("RGBA", base.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(over)
    draw_chart(d, (560 * ss, 28 * ss, 910 * ss, 150 * ss), ss,
               line=WHITE + (200,), grid=WHITE + (60,))
    d.text((40 * ss, 26 * ss), "Kalvor II", font=font(64 * ss, bold=True), fill=WHITE + (255,))
    d.rectangle([42 * ss, 106 * ss, 330 * ss, 109 * ss], fill=CYAN + (255,))
    d.text((42 * ss, 120 * ss), "Kraftmessung  \u00b7  Konfiguration  \u00b7  Messwertspeicher",
           font=font(19 * ss), fill=GRADIENT_LIGHT + (255,))
    img = Image.alpha_composite(base, over).resize((w, h), Image.LANCZOS)
    write_png(path, image_rows(img, "RGBA"), w, h, colour_type=6, channels=4, interlace=True)


def make_splash(path):
    w, h, ss = 640, 282, 3
    img = gradient((w * ss, h * ss), SLATE, SLATE_DARK, vertical=True).convert("RGBA")
    over = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(over)
    d.rectangle([0, 0, w * ss, 6 * ss], fill=CYAN + (255,))
    d.text((34 * ss, 40 * ss), "Kalvor II", font=font(70 * ss, bold=True), fill=WHITE + (255,))
    d.text((38 * ss, 128 * ss), "Kraftmessger\u00e4t", font=font(24 * ss), fill=GRADIENT_LIGHT + (255,))
    d.text((38 * ss, 162 * ss), "Konfiguration \u00b7 Messwertspeicher \u00b7 Export",
           font=font(15 * ss), fill=TEXT_LIGHT + (255,))
    draw_chart(d, (392 * ss, 60 * ss, 608 * ss, 200 * ss), ss,
               line=WHITE + (210,), grid=WHITE + (50,))
    d.rectangle([38 * ss, 234 * ss, 602 * ss, 238 * ss], fill=BUTTON + (255,))
    d.rectangle([38 * ss, 234 * ss, 250 * ss, 238 * ss], fill=CYAN + (255,))
    d.text((38 * ss, 248 * ss), "Programm wird gestartet \u2026", font=font(13 * ss),
           fill=TEXT_LIGHT + (255,))
    img = Image.alpha_composite(img, over).convert("RGB").resize((w, h), Image.LANCZOS)
    write_png(path, image_rows(img, "RGB"), w, h, colour_type=2, channels=3, interlace=True)


# Arrow masks, 7 x 5: coverage of each pixel (0 to 255).
UP_MASK = (
    (0, 0, 40, 255, 40, 0, 0),
    (0, 40, 255, 255, 255, 40, 0),
    (40, 255, 255, 255, 255, 255, 40),
    (255, 255, 255, 255, 255, 255, 255),
    (0, 0, 0, 0, 0, 0, 0),
)
DOWN_MASK = (UP_MASK[4],) + tuple(reversed(UP_MASK[:4]))

ARROW_GREY = 40          # dark arrow on the grey spin buttons
ARROW_GREY_DISABLED = 235  # pale arrow: the end of the range is reached


def make_grey_arrow(path, mask, grey, opacity):
    rows = []
    for line in mask:
        row = bytearray()
        for cover in line:
            row += bytes((grey, cover * opacity // 255))
        rows.append(bytes(row))
    write_png(path, rows, 7, 5, colour_type=4, channels=2)


def make_palette_arrow(path, mask, grey):
    # Palette: one entry per coverage level; tRNS carries the coverage.
    levels = sorted(set(c for line in mask for c in line))
    palette = [(grey, grey, grey) for _ in levels]
    index = {c: i for i, c in enumerate(levels)}
    rows = [bytes(index[c] for c in line) for line in mask]
    write_png(path, rows, 7, 5, colour_type=3, channels=1, palette=palette,
              transparency=levels)


def draw_icon(size):
    """The program icon: a force gauge on a slate tile. Drawn large, reduced."""
    ss = 8 if size <= 64 else 4
    s = size * ss
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    m = s * 0.04
    r = s * 0.18
    tile = gradient((s, s), GRADIENT_DARK, SLATE_DARK, vertical=True).convert("RGBA")
    mask = Image.new("L", (s, s), 0)
    ImageDraw.Draw(mask).rounded_rectangle([m, m, s - m, s - m], radius=r, fill=255)
    img.paste(tile, (0, 0), mask)
    d.rounded_rectangle([m, m, s - m, s - m], radius=r, outline=SLATE_DARK + (255,),
                        width=max(1, int(s * 0.03)))
    cx, cy = s * 0.5, s * 0.62
    rad = s * 0.32
    lw = max(ss, int(s * 0.075))
    d.arc([cx - rad, cy - rad, cx + rad, cy + rad], 180, 360, fill=WHITE + (255,), width=lw)
    if size >= 32:
        for i in range(0, 7):
            ang = math.radians(180 + i * 30)
            r0, r1 = rad * 0.70, rad * 0.84
            d.line([(cx + r0 * math.cos(ang), cy + r0 * math.sin(ang)),
                    (cx + r1 * math.cos(ang), cy + r1 * math.sin(ang))],
                   fill=TEXT_LIGHT + (255,), width=max(ss, int(s * 0.025)))
    ang = math.radians(180 + 132)
    d.line([(cx, cy), (cx + rad * 0.78 * math.cos(ang), cy + rad * 0.78 * math.sin(ang))],
           fill=CYAN + (255,), width=max(ss, int(s * 0.07)))
    hub = s * 0.07
    d.ellipse([cx - hub, cy - hub, cx + hub, cy + hub], fill=CYAN + (255,))
    if size >= 48:
        f = font(int(s * 0.16), bold=True)
        d.text((cx, s * 0.84), "K II", font=f, fill=WHITE + (255,), anchor="mm")
    return img.resize((size, size), Image.LANCZOS)


def ico_image(img):
    """One 8-bit BMP image of an .ico: header, 256-colour palette, pixels
    bottom-up, then the 1-bit transparency mask."""
    size = img.size[0]
    alpha = img.getchannel("A")
    rgb = Image.new("RGB", img.size, SLATE_DARK)
    rgb.paste(img.convert("RGB"), (0, 0), alpha)
    quant = rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = quant.getpalette()[:256 * 3]
    pal += [0] * (256 * 3 - len(pal))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b"".join(bytes((pal[i * 3 + 2], pal[i * 3 + 1], pal[i * 3], 0)) for i in range(256))
    px = quant.load()
    ap = alpha.load()
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytes(px[x, y] for x in range(size))
        xor += row + bytes((-len(row)) % 4)
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray((size + 7) // 8)
        for x in range(size):
            if ap[x, y] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits + bytes((-len(bits)) % 4)
    return header + palette + bytes(xor) + bytes(mask)


def make_ico(path, sizes):
    images = [ico_image(draw_icon(s)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


def make_hicolor(root):
    for size in (16, 32, 48, 64, 128, 256):
        img = draw_icon(size)
        path = os.path.join(root, "%dx%d" % (size, size), "apps", "kalvor2.png")
        write_png(path, image_rows(img, "RGBA"), size, size, colour_type=6, channels=4)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    ui = os.path.join(os.path.abspath(root), "ui")
    make_splash(os.path.join(ui, "Icon", "KVii_SplashScreen.png"))
    make_ico(os.path.join(ui, "Icon", "KWII.ico"), (32, 16))
    make_header(os.path.join(ui, "Logo", "header.png"))
    design = os.path.join(ui, "Logo", "design")
    make_palette_arrow(os.path.join(design, "up_arrow.png"), UP_MASK, ARROW_GREY)
    make_grey_arrow(os.path.join(design, "down_arrow.png"), DOWN_MASK, ARROW_GREY, 255)
    make_grey_arrow(os.path.join(design, "up_arrow_disabled.png"), UP_MASK, ARROW_GREY_DISABLED, 255)
    make_grey_arrow(os.path.join(design, "down_arrow_disabled.png"), DOWN_MASK, ARROW_GREY_DISABLED, 255)
    make_hicolor(os.path.join(ui, "icons", "hicolor"))


if __name__ == "__main__":
    main()

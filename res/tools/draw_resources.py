#!/usr/bin/python3
"""Draws the program's pictures and writes them as real Windows files.

    res/icon129.ico    icon group 129: 32x32 4 bpp, 16x16 4 bpp, 32x32 8 bpp
    res/bullet132.bmp  heading bullet, 14x14, 8 bpp with palette
    res/about134.bmp   About picture, 240x96, 24 bpp

Run by hand after changing a drawing (needs python3-pil and
fonts-ipafont-gothic); the build uses the committed files.
    /usr/bin/python3 res/tools/draw_resources.py [--preview DIR]
--preview also writes PNG copies (the icons scaled x8) for a look.
"""

import argparse
import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"

# The 16 colours of the standard VGA palette, in Windows order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# ---------------------------------------------------------------- files


def bitmap_info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 2835, 2835,
                       colours, 0)


def row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def pack_rows(width, height, bits, pixel):
    """Bottom-up rows of `pixel(x, y)` values (palette indices, or RGB
    tuples for 24 bpp), each padded to 32 bits."""
    out = bytearray()
    stride = row_stride(width, bits)
    for y in reversed(range(height)):
        row = bytearray()
        if bits == 24:
            for x in range(width):
                r, g, b = pixel(x, y)
                row += bytes((b, g, r))
        else:
            acc = 0
            nbits = 0
            for x in range(width):
                acc = (acc << bits) | pixel(x, y)
                nbits += bits
                if nbits == 8:
                    row.append(acc)
                    acc = 0
                    nbits = 0
            if nbits:
                row.append(acc << (8 - nbits))
        row += bytes(stride - len(row))
        out += row
    return bytes(out)


def palette_bytes(palette, count):
    out = bytearray()
    for i in range(count):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        out += bytes((b, g, r, 0))
    return bytes(out)


def write_bmp(path, width, height, bits, pixel, palette=None):
    colours = 0 if bits == 24 else 1 << bits
    pal = palette_bytes(palette, colours) if colours else b""
    data = pack_rows(width, height, bits, pixel)
    offset = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + bitmap_info_header(width, height, bits, len(data), colours) + pal + data)


def icon_image(indexed, palette, bits):
    """One icon image: header (double height), palette, XOR bits, AND mask.
    `indexed` is a list of rows of palette indices, None for transparent."""
    size = len(indexed)
    colours = 1 << bits
    xor = pack_rows(size, size, bits, lambda x, y: indexed[y][x] or 0)
    mask = pack_rows(size, size, 1, lambda x, y: 1 if indexed[y][x] is None else 0)
    header = bitmap_info_header(size, size * 2, bits, len(xor) + len(mask), 0)
    return header + palette_bytes(palette, colours) + xor + mask


def write_ico(path, images):
    """images: list of (size, bits, image bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, bits, data in images:
        colour_count = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
        body += data
    with open(path, "wb") as f:
        f.write(out + body)


# ---------------------------------------------------------------- icon

SS = 16  # supersampling factor of the icon drawings


def gear_polygon(cx, cy, r_out, r_in, teeth, phase=0.0):
    """Outline of a gear with trapezoid teeth."""
    pitch = 2 * math.pi / teeth
    points = []
    for t in range(teeth):
        a = phase + pitch * t
        for da, r in ((-0.30, r_in), (-0.17, r_out), (0.17, r_out), (0.30, r_in)):
            points.append((cx + r * math.cos(a + da * pitch * 1.6),
                           cy + r * math.sin(a + da * pitch * 1.6)))
    return points


def draw_icon_layers(size):
    """Draws the icon at size*SS and returns a list of (label, RGB, mask)
    layers, back to front. Labels keep the flat colours separate so that
    the 16-colour versions can be reduced per pixel without blending."""
    s = size * SS / 32.0  # drawing coordinates are in 32-pixel units

    def box(x0, y0, x1, y1):
        return [x0 * s, y0 * s, x1 * s - 1, y1 * s - 1]

    def new():
        return Image.new("L", (size * SS, size * SS), 0)

    layers = []

    def add(colour, draw_fn):
        m = new()
        draw_fn(ImageDraw.Draw(m))
        layers.append((colour, m))

    if size <= 16:
        # The 16-pixel image keeps to even coordinates: whole pixels.
        add((0, 0, 0), lambda d: d.rounded_rectangle(box(4, 0, 24, 32), radius=4 * s, fill=255))
        add((192, 192, 192), lambda d: d.rounded_rectangle(box(6, 2, 22, 30), radius=2 * s,
                                                           fill=255))
        add((128, 128, 128), lambda d: d.rectangle(box(20, 4, 22, 30), fill=255))
        add((0, 0, 0), lambda d: d.rectangle(box(8, 4, 20, 20), fill=255))
        add((255, 255, 255), lambda d: d.rectangle(box(10, 6, 18, 18), fill=255))
        add((0, 0, 128), lambda d: d.rectangle(box(10, 6, 18, 8), fill=255))
        add((0, 128, 128), lambda d: d.rectangle(box(10, 10, 18, 12), fill=255))
        add((0, 128, 128), lambda d: d.rectangle(box(10, 14, 18, 16), fill=255))
        add((0, 0, 255), lambda d: d.rectangle(box(10, 24, 14, 26), fill=255))
        cx, cy = 24 * s, 24 * s
        add((0, 0, 0), lambda d: d.polygon(gear_polygon(cx, cy, 8.2 * s, 6.0 * s, 6, 0.0),
                                           fill=255))
        add((255, 255, 0), lambda d: d.polygon(gear_polygon(cx, cy, 6.3 * s, 4.2 * s, 6, 0.0),
                                               fill=255))
        add((0, 0, 0), lambda d: d.rectangle(box(22, 22, 26, 26), fill=255))
        return layers
    # Device body: dark outline, grey case with a light face.
    add((0, 0, 0), lambda d: d.rounded_rectangle(box(5, 0.5, 24, 31.5), radius=3.5 * s, fill=255))
    add((128, 128, 128), lambda d: d.rounded_rectangle(box(6, 1.5, 23, 30.5), radius=2.8 * s,
                                                       fill=255))
    add((192, 192, 192), lambda d: d.rounded_rectangle(box(6.5, 2, 21.5, 29), radius=2.4 * s,
                                                       fill=255))
    # Screen with its frame and three setting rows (a tick box and a line).
    add((0, 0, 0), lambda d: d.rectangle(box(8, 4, 20, 21), fill=255))
    add((255, 255, 255), lambda d: d.rectangle(box(9, 5, 19, 20), fill=255))
    add((0, 0, 128), lambda d: d.rectangle(box(9, 5, 19, 8), fill=255))
    for y in (10, 13, 16):
        add((0, 0, 0), lambda d, y=y: d.rectangle(box(10, y, 12, y + 2), fill=255))
        add((0, 128, 128), lambda d, y=y: d.rectangle(box(13, y + 0.5, 18, y + 1.5), fill=255))
    add((0, 255, 0), lambda d: d.rectangle(box(10, 10, 11, 11), fill=255))
    # Navigation pad below the screen.
    add((0, 0, 0), lambda d: d.ellipse(box(11.5, 23, 17.5, 29), fill=255))
    add((0, 0, 255), lambda d: d.ellipse(box(12.5, 24, 16.5, 28), fill=255))
    # Gear at the lower right, over the case.
    cx, cy = 24 * s, 24 * s
    add((0, 0, 0), lambda d: d.polygon(gear_polygon(cx, cy, 8.0 * s, 6.0 * s, 7, 0.3), fill=255))
    add((0, 0, 0), lambda d: d.ellipse([cx - 6.4 * s, cy - 6.4 * s, cx + 6.4 * s, cy + 6.4 * s],
                                       fill=255))
    add((255, 255, 0), lambda d: d.polygon(gear_polygon(cx, cy, 6.6 * s, 4.8 * s, 7, 0.3),
                                           fill=255))
    add((255, 255, 0), lambda d: d.ellipse([cx - 5.0 * s, cy - 5.0 * s, cx + 5.0 * s,
                                            cy + 5.0 * s], fill=255))
    add((128, 128, 0), lambda d: d.ellipse([cx - 2.8 * s, cy - 2.8 * s, cx + 2.8 * s,
                                            cy + 2.8 * s], fill=255))
    add((0, 0, 0), lambda d: d.ellipse([cx - 1.8 * s, cy - 1.8 * s, cx + 1.8 * s,
                                        cy + 1.8 * s], fill=255))
    return layers


def icon_flat(size):
    """16-colour version: each pixel takes the colour that covers most of
    it (no blending), transparent when less than half is covered."""
    layers = draw_icon_layers(size)
    label = Image.new("L", (size * SS, size * SS), 255)  # 255 = transparent
    for colour, m in layers:
        label.paste(VGA16.index(colour), mask=m.point(lambda v: 255 if v >= 128 else 0))
    px = label.load()
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            counts = {}
            for sy in range(SS):
                for sx in range(SS):
                    v = px[x * SS + sx, y * SS + sy]
                    counts[v] = counts.get(v, 0) + 1
            opaque = SS * SS - counts.get(255, 0)
            if opaque * 2 < SS * SS:
                row.append(None)
                continue
            counts.pop(255, None)
            row.append(max(counts.items(), key=lambda kv: kv[1])[0])
        rows.append(row)
    return rows


def icon_smooth(size):
    """256-colour version: the drawing averaged (anti-aliased edges), with
    shading, reduced to an adaptive palette."""
    layers = draw_icon_layers(size)
    rgb = Image.new("RGB", (size * SS, size * SS), (0, 0, 0))
    alpha = Image.new("L", (size * SS, size * SS), 0)
    for colour, m in layers:
        rgb.paste(colour, mask=m)
        alpha.paste(255, mask=m)
    # Soft light from the upper left over everything.
    shade = Image.new("RGB", rgb.size)
    sp = shade.load()
    w = rgb.size[0]
    for y in range(w):
        for x in range(w):
            t = (x + y) / (2.0 * w)
            v = int(40 - 80 * t)
            sp[x, y] = (128 + v, 128 + v, 128 + v)
    rgb = ImageChops.overlay(rgb, shade)
    small = rgb.resize((size, size), Image.BOX)
    a = alpha.resize((size, size), Image.BOX)
    # Edge pixels blend toward a light backdrop, the usual choice for icons
    # shown on white pages and title bars.
    bg = Image.new("RGB", (size, size), (255, 255, 255))
    # Undo the black premultiplication of the supersampled colour.
    sm = small.load()
    ap = a.load()
    for y in range(size):
        for x in range(size):
            al = ap[x, y]
            if al:
                r, g, b = sm[x, y]
                k = 255.0 / al
                sm[x, y] = (min(255, int(r * k)), min(255, int(g * k)), min(255, int(b * k)))
    merged = Image.composite(small, bg, a)
    q = merged.quantize(colors=256, method=Image.MEDIANCUT, dither=Image.NONE)
    pal = q.getpalette()[:768]
    palette = [tuple(pal[i:i + 3]) for i in range(0, 768, 3)]
    qp = q.load()
    rows = [[qp[x, y] if ap[x, y] >= 96 else None for x in range(size)] for y in range(size)]
    return rows, palette


# ---------------------------------------------------------------- bullet


def draw_bullet():
    n = 14
    k = 16
    big = Image.new("RGB", (n * k, n * k), (255, 255, 255))
    d = ImageDraw.Draw(big)
    c = n * k / 2
    r = 5.6 * k
    # A glossy blue ball with a dark rim and a white glint.
    d.ellipse([c - r, c - r, c + r, c + r], fill=(16, 56, 148))
    for i in range(40):
        t = i / 40.0
        rr = r * (0.92 - 0.55 * t)
        ox = -0.28 * r * t
        oy = -0.30 * r * t
        col = (int(36 + 120 * t), int(96 + 120 * t), int(210 + 40 * t))
        d.ellipse([c + ox - rr, c + oy - rr, c + ox + rr, c + oy + rr], fill=col)
    g = 1.5 * k
    d.ellipse([c - 0.45 * r - g, c - 0.5 * r - g * 0.8, c - 0.45 * r + g, c - 0.5 * r + g * 0.8],
              fill=(255, 255, 255))
    small = big.resize((n, n), Image.LANCZOS)
    q = small.quantize(colors=64, method=Image.MEDIANCUT, dither=Image.NONE)
    pal = q.getpalette()[:768]
    palette = [tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)]
    # Index 0 stays the page white so that the background reads cleanly.
    return q, palette


# ---------------------------------------------------------------- about


def draw_about():
    w, h = 240, 96
    k = 3
    W, H = w * k, h * k
    img = Image.new("RGB", (W, H))
    p = img.load()
    # Sky: white at the top (it meets the white page) into a soft blue.
    for y in range(H):
        t = y / (H - 1)
        for x in range(W):
            u = x / (W - 1)
            top = (255, 255, 255)
            bottom = (70 + int(40 * u), 130 + int(30 * u), 210)
            tt = min(1.0, t * 1.35)
            p[x, y] = tuple(int(top[i] + (bottom[i] - top[i]) * tt) for i in range(3))
    d = ImageDraw.Draw(img, "RGBA")
    # Two rolling waves at the bottom.
    for base, amp, col, ph in ((62, 7, (40, 96, 190, 170), 0.0), (70, 5, (20, 60, 150, 220), 1.7)):
        pts = [(0, H)]
        for x in range(0, W + 1, 4):
            pts.append((x, (base + amp * math.sin(x / W * 2 * math.pi * 1.3 + ph)) * k))
        pts.append((W, H))
        d.polygon(pts, fill=col)
    # Faint rings: signal waves from the device.
    for i, rr in enumerate((26, 34, 42)):
        a = 90 - 25 * i
        d.arc([(40 - rr) * k, (40 - rr) * k, (40 + rr) * k, (40 + rr) * k], 290, 20,
              fill=(255, 255, 255, a), width=2 * k)
    # A small device on the left.
    dx, dy = 22, 16
    d.rounded_rectangle([dx * k, dy * k, (dx + 26) * k, (dy + 46) * k], radius=5 * k,
                        fill=(60, 66, 80, 255), outline=(20, 24, 32, 255), width=k)
    d.rectangle([(dx + 4) * k, (dy + 6) * k, (dx + 22) * k, (dy + 32) * k], fill=(240, 248, 255))
    d.rectangle([(dx + 4) * k, (dy + 6) * k, (dx + 22) * k, (dy + 10) * k], fill=(20, 60, 160))
    for j in range(3):
        yy = dy + 13 + 6 * j
        d.rectangle([(dx + 6) * k, yy * k, (dx + 9) * k, (yy + 3) * k], outline=(40, 40, 40),
                    width=k // 2 + 1)
        d.rectangle([(dx + 11) * k, (yy + 1) * k, (dx + 20) * k, (yy + 2) * k],
                    fill=(90, 140, 200))
    d.ellipse([(dx + 10) * k, (dy + 36) * k, (dx + 16) * k, (dy + 42) * k], fill=(150, 180, 230))
    # Gear overlapping the device's lower right.
    gx, gy = (dx + 26) * k, (dy + 40) * k
    d.polygon(gear_polygon(gx, gy, 11 * k, 8 * k, 9, 0.1), fill=(250, 200, 40, 255),
              outline=(120, 80, 0, 255))
    d.ellipse([gx - 4 * k, gy - 4 * k, gx + 4 * k, gy + 4 * k], fill=(120, 80, 0, 255))
    # The name, with a soft shadow.
    font = ImageFont.truetype(FONT, 25 * k)
    sub = ImageFont.truetype(FONT, 10 * k)
    tx, ty = 66 * k, 20 * k
    shadow = Image.new("L", (W, H), 0)
    ImageDraw.Draw(shadow).text((tx + k, ty + 2 * k), "RegillaMobile", font=font, fill=170)
    shadow = shadow.filter(ImageFilter.GaussianBlur(2 * k))
    img.paste((10, 30, 80), mask=shadow)
    d = ImageDraw.Draw(img, "RGBA")
    d.text((tx, ty), "RegillaMobile", font=font, fill=(18, 52, 140))
    d.text((tx + 4 * k, 64 * k), "Pocket PC settings", font=sub, fill=(255, 255, 255, 240))
    return img.resize((w, h), Image.LANCZOS)


# ---------------------------------------------------------------- main


def preview_icon(rows, palette, scale=8):
    size = len(rows)
    img = Image.new("RGB", (size, size), (255, 0, 255))
    for y in range(size):
        for x in range(size):
            if rows[y][x] is not None:
                img.putpixel((x, y), palette[rows[y][x]])
    return img.resize((size * scale, size * scale), Image.NEAREST)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--preview", help="folder for PNG previews")
    args = ap.parse_args()

    i32 = icon_flat(32)
    i16 = icon_flat(16)
    s32, pal256 = icon_smooth(32)
    write_ico(os.path.join(RES, "icon129.ico"), [
        (32, 4, icon_image(i32, VGA16, 4)),
        (16, 4, icon_image(i16, VGA16, 4)),
        (32, 8, icon_image(s32, pal256, 8)),
    ])

    bullet, bpal = draw_bullet()
    bp = bullet.load()
    write_bmp(os.path.join(RES, "bullet132.bmp"), 14, 14, 8, lambda x, y: bp[x, y], bpal)

    about = draw_about()
    ab = about.load()
    write_bmp(os.path.join(RES, "about134.bmp"), 240, 96, 24, lambda x, y: ab[x, y])

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        preview_icon(i32, VGA16).save(os.path.join(args.preview, "icon32_4.png"))
        preview_icon(i16, VGA16, 16).save(os.path.join(args.preview, "icon16_4.png"))
        preview_icon(s32, pal256).save(os.path.join(args.preview, "icon32_8.png"))
        bullet.convert("RGB").resize((14 * 12, 14 * 12), Image.NEAREST).save(
            os.path.join(args.preview, "bullet.png"))
        about.resize((480, 192), Image.NEAREST).save(os.path.join(args.preview, "about.png"))


if __name__ == "__main__":
    main()

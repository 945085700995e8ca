#!/usr/bin/env python3
"""Draws the application icon (app.ico) and the splash logo (logo.bmp).

Standard library only, and deterministic: running it again gives the same bytes, so the
committed pictures can always be rebuilt and checked.

    python3 resources/generate_splash_pictures.py [output-folder]

The icon holds ten images: 48, 32 and 16 px at 4 and at 8 bits per pixel (palette images with
a transparency mask) and 128, 48, 32 and 16 px at 32 bits per pixel with alpha. The logo is
793 x 1200 px; the splash window stretches it into a box that is relatively wider (121 x 159 px
at 96 DPI), so its shapes are drawn narrower here to look round on screen. It is stored with 8
bits per pixel and a palette made for it: the drawing has only a few thousand distinct colours,
so 256 chosen ones keep it faithful at a third of the size of 24 bits per pixel, and runs of one
colour (BI_RLE8) shrink that to a tenth (the executable carries it, and the splash window draws
it from there).
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------------------------
# Drawing: shapes are signed-distance functions (negative inside) in "design units"; the edge
# of a shape covers a pixel in proportion to its distance, which gives smooth edges.


def clamp01(value):
    return 0.0 if value < 0.0 else 1.0 if value > 1.0 else value


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def scale_colour(colour, factor):
    return tuple(min(255.0, c * factor) for c in colour)


class Gear:
    """A spur gear with trapezoid teeth, a groove ring, a dark hub and a start or stop sign."""

    def __init__(self, cx, cy, tip, root, teeth, phase, body, hub, sign, sign_colour, detail=True, flat=False):
        self.flat = flat
        self.cx, self.cy = cx, cy
        self.tip, self.root = tip, root
        self.teeth = teeth
        self.phase = phase
        self.body, self.hub = body, hub
        self.sign, self.sign_colour = sign, sign_colour
        self.detail = detail
        self.hub_radius = root * 0.42
        self.groove_radius = root * 0.70
        self.sign_size = self.hub_radius * 0.52

    def outline_distance(self, rho, theta):
        # Position within one tooth period: 0 is the middle of a tooth, 0.5 the middle of a gap.
        t = ((theta - self.phase) * self.teeth / (2 * math.pi) + 0.5) % 1.0 - 0.5
        at = abs(t)
        tip_half, flank = 0.17, 0.14
        span = self.tip - self.root
        if at <= tip_half:
            radius, slope = self.tip, 0.0
        elif at <= tip_half + flank:
            radius = self.tip - span * (at - tip_half) / flank
            slope = span / flank * self.teeth / (2 * math.pi)
        else:
            radius, slope = self.root, 0.0
        return (rho - radius) / math.sqrt(1.0 + (slope / max(rho, 1.0)) ** 2)

    def sign_distance(self, x, y):
        size = self.sign_size
        if self.sign == "start":
            # A triangle pointing right, centred on its own area.
            return triangle_distance(x, y, size)
        if self.sign == "stop":
            return box_distance(x, y, size * 0.78, size * 0.78, size * 0.12)
        return 1e9

    def layers(self, x, y):
        """(distance, colour) for each layer of the gear at the point, bottom first."""
        dx, dy = x - self.cx, y - self.cy
        rho = math.hypot(dx, dy)
        if rho > self.tip + 2:
            return []
        theta = math.atan2(dy, dx)
        # Metal lit from the upper left, a little darker towards the rim.
        # Metal lit from the upper left, a little darker towards the rim; palette images stay flat.
        light = 0.5 if self.flat else clamp01(0.5 - (dx + dy) / (2.8 * self.tip))
        rim = 0.0 if self.flat else clamp01((rho - self.root * 0.8) / (self.tip * 0.4))
        body = scale_colour(self.body, (0.62 + 0.55 * light) / (0.62 + 0.55 * 0.5 if self.flat else 1.0)
                            * (1.0 - 0.18 * rim))
        result = [(self.outline_distance(rho, theta), body)]
        if self.detail:
            groove = abs(rho - self.groove_radius) - self.root * 0.035
            result.append((groove, scale_colour(self.body, 0.45 if not self.flat else 0.75)))
        hub_light = 1.0 if self.flat else 0.75 + 0.35 * light
        result.append((rho - self.hub_radius, scale_colour(self.hub, hub_light)))
        result.append((self.sign_distance(dx, dy), self.sign_colour))
        return result


def triangle_distance(x, y, size):
    # The usual signed distance to an equilateral triangle, pointing in +x, circumradius `size`.
    k = math.sqrt(3.0)
    # Rotate so the triangle points up in the formula's frame.
    px, py = y, x
    r = size * 0.866
    px = abs(px) - r
    py = py + r / k
    if px + k * py > 0.0:
        px, py = (px - k * py) / 2.0, (-k * px - py) / 2.0
    px -= max(-2.0 * r, min(0.0, px))
    return math.hypot(px, py) * (1 if py < 0 else -1)


def box_distance(x, y, half_w, half_h, corner):
    qx = abs(x) - half_w + corner
    qy = abs(y) - half_h + corner
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - corner


def render(width, height, unit_x, unit_y, background, shapes, pixel):
    """Renders rows of (r, g, b, a) floats; unit_x/unit_y map a pixel to design units."""
    rows = []
    for py in range(height):
        row = []
        y = (py + 0.5) * unit_y
        for px in range(width):
            x = (px + 0.5) * unit_x
            colour, alpha = background(x, y)
            for shape in shapes:
                for distance, layer_colour in shape.layers(x, y):
                    cover = clamp01(0.5 - distance / pixel)
                    if cover > 0.0:
                        out_alpha = cover + alpha * (1.0 - cover)
                        colour = tuple(
                            (lc * cover + c * alpha * (1.0 - cover)) / out_alpha
                            for lc, c in zip(layer_colour, colour)
                        )
                        alpha = out_alpha
            row.append((colour[0], colour[1], colour[2], alpha))
        rows.append(row)
    return rows


def to_bytes(value):
    return max(0, min(255, int(value + 0.5)))


# ---------------------------------------------------------------------------------------------
# The pictures.

STEEL = (205.0, 212.0, 224.0)
RED = (192.0, 0.0, 0.0)
DARK = (34.0, 38.0, 46.0)
LIGHT = (228.0, 228.0, 228.0)


def meshing_phase(direction, teeth, tooth_faces_partner):
    """Rotation that puts a tooth (or a gap) of the gear towards the partner at `direction`."""
    return direction if tooth_faces_partner else direction - math.pi / teeth


def logo_rows():
    width, height = 793, 1200
    # On screen the logo is stretched to 121 x 159 px: 1.152 times wider relative to its height.
    stretch = (121 / 793) / (159 / 1200)
    design_width = width * stretch

    # Centre distances leave each tooth tip a little clear of its partner's root circle.
    big_c = (design_width * 0.52, 460.0)
    mid_angle = math.radians(52)
    mid_c = (big_c[0] + 462 * math.cos(mid_angle), big_c[1] + 462 * math.sin(mid_angle))
    # Both partners of the large gear meet one of its teeth (every 30 degrees from mid_angle).
    small_angle = mid_angle + math.radians(90)
    small_c = (big_c[0] + 406 * math.cos(small_angle), big_c[1] + 406 * math.sin(small_angle))

    big = Gear(*big_c, tip=300, root=252, teeth=12, phase=mid_angle,
               body=RED, hub=DARK, sign="start", sign_colour=LIGHT)
    mid = Gear(*mid_c, tip=190, root=154, teeth=8,
               phase=meshing_phase(mid_angle + math.pi, 8, False),
               body=STEEL, hub=DARK, sign="stop", sign_colour=(200.0, 30.0, 30.0))
    small = Gear(*small_c, tip=128, root=100, teeth=6,
                 phase=meshing_phase(small_angle + math.pi, 6, False),
                 body=scale_colour(STEEL, 0.8), hub=DARK, sign="", sign_colour=LIGHT)

    def background(x, y):
        # Deep blue at the top fading to black, with a soft glow behind the large gear.
        top = (18.0, 32.0, 70.0)
        base = mix(top, (0.0, 0.0, 0.0), clamp01(y / height) ** 0.8)
        glow = clamp01(1.0 - math.hypot(x - big_c[0], y - big_c[1]) / 520.0) ** 2
        return mix(base, (70.0, 20.0, 30.0), glow * 0.55), 1.0

    rows = render(width, height, stretch, 1.0, background, [small, mid, big], pixel=1.1)
    return width, height, rows


def icon_rows(size, bits):
    """One red gear with a start sign, filling the square; drawn in a 100 x 100 design space.

    Palette images are drawn flat in colours of their palette, as shading would only dither."""
    unit = 100.0 / size
    body = {4: (128.0, 0.0, 0.0), 8: (204.0, 0.0, 0.0)}.get(bits, RED)
    hub = {4: (255.0, 255.0, 255.0), 8: (255.0, 255.0, 255.0)}.get(bits, (245.0, 245.0, 245.0))
    gear = Gear(50.0, 50.0, tip=48.5, root=38.0, teeth=8, phase=-math.pi / 2,
                body=body, hub=hub, sign="start", sign_colour=body,
                detail=size >= 32, flat=bits != 32)
    if size <= 16:
        # Too small for a hub: a white start sign straight on the gear.
        gear.hub = body
        gear.sign_colour = (255.0, 255.0, 255.0)
        gear.sign_size = gear.root * 0.7

    def background(_x, _y):
        return (0.0, 0.0, 0.0), 0.0

    return render(size, size, unit, unit, background, [gear], pixel=unit)


# ---------------------------------------------------------------------------------------------
# Files.


# Weighted for the eye: green counts most, blue least.
CHANNEL_WEIGHTS = (3, 4, 2)


def colour_distance(a, b):
    return sum(((x - y) * w) ** 2 for x, y, w in zip(a, b, CHANNEL_WEIGHTS))


def weighted_mean(colours):
    """colours: [((r, g, b), count)] -> the mean colour as floats."""
    total = sum(count for _colour, count in colours)
    return tuple(sum(colour[i] * count for colour, count in colours) / total for i in range(3))


def box_error(colours):
    mean = weighted_mean(colours)
    return sum(colour_distance(colour, mean) * count for colour, count in colours)


def split_box(colours):
    """Splits along the channel that varies most, at the pixel-weighted median."""
    mean = weighted_mean(colours)
    spreads = [sum(((colour[i] - mean[i]) * CHANNEL_WEIGHTS[i]) ** 2 * count for colour, count in colours)
               for i in range(3)]
    channel = max(range(3), key=lambda i: (spreads[i], -i))
    ordered = sorted(colours, key=lambda item: (item[0][channel], item[0]))
    half = sum(count for _colour, count in ordered) / 2.0
    running = 0
    for cut, (_colour, count) in enumerate(ordered):
        running += count
        if running >= half:
            break
    cut = min(max(cut + 1, 1), len(ordered) - 1)
    return ordered[:cut], ordered[cut:]


def picture_palette(counts, size=256, refinements=12):
    """A palette for the picture: median cut over its colours weighted by how often they occur,
    refined by a few rounds of moving each entry to the mean of the colours nearest to it.

    counts: {(r, g, b): pixel count}. Deterministic: ties are broken by the colours themselves."""
    colours = sorted(counts.items())
    if len(colours) <= size:
        return [colour for colour, _count in colours]
    boxes = [(box_error(colours), colours)]
    while len(boxes) < size:
        index = max(range(len(boxes)), key=lambda i: (boxes[i][0], -i))
        _error, box = boxes[index]
        if len(box) < 2:
            break
        low, high = split_box(box)
        boxes[index:index + 1] = [(box_error(low), low), (box_error(high), high)]
    palette = [tuple(to_bytes(v) for v in weighted_mean(box)) for _error, box in boxes]
    for _round in range(refinements):
        members = [[] for _ in palette]
        for colour, count in colours:
            members[nearest(palette, colour, {})].append((colour, count))
        refined = [tuple(to_bytes(v) for v in weighted_mean(group)) if group else entry
                   for entry, group in zip(palette, members)]
        if refined == palette:
            break
        palette = refined
    return palette


def rle8_row(row):
    """One row of palette indexes as RLE8 codes, without the end-of-line code."""
    out = bytearray()
    i, n = 0, len(row)
    literal = []

    def flush():
        # Fewer than three literal pixels do not fit absolute mode: runs of one each.
        while literal:
            chunk = literal[:255]
            del literal[:255]
            if len(chunk) < 3:
                for value in chunk:
                    out.extend((1, value))
            else:
                out.extend((0, len(chunk)))
                out.extend(chunk)
                if len(chunk) % 2:
                    out.append(0)

    while i < n:
        j = i
        while j < n and j - i < 255 and row[j] == row[i]:
            j += 1
        if j - i >= 2:
            flush()
            out.extend((j - i, row[i]))
        else:
            literal.append(row[i])
        i = j
    flush()
    return bytes(out)


def bmp_8(width, height, rows):
    """An 8-bit palette BMP of the rows, run-length encoded (BI_RLE8), with a palette made for
    them."""
    pixels_rgb = [[(to_bytes(r), to_bytes(g), to_bytes(b)) for r, g, b, _a in row] for row in rows]
    counts = {}
    for row in pixels_rgb:
        for colour in row:
            counts[colour] = counts.get(colour, 0) + 1
    # Darkest first, so the file reads in a stable, sensible order.
    palette = sorted(set(picture_palette(counts)), key=lambda c: (c[0] * 3 + c[1] * 6 + c[2], c))
    palette += [(0, 0, 0)] * (256 - len(palette))
    cache = {}
    index_of = {colour: nearest(palette, colour, cache) for colour in sorted(counts)}
    pixels = bytearray()
    for row in reversed(pixels_rgb):
        pixels += rle8_row([index_of[colour] for colour in row])
        pixels += b"\0\0"  # end of line
    pixels[-2:] = b"\0\1"  # end of bitmap
    colour_table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colour_table)
    bi_rle8 = 1
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, bi_rle8, len(pixels), 2835, 2835, 256, 0)
    return header + info + colour_table + bytes(pixels)


# The standard 16-colour palette of 4-bit icons.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette_256():
    # The 16 standard colours, a 6 x 6 x 6 colour cube and 24 greys between its steps.
    palette = list(VGA16)
    levels = (0, 51, 102, 153, 204, 255)
    palette += [(r, g, b) for r in levels for g in levels for b in levels]
    palette += [(v, v, v) for v in range(8, 248, 10)]
    assert len(palette) == 256
    return palette


def nearest(palette, colour, cache):
    key = colour
    if key not in cache:
        cache[key] = min(range(len(palette)), key=lambda i: colour_distance(palette[i], colour))
    return cache[key]


def mask_rows(rows):
    # 1 = transparent: the background shows through.
    return [[1 if a < 0.5 else 0 for (_r, _g, _b, a) in row] for row in rows]


def pack_bits(bits, width, bits_per_pixel):
    line = 0
    out = bytearray()
    count = 0
    per_byte = 8 // bits_per_pixel
    for value in bits:
        line = (line << bits_per_pixel) | value
        count += 1
        if count == per_byte:
            out.append(line)
            line, count = 0, 0
    if count:
        out.append(line << (bits_per_pixel * (per_byte - count)))
    stride = ((width * bits_per_pixel + 31) // 32) * 4
    out += b"\0" * (stride - len(out))
    return bytes(out)


def icon_image(size, bits):
    rows = icon_rows(size, bits)
    mask = mask_rows(rows)
    colours = []
    if bits == 32:
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((to_bytes(b), to_bytes(g), to_bytes(r), to_bytes(a * 255)))
    else:
        palette = VGA16 if bits == 4 else palette_256()
        cache = {}
        xor = bytearray()
        for row, mask_row in zip(reversed(rows), reversed(mask)):
            indices = [
                0 if transparent else nearest(palette, (to_bytes(r), to_bytes(g), to_bytes(b)), cache)
                for (r, g, b, _a), transparent in zip(row, mask_row)
            ]
            xor += pack_bits(indices, size, bits)
        for r, g, b in palette:
            colours.append(bytes((b, g, r, 0)))
    and_mask = b"".join(pack_bits(row, size, 1) for row in reversed(mask))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(and_mask), 0, 0, len(colours), 0)
    return header + b"".join(colours) + bytes(xor) + and_mask


def ico(images):
    """images: [(size, bits, data)] in directory order."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, bits, data in images:
        colour_count = 16 if bits == 4 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, bits,
                               len(data), offset)
        blobs += data
        offset += len(data)
    return out + entries + blobs


ICON_IMAGES = [(48, 4), (32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (128, 32), (48, 32), (32, 32), (16, 32)]


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    images = [(size, bits, icon_image(size, bits)) for size, bits in ICON_IMAGES]
    with open(os.path.join(folder, "app.ico"), "wb") as f:
        f.write(ico(images))
    width, height, rows = logo_rows()
    with open(os.path.join(folder, "logo.bmp"), "wb") as f:
        f.write(bmp_8(width, height, rows))


if __name__ == "__main__":
    main()

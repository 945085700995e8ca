#!/usr/bin/env python3
"""Draws the pictures of the list windows' buttons as 24-bit BMP files.

Standard library only, and deterministic: running it again gives the same bytes, so the
committed pictures can always be rebuilt and checked.

    python3 resources/generate_button_pictures.py [output-folder]   (default: resources/pictures)

Each picture is one drawing in pixels at 96 DPI, rendered at 100 %, 150 % and 200 % (NAME.bmp,
NAME_150.bmp, NAME_200.bmp): every shape is tested at the centres of the larger grid's pixels,
so the larger pictures have finer edges rather than repeated pixels. A size that is not whole
rounds half up, as the program's scaling does (13 px at 150 % is 20 px), and the drawing is
centred in it.

Every pixel is either a shape colour or the mask colour magenta (255, 0, 255), which the
buttons make transparent. Edges are hard on purpose: a blended edge pixel would be neither
the shape nor the mask, and would show as a pink fringe on the button face. The window layer
scales a picture for any other DPI by repeating or dropping pixels, which keeps that true.
"""

import math
import os
import struct
import sys

MASK = (255, 0, 255)

GREEN = (0, 150, 0)
DARK_GREEN = (0, 90, 0)
RED = (200, 0, 0)
DARK_RED = (120, 0, 0)
GREY = (128, 128, 128)
DARK_GREY = (64, 64, 64)
BLUE = (0, 90, 200)
DARK_BLUE = (0, 50, 130)
INK = (40, 40, 40)


# The scales each picture is drawn at, by the suffix of its file name.
SCALES = {"": 1, "_150": 1.5, "_200": 2}


def scaled_size(pixels, scale):
    """The size at the scale, halves rounded up (as MulDiv rounds)."""
    return math.floor(pixels * scale + 0.5)


class Canvas:
    """A picture of width x height pixels at 96 DPI, rendered at a scale; shapes are given in
    the 96-DPI pixels."""

    def __init__(self, width, height, scale=1):
        self.scale = scale
        self.width, self.height = scaled_size(width, scale), scaled_size(height, scale)
        # Where the design's origin falls when its scaled size is not a whole number of pixels.
        self.offset_x = (self.width - width * scale) / 2
        self.offset_y = (self.height - height * scale) / 2
        self.pixels = [[MASK] * self.width for _ in range(self.height)]

    def paint(self, inside, colour):
        """Colours every pixel whose centre, in 96-DPI pixels, satisfies inside(x, y)."""
        for y in range(self.height):
            design_y = (y + 0.5 - self.offset_y) / self.scale
            for x in range(self.width):
                if inside((x + 0.5 - self.offset_x) / self.scale, design_y):
                    self.pixels[y][x] = colour

    def rectangle(self, left, top, right, bottom, colour):
        """Fills from left to right and top to bottom. Only at 150 % does a pixel centre fall
        on an edge; taking it on every edge keeps opposite sides of a frame, and lines one
        pixel apart at 96 DPI, equally thick."""
        self.paint(lambda x, y: left <= x <= right and top <= y <= bottom, colour)

    def bmp(self):
        """A bottom-up 24-bit BITMAPINFOHEADER file."""
        row_size = (self.width * 3 + 3) & ~3
        rows = []
        for row in reversed(self.pixels):
            data = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in row)
            rows.append(data + b"\0" * (row_size - len(data)))
        image = b"".join(rows)
        header = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(image), 3780, 3780, 0, 0)
        file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(image), 0, 0, 14 + len(header))
        return file_header + header + image


def in_triangle(points):
    (ax, ay), (bx, by), (cx, cy) = points

    def side(px, py, qx, qy, x, y):
        return (qx - px) * (y - py) - (qy - py) * (x - px)

    def inside(x, y):
        d1 = side(ax, ay, bx, by, x, y)
        d2 = side(bx, by, cx, cy, x, y)
        d3 = side(cx, cy, ax, ay, x, y)
        return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)

    return inside


def near_segment(x0, y0, x1, y1, half_width):
    length2 = (x1 - x0) ** 2 + (y1 - y0) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / length2))
        px, py = x0 + t * (x1 - x0), y0 + t * (y1 - y0)
        return (x - px) ** 2 + (y - py) ** 2 <= half_width ** 2

    return inside


def in_gear(cx, cy, tip, root, hole, teeth):
    def inside(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if r <= hole:
            return False
        if r <= root:
            return True
        if r > tip:
            return False
        # Teeth cover the middle part of each tooth period.
        phase = (math.atan2(dy, dx) / (2 * math.pi) * teeth) % 1.0
        return 0.25 <= phase <= 0.75

    return inside


def start_picture(scale):
    """A green triangle pointing right: start."""
    canvas = Canvas(20, 20, scale)
    canvas.paint(in_triangle([(4, 2), (4, 18), (17, 10)]), DARK_GREEN)
    canvas.paint(in_triangle([(5.3, 4.3), (5.3, 15.7), (15, 10)]), GREEN)
    return canvas


def stop_picture(scale):
    """A red square: stop."""
    canvas = Canvas(16, 16, scale)
    canvas.rectangle(2, 2, 14, 14, DARK_RED)
    canvas.rectangle(3, 3, 13, 13, RED)
    return canvas


def gear_with_sign(size, sign, scale):
    canvas = Canvas(size, size, scale)
    centre = size * 0.43
    tip = size * 0.42
    canvas.paint(in_gear(centre, centre, tip, tip * 0.74, tip * 0.32, 6), DARK_GREY)
    mark = round(size * 0.42)
    left = size - mark
    if sign == "stop":
        canvas.rectangle(left, left, size, size, DARK_RED)
        canvas.rectangle(left + 1, left + 1, size - 1, size - 1, RED)
    else:
        canvas.paint(in_triangle([(left, left - 1), (left, size), (size, left + mark / 2 - 0.5)]), DARK_GREEN)
        canvas.paint(in_triangle([(left + 1.2, left + 1.2), (left + 1.2, size - 2.2),
                                  (size - 2, left + mark / 2 - 0.5)]), GREEN)
    return canvas


def stopped_services_picture(scale):
    """A grey gear with a red stop mark: the stopped services."""
    return gear_with_sign(20, "stop", scale)


def active_services_picture(scale):
    """A grey gear with a green start mark: the running services."""
    return gear_with_sign(16, "start", scale)


def all_services_picture(scale):
    """A list: three bullets with lines, one per service."""
    canvas = Canvas(16, 16, scale)
    for top in (2, 7, 12):
        canvas.rectangle(1, top, 4, top + 3, BLUE)
        canvas.rectangle(6, top + 1, 15, top + 2, INK)
    return canvas


def refresh_picture(scale):
    """Two curved arrows chasing each other round a circle: read the list again."""
    canvas = Canvas(20, 20, scale)
    cx = cy = 10.0
    outer, inner = 8.0, 5.0

    def arc(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if not inner <= r <= outer:
            return False
        angle = math.degrees(math.atan2(dy, dx)) % 360
        # Two arcs, each broken before an arrow head.
        return not (20 <= angle <= 60 or 200 <= angle <= 240)

    canvas.paint(arc, BLUE)
    # Arrow heads at the ends of the arcs (at 20 and 200 degrees, pointing clockwise).
    for angle in (20.0, 200.0):
        a = math.radians(angle)
        mid = (outer + inner) / 2
        bx, by = cx + mid * math.cos(a), cy + mid * math.sin(a)
        nx, ny = math.cos(a), math.sin(a)            # outward
        tx, ty = -math.sin(a), math.cos(a)           # clockwise on screen
        head = [(bx + nx * 4.2, by + ny * 4.2), (bx - nx * 4.2, by - ny * 4.2), (bx + tx * 5.0, by + ty * 5.0)]
        canvas.paint(in_triangle(head), DARK_BLUE)
    return canvas


def close_picture(scale):
    """A red cross: close."""
    canvas = Canvas(13, 14, scale)
    canvas.paint(near_segment(2.0, 2.5, 11.0, 11.5, 1.6), RED)
    canvas.paint(near_segment(11.0, 2.5, 2.0, 11.5, 1.6), RED)
    return canvas


PICTURES = {
    "start": start_picture,
    "stop": stop_picture,
    "stopped_services": stopped_services_picture,
    "active_services": active_services_picture,
    "all_services": all_services_picture,
    "refresh": refresh_picture,
    "close": close_picture,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "pictures")
    os.makedirs(folder, exist_ok=True)
    for name, draw in PICTURES.items():
        for suffix, scale in SCALES.items():
            with open(os.path.join(folder, name + suffix + ".bmp"), "wb") as out:
                out.write(draw(scale).bmp())


if __name__ == "__main__":
    main()

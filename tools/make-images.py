#!/usr/bin/python3
"""Draws the images of assets/: the scanner and on lights, the power meter's three bands and the
program's icon, as PNG files. Needs nothing beyond Python's standard library; the same script
gives the same pixels on every run (no time stamps or other metadata are written).

The sizes are twice the views' design sizes in the Main layout, so the lights stay sharp when the
window is scaled up:
  led_red.png     52 x 24   scanner light (views imageview1 to imageview9, 26 x 12)
  led_green.png   40 x 40   on light (imageview19, 20 x 20)
  meter_low.png   140 x 48  meter, first band of a segment (70 x 24): green
  meter_mid.png   140 x 48  meter, second band: amber
  meter_high.png  140 x 48  meter, full segment: red
  led_red_off.png, led_green_off.png, meter_off.png   the same shapes unlit, drawn behind the
                  lights and the meter so that their places show while they are dark
  icons/zemtra-48.png, -128.png, -256.png   the icon for the desktop entry

Usage: tools/make-images.py [ASSETS_DIR]
"""

import math
import struct
import sys
import zlib
from pathlib import Path

DEFAULT_ASSETS = Path(__file__).resolve().parent.parent / "assets"
SAMPLES = 4  # per axis: each pixel averages 4 x 4 points, which smooths the shapes' edges


class Canvas:
    """Straight-alpha RGBA pixels, painted over with Porter-Duff "over"."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, coverage, colour):
        """coverage(x, y) -> 0..1 for a point in pixel units; colour(x, y) -> (r, g, b, a) 0..1.

        Only pixels inside the shape's box are visited; the shape answers its own box."""
        x0, y0, x1, y1 = coverage.box
        for py in range(max(0, int(y0)), min(self.height, math.ceil(y1))):
            for px in range(max(0, int(x0)), min(self.width, math.ceil(x1))):
                # Every shape is convex: a pixel whose four corners lie inside is covered whole.
                if all(coverage(px + cx, py + cy) for cx in (0, 1) for cy in (0, 1)):
                    inside = SAMPLES * SAMPLES
                else:
                    inside = self._samples_inside(coverage, px, py)
                if not inside:
                    continue
                r, g, b, a = colour(px + 0.5, py + 0.5)
                a *= inside / (SAMPLES * SAMPLES)
                self._over(py * self.width + px, (r, g, b, a))

    @staticmethod
    def _samples_inside(coverage, px, py):
        step = 1.0 / SAMPLES
        inside = 0
        for sy in range(SAMPLES):
            for sx in range(SAMPLES):
                if coverage(px + (sx + 0.5) * step, py + (sy + 0.5) * step):
                    inside += 1
        return inside

    def _over(self, index, source):
        r, g, b, a = source
        dr, dg, db, da = self.pixels[index]
        out = a + da * (1 - a)
        if out <= 0:
            self.pixels[index] = [0.0, 0.0, 0.0, 0.0]
            return
        self.pixels[index] = [
            (r * a + dr * da * (1 - a)) / out,
            (g * a + dg * da * (1 - a)) / out,
            (b * a + db * da * (1 - a)) / out,
            out,
        ]

    def png(self):
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        def byte(value):
            return max(0, min(255, round(value * 255)))

        rows = bytearray()
        for y in range(self.height):
            rows.append(0)  # no filter
            for x in range(self.width):
                rows.extend(byte(v) for v in self.pixels[y * self.width + x])
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius

    inside.box = (x0, y0, x1, y1)
    return inside


def circle(cx, cy, radius):
    def inside(x, y):
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius

    inside.box = (cx - radius, cy - radius, cx + radius, cy + radius)
    return inside


def rgb(hex_colour, alpha=1.0):
    value = int(hex_colour.lstrip("#"), 16)
    return ((value >> 16 & 255) / 255, (value >> 8 & 255) / 255, (value & 255) / 255, alpha)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def solid(colour):
    return lambda x, y: colour


def vertical(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, (y - y0) / (y1 - y0))


def radial(centre, edge, cx, cy, radius):
    return lambda x, y: mix(centre, edge, math.hypot(x - cx, y - cy) / radius)


def light_bar(width, height, dark, bright, sheen=0.28):
    """A lit bar: a dark rim, a body shading from bright to dark, a soft highlight on top."""
    canvas = Canvas(width, height)
    radius = height * 0.3
    canvas.paint(rounded_rect(0, 0, width, height, radius), solid(dark))
    inset = max(1.5, height * 0.08)
    canvas.paint(rounded_rect(inset, inset, width - inset, height - inset, radius - inset / 2),
                 vertical(bright, mix(bright, dark, 0.55), inset, height - inset))
    canvas.paint(rounded_rect(inset * 2, inset * 1.6, width - inset * 2, height * 0.45,
                              radius * 0.6),
                 solid((1.0, 1.0, 1.0, sheen)))
    return canvas


def round_light(size, dark, bright):
    canvas = Canvas(size, size)
    centre = size / 2
    canvas.paint(circle(centre, centre, centre), solid(dark))
    body = centre * 0.84
    canvas.paint(circle(centre, centre, body),
                 radial(mix(bright, (1, 1, 1, 1), 0.35), bright, centre * 0.8, centre * 0.8,
                        body * 1.4))
    canvas.paint(circle(centre * 0.75, centre * 0.7, centre * 0.25), solid((1, 1, 1, 0.45)))
    return canvas


def icon(size):
    """The scanner row over four meter bars rising left to right, on a dark tile."""
    canvas = Canvas(size, size)
    s = size / 256
    canvas.paint(rounded_rect(8 * s, 8 * s, 248 * s, 248 * s, 44 * s),
                 vertical(rgb("#2C2C2E"), rgb("#0A0A0C"), 8 * s, 248 * s))
    for index in range(5):
        lit = index == 3
        colour = rgb("#FF3B30") if lit else rgb("#5A1E1A")
        x = (40 + index * 38) * s
        canvas.paint(rounded_rect(x, 34 * s, x + 28 * s, 48 * s, 6 * s), solid(colour))
    bars = (("#34C759", 52), ("#34C759", 88), ("#FFB020", 124), ("#FF3B30", 160))
    for index, (colour, height) in enumerate(bars):
        x = (40 + index * 46) * s
        top = (220 - height) * s
        canvas.paint(rounded_rect(x, top, x + 34 * s, 220 * s, 8 * s),
                     vertical(rgb(colour), mix(rgb(colour), rgb("#000000"), 0.45), top, 220 * s))
    return canvas


def images():
    yield "led_red.png", light_bar(52, 24, rgb("#3A0A08"), rgb("#FF3B30"))
    yield "led_green.png", round_light(40, rgb("#06300F"), rgb("#34C759"))
    yield "meter_low.png", light_bar(140, 48, rgb("#07300F"), rgb("#34C759"))
    yield "meter_mid.png", light_bar(140, 48, rgb("#3A2A02"), rgb("#FFB020"))
    yield "meter_high.png", light_bar(140, 48, rgb("#3A0A08"), rgb("#FF3B30"))
    yield "led_red_off.png", light_bar(52, 24, rgb("#1A0605"), rgb("#4A1512"), sheen=0.08)
    yield "led_green_off.png", round_light(40, rgb("#04160A"), rgb("#123D1E"))
    yield "meter_off.png", light_bar(140, 48, rgb("#141416"), rgb("#2C2C30"), sheen=0.08)
    for size in (48, 128, 256):
        yield f"icons/zemtra-{size}.png", icon(size)


def main(argv):
    assets = Path(argv[1]) if len(argv) > 1 else DEFAULT_ASSETS
    for name, canvas in images():
        path = assets / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(canvas.png())
        print(f"{path}: {canvas.width} x {canvas.height}")


if __name__ == "__main__":
    main(sys.argv)

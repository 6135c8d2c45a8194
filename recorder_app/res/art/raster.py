"""A tiny RGBA raster with anti-aliased shapes and BMP/ICO writers, so the program's
artwork is drawn by code in the repository and needs nothing beyond Python."""
import struct

SUPERSAMPLE = 4


class Image:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, color, coverage=1.0):
        if not (0 <= x < self.width and 0 <= y < self.height) or coverage <= 0:
            return
        r, g, b = color[:3]
        a = (color[3] / 255.0 if len(color) > 3 else 1.0) * min(coverage, 1.0)
        p = self.px[y * self.width + x]
        dst_a = p[3] / 255.0
        out_a = a + dst_a * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = round((c * a + p[i] * dst_a * (1 - a)) / out_a)
        p[3] = round(out_a * 255)

    def set(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y * self.width + x] = list(color[:3]) + [color[3] if len(color) > 3 else 255]

    def get(self, x, y):
        return tuple(self.px[y * self.width + x])

    def fill_rect(self, x0, y0, x1, y1, color):
        """Fills [x0, x1) x [y0, y1) exactly, without anti-aliasing."""
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.set(x, y, color)

    def fill_shape(self, inside, bbox, color):
        """Anti-aliased fill of the set of points where inside(x, y) holds (pixel units).
        color is an RGB(A) tuple or a function of the pixel (x, y) giving one."""
        x0, y0, x1, y1 = (int(v) for v in bbox)
        n = SUPERSAMPLE
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            for x in range(max(0, x0), min(self.width, x1 + 1)):
                hits = sum(1 for j in range(n) for i in range(n)
                           if inside(x + (i + 0.5) / n, y + (j + 0.5) / n))
                if hits:
                    c = color(x, y) if callable(color) else color
                    self.blend(x, y, c, hits / (n * n))

    def composite(self, layer, dx=0, dy=0):
        """Blends an RGBA layer over this image with its top left corner at (dx, dy)."""
        for y in range(layer.height):
            for x in range(layer.width):
                r, g, b, a = layer.get(x, y)
                if a:
                    self.blend(x + dx, y + dy, (r, g, b, a))

    def paste(self, other, dx, dy):
        """Copies another image's pixels unchanged to (dx, dy)."""
        for y in range(other.height):
            for x in range(other.width):
                self.set(x + dx, y + dy, other.get(x, y))

    def map(self, fn):
        """Replaces every pixel p by fn(p) (RGBA tuples)."""
        self.px = [list(fn(tuple(p))) for p in self.px]

    def vertical_gradient(self, x0, y0, x1, y1, top, bottom):
        h = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            t = (y - y0) / h
            c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            self.fill_rect(x0, y, x1, y + 1, c)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner * r_inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r_outer * r_outer


def polygon(points):
    """Even-odd point-in-polygon test for a closed outline given as (x, y) points."""
    def inside(x, y):
        hit = False
        n = len(points)
        for k in range(n):
            (xa, ya), (xb, yb) = points[k], points[(k + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                hit = not hit
        return hit
    return inside


def bmp1(width, height, bits):
    """A bottom-up 1-bit BMP file, palette black (0) and white (1); bits(x, y) gives 0 or 1."""
    row = ((width + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray(row)
        for x in range(width):
            if bits(x, y):
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(data), 2835, 2835, 2, 2)
    return header + info + palette + bytes(data)


def bmp24(image):
    """A bottom-up 24-bit BMP file."""
    row = (image.width * 3 + 3) & ~3
    data = bytearray()
    for y in range(image.height - 1, -1, -1):
        line = bytearray()
        for x in range(image.width):
            r, g, b, _ = image.get(x, y)
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def ico(images):
    """An icon file with one 32-bit entry per image (alpha plus the AND mask)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for im in images:
        xor = bytearray()
        for y in range(im.height - 1, -1, -1):
            for x in range(im.width):
                r, g, b, a = im.get(x, y)
                xor += bytes((b, g, r, a))
        mask_row = ((im.width + 31) // 32) * 4
        mask = bytearray()
        for y in range(im.height - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(im.width):
                if im.get(x, y)[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, im.width, im.height * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", im.width % 256, im.height % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)

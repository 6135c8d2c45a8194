"""Image strips of the main window's bitmap buttons. Each face is a run of four images,
normal, hover, pushed and disabled; Play, Record and Set Adv. Spot have a second face."""
from pixel_font import HEIGHT, draw_text, text_width
from raster import Image, circle, polygon, rounded_rect
import palette as P

STATES = [P.FACE_NORMAL, P.FACE_HOVER, P.FACE_PUSHED, P.FACE_DISABLED]
PUSHED, DISABLED = 2, 3


def face(w, h, state):
    top, bottom, frame = STATES[state]
    im = Image(w, h, P.GROOVE + (255,))
    im.fill_shape(rounded_rect(0, 0, w, h, 3.5), (0, 0, w, h), frame)
    inner = rounded_rect(1, 1, w - 1, h - 1, 2.5)
    im.fill_shape(inner, (0, 0, w, h), lambda x, y: P.lerp(top, bottom, (y - 1) / (h - 3)))
    if state == PUSHED:  # a soft shadow under the top edge instead of the highlight
        im.fill_shape(lambda x, y: inner(x, y) and y < 3, (0, 0, w, 3), (70, 90, 120, 50))
    else:
        im.fill_shape(lambda x, y: inner(x, y) and y < 2, (0, 0, w, 2), P.FRAME_LIGHT + (200,))
    return im


def outlined(layer, shape, bbox, edge, fill, width=1.1):
    """Fills shape(grow) twice: grown by `width` in the edge colour, then itself in fill."""
    layer.fill_shape(shape(width), bbox, edge)
    layer.fill_shape(shape(0), bbox, fill)


def bubble(layer, cx, cy, crossed):
    def shape(g):
        body = rounded_rect(cx - 10 - g, cy - 8 - g, cx + 10 + g, cy + 5 + g, 4 + g)
        tail = polygon([(cx - 6 - g, cy + 3), (cx - 8 - g * 1.6, cy + 10 + g * 1.6), (cx + 1 + g, cy + 3)])
        return lambda x, y: body(x, y) or tail(x, y)
    box = (cx - 12, cy - 10, cx + 12, cy + 12)
    outlined(layer, shape, box, P.BUBBLE_EDGE + (255,), P.BUBBLE + (255,))
    for y0, x1 in ((cy - 4.5, cx + 6), (cy - 1.5, cx + 6), (cy + 1.5, cx + 2)):
        layer.fill_shape(rounded_rect(cx - 6, y0, x1, y0 + 1.4, 0.6), box, P.BUBBLE_LINES + (255,))
    if crossed:
        bx, by = cx + 8, cy + 6
        layer.fill_shape(circle(bx, by, 6.2), (bx - 7, by - 7, bx + 7, by + 7), P.FRAME_LIGHT + (255,))
        layer.fill_shape(circle(bx, by, 5.2), (bx - 7, by - 7, bx + 7, by + 7), P.RED + (255,))
        d = 2.4
        for sx in (1, -1):
            layer.fill_shape(_thick_line(bx - d * sx, by - d, bx + d * sx, by + d, 0.8),
                             (bx - 4, by - 4, bx + 4, by + 4), P.FRAME_LIGHT + (255,))


def _thick_line(xa, ya, xb, yb, half):
    """Points within `half` of the segment from (xa, ya) to (xb, yb)."""
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
        px, py = xa + t * dx - x, ya + t * dy - y
        return px * px + py * py <= half * half
    return inside


def record_dot(layer, cx, cy, square):
    box = (cx - 9, cy - 9, cx + 9, cy + 9)
    def shade(x, y):
        t = max(0.0, min(1.0, ((x - cx) + (y - cy) + 9) / 18.0))
        return P.lerp(P.RED_LIGHT, P.RED, min(1.0, t * 1.6)) + (255,)
    if square:
        layer.fill_shape(rounded_rect(cx - 6.5, cy - 6.5, cx + 6.5, cy + 6.5, 2), box, P.RED_DARK + (255,))
        layer.fill_shape(rounded_rect(cx - 5.5, cy - 5.5, cx + 5.5, cy + 5.5, 1.4), box, shade)
    else:
        layer.fill_shape(circle(cx, cy, 7.5), box, P.RED_DARK + (255,))
        layer.fill_shape(circle(cx, cy, 6.5), box, shade)


def chevrons(layer, cx, cy, left):
    box = (cx - 10, cy - 8, cx + 10, cy + 8)
    for k in (0, 1):
        x = cx - 8 + 8 * k
        pts = [(x, cy - 6), (x + 8, cy), (x, cy + 6)]
        if left:
            pts = [(2 * cx - px, py) for px, py in pts]
        layer.fill_shape(polygon(pts), box, P.SYMBOL_DARK + (255,))


def play(layer, cx, cy, stop):
    box = (cx - 9, cy - 9, cx + 9, cy + 9)
    if stop:
        layer.fill_shape(rounded_rect(cx - 6, cy - 6, cx + 6, cy + 6, 1.5), box, P.SYMBOL_DARK + (255,))
    else:
        layer.fill_shape(polygon([(cx - 5, cy - 7.5), (cx + 8, cy), (cx - 5, cy + 7.5)]), box, P.SYMBOL_DARK + (255,))


def folder(layer, x, y):
    """16 x 13 at (x, y)."""
    box = (x - 1, y - 1, x + 19, y + 14)
    edge = P.FOLDER_EDGE + (255,)
    layer.fill_shape(rounded_rect(x, y, x + 7, y + 4, 1), box, edge)
    layer.fill_shape(rounded_rect(x, y + 1.5, x + 16, y + 13, 1), box, edge)
    layer.fill_shape(rounded_rect(x + 1, y + 2.5, x + 15, y + 12, 0.5), box, P.FOLDER_BACK + (255,))
    front = [(x + 3, y + 5), (x + 18, y + 5), (x + 15.5, y + 13), (x, y + 13)]
    layer.fill_shape(polygon(front), box, edge)
    inner = [(x + 3.8, y + 6), (x + 16.7, y + 6), (x + 14.8, y + 12), (x + 1.4, y + 12)]
    layer.fill_shape(polygon(inner), box, P.FOLDER + (255,))


def disk(layer, x, y):
    """14 x 14 at (x, y)."""
    box = (x - 1, y - 1, x + 15, y + 15)
    layer.fill_shape(rounded_rect(x, y, x + 14, y + 14, 1.5), box, P.DISK_EDGE + (255,))
    layer.fill_shape(rounded_rect(x + 1, y + 1, x + 13, y + 13, 1), box, P.DISK + (255,))
    layer.fill_shape(rounded_rect(x + 3.5, y + 1, x + 10.5, y + 5.5, 0.5), box, P.DISK_SHUTTER + (255,))
    layer.fill_shape(rounded_rect(x + 7.5, y + 1.8, x + 9.3, y + 4.6, 0.3), box, P.DISK_EDGE + (255,))
    layer.fill_shape(rounded_rect(x + 3, y + 8, x + 11, y + 13, 0.5), box, P.FRAME_LIGHT + (255,))
    layer.fill_shape(rounded_rect(x + 4.5, y + 9.6, x + 9.5, y + 10.4, 0.2), box, P.BUBBLE_LINES + (255,))


def globe(layer, x, y):
    """A globe of 15 x 15 at (x, y) with a green plus at its lower right."""
    cx, cy, r = x + 7.5, y + 7.5, 7.5
    box = (x - 1, y - 1, x + 20, y + 20)
    layer.fill_shape(circle(cx, cy, r), box, P.GLOBE_EDGE + (255,))
    layer.fill_shape(circle(cx, cy, r - 1), box, P.GLOBE + (255,))
    inside = circle(cx, cy, r - 1.2)
    lines = P.GLOBE_LINES + (255,)
    meridian = lambda x_, y_: abs(((x_ - cx) / 3.4) ** 2 + ((y_ - cy) / (r - 1)) ** 2 - 1) < 0.22
    layer.fill_shape(lambda x_, y_: inside(x_, y_) and meridian(x_, y_), box, lines)
    layer.fill_shape(lambda x_, y_: inside(x_, y_) and (abs(x_ - cx) < 0.5 or abs(y_ - cy) < 0.5), box, lines)
    layer.fill_shape(lambda x_, y_: inside(x_, y_) and (abs(y_ - cy + 3.6) < 0.45 or abs(y_ - cy - 3.6) < 0.45),
                     box, lines)
    px, py = x + 14, y + 12
    arm, half = 4.6, 1.5
    plus = lambda g: (lambda x_, y_: (abs(x_ - px) <= half + g and abs(y_ - py) <= arm + g) or
                      (abs(y_ - py) <= half + g and abs(x_ - px) <= arm + g))
    pbox = (px - 7, py - 7, px + 7, py + 7)
    layer.fill_shape(plus(1.6), pbox, P.FRAME_LIGHT + (255,))
    layer.fill_shape(plus(0.8), pbox, P.PLUS_EDGE + (255,))
    layer.fill_shape(plus(0), pbox, P.PLUS + (255,))


def captioned(draw_symbol, symbol_w, symbol_h, caption):
    """A symbol drawer that puts `caption` beside the symbol, the pair centred."""
    def draw(layer, w, h):
        gap = 5
        total = symbol_w + gap + text_width(caption)
        x = (w - total) // 2
        draw_symbol(layer, x, (h - symbol_h) // 2)
        draw_text(layer, x + symbol_w + gap, (h - HEIGHT) // 2, caption, P.CAPTION + (255,))
    return draw


def centred(draw_symbol):
    return lambda layer, w, h: draw_symbol(layer, w / 2.0, h / 2.0)


def strip(w, h, faces):
    """len(faces) runs of four images; faces are functions drawing a symbol on a layer."""
    im = Image(w * 4 * len(faces), h, (0, 0, 0, 255))
    for f, draw in enumerate(faces):
        layer = Image(w, h)
        draw(layer, w, h)
        for state in range(4):
            cell = face(w, h, state)
            if state == DISABLED:
                symbol = Image(w, h)
                symbol.px = [list(P.faded(tuple(p))) for p in layer.px]
                cell.composite(symbol)
            else:
                shift = 1 if state == PUSHED else 0
                cell.composite(layer, shift, shift)
            im.paste(cell, (4 * f + state) * w, 0)
    return im


BUTTONS = {
    172: (42, 34, [centred(lambda l, x, y: bubble(l, x, y - 1, False)),
                   centred(lambda l, x, y: bubble(l, x - 2, y - 1, True))]),
    171: (43, 34, [centred(lambda l, x, y: record_dot(l, x, y, False)),
                   centred(lambda l, x, y: record_dot(l, x, y, True))]),
    169: (43, 34, [centred(lambda l, x, y: chevrons(l, x, y, True))]),
    167: (41, 34, [centred(lambda l, x, y: play(l, x + 1, y, False)),
                   centred(lambda l, x, y: play(l, x, y, True))]),
    170: (43, 34, [centred(lambda l, x, y: chevrons(l, x, y, False))]),
    182: (62, 29, [captioned(folder, 18, 13, "OPEN")]),
    181: (62, 29, [captioned(disk, 14, 14, "SAVE")]),
    173: (75, 29, [captioned(globe, 19, 17, "PUBLISH")]),
}

"""Bitmaps of the custom controls: ruler tile, spot marker and its mask, level meter,
RECORDING caption, time indicator face, and the scroll bar's track, thumb and arrows."""
from pixel_font import HEIGHT, draw_text, text_width
from raster import Image
from palette import ARROW_FACES, CAPTION_BACKGROUND, CAPTION_TEXT, FRAME_LIGHT, lerp, vertical


def ruler_tile():
    """32 x 22: light grey at the top fading to white from row 18 down."""
    im = Image(32, 22, (0, 0, 0, 255))
    for y in range(22):
        t = min(y, 18) / 18.0
        im.fill_rect(0, y, 32, y + 1, lerp((238, 238, 238), (255, 255, 255), t))
    return im


# The spot marker: a downward arrowhead. Rows 0 to 2 span all nine columns, then the shape
# narrows by one column each side per row to the tip at row 5, column 4.
MARKER_SPANS = [(0, 8), (0, 8), (0, 8), (1, 7), (2, 6), (3, 5)]
MARKER_FILL = (24, 255, 0)
MARKER_OUTLINE = (7, 61, 1)
MARKER_CORNER = (94, 126, 90)
# Where the outline turns: the diagonal steps and the top corners.
MARKER_CORNERS = {(0, 0), (8, 0), (0, 2), (8, 2), (1, 3), (7, 3), (2, 4), (6, 4), (3, 5), (5, 5)}


def marker_inside(x, y):
    lo, hi = MARKER_SPANS[y]
    return lo <= x <= hi


def spot_marker():
    im = Image(9, 6, (0, 0, 0, 255))
    for y in range(6):
        for x in range(9):
            if not marker_inside(x, y):
                continue
            edge = any(not (0 <= x + dx < 9 and 0 <= y + dy < 6 and marker_inside(x + dx, y + dy))
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if (x, y) in MARKER_CORNERS:
                im.set(x, y, MARKER_CORNER)
            elif edge:
                im.set(x, y, MARKER_OUTLINE)
            else:
                im.set(x, y, MARKER_FILL)
    return im


def level_meter():
    """9 x 59: red at the top, brownish orange around row 10, green from row 20 down;
    the edge columns are a little darker so the bar reads as a rounded tube."""
    red, orange, green = (225, 0, 25), (182, 70, 24), (83, 231, 21)
    im = Image(9, 59, (0, 0, 0, 255))
    for y in range(59):
        if y <= 10:
            c = lerp(red, orange, y / 10.0)
        elif y < 20:
            c = lerp(orange, green, (y - 10) / 10.0)
        else:
            c = green
        for x in range(9):
            shade = (0.82, 0.92, 1.0, 1.0, 1.0, 1.0, 1.0, 0.92, 0.82)[x]
            im.set(x, y, tuple(round(v * shade) for v in c))
    return im


def recording_caption(with_word):
    """58 x 7: the word RECORDING in grey capitals, or the background alone."""
    im = Image(58, 7, CAPTION_BACKGROUND + (255,))
    if with_word:
        word = "RECORDING"
        draw_text(im, (58 - text_width(word)) // 2, (7 - HEIGHT) // 2, word, CAPTION_TEXT)
    return im


def time_face():
    """53 x 18: a light grey gradient face."""
    im = Image(53, 18, (0, 0, 0, 255))
    vertical(im, 0, 0, 53, 18, (230, 229, 230), (220, 219, 222))
    return im


def scroll_track():
    """32 x 9: a grey groove, darker at the top."""
    im = Image(32, 9, (0, 0, 0, 255))
    vertical(im, 0, 0, 32, 9, (218, 218, 218), (252, 252, 252))
    return im


def scroll_thumb(hot):
    """3 x 9: left edge, body and right edge of the thumb."""
    body = (216, 224, 230) if hot else (223, 223, 223)
    outline, corner = (190, 190, 190), (228, 228, 228)
    im = Image(3, 9, body + (255,))
    for x in (0, 2):
        im.fill_rect(x, 0, x + 1, 9, outline)
        im.set(x, 0, corner)
        im.set(x, 8, corner)
    im.set(1, 0, outline)
    im.set(1, 8, outline)
    return im


CHEVRON_LEFT = ["  ##", " ## ", "##  ", " ## ", "  ##"]


def arrow_strip(pointing_left):
    """44 x 9: four 11 x 9 cells (normal, hover, pushed, disabled), a chevron on a framed face."""
    im = Image(44, 9, (0, 0, 0, 255))
    for k, (top, bottom, frame, symbol) in enumerate(ARROW_FACES):
        x0 = 11 * k
        vertical(im, x0, 0, x0 + 11, 9, top, bottom)
        im.fill_rect(x0, 0, x0 + 11, 1, frame)
        im.fill_rect(x0, 8, x0 + 11, 9, frame)
        im.fill_rect(x0, 0, x0 + 1, 9, frame)
        im.fill_rect(x0 + 10, 0, x0 + 11, 9, frame)
        im.fill_rect(x0 + 1, 1, x0 + 10, 2, FRAME_LIGHT)
        shift = 1 if k == 2 else 0
        # A crisp two-pixel chevron, five rows high, its tip on the middle row.
        for j, row in enumerate(CHEVRON_LEFT):
            for i, cell in enumerate(row if pointing_left else row[::-1]):
                if cell == "#":
                    im.set(x0 + 4 + i + shift, 2 + j + shift, symbol)
    return im

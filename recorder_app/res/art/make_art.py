"""Draws the program's bitmaps and icon into the folder given on the command line."""
import os
import sys

from raster import Image, bmp1, bmp24, circle, ico, ring, rounded_rect
import buttons_art
import controls_art

# One palette for the whole program.
BODY_TOP = (236, 239, 243)
BODY_BOTTOM = (214, 219, 226)
PANEL = (28, 37, 48)
PANEL_EDGE = (70, 84, 100)
GROOVE = (196, 202, 210)
ACCENT = (47, 111, 179)
WHITE = (255, 255, 255)


def background():
    """290 x 276, the main window's client area: a display panel above the button rows."""
    im = Image(290, 276, (0, 0, 0, 255))
    im.vertical_gradient(0, 0, 290, 276, BODY_TOP, BODY_BOTTOM)
    im.fill_shape(rounded_rect(5, 7, 285, 177, 7), (5, 7, 285, 177), PANEL_EDGE)
    im.fill_shape(rounded_rect(6, 8, 284, 176, 6), (6, 8, 284, 176), PANEL)
    # Grooves that seat the two button rows.
    im.fill_shape(rounded_rect(5, 184, 285, 224, 5), (5, 184, 285, 224), GROOVE)
    im.fill_shape(rounded_rect(5, 231, 285, 266, 5), (5, 231, 285, 266), GROOVE)
    return im


def microphone(size):
    """The program's icon: a white microphone on a blue disc."""
    im = Image(size, size)
    s = size / 32.0
    im.fill_shape(circle(16 * s, 16 * s, 15.5 * s), (0, 0, size, size), ACCENT + (255,))
    im.fill_shape(rounded_rect(12 * s, 5 * s, 20 * s, 19 * s, 4 * s), (0, 0, size, size), WHITE + (255,))
    cup = ring(16 * s, 14 * s, 8 * s, 6.2 * s)
    im.fill_shape(lambda x, y: cup(x, y) and y >= 14 * s, (0, 0, size, size), WHITE + (255,))
    im.fill_shape(rounded_rect(15.1 * s, 21.5 * s, 16.9 * s, 25.5 * s, 0.5 * s), (0, 0, size, size), WHITE + (255,))
    im.fill_shape(rounded_rect(11 * s, 25 * s, 21 * s, 27 * s, 1 * s), (0, 0, size, size), WHITE + (255,))
    return im


# Bitmap resources of the controls: file name and drawing.
CONTROL_BITMAPS = [
    ("ruler_157.bmp", controls_art.ruler_tile),
    ("marker_158.bmp", controls_art.spot_marker),
    ("meter_160.bmp", controls_art.level_meter),
    ("recording_163.bmp", lambda: controls_art.recording_caption(True)),
    ("recording_164.bmp", lambda: controls_art.recording_caption(False)),
    ("time_166.bmp", controls_art.time_face),
    ("arrow_left_175.bmp", lambda: controls_art.arrow_strip(True)),
    ("arrow_right_176.bmp", lambda: controls_art.arrow_strip(False)),
    ("track_177.bmp", controls_art.scroll_track),
    ("thumb_178.bmp", lambda: controls_art.scroll_thumb(False)),
    ("thumb_179.bmp", lambda: controls_art.scroll_thumb(True)),
]


def write(out_dir, name, data):
    with open(os.path.join(out_dir, name), "wb") as f:
        f.write(data)


def microphone_small():
    """The 16 x 16 icon, drawn on whole pixels so that it stays sharp at that size."""
    im = Image(16, 16)
    box = (0, 0, 16, 16)
    im.fill_shape(circle(8, 8, 7.9), box, ACCENT + (255,))
    im.fill_shape(rounded_rect(6, 2, 10, 10, 2), box, WHITE + (255,))
    cup = ring(8, 7, 5, 4)
    im.fill_shape(lambda x, y: cup(x, y) and y >= 7, box, WHITE + (255,))
    im.fill_rect(7, 12, 9, 13, WHITE + (255,))
    im.fill_rect(5, 13, 11, 14, WHITE + (255,))
    return im


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    write(out_dir, "background_135.bmp", bmp24(background()))
    write(out_dir, "app_107.ico", ico([microphone(32), microphone_small(), microphone(48)]))
    for name, draw in CONTROL_BITMAPS:
        write(out_dir, name, bmp24(draw()))
    write(out_dir, "marker_mask_159.bmp", bmp1(9, 6, lambda x, y: controls_art.marker_inside(x, y)))
    for resource_id, (w, h, faces) in buttons_art.BUTTONS.items():
        write(out_dir, "button_%d.bmp" % resource_id, bmp24(buttons_art.strip(w, h, faces)))


if __name__ == "__main__":
    main(sys.argv[1])

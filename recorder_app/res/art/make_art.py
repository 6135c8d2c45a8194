"""Draws the program's bitmaps and icon into the folder given on the command line."""
import os
import sys

from raster import Image, bmp24, circle, ico, ring, rounded_rect

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


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "background_135.bmp"), "wb") as f:
        f.write(bmp24(background()))
    with open(os.path.join(out_dir, "app_107.ico"), "wb") as f:
        f.write(ico([microphone(32), microphone(16), microphone(48)]))


if __name__ == "__main__":
    main(sys.argv[1])

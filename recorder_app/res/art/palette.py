"""The one palette of the program's artwork, and the colour helpers the drawings share."""

# Button faces: (gradient top, gradient bottom, frame) for each state.
FACE_NORMAL = ((252, 252, 253), (221, 223, 227), (143, 149, 159))
FACE_HOVER = ((237, 245, 253), (197, 221, 246), (92, 141, 199))
FACE_PUSHED = ((176, 193, 213), (199, 211, 225), (82, 104, 131))
FACE_DISABLED = ((246, 246, 247), (236, 237, 239), (196, 199, 204))
FRAME_LIGHT = (255, 255, 255)
GROOVE = (196, 202, 210)  # the background's button rows, seen at the rounded corners

SYMBOL_DARK = (50, 57, 68)
CAPTION = (44, 52, 64)
RED = (220, 38, 38)
RED_DARK = (150, 18, 18)
RED_LIGHT = (250, 140, 140)
FOLDER = (247, 199, 72)
FOLDER_BACK = (228, 168, 40)
FOLDER_EDGE = (176, 124, 24)
DISK = (56, 106, 176)
DISK_EDGE = (30, 62, 112)
DISK_SHUTTER = (206, 212, 220)
GLOBE = (64, 132, 206)
GLOBE_EDGE = (30, 78, 140)
GLOBE_LINES = (170, 208, 244)
PLUS = (40, 168, 64)
PLUS_EDGE = (20, 104, 36)
BUBBLE = (255, 255, 255)
BUBBLE_EDGE = (62, 104, 158)
BUBBLE_LINES = (150, 172, 200)

# The scroll bar's arrow cells: (top, bottom, frame, chevron) for normal, hover, pushed, disabled.
ARROW_FACES = [
    ((246, 246, 246), (222, 222, 222), (178, 178, 178), (110, 110, 110)),
    ((236, 243, 250), (208, 224, 240), (128, 160, 196), (84, 104, 128)),
    ((190, 206, 224), (206, 218, 232), (98, 122, 152), (60, 76, 96)),
    ((244, 244, 244), (236, 236, 236), (212, 212, 212), (196, 196, 196)),
]

CAPTION_BACKGROUND = (234, 232, 237)
CAPTION_TEXT = (128, 128, 134)


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical(im, x0, y0, x1, y1, top, bottom):
    """Vertical gradient over [x0, x1) x [y0, y1), exact top and bottom rows."""
    h = max(1, y1 - y0 - 1)
    for y in range(y0, y1):
        im.fill_rect(x0, y, x1, y + 1, lerp(top, bottom, (y - y0) / h))


def faded(p):
    """The disabled look of a symbol pixel: grey and light."""
    r, g, b, a = p
    grey = round(0.3 * r + 0.59 * g + 0.11 * b)
    grey = round(grey + (235 - grey) * 0.55)
    return (grey, grey, grey, a)

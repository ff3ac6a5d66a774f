#!/usr/bin/env python3
"""Grabs a region of the X screen at a steady rate, as raw BGRA frames.

One XGetImage a frame through libX11, nothing else: an ImageMagick `import`
costs a few hundred milliseconds a frame on a busy machine, this a few. Each
frame goes to OUTDIR/NNN.bgra, and OUTDIR/times holds the moment each was
taken, in seconds from the first, and last the moment the grabbing ended, so
that each frame keeps its true length in the animation made from them.

Usage: grab_frames.py X Y WIDTH HEIGHT FPS SECONDS OUTDIR   (uses $DISPLAY)
"""
import ctypes
import ctypes.util
import os
import sys
import time

Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(-1).value


class XImage(ctypes.Structure):
    """The head of Xlib's XImage, up to the functions that free it."""


XImage._fields_ = [
    ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
    ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
    ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
    ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
    ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ("obdata", ctypes.c_void_p), ("create_image", ctypes.c_void_p),
    ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(XImage))),
]


def main():
    if len(sys.argv) != 8:
        sys.exit(__doc__.strip().splitlines()[-1])
    x, y, width, height = (int(v) for v in sys.argv[1:5])
    fps, seconds, outdir = float(sys.argv[5]), float(sys.argv[6]), sys.argv[7]

    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("grab_frames: cannot open the display")
    root = xlib.XDefaultRootWindow(display)

    os.makedirs(outdir, exist_ok=True)
    # The first grab of a size is slow; one made and dropped beforehand keeps
    # the first frame from lasting longer than the others.
    warm_up = xlib.XGetImage(display, root, x, y, width, height, ALL_PLANES, Z_PIXMAP)
    if not warm_up:
        sys.exit("grab_frames: XGetImage failed")
    warm_up.contents.destroy_image(warm_up)

    frames, times = [], []
    start = time.monotonic()
    due = start
    while True:
        # Wait for this frame's moment. A late frame is taken at once and the
        # next one is due a whole period later: no burst of frames to catch up.
        now = time.monotonic()
        if due > now:
            time.sleep(due - now)
        taken = time.monotonic() - start
        due = max(due, start + taken) + 1 / fps
        if taken >= seconds and frames:
            break
        image = xlib.XGetImage(display, root, x, y, width, height, ALL_PLANES, Z_PIXMAP)
        if not image:
            sys.exit("grab_frames: XGetImage failed")
        head = image.contents
        if head.bits_per_pixel != 32:
            sys.exit("grab_frames: the screen must have 32 bits a pixel")
        rows = [ctypes.string_at(head.data + row * head.bytes_per_line, width * 4) for row in range(height)]
        frames.append(b"".join(rows))
        head.destroy_image(image)
        times.append(taken)
    # The moment the last frame ends, for its length.
    times.append(time.monotonic() - start)

    # Written only now, so that the disk does not slow the grabbing.
    for index, frame in enumerate(frames):
        with open(os.path.join(outdir, "%03d.bgra" % index), "wb") as out:
            out.write(frame)
    with open(os.path.join(outdir, "times"), "w") as out:
        out.writelines("%.4f\n" % t for t in times)


main()

#!/usr/bin/env python3
"""test_program.py: quelvaro's browser build, end to end, as a person uses it.

Serves the web tree's quelvaro.html in headless chromium on a 1280 x 1024
page (the screen Windows ran the program on, under Wine) and checks: both
windows where Windows puts them, with their titles and close boxes; the
picture moving (new SwapBuffers and new pixels); a click on "plane-wave z"
putting that wave on the sheet; a left drag on the main window turning the
wire box, which stands still without one; the close box ending the program
with status 0. Started without WebGL, the error box's OK ends it with
status 1.

Usage: test_program.py WEB_TREE OUT_DIR   (prints "N passed, N failed";
OUT_DIR keeps the last screenshot of each step). Exit status 0 when every
check passes, 1 when one fails or the web tree is not built, 77 (skipped)
when chromium cannot start here.
"""
import math
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pictures import read_png, write_png  # noqa: E402
from test_dom import check, summary, wait_for  # noqa: E402
from webdriver import Browser, run_test  # noqa: E402

PAGE = "quelvaro.html"
MAIN_TITLE = "QUELVARO by Ostrevan"  # blanks collapsed; the caption keeps them as written
PANEL_TITLE = "OPTIONS - SOFT BY OSTREVAN"
# Under Wine on a 1280 x 1024 screen: the main window's client area at
# (4, 23) (a sizing frame of 4 under a 19-pixel caption), 913 x 894, the
# panel's 236 x 194 at +613, +28 from it, its template's place.
SCREEN = (1280, 1024)
MAIN_CLIENT = (4, 23, 913, 894)
PANEL_OFFSET = (613, 28)
PANEL_SIZE = (236, 194)
# The panel's template in dialog units: its size, and "plane-wave z".
PANEL_DU = (135, 111)
WAVE_Z_BUTTON_DU = (8, 32, 58, 15)
# How many frames a change may take to show (the waves move every 80 ms tick).
FRAMES_TO_SHOW = 120

WINDOWS = ("return Array.from(document.querySelectorAll('.qv-window')).map(function(w) {"
           "  var c = w.querySelector('.qv-client').getBoundingClientRect();"
           "  return [w.querySelector('.qv-caption span').textContent, c.left, c.top, c.width, c.height,"
           "          w.querySelector('.qv-close').style.display !== 'none']; });")


class Look:
    """The main window's client area in one screenshot, the panel over it
    left out."""

    def __init__(self, b, main, panel, out_dir, name):
        self.main, self.panel = main, panel
        self.shot = read_png(b.screenshot())
        write_png(self.shot, os.path.join(out_dir, f"{name}.png"))

    def points(self):
        x0, y0, w, h = self.main
        px, py, pw, ph = self.panel
        # The panel's frame too: 3 pixels, and its caption above.
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                if not (px - 3 <= x < px + pw + 3 and py - 22 <= y < py + ph + 3):
                    yield x, y

    def box(self):
        """The wire box's pixels: blue, as no lit part of the scene is."""
        return {(x, y) for x, y in self.points() if self.is_box(self.shot.pixel(x, y))}

    @staticmethod
    def is_box(rgb):
        r, g, b = rgb
        return b > r + 60 and r < 60

    def differing(self, other):
        return sum(1 for x, y in self.points() if self.shot.pixel(x, y) != other.shot.pixel(x, y))


# ---- Telling the waves apart (as tests/e2e/panel.sh does) ---------------------------
#
# The sheet lies in the plane y = 0; until the trackball is used it keeps its
# start orientation (-130 degrees about x after -30 about y), 6.7 units in
# front of the eye, under a frustum of half-height 1 at the near plane 2. The
# lighting depends on the normal only: "plane-wave x" varies along x only, so
# along a line of constant x its colour is constant; "plane-wave z" the other
# way round; the curtain varies along both. Sampling both kinds of line
# classifies the picture whatever the phase of the waves.

def sheet_samples(main, panel):
    """(kind, line, px, py) on three lines of constant x and three of constant
    z, from -1.3 to 1.3 in steps of 0.1; points under the panel left out."""
    cx, cy, cw, ch = main
    c30, s30 = math.cos(math.radians(-30)), math.sin(math.radians(-30))
    c130, s130 = math.cos(math.radians(-130)), math.sin(math.radians(-130))
    aspect = cw / ch
    for kind in "xz":
        for fixed in (-0.8, 0.1, 0.9):
            for i in range(-13, 14):
                x, z = (fixed, i / 10) if kind == "x" else (i / 10, fixed)
                ex, zy = c30 * x + s30 * z, -s30 * x + c30 * z
                ey, ez = -s130 * zy, c130 * zy - 6.7
                px = int(cx + ((2 / aspect) * ex / -ez + 1) / 2 * cw)
                py = int(cy + (1 - 2 * ey / -ez) / 2 * ch)
                if not (panel[0] <= px < panel[0] + panel[2] and panel[1] <= py < panel[1] + panel[3]):
                    yield kind, fixed, px, py


def wave_of(look):
    """The wave the sheet shows, and the spreads of r + g + b along lines of
    constant x and of constant z (the wire box's pixels left out)."""
    lines = {}
    for kind, fixed, px, py in sheet_samples(look.main, look.panel):
        rgb = look.shot.pixel(px, py)
        if not Look.is_box(rgb):
            lines.setdefault((kind, fixed), []).append(sum(rgb))
    spread = {kind: statistics.mean(statistics.pstdev(v) for (k, _), v in lines.items() if k == kind)
              for kind in "xz"}
    ax, az = spread["x"], spread["z"]
    if ax < 0.25 * az and az > 3:
        wave = "plane-wave x"
    elif az < 0.25 * ax and ax > 3:
        wave = "plane-wave z"
    elif ax > 3 and az > 3:
        wave = "efecto cortinado"
    else:
        wave = "unclear"
    return wave, f"spread {ax:.1f} at constant x, {az:.1f} at constant z"


# ---- The program running -----------------------------------------------------------

def windows_in_place(b):
    """Checks both windows; their client rectangles, or None."""
    windows = {" ".join(w[0].split()): w[1:] for w in b.run(WINDOWS)}
    main, panel = windows.get(MAIN_TITLE), windows.get(PANEL_TITLE)
    check("both windows, by their titles", main and panel, f"windows {windows}")
    if not (main and panel):
        return None
    check("the main window's client area where Windows puts it, of its size", tuple(main[:4]) == MAIN_CLIENT,
          f"got {main[:4]}")
    got = (panel[0] - main[0], panel[1] - main[1], panel[2], panel[3])
    check("the panel beside it, of its template's size", got == PANEL_OFFSET + PANEL_SIZE, f"got {got}")
    check("close boxes: the main window's, none on the panel (no WS_SYSMENU)",
          main[4] and not panel[4], f"main {main[4]}, panel {panel[4]}")
    check("no end line while the program runs", b.end_line() == "", f"status {b.end_line()!r}")
    return tuple(main[:4]), tuple(panel[:4])


def look_until(b, take, done, what):
    """Takes a new look every two new frames until done(look); the last look,
    or None (and a failed check) after FRAMES_TO_SHOW frames."""
    for _ in range(FRAMES_TO_SHOW // 2):
        b.wait_swaps(2)
        look = take()
        if done(look):
            return look
    check(what, False, f"not within {FRAMES_TO_SHOW} frames")
    return None


def picture_moves(b, take):
    first, swaps = take("moving1"), b.swaps()
    later = look_until(b, lambda: take("moving2"), lambda look: look.differing(first) > 0, "the picture moves")
    if later:
        check(f"the picture moves ({later.differing(first)} pixels changed, "
              f"{b.swaps() - swaps} SwapBuffers)", b.swaps() > swaps)


def wave_button(b, take, panel):
    wave, spread = wave_of(take("wave-start"))
    check(f"at start the sheet shows the curtain ({spread})", wave == "efecto cortinado", f"it shows {wave}")
    du_x, du_y = panel[2] / PANEL_DU[0], panel[3] / PANEL_DU[1]
    x, y, w, h = WAVE_Z_BUTTON_DU
    b.click(panel[0] + (x + w / 2) * du_x, panel[1] + (y + h / 2) * du_y)
    look = look_until(b, lambda: take("wave-z"), lambda look: wave_of(look)[0] == "plane-wave z",
                      'a click on "plane-wave z" puts that wave on the sheet')
    if look:
        check(f'a click on "plane-wave z" puts that wave on the sheet ({wave_of(look)[1]})', True)


def drag_turns(b, take, main):
    before = take("box-before")
    total = len(before.box())
    check("the wire box is in the picture", total > 1000, f"{total} box pixels")
    # Only a later picture can show a box that turns by itself: one where the
    # waves have moved on.
    still = look_until(b, lambda: take("box-still"), lambda look: look.differing(before) > 0,
                       "the waves go on before the drag")
    if still:
        moved = len(before.box() ^ still.box())
        check("without a drag the box stands still while the waves go on", moved == 0, f"{moved} box pixels moved")
    # Pressed in the lower left of the client area, away from the panel, up
    # and to the right, a frame's time between the moves.
    cx, cy, cw, ch = main
    x0, y0, x1, y1 = cx + cw // 4, cy + ch * 3 // 4, cx + cw // 2, cy + ch // 2
    moves = []
    for i in range(1, 21):
        moves += [("move", x0 + (x1 - x0) * i // 20, y0 + (y1 - y0) * i // 20), ("pause", 20)]
    b.pointer(("move", x0, y0), ("down", 0), *moves, ("up", 0))
    b.wait_swaps(2)
    after = take("box-after")
    kept = len(before.box() & after.box())
    check(f"a left drag turns the box (only {kept} of its {total} pixels stayed in place)", kept * 4 < total)


def close_box(b, main):
    b.click(main[0] + main[2] - 10, main[1] - 12)
    if wait_for(lambda: b.end_line() == "quelvaro ended with status 0", "the close box ends it", 10):
        check("the close box ends it with status 0, its windows gone",
              not b.run("return document.querySelectorAll('.qv-window').length;"))


def running(b, out_dir):
    if not wait_for(lambda: b.swaps() >= 3, "the program draws frames", 30):
        return
    places = windows_in_place(b)
    if not places:
        return
    main, panel = places
    take = lambda name: Look(b, main, panel, out_dir, name)  # noqa: E731
    picture_moves(b, take)
    wave_button(b, take, panel)
    drag_turns(b, take, main)
    close_box(b, main)


def without_webgl(b, out_dir):
    box = "return Array.from(document.querySelectorAll('.qv-box-text')).map(function(b) { return b.textContent; });"
    if not wait_for(lambda: b.run(box), "without WebGL, an error box", 30):
        return
    write_png(read_png(b.screenshot()), os.path.join(out_dir, "no-webgl.png"))
    check("the error box says why", "ChoosePixelFormat failed" in b.run(box)[0], f"box {b.run(box)}")
    b.run("document.querySelector('.qv-button').click();")
    if wait_for(lambda: b.end_line() == "quelvaro ended with status 1", "its OK ends the program", 10):
        check("its OK ends the program with status 1", True)


def session(tree, out_dir, scenario, flags=()):
    with Browser(tree, flags=flags) as b:
        b.set_viewport(*SCREEN)
        b.open(PAGE)
        scenario(b, out_dir)


def main():
    if len(sys.argv) != 3:
        print(__doc__.split("\n\n")[2])
        return 2
    tree, out_dir = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)

    def both_sessions():
        session(tree, out_dir, running)
        session(tree, out_dir, without_webgl, ["--disable-webgl"])
        return summary()

    return run_test(tree, PAGE, both_sessions)


if __name__ == "__main__":
    sys.exit(main())

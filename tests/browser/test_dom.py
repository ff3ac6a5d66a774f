#!/usr/bin/env python3
"""test_dom.py: the browser backend's page services, end to end.

Drives dom_smoke.html (tests/browser/dom_smoke.cpp, which the web tree
builds) in headless chromium, on a 1280 x 1024 page, as a person would: it
reads the windows' frames and z-order, the fonts' metrics against what
Windows measures for the same faces, the pixels of a screenshot, and the
events the program took (the lines it printed) after clicks, drags and keys.

Usage: test_dom.py WEB_TREE   (prints "N passed, N failed")
Exit status 0 when every check passes, 1 when one fails or the web tree is
not built, 77 (skipped) when chromium cannot start here.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pictures import read_png  # noqa: E402
from webdriver import LEFT, RIGHT, Browser, run_test  # noqa: E402

PAGE = "dom_smoke.html"
SCREEN = (1280, 1024)
# Where dom_smoke.cpp puts its windows: client origins on the page, sizes.
GL_CLIENT = (40, 60, 320, 200)
TEXT_CLIENT = (420, 60, 240, 120)
# The classic frames: a sizing frame of 4 and a dialog frame of 3, each under
# a 19-pixel caption (SM_CYCAPTION), as Windows 2000 and Wine draw them.
GL_FRAME = (23, 4, 4, 4)
TEXT_FRAME = (22, 3, 3, 3)

# Fonts at 96 dpi: face, points, height, ascent, average width (None where
# not measured), extent of "plane-wave x". Arial 9 is what Windows (Wine with
# the same fonts) measures; the average of 11 points too; the rest is what
# the Linux build's fonts give (Liberation Sans, Bold for Arial Black).
FONT_CASES = (
    ("Arial", 8, 12, 10, None, 65),
    ("Arial", 9, 14, 11, 7, 73),
    ("Arial", 11, 17, 14, 9, 87),
    ("Arial Black", 9, 14, 11, None, 75),
    ("MS Sans Serif", 8, 12, 10, None, 65),
)

results = {"passed": 0, "failed": 0}


def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + detail), flush=True)


def wait_for(predicate, what, seconds=10):
    """Polls until predicate() is true; False (and a failed check) after the limit."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.05)
    check(what, False, f"not within {seconds} s")
    return False


def near(pixel, rgb, tolerance=24):
    return all(abs(p - q) <= tolerance for p, q in zip(pixel, rgb))


def dark_columns(shot, x0, y0, x1, y1):
    """Columns of the box [x0, x1) x [y0, y1) that hold a dark (text) pixel."""
    return [x for x in range(x0, x1) if any(max(shot.pixel(x, y)) < 100 for y in range(y0, y1))]


def contains_in_order(log, expected):
    """True when expected lines appear in log in this order (others between)."""
    it = iter(log)
    return all(any(line == want for line in it) for want in expected)


def act_and_expect(b, name, act, expected):
    """Runs act and checks that the events the program took after it hold the
    expected lines in order."""
    before = len(b.log())
    act()
    if wait_for(lambda: contains_in_order(b.log()[before:], expected), name, 5):
        check(name, True)
    else:
        print(f"  expected, in order: {expected}\n  got: {b.log()[before:]}")


def page_point(client, x, y):
    return client[0] + x, client[1] + y


def mouse(b, *steps, button=LEFT):
    """Pointer steps ("move", x, y), ("down",), ("up",) with one button."""
    b.pointer(*[step if step[0] == "move" else (step[0], button) for step in steps])


def window_box(b, wid):
    """The window's element and its client canvas: [left, top] of the element,
    [left, top, width, height] of the canvas, and the frame's right and bottom."""
    return b.run(f"var r = document.querySelector('.qv-window[data-qv-id=\"{wid}\"]').getBoundingClientRect();"
                 f"var c = document.getElementById('qvc-{wid}').getBoundingClientRect();"
                 "return [r.left, r.top, c.left, c.top, c.width, c.height, r.right - c.right, r.bottom - c.bottom];")


def page_and_fonts(b):
    log = b.log()
    check("no end line while the program runs", b.end_line() == "", f"status {b.end_line()!r}")
    size = b.run("return [window.innerWidth, window.innerHeight];")
    check("the page is the screen", f"screen {size[0]} {size[1]}" in log, f"page {size}, log {log[:1]}")

    for face, points, height, ascent, average, extent in FONT_CASES:
        lines = [line for line in log if line.startswith(f"font {face} {points} ")]
        got = lines[0].split()[-4:] if lines else []
        want = [str(height), str(ascent), str(average or (got[2:3] or ["?"])[0]), str(extent)]
        check(f'{face} {points}: height, ascent, average width, extent of "plane-wave x"',
              got == want, f"want {want}, got {got}")


def frames_and_text(b):
    # Each element sits its frame's sides around the client origin.
    for name, wid, client, frame in (("WebGL", 1, GL_CLIENT, GL_FRAME), ("text", 2, TEXT_CLIENT, TEXT_FRAME)):
        got = window_box(b, wid)
        want = [client[0] - frame[1], client[1] - frame[0], client[0], client[1], client[2], client[3],
                frame[3], frame[2]]
        check(f"{name} window: frame around the client area", got == want, f"want {want}, got {got}")

    shot = read_png(b.screenshot())
    gl = shot.pixel(GL_CLIENT[0] + 100, GL_CLIENT[1] + 100)
    check("the WebGL window shows its clear colour", near(gl, (0, 128, 0)), f"pixel {gl}")
    # "plane-wave x" at (10, 10): dark pixels over its 73 pixels, none past them.
    x0, y0 = page_point(TEXT_CLIENT, 10, 10)
    cols = dark_columns(shot, x0, y0, x0 + 120, y0 + 14)
    check("text drawn glyph by glyph over its extent", cols and cols[0] <= x0 + 1 and x0 + 66 <= cols[-1] < x0 + 73,
          f"dark columns {(cols[0] - x0, cols[-1] - x0) if cols else None}")
    cx, cy = page_point(TEXT_CLIENT, 10, 70)
    clipped = dark_columns(shot, cx, cy, cx + 60, cy + 14)
    check("text clipped at the clip rectangle", clipped and clipped[-1] < TEXT_CLIENT[0] + 30,
          f"dark columns up to {(clipped[-1] - TEXT_CLIENT[0]) if clipped else None}")


def pointer_and_keys(b):
    """Input, each as a person would do it, with the events the program takes."""
    gx, gy = page_point(GL_CLIENT, 10, 20)
    act_and_expect(b, "a click on the owned window activates it", lambda: mouse(
        b, ("move",) + page_point(TEXT_CLIENT, 100, 50), ("down",), ("up",)),
        ["5 1 0 0 0 0 0", "4 2 0 0 0 0 0", "2 2 0 1 1 100 50", "2 2 0 0 0 100 50"])
    act_and_expect(b, "a click on the owner: focus, then the press and release in client pixels", lambda: mouse(
        b, ("move", gx, gy), ("down",), ("up",)),
        ["5 2 0 0 0 0 0", "4 1 0 0 0 0 0", "2 1 0 1 1 10 20", "2 1 0 0 0 10 20"])
    z = b.run("return [1, 2].map(function(i) { return +document.querySelector("
              "'.qv-window[data-qv-id=\"' + i + '\"]').style.zIndex; });")
    check("the owned window stays above its activated owner", z[1] > z[0], f"z-indices {z}")
    # The press away from the last click starts afresh; the next is the double.
    act_and_expect(b, "a second press soon after, near enough, is a double click", lambda: mouse(
        b, ("move", gx + 20, gy), ("down",), ("up",), ("move", gx, gy), ("down",), ("up",), ("down",), ("up",)),
        ["2 1 0 1 1 30 20", "2 1 0 1 1 10 20", "2 1 0 1 2 10 20"])
    act_and_expect(b, "a right drag out of the window keeps coming until the release", lambda: mouse(
        b, ("move", gx, gy), ("down",), ("move", 700, 600), ("up",), button=RIGHT),
        ["2 1 1 1 1 10 20", "1 1 660 540 0 0 0", "2 1 1 0 0 660 540"])
    tx, ty = TEXT_CLIENT[0] + 40, TEXT_CLIENT[1] - 10
    act_and_expect(b, "dragging the caption moves the window", lambda: mouse(
        b, ("move", tx, ty), ("down",), ("move", tx + 50, ty + 30), ("up",)),
        ["7 2 470 90 0 0 0"])
    moved = b.run("return document.querySelector('.qv-window[data-qv-id=\"2\"]').getBoundingClientRect().left;")
    check("the moved window is where the event says", moved == 470 - TEXT_FRAME[1], f"left {moved}")
    act_and_expect(b, "keys: virtual key, scan code, extended bit", lambda: b.press("a", "\ue012"),
                   ["3 2 65 30 0 1 0", "3 2 65 30 0 0 0", "3 2 37 75 1 1 0", "3 2 37 75 1 0 0"])

    # The page losing the keyboard with a key down: its release is made up
    # before the focus loss. The window takes the focus back for what follows.
    act_and_expect(b, "a key held when the page loses the keyboard comes up", lambda: (
        b.press("a", release=False), b.run("window.dispatchEvent(new Event('blur'));"), b.release(),
        mouse(b, ("move", tx + 50, ty + 30), ("down",), ("up",))),
        ["3 2 65 30 0 1 0", "3 2 65 30 0 0 0", "5 2 0 0 0 0 0", "4 2 0 0 0 0 0"])
    return gx, gy


def message_box_and_focus(b, gx, gy):
    # The message box: a button's index, -1 for Escape (its close box).
    buttons = "return Array.from(document.querySelectorAll('.qv-button')).map(b => b.textContent);"
    for name, answer, expected in (
            ("Cancel", lambda: b.run("document.querySelectorAll('.qv-button')[1].click();"), "box 1"),
            ("Escape", lambda: b.press("\ue00c"), "box -1")):
        def ask_and_answer():
            b.press("m")
            wait_for(lambda: b.run(buttons) == ["OK", "Cancel"], "the message box shows its buttons", 5)
            answer()
        act_and_expect(b, "message box answered with " + name, ask_and_answer, [expected])

    # Hiding the window with the focus hands it to the owner, and keys follow.
    act_and_expect(b, "a hidden window hands the focus to its owner", lambda: b.press("h"),
                   ["5 2 0 0 0 0 0", "4 1 0 0 0 0 0"])
    act_and_expect(b, "keys go to the owner then", lambda: b.press("s"), ["3 1 83 31 0 1 0"])

    # A key reaches the program, which draws with it.
    act_and_expect(b, "R makes the WebGL window red", lambda: (
        mouse(b, ("move", gx, gy), ("down",), ("up",)), b.press("r")), ["3 1 82 19 0 1 0"])
    b.wait_swaps(3)
    gl = read_png(b.screenshot()).pixel(GL_CLIENT[0] + 100, GL_CLIENT[1] + 100)
    check("the program drew with the key it took", near(gl, (255, 0, 0)), f"pixel {gl}")


def sizing_and_close(b):
    # The WebGL window's sizing frame: its bottom-right corner, then its left
    # edge past the smallest width (112 outer pixels, as on Windows).
    right, bottom = GL_CLIENT[0] + GL_CLIENT[2] + 2, GL_CLIENT[1] + GL_CLIENT[3] + 2
    act_and_expect(b, "dragging the sizing frame's corner sizes the window", lambda: mouse(
        b, ("move", right, bottom), ("down",), ("move", right + 30, bottom + 20), ("up",)),
        ["8 1 350 220 0 0 0"])
    left = GL_CLIENT[0] - 2
    act_and_expect(b, "the left edge moves the origin, down to the smallest width", lambda: mouse(
        b, ("move", left, 150), ("down",), ("move", left + 500, 150), ("up",)),
        ["7 1 286 60 0 0 0", "8 1 104 220 0 0 0"])

    # The close box ends the program; the page says how.
    mouse(b, ("move", 286 + 104 - 10, GL_CLIENT[1] - 12), ("down",), ("up",))
    if wait_for(lambda: b.end_line() == "quelvaro ended with status 3", "the close box ends the program", 5):
        check("the close box ends the program with its status on the page", True)


def main():
    if len(sys.argv) != 2:
        print(__doc__.split("\n\n")[2])
        return 2
    return run_test(sys.argv[1], PAGE, lambda: scenarios(sys.argv[1]))


def scenarios(tree):
    with Browser(tree) as b:
        b.set_viewport(*SCREEN)
        b.open(PAGE)
        if wait_for(lambda: b.swaps() >= 3, "the page program draws frames", 30):
            page_and_fonts(b)
            frames_and_text(b)
            gx, gy = pointer_and_keys(b)
            message_box_and_focus(b, gx, gy)
            sizing_and_close(b)
    return summary()


def summary():
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] or not results["passed"] else 0


if __name__ == "__main__":
    sys.exit(main())

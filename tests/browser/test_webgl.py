#!/usr/bin/env python3
"""The GL 1.1 subset on real WebGL: each case of tests/support/frame_cases.h
drawn in headless chromium (SwiftShader) by the web build's render_frame page
against the same case drawn by Mesa's fixed-function GL in the native
tools/render_frame; and the page's GL calls, from the subset's call log,
against apitrace's record of the native ones (COMPARE_CALLS, the native
suite's comparison: tests/webgl/gl_calls.h; left out without apitrace).

Usage: test_webgl.py WEB_TREE NATIVE_RENDER_FRAME OUT_DIR COMPARE_CALLS

Both pictures are kept in OUT_DIR (CASE.png from Mesa, CASE-browser.png), and
the page's calls (CASE-browser.calls). Exit status 0 when every case
matches, 1 when one does not or the page fails, 77 (skipped) when chromium
cannot start here.

The tolerance was measured on the cases below (this script prints each
case's figures): SwiftShader and llvmpipe round colours differently, so about
80 % of the pixels (the background among them) differ by 1/255; by more than
2/255 they differ at 35 to 169 of the 99,840 pixels (0.17 % at most, the
wireframe), nearly all of them edge pixels of the sheet, the box's wide lines
and the wireframe's lines that the two rasterisers place a pixel apart. A
pixel counts as different when a channel is more than 2/255 apart, and a case
passes when at most 0.5 % of its pixels are (about three times the worst
measured). Features left out fail their case by far: the wireframe drawn
filled (3.8 % of the pixels differ), the underside lit with the top's
material (17.5 %). The matrices the frame works out and reads back must equal
Mesa's bit for bit, as natively (tests/webgl): a rotation angle turned into
radians with a rounded pi fails every case.
"""

import base64
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pictures import Picture, differing, read_png, write_png  # noqa: E402
from webdriver import Browser, BrowserError, run_test  # noqa: E402

CHANNEL_TOLERANCE = 2
DIFFERING_SHARE_LIMIT = 0.005
# The start frame, every option, the underside with its own material, and
# spins about a slanted axis, about a coordinate axis given unnormalised and by
# a wide angle (the sphere and the box move; the matrices come from the
# browser's own sines and cosines).
CASES = ["start", "fog", "wireframe", "flat", "blend", "below", "spin", "spin-x", "spin-wide"]


def mesa_frame(render_frame, case, out_dir):
    """Mesa's picture of the case and the 32 matrix numbers render_frame printed."""
    png = os.path.join(out_dir, f"{case}.png")
    printed = subprocess.run([render_frame, png, case], check=True, capture_output=True, text=True,
                             env=dict(os.environ, SDL_VIDEODRIVER="offscreen", LIBGL_ALWAYS_SOFTWARE="1"),
                             timeout=60).stdout.split()
    with open(png, "rb") as f:
        return read_png(f.read()), [float.fromhex(v) for v in printed]


def browser_frame(browser, case):
    """The page's picture of the case, its matrices and its calls."""
    browser.open(f"render_frame.html?case={case}")
    frame = browser.wait_for("window.quelvaroFrame", timeout=30)
    if "error" in frame:
        raise BrowserError(f"the page says: {frame['error']}")
    rgba = base64.b64decode(frame["rgba"])
    picture = Picture.from_rgba(frame["width"], frame["height"], rgba, bottom_up=True)
    return picture, frame["matrices"], frame["calls"]


def same_calls(compare_calls, out_dir, case, calls):
    """Prints how the page's calls compare with apitrace's; True when they
    match or apitrace is missing."""
    log = os.path.join(out_dir, f"{case}-browser.calls")
    with open(log, "w") as f:
        f.write(calls)
    result = subprocess.run([compare_calls, out_dir, case, log], capture_output=True, text=True, timeout=120)
    print(f"{case:10} calls: {result.stdout.strip()}{'  FAILS' if result.returncode not in (0, 77) else ''}")
    return result.returncode in (0, 77)


def compare(browser, render_frame, compare_calls, out_dir, case):
    """Prints the case's figures; True when it matches."""
    mesa, mesa_matrices = mesa_frame(render_frame, case, out_dir)
    picture, matrices, calls = browser_frame(browser, case)
    write_png(picture, os.path.join(out_dir, f"{case}-browser.png"))
    count, worst = differing(picture, mesa, CHANNEL_TOLERANCE)
    share = count / (picture.width * picture.height)
    within1 = differing(picture, mesa, 0)[0]
    ok = share <= DIFFERING_SHARE_LIMIT
    print(f"{case:10} {share:.4f} of the pixels differ by more than {CHANNEL_TOLERANCE}/255 "
          f"({count}; {within1} differ at all; worst {worst}/255){'' if ok else '  FAILS'}")
    wrong = [i for i, (a, b) in enumerate(zip(matrices, mesa_matrices)) if a != b]
    if wrong or len(matrices) != len(mesa_matrices):
        i = wrong[0] if wrong else 0
        print(f"{case:10} {len(wrong)} of the matrix numbers differ from Mesa's (rotation, then modelview); "
              f"number {i}: {matrices[i]!r} against {mesa_matrices[i]!r}  FAILS")
        ok = False
    return same_calls(compare_calls, out_dir, case, calls) and ok


def main():
    if len(sys.argv) != 5:
        print(__doc__.split("\n\n")[1])
        return 2
    web_tree, render_frame, out_dir, compare_calls = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)

    def every_case():
        with Browser(web_tree) as browser:
            results = [compare(browser, render_frame, compare_calls, out_dir, case) for case in CASES]
        return 0 if all(results) else 1

    return run_test(web_tree, "render_frame.html", every_case)


if __name__ == "__main__":
    sys.exit(main())

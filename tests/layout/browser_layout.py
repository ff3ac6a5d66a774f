#!/usr/bin/env python3
"""The layout probe in the browser: runs the web build's layout_probe.html
(tests/layout/layout_probe.cpp on the layer's web backend) in headless
chromium on a 1280 x 1024 page, Xvfb's screen under Wine, and writes the
table it printed to OUT, one fact a line.

Usage: browser_layout.py WEB_TREE OUT

Exit status 0 with the table written, 1 when the page fails or the probe
ends with another status, 77 when chromium cannot start here (nothing is
written). Left out: comparing; compare_layout.sh does it.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "browser"))
from webdriver import Browser, run_test  # noqa: E402

SCREEN = (1280, 1024)


def main():
    if len(sys.argv) != 3:
        print(__doc__.split("\n\n")[1])
        return 2
    web_tree, out = sys.argv[1:]
    return run_test(web_tree, "layout_probe.html", lambda: probe(web_tree, out))


def probe(web_tree, out):
    with Browser(web_tree) as browser:
        # The page is the screen, taken once at start-up: sized first.
        browser.open("about:blank")
        size = browser.set_viewport(*SCREEN)
        if tuple(size) != SCREEN:
            print(f"the page is {size[0]} x {size[1]}, not {SCREEN[0]} x {SCREEN[1]}")
            return 1
        browser.open("layout_probe.html")
        status = browser.wait_for("window.quelvaroExitStatus", timeout=60, defined=True)
        lines = browser.run("return window.quelvaroLog;")
    if status != 0:
        print(f"the probe ended with status {status} in the browser: " + " | ".join(lines[-3:]))
        return 1
    with open(out, "w") as f:
        f.write("".join(line + "\n" for line in lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())

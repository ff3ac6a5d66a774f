#!/usr/bin/env python3
"""web_perf.py: the browser build's figures, in headless chromium with
software WebGL (SwiftShader), as the browser tests run it. It prints figures;
it passes or fails nothing.

    bench/web_perf.py [WEB_TREE]     (default: build-web; tools/build-web.sh makes it)

For each of two pages: render_frame.html, the frame's spinning scene alone
at the default client size (919 x 896), and quelvaro.html, the program
itself on a 1280 x 1024 page (its main window's client 913 x 894, the panel
beside it, in its start state):
 - the size of each page file (html, js, wasm) as built and gzipped (-9),
   which is what a server sending compressed files sends;
 - page load to first frame: performance.now() at the first frame (for the
   program, its first SwapBuffers), which counts from the start of the
   navigation, for the first page of a browser just started (the browser's
   own start not counted) and for loads again in a running one, the files in
   its cache (median and range of LOADS each);
 - frames a second (for the program, SwapBuffers from the page's data-swaps)
   and CPU per frame over SECS seconds, paced by the browser's animation
   frames: CPU is every browser process's (renderer, GPU process where
   SwiftShader draws, browser), from /proc, in all and by process; for
   render_frame the time the page spends in the frame's own code (drawScene
   and the subset, with the WebGL calls it makes) is given apart.
Environment: WEB_PERF_SECS (default 10), WEB_PERF_LOADS (default 5).
"""

import gzip
import os
import re
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
from webdriver import Browser  # noqa: E402

SECS = float(os.environ.get("WEB_PERF_SECS", "10"))
LOADS = int(os.environ.get("WEB_PERF_LOADS", "5"))
TICKS = os.sysconf("SC_CLK_TCK")
SCREEN = (1280, 1024)
# Each page: the name, the frames drawn so far (a JavaScript expression), the
# time its frame code took in all (or None), a line saying what it draws.
PAGES = [
    ("render_frame.html", "window.quelvaroFrames", "window.quelvaroDrawMs", "the scene spinning, 919 x 896"),
    ("quelvaro.html", "+document.body.dataset.swaps", None, "the program in its start state, client 913 x 894"),
]


def sizes(tree):
    for stem in ("render_frame", "quelvaro"):
        for ext in ("html", "js", "wasm"):
            path = os.path.join(tree, f"{stem}.{ext}")
            if os.path.exists(path):
                with open(path, "rb") as f:
                    data = f.read()
                print(f"  {stem}.{ext:5} {len(data):9,} bytes, {len(gzip.compress(data, 9)):9,} gzipped")


def cpu_seconds(pids):
    """User and system time of the processes, those that still exist."""
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except (OSError, IndexError):
            pass
    return total / TICKS


def process_kind(pid):
    """chromium's --type of the process (renderer, gpu-process, ...), or browser."""
    try:
        with open(f"/proc/{pid}/cmdline") as f:
            # chromium rewrites its command line as one string with spaces.
            kind = re.search(r"(?:^|[\s\0])--type=(\S+)", f.read())
    except OSError:
        return "gone"
    return kind.group(1) if kind else "browser"


def cpu_by_kind(pids):
    by_kind = {}
    for pid in pids:
        kind = process_kind(pid)
        by_kind[kind] = by_kind.get(kind, 0.0) + cpu_seconds([pid])
    return by_kind


def first_frame(browser, page):
    browser.open("about:blank")  # so that no spinning page is still drawing
    browser.open(page)
    return browser.wait_for("window.quelvaroFirstFrame", timeout=60)


def summary(values):
    return f"median {statistics.median(values):.0f} ms (range {min(values):.0f} to {max(values):.0f})"


def measure(tree, page, frames_js, draw_js, what):
    fresh = []
    for _ in range(LOADS):
        with Browser(tree) as browser:
            browser.set_viewport(*SCREEN)
            fresh.append(first_frame(browser, page))
    with Browser(tree) as browser:
        browser.set_viewport(*SCREEN)
        first_frame(browser, page)  # the files in the browser's cache, as on a return visit
        warm = [first_frame(browser, page) for _ in range(LOADS)]

        # Frames and CPU over SECS seconds.
        pids = browser.processes()
        counts = f"return [{frames_js}, {draw_js or 0}];"
        frames0, draw0 = browser.run(counts)
        kinds0, wall0 = cpu_by_kind(pids), time.monotonic()
        time.sleep(SECS)
        frames1, draw1 = browser.run(counts)
        kinds1, wall1 = cpu_by_kind(pids), time.monotonic()

    print(f"{page}:")
    print(f"  page load to first frame, a browser just started: {summary(fresh)}")
    print(f"  page load to first frame, a running browser:      {summary(warm)}")
    frames = frames1 - frames0
    wall = wall1 - wall0
    cpu = sum(kinds1.values()) - sum(kinds0.values())
    per_frame = 1000 / max(frames, 1)
    own = f"; the frame's own code {(draw1 - draw0) / max(frames, 1):.2f} ms a frame" if draw_js else ""
    print(f"  {what}: {frames / wall:.1f} frames/s over {wall:.1f} s; "
          f"browser CPU {100 * cpu / wall:.0f} % of one core, {cpu * per_frame:.2f} ms a frame{own}")
    for kind in sorted(kinds1):
        print(f"    {kind:20} {(kinds1[kind] - kinds0.get(kind, 0.0)) * per_frame:.2f} ms a frame")


def main():
    tree = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build-web")
    print(f"load average {os.getloadavg()[0]:.2f}; {os.cpu_count()} cores")
    print("sizes:")
    sizes(tree)
    for page in PAGES:
        if os.path.exists(os.path.join(tree, page[0])):
            measure(tree, *page)
    print(f"load average {os.getloadavg()[0]:.2f} at the end")


if __name__ == "__main__":
    main()

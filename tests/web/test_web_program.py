#!/usr/bin/env python3
"""test_web_program.py: quelvaro's browser build on the web backend, end to end.

Serves BUILD_DIR (quelvaro.html, .js, .wasm as em++ made them with
platform/web/web_shell.html) and drives it in headless chromium through
chromedriver, as test_web_dom.py drives the page program: the windows'
places against what Windows (Wine) gives the same program, frames going on,
the close box's end, and the end of a start without WebGL.

Usage: test_web_program.py BUILD_DIR   (prints "N passed, N failed")
"""
import functools
import http.server
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_web_dom as page  # noqa: E402

# Titles with their blanks collapsed (the page's captions keep them as written).
MAIN_TITLE = 'QUELVARO by Ostrevan'
PANEL_TITLE = 'OPTIONS - SOFT BY OSTREVAN'
# Under Wine on a 1280 x 1024 screen: the main window's client area at
# (4, 23) (a sizing frame of 4 under a 19-pixel caption), 913 x 894, the
# panel's 236 x 194 at +613, +28 from it.
SCREEN = (1280, 1024)
MAIN_CLIENT = (4, 23, 913, 894)
PANEL_OFFSET = (613, 28)
PANEL_SIZE = (236, 194)

WINDOWS = ('return Array.from(document.querySelectorAll(".qv-window")).map(function(w) {'
           '  var c = w.querySelector(".qv-client").getBoundingClientRect();'
           '  return [w.querySelector(".qv-caption span").textContent, c.left, c.top, c.width, c.height,'
           '          w.querySelector(".qv-close").style.display !== "none"]; });')
STATUS = 'var e = document.getElementById("status"); return e ? e.textContent : "";'


def session(build, extra_args, scenario):
    """Runs scenario(driver) on a fresh browser showing the program."""
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0),
                                             functools.partial(page.QuietHandler, directory=build))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    port = page.free_port()
    chromedriver = subprocess.Popen(['chromedriver', '--port=%d' % port],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    saved, driver = list(page.CHROME_ARGS), None
    page.CHROME_ARGS.extend(extra_args)
    try:
        end = time.time() + 20
        while driver is None:
            try:
                driver = page.Driver(port)
            except OSError:
                if time.time() > end:
                    raise
                time.sleep(0.2)
        page_is_screen(driver)
        driver.s('POST', '/url', {'url': 'http://127.0.0.1:%d/quelvaro.html' % server.server_address[1]})
        scenario(driver)
    finally:
        page.CHROME_ARGS[:] = saved
        if driver:
            driver.quit()
        chromedriver.terminate()
        chromedriver.wait()
        server.shutdown()


def page_is_screen(d):
    """Sizes the browser so that the page is SCREEN, as Windows' screen was."""
    d.s('POST', '/window/rect', {'width': SCREEN[0], 'height': SCREEN[1]})
    inner = d.js('return [innerWidth, innerHeight];')
    d.s('POST', '/window/rect', {'width': 2 * SCREEN[0] - inner[0], 'height': 2 * SCREEN[1] - inner[1]})


def running(d):
    if not page.wait_for(d, lambda: page.frames(d) >= 3, 'the program draws frames', 30):
        return
    windows = {' '.join(w[0].split()): w[1:] for w in d.js(WINDOWS)}
    main, panel = windows.get(MAIN_TITLE), windows.get(PANEL_TITLE)
    page.check('both windows, by their titles', main and panel, 'windows %s' % windows)
    if not (main and panel):
        return
    page.check('the main window\'s client area where Windows puts it, of its size', tuple(main[:4]) == MAIN_CLIENT,
               'got %s' % main[:4])
    got = (panel[0] - main[0], panel[1] - main[1], panel[2], panel[3])
    page.check('the panel beside it, of its template\'s size', got == PANEL_OFFSET + PANEL_SIZE, 'got %s' % (got,))
    page.check('close boxes: the main window\'s, none on the panel (no WS_SYSMENU)',
               main[4] and not panel[4], 'main %s, panel %s' % (main[4], panel[4]))
    page.check('no end line while the program runs', d.js(STATUS) == '', 'status %r' % d.js(STATUS))
    page.wait_frames(d)
    close = (main[0] + main[2] - 10, main[1] - 12)
    d.pointer([('move',) + close, ('down',), ('up',)])
    if page.wait_for(d, lambda: d.js(STATUS) == 'quelvaro ended with status 0', 'the close box ends it', 10):
        page.check('the close box ends it with status 0, its windows gone',
                   not d.js('return document.querySelectorAll(".qv-window").length;'))


def without_webgl(d):
    box = 'return Array.from(document.querySelectorAll(".qv-box-text")).map(function(b) { return b.textContent; });'
    if not page.wait_for(d, lambda: d.js(box), 'without WebGL, an error box', 30):
        return
    page.check('the error box says why', 'ChoosePixelFormat failed' in d.js(box)[0], 'box %s' % d.js(box))
    d.js('document.querySelector(".qv-button").click();')
    if page.wait_for(d, lambda: d.js(STATUS) == 'quelvaro ended with status 1', 'its OK ends the program', 10):
        page.check('its OK ends the program with status 1', True)


def main():
    build = sys.argv[1]
    session(build, [], running)
    session(build, ['--disable-webgl'], without_webgl)
    print('%d passed, %d failed' % (page.results['passed'], page.results['failed']))
    return 1 if page.results['failed'] or not page.results['passed'] else 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env python3
"""test_web_dom.py: the browser backend's page services, end to end.

Builds tests/web/web_dom_smoke.cpp (build_smoke.sh), serves it, and drives it
in headless chromium through chromedriver (W3C WebDriver over plain HTTP) as
a person would: it reads the windows' frames and z-order, the fonts'
metrics against what Windows measures for the same faces, the pixels of a
screenshot, and the events the program took after clicks, drags and keys.

Usage: test_web_dom.py [BUILD_DIR]   (prints "N passed, N failed")
"""
import base64
import functools
import http.server
import json
import os
import socket
import struct
import subprocess
import sys
import threading
import time
import urllib.request
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CHROME_ARGS = ['--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
               '--enable-unsafe-swiftshader', '--window-size=1280,1024']

# Where web_dom_smoke.cpp puts its windows: client origins on the page, sizes.
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
    ('Arial', 8, 12, 10, None, 65),
    ('Arial', 9, 14, 11, 7, 73),
    ('Arial', 11, 17, 14, 9, 87),
    ('Arial Black', 9, 14, 11, None, 75),
    ('MS Sans Serif', 8, 12, 10, None, 65),
)

results = {'passed': 0, 'failed': 0}


def check(name, ok, detail=''):
    results['passed' if ok else 'failed'] += 1
    print(('ok   ' if ok else 'FAIL ') + name + ('' if ok else ': ' + detail), flush=True)


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


# ---- WebDriver -----------------------------------------------------------------

class Driver:
    def __init__(self, port):
        self.base = 'http://127.0.0.1:%d' % port
        caps = {'capabilities': {'alwaysMatch': {'browserName': 'chrome', 'goog:chromeOptions': {
            'binary': '/usr/bin/chromium', 'args': CHROME_ARGS}}}}
        self.session = self.call('POST', '/session', caps)['sessionId']

    def call(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        req = urllib.request.Request(self.base + path, data=data, method=method,
                                     headers={'Content-Type': 'application/json'})
        with urllib.request.urlopen(req, timeout=60) as r:
            return json.loads(r.read())['value']

    def s(self, method, path, body=None):
        return self.call(method, '/session/%s%s' % (self.session, path), body)

    def js(self, script, *args):
        return self.s('POST', '/execute/sync', {'script': script, 'args': list(args)})

    def pointer(self, steps, button=0):
        """Mouse actions: steps of ('move', x, y), ('down',), ('up',), ('pause', ms)."""
        actions = []
        for step in steps:
            if step[0] == 'move':
                actions.append({'type': 'pointerMove', 'x': step[1], 'y': step[2], 'duration': 0, 'origin': 'viewport'})
            elif step[0] == 'pause':
                actions.append({'type': 'pause', 'duration': step[1]})
            else:
                actions.append({'type': 'pointer' + step[0].capitalize(), 'button': button})
        self.s('POST', '/actions', {'actions': [
            {'type': 'pointer', 'id': 'mouse', 'parameters': {'pointerType': 'mouse'}, 'actions': actions}]})

    def keys(self, *keys):
        actions = []
        for k in keys:
            actions += [{'type': 'keyDown', 'value': k}, {'type': 'keyUp', 'value': k}]
        self.s('POST', '/actions', {'actions': [{'type': 'key', 'id': 'keyboard', 'actions': actions}]})

    def screenshot(self):
        return decode_png(base64.b64decode(self.s('GET', '/screenshot')))

    def quit(self):
        try:
            self.call('DELETE', '/session/' + self.session)
        except OSError:
            pass


# ---- Screenshots ---------------------------------------------------------------

def decode_png(data):
    """(width, height, rows of RGB tuples) of an 8-bit RGB or RGBA PNG."""
    pos, idat, width = 8, b'', 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    bpp = 4 if colour == 6 else 3
    raw, stride, rows, prev = zlib.decompress(idat), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        prev = line
    return width, height, rows


def near(pixel, rgb, tolerance=24):
    return all(abs(p - q) <= tolerance for p, q in zip(pixel, rgb))


def dark_columns(shot, x0, y0, x1, y1):
    """Columns of the box [x0, x1) x [y0, y1) that hold a dark (text) pixel."""
    rows = shot[2]
    return [x for x in range(x0, x1) if any(max(rows[y][x]) < 100 for y in range(y0, y1))]


# ---- The page program ------------------------------------------------------------

def wait_for(driver, predicate, what, seconds=10):
    """Polls until predicate() is true; False (and a failed check) after the limit."""
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.05)
    check(what, False, 'not within %d s' % seconds)
    return False


def frames(driver):
    return int(driver.js('return document.body.dataset.swaps || "0";'))


def events(driver):
    return driver.js('return window.qvEvents || [];')


def wait_frames(driver, count=3):
    """Waits until the program has gone round its loop count more times."""
    start = frames(driver)
    return wait_for(driver, lambda: frames(driver) >= start + count, 'the program goes on')


def contains_in_order(log, expected):
    """True when expected lines appear in log in this order (others between)."""
    it = iter(log)
    return all(any(line == want for line in it) for want in expected)


def act_and_expect(driver, name, act, expected):
    """Runs act, waits for the program's next frames, and checks that the
    events it took after act hold the expected lines in order."""
    before = len(events(driver))
    act()
    ok = wait_for(driver, lambda: contains_in_order(events(driver)[before:], expected), name, 5)
    if ok:
        check(name, True)
    else:
        print('  expected, in order: %s\n  got: %s' % (expected, events(driver)[before:]))


def page_point(client, x, y):
    return client[0] + x, client[1] + y


def run(build):
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', 0), functools.partial(QuietHandler, directory=build))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    driver_port = free_port()
    chromedriver = subprocess.Popen(['chromedriver', '--port=%d' % driver_port],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    driver = None
    try:
        end = time.time() + 20
        while True:
            try:
                driver = Driver(driver_port)
                break
            except OSError:
                if time.time() > end:
                    raise
                time.sleep(0.2)
        driver.s('POST', '/url', {'url': 'http://127.0.0.1:%d/web_dom_smoke.html' % server.server_address[1]})
        if not wait_for(driver, lambda: frames(driver) >= 3, 'the page program draws frames', 30):
            return
        scenarios(driver)
    finally:
        if driver:
            driver.quit()
        chromedriver.terminate()
        chromedriver.wait()
        server.shutdown()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def scenarios(d):
    log = events(d)
    running = d.js('var e = document.getElementById("status"); return e ? e.textContent : "";')
    check('no end line while the program runs', running == '', 'status %r' % running)
    size = d.js('return [window.innerWidth, window.innerHeight];')
    check('the page is the screen', 'screen %d %d' % tuple(size) in log, 'page %s, log %s' % (size, log[:1]))

    for face, points, height, ascent, average, extent in FONT_CASES:
        lines = [l for l in log if l.startswith('font %s %d ' % (face, points))]
        got = lines[0].split()[-4:] if lines else []
        want = [str(height), str(ascent), str(average or (got[2:3] or ['?'])[0]), str(extent)]
        check('%s %d: height, ascent, average width, extent of "plane-wave x"' % (face, points),
              got == want, 'want %s, got %s' % (want, got))

    # Frames and z-order: each element sits its frame's sides around the
    # client origin; the owned text window stays above its owner.
    for name, wid, client, frame in (('WebGL', 1, GL_CLIENT, GL_FRAME), ('text', 2, TEXT_CLIENT, TEXT_FRAME)):
        got = d.js('var r = document.querySelector(".qv-window[data-qv-id=\'%d\']").getBoundingClientRect();'
                   'var c = document.getElementById("qvc-%d").getBoundingClientRect();'
                   'return [r.left, r.top, c.left, c.top, c.width, c.height, r.right - c.right, r.bottom - c.bottom];'
                   % (wid, wid))
        want = [client[0] - frame[1], client[1] - frame[0], client[0], client[1], client[2], client[3],
                frame[3], frame[2]]
        check('%s window: frame around the client area' % name, got == want, 'want %s, got %s' % (want, got))

    shot = d.screenshot()
    gl = shot[2][GL_CLIENT[1] + 100][GL_CLIENT[0] + 100]
    check('the WebGL window shows its clear colour', near(gl, (0, 128, 0)), 'pixel %s' % (gl,))
    # "plane-wave x" at (10, 10): dark pixels over its 73 pixels, none past them.
    x0, y0 = page_point(TEXT_CLIENT, 10, 10)
    cols = dark_columns(shot, x0, y0, x0 + 120, y0 + 14)
    check('text drawn glyph by glyph over its extent', cols and cols[0] <= x0 + 1 and x0 + 66 <= cols[-1] < x0 + 73,
          'dark columns %s' % ((cols[0] - x0, cols[-1] - x0) if cols else None,))
    cx, cy = page_point(TEXT_CLIENT, 10, 70)
    clipped = dark_columns(shot, cx, cy, cx + 60, cy + 14)
    check('text clipped at the clip rectangle', clipped and clipped[-1] < TEXT_CLIENT[0] + 30,
          'dark columns up to %s' % ((clipped[-1] - TEXT_CLIENT[0]) if clipped else None,))

    # Input, each as a person would do it, with the events the program takes.
    gx, gy = page_point(GL_CLIENT, 10, 20)
    act_and_expect(d, 'a click on the owned window activates it', lambda: d.pointer(
        [('move',) + page_point(TEXT_CLIENT, 100, 50), ('down',), ('up',)]),
        ['5 1 0 0 0 0 0', '4 2 0 0 0 0 0', '2 2 0 1 1 100 50', '2 2 0 0 0 100 50'])
    act_and_expect(d, 'a click on the owner: focus, then the press and release in client pixels', lambda: d.pointer(
        [('move', gx, gy), ('down',), ('up',)]),
        ['5 2 0 0 0 0 0', '4 1 0 0 0 0 0', '2 1 0 1 1 10 20', '2 1 0 0 0 10 20'])
    z = d.js('return [1, 2].map(function(i) { return +document.querySelector('
             '".qv-window[data-qv-id=\'" + i + "\']").style.zIndex; });')
    check('the owned window stays above its activated owner', z[1] > z[0], 'z-indices %s' % z)
    # The press away from the last click starts afresh; the next is the double.
    act_and_expect(d, 'a second press soon after, near enough, is a double click', lambda: d.pointer(
        [('move', gx + 20, gy), ('down',), ('up',), ('move', gx, gy), ('down',), ('up',), ('down',), ('up',)]),
        ['2 1 0 1 1 30 20', '2 1 0 1 1 10 20', '2 1 0 1 2 10 20'])
    act_and_expect(d, 'a right drag out of the window keeps coming until the release', lambda: d.pointer(
        [('move', gx, gy), ('down',), ('move', 700, 600), ('up',)], button=2),
        ['2 1 1 1 1 10 20', '1 1 660 540 0 0 0', '2 1 1 0 0 660 540'])
    tx, ty = TEXT_CLIENT[0] + 40, TEXT_CLIENT[1] - 10
    act_and_expect(d, 'dragging the caption moves the window', lambda: d.pointer(
        [('move', tx, ty), ('down',), ('move', tx + 50, ty + 30), ('up',)]),
        ['7 2 470 90 0 0 0'])
    moved = d.js('return document.querySelector(".qv-window[data-qv-id=\'2\']").getBoundingClientRect().left;')
    check('the moved window is where the event says', moved == 470 - TEXT_FRAME[1], 'left %s' % moved)
    act_and_expect(d, 'keys: virtual key, scan code, extended bit', lambda: d.keys('a', '\ue012'),
                   ['3 2 65 30 0 1 0', '3 2 65 30 0 0 0', '3 2 37 75 1 1 0', '3 2 37 75 1 0 0'])

    # The page losing the keyboard with a key down: its release is made up
    # before the focus loss. The window takes the focus back for what follows.
    act_and_expect(d, 'a key held when the page loses the keyboard comes up', lambda: (
        d.s('POST', '/actions', {'actions': [{'type': 'key', 'id': 'kb', 'actions': [{'type': 'keyDown', 'value': 'a'}]}]}),
        d.js('window.dispatchEvent(new Event("blur"));'), d.s('DELETE', '/actions'),
        d.pointer([('move', tx + 50, ty + 30), ('down',), ('up',)])),
        ['3 2 65 30 0 1 0', '3 2 65 30 0 0 0', '5 2 0 0 0 0 0', '4 2 0 0 0 0 0'])

    # The message box: a button's index, -1 for Escape (its close box).
    box = lambda: d.js('return Array.from(document.querySelectorAll(".qv-button")).map(b => b.textContent);')
    for name, answer, expected in (('Cancel', lambda: d.js('document.querySelectorAll(".qv-button")[1].click();'),
                                    'box 1'), ('Escape', lambda: d.keys('\ue00c'), 'box -1')):
        def ask_and_answer():
            d.keys('m')
            wait_for(d, lambda: box() == ['OK', 'Cancel'], 'the message box shows its buttons', 5)
            answer()
        act_and_expect(d, 'message box answered with ' + name, ask_and_answer, [expected])

    # Hiding the window with the focus hands it to the owner, and keys follow.
    act_and_expect(d, 'a hidden window hands the focus to its owner', lambda: d.keys('h'),
                   ['5 2 0 0 0 0 0', '4 1 0 0 0 0 0'])
    act_and_expect(d, 'keys go to the owner then', lambda: d.keys('s'), ['3 1 83 31 0 1 0'])

    # A key reaches the program, which draws with it.
    act_and_expect(d, 'R makes the WebGL window red', lambda: (d.pointer([('move', gx, gy), ('down',), ('up',)]),
                                                               d.keys('r')), ['3 1 82 19 0 1 0'])
    wait_frames(d)
    gl = d.screenshot()[2][GL_CLIENT[1] + 100][GL_CLIENT[0] + 100]
    check('the program drew with the key it took', near(gl, (255, 0, 0)), 'pixel %s' % (gl,))

    # The WebGL window's sizing frame: its bottom-right corner, then its left
    # edge past the smallest width (112 outer pixels, as on Windows).
    right, bottom = GL_CLIENT[0] + GL_CLIENT[2] + 2, GL_CLIENT[1] + GL_CLIENT[3] + 2
    act_and_expect(d, 'dragging the sizing frame\'s corner sizes the window', lambda: d.pointer(
        [('move', right, bottom), ('down',), ('move', right + 30, bottom + 20), ('up',)]),
        ['8 1 350 220 0 0 0'])
    left = GL_CLIENT[0] - 2
    act_and_expect(d, 'the left edge moves the origin, down to the smallest width', lambda: d.pointer(
        [('move', left, 150), ('down',), ('move', left + 500, 150), ('up',)]),
        ['7 1 286 60 0 0 0', '8 1 104 220 0 0 0'])

    # The close box ends the program; the page says how.
    close = (286 + 104 - 10, GL_CLIENT[1] - 12)
    d.pointer([('move',) + close, ('down',), ('up',)])
    status = lambda: d.js('var e = document.getElementById("status"); return e ? e.textContent : "";')
    if wait_for(d, lambda: status() == 'quelvaro ended with status 3', 'the close box ends the program', 5):
        check('the close box ends the program with its status on the page', True)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build-web-smoke')
    subprocess.check_call([os.path.join(HERE, 'build_smoke.sh'), build])
    run(build)
    print('%d passed, %d failed' % (results['passed'], results['failed']))
    return 1 if results['failed'] or not results['passed'] else 0


if __name__ == '__main__':
    sys.exit(main())

"""webdriver.py: headless chromium driven over W3C WebDriver, for the
browser tests and benchmarks.

Browser(folder) serves the folder with python's http.server on a free port,
starts chromedriver on another and opens a session of headless chromium with
software WebGL (SwiftShader through ANGLE), a 1280 x 1024 window (whose page
is 1280 x 881 until set_viewport says otherwise) and a profile of its own.
Used as a context manager it always ends all three, with every process they
started, and removes the profile, whether the test passed, failed or ran out
of time; a guard process does it when the test itself is killed.

Implemented: opening pages, running JavaScript (and waiting until an
expression holds), elements found by CSS selector with their text and
rectangle, pointer actions (move, press, release with button 0 or 2, clicks
and drags) in page coordinates or from an element's centre, keys (typed into
an element, or pressed on the page as a keyboard does), screenshots of the
page or of an element (PNG), the page's size, the browser's processes (for
CPU figures), extra browser flags (a start without WebGL). For our program's
pages (tools/web/quelvaro.html): the lines it printed, its SwapBuffers
(data-swaps) and waiting for new ones, its end line.
QUELVARO_CHROMIUM names another browser binary.
Left out: frames and windows other than the first, cookies, alerts, touch.

Only chromium's own packages are used: nothing is downloaded, and the
browser is asked not to reach the network beyond the local server.
"""

import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

CHROMIUM = os.environ.get("QUELVARO_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = "/usr/bin/chromedriver"
# Headless with software WebGL; the rest keeps the browser off the network
# and quiet (no first-run pages, no component downloads).
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
    "--enable-unsafe-swiftshader", "--window-size=1280,1024",
    "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--disable-default-apps",
    "--disable-extensions", "--disable-features=Translate,MediaRouter,OptimizationHints",
]
# The key of an element reference in W3C WebDriver's JSON.
ELEMENT_KEY = "element-6066-11e4-a52e-4f735466cecf"
LEFT, RIGHT = 0, 2


class BrowserError(Exception):
    """A failure of the browser, the driver or the server, with what they said."""


class CannotStart(BrowserError):
    """Chromium or chromedriver is missing or cannot start here."""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def descendants(pid):
    """Every process below pid, children first found, from /proc."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                parent = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            continue
        children.setdefault(parent, []).append(int(entry))
    found, queue = [], [pid]
    while queue:
        for child in children.get(queue.pop(), []):
            found.append(child)
            queue.append(child)
    return found


def end_groups(groups, grace=3.0):
    """SIGTERM to each process group, then SIGKILL to those still there after
    grace seconds."""
    def alive(group):
        try:
            os.killpg(group, 0)
            return True
        except (ProcessLookupError, PermissionError):
            return False

    for sig in (signal.SIGTERM, signal.SIGKILL):
        for group in groups:
            try:
                os.killpg(group, sig)
            except (ProcessLookupError, PermissionError):
                pass
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline and any(alive(g) for g in groups):
            time.sleep(0.05)


# The guard: a process of its own that ends the server's and the driver's
# process groups (the browser is in the driver's) when the test goes without
# saying "done" first, killed or timed out by ctest included: it waits on a
# pipe whose other end only the test holds.
GUARD = """
import os, signal, sys, time
said = sys.stdin.read()
if said != "done":
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for group in map(int, sys.argv[1:]):
            try:
                os.killpg(group, sig)
            except OSError:
                pass
        time.sleep(2)
"""


class Browser:
    def __init__(self, folder, width=1280, height=1024, timeout=60.0, flags=()):
        self.folder = os.path.abspath(folder)
        self.timeout = timeout
        self.flags = [f if not f.startswith("--window-size=") else f"--window-size={width},{height}"
                      for f in CHROMIUM_FLAGS] + list(flags)
        self.server = self.driver = self.guard = self.session = None
        self.profile = None

    # ---- Starting and ending ------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def start(self):
        for program in (CHROMIUM, CHROMEDRIVER):
            if not os.access(program, os.X_OK):
                raise CannotStart(f"no {program} (tools/install-deps.sh installs it)")
        self.server_port = free_port()
        self.server = subprocess.Popen(
            ["python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory", self.folder,
             str(self.server_port)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        self.driver_port = free_port()
        self.driver_log = tempfile.TemporaryFile()
        self.driver = subprocess.Popen(
            [CHROMEDRIVER, f"--port={self.driver_port}"], stdout=self.driver_log,
            stderr=subprocess.STDOUT, start_new_session=True)
        self.guard = subprocess.Popen([sys.executable, "-c", GUARD, str(self.server.pid), str(self.driver.pid)],
                                      stdin=subprocess.PIPE, start_new_session=True)
        self.profile = tempfile.mkdtemp(prefix="quelvaro-chromium-")
        self._wait_until_ready()
        capabilities = {"capabilities": {"alwaysMatch": {
            "browserName": "chrome",
            "goog:chromeOptions": {"binary": CHROMIUM,
                                   "args": self.flags + [f"--user-data-dir={self.profile}"]},
        }}}
        try:
            reply = self._call("POST", "/session", capabilities)
        except BrowserError as e:
            raise CannotStart(f"chromium does not start: {e}") from None
        self.session = reply["sessionId"]

    def _wait_until_ready(self):
        deadline = time.monotonic() + 20.0
        while time.monotonic() < deadline:
            if self.driver.poll() is not None:
                raise CannotStart(f"chromedriver ended at once: {self.driver_output()}")
            try:
                if self._call("GET", "/status", timeout=2.0).get("ready"):
                    break
            except (BrowserError, OSError):
                pass
            time.sleep(0.1)
        else:
            raise CannotStart("chromedriver did not answer within 20 s")
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.server_port), timeout=1.0).close()
                return
            except OSError:
                time.sleep(0.1)
        raise BrowserError("the page server did not start")

    def driver_output(self):
        self.driver_log.seek(0)
        return self.driver_log.read().decode(errors="replace")[-2000:]

    def close(self):
        """Ends the session, then the browser with the driver, and the server."""
        if self.session:
            try:
                self._call("DELETE", f"/session/{self.session}", timeout=10.0)
            except (BrowserError, OSError):
                pass
            self.session = None
        # Each was started as the leader of a process group of its own.
        end_groups([p.pid for p in (self.driver, self.server) if p])
        for process in (self.driver, self.server):
            if process:
                process.wait()
        self.driver = self.server = None
        if self.guard:
            self.guard.communicate(b"done")
            self.guard = None
        if self.profile:
            shutil.rmtree(self.profile, ignore_errors=True)
            self.profile = None

    # ---- The protocol -----------------------------------------------------------

    def _call(self, method, path, body=None, timeout=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(f"http://127.0.0.1:{self.driver_port}{path}", data=data,
                                         method=method, headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=timeout or self.timeout) as reply:
                return json.loads(reply.read())["value"]
        except urllib.error.HTTPError as e:
            value = json.loads(e.read() or b"{}").get("value", {})
            raise BrowserError(f"{method} {path}: {value.get('error')}: "
                               f"{str(value.get('message', ''))[:500]}") from None

    def _session(self, method, path, body=None, timeout=None):
        return self._call(method, f"/session/{self.session}{path}", body, timeout)

    # ---- Pages and scripts --------------------------------------------------------

    def url(self, page):
        return f"http://127.0.0.1:{self.server_port}/{page.lstrip('/')}"

    def open(self, page):
        """Loads a page of the served folder ("render_frame.html?case=fog"),
        or about:blank."""
        self._session("POST", "/url", {"url": page if page == "about:blank" else self.url(page)})

    def run(self, script, *args):
        """Runs a function body in the page; its return value comes back."""
        return self._session("POST", "/execute/sync", {"script": script, "args": list(args)})

    def wait_for(self, expression, timeout=30.0, interval=0.05, defined=False):
        """Polls a JavaScript expression until it is truthy, or with defined
        until it is neither undefined nor null (an exit status of 0); returns
        its value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.run(f"var v = ({expression}); return v === undefined ? null : v;")
            if (value is not None) if defined else value:
                return value
            if time.monotonic() > deadline:
                raise BrowserError(f"still {'undefined' if defined else 'false'} after {timeout} s: {expression}")
            time.sleep(interval)

    def set_viewport(self, width, height):
        """Resizes the window so that the page itself is width x height (the
        window size given at the start includes the browser's frame)."""
        outer = self.run("return [window.outerWidth - window.innerWidth, window.outerHeight - window.innerHeight];")
        self._session("POST", "/window/rect", {"width": width + outer[0], "height": height + outer[1]})
        return self.run("return [window.innerWidth, window.innerHeight];")

    # ---- Elements -----------------------------------------------------------------

    def find(self, selector):
        """The element a CSS selector finds first (an element reference)."""
        return self._session("POST", "/element", {"using": "css selector", "value": selector})

    def find_all(self, selector):
        return self._session("POST", "/elements", {"using": "css selector", "value": selector})

    def text(self, element):
        return self._session("GET", f"/element/{element[ELEMENT_KEY]}/text")

    def rect(self, element):
        """x, y, width and height of the element in the page, in CSS pixels."""
        return self._session("GET", f"/element/{element[ELEMENT_KEY]}/rect")

    # ---- Pointer and keys ---------------------------------------------------------

    def pointer(self, *steps):
        """Performs pointer steps as one action sequence, then releases what is
        still held. Steps: ("move", x, y), ("move", x, y, element) with x, y
        from the element's centre, ("down", button), ("up", button),
        ("pause", ms)."""
        actions = []
        for step in steps:
            kind = step[0]
            if kind == "move":
                origin = step[3] if len(step) > 3 else "viewport"
                actions.append({"type": "pointerMove", "duration": 0, "origin": origin,
                                "x": int(step[1]), "y": int(step[2])})
            elif kind in ("down", "up"):
                actions.append({"type": f"pointer{kind.capitalize()}", "button": step[1]})
            elif kind == "pause":
                actions.append({"type": "pause", "duration": int(step[1])})
            else:
                raise ValueError(f"unknown pointer step {kind}")
        sequence = {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                    "actions": actions}
        self._session("POST", "/actions", {"actions": [sequence]})

    def release(self):
        """Lets go of every button and key still held."""
        self._session("DELETE", "/actions")

    def click(self, x, y, button=LEFT, element="viewport"):
        self.pointer(("move", x, y, element), ("down", button), ("up", button))

    def drag(self, start, end, button=LEFT, steps=8):
        """Presses at start, moves to end in steps, releases there."""
        moves = [("move", start[0] + (end[0] - start[0]) * i / steps,
                  start[1] + (end[1] - start[1]) * i / steps) for i in range(1, steps + 1)]
        self.pointer(("move", *start), ("down", button), *moves, ("up", button))

    def keys(self, text, element=None):
        """Types text into the element, or into the page's focused element."""
        target = element or self._session("GET", "/element/active")
        self._session("POST", f"/element/{target[ELEMENT_KEY]}/value", {"text": text})

    def press(self, *keys, release=True):
        """Presses each key on the page and lets it go, as a keyboard does
        ("a", or WebDriver's codes: "\ue012" is the left arrow); with
        release=False each stays down."""
        actions = []
        for key in keys:
            actions.append({"type": "keyDown", "value": key})
            if release:
                actions.append({"type": "keyUp", "value": key})
        self._session("POST", "/actions", {"actions": [{"type": "key", "id": "keyboard", "actions": actions}]})

    # ---- Pictures ------------------------------------------------------------------

    def screenshot(self, element=None):
        """A PNG of the viewport, or of one element."""
        path = f"/element/{element[ELEMENT_KEY]}/screenshot" if element else "/screenshot"
        return base64.b64decode(self._session("GET", path))

    # ---- Our program's page (tools/web/quelvaro.html) ------------------------------

    def log(self):
        """Every line the program printed so far."""
        return self.run("return window.quelvaroLog || [];")

    def swaps(self):
        """How many times the program has called SwapBuffers (data-swaps)."""
        return int(self.run("return document.body.dataset.swaps || '0';"))

    def wait_swaps(self, count, timeout=30.0):
        """Waits until the program has swapped count more times: the proof
        that it went on, for a check that something did not happen."""
        start = self.swaps()
        self.wait_for(f"+(document.body.dataset.swaps || 0) >= {start + count}", timeout)

    def end_line(self):
        """The page's "quelvaro ended with status N", "" while it runs."""
        return self.run("var e = document.getElementById('status'); return e ? e.textContent : '';")

    # ---- Processes -----------------------------------------------------------------

    def processes(self):
        """The browser's processes now (renderers come and go with pages)."""
        return descendants(self.driver.pid) if self.driver else []


def run_test(tree, page, body):
    """A browser test's status: body()'s when it runs, 1 when the web tree has
    no such page (it must be built) or the browser fails, 77 (skipped) when
    chromium cannot start here."""
    if not os.path.exists(os.path.join(tree, page)):
        print(f"no {tree}/{page}: build the web tree first (tools/build-web.sh)")
        return 1
    try:
        return body()
    except CannotStart as e:
        print(f"skipped: {e}")
        return 77
    except BrowserError as e:
        print(f"the browser failed: {e}")
        return 1

// web_dom.js: the page side of the layer's browser backend (an emscripten JS
// library, linked with --js-library platform/web/web_dom.js).
//
// The page is the screen. Each top-level window is an absolutely positioned
// div with a frame and a caption drawn in the classic Windows 2000 look, and
// a canvas as its client area (WebGL for an OpenGL window, 2-D for the
// others, which show the pixels the layer draws). Everything the person does
// is turned into small records queued here; the program takes them from its
// own loop (qvweb_next_event). No callback ever calls into the program.
//
// Implemented: windows (create, show, hide, minimise, title, place, client
//   size, owner and z-order, activation by click, moving by the caption,
//   sizing by a sizing frame's edges, the close box, the class icon),
//   pointer input with capture and double clicks, keys (KeyboardEvent.code
//   to virtual key, scan code and extended bit, repeat, modifiers), fonts
//   measured and drawn with Canvas 2D, the screen size, waiting for an event
//   or the next animation frame (Module.qvWeb, used by web_dom.cpp's
//   EM_ASYNC_JS), a message box, and the line that says how the program ended.
// Left out: the minimise and maximise boxes, the window menu, a taskbar (a
//   minimised window is only hidden), the program's cursors, the mouse wheel,
//   text input methods (characters come from the keys).

mergeInto(LibraryManager.library, {
  // The program's exit() (ExitProcess, a failed start) ends it too: the page
  // says so as when WinMain returns. A build that keeps the runtime alive
  // (the default) never calls onExit: the page's Module.quit
  // (tools/web/quelvaro.html) calls Module.qvEnded instead. Both also hear main() giving way at its first
  // wait (its stack is kept, to go on later): that is no end.
  $QvWeb__postset: 'Module["qvWeb"] = QvWeb; Module["qvEnded"] = QvWeb.ended; (function(before) { ' +
                   'Module["onExit"] = function(status) { QvWeb.ended(status); if (before) before(status); }; ' +
                   '})(Module["onExit"]);',
  $QvWeb__deps: ['qvweb_ended'],
  $QvWeb: {
    // ---- Event kinds: the same numbers as QvWebEventKind in web_dom.h ----
    EVENT_MOTION: 1,        // window, x, y
    EVENT_BUTTON: 2,        // window, button (0 left, 1 right, 2 middle), down, clicks, x, y
    EVENT_KEY: 3,           // window, vk, scan, extended, down, repeat
    EVENT_FOCUS_GAINED: 4,  // window
    EVENT_FOCUS_LOST: 5,    // window
    EVENT_CLOSE: 6,         // window
    EVENT_MOVED: 7,         // window, client x, client y on the page
    EVENT_RESIZED: 8,       // window, client width, client height
    EVENT_MAXIMIZED: 9,     // window (the backend's own)
    EVENT_RESTORED: 10,     // window (the backend's own)

    // ---- The classic look's metrics (Windows 2000, 96 dpi) ----
    CAPTION: 19,   // SM_CYCAPTION: 18 pixels of caption and the line below it
    BORDER: [0, 1, 3, 4],  // by frame kind: none, WS_BORDER, dialog frame, sizing frame
    DOUBLE_CLICK_MS: 500,  // GetDoubleClickTime
    DOUBLE_CLICK_PX: 4,    // SM_CXDOUBLECLK, SM_CYDOUBLECLK
    MIN_TRACK: [112, 27],  // SM_CXMINTRACK, SM_CYMINTRACK: the smallest outer size
    CORNER: 16,            // how far along an edge its corner's grip reaches

    queue: [],       // events not yet taken by the program
    wake: null,      // resolves the program's wait, when it waits
    windows: {},     // id -> window record
    stack: [],       // window ids, bottom to top
    active: 0,       // the window with the keyboard focus, 0 for none
    under: 0,        // the window the pointer is over, 0 for none
    buttons: 0,      // PointerEvent.buttons as last seen
    modifiers: 0,    // QV_MOD_* bits as last seen
    lastClick: null, // {button, time, x, y, window, clicks} for double clicks
    fonts: [null],   // font id -> {css, ascent, height, advances}
    textCanvas: null,
    box: null,       // the message box up, if any
    held: {},        // KeyboardEvent.code -> [window, key] of the keys down
    screen: null,    // [width, height], taken once

    // Queues one event and wakes the program if it waits. A pointer motion
    // or a move replaces one of the same kind for the same window still
    // queued at the end, as Windows coalesces WM_MOUSEMOVE.
    post: function(record) {
      var q = QvWeb.queue, last = q[q.length - 1];
      var coalesce = record[0] === QvWeb.EVENT_MOTION || record[0] === QvWeb.EVENT_MOVED ||
                     record[0] === QvWeb.EVENT_RESIZED;
      if (coalesce && last && last[0] === record[0] && last[1] === record[1]) q[q.length - 1] = record;
      else q.push(record);
      if (QvWeb.wake) { var w = QvWeb.wake; QvWeb.wake = null; w(); }
    },

    // Resolves once an event is queued or timeoutMs have passed (never for
    // a negative timeout); at once when one is queued already.
    waitEvent: function(timeoutMs) {
      if (QvWeb.queue.length) return Promise.resolve();
      return new Promise(function(resolve) {
        var timer = timeoutMs >= 0 ? setTimeout(function() { QvWeb.wake = null; resolve(); }, timeoutMs) : 0;
        QvWeb.wake = function() { clearTimeout(timer); resolve(); };
      });
    },

    // Resolves at the next animation frame, or after FRAME_LIMIT_MS where
    // the page draws no frames (a hidden tab), so the program goes on.
    FRAME_LIMIT_MS: 250,
    waitFrame: function() {
      return new Promise(function(resolve) {
        var timer = setTimeout(resolve, QvWeb.FRAME_LIMIT_MS);
        requestAnimationFrame(function() { clearTimeout(timer); resolve(); });
      });
    },

    // The page's style sheet for windows, added once.
    addStyle: function() {
      if (document.getElementById('qv-style')) return;
      var face = '#D4D0C8', light = '#FFFFFF', shadow = '#808080', dark = '#404040';
      // A raised 3-D edge: light outside top-left, dark outside bottom-right.
      var raised = 'inset -1px -1px ' + dark + ', inset 1px 1px ' + face + ', inset -2px -2px ' + shadow +
                   ', inset 2px 2px ' + light;
      var css =
        '.qv-window{position:absolute;box-sizing:border-box;background:' + face + ';display:none;' +
        'box-shadow:' + raised + '}' +
        '.qv-window.qv-thin{box-shadow:none;border:1px solid #000}' +
        '.qv-caption{position:relative;height:18px;margin-bottom:1px;box-sizing:border-box;padding:0 0 0 2px;' +
        'background:linear-gradient(to right,#0A246A,#A6CAF0);color:#FFF;overflow:hidden;white-space:pre;' +
        'font:bold 11px Tahoma,Arial,"Liberation Sans",sans-serif;line-height:18px;user-select:none;cursor:default}' +
        '.qv-inactive .qv-caption{background:linear-gradient(to right,#808080,#C0C0C0);color:' + face + '}' +
        '.qv-icon{vertical-align:top;margin:1px 2px 0 0}' +
        '.qv-close{position:absolute;right:2px;top:2px;width:16px;height:14px;box-sizing:border-box;background:' +
        face + ';box-shadow:' + raised + '}' +
        '.qv-close.qv-pressed{box-shadow:inset 1px 1px ' + dark + ',inset -1px -1px ' + light + ',inset 2px 2px ' +
        shadow + ',inset -2px -2px ' + face + '}' +
        '.qv-close svg{display:block;margin:3px 0 0 4px}' +
        '.qv-close.qv-pressed svg{margin:4px 0 0 5px}' +
        '.qv-client{display:block;touch-action:none;outline:none}' +
        '.qv-box-text{font:11px Tahoma,Arial,"Liberation Sans",sans-serif;padding:12px 16px;white-space:pre-wrap}' +
        '.qv-box-buttons{text-align:center;padding:0 8px 8px}' +
        '.qv-button{width:75px;height:23px;margin:0 3px;border:none;background:' + face + ';box-shadow:' + raised +
        ';font:11px Tahoma,Arial,"Liberation Sans",sans-serif;padding:0}' +
        '.qv-button:active{box-shadow:inset 1px 1px #000,inset -1px -1px #000,inset 2px 2px ' + shadow + '}' +
        '.qv-button:focus{outline:1px dotted #000;outline-offset:-4px}';
      var style = document.createElement('style');
      style.id = 'qv-style';
      style.textContent = css;
      document.head.appendChild(style);
    },

    // The frame's sides [top, left, bottom, right] of a window of this kind.
    frameSides: function(kind, caption) {
      var b = QvWeb.BORDER[kind] || 0;
      return [b + (caption ? QvWeb.CAPTION : 0), b, b, b];
    },

    // The close box: an [x] button that closes on release over it.
    makeCloseBox: function(win) {
      var box = document.createElement('div');
      box.className = 'qv-close';
      // The cross of the classic close glyph, 8 x 7 pixels.
      box.innerHTML = '<svg width="8" height="7" shape-rendering="crispEdges">' +
        '<path d="M0 0h2v1h-2zM6 0h2v1h-2zM1 1h2v1h-2zM5 1h2v1h-2zM2 2h4v1h-4zM3 3h2v1h-2zM2 4h4v1h-4z' +
        'M1 5h2v1h-2zM5 5h2v1h-2zM0 6h2v1h-2zM6 6h2v1h-2z" fill="#000"/></svg>';
      box.addEventListener('pointerdown', function(e) {
        if (e.button !== 0) return;
        e.stopPropagation();
        box.setPointerCapture(e.pointerId);
        box.classList.add('qv-pressed');
      });
      box.addEventListener('pointerup', function(e) {
        if (!box.classList.contains('qv-pressed')) return;
        box.classList.remove('qv-pressed');
        var r = box.getBoundingClientRect();
        if (e.clientX < r.left || e.clientX >= r.right || e.clientY < r.top || e.clientY >= r.bottom) return;
        if (win.onClose) win.onClose();
        else QvWeb.post([QvWeb.EVENT_CLOSE, win.id, 0, 0, 0, 0, 0, 0]);
      });
      return box;
    },

    // Dragging the caption moves the window; each new place is queued.
    makeCaption: function(win, title, closable) {
      var caption = document.createElement('div');
      caption.className = 'qv-caption';
      // The small icon's place, at the caption's left, empty until one is set.
      win.icon = document.createElement('canvas');
      win.icon.width = win.icon.height = 16;
      win.icon.className = 'qv-icon';
      win.icon.style.display = 'none';
      caption.appendChild(win.icon);
      var text = document.createElement('span');
      text.textContent = title;
      caption.appendChild(text);
      win.closeBox = QvWeb.makeCloseBox(win);
      win.closeBox.style.display = closable ? '' : 'none';
      caption.appendChild(win.closeBox);
      var grab = null;
      caption.addEventListener('pointerdown', function(e) {
        if (e.button !== 0) return;
        caption.setPointerCapture(e.pointerId);
        grab = [e.clientX - win.x, e.clientY - win.y];
      });
      caption.addEventListener('pointermove', function(e) {
        if (!grab) return;
        QvWeb.place(win, Math.round(e.clientX - grab[0]), Math.round(e.clientY - grab[1]));
        QvWeb.post([QvWeb.EVENT_MOVED, win.id, win.x, win.y, 0, 0, 0, 0]);
      });
      caption.addEventListener('pointerup', function() { grab = null; });
      caption.addEventListener('lostpointercapture', function() { grab = null; });
      win.title = text;
      return caption;
    },

    // The edges a point on a sizing frame grabs: [left, top, right, bottom],
    // each 0 or 1; near a corner, both of its edges.
    edgesAt: function(win, x, y) {
      var r = win.div.getBoundingClientRect(), f = win.frame[1], c = QvWeb.CORNER;
      var left = x < r.left + f, right = x >= r.right - f, top = y < r.top + f, bottom = y >= r.bottom - f;
      if (left || right) { top = top || y < r.top + c; bottom = bottom || y >= r.bottom - c; }
      if (top || bottom) { left = left || x < r.left + c; right = right || x >= r.right - c; }
      return [left ? 1 : 0, top ? 1 : 0, right ? 1 : 0, bottom ? 1 : 0];
    },

    // Dragging a sizing frame's edges sizes the window; each new size and
    // place is queued.
    makeSizable: function(win) {
      var cursors = {'1000': 'ew', '0010': 'ew', '0100': 'ns', '0001': 'ns', '1100': 'nwse', '0011': 'nwse',
                     '0110': 'nesw', '1001': 'nesw'};
      var grab = null;
      win.div.addEventListener('pointermove', function(e) {
        if (grab) return QvWeb.sizeTo(win, grab, e);
        var cursor = e.target === win.div ? cursors[QvWeb.edgesAt(win, e.clientX, e.clientY).join('')] : null;
        win.div.style.cursor = cursor ? cursor + '-resize' : '';
      });
      win.div.addEventListener('pointerdown', function(e) {
        if (e.target !== win.div || e.button !== 0) return;
        win.div.setPointerCapture(e.pointerId);
        grab = {edges: QvWeb.edgesAt(win, e.clientX, e.clientY), x: e.clientX, y: e.clientY,
                rect: [win.x, win.y, win.canvas.width, win.canvas.height]};
      });
      win.div.addEventListener('pointerup', function() { grab = null; });
      win.div.addEventListener('lostpointercapture', function() { grab = null; });
    },

    // The client rectangle a sizing drag gives, no smaller than Windows'
    // smallest window.
    sizeTo: function(win, grab, e) {
      var dx = Math.round(e.clientX - grab.x), dy = Math.round(e.clientY - grab.y), g = grab.edges;
      var f = win.frame, r = grab.rect;
      var minW = Math.max(1, QvWeb.MIN_TRACK[0] - f[1] - f[3]), minH = Math.max(1, QvWeb.MIN_TRACK[1] - f[0] - f[2]);
      var w = Math.max(minW, r[2] + (g[2] ? dx : 0) - (g[0] ? dx : 0));
      var h = Math.max(minH, r[3] + (g[3] ? dy : 0) - (g[1] ? dy : 0));
      var x = g[0] ? r[0] + r[2] - w : r[0], y = g[1] ? r[1] + r[3] - h : r[1];
      if (x !== win.x || y !== win.y) {
        QvWeb.place(win, x, y);
        QvWeb.post([QvWeb.EVENT_MOVED, win.id, x, y, 0, 0, 0, 0]);
      }
      if (w !== win.canvas.width || h !== win.canvas.height) {
        QvWeb.resize(win, w, h);
        QvWeb.post([QvWeb.EVENT_RESIZED, win.id, w, h, 0, 0, 0, 0]);
      }
    },

    // Puts a window's client origin at (x, y) on the page.
    place: function(win, x, y) {
      win.x = x;
      win.y = y;
      win.div.style.left = (x - win.frame[1]) + 'px';
      win.div.style.top = (y - win.frame[0]) + 'px';
    },

    // Client coordinates of a pointer event, in whole pixels.
    clientPoint: function(win, e) {
      var r = win.canvas.getBoundingClientRect();
      return [Math.floor(e.clientX - r.left), Math.floor(e.clientY - r.top)];
    },

    // The count of clicks a press makes: 2 when the same button goes down
    // again soon enough and near enough on the same window, else 1.
    clickCount: function(win, button, p) {
      var now = performance.now(), last = QvWeb.lastClick;
      var again = last && last.window === win.id && last.button === button && last.clicks === 1 &&
                  now - last.time <= QvWeb.DOUBLE_CLICK_MS &&
                  Math.abs(p[0] - last.x) <= QvWeb.DOUBLE_CLICK_PX / 2 &&
                  Math.abs(p[1] - last.y) <= QvWeb.DOUBLE_CLICK_PX / 2;
      var clicks = again ? 2 : 1;
      QvWeb.lastClick = {window: win.id, button: button, time: now, x: p[0], y: p[1], clicks: clicks};
      return clicks;
    },

    // One pointer event on a client area: the motion, then every button
    // whose state changed (a second button pressed during a drag comes as a
    // pointermove, not a pointerdown).
    pointer: function(win, e) {
      var p = QvWeb.clientPoint(win, e);
      QvWeb.post([QvWeb.EVENT_MOTION, win.id, p[0], p[1], 0, 0, 0, 0]);
      var before = QvWeb.buttons, now = e.buttons;
      QvWeb.buttons = now;
      // PointerEvent.buttons bits: 1 left, 2 right, 4 middle.
      var bits = [1, 2, 4];
      for (var button = 0; button < 3; button++) {
        var bit = bits[button];
        if ((before & bit) === (now & bit)) continue;
        var down = (now & bit) !== 0;
        var clicks = down ? QvWeb.clickCount(win, button, p) : 0;
        QvWeb.post([QvWeb.EVENT_BUTTON, win.id, button, down ? 1 : 0, clicks, p[0], p[1], 0]);
      }
      if (now && e.type === 'pointerdown') win.canvas.setPointerCapture(e.pointerId);
    },

    // Gives a window the keyboard focus and raises it with its group.
    activate: function(id) {
      if (QvWeb.active === id) { QvWeb.raise(id); return; }
      var old = QvWeb.windows[QvWeb.active];
      if (old) {
        old.div.classList.add('qv-inactive');
        QvWeb.post([QvWeb.EVENT_FOCUS_LOST, old.id, 0, 0, 0, 0, 0, 0]);
      }
      QvWeb.active = id;
      var win = QvWeb.windows[id];
      if (!win) return;
      win.div.classList.remove('qv-inactive');
      QvWeb.raise(id);
      QvWeb.post([QvWeb.EVENT_FOCUS_GAINED, id, 0, 0, 0, 0, 0, 0]);
    },

    // Moves id and the windows it owns (theirs too) to the top, after its
    // owner's group: owned windows always stay above their owner.
    raise: function(id) {
      var win = QvWeb.windows[id];
      if (!win) return;
      if (win.owner && QvWeb.windows[win.owner]) QvWeb.raise(win.owner);
      var group = [id];
      for (var i = 0; i < group.length; i++)
        for (var k in QvWeb.windows) if (QvWeb.windows[k].owner === group[i]) group.push(+k);
      var rest = QvWeb.stack.filter(function(w) { return group.indexOf(w) < 0; });
      var moved = QvWeb.stack.filter(function(w) { return group.indexOf(w) >= 0; });
      // Within the group: id first, then what it owns, keeping their order.
      moved.sort(function(a, b) { return (a === id ? 0 : 1) - (b === id ? 0 : 1); });
      QvWeb.stack = rest.concat(moved);
      QvWeb.restack();
    },

    // A window that goes off the screen hands the keyboard focus on: to its
    // owner when that is on the screen, else to the top-most one that is.
    handOnFocus: function(win) {
      if (QvWeb.active !== win.id) return;
      var visible = function(w) { return w && w.shown && !w.minimized; };
      var next = visible(QvWeb.windows[win.owner]) ? win.owner : 0;
      for (var i = QvWeb.stack.length - 1; !next && i >= 0; i--)
        if (QvWeb.stack[i] !== win.id && visible(QvWeb.windows[QvWeb.stack[i]])) next = QvWeb.stack[i];
      if (next) { QvWeb.activate(next); return; }
      win.div.classList.add('qv-inactive');
      QvWeb.post([QvWeb.EVENT_FOCUS_LOST, win.id, 0, 0, 0, 0, 0, 0]);
      QvWeb.active = 0;
    },

    restack: function() {
      QvWeb.stack.forEach(function(w, i) { QvWeb.windows[w].div.style.zIndex = String(10 + i); });
    },

    // The window whose client area is under a page point, 0 for none (a
    // frame or caption is the window manager's, not the window's).
    windowAt: function(x, y) {
      var el = document.elementFromPoint(x, y);
      var div = el && el.classList.contains('qv-client') ? el.closest('.qv-window') : null;
      return div ? +div.dataset.qvId : 0;
    },

    // Keyboard codes to [virtual key, scan code, extended] as Windows numbers
    // them (set 1 scan codes; the extended bit is lParam's bit 24).
    keyTable: null,
    makeKeyTable: function() {
      var t = {};
      var letters = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ';
      var letterScans = [0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                         0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C];
      for (var i = 0; i < 26; i++) t['Key' + letters[i]] = [0x41 + i, letterScans[i], 0];
      for (var d = 1; d <= 9; d++) t['Digit' + d] = [0x30 + d, 0x01 + d, 0];
      t.Digit0 = [0x30, 0x0B, 0];
      for (var f = 1; f <= 10; f++) t['F' + f] = [0x6F + f, 0x3A + f, 0];
      t.F11 = [0x7A, 0x57, 0]; t.F12 = [0x7B, 0x58, 0];
      var numpad = [[0x52], [0x4F], [0x50], [0x51], [0x4B], [0x4C], [0x4D], [0x47], [0x48], [0x49]];
      for (var n = 0; n <= 9; n++) t['Numpad' + n] = [0x60 + n, numpad[n][0], 0];
      var plain = {
        Escape: [0x1B, 0x01], Minus: [0xBD, 0x0C], Equal: [0xBB, 0x0D], Backspace: [0x08, 0x0E],
        Tab: [0x09, 0x0F], BracketLeft: [0xDB, 0x1A], BracketRight: [0xDD, 0x1B], Enter: [0x0D, 0x1C],
        ControlLeft: [0x11, 0x1D], Semicolon: [0xBA, 0x27], Quote: [0xDE, 0x28], Backquote: [0xC0, 0x29],
        ShiftLeft: [0x10, 0x2A], Backslash: [0xDC, 0x2B], Comma: [0xBC, 0x33], Period: [0xBE, 0x34],
        Slash: [0xBF, 0x35], ShiftRight: [0x10, 0x36], NumpadMultiply: [0x6A, 0x37], AltLeft: [0x12, 0x38],
        Space: [0x20, 0x39], CapsLock: [0x14, 0x3A], ScrollLock: [0x91, 0x46], NumpadSubtract: [0x6D, 0x4A],
        NumpadAdd: [0x6B, 0x4E], NumpadDecimal: [0x6E, 0x53], IntlBackslash: [0xE2, 0x56], Pause: [0x13, 0x45]
      };
      var extended = {
        NumpadEnter: [0x0D, 0x1C], ControlRight: [0x11, 0x1D], NumpadDivide: [0x6F, 0x35],
        PrintScreen: [0x2C, 0x37], AltRight: [0x12, 0x38], NumLock: [0x90, 0x45], Home: [0x24, 0x47],
        ArrowUp: [0x26, 0x48], PageUp: [0x21, 0x49], ArrowLeft: [0x25, 0x4B], ArrowRight: [0x27, 0x4D],
        End: [0x23, 0x4F], ArrowDown: [0x28, 0x50], PageDown: [0x22, 0x51], Insert: [0x2D, 0x52],
        Delete: [0x2E, 0x53], MetaLeft: [0x5B, 0x5B], MetaRight: [0x5C, 0x5C], ContextMenu: [0x5D, 0x5D]
      };
      for (var p in plain) t[p] = [plain[p][0], plain[p][1], 0];
      for (var x in extended) t[x] = [extended[x][0], extended[x][1], 1];
      return t;
    },

    // [vk, scan, extended] of a key event; the legacy keyCode (which is the
    // virtual key for most keys) when the code is not in the table.
    keyOf: function(e) {
      if (!QvWeb.keyTable) QvWeb.keyTable = QvWeb.makeKeyTable();
      return QvWeb.keyTable[e.code] || [e.keyCode & 0xFF, 0, 0];
    },

    // QV_MOD_* bits (qv_backend.h): shift 1, ctrl 2, alt 4, caps 8, num 16.
    modifiersOf: function(e) {
      var m = (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
      if (e.getModifierState && e.getModifierState('CapsLock')) m |= 8;
      if (e.getModifierState && e.getModifierState('NumLock')) m |= 16;
      return m;
    },

    // A key went down or up: it goes to the active window. The page keeps
    // none of them (no scrolling on space, no browser menu on Alt or F10).
    key: function(e, down) {
      QvWeb.modifiers = QvWeb.modifiersOf(e);
      // A message box takes the keys as a page does (Tab, Return and space
      // on its buttons); Escape is its close box.
      if (QvWeb.box) {
        if (down && e.code === 'Escape') QvWeb.box.onClose();
        return;
      }
      if (!QvWeb.windows[QvWeb.active]) return;
      e.preventDefault();
      var k = QvWeb.keyOf(e);
      if (!k[0]) return;
      QvWeb.post([QvWeb.EVENT_KEY, QvWeb.active, k[0], k[1], k[2], down ? 1 : 0, down && e.repeat ? 1 : 0, 0]);
      if (down) QvWeb.held[e.code] = [QvWeb.active, k];
      else delete QvWeb.held[e.code];
    },

    // The page lost the keyboard (another program, another tab): its
    // releases will never come, so they are made up here, before the focus
    // loss, as a window system does.
    releaseHeldKeys: function() {
      for (var code in QvWeb.held) {
        var h = QvWeb.held[code], k = h[1];
        if (QvWeb.windows[h[0]]) QvWeb.post([QvWeb.EVENT_KEY, h[0], k[0], k[1], k[2], 0, 0, 0]);
      }
      QvWeb.held = {};
    },

    // Listeners on the page itself, added once.
    listening: false,
    listen: function() {
      if (QvWeb.listening) return;
      QvWeb.listening = true;
      QvWeb.addStyle();
      window.addEventListener('keydown', function(e) { QvWeb.key(e, true); }, true);
      window.addEventListener('keyup', function(e) { QvWeb.key(e, false); }, true);
      document.addEventListener('pointermove', function(e) {
        QvWeb.under = QvWeb.windowAt(e.clientX, e.clientY);
      }, true);
      // The page losing the focus releases every key and button, as
      // another program taking the focus does on Windows.
      window.addEventListener('blur', function() {
        QvWeb.releaseHeldKeys();
        var old = QvWeb.windows[QvWeb.active];
        if (old) QvWeb.post([QvWeb.EVENT_FOCUS_LOST, old.id, 0, 0, 0, 0, 0, 0]);
        if (old) old.div.classList.add('qv-inactive');
        QvWeb.active = 0;
      });
    },

    // A new window record with its element, not yet shown.
    create: function(id, gl, frameKind, caption, closable, title, width, height) {
      QvWeb.listen();
      var win = {id: id, gl: gl, owner: 0, x: 0, y: 0, shown: false, minimized: false,
                 frame: QvWeb.frameSides(frameKind, caption)};
      var div = document.createElement('div');
      div.className = 'qv-window qv-inactive' + (frameKind === 1 ? ' qv-thin' : '');
      div.dataset.qvId = String(id);
      div.style.padding = win.frame[2] + 'px';
      div.addEventListener('pointerdown', function() { QvWeb.activate(id); }, true);
      if (caption) div.appendChild(QvWeb.makeCaption(win, title, closable));
      var canvas = document.createElement('canvas');
      canvas.className = 'qv-client';
      canvas.id = 'qvc-' + id;
      canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      ['pointerdown', 'pointermove', 'pointerup', 'pointercancel'].forEach(function(type) {
        canvas.addEventListener(type, function(e) { e.preventDefault(); QvWeb.pointer(win, e); });
      });
      div.appendChild(canvas);
      win.div = div;
      win.canvas = canvas;
      if (frameKind === 3) QvWeb.makeSizable(win);
      QvWeb.windows[id] = win;
      QvWeb.stack.push(id);
      QvWeb.resize(win, width, height);
      document.body.appendChild(div);
      QvWeb.restack();
      return win;
    },

    // Sets the client area's size in pixels (at least 1 x 1).
    resize: function(win, width, height) {
      width = Math.max(1, width | 0);
      height = Math.max(1, height | 0);
      if (win.canvas.width !== width) win.canvas.width = width;
      if (win.canvas.height !== height) win.canvas.height = height;
      win.canvas.style.width = width + 'px';
      win.canvas.style.height = height + 'px';
      // The caption spans the client area.
      win.div.style.width = (width + win.frame[1] + win.frame[3]) + 'px';
    },

    // Shows the element when the window is shown and not minimised.
    updateDisplay: function(win) {
      win.div.style.display = win.shown && !win.minimized ? 'block' : 'none';
    },

    // A font's CSS, with the family its face stands for. The dialogs' faces
    // of Windows are not in a browser: MS Sans Serif, Microsoft Sans Serif,
    // Arial, Tahoma and the dialog aliases are drawn with Arial, which
    // Linux's fontconfig answers with the metric-compatible Liberation Sans.
    // Arial Black is Arial's heaviest weight (Liberation Sans Bold here).
    fontCss: function(face, px) {
      var f = face.toLowerCase();
      var sans = 'Arial, "Liberation Sans", sans-serif';
      var aliases = ['', 'ms sans serif', 'microsoft sans serif', 'arial', 'tahoma', 'ms shell dlg', 'ms shell dlg 2'];
      if (aliases.indexOf(f) >= 0) return px + 'px ' + sans;
      if (f === 'arial black') return '900 ' + px + 'px "Arial Black", ' + sans;
      return px + 'px "' + face.replace(/["\\]/g, '') + '", ' + sans;
    },

    // MessageBoxA's box: a dialog in the classic look over everything, its
    // text, and a row of buttons. Resolves to the index of the button
    // pressed, or -1 for the close box. Nothing else takes input meanwhile.
    messageBox: function(caption, text, labels) {
      QvWeb.listen();
      return new Promise(function(resolve) {
        var shield = document.createElement('div');
        shield.style.cssText = 'position:fixed;left:0;top:0;right:0;bottom:0;z-index:100000';
        var win = {id: -1, x: 0, y: 0, frame: QvWeb.frameSides(2, true)};
        var div = document.createElement('div');
        div.className = 'qv-window qv-box';
        div.style.cssText = 'display:block;padding:3px;min-width:120px;max-width:480px';
        win.div = div;
        var finish = function(index) {
          QvWeb.box = null;
          shield.remove();
          resolve(index);
        };
        win.onClose = function() { finish(-1); };
        QvWeb.box = win;
        div.appendChild(QvWeb.makeCaption(win, caption, true));
        var body = document.createElement('div');
        body.className = 'qv-box-text';
        body.textContent = text;
        div.appendChild(body);
        var row = document.createElement('div');
        row.className = 'qv-box-buttons';
        labels.forEach(function(label, i) {
          var button = document.createElement('button');
          button.className = 'qv-button';
          button.textContent = label;
          button.addEventListener('click', function() { finish(i); });
          row.appendChild(button);
        });
        div.appendChild(row);
        shield.appendChild(div);
        document.body.appendChild(shield);
        var r = div.getBoundingClientRect();
        QvWeb.place(win, Math.max(0, Math.round((window.innerWidth - r.width) / 2)) + 3,
                    Math.max(0, Math.round((window.innerHeight - r.height) / 2)) + 22);
        if (row.firstChild) row.firstChild.focus();
      });
    },

    // The program ended with status, unless it is only waiting.
    ended: function(status) {
      if (typeof Asyncify !== 'undefined' && Asyncify.currData) return;
      _qvweb_ended(status);
    },

    context2d: function() {
      if (!QvWeb.textCanvas) QvWeb.textCanvas = document.createElement('canvas');
      return QvWeb.textCanvas.getContext('2d', {willReadFrequently: true});
    }
  },

  // ---- The screen ----------------------------------------------------------

  // The page's size at start-up is the screen's.
  qvweb_screen_size__deps: ['$QvWeb'],
  qvweb_screen_size: function(widthPtr, heightPtr) {
    if (!QvWeb.screen) {
      var root = document.documentElement;
      QvWeb.screen = [window.innerWidth || root.clientWidth, window.innerHeight || root.clientHeight];
    }
    HEAP32[widthPtr >> 2] = QvWeb.screen[0];
    HEAP32[heightPtr >> 2] = QvWeb.screen[1];
  },

  // ---- Windows -------------------------------------------------------------

  qvweb_create_window__deps: ['$QvWeb'],
  qvweb_create_window: function(id, gl, frameKind, caption, closable, titlePtr, width, height) {
    if (QvWeb.windows[id]) return;
    QvWeb.create(id, !!gl, frameKind, !!caption, !!closable, UTF8ToString(titlePtr), width, height);
  },

  qvweb_destroy_window__deps: ['$QvWeb'],
  qvweb_destroy_window: function(id) {
    var win = QvWeb.windows[id];
    if (!win) return;
    win.div.remove();
    delete QvWeb.windows[id];
    QvWeb.stack = QvWeb.stack.filter(function(w) { return w !== id; });
    if (QvWeb.active === id) QvWeb.active = 0;
    if (QvWeb.under === id) QvWeb.under = 0;
    // Events of a window that is gone are of no use to anyone.
    QvWeb.queue = QvWeb.queue.filter(function(r) { return r[1] !== id; });
  },

  // The frame's sides: top, left, bottom, right.
  qvweb_frame__deps: ['$QvWeb'],
  qvweb_frame: function(id, sidesPtr) {
    var win = QvWeb.windows[id];
    var f = win ? win.frame : [0, 0, 0, 0];
    for (var i = 0; i < 4; i++) HEAP32[(sidesPtr >> 2) + i] = f[i];
  },

  // The frame a window of this kind would get, before there is one.
  qvweb_frame_of_kind__deps: ['$QvWeb'],
  qvweb_frame_of_kind: function(frameKind, caption, sidesPtr) {
    var f = QvWeb.frameSides(frameKind, !!caption);
    for (var i = 0; i < 4; i++) HEAP32[(sidesPtr >> 2) + i] = f[i];
  },

  qvweb_set_owner__deps: ['$QvWeb'],
  qvweb_set_owner: function(id, owner) {
    var win = QvWeb.windows[id];
    if (!win || owner === id) return;
    win.owner = owner;
    if (QvWeb.windows[owner]) QvWeb.raise(owner);
  },

  // Shows a window (restored from minimised too) and raises it.
  qvweb_show__deps: ['$QvWeb'],
  qvweb_show: function(id, show) {
    var win = QvWeb.windows[id];
    if (!win) return;
    win.shown = !!show;
    if (show) win.minimized = false;
    QvWeb.updateDisplay(win);
    if (show) QvWeb.raise(id);
    else QvWeb.handOnFocus(win);
  },

  // Gives a window the keyboard focus (SetActiveWindow, SetForegroundWindow).
  qvweb_activate__deps: ['$QvWeb'],
  qvweb_activate: function(id) { QvWeb.activate(id); },

  qvweb_minimize__deps: ['$QvWeb'],
  qvweb_minimize: function(id, minimized) {
    var win = QvWeb.windows[id];
    if (!win) return;
    win.minimized = !!minimized;
    QvWeb.updateDisplay(win);
    if (minimized) QvWeb.handOnFocus(win);
  },

  qvweb_is_minimized__deps: ['$QvWeb'],
  qvweb_is_minimized: function(id) {
    var win = QvWeb.windows[id];
    return win && win.minimized ? 1 : 0;
  },

  // A dialog's close box comes and goes with WS_SYSMENU.
  qvweb_set_closable__deps: ['$QvWeb'],
  qvweb_set_closable: function(id, closable) {
    var win = QvWeb.windows[id];
    if (win && win.closeBox) win.closeBox.style.display = closable ? '' : 'none';
  },

  // The caption's small icon: 32-bit pixels (0xAARRGGBB) scaled to 16 x 16.
  qvweb_set_icon__deps: ['$QvWeb'],
  qvweb_set_icon: function(id, pixels, width, height, pitch) {
    var win = QvWeb.windows[id];
    if (!win || !win.icon || width <= 0 || height <= 0) return;
    var full = document.createElement('canvas');
    full.width = width;
    full.height = height;
    var ctx = full.getContext('2d');
    var image = ctx.createImageData(width, height), out = image.data;
    for (var y = 0; y < height; y++) {
      for (var x = 0, from = pixels + y * pitch, to = y * width * 4; x < width; x++, from += 4, to += 4) {
        out[to] = HEAPU8[from + 2];
        out[to + 1] = HEAPU8[from + 1];
        out[to + 2] = HEAPU8[from];
        out[to + 3] = HEAPU8[from + 3];
      }
    }
    ctx.putImageData(image, 0, 0);
    var small = win.icon.getContext('2d');
    small.clearRect(0, 0, 16, 16);
    small.drawImage(full, 0, 0, 16, 16);
    win.icon.style.display = '';
  },

  qvweb_set_title__deps: ['$QvWeb'],
  qvweb_set_title: function(id, titlePtr) {
    var win = QvWeb.windows[id];
    if (win && win.title) win.title.textContent = UTF8ToString(titlePtr);
  },

  qvweb_set_client_position__deps: ['$QvWeb'],
  qvweb_set_client_position: function(id, x, y) {
    var win = QvWeb.windows[id];
    if (win) QvWeb.place(win, x, y);
  },

  // The client origin on the page; 0 when the window is not shown.
  qvweb_get_client_position__deps: ['$QvWeb'],
  qvweb_get_client_position: function(id, xPtr, yPtr) {
    var win = QvWeb.windows[id];
    if (!win) return 0;
    HEAP32[xPtr >> 2] = win.x;
    HEAP32[yPtr >> 2] = win.y;
    return win.shown ? 1 : 0;
  },

  qvweb_set_client_size__deps: ['$QvWeb'],
  qvweb_set_client_size: function(id, width, height) {
    var win = QvWeb.windows[id];
    if (win) QvWeb.resize(win, width, height);
  },

  qvweb_get_client_size__deps: ['$QvWeb'],
  qvweb_get_client_size: function(id, widthPtr, heightPtr) {
    var win = QvWeb.windows[id];
    HEAP32[widthPtr >> 2] = win ? win.canvas.width : 0;
    HEAP32[heightPtr >> 2] = win ? win.canvas.height : 0;
  },

  // Shows 32-bit pixels (0xAARRGGBB in memory order B, G, R, A) in a 2-D
  // window's canvas, opaque.
  qvweb_present__deps: ['$QvWeb'],
  qvweb_present: function(id, pixels, width, height, pitch) {
    var win = QvWeb.windows[id];
    if (!win || win.gl || width <= 0 || height <= 0) return 0;
    var ctx = win.canvas.getContext('2d');
    if (!ctx) return 0;
    var image;
    try {
      image = ctx.createImageData(width, height);
    } catch (e) {
      return 0;  // more pixels than the page will hold
    }
    var out = image.data;
    for (var y = 0; y < height; y++) {
      var from = pixels + y * pitch, to = y * width * 4;
      for (var x = 0; x < width; x++, from += 4, to += 4) {
        out[to] = HEAPU8[from + 2];
        out[to + 1] = HEAPU8[from + 1];
        out[to + 2] = HEAPU8[from];
        out[to + 3] = 255;
      }
    }
    ctx.putImageData(image, 0, 0);
    return 1;
  },

  // ---- Input ---------------------------------------------------------------

  // Takes the oldest queued event into 8 ints; 0 when there is none.
  qvweb_next_event__deps: ['$QvWeb'],
  qvweb_next_event: function(recordPtr) {
    var record = QvWeb.queue.shift();
    if (!record) return 0;
    for (var i = 0; i < 8; i++) HEAP32[(recordPtr >> 2) + i] = record[i] | 0;
    return 1;
  },

  // Queues an event of the backend's own (a size the page gave a window).
  qvweb_post__deps: ['$QvWeb'],
  qvweb_post: function(kind, id, a, b) { QvWeb.post([kind, id, a, b, 0, 0, 0, 0]); },

  qvweb_pending_events__deps: ['$QvWeb'],
  qvweb_pending_events: function() { return QvWeb.queue.length; },

  // What is held or where things are now.
  qvweb_buttons_held__deps: ['$QvWeb'],
  qvweb_buttons_held: function() { return QvWeb.buttons & 7; },
  qvweb_window_under_pointer__deps: ['$QvWeb'],
  qvweb_window_under_pointer: function() { return QvWeb.under; },
  qvweb_active_window__deps: ['$QvWeb'],
  qvweb_active_window: function() { return QvWeb.active; },
  qvweb_modifiers__deps: ['$QvWeb'],
  qvweb_modifiers: function() { return QvWeb.modifiers; },

  // True when a focus change of this kind (4 gained, 5 lost) for window id
  // (0: any) is queued.
  qvweb_focus_queued__deps: ['$QvWeb'],
  qvweb_focus_queued: function(kind, id) {
    return QvWeb.queue.some(function(r) { return r[0] === kind && (!id || r[1] === id); }) ? 1 : 0;
  },

  // ---- Text ----------------------------------------------------------------

  // Opens a face at a point size (96 dpi: pixels = points * 4 / 3, rounded
  // as MulDiv does); fills [height, averageWidth, ascent]; returns its id.
  qvweb_open_font__deps: ['$QvWeb', 'qvweb_glyph_advance'],
  qvweb_open_font: function(facePtr, pointSize, metricsPtr) {
    var px = Math.max(1, Math.floor((pointSize * 96 + 36) / 72));
    var font = {css: QvWeb.fontCss(UTF8ToString(facePtr), px), advances: {}};
    var ctx = QvWeb.context2d();
    ctx.font = font.css;
    // Ascent and descent in whole pixels, each rounded as GDI rounds them.
    var m = ctx.measureText("Hg");
    font.ascent = Math.round(m.fontBoundingBoxAscent);
    font.height = font.ascent + Math.round(m.fontBoundingBoxDescent);
    var id = QvWeb.fonts.length;
    QvWeb.fonts.push(font);
    // Windows' average width: the whole-pixel width of "A..Za..z" over 26,
    // plus one, halved.
    var alphabet = 0;
    for (var c = 65; c <= 90; c++) alphabet += _qvweb_glyph_advance(id, c) + _qvweb_glyph_advance(id, c + 32);
    HEAP32[metricsPtr >> 2] = font.height;
    HEAP32[(metricsPtr >> 2) + 1] = ((Math.floor(alphabet / 26) + 1) / 2) | 0;
    HEAP32[(metricsPtr >> 2) + 2] = font.ascent;
    return id;
  },

  // The CSS a font was opened with (the family it resolved to).
  qvweb_font_css__deps: ['$QvWeb'],
  qvweb_font_css: function(id, outPtr, size) {
    var font = QvWeb.fonts[id];
    stringToUTF8(font ? font.css : '', outPtr, size);
  },

  qvweb_close_font__deps: ['$QvWeb'],
  qvweb_close_font: function(id) { if (QvWeb.fonts[id]) QvWeb.fonts[id] = null; },

  // One Latin-1 character's advance, rounded to whole pixels as GDI has it.
  qvweb_glyph_advance__deps: ['$QvWeb'],
  qvweb_glyph_advance: function(id, c) {
    var font = QvWeb.fonts[id];
    if (!font) return 0;
    if (!(c in font.advances)) {
      var ctx = QvWeb.context2d();
      ctx.font = font.css;
      font.advances[c] = Math.round(ctx.measureText(String.fromCharCode(c)).width);
    }
    return font.advances[c];
  },

  // Draws Latin-1 text glyph by glyph at the summed whole-pixel advances and
  // writes its coverage (0..255 a pixel) into a width x height buffer whose
  // top-left is the text cell's.
  qvweb_text_coverage__deps: ['$QvWeb', 'qvweb_glyph_advance'],
  qvweb_text_coverage: function(id, textPtr, length, coveragePtr, width, height) {
    var font = QvWeb.fonts[id];
    if (!font || width <= 0 || height <= 0) return;
    var canvas = QvWeb.textCanvas || (QvWeb.textCanvas = document.createElement('canvas'));
    if (canvas.width < width) canvas.width = width;
    if (canvas.height < height) canvas.height = height;
    var ctx = QvWeb.context2d();
    ctx.clearRect(0, 0, width, height);
    ctx.font = font.css;
    ctx.textBaseline = 'alphabetic';
    ctx.fillStyle = '#000';
    var x = 0;
    for (var i = 0; i < length && x < width; i++) {
      var c = HEAPU8[textPtr + i];
      ctx.fillText(String.fromCharCode(c), x, font.ascent);
      x += _qvweb_glyph_advance(id, c);
    }
    var alpha;
    try {
      alpha = ctx.getImageData(0, 0, width, height).data;
    } catch (e) {
      return;  // a canvas larger than the page allows: nothing is drawn
    }
    for (var p = 0; p < width * height; p++) HEAPU8[coveragePtr + p] = alpha[p * 4 + 3];
  },

  // True when the page can make a WebGL 1 context at all.
  qvweb_webgl_available: function() {
    try {
      var canvas = document.createElement('canvas');
      return canvas.getContext('webgl') ? 1 : 0;
    } catch (e) {
      return 0;
    }
  },

  // Counts the program's frames on the page (data-swaps on <body>): a test's
  // proof that the program goes on. The first one's time from the start of
  // the page's load is window.quelvaroFirstFrame, as render_frame.html has
  // it (bench/web_perf.py).
  qvweb_count_frame__deps: ['$QvWeb'],
  qvweb_count_frame: function() {
    if (!QvWeb.swaps) window.quelvaroFirstFrame = performance.now();
    QvWeb.swaps = (QvWeb.swaps || 0) + 1;
    document.body.dataset.swaps = String(QvWeb.swaps);
  },

  // ---- The end -------------------------------------------------------------

  // Says on the page how the program ended: the text in #status (made if
  // the page has none), its data-status attribute and the page's title; the
  // page's Module.onEnded, if it has one, hears it too.
  qvweb_ended: function(status) {
    var el = document.getElementById('status');
    if (!el) {
      el = document.createElement('div');
      el.id = 'status';
      document.body.appendChild(el);
    }
    el.textContent = 'quelvaro ended with status ' + status;
    el.dataset.status = String(status);
    document.title = 'quelvaro ended with status ' + status;
    if (Module['onEnded']) Module['onEnded'](status);
  }
});

// frame.cpp: the window manager's frame around top-level windows, as the
// core counts it in their outer rectangles.
//
// Pairs with window.cpp, which places and sizes top-level windows with the
// frame, and with the backend, which learns frames from the window manager
// and reports them here (qvTakeFrame).
//
// Implemented: each framed window has its own frame (a resizable one's is
//   deeper); until the backend reports it, the frame last seen on a window of
//   the same kind stands in. The first report for a window created with an
//   outer size gives the frame its share of that size; a window created with
//   its client rectangle (dialogs) keeps its client area in place and the
//   frame goes around it.
// Left out: asking the window manager (the backend's, qvbLearnFrame), frame
//   changes after a window is first framed, the Windows frame metrics
//   (SM_CXFRAME...).
#include "qv_internal.h"

#include <algorithm>

namespace {

// Which of qv.frames.seenFor a window's frame is kept in: with or without a
// sizing border.
int frameKind(DWORD style) {
    return (style & WS_THICKFRAME) ? 1 : 0;
}

}  // namespace

QvFrame qvFrameOf(const QvWindow *win) {
    if (!qvbHasFrame(win->style)) return QvFrame{};
    if (win->frame.learnt) return win->frame.sides;
    int kind = frameKind(win->style);
    if (qv.frames.seen[kind]) return qv.frames.seenFor[kind];
    return qv.frames.seen[1 - kind] ? qv.frames.seenFor[1 - kind] : QvFrame{};
}

void qvTakeFrame(QvWindow *win, QvFrame frame) {
    // Where the client area was put, with the frame guessed until now.
    QvFrame guessed = qvFrameOf(win);
    POINT client = {win->rect.left + guessed.left, win->rect.top + guessed.top};
    qv.frames.known = true;
    qv.frames.seen[frameKind(win->style)] = true;
    qv.frames.seenFor[frameKind(win->style)] = frame;
    bool first = !win->frame.learnt;
    win->frame.learnt = true;
    win->frame.sides = frame;
    if (win->minimized) return;
    if (first && !win->clientSizeFixed) {
        // The outer size asked for holds the frame: the client area is the rest.
        int clientWidth = std::max(0, win->rect.right - win->rect.left - frame.left - frame.right);
        int clientHeight = std::max(0, win->rect.bottom - win->rect.top - frame.top - frame.bottom);
        if (clientWidth != win->clientWidth || clientHeight != win->clientHeight) {
            if (qvbHasWindow(win)) qvbSetClientSize(win, std::max(1, clientWidth), std::max(1, clientHeight));
            qvClientSizeChanged(win, clientWidth, clientHeight, false);
            return;
        }
    }
    // The client area keeps its size (and a dialog's its place): the frame
    // goes around it.
    if (first && win->clientSizeFixed && (guessed.left != frame.left || guessed.top != frame.top)) {
        win->rect.left = client.x - frame.left;
        win->rect.top = client.y - frame.top;
        if (qvbHasWindow(win) && win->mapped) qvbSetClientPosition(win, client.x, client.y);
    }
    win->rect.right = win->rect.left + win->clientWidth + frame.left + frame.right;
    win->rect.bottom = win->rect.top + win->clientHeight + frame.top + frame.bottom;
}

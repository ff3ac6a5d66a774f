// dom_smoke.cpp: a small page program on the browser backend's page
// services alone (platform/web/web_dom.h), for tests/browser/test_dom.py;
// platform/web/web.cmake builds it into the web tree as dom_smoke.html.
//
// It opens a WebGL window that clears to a colour and, owned by it, a 2-D
// window showing text drawn with the Canvas 2D fonts, prints every event it
// takes (the page keeps the lines in quelvaroLog) and counts its frames
// (data-swaps on <body>).
// The close box of the WebGL window ends it with status 3. Keys: R and B
// change the WebGL window's colour, M asks a message box, H hides the text
// window and S shows it again.
// Left out: everything of Win32; this is the page's side only.
#include "web/web_dom.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int glWindow = 1, textWindow = 2;
const int textWidth = 240, textHeight = 120;
const int endStatus = 3;

// Hands one line of the event log to the page.
void logLine(const std::string &line) {
    std::printf("%s\n", line.c_str());
}

// One event as the test reads it: "kind window a b c d e".
std::string describe(const QvWebEvent &e) {
    char text[96];
    std::snprintf(text, sizeof text, "%d %d %d %d %d %d %d", e.kind, e.window, e.a, e.b, e.c, e.d, e.e);
    return text;
}

// The 2-D window: the dialog face, two lines of text and their metrics.
void drawTextWindow(const QvWebFont &arial9, const QvWebFont &black9) {
    std::vector<uint32_t> pixels(textWidth * textHeight, 0xFFD4D0C8u);
    const std::string first = "plane-wave x", second = "OPCIONES";
    qvWebDrawText(arial9, first, pixels.data(), textWidth, textHeight, textWidth * 4, 10, 10, 0, 0, textWidth,
                  textHeight, 0x000000);
    qvWebDrawText(black9, second, pixels.data(), textWidth, textHeight, textWidth * 4, 10, 40, 0, 0, textWidth,
                  textHeight, 0x0000FF);
    // Clipped: only the left half of the word may show.
    qvWebDrawText(arial9, "clipped", pixels.data(), textWidth, textHeight, textWidth * 4, 10, 70, 0, 0, 30, textHeight,
                  0x000000);
    qvweb_present(textWindow, pixels.data(), textWidth, textHeight, textWidth * 4);
}

// Each face and size the program's dialogs use, with its metrics and the
// extent of one text: "font FACE POINTS height ascent average extent".
void logFontMetrics() {
    const struct {
        const char *face;
        int points;
    } faces[] = {{"Arial", 8}, {"Arial", 9}, {"Arial", 11}, {"Arial Black", 9}, {"MS Sans Serif", 8}};
    for (const auto &f : faces) {
        QvWebFont font = qvWebOpenFont(f.face, f.points);
        char line[160];
        std::snprintf(line, sizeof line, "font %s %d %d %d %d %d", f.face, f.points, font.height, font.ascent,
                      font.averageWidth, qvWebTextWidth(font, "plane-wave x"));
        logLine(line);
    }
}

}  // namespace

int main() {
    int screenW = 0, screenH = 0;
    qvweb_screen_size(&screenW, &screenH);
    logLine("screen " + std::to_string(screenW) + " " + std::to_string(screenH));

    qvweb_create_window(glWindow, 1, QV_WEB_FRAME_SIZING, 1, 1, "WebGL window", 320, 200);
    qvweb_create_window(textWindow, 0, QV_WEB_FRAME_DIALOG, 1, 0, "Text window", textWidth, textHeight);
    qvweb_set_owner(textWindow, glWindow);
    qvweb_set_client_position(glWindow, 40, 60);
    qvweb_set_client_position(textWindow, 420, 60);
    qvweb_show(glWindow, 1);
    qvweb_show(textWindow, 1);
    qvweb_activate(glWindow);

    int context = qvWebCreateGlContext(glWindow, false, false);
    if (!context || !qvWebMakeGlCurrent(context)) {
        qvWebEnded(1);
        return 1;
    }
    drawTextWindow(qvWebOpenFont("Arial", 9), qvWebOpenFont("Arial Black", 9));
    logFontMetrics();

    float colour[3] = {0.0f, 0.5f, 0.0f};
    for (;;) {
        QvWebEvent e;
        while (qvWebNextEvent(&e)) {
            logLine(describe(e));
            if (e.kind == QV_WEB_EVENT_CLOSE && e.window == glWindow) {
                qvWebEnded(endStatus);
                return endStatus;
            }
            if (e.kind == QV_WEB_EVENT_KEY && e.d && e.a == 'R') colour[0] = 1.0f, colour[1] = colour[2] = 0.0f;
            if (e.kind == QV_WEB_EVENT_KEY && e.d && e.a == 'B') colour[2] = 1.0f, colour[0] = colour[1] = 0.0f;
            if (e.kind == QV_WEB_EVENT_KEY && e.d && e.a == 'H') qvweb_show(textWindow, 0);
            if (e.kind == QV_WEB_EVENT_KEY && e.d && e.a == 'S') qvweb_show(textWindow, 1);
            if (e.kind == QV_WEB_EVENT_KEY && e.d && e.a == 'M')
                logLine("box " + std::to_string(qvWebMessageBox("Box", "Go on?", {"OK", "Cancel"})));
        }
        glClearColor(colour[0], colour[1], colour[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        qvweb_count_frame();
        qvWebWaitForFrame();
    }
}

// web_dom.cpp: the C++ side of the page's services (web_dom.h): waiting on
// the page under ASYNCIFY, the clock, text drawn into the layer's 32-bit
// images, and WebGL contexts on a window's canvas.
//
// Implemented: waiting for an event or a timeout, for the next animation
//   frame and for a while (each returns to the page, so its callbacks run and
//   queue their events), text width and drawing from web_dom.js's glyph
//   coverage, WebGL 1 contexts, the message box, the end line.
// Left out: WebGL 2, multisampling (the classic program asks for none).
#include "web_dom.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <vector>

// ---- Waiting ---------------------------------------------------------------

// Each await hands the page back its event loop until the promise settles.
EM_ASYNC_JS(void, qvweb_wait_event, (int timeoutMs), { await Module.qvWeb.waitEvent(timeoutMs); });
EM_ASYNC_JS(void, qvweb_wait_frame, (), { await Module.qvWeb.waitFrame(); });

bool qvWebNextEvent(QvWebEvent *event) {
    int record[8];
    if (!qvweb_next_event(record)) return false;
    event->kind = record[0];
    event->window = record[1];
    event->a = record[2];
    event->b = record[3];
    event->c = record[4];
    event->d = record[5];
    event->e = record[6];
    event->f = record[7];
    return true;
}

void qvWebWaitForEvent(int timeoutMs) {
    if (qvweb_pending_events() > 0) return;
    qvweb_wait_event(timeoutMs);
}

void qvWebWaitForFrame() {
    qvweb_wait_frame();
}

void qvWebSleep(int ms) {
    emscripten_sleep(static_cast<unsigned>(std::max(0, ms)));
}

double qvWebNowMs() {
    return emscripten_get_now();
}

// ---- Text --------------------------------------------------------------------

QvWebFont qvWebOpenFont(const char *face, int pointSize) {
    QvWebFont font;
    int metrics[3] = {0, 0, 0};
    font.id = qvweb_open_font(face ? face : "", pointSize, metrics);
    font.height = metrics[0];
    font.averageWidth = metrics[1];
    font.ascent = metrics[2];
    char css[256];
    qvweb_font_css(font.id, css, sizeof css);
    font.css = css;
    // A page that measures nothing (no 2-D canvas) has no fonts.
    if (font.height <= 0) font.id = 0;
    return font;
}

int qvWebTextWidth(const QvWebFont &font, const std::string &latin1) {
    int width = 0;
    for (unsigned char c : latin1) width += qvweb_glyph_advance(font.id, c);
    return width;
}

// Blends one channel: what is there toward the text's by coverage / 255.
static uint32_t blendChannel(uint32_t under, uint32_t over, uint32_t coverage) {
    return (under * (255 - coverage) + over * coverage + 127) / 255;
}

void qvWebBlendCoverage(const unsigned char *coverage, int coverageW, int coverageH, uint32_t *pixels, int width,
                        int height, int pitch, int x, int y, int clipX, int clipY, int clipW, int clipH, uint32_t rgb) {
    // Where the text, the clip and the image overlap (64-bit sums: a clip
    // of INT_MAX does not wrap).
    long long left = std::max<long long>({0, clipX, x});
    long long top = std::max<long long>({0, clipY, y});
    long long right = std::min<long long>({width, (long long)clipX + clipW, (long long)x + coverageW});
    long long bottom = std::min<long long>({height, (long long)clipY + clipH, (long long)y + coverageH});
    uint32_t red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    for (long long py = top; py < bottom; py++) {
        uint32_t *row = reinterpret_cast<uint32_t *>(reinterpret_cast<unsigned char *>(pixels) + py * pitch);
        const unsigned char *cov = coverage + (py - y) * coverageW;
        for (long long px = left; px < right; px++) {
            uint32_t a = cov[px - x];
            if (!a) continue;
            uint32_t p = row[px];
            row[px] = (p & 0xFF000000u) | blendChannel((p >> 16) & 0xFF, red, a) << 16 |
                      blendChannel((p >> 8) & 0xFF, green, a) << 8 | blendChannel(p & 0xFF, blue, a);
        }
    }
}

void qvWebDrawText(const QvWebFont &font, const std::string &latin1, uint32_t *pixels, int width, int height, int pitch,
                   int x, int y, int clipX, int clipY, int clipW, int clipH, uint32_t rgb) {
    if (!font.id || latin1.empty() || !pixels) return;
    int textWidth = qvWebTextWidth(font, latin1);
    // The last glyph may reach past its advance (italic, a wide W): a few
    // pixels more are drawn and clipped like the rest.
    // Wider than any window: a longer text is cut there (the page's canvases
    // have a size limit of their own).
    const int maxCoverageWidth = 8192;
    int coverageW = std::min(textWidth + font.height / 2 + 2, maxCoverageWidth);
    int coverageH = font.height;
    if (coverageW <= 0 || coverageH <= 0) return;
    // Text wholly outside the image or the clip costs no drawing.
    if (x >= width || y >= height || x + coverageW <= 0 || y + coverageH <= 0) return;
    if (clipW <= 0 || clipH <= 0) return;
    std::vector<unsigned char> coverage(static_cast<size_t>(coverageW) * coverageH);
    qvweb_text_coverage(font.id, latin1.data(), static_cast<int>(latin1.size()), coverage.data(), coverageW, coverageH);
    qvWebBlendCoverage(coverage.data(), coverageW, coverageH, pixels, width, height, pitch, x, y, clipX, clipY, clipW,
                       clipH, rgb);
}

// ---- WebGL -----------------------------------------------------------------

int qvWebCreateGlContext(int id, bool stencil, bool preserve) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = stencil;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = preserve;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    std::string selector = "#qvc-" + std::to_string(id);
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(selector.c_str(), &attributes);
    return context > 0 ? static_cast<int>(context) : 0;
}

bool qvWebMakeGlCurrent(int context) {
    return emscripten_webgl_make_context_current(context) == EMSCRIPTEN_RESULT_SUCCESS;
}

void qvWebDeleteGlContext(int context) {
    if (context) emscripten_webgl_destroy_context(context);
}

// ---- Message box -------------------------------------------------------------

// The page's box with labels separated by '\n'; see qvWebMessageBox.
EM_ASYNC_JS(int, qvweb_message_box, (const char *caption, const char *text, const char *labels), {
    return await Module.qvWeb.messageBox(UTF8ToString(caption), UTF8ToString(text), UTF8ToString(labels).split('\n'));
});

int qvWebMessageBox(const std::string &caption, const std::string &text, const std::vector<std::string> &labels) {
    std::string joined;
    for (size_t i = 0; i < labels.size(); i++) joined += (i ? "\n" : "") + labels[i];
    return qvweb_message_box(caption.c_str(), text.c_str(), joined.c_str());
}

// ---- The end -----------------------------------------------------------------

void qvWebEnded(int status) {
    qvweb_ended(status);
}

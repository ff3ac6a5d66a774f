// image.cpp: QvImage, the core's pixel buffer: made, freed, filled, and
// images with alpha laid over it, whole or stretched.
//
// Pairs with canvas.cpp, which draws the controls with these, and the
// backends, which show a dialog's image (qvbPresentImage) and draw text into
// one (qvbDrawText).
//
// Implemented: 32-bit 0xAARRGGBB pixels; opaque fills; alpha blending as
//   SDL2's portable blitters compute it (whole images: an 8-bit shift for
//   /255; stretched ones: nearest neighbour with 16.16 steps and /255), so
//   that icons, whose pixels are opaque or transparent, land on the same
//   pixels as when SDL drew them (SDL's SIMD blitters may round a partly
//   transparent pixel one lower; a stretched image clipped by its canvas is
//   sampled from its whole target rectangle, where SDL re-derives the source
//   from the clipped part); clipping to a rectangle.
// Left out: other pixel formats, filtering, colour keys, premultiplied alpha.
#include "qv_internal.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The pixel at (x, y).
uint32_t *pixelAt(const QvImage &image, int x, int y) {
    return reinterpret_cast<uint32_t *>(reinterpret_cast<unsigned char *>(image.pixels) + y * image.pitch) + x;
}

// The whole of an image, as a rectangle.
QvRect boundsOf(const QvImage &image) {
    return QvRect{0, 0, image.width, image.height};
}

// src over dst with an 8-bit shift for /255, as SDL's per-pixel alpha blit.
uint32_t blendShifted(uint32_t src, uint32_t dst) {
    uint32_t alpha = src >> 24;
    if (alpha == 0) return dst;
    if (alpha == 0xFF) return src;
    uint32_t dalpha = dst >> 24;
    uint32_t s1 = src & 0xFF00FF, d1 = dst & 0xFF00FF;
    d1 = (d1 + ((s1 - d1) * alpha >> 8)) & 0xFF00FF;
    uint32_t s = src & 0xFF00, d = dst & 0xFF00;
    d = (d + ((s - d) * alpha >> 8)) & 0xFF00;
    dalpha = alpha + (dalpha * (alpha ^ 0xFF) >> 8);
    return d1 | d | (dalpha << 24);
}

// src over an opaque dst, blended by /255 as SDL's scaling blitters do.
uint32_t blendDivided(uint32_t src, uint32_t dst) {
    uint32_t a = src >> 24;
    uint32_t out = 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        if (a < 255) s = s * a / 255;
        out |= (s + (255 - a) * d / 255) << shift;
    }
    return out;
}

}  // namespace

QvImage qvImageNew(int width, int height) {
    QvImage image;
    width = std::max(1, width);
    height = std::max(1, height);
    image.pixels = static_cast<uint32_t *>(std::calloc(static_cast<size_t>(width) * height, sizeof(uint32_t)));
    if (!image.pixels) return QvImage{};
    image.width = width;
    image.height = height;
    image.pitch = width * 4;
    image.owns = true;
    return image;
}

void qvImageFree(QvImage *image) {
    if (image->owns) std::free(image->pixels);
    *image = QvImage{};
}

bool qvIntersectRect(const QvRect &a, const QvRect &b, QvRect *out) {
    if (a.w <= 0 || a.h <= 0 || b.w <= 0 || b.h <= 0) {
        *out = QvRect{};
        return false;
    }
    int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    int right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    *out = QvRect{left, top, std::max(0, right - left), std::max(0, bottom - top)};
    return out->w > 0 && out->h > 0;
}

void qvImageFill(QvImage *image, const QvRect &area, uint32_t rgb) {
    QvRect visible;
    if (!image->pixels || !qvIntersectRect(area, boundsOf(*image), &visible)) return;
    uint32_t pixel = 0xFF000000 | (rgb & 0xFFFFFF);
    for (int y = visible.y; y < visible.y + visible.h; y++)
        std::fill_n(pixelAt(*image, visible.x, y), visible.w, pixel);
}

void qvImageBlend(QvImage *image, const QvRect &clip, const QvImage &source, int x, int y) {
    QvRect visible;
    QvRect target = {x, y, source.width, source.height};
    if (!image->pixels || !source.pixels) return;
    if (!qvIntersectRect(clip, boundsOf(*image), &visible) || !qvIntersectRect(target, visible, &visible)) return;
    for (int row = visible.y; row < visible.y + visible.h; row++) {
        uint32_t *out = pixelAt(*image, visible.x, row);
        const uint32_t *in = pixelAt(source, visible.x - x, row - y);
        for (int i = 0; i < visible.w; i++) out[i] = blendShifted(in[i], out[i]);
    }
}

void qvImageBlendScaled(QvImage *image, const QvRect &clip, const QvImage &source, const QvRect &target) {
    QvRect visible;
    if (!image->pixels || !source.pixels || target.w <= 0 || target.h <= 0) return;
    if (!qvIntersectRect(clip, boundsOf(*image), &visible) || !qvIntersectRect(target, visible, &visible)) return;
    // 16.16 steps through the source, starting half a step in.
    uint32_t stepX = static_cast<uint32_t>((static_cast<uint64_t>(source.width) << 16) / target.w);
    uint32_t stepY = static_cast<uint32_t>((static_cast<uint64_t>(source.height) << 16) / target.h);
    for (int row = visible.y; row < visible.y + visible.h; row++) {
        uint32_t posY = stepY / 2 + stepY * static_cast<uint32_t>(row - target.y);
        int sourceY = std::min(source.height - 1, static_cast<int>(posY >> 16));
        uint32_t *out = pixelAt(*image, visible.x, row);
        for (int i = 0; i < visible.w; i++) {
            uint32_t posX = stepX / 2 + stepX * static_cast<uint32_t>(visible.x + i - target.x);
            int sourceX = std::min(source.width - 1, static_cast<int>(posX >> 16));
            out[i] = blendDivided(*pixelAt(source, sourceX, sourceY), out[i]);
        }
    }
}

// Pixel format and palette of the main window's device context.
//
// The request is modest (RGBA, 8 colour bits, a 16-bit depth buffer, double
// buffering) and whatever format ChoosePixelFormat offers for it is taken as
// it is. Only a palette-based format needs more: a logical palette whose
// entries spread the format's red, green and blue fields over 0..255.
#include "app/pixel_format.h"

#include <cstdlib>
#include <cstring>

#include "render/scene_state.h"

static const WORD paletteVersion = 0x300;
static const BYTE requestedColorBits = 8;
static const BYTE requestedDepthBits = 16;
// A palette device has at most 256 hardware entries; a larger count would
// overflow the shift and the palette's 16-bit entry count.
static const int maxPaletteBits = 8;
// Bounds that keep the shifts of a malformed format defined; a real format's
// component fields are far narrower.
static const int maxComponentBits = 16;
static const int indexBits = 32;

static const char chooseFailedText[] = "ChoosePixelFormat failed\n";
static const char setFailedText[] = "SetPixelFormat failed";
static const char errorCaption[] = "Error";

void fillPixelFormatRequest(PIXELFORMATDESCRIPTOR *pfd) {
    std::memset(pfd, 0, sizeof *pfd);
    pfd->nSize = sizeof *pfd;
    pfd->nVersion = 1;
    pfd->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (scene.doubleBuffer != 0) pfd->dwFlags |= PFD_DOUBLEBUFFER;
    pfd->iPixelType = PFD_TYPE_RGBA;
    pfd->cColorBits = requestedColorBits;
    pfd->cDepthBits = scene.depthBuffer != 0 ? requestedDepthBits : 0;
    pfd->iLayerType = PFD_MAIN_PLANE;
}

// Shows the error box, owned by the window still being created, and ends the
// process once it is closed. No window clean-up: exit handlers only.
static void failPixelFormat(HDC hdc, const char *text) {
    MessageBoxA(WindowFromDC(hdc), text, errorCaption, MB_ICONERROR | MB_OK);
    std::exit(1);
}

void setupPixelFormat(HDC hdc) {
    PIXELFORMATDESCRIPTOR pfd;
    fillPixelFormatRequest(&pfd);
    int format = ChoosePixelFormat(hdc, &pfd);
    if (format == 0) failPixelFormat(hdc, chooseFailedText);
    if (SetPixelFormat(hdc, format, &pfd) != TRUE) failPixelFormat(hdc, setFailedText);
}

// Scales the field of one colour component of a palette index from 0..mask
// to 0..255. A component with no bits has no field: it stays 0.
static BYTE paletteComponent(int index, BYTE bits, BYTE shift) {
    if (bits == 0) return 0;
    int mask = (1 << (bits < maxComponentBits ? bits : maxComponentBits)) - 1;
    int field = shift < indexBits ? (index >> shift) & mask : 0;
    return (BYTE)(field * 255 / mask);
}

void fillPaletteEntries(const PIXELFORMATDESCRIPTOR *pfd, PALETTEENTRY *entries, int n) {
    for (int i = 0; i < n; i++) {
        entries[i].peRed = paletteComponent(i, pfd->cRedBits, pfd->cRedShift);
        entries[i].peGreen = paletteComponent(i, pfd->cGreenBits, pfd->cGreenShift);
        entries[i].peBlue = paletteComponent(i, pfd->cBlueBits, pfd->cBlueShift);
        entries[i].peFlags = 0;
    }
}

// Number of palette entries for a format: one per value of its colour bits.
static int paletteSize(const PIXELFORMATDESCRIPTOR *pfd) {
    int bits = pfd->cColorBits < maxPaletteBits ? pfd->cColorBits : maxPaletteBits;
    return 1 << bits;
}

void setupPalette(HDC hdc) {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    DescribePixelFormat(hdc, GetPixelFormat(hdc), sizeof pfd, &pfd);
    bool needsPalette = (pfd.dwFlags & PFD_NEED_PALETTE) != 0 || pfd.iPixelType == PFD_TYPE_COLORINDEX;
    if (!needsPalette) return;

    int n = paletteSize(&pfd);
    // LOGPALETTE already holds one entry.
    size_t tableBytes = sizeof(LOGPALETTE) + (n - 1) * sizeof(PALETTEENTRY);
    LOGPALETTE *table = (LOGPALETTE *)std::malloc(tableBytes);
    // Without a table there is no palette: the window then draws with the
    // system's colours, as when CreatePalette fails.
    if (table == nullptr) return;
    table->palVersion = paletteVersion;
    table->palNumEntries = (WORD)n;
    fillPaletteEntries(&pfd, table->palPalEntry, n);

    scene.hPalette = CreatePalette(table);
    std::free(table);
    if (scene.hPalette == nullptr) return;
    SelectPalette(hdc, scene.hPalette, FALSE);
    RealizePalette(hdc);
}

// Pixel format and palette of the main window's device context.
#pragma once

#include <windows.h>

// Fills the request that setupPixelFormat hands to ChoosePixelFormat.
void fillPixelFormatRequest(PIXELFORMATDESCRIPTOR *pfd);
// Fills entries[0..n) of a palette spreading the format's RGB bits.
void fillPaletteEntries(const PIXELFORMATDESCRIPTOR *pfd, PALETTEENTRY *entries, int n);

void setupPixelFormat(HDC hdc);
void setupPalette(HDC hdc);

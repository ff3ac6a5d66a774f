// The eight surfaces the panel chooses among: six wave rules over the grid,
// the folded two-triangle square and the empty entry.
#pragma once

typedef void (*SurfaceProcedure)(void);

// Where each surface sits in surfaceTable, in the panel's order.
const int curtainWaveSurface = 0;        // "efecto cortinado"
const int diamondWaveSurface = 1;        // "rombos"
const int checkerWaveSurface = 2;        // "ajedrezado"
const int twoTriangleSquareSurface = 3;  // "prom-asim1"
const int planeWaveXSurface = 4;         // "plane-wave x"
const int planeWaveXZSurface = 5;        // "plano-wave x-z"
const int planeWaveZSurface = 6;         // "plane-wave z"
const int emptySurface = 7;              // chosen by no button
const int surfaceCount = 8;
extern const SurfaceProcedure surfaceTable[surfaceCount];

void drawCurtainWave(void);
void drawDiamondWave(void);
void drawCheckerWave(void);
void drawTwoTriangleSquare(void);
void drawPlaneWaveX(void);
void drawPlaneWaveXZ(void);
void drawPlaneWaveZ(void);
void drawNothing(void);

// The eight surfaces the panel chooses among: six wave rules over the grid,
// the folded two-triangle square and the empty entry.
#pragma once

typedef void (*SurfaceProcedure)(void);

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

// The seven directional lights, the light model, the linear fog and the two
// material sets (the wave surface's and the light marker's).
#pragma once

// Positions of lights 1 to 6; light 0 sits at the scene's mobileLight.
extern const float lightPos[6][4];

void initLighting(void);
void applySurfaceMaterial(void);
void applyMarkerMaterial(void);

// The seven directional lights, the light model, the linear fog and the two
// material sets (the wave surface's and the light marker's).
#pragma once

// Seven directional lights; lights 0 to 3 light the scene, 4 to 6 are set up
// but stay dark.
const int lightCount = 7;
const int enabledLightCount = 4;

// Positions of lights 1 to 6; light 0 sits at the scene's mobileLight.
extern const float lightPos[lightCount - 1][4];

void initLighting(void);
void applySurfaceMaterial(void);
void applyMarkerMaterial(void);

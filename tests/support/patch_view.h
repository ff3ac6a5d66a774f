// A plain view of the surface patch for pixel tests: the patch lies in the
// plane y = 0 and reaches from -1.6 to 1.6 in x and z.
#pragma once

// Looks along the y axis at the patch from above (or from below) into a
// viewSize x viewSize viewport, with an orthographic view of -2..2, so that
// the patch covers the middle 80 % of the pixels. One white light shines from
// behind the viewer, lighting is on, shading smooth, and the buffer is
// cleared to pure blue. Seen from above, screen x runs with world x and
// screen rows (from the top) with world z.
void lookAlongY(int viewSize, bool fromAbove);

// True when a pixel read back shows the clear colour.
bool isClearBlue(const unsigned char rgba[4]);

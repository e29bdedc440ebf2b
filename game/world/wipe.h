// Block wipes that cover and uncover the screen: an area change covers the screen, loads, holds
// the cover and uncovers it; event commands run them too. Patterns 0..3 sweep from the bottom,
// top, right and left edges, pattern 4 grows from the four corners.
#pragma once

struct Wipe {
    int blockSheet = -1; // "DataForWork\\fade.bmp": six 16 x 16 blocks side by side, growing
    int cover = -1;      // "DataForWork\\fade2.bmp": the whole-screen cover
    int counter = 0;
};

void LoadWipeImages(Wipe &wipe);
// One frame of a cover (uncover 0) or uncover (1) wipe: 1 on the frame it completes (and the
// counter is 0 again), else 0. Patterns outside 0..4 draw nothing and give 0.
int RunWipe(Wipe &wipe, int pattern, int uncover);
// The cover picture over the whole screen, while the screen stays covered.
void CoverScreen(const Wipe &wipe);

// The picture behind everything in the field, chosen by area and by the hour of the last area
// change: a sky, a cloud sky or a tiled pattern.
#pragma once

struct AreaTransition;

enum BackdropImage { BACKDROP_SKY, BACKDROP_CLOUD, BACKDROP_PATTERN };

struct BackdropChoice {
    BackdropImage image;
    int srcX, srcY; // the 320 x 240 part shown (the pattern is tiled whole instead)
    bool operator==(const BackdropChoice &o) const { return image == o.image && srcX == o.srcX && srcY == o.srcY; }
};

struct Backdrop {
    int sky = -1;     // "DataForWork\\map\\umisora.bmp"
    int pattern = -1; // "DataForWork\\map\\back1.bmp", 64 x 64
    int cloud = -1;   // "DataForWork\\map\\cloud.bmp"
    const AreaTransition *transition = nullptr; // current area and local hour
};

BackdropChoice ChooseBackdrop(int area, int hour);
void LoadBackdropImages(Backdrop &backdrop);
void DrawBackdrop(const Backdrop &backdrop);

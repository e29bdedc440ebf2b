// The field's backdrops: the sea sky "umisora.bmp" and the cloud sky "cloud.bmp", each a set of
// 320 x 240 parts by hour of day, and the 64 x 64 pattern "back1.bmp" tiled behind the woods and
// the caves.
#include <cmath>

#include "tools/demo-data/demo_art.h"

namespace {

struct Sky {
    Rgb top, horizon;
    Rgb light;   // sun or moon
    bool night;  // stars, and the moon instead of the sun
    double sunX, sunY;
};

// Sky parts by hour, as the drawing picks them.
const Sky kDay = {{58, 120, 214}, {170, 214, 246}, {255, 250, 220}, false, 250, 50};
const Sky kMorning = {{110, 130, 200}, {250, 190, 150}, {255, 230, 170}, false, 60, 150};
const Sky kAfternoon = {{70, 130, 210}, {214, 220, 200}, {255, 240, 190}, false, 90, 70};
const Sky kEvening = {{70, 50, 110}, {240, 120, 70}, {255, 190, 110}, false, 230, 160};
const Sky kNight = {{6, 10, 34}, {30, 40, 86}, {240, 240, 210}, true, 240, 50};
const Sky kDeepNight = {{2, 2, 14}, {14, 18, 50}, {200, 200, 190}, true, 70, 40};
const Sky kRedSky = {{90, 20, 40}, {230, 90, 60}, {255, 200, 150}, false, 160, 120};

uint32_t Noise(int x, int y, int salt) {
    uint32_t h = (uint32_t)x * 73856093u ^ (uint32_t)y * 19349663u ^ (uint32_t)salt * 83492791u;
    h ^= h >> 13;
    h *= 1274126177u;
    return h ^ (h >> 16);
}

void Gradient(Image &img, int x0, int y0, int w, int h, const Sky &s, int horizon) {
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) img.Set(x0 + x, y0 + y, Mix(s.top, s.horizon, std::min(1.0, (double)y / horizon)));
    if (s.night)
        for (int i = 0; i < 90; i++) {
            const int x = (int)(Noise(i, 0, x0 + y0) % (uint32_t)w), y = (int)(Noise(i, 1, x0 + y0) % (uint32_t)horizon);
            img.Set(x0 + x, y0 + y, i % 4 ? Rgb{200, 200, 230} : Rgb{255, 255, 255});
        }
    // The sun or moon with a soft glow.
    for (int y = -30; y <= 30; y++)
        for (int x = -30; x <= 30; x++) {
            const double d = std::hypot(x, y);
            const int px = x0 + (int)s.sunX + x, py = y0 + (int)s.sunY + y;
            if (px < x0 || py < y0 || px >= x0 + w || py >= y0 + horizon) continue;
            if (d < 12) img.Set(px, py, s.night && std::hypot(x + 5, y - 3) < 10 ? Mix(s.top, s.horizon, 0.2) : s.light);
            else if (d < 30) img.Blend(px, py, s.light, (int)(60 * (1 - (d - 12) / 18)));
        }
}

// Sea below the horizon, with glints on the water.
void SeaSky(Image &img, int x0, int y0, const Sky &s) {
    const int horizon = 160;
    Gradient(img, x0, y0, 320, 240, s, horizon);
    const Rgb deep = Mix(s.top, {10, 30, 70}, 0.6), near = Mix(s.horizon, {20, 60, 110}, 0.5);
    for (int y = horizon; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            Rgb c = Mix(near, deep, (double)(y - horizon) / 80);
            if (Noise(x / 6, y, 5) % 11 == 0) c = Mix(c, s.light, 0.5);
            img.Set(x0 + x, y0 + y, c);
        }
    for (int x = 0; x < 320; x++) img.Set(x0 + x, y0 + horizon, Mix(s.horizon, s.light, 0.4));
}

// Clouds drifting over far hills.
void CloudSky(Image &img, int x0, int y0, const Sky &s) {
    Gradient(img, x0, y0, 320, 240, s, 200);
    const Rgb cloud = s.night ? Mix(s.top, {90, 90, 120}, 0.5) : Mix(s.horizon, {255, 255, 255}, 0.6);
    const Rgb shade = Mix(cloud, s.top, 0.35);
    for (int i = 0; i < 7; i++) {
        const double cx = Noise(i, 2, 9) % 320, cy = 30 + Noise(i, 3, 9) % 110, r = 14 + Noise(i, 4, 9) % 14;
        for (int k = 0; k < 5; k++) {
            const double bx = cx + (k - 2) * r * 0.8, by = cy + (k % 2) * r * 0.3, br = r * (k == 2 ? 1.0 : 0.7);
            for (int y = (int)(by - br); y <= by + br; y++)
                for (int x = (int)(bx - br); x <= bx + br; x++) {
                    if (std::hypot(x - bx, (y - by) * 1.6) > br || x < 0 || x >= 320 || y < 0 || y >= 240) continue;
                    img.Set(x0 + x, y0 + y, y > by + br * 0.3 ? shade : cloud);
                }
        }
    }
    const Rgb far = Mix(s.top, {40, 60, 70}, 0.6), nearHill = Mix(s.top, {20, 40, 40}, 0.8);
    for (int x = 0; x < 320; x++) {
        const int h1 = 180 + (int)(14 * std::sin(x * 0.03 + 1) + 7 * std::sin(x * 0.09));
        const int h2 = 205 + (int)(10 * std::sin(x * 0.05 + 3) + 5 * std::sin(x * 0.13));
        for (int y = h1; y < 240; y++) img.Set(x0 + x, y0 + y, far);
        for (int y = h2; y < 240; y++) img.Set(x0 + x, y0 + y, nearHill);
    }
}

// A seamless 64 x 64 pattern: dark mossy stones, every wave a divisor of 64.
Image Pattern() {
    Image img(64, 64, {0, 0, 0});
    const double k = 2 * M_PI / 64;
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const double v = std::sin(x * k * 2) * std::cos(y * k * 2) + 0.5 * std::sin((x + y) * k * 4) +
                             0.3 * std::cos((x - 2 * y) * k * 3);
            Rgb c = Mix({22, 30, 34}, {48, 62, 58}, (v + 1.8) / 3.6);
            if (((x * 7 + y * 13) & 63) == 5) c = {70, 86, 78};
            img.Set(x, y, c);
        }
    return img;
}

// Where each hour's sky lies on its sheet (the drawing picks these parts by hour).
struct SkyPart {
    int x, y;
    const Sky *sky;
};
constexpr SkyPart kSeaParts[] = {{0, 0, &kDay},     {320, 0, &kMorning},   {640, 0, &kRedSky},   {0, 256, &kNight},
                                 {320, 256, &kEvening}, {0, 512, &kDeepNight}, {320, 512, &kAfternoon}};
constexpr SkyPart kCloudParts[] = {{0, 0, &kDay},       {320, 0, &kMorning},   {0, 300, &kNight},
                                   {320, 300, &kEvening}, {0, 600, &kDeepNight}, {320, 600, &kAfternoon}};

void WriteBackdrops(const DemoOptions &o) {
    const fs::path dir = o.data / "map";
    Image sea(960, 752, {0, 0, 0});
    for (const SkyPart &p : kSeaParts) SeaSky(sea, p.x, p.y, *p.sky);
    WriteBmp(dir / "umisora.bmp", sea);
    Image clouds(640, 840, {0, 0, 0});
    for (const SkyPart &p : kCloudParts) CloudSky(clouds, p.x, p.y, *p.sky);
    WriteBmp(dir / "cloud.bmp", clouds);
    WriteBmp(dir / "back1.bmp", Pattern());
}

} // namespace

DEMO_WRITER("backdrops", 10, WriteBackdrops);

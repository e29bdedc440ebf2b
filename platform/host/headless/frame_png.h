// Presented frames saved as PNG files (the headless host's frames marked by the key script).
#pragma once

#include <cstdint>

// 0x00RRGGBB pixels, rows pitchBytes apart. False when the file cannot be written.
bool PlatformWriteFramePng(const char *path, const uint32_t *pixels, int width, int height, int pitchBytes);

// The display device's global records.
#include "library/graphics/device.h"

SCREENSETUP g_screenSetup;
DEVICESTATE g_deviceState;
DEVICEFORMATS g_deviceFormats;

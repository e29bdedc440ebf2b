// The display device's global records.
#include "library/graphics/device.h"
#include "library/graphics/device_links.h"
#include "library/graphics/font.h"

SCREENSETUP g_screenSetup;
DEVICESTATE g_deviceState;
DEVICEFORMATS g_deviceFormats;
SOFTSCREEN g_softScreen;

// Defaults for modules a program may be built without; theirs replace these when linked in.
__attribute__((weak)) int ReleaseAllModelDeviceResources() { return 0; }
__attribute__((weak)) int StartFontSystem() { return 0; }
__attribute__((weak)) int StopFontSystem() { return 0; }

// What the file calls and the search report about a host file, in the platform's terms.
#pragma once

#include "platform/windef.h"

#include <ctime>

namespace platform {

DWORD FileAttributesFromMode(unsigned mode);
FILETIME FileTimeFromHost(const timespec &time);

}  // namespace platform

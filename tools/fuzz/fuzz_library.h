// The library started once, headless, for the model fuzz entry points, so that a reader has its
// model system and textures their device. The driver's end hook (FuzzerEnd) ends it.
#pragma once

// Starts the library on the first call; false when it did not start (the input is then skipped).
bool FuzzLibraryStarted();

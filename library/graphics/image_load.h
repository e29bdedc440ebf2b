// Loading image files into BASEIMAGEs through the reader chain, with the "_a" alpha companion.
#pragma once

#include "library/graphics/base_image.h"

struct STREAMREF;

// The built-in readers in their fixed order; the first that accepts wins. 0 / -1.
int ReadImageByReaders(STREAMREF *stream, BASEIMAGE *out);

// From memory (fromMemory 1: memImage, memSize) or from the file layer (fileName). 0 / -1.
// The conversion flag is never set in this system and has no effect.
int LoadImageToBaseImage(const char *fileName, const void *memImage, int memSize, int fromMemory, BASEIMAGE *out,
                         int convertFlag);

// The main image, then its alpha image: alpha mode 0 takes "name_a.ext" beside a file, mode 1 the
// second memory image. 0 both loaded, 1 main only, -1 main failed.
int LoadImageWithAlphaFile(const char *fileName, const void *memImage, int memSize, int fromMemory,
                           const void *alphaMemImage, int alphaMemSize, int alphaMode, BASEIMAGE *out,
                           BASEIMAGE *alphaOut, int convertFlag);

// "name_a.ext" formed at the last "." of the whole path ("_a" appended when there is none).
// 0, or -1 when it does not fit in `size` bytes.
int MakeAlphaFileName(const char *fileName, char *out, int size);

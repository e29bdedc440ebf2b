#include "library/graphics/image_load.h"

#include <cstring>

#include "library/base/stream.h"
#include "library/graphics/image_readers.h"

namespace {

typedef int (*ImageReader)(STREAMREF *stream, BASEIMAGE *out);

const ImageReader kImageReaders[] = {ReadBmpImage, ReadJpegImage, ReadPngImage,
                                     ReadBgraImage, ReadTgaImage, ReadDdsImage};

}  // namespace

int ReadImageByReaders(STREAMREF *stream, BASEIMAGE *out) {
    for (ImageReader reader : kImageReaders) {
        stream->Seek(stream->handle, 0, 0);
        std::memset(out, 0, sizeof(*out));
        if (reader(stream, out) == 0) return 0;
    }
    std::memset(out, 0, sizeof(*out));
    return -1;
}

int LoadImageToBaseImage(const char *fileName, const void *memImage, int memSize, int fromMemory, BASEIMAGE *out,
                         int) {
    std::memset(out, 0, sizeof(*out));
    STREAMREF ref;
    if (fromMemory) {
        if (memImage == nullptr || memSize < 0) return -1;
        BUFSTREAM *stream = OpenMemStream(memImage, memSize);
        if (stream == nullptr) return -1;
        MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)stream);
    } else {
        if (fileName == nullptr) return -1;
        uintptr_t file = OpenDataFile(fileName, 0, 0, 0);
        if (file == 0) return -1;
        MakeStreamRef(&ref, GetFileStreamFuncs(), file);
    }
    BASEIMAGE image;
    int result = ReadImageByReaders(&ref, &image);
    ref.Close(ref.handle);
    if (result == 0) *out = image;
    return result;
}

int MakeAlphaFileName(const char *fileName, char *out, int size) {
    size_t length = std::strlen(fileName);
    if (length + 3 > (size_t)size) return -1;
    const char *dot = std::strrchr(fileName, '.');
    size_t stem = dot ? (size_t)(dot - fileName) : length;
    std::memcpy(out, fileName, stem);
    std::memcpy(out + stem, "_a", 2);
    std::memcpy(out + stem + 2, fileName + stem, length - stem + 1);
    return 0;
}

int LoadImageWithAlphaFile(const char *fileName, const void *memImage, int memSize, int fromMemory,
                           const void *alphaMemImage, int alphaMemSize, int alphaMode, BASEIMAGE *out,
                           BASEIMAGE *alphaOut, int convertFlag) {
    std::memset(alphaOut, 0, sizeof(*alphaOut));
    if (LoadImageToBaseImage(fileName, memImage, memSize, fromMemory, out, convertFlag) != 0) return -1;
    int loaded = -1;
    if (alphaMode == 0 && fileName != nullptr) {
        char alphaName[1024];
        if (MakeAlphaFileName(fileName, alphaName, (int)sizeof(alphaName)) == 0)
            loaded = LoadImageToBaseImage(alphaName, nullptr, 0, 0, alphaOut, convertFlag);
    } else if (alphaMode == 1 && alphaMemImage != nullptr) {
        loaded = LoadImageToBaseImage(nullptr, alphaMemImage, alphaMemSize, 1, alphaOut, convertFlag);
    }
    return loaded == 0 ? 0 : 1;
}

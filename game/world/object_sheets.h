// The item and object sheets, in load order. Cut into cells, they make one run of 346 images:
// image n of a field-object row is cell n of this run. Shared with the demo data writer.
#pragma once

struct ObjectSheet {
    const char *path;
    int total, columns, rows, cellWidth, cellHeight;
};

constexpr int kObjectSheetCount = 17;
constexpr int kObjectImageCount = 346;

inline constexpr ObjectSheet kObjectSheets[kObjectSheetCount] = {
    {"DataForWork\\Item.bmp", 80, 8, 10, 8, 8},
    {"DataForWork\\Item2.bmp", 32, 4, 8, 16, 16},
    {"DataForWork\\Item3.bmp", 1, 1, 1, 32, 32},
    {"DataForWork\\Item4.bmp", 1, 1, 1, 6, 7},
    {"DataForWork\\Item5.bmp", 9, 9, 1, 7, 8},
    {"DataForWork\\Item6.bmp", 1, 1, 1, 7, 7},
    {"DataForWork\\box2dobj.bmp", 28, 4, 7, 16, 16},
    {"DataForWork\\Item7.bmp", 2, 2, 1, 128, 128},
    {"DataForWork\\Item4.bmp", 2, 2, 1, 6, 7}, // the same file again, as two cells
    {"DataForWork\\iwa.bmp", 2, 2, 1, 32, 32},
    {"DataForWork\\iwa2.bmp", 1, 1, 1, 64, 64},
    {"DataForWork\\Item8.bmp", 1, 1, 1, 24, 48},
    {"DataForWork\\Item9.bmp", 2, 1, 2, 48, 8},
    {"DataForWork\\Item10.bmp", 80, 10, 10, 8, 8},
    {"DataForWork\\Item11.bmp", 2, 2, 1, 24, 24},
    {"DataForWork\\Item12.bmp", 100, 10, 10, 16, 16},
    {"DataForWork\\Item13.bmp", 2, 2, 1, 7, 7},
};

// Where image n lies: the sheet (index into kObjectSheets, -1 past the run) and its cell there.
struct ObjectImageCell {
    int sheet, x, y, w, h;
};

constexpr ObjectImageCell CellOfObjectImage(int image)
{
    int first = 0;
    for (int s = 0; s < kObjectSheetCount; s++) {
        const ObjectSheet &o = kObjectSheets[s];
        if (image >= first && image < first + o.total) {
            const int i = image - first;
            return {s, (i % o.columns) * o.cellWidth, (i / o.columns) * o.cellHeight, o.cellWidth, o.cellHeight};
        }
        first += o.total;
    }
    return {-1, 0, 0, 0, 0};
}

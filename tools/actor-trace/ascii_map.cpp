#include "tools/actor-trace/ascii_map.h"

#include <cstring>
#include <fstream>

bool AsciiCell(char c, uint32_t *cell)
{
    auto attribute = [](int a) { return (uint32_t)a << 8; };
    auto water = [](int b) { return (uint32_t)b << 24; };
    switch (c) {
    case '.':
    case ' ': *cell = 0; return true;
    case '#': *cell = attribute(1); return true;
    case 'X': *cell = attribute(10); return true;
    case '<': *cell = attribute(14); return true;
    case '>': *cell = attribute(15); return true;
    case '!': *cell = attribute(11); return true;
    case '?': *cell = attribute(12); return true;
    case '%': *cell = attribute(13); return true;
    case ')': *cell = water(13); return true;
    case '(': *cell = water(14); return true;
    case '~': *cell = water(15); return true;
    default: break;
    }
    if (c >= '2' && c <= '9') {
        *cell = attribute(c - '0');
        return true;
    }
    if (c >= 'A' && c <= 'O') {
        *cell = (uint32_t)(c - 'A' + 1) << 12;
        return true;
    }
    return false;
}

bool BuildAsciiMap(const std::vector<std::string> &rows, MapGrid &grid, std::string *error)
{
    auto fail = [&](const std::string &why) {
        FreeMapGrid(grid);
        if (error) *error = why;
        return false;
    };
    if (rows.empty() || rows[0].empty()) return fail("no rows");
    const size_t width = rows[0].size();
    std::vector<uint32_t> cells;
    for (size_t r = 0; r < rows.size(); r++) {
        if (rows[r].size() != width) return fail("row " + std::to_string(r) + " is not " + std::to_string(width) + " wide");
        for (size_t c = 0; c < width; c++) {
            uint32_t cell = 0;
            if (!AsciiCell(rows[r][c], &cell))
                return fail(std::string("row ") + std::to_string(r) + " column " + std::to_string(c) + ": '" +
                            rows[r][c] + "' is not a cell");
            cells.push_back(cell);
        }
    }
    grid.cells = std::move(cells);
    grid.width = (int)width;
    grid.height = (int)rows.size();
    grid.failed = 0;
    return true;
}

bool LoadAsciiMap(const char *path, MapGrid &grid, std::string *error)
{
    std::ifstream in(path);
    if (!in) {
        FreeMapGrid(grid);
        if (error) *error = std::string("cannot open ") + path;
        return false;
    }
    std::vector<std::string> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        rows.push_back(line);
    }
    return BuildAsciiMap(rows, grid, error);
}

// The town's text map (dat/town3.csv): four layers of `rows` lines of `columns` comma-separated chip
// numbers, one line between layers, lines after the last layer ignored. A number is 0 to 8191 (0 to 255 in
// the collision layer), or 255 for no chip.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMapFile {
public:
    static constexpr int kLayerCount = 4;
    static constexpr int kCollisionLayer = 3;
    static constexpr int kEmptyChip = 255;
    static constexpr int kChipCount = 8192;
    static constexpr int kCollisionChipCount = 256;
    // The town's map is about 100 KiB; a file far longer is no map and is not read into memory.
    static constexpr std::uintmax_t kMaxFileSize = 16 * 1024 * 1024;

    // The file's text through fFromText; a file that cannot be read or is too long is a CException.
    static CMapFile fFromFile(const std::string& path, int rows, int columns);
    // A line with too few fields or a field that is no chip number, or a map that ends before its last
    // layer, is a CException naming `name` and the line. rows and columns must be positive.
    static CMapFile fFromText(std::string_view text, int rows, int columns, const std::string& name);

    int fGetRows() const { return mRows; }
    int fGetColumns() const { return mColumns; }
    // The chip number at a cell (inside the map), kEmptyChip for none.
    int fGetChip(int layer, int column, int row) const;

private:
    CMapFile(int rows, int columns);
    void fReadLayer(const std::vector<std::string_view>& lines, int layer, const std::string& name);

    int mRows;
    int mColumns;
    // Column by column, as the terrain keeps its objects.
    std::array<std::vector<std::int16_t>, kLayerCount> mChips;
};

// The town map's text, at the game's size (80 x 80) and at a small one that short inputs can fill.
#include "FuzzCheck.h"

#include "Stage/CMapFile.h"
#include "base/CException.h"

namespace {
void parse(std::string_view text, int rows, int columns) {
    try {
        const CMapFile map = CMapFile::fFromText(text, rows, columns, "town3.csv");
        FUZZ_CHECK(map.fGetRows() == rows && map.fGetColumns() == columns);
        for (int layer = 0; layer < CMapFile::kLayerCount; ++layer) {
            const int limit =
                layer == CMapFile::kCollisionLayer ? CMapFile::kCollisionChipCount : CMapFile::kChipCount;
            for (int column = 0; column < columns; ++column) {
                for (int row = 0; row < rows; ++row) {
                    const int chip = map.fGetChip(layer, column, row);
                    FUZZ_CHECK(chip == CMapFile::kEmptyChip || (chip >= 0 && chip < limit));
                }
            }
        }
    } catch (const CException&) {
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzzText(data, size);
    parse(text, 80, 80);
    parse(text, 3, 3);
    return 0;
}

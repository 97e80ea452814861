#include "Stage/CMapFile.h"

#include "base/CException.h"
#include "base/Check.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace {
// Lines as std::getline gives them: a last line without a line end counts, an empty text has none.
std::vector<std::string_view> fSplitLines(std::string_view text, std::size_t wanted) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() < wanted) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
} // namespace

CMapFile::CMapFile(int rows, int columns) : mRows(rows), mColumns(columns) {
    TAVONI_CHECK(rows > 0 && columns > 0, "Stage.CMapFile", "map size must be positive");
    for (auto& layer : mChips) {
        layer.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), kEmptyChip);
    }
}

CMapFile CMapFile::fFromFile(const std::string& path, int rows, int columns) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        throw CException("cannot open the map " + path);
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxFileSize) {
        throw CException(path + ": the map is larger than " + std::to_string(kMaxFileSize) + " bytes");
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in) {
        throw CException("cannot read the map " + path);
    }
    return fFromText(text, rows, columns, path);
}

CMapFile CMapFile::fFromText(std::string_view text, int rows, int columns, const std::string& name) {
    CMapFile map(rows, columns);
    const std::size_t needed = static_cast<std::size_t>(kLayerCount) * static_cast<std::size_t>(rows + 1);
    const std::vector<std::string_view> lines = fSplitLines(text, needed);
    for (int layer = 0; layer < kLayerCount; ++layer) {
        map.fReadLayer(lines, layer, name);
    }
    return map;
}

void CMapFile::fReadLayer(const std::vector<std::string_view>& lines, int layer, const std::string& name) {
    const int startLine = layer * (mRows + 1);
    const int limit = layer == kCollisionLayer ? kCollisionChipCount : kChipCount;
    const int available = static_cast<int>(lines.size()) - startLine;
    if (available < mRows) {
        throw CException(name + ": the map ends at line " + std::to_string(lines.size()) + ", layer " +
                         std::to_string(layer) + " needs lines " + std::to_string(startLine + 1) + " to " +
                         std::to_string(startLine + mRows));
    }
    std::vector<std::int16_t>& chips = mChips[static_cast<std::size_t>(layer)];
    for (int row = 0; row < mRows; ++row) {
        const int n = startLine + row;
        std::string_view line = lines[static_cast<std::size_t>(n)];
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::string where = name + " line " + std::to_string(n + 1);
        std::size_t pos = 0;
        for (int column = 0; column < mColumns; ++column) {
            if (pos > line.size()) {
                throw CException(where + ": " + std::to_string(column) + " fields, " +
                                 std::to_string(mColumns) + " needed");
            }
            std::size_t end = line.find(',', pos);
            if (end == std::string_view::npos) {
                end = line.size();
            }
            int value = 0;
            const char* first = line.data() + pos;
            const char* last = line.data() + end;
            while (first < last && *first == ' ') {
                ++first;
            }
            const auto result = std::from_chars(first, last, value);
            if (result.ec != std::errc() || result.ptr != last) {
                throw CException(where + ": field " + std::to_string(column + 1) +
                                 " is not a whole number: \"" + std::string(line.substr(pos, end - pos)) +
                                 "\"");
            }
            if (value != kEmptyChip && (value < 0 || value >= limit)) {
                throw CException(where + ": chip " + std::to_string(value) + " does not exist");
            }
            chips[static_cast<std::size_t>(column) * static_cast<std::size_t>(mRows) +
                  static_cast<std::size_t>(row)] = static_cast<std::int16_t>(value);
            pos = end + 1;
        }
    }
}

int CMapFile::fGetChip(int layer, int column, int row) const {
    TAVONI_CHECK(layer >= 0 && layer < kLayerCount && column >= 0 && column < mColumns && row >= 0 &&
                     row < mRows,
                 "Stage.CMapFile", "map cell out of range");
    return mChips[static_cast<std::size_t>(layer)]
                 [static_cast<std::size_t>(column) * static_cast<std::size_t>(mRows) +
                  static_cast<std::size_t>(row)];
}

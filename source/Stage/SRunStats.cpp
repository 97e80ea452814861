#include "Stage/SRunStats.h"

#include <numeric>

namespace {
template <typename Array> std::string fJoin(const Array& values) {
    std::string out;
    for (const auto& v : values) {
        out += (out.empty() ? "" : ",") + std::to_string(v);
    }
    return out;
}
} // namespace

int SRunStats::fTotalKills() const {
    return std::accumulate(kills.begin(), kills.end(), 0);
}

std::string SRunStats::fFormat() const {
    std::string grounds;
    for (bool visited : groundsVisited) {
        grounds += visited ? '1' : '0';
    }
    return "stats kills " + fJoin(kills) + " multi " + std::to_string(bestMultiKill) + " faints " +
           std::to_string(faints) + " dishes " + std::to_string(dishes) + " combo " +
           std::to_string(bestCombo) + " rank " + std::to_string(bestRank) + " shots " + fJoin(shots) +
           " swaps " + std::to_string(leaderSwaps) + " grounds " + grounds + " eaten " +
           (eaten.empty() ? std::string("-") : fJoin(eaten));
}

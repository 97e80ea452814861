// The local high score ("dat/replay/score.dat"): the best score and whether it went to the ranking.
#pragma once

#include "base/serialization/ClassRegister.h"

#include <cstdint>
#include <string>

namespace serialization {
class Serializer;
}

class CHighScoreInfo final : public serialization::Serializable {
public:
    static constexpr const char* kClassName = "Stage.CHighScoreInfo";
    static constexpr const char* kClassTag = "C5Stage14CHighScoreInfo";

    CHighScoreInfo() = default;
    CHighScoreInfo(std::int32_t score, bool sent) : score(score), sent(sent) {}

    std::string className() const override { return kClassName; }
    void describe(serialization::Serializer& serializer);

    bool operator==(const CHighScoreInfo& other) const { return score == other.score && sent == other.sent; }

    std::int32_t score = 0;
    // True once the score was uploaded to the ranking.
    bool sent = false;
};

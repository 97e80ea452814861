// The player's gamepad assignment: for the game keys 0 to 14, the pad state bit that triggers each.
// Loaded at start-up into gOptionInfo, changed and saved by the option menu.
#pragma once

#include "base/serialization/ClassRegister.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace serialization {
class Serializer;
}

class COptionInfo final : public serialization::Serializable {
public:
    static constexpr const char* kClassName = "GameMain.COptionInfo";
    static constexpr const char* kClassTag = "C8GameMain11COptionInfo";
    static constexpr int kButtonCount = 15;

    // Left, up, right, down (twice: the movement keys and the arrow keys), then buttons 1 to 6 and 8.
    COptionInfo();

    // "Button" + n for a single button bit (n = 1..16), "Button?" for anything else (the direction bits).
    virtual std::string fGetButtonName(int index) const;

    std::string className() const override { return kClassName; }
    void describe(serialization::Serializer& serializer);

    std::vector<std::int32_t> buttons;
};

extern std::unique_ptr<COptionInfo> gOptionInfo;

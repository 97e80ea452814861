#include "GameMain/COptionInfo.h"

#include "base/Check.h"
#include "base/serialization/Serializer.h"
#include "input/PadSetting.h"

std::unique_ptr<COptionInfo> gOptionInfo;

namespace {
// The key manager reads the pad assignment from gOptionInfo wherever the settings are linked in.
[[maybe_unused]] const bool kPadSettingReaderSet = [] {
    fSetPadSettingReader([]() -> const std::vector<std::int32_t>* {
        return gOptionInfo != nullptr ? &gOptionInfo->buttons : nullptr;
    });
    return true;
}();
} // namespace

COptionInfo::COptionInfo()
    : buttons{0x2, 0x8, 0x4, 0x1, 0x2, 0x8, 0x4, 0x1, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x800} {}

std::string COptionInfo::fGetButtonName(int index) const {
    TAVONI_CHECK(index >= 0 && static_cast<std::size_t>(index) < buttons.size(), "GameMain",
                 "button index out of range");
    const std::uint32_t value = static_cast<std::uint32_t>(buttons[static_cast<std::size_t>(index)]) >> 4;
    for (int b = 0; b < 16; ++b) {
        if (value == (1u << b)) {
            return "Button" + std::to_string(b + 1);
        }
    }
    return "Button?";
}

void COptionInfo::describe(serialization::Serializer& serializer) {
    serializer.describe(buttons);
}

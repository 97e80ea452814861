// The saved records read from bytes: the settings, the high score and the tips. What is accepted must be
// whole and sane, and must come back unchanged through the game's own writer.
#include "FuzzCheck.h"

#include "GameMain/CTipsFile.h"
#include "GameMain/GameRecords.h"
#include "base/CException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> bytes = fuzzBytes(data, size);
    try {
        const COptionInfo setting = fReadSetting(bytes, "setting.dat");
        FUZZ_CHECK(setting.buttons.size() == static_cast<std::size_t>(COptionInfo::kButtonCount));
        // The settings hold nothing but ints, so their bytes are the only ones that read as them.
        const std::vector<std::byte> written = fSettingBytes(setting);
        FUZZ_CHECK(std::equal(written.begin(), written.end(), bytes.begin(), bytes.end()));
        for (int i = 0; i < COptionInfo::kButtonCount; ++i) {
            FUZZ_CHECK(!setting.fGetButtonName(i).empty());
        }
    } catch (const CException&) {
    }
    try {
        const CHighScoreInfo score = fReadHighScore(bytes, "score.dat");
        FUZZ_CHECK(fReadHighScore(fHighScoreBytes(score), "again") == score);
    } catch (const CException&) {
    }
    try {
        const std::vector<bool> tips = fReadTipsBytes(bytes, "tips.dat");
        FUZZ_CHECK(tips.size() + 4 <= size || (size == 0 && tips.empty()));
    } catch (const CException&) {
    }
    return 0;
}

#include "input/PadSetting.h"

namespace {
// A function-local static: settings register their reader while statics are being initialised.
PadSettingReader& fReader() {
    static PadSettingReader reader = nullptr;
    return reader;
}
} // namespace

void fSetPadSettingReader(PadSettingReader reader) {
    fReader() = reader;
}

const std::vector<std::int32_t>* fReadPadSetting() {
    return fReader() != nullptr ? fReader()() : nullptr;
}

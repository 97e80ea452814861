#include "GameMain/LanguageSettings.h"

#include "base/CException.h"
#include "base/Translation.h"
#include "base/serialization/RecordFile.h"
#include "base/serialization/Serializer.h"

#include <cstdint>

namespace {

struct SLanguageState {
    std::optional<ELanguage> commandLine;
    ELanguageSetting setting = ELanguageSetting::Auto;
};

SLanguageState& fState() {
    static SLanguageState state;
    return state;
}

void fDescribe(serialization::Serializer& s, ELanguageSetting& setting) {
    std::int32_t value = static_cast<std::int32_t>(setting);
    s.describe(value);
    if (value < static_cast<std::int32_t>(ELanguageSetting::Auto) ||
        value > static_cast<std::int32_t>(ELanguageSetting::English)) {
        throw CException("a language setting of " + std::to_string(value) + " is not 0, 1 or 2");
    }
    setting = static_cast<ELanguageSetting>(value);
}

} // namespace

std::optional<ELanguageSetting> fLoadLanguageSetting(const std::string& path) {
    ELanguageSetting setting = ELanguageSetting::Auto;
    if (!serialization::fLoadRecordOrSetAside(
            path, [&setting](serialization::Serializer& s) { fDescribe(s, setting); })) {
        return std::nullopt;
    }
    return setting;
}

void fSaveLanguageSetting(const std::string& path, ELanguageSetting setting) {
    serialization::fSaveRecord(path, [&setting](serialization::Serializer& s) { fDescribe(s, setting); });
}

bool fStartLanguage(std::optional<ELanguage> commandLine, ELanguageSetting saved) {
    SLanguageState& state = fState();
    state.commandLine = commandLine;
    state.setting = saved;
    return fSetLanguage(fChooseLanguage(commandLine, saved, fReadLocaleVariables()));
}

ELanguageSetting fGetLanguageSetting() {
    return fState().setting;
}

bool fApplyLanguageSetting(ELanguageSetting setting) {
    SLanguageState& state = fState();
    state.setting = setting;
    // The row, once set, is the player's latest word; Auto gives the command line back its say.
    const std::optional<ELanguage> commandLine =
        setting == ELanguageSetting::Auto ? state.commandLine : std::nullopt;
    return fSetLanguage(fChooseLanguage(commandLine, setting, fReadLocaleVariables()));
}

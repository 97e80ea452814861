#include "base/Language.h"

#include <cstdlib>

namespace {

std::string fVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool fIsCLocale(std::string_view name) {
    return name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.") || name.starts_with("C@");
}

// The language part of a locale name: "ja" of "ja_JP.UTF-8@x".
std::string_view fLanguagePart(std::string_view name) {
    return name.substr(0, name.find_first_of("_.@"));
}

} // namespace

SLocaleVariables fReadLocaleVariables() {
    return {fVariable("LANGUAGE"), fVariable("LC_ALL"), fVariable("LC_MESSAGES"), fVariable("LANG")};
}

ELanguage fLanguageOfLocale(const SLocaleVariables& variables) {
    std::string_view locale = variables.lcAll;
    if (locale.empty()) {
        locale = variables.lcMessages;
    }
    if (locale.empty()) {
        locale = variables.lang;
    }
    if (fIsCLocale(locale)) {
        return ELanguage::Japanese;
    }
    std::string_view list = variables.language;
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view entry = list.substr(0, colon);
        if (const std::optional<ELanguage> named = fParseLanguageCode(fLanguagePart(entry))) {
            return *named;
        }
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return fLanguagePart(locale) == "ja" ? ELanguage::Japanese : ELanguage::English;
}

std::optional<ELanguage> fParseLanguageCode(std::string_view code) {
    if (code == "ja") {
        return ELanguage::Japanese;
    }
    if (code == "en") {
        return ELanguage::English;
    }
    return std::nullopt;
}

const char* fLanguageCode(ELanguage language) {
    return language == ELanguage::English ? "en" : "ja";
}

ELanguage fChooseLanguage(std::optional<ELanguage> commandLine, ELanguageSetting saved,
                          const SLocaleVariables& variables) {
    if (commandLine) {
        return *commandLine;
    }
    switch (saved) {
    case ELanguageSetting::Japanese:
        return ELanguage::Japanese;
    case ELanguageSetting::English:
        return ELanguage::English;
    case ELanguageSetting::Auto:
        break;
    }
    return fLanguageOfLocale(variables);
}

// Which language the game speaks: Japanese (its own texts) or English (the catalog). The choice is made
// from the locale variables read here rather than from setlocale, which fails on a machine that has not
// generated the player's locale; the command line and the saved setting come before them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class ELanguage { Japanese, English };

// The key configuration's language row; kept in the player's folder as this number.
enum class ELanguageSetting { Auto = 0, Japanese = 1, English = 2 };

// The locale variables in gettext's order of precedence.
struct SLocaleVariables {
    std::string language;   // LANGUAGE: a colon-separated list of preferences
    std::string lcAll;      // LC_ALL
    std::string lcMessages; // LC_MESSAGES
    std::string lang;       // LANG
};

SLocaleVariables fReadLocaleVariables();

// Japanese for a "ja" locale and for C/POSIX (or nothing set), English for every other locale. As in
// gettext, LANGUAGE counts only when the locale itself is not C; its first entry naming one of the two
// languages decides, and a list naming neither leaves the choice to the locale.
ELanguage fLanguageOfLocale(const SLocaleVariables& variables);

// "ja" or "en"; nothing for any other text.
std::optional<ELanguage> fParseLanguageCode(std::string_view code);
const char* fLanguageCode(ELanguage language);

// The command line first, then a saved choice other than Auto, then the locale.
ELanguage fChooseLanguage(std::optional<ELanguage> commandLine, ELanguageSetting saved,
                          const SLocaleVariables& variables);

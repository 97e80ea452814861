// Which language a start chooses: the locale variables as gettext reads them, then the saved row and the
// command line before them.
#include "base/Language.h"

#include <gtest/gtest.h>

namespace {

struct SLocaleCase {
    SLocaleVariables variables;
    ELanguage expected;
};

TEST(Language, TheLocaleVariablesChooseJapaneseForJaAndCAndEnglishForTheRest) {
    const ELanguage ja = ELanguage::Japanese;
    const ELanguage en = ELanguage::English;
    const SLocaleCase cases[] = {
        {{"", "", "", ""}, ja},
        {{"", "", "", "C"}, ja},
        {{"", "", "", "POSIX"}, ja},
        {{"", "", "", "C.UTF-8"}, ja},
        {{"", "", "", "ja_JP.UTF-8"}, ja},
        {{"", "", "", "ja"}, ja},
        {{"", "", "", "en_US.UTF-8"}, en},
        {{"", "", "", "de_DE.UTF-8"}, en},
        {{"", "", "", "jam_JM"}, en}, // another language that merely starts with "ja"
        // LC_ALL before LC_MESSAGES before LANG.
        {{"", "ja_JP.UTF-8", "en_GB.UTF-8", "en_US.UTF-8"}, ja},
        {{"", "", "ja_JP.UTF-8", "en_US.UTF-8"}, ja},
        {{"", "C", "", "en_US.UTF-8"}, ja},
        {{"", "", "en_GB.UTF-8", "ja_JP.UTF-8"}, en},
        // LANGUAGE before them all, but not in the C locale (as gettext); its first known entry decides.
        {{"en", "", "", "ja_JP.UTF-8"}, en},
        {{"ja", "", "", "en_US.UTF-8"}, ja},
        {{"en", "", "", "C.UTF-8"}, ja},
        {{"en", "", "", ""}, ja},
        {{"de:ja:en", "", "", "en_US.UTF-8"}, ja},
        {{"fr_FR:en_GB", "", "", "ja_JP.UTF-8"}, en},
        {{"de:fr", "", "", "ja_JP.UTF-8"}, ja}, // naming neither: the locale decides
    };
    for (const SLocaleCase& c : cases) {
        const SLocaleVariables& v = c.variables;
        EXPECT_EQ(fLanguageOfLocale(v), c.expected) << "LANGUAGE=" << v.language << " LC_ALL=" << v.lcAll
                                                    << " LC_MESSAGES=" << v.lcMessages << " LANG=" << v.lang;
    }
}

TEST(Language, TheCommandLineComesBeforeTheSavedRowWhichComesBeforeTheLocale) {
    const SLocaleVariables english{"", "", "", "en_US.UTF-8"};
    const SLocaleVariables japanese{"", "", "", "ja_JP.UTF-8"};
    EXPECT_EQ(fChooseLanguage(std::nullopt, ELanguageSetting::Auto, english), ELanguage::English);
    EXPECT_EQ(fChooseLanguage(std::nullopt, ELanguageSetting::Auto, japanese), ELanguage::Japanese);
    EXPECT_EQ(fChooseLanguage(std::nullopt, ELanguageSetting::Japanese, english), ELanguage::Japanese);
    EXPECT_EQ(fChooseLanguage(std::nullopt, ELanguageSetting::English, japanese), ELanguage::English);
    EXPECT_EQ(fChooseLanguage(ELanguage::Japanese, ELanguageSetting::English, english), ELanguage::Japanese);
    EXPECT_EQ(fChooseLanguage(ELanguage::English, ELanguageSetting::Japanese, japanese), ELanguage::English);
    for (const char* code : {"ja", "en"}) {
        EXPECT_STREQ(fLanguageCode(fParseLanguageCode(code).value()), code);
    }
    for (const char* code : {"", "JA", "english", "ja_JP", "en "}) {
        EXPECT_FALSE(fParseLanguageCode(code).has_value()) << code;
    }
}

} // namespace

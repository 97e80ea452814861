// The web pages' words in Japanese and in English, one table per language, and the choice between them:
// "?lang=ja|en" first, then the browser's Accept-Language (quality values honoured), else Japanese, the
// game's own language. The JSON API has no words and is the same in both.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

enum class EPageLanguage { Japanese, English };

// The page's words. A "{0}", "{1}"... in a pattern is replaced by fFill.
struct SPageTexts {
    const char* code;     // the <html lang> and the "lang=" value
    const char* switchTo; // the link to the other language, in that language
    const char* title;    // the ranking's title
    const char* byScore;  // the two orders
    const char* byDate;
    const char* countLine; // {0} entries, page {1} of {2}
    const char* rankHead;  // the table's columns
    const char* nameHead;
    const char* scoreHead;
    const char* dateHead;
    const char* replayHead;
    const char* versionHead;
    const char* noName;   // an entry without a name
    const char* download; // a row's replay link
    const char* previous; // the page links
    const char* next;
    const char* rankValue;  // an entry's page: {0} the rank
    const char* scoreValue; // {0} the score
    const char* unknown;    // a version not known
    const char* runHead;
    const char* runUnknown;
    const char* playTime;   // {0} minutes, {1} seconds, {2} frames
    const char* dishCount;  // {0} dishes
    const char* killCount;  // {0} enemies
    const char* faintCount; // {0} faints
    const char* playTimeTerm;
    const char* dishesTerm;
    const char* killsTerm;
    const char* maxRankTerm;
    const char* faintsTerm;
    const char* resultHead;
    const char* resultAlt; // {0} the player's name
    const char* resultMissing;
    const char* resultDamaged;
    const char* downloadReplay;
    const char* backToRanking;
    std::array<const char*, 10> dishes; // in the game's dish order
};

const SPageTexts& fPageTexts(EPageLanguage language);

// The page's language and whether the query chose it (then its links keep "lang=").
struct SPageLanguage {
    EPageLanguage language = EPageLanguage::Japanese;
    bool fromQuery = false;

    const SPageTexts& fTexts() const { return fPageTexts(language); }
    // "&lang=xx" (or "?lang=xx" with `first`) when the query chose the language, else nothing.
    std::string fLinkSuffix(bool first) const;
};

// The language an Accept-Language header asks for: the ranges by quality (the earlier first among equals);
// the first that is Japanese or English decides; a header naming only other languages means English, no
// header (or only "*") Japanese.
EPageLanguage fLanguageOfAcceptHeader(std::string_view header);
// "ja" or "en" from the query wins over the header; any other value of "lang" is ignored.
SPageLanguage fChoosePageLanguage(std::string_view langQuery, std::string_view acceptHeader);

// `pattern` with "{0}", "{1}"... replaced by the values in order.
std::string fFill(std::string_view pattern, std::initializer_list<std::string> values);

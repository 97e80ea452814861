// The ranking for people and scripts: the web page at "/" (pages of 50, by score or by date, each entry
// with a link to its page and its replay) and the JSON of "/api/ranking". The pages are self-contained: no
// scripts, and no fonts, pictures or style sheets from anywhere else; they take the game's colours and its
// font where the browser has it, and fit a phone's width.
#pragma once

#include "CRankingStore.h"
#include "PageTexts.h"

#include <string>
#include <string_view>
#include <vector>

class CRankingPage {
public:
    static constexpr int kRowsPerPage = 50;

    // `page` counts from 1; `total` is the number of entries in the whole ranking. The page is in
    // `language`, with a link to the same page in the other one.
    static std::string fHtml(const std::vector<SListedEntry>& rows, int total, int page, ERankingOrder order,
                             const SPageLanguage& language = {});
    static std::string fJson(const std::vector<SListedEntry>& rows, int total, int offset, int limit,
                             ERankingOrder order);

    static std::string fEscapeHtml(std::string_view text);
    static std::string fEscapeJson(std::string_view text);

    // The start of every page, up to and with the opening of <main>, and its end.
    static std::string fPageStart(std::string_view title, EPageLanguage language = EPageLanguage::Japanese);
    // The link to `path` in the other language than `language`'s.
    static std::string fLanguageSwitch(const std::string& path, const std::string& query,
                                       const SPageLanguage& language);
    static std::string fPageEnd();
    // What a browser is shown when a page cannot be: the status, the reason and a way back.
    static std::string fErrorHtml(int status, std::string_view reason);
};

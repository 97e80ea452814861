#include "CEntryPage.h"
#include "ReplayDownloadName.h"

#include "CDishPictures.h"
#include "CRankingPage.h"

namespace {

std::string fFact(const char* id, const char* term, const std::string& value) {
    return std::string("<dt>") + term + "</dt><dd id=\"" + id + "\">" + value + "</dd>\n";
}

std::string fRunFacts(const std::optional<SRunSummary>& run, const SPageTexts& t) {
    if (!run) {
        return std::string("<p id=\"run-unknown\" class=\"unknown\">") + t.runUnknown + "</p>\n";
    }
    const int seconds = run->frames / 60; // at 60 frames a second
    std::string html = "<dl id=\"run\">\n";
    html += fFact("frames", t.playTimeTerm,
                  fFill(t.playTime, {std::to_string(seconds / 60), std::to_string(seconds % 60),
                                     std::to_string(run->frames)}));
    html += fFact("dishes", t.dishesTerm, fFill(t.dishCount, {std::to_string(run->dishes.size())}));
    html += fFact("kills", t.killsTerm, fFill(t.killCount, {std::to_string(run->kills)}));
    html += fFact("max-rank", t.maxRankTerm, std::to_string(run->maxRank));
    html += fFact("faints", t.faintsTerm, fFill(t.faintCount, {std::to_string(run->faints)}));
    html += "</dl>\n";
    if (!run->dishes.empty()) {
        html += "<ul class=\"dishes\" id=\"eaten\">";
        for (const int dish : run->dishes) {
            const bool known = dish >= 0 && dish < CDishPictures::kCount;
            const std::string name =
                CRankingPage::fEscapeHtml(known ? t.dishes[static_cast<std::size_t>(dish)] : "?");
            html += "<li><img src=\"/dishes/" + std::to_string(dish) + ".png\" alt=\"" + name +
                    "\" title=\"" + name + "\" width=\"32\" height=\"32\"></li>";
        }
        html += "</ul>\n";
    }
    return html;
}

std::string fPicture(const std::string& id, CEntryPage::EPicture picture, const std::string& name,
                     const SPageTexts& t) {
    switch (picture) {
    case CEntryPage::EPicture::Shown:
        return "<figure><img id=\"result\" src=\"/entry/" + id +
               "/result.png\" width=\"640\" height=\"480\" alt=\"" + fFill(t.resultAlt, {name}) +
               "\"></figure>\n";
    case CEntryPage::EPicture::Missing:
        return std::string("<p id=\"result-notice\" class=\"notice\">") + t.resultMissing + "</p>\n";
    case CEntryPage::EPicture::Damaged:
        return std::string("<p id=\"result-notice\" class=\"notice\">") + t.resultDamaged + "</p>\n";
    }
    return {};
}

} // namespace

std::string CEntryPage::fHtml(const SListedEntry& entry, EPicture picture, const SPageLanguage& language) {
    const SPageTexts& t = language.fTexts();
    const std::string id = CRankingPage::fEscapeHtml(entry.id);
    const std::string name =
        entry.name.empty() ? std::string(t.noName) : CRankingPage::fEscapeHtml(entry.name);
    const std::string back = "/" + language.fLinkSuffix(true);
    std::string html = CRankingPage::fPageStart(entry.name + " - " + t.title, language.language) +
                       CRankingPage::fLanguageSwitch("/entry/" + id, "", language) + "<h1><a href=\"" + back +
                       "\">" + t.title + "</a></h1>\n<h2 id=\"name\">" + name + "</h2>\n<dl>\n";
    html += fFact("rank", t.rankHead, fFill(t.rankValue, {std::to_string(entry.rank)}));
    html += fFact("score", t.scoreHead, fFill(t.scoreValue, {std::to_string(entry.score)}));
    html += fFact("date", t.dateHead, fFormatRegisteredAt(entry.registeredAt));
    html += fFact("version", t.versionHead,
                  entry.version.empty() ? "<span class=\"unknown\">" + std::string(t.unknown) + "</span>"
                                        : CRankingPage::fEscapeHtml(entry.version));
    html += "</dl>\n<h2>" + std::string(t.runHead) + "</h2>\n" + fRunFacts(entry.run, t) + "<h2>" +
            t.resultHead + "</h2>\n" + fPicture(id, picture, name, t);
    html += "<p><a class=\"replay\" href=\"/replays/" + id + "\" download=\"" +
            CRankingPage::fEscapeHtml(fReplayFileName(entry.name, entry.score)) + "\">" + t.downloadReplay +
            "</a> ・ <a href=\"" + back + "\">" + t.backToRanking + "</a></p>\n";
    return html + CRankingPage::fPageEnd();
}

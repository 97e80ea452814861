#include "CEntryPage.h"
#include "ReplayDownloadName.h"

#include "CDishPictures.h"
#include "CRankingPage.h"

namespace {

// "2分28秒" for frames at 60 a second.
std::string fPlayTime(int frames) {
    const int seconds = frames / 60;
    return std::to_string(seconds / 60) + "分" + std::to_string(seconds % 60) + "秒";
}

std::string fFact(const char* id, const char* term, const std::string& value) {
    return std::string("<dt>") + term + "</dt><dd id=\"" + id + "\">" + value + "</dd>\n";
}

std::string fRunFacts(const std::optional<SRunSummary>& run) {
    if (!run) {
        return "<p id=\"run-unknown\" "
               "class=\"unknown\">この記録はプレイの内容を残すようになる前に登録されたため、"
               "内容はわかりません。</p>\n";
    }
    std::string html = "<dl id=\"run\">\n";
    html += fFact("frames", "プレイ時間",
                  fPlayTime(run->frames) + " <span class=\"sub\">(" + std::to_string(run->frames) +
                      " フレーム)</span>");
    html += fFact("dishes", "食べた料理", std::to_string(run->dishes.size()) + " 品");
    html += fFact("kills", "倒した敵", std::to_string(run->kills) + " 体");
    html += fFact("max-rank", "最高ランク", std::to_string(run->maxRank));
    html += fFact("faints", "気絶", std::to_string(run->faints) + " 回");
    html += "</dl>\n";
    if (!run->dishes.empty()) {
        html += "<ul class=\"dishes\" id=\"eaten\">";
        for (const int dish : run->dishes) {
            const std::string name = CRankingPage::fEscapeHtml(CDishPictures::fName(dish));
            html += "<li><img src=\"/dishes/" + std::to_string(dish) + ".png\" alt=\"" + name +
                    "\" title=\"" + name + "\" width=\"32\" height=\"32\"></li>";
        }
        html += "</ul>\n";
    }
    return html;
}

} // namespace

std::string CEntryPage::fHtml(const SListedEntry& entry, EPicture picture) {
    const std::string id = CRankingPage::fEscapeHtml(entry.id);
    const std::string name =
        entry.name.empty() ? std::string("(名無し)") : CRankingPage::fEscapeHtml(entry.name);
    std::string html = CRankingPage::fPageStart(entry.name + " - たぼに！ ランキング") +
                       "<h1><a href=\"/\">たぼに！ ランキング</a></h1>\n<h2 id=\"name\">" + name +
                       "</h2>\n<dl>\n";
    html += fFact("rank", "順位", std::to_string(entry.rank) + " 位");
    html += fFact("score", "スコア", std::to_string(entry.score) + " 点");
    html += fFact("date", "登録日時 (UTC)", fFormatRegisteredAt(entry.registeredAt));
    html += fFact("version", "確認したバージョン",
                  entry.version.empty() ? std::string("<span class=\"unknown\">不明</span>")
                                        : CRankingPage::fEscapeHtml(entry.version));
    html += "</dl>\n<h2>プレイの内容</h2>\n" + fRunFacts(entry.run) + "<h2>結果画面</h2>\n";
    switch (picture) {
    case EPicture::Shown:
        html += "<figure><img id=\"result\" src=\"/entry/" + id +
                "/result.png\" width=\"640\" height=\"480\" alt=\"" + name + " の結果画面\"></figure>\n";
        break;
    case EPicture::Missing:
        html +=
            "<p id=\"result-notice\" class=\"notice\">結果画面の画像はありません。登録の直後はまだ作っている"
            "ところです。しばらくしてから読み込み直してください。</p>\n";
        break;
    case EPicture::Damaged:
        html +=
            "<p id=\"result-notice\" class=\"notice\">結果画面の画像が壊れているため、表示できません。</p>\n";
        break;
    }
    html += "<p><a class=\"replay\" href=\"/replays/" + id + "\" download=\"" +
            CRankingPage::fEscapeHtml(fReplayFileName(entry.name, entry.score)) +
            "\">リプレイをダウンロード</a> ・ <a href=\"/\">ランキングへ戻る</a></p>\n";
    return html + CRankingPage::fPageEnd();
}

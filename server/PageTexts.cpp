#include "PageTexts.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace {

const SPageTexts kJapanese{
    "ja",
    "English",
    "たぼに！ ランキング",
    "スコア順",
    "登録日時順",
    "{0} 件 ({1} / {2} ページ)",
    "順位",
    "名前",
    "スコア",
    "登録日時 (UTC)",
    "リプレイ",
    "確認したバージョン",
    "(名無し)",
    "ダウンロード",
    "前のページ",
    "次のページ",
    "{0} 位",
    "{0} 点",
    "不明",
    "プレイの内容",
    "この記録はプレイの内容を残すようになる前に登録されたため、内容はわかりません。",
    "{0}分{1}秒 <span class=\"sub\">({2} フレーム)</span>",
    "{0} 品",
    "{0} 体",
    "{0} 回",
    "プレイ時間",
    "食べた料理",
    "倒した敵",
    "最高ランク",
    "気絶",
    "結果画面",
    "{0} の結果画面",
    "結果画面の画像はありません。登録の直後はまだ作っているところです。しばらくしてから読み込み直してください"
    "。",
    "結果画面の画像が壊れているため、表示できません。",
    "リプレイをダウンロード",
    "ランキングへ戻る",
    {"玉子焼き", "ホットドッグ", "おにぎり", "カツ丼", "恵方巻き", "チャーハン", "タマゴサンド", "食パン",
     "ジンギスカン", "スペアリブ(羊)"},
};

const SPageTexts kEnglish{
    "en",
    "日本語",
    "Tavoni! Ranking",
    "By score",
    "By date",
    "{0} entries (page {1} of {2})",
    "Rank",
    "Name",
    "Score",
    "Registered (UTC)",
    "Replay",
    "Checked by version",
    "(no name)",
    "Download",
    "Previous page",
    "Next page",
    "No. {0}",
    "{0} points",
    "unknown",
    "The run",
    "This entry was registered before the server kept what happened in a run, so there is nothing to show.",
    "{0} min {1} s <span class=\"sub\">({2} frames)</span>",
    "{0}",
    "{0}",
    "{0}",
    "Play time",
    "Dishes eaten",
    "Enemies beaten",
    "Highest rank",
    "Faints",
    "Result screen",
    "The result screen of {0}",
    "There is no picture of the result screen yet: it is made just after the entry arrives. Reload the page "
    "in a little while.",
    "The picture of the result screen is damaged and cannot be shown.",
    "Download the replay",
    "Back to the ranking",
    {"Omelette", "Hot dog", "Rice ball", "Katsudon", "Sushi roll", "Fried rice", "Egg sando", "Bread",
     "Lamb BBQ", "Lamb ribs"},
};

struct SRange {
    std::string language; // lower case, the primary tag only ("ja" of "ja-JP")
    int quality = 1000;   // thousandths
    std::size_t order = 0;
};

std::string_view fTrim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// "q=0.8" as thousandths; nothing for a malformed value (the range is then passed over).
std::optional<int> fQuality(std::string_view parameter) {
    parameter = fTrim(parameter);
    if (parameter.size() < 3 || (parameter[0] != 'q' && parameter[0] != 'Q') || parameter[1] != '=') {
        return std::nullopt;
    }
    const std::string_view value = parameter.substr(2);
    if (value.empty() || value.size() > 5 || (value[0] != '0' && value[0] != '1')) {
        return std::nullopt;
    }
    int quality = (value[0] - '0') * 1000;
    if (value.size() > 1) {
        if (value[1] != '.') {
            return std::nullopt;
        }
        int scale = 100;
        for (const char c : value.substr(2)) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            quality += (c - '0') * scale;
            scale /= 10;
        }
    }
    return quality <= 1000 ? std::optional<int>(quality) : std::nullopt;
}

std::vector<SRange> fRanges(std::string_view header) {
    std::vector<SRange> ranges;
    // A header is short; one that is not is read no further than a browser would ever send.
    header = header.substr(0, 4096);
    while (!header.empty()) {
        const std::size_t comma = header.find(',');
        std::string_view item = header.substr(0, comma);
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
        const std::size_t semicolon = item.find(';');
        SRange range;
        std::string_view tag = fTrim(item.substr(0, semicolon));
        tag = tag.substr(0, tag.find('-'));
        for (const char c : tag) {
            range.language += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        // Of the parameters only q counts; a range whose q cannot be read is passed over.
        bool readable = true;
        for (std::string_view rest = semicolon == std::string_view::npos ? std::string_view()
                                                                         : item.substr(semicolon);
             !rest.empty();) {
            rest.remove_prefix(1);
            const std::string_view parameter = fTrim(rest.substr(0, rest.find(';')));
            rest = rest.substr(std::min(rest.find(';'), rest.size()));
            if (parameter.starts_with("q=") || parameter.starts_with("Q=")) {
                const std::optional<int> quality = fQuality(parameter);
                readable = readable && quality.has_value();
                range.quality = quality.value_or(0);
            }
        }
        if (!readable) {
            continue;
        }
        if (range.language.empty() || range.quality == 0) {
            continue;
        }
        range.order = ranges.size();
        ranges.push_back(range);
    }
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const SRange& a, const SRange& b) { return a.quality > b.quality; });
    return ranges;
}

} // namespace

const SPageTexts& fPageTexts(EPageLanguage language) {
    return language == EPageLanguage::English ? kEnglish : kJapanese;
}

std::string SPageLanguage::fLinkSuffix(bool first) const {
    if (!fromQuery) {
        return {};
    }
    return std::string(first ? "?" : "&amp;") + "lang=" + fTexts().code;
}

EPageLanguage fLanguageOfAcceptHeader(std::string_view header) {
    bool named = false;
    for (const SRange& range : fRanges(header)) {
        if (range.language == "ja") {
            return EPageLanguage::Japanese;
        }
        if (range.language == "en") {
            return EPageLanguage::English;
        }
        named = named || range.language != "*";
    }
    return named ? EPageLanguage::English : EPageLanguage::Japanese;
}

SPageLanguage fChoosePageLanguage(std::string_view langQuery, std::string_view acceptHeader) {
    if (langQuery == "ja") {
        return {EPageLanguage::Japanese, true};
    }
    if (langQuery == "en") {
        return {EPageLanguage::English, true};
    }
    return {fLanguageOfAcceptHeader(acceptHeader), false};
}

std::string fFill(std::string_view pattern, std::initializer_list<std::string> values) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' && pattern[i + 1] >= '0' &&
            pattern[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '0');
            if (n < values.size()) {
                out += *(values.begin() + n);
                i += 2;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

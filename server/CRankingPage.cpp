#include "CRankingPage.h"
#include "ReplayDownloadName.h"

#include <cstdio>

namespace {

const char* fOrderName(ERankingOrder order) {
    return order == ERankingOrder::Score ? "score" : "date";
}

std::string fPageLink(int page, ERankingOrder order, const std::string& caption,
                      const SPageLanguage& language) {
    return "<a href=\"/?sort=" + std::string(fOrderName(order)) + "&amp;page=" + std::to_string(page) +
           language.fLinkSuffix(false) + "\">" + caption + "</a>";
}

// What the check saw, each field null when it is not known.
std::string fRunJson(const std::optional<SRunSummary>& run) {
    if (!run) {
        return ",\"frames\":null,\"dishes\":null,\"kills\":null,\"maxRank\":null,\"faints\":null,"
               "\"eaten\":null";
    }
    return ",\"frames\":" + std::to_string(run->frames) +
           ",\"dishes\":" + std::to_string(run->dishes.size()) + ",\"kills\":" + std::to_string(run->kills) +
           ",\"maxRank\":" + std::to_string(run->maxRank) + ",\"faints\":" + std::to_string(run->faints) +
           ",\"eaten\":[" + fFormatDishList(run->dishes) + "]";
}

} // namespace

std::string CRankingPage::fEscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string CRankingPage::fEscapeJson(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            // Names are ASCII; anything else is shown as its byte rather than breaking the UTF-8 of the
            // reply.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string CRankingPage::fLanguageSwitch(const std::string& path, const std::string& query,
                                          const SPageLanguage& language) {
    const SPageTexts& other = fPageTexts(
        language.language == EPageLanguage::English ? EPageLanguage::Japanese : EPageLanguage::English);
    return "<nav id=\"language\"><a href=\"" + path + "?" + query + (query.empty() ? "" : "&amp;") +
           "lang=" + other.code + "\" hreflang=\"" + other.code + "\" lang=\"" + other.code + "\">" +
           other.switchTo + "</a></nav>\n";
}

std::string CRankingPage::fPageStart(std::string_view title, EPageLanguage language) {
    // The colours of the game's windows: deep blue panes, a gold rule, white text, the title's orange.
    return "<!DOCTYPE html>\n<html lang=\"" + std::string(fPageTexts(language).code) +
           "\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>" +
           fEscapeHtml(title) +
           "</title><style>"
           "body{font-family:'VL PGothic','VL Gothic',sans-serif;background:#8fc7ee;color:#fff;margin:0;"
           "padding:1em;line-height:1.5}"
           "main{max-width:60em;margin:0 auto;background:#262d5c;border:3px solid #d8dcf0;border-radius:8px;"
           "padding:1em 1.5em;box-shadow:0 3px 0 #1a1f40}"
           "h1{margin:0 0 .5em;font-size:1.6em;color:#ffb347;text-shadow:2px 2px 0 #5a2a18}"
           "h1 a{color:inherit;text-decoration:none}"
           "h2{font-size:1.2em;margin:1.2em 0 .4em;border-bottom:2px solid #d8b860;padding-bottom:.2em}"
           "a{color:#ffd27a}a:hover{color:#fff}"
           "table{border-collapse:collapse;width:100%}"
           "th,td{padding:.35em .6em;border-bottom:1px solid #4a5290;text-align:left}"
           "th{color:#d8b860;font-weight:normal;border-bottom:2px solid #d8b860}"
           "td.rank,td.score,th.rank,th.score{text-align:right}td.score{font-weight:bold}"
           "td.name{word-break:break-all}"
           "tbody tr:nth-child(even){background:#2d356b}"
           "nav{margin:1em 0}nav a,nav strong{margin-right:1em}nav#language{float:right;margin:0}"
           "dl{display:grid;grid-template-columns:10em 1fr;gap:.3em 1em;margin:0}"
           "dt{color:#d8b860}dd{margin:0}.sub{white-space:nowrap;color:#b8bcd8}"
           "ul.dishes{list-style:none;padding:0;margin:.3em 0;display:flex;flex-wrap:wrap;gap:4px}"
           "ul.dishes img{width:32px;height:32px;image-rendering:pixelated;background:#1f2550;"
           "border-radius:4px}"
           "figure{margin:1em 0}figure img{width:100%;max-width:640px;height:auto;image-rendering:pixelated;"
           "border:2px solid #d8dcf0;border-radius:4px}"
           ".notice{background:#1f2550;border:2px dashed "
           "#8a90c0;border-radius:4px;padding:1em;max-width:40em}"
           ".unknown{color:#b8bcd8}"
           "@media (max-width:600px){body{padding:.4em}main{padding:.6em .7em}h1{font-size:1.3em}"
           "th,td{padding:.3em .3em}.wide{display:none}dl{grid-template-columns:9.5em 1fr}}"
           "</style></head><body><main>\n";
}

std::string CRankingPage::fPageEnd() {
    return "</main></body></html>\n";
}

std::string CRankingPage::fHtml(const std::vector<SListedEntry>& rows, int total, int page,
                                ERankingOrder order, const SPageLanguage& language) {
    const SPageTexts& t = language.fTexts();
    const int pages = total == 0 ? 1 : (total + kRowsPerPage - 1) / kRowsPerPage;
    const std::string here = "sort=" + std::string(fOrderName(order)) + "&amp;page=" + std::to_string(page);
    std::string html = fPageStart(t.title, language.language) + fLanguageSwitch("/", here, language) +
                       "<h1>" + t.title + "</h1>\n<nav id=\"sort\">";
    html += order == ERankingOrder::Score ? "<strong>" + std::string(t.byScore) + "</strong>"
                                          : fPageLink(1, ERankingOrder::Score, t.byScore, language);
    html += order == ERankingOrder::Date ? "<strong>" + std::string(t.byDate) + "</strong>"
                                         : fPageLink(1, ERankingOrder::Date, t.byDate, language);
    html += "</nav>\n<p>" +
            fFill(t.countLine, {std::to_string(total), std::to_string(page), std::to_string(pages)}) +
            "</p>\n";
    html += "<table id=\"ranking\"><thead><tr><th class=\"rank\">" + std::string(t.rankHead) + "</th><th>" +
            t.nameHead + "</th><th class=\"score\">" + t.scoreHead + "</th><th>" + t.dateHead +
            "</th><th class=\"wide\">" + t.replayHead + "</th><th class=\"wide\">" + t.versionHead +
            "</th></tr></thead><tbody>\n";
    for (const SListedEntry& e : rows) {
        // Every field is escaped, the id too: the stores check their rows, and the page does not rely on it.
        const std::string id = fEscapeHtml(e.id);
        // The name links to the entry's page; an empty name still needs something to click.
        html += "<tr><td class=\"rank\">" + std::to_string(e.rank) +
                "</td><td class=\"name\"><a href=\"/entry/" + id + language.fLinkSuffix(true) + "\">" +
                (e.name.empty() ? std::string(t.noName) : fEscapeHtml(e.name)) +
                "</a></td><td class=\"score\">" + std::to_string(e.score) + "</td><td class=\"date\">" +
                fFormatRegisteredAt(e.registeredAt) +
                "</td><td class=\"wide\"><a class=\"replay\" href=\"/replays/" + id + "\" download=\"" +
                fEscapeHtml(fReplayFileName(e.name, e.score)) + "\">" + t.download +
                "</a></td><td class=\"version wide\">" +
                (e.version.empty() ? std::string("—") : fEscapeHtml(e.version)) + "</td></tr>\n";
    }
    html += "</tbody></table>\n<nav id=\"pages\">";
    if (page > 1) {
        html += fPageLink(page - 1, order, t.previous, language);
    }
    if (page < pages) {
        html += fPageLink(page + 1, order, t.next, language);
    }
    html += "</nav>\n" + fPageEnd();
    return html;
}

std::string CRankingPage::fJson(const std::vector<SListedEntry>& rows, int total, int offset, int limit,
                                ERankingOrder order) {
    std::string json = "{\"total\":" + std::to_string(total) + ",\"offset\":" + std::to_string(offset) +
                       ",\"limit\":" + std::to_string(limit) + ",\"sort\":\"" + fOrderName(order) +
                       "\",\"entries\":[";
    bool first = true;
    for (const SListedEntry& e : rows) {
        if (!first) {
            json += ',';
        }
        first = false;
        const std::string id = fEscapeJson(e.id);
        json += "{\"rank\":" + std::to_string(e.rank) + ",\"name\":\"" + fEscapeJson(e.name) +
                "\",\"score\":" + std::to_string(e.score) + ",\"replayId\":\"" + id +
                "\",\"registeredAt\":\"" + fFormatRegisteredAt(e.registeredAt) + "\",\"replay\":\"/replays/" +
                id + "\",\"version\":" +
                (e.version.empty() ? std::string("null") : "\"" + fEscapeJson(e.version) + "\"") +
                fRunJson(e.run) + ",\"page\":\"/entry/" + id + "\"}";
    }
    json += "]}\n";
    return json;
}

std::string CRankingPage::fErrorHtml(int status, std::string_view reason) {
    const std::string heading = status == 404 ? "ページが見つかりません" : "ページを表示できません";
    return fPageStart(heading + " - たぼに！ ランキング") +
           "<h1><a href=\"/\">たぼに！ ランキング</a></h1>\n" + "<h2 id=\"error\">" + heading + " (" +
           std::to_string(status) + ")</h2>\n<p id=\"reason\">" + fEscapeHtml(reason) +
           "</p>\n<p><a href=\"/\">ランキングへ戻る</a></p>\n" + fPageEnd();
}

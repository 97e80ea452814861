#include "CRankingPage.h"

#include <cstdio>

namespace {

const char* fOrderName(ERankingOrder order) {
    return order == ERankingOrder::Score ? "score" : "date";
}

std::string fPageLink(int page, ERankingOrder order, const std::string& caption) {
    return "<a href=\"/?sort=" + std::string(fOrderName(order)) + "&amp;page=" + std::to_string(page) +
           "\">" + caption + "</a>";
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

std::string CRankingPage::fHtml(const std::vector<SListedEntry>& rows, int total, int page,
                                ERankingOrder order) {
    const int pages = total == 0 ? 1 : (total + kRowsPerPage - 1) / kRowsPerPage;
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>たぼに！ ランキング</title><style>"
        "body{font-family:sans-serif;background:#f8f1e7;color:#432412;margin:2em}"
        "table{border-collapse:collapse}th,td{padding:.3em .8em;border-bottom:1px solid #d0b6a6}"
        "td.rank,td.score{text-align:right}nav{margin:1em 0}nav a,nav strong{margin-right:1em}"
        "</style></head><body>\n<h1>たぼに！ ランキング</h1>\n<nav id=\"sort\">";
    html += order == ERankingOrder::Score ? "<strong>スコア順</strong>"
                                          : fPageLink(1, ERankingOrder::Score, "スコア順");
    html += order == ERankingOrder::Date ? "<strong>登録日時順</strong>"
                                         : fPageLink(1, ERankingOrder::Date, "登録日時順");
    html += "</nav>\n<p>" + std::to_string(total) + " 件 (" + std::to_string(page) + " / " +
            std::to_string(pages) + " ページ)</p>\n";
    html +=
        "<table id=\"ranking\"><thead><tr><th>順位</th><th>名前</th><th>スコア</th><th>登録日時 (UTC)</th>"
        "<th>リプレイ</th><th>確認したバージョン</th></tr></thead><tbody>\n";
    for (const SListedEntry& e : rows) {
        html += "<tr><td class=\"rank\">" + std::to_string(e.rank) + "</td><td class=\"name\">" +
                fEscapeHtml(e.name) + "</td><td class=\"score\">" + std::to_string(e.score) +
                "</td><td class=\"date\">" + fFormatRegisteredAt(e.registeredAt) +
                "</td><td><a class=\"replay\" href=\"/replays/" + e.id + "\" download=\"" + e.id +
                "\">ダウンロード</a></td><td class=\"version\">" +
                (e.version.empty() ? std::string("—") : fEscapeHtml(e.version)) + "</td></tr>\n";
    }
    html += "</tbody></table>\n<nav id=\"pages\">";
    if (page > 1) {
        html += fPageLink(page - 1, order, "前のページ");
    }
    if (page < pages) {
        html += fPageLink(page + 1, order, "次のページ");
    }
    html += "</nav>\n</body></html>\n";
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
        json += "{\"rank\":" + std::to_string(e.rank) + ",\"name\":\"" + fEscapeJson(e.name) +
                "\",\"score\":" + std::to_string(e.score) + ",\"replayId\":\"" + e.id +
                "\",\"registeredAt\":\"" + fFormatRegisteredAt(e.registeredAt) + "\",\"replay\":\"/replays/" +
                e.id + "\",\"version\":" +
                (e.version.empty() ? std::string("null") : "\"" + fEscapeJson(e.version) + "\"") + "}";
    }
    json += "]}\n";
    return json;
}

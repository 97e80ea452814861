#include "RankingProtocol.h"

#include "base/FieldText.h"

#include <algorithm>
#include <climits>
#include <ctime>

namespace {

int fHexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

// Our own rather than MHD_http_unescape, which passes a broken escape through: a request with one is refused.
std::optional<std::string> fPercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = fHexValue(text[i + 1]);
        const int low = fHexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string fCheckPlayerName(std::string_view name) {
    if (name.size() > kMaxNameBytes) {
        return "the name is longer than 12 characters";
    }
    for (const char c : name) {
        if (c == '?') {
            return "the name holds a \"?\"";
        }
        if (!fIsPlayerNameChar(c)) {
            return "the name holds a character that is not printable single-byte";
        }
    }
    return {};
}

bool fIsServerReplayId(std::string_view id) {
    return id.size() == 32 && std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string fCheckListedEntry(const SListedEntry& entry) {
    // 9999/12/31 23:59:59 UTC: the date shown keeps its width.
    constexpr std::int64_t kLastDate = 253402300799;
    if (!fIsServerReplayId(entry.id)) {
        return "the id is not one of ours";
    }
    if (std::string why = fCheckPlayerName(entry.name); !why.empty()) {
        return why;
    }
    if (entry.score < 1) {
        return "the score is not a whole number from 1 to 2147483647";
    }
    if (entry.registeredAt < 0 || entry.registeredAt > kLastDate) {
        return "the date is out of range";
    }
    const bool printable = std::all_of(entry.version.begin(), entry.version.end(),
                                       [](char c) { return c >= 0x20 && c <= 0x7e; });
    if (entry.version.size() > 64 || !printable) {
        return "the version is not up to 64 printable characters";
    }
    return {};
}

std::optional<SRankingRequest> fParseRankingQuery(std::string_view query, std::string& error) {
    const std::vector<std::string_view> raw = fSplitFields(query, '?');
    std::vector<std::string> fields;
    for (const std::string_view part : raw) {
        std::optional<std::string> decoded = fPercentDecode(part);
        if (!decoded) {
            error = "a field has a broken percent escape";
            return std::nullopt;
        }
        fields.push_back(std::move(*decoded));
    }
    SRankingRequest request;
    const std::string& action = fields[0];
    if (action == "GetRankingList") {
        if (fields.size() != 1) {
            error = "GetRankingList takes no fields";
            return std::nullopt;
        }
        request.action = ERankingAction::GetRankingList;
    } else if (action == "UploadRanking") {
        if (fields.size() != 3) {
            error = "UploadRanking takes a name and a score";
            return std::nullopt;
        }
        request.action = ERankingAction::UploadRanking;
        error = fCheckPlayerName(fields[1]);
        if (!error.empty()) {
            return std::nullopt;
        }
        request.name = fields[1];
        // A score of 0 is what every run starts with; it is never a player's new high score.
        if (!fParseDecimalInt(fields[2], request.score) || request.score < 1) {
            error = "the score is not a whole number from 1 to 2147483647";
            return std::nullopt;
        }
    } else if (action == "DownloadReplay") {
        if (fields.size() != 2) {
            error = "DownloadReplay takes a replay id";
            return std::nullopt;
        }
        if (!fIsServerReplayId(fields[1])) {
            error = "the replay id is malformed";
            return std::nullopt;
        }
        request.action = ERankingAction::DownloadReplay;
        request.replayId = fields[1];
    } else {
        error = "unknown action";
        return std::nullopt;
    }
    return request;
}

std::optional<std::map<std::string, std::string>> fParseFormQuery(std::string_view query) {
    std::map<std::string, std::string> values;
    if (query.empty()) {
        return values;
    }
    for (const std::string_view part : fSplitFields(query, '&')) {
        if (part.empty()) {
            continue;
        }
        const std::size_t eq = part.find('=');
        std::string key(part.substr(0, eq));
        std::string value(eq == std::string_view::npos ? std::string_view() : part.substr(eq + 1));
        std::replace(key.begin(), key.end(), '+', ' ');
        std::replace(value.begin(), value.end(), '+', ' ');
        std::optional<std::string> k = fPercentDecode(key);
        std::optional<std::string> v = fPercentDecode(value);
        if (!k || !v) {
            return std::nullopt;
        }
        values[*k] = *v;
    }
    return values;
}

std::string fFormatRegisteredAt(std::int64_t unixSeconds) {
    const std::time_t time = static_cast<std::time_t>(unixSeconds);
    std::tm utc{};
    gmtime_r(&time, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &utc);
    return text;
}

std::string fFormatRankingList(const std::vector<SListedEntry>& entries) {
    if (entries.empty()) {
        return "\n";
    }
    std::string reply;
    reply.reserve(entries.size() * 64);
    for (const SListedEntry& e : entries) {
        reply += e.name;
        reply += '?';
        reply += std::to_string(e.score);
        reply += '?';
        reply += e.id;
        reply += '?';
        reply += fFormatRegisteredAt(e.registeredAt);
        reply += '\n';
    }
    return reply;
}

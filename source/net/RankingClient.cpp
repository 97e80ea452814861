#include "net/RankingClient.h"
#include "base/GameFolders.h"

#include "base/CArchiver.h"
#include "base/CException.h"
#include "base/FieldText.h"
#include "base/Log.h"
#include "base/ReplayFormat.h"
#include "net/CCurlWrapper.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

// Set when the game is built (TAVONI_RANKING_SERVER in CMake).
const char* const kDefaultRankingServer = TAVONI_DEFAULT_RANKING_SERVER;

namespace {

// The scratch file the list and download requests send as their body; nothing writes it, so the body is
// empty unless a player put one there.
const char* const kEmptyBodyFile = "a.txt";

std::string& fOptionServer() {
    static std::string server;
    return server;
}

// The server named in the player's setting file, when it names a valid one.
std::string& fSettingServer() {
    static std::string server;
    return server;
}

constexpr std::string_view kHttpsScheme = "https://";

// A bare HOST[:PORT] is plain HTTP, as the ranking always was; "https://" asks for TLS.
std::string fBaseUrl(const std::string& server) {
    const std::string root = server.starts_with(kHttpsScheme) ? server : "http://" + server;
    return root + "/cgi-bin/tavoni103/ranking.cgi";
}

} // namespace

bool fIsValidServerAddress(std::string_view address) {
    if (address.starts_with(kHttpsScheme)) {
        address.remove_prefix(kHttpsScheme.size());
    }
    std::string_view host = address;
    std::string_view port;
    if (!address.empty() && address.front() == '[') {
        const std::size_t close = address.find(']');
        if (close == std::string_view::npos || close < 2) {
            return false;
        }
        host = address.substr(1, close - 1);
        const std::string_view rest = address.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return false;
            }
            port = rest.substr(1);
            if (port.empty()) {
                return false;
            }
        }
        if (!std::all_of(host.begin(), host.end(), [](char c) {
                return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                       c == ':' || c == '.';
            })) {
            return false;
        }
    } else {
        const std::size_t colon = address.find(':');
        if (colon != std::string_view::npos) {
            host = address.substr(0, colon);
            port = address.substr(colon + 1);
            if (port.empty()) {
                return false;
            }
        }
        if (host.empty() || host.size() > 253 || host.front() == '-' || host.front() == '.' ||
            !std::all_of(host.begin(), host.end(), [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-';
            })) {
            return false;
        }
    }
    if (!port.empty()) {
        int number = 0;
        if (!fParseDecimalInt(port, number) || number < 1 || number > 65535) {
            return false;
        }
    }
    return true;
}

bool fSetRankingServer(std::string_view address) {
    if (!address.empty() && !fIsValidServerAddress(address)) {
        return false;
    }
    fOptionServer() = address;
    return true;
}

void fSetSettingRankingServer(std::string_view address) {
    fSettingServer() = fIsValidServerAddress(address) ? std::string(address) : std::string();
}

std::string fGetRankingServer() {
    if (!fOptionServer().empty()) {
        return fOptionServer();
    }
    const std::string fallback = fSettingServer().empty() ? kDefaultRankingServer : fSettingServer();
    const char* env = std::getenv(kRankingServerEnvironment);
    if (env != nullptr && *env != '\0') {
        if (fIsValidServerAddress(env)) {
            return env;
        }
        std::fprintf(stderr, "ranking: %s=\"%.200s\" is not [https://]HOST[:PORT]; using %s\n",
                     kRankingServerEnvironment, env, fallback.c_str());
    }
    return fallback;
}

std::string fPercentEncode(std::string_view text) {
    // libcurl keeps exactly the unreserved set and writes every other byte as "%XX".
    char* escaped = curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size()));
    if (escaped == nullptr) {
        throw std::bad_alloc();
    }
    std::string out(escaped);
    curl_free(escaped);
    return out;
}

std::string fRankingListUrl(const std::string& server) {
    return fBaseUrl(server) + "?GetRankingList";
}

std::string fUploadRankingUrl(const std::string& server, const std::string& name, int score) {
    return fBaseUrl(server) + "?UploadRanking?" + fPercentEncode(name) + "?" + std::to_string(score);
}

std::string fDownloadReplayUrl(const std::string& server, const std::string& replayId) {
    return fBaseUrl(server) + "?DownloadReplay?" + fPercentEncode(replayId);
}

SUploadResult fParseUploadReply(const std::string& reply) {
    std::string_view text(reply);
    if (text.ends_with("\r\n")) {
        text.remove_suffix(2);
    } else if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    const std::size_t mark = text.find('?');
    if (mark == std::string_view::npos || text.substr(0, mark) != "UploadSuccess") {
        return {};
    }
    const std::string_view rank = text.substr(mark + 1);
    int value = 0;
    if (!fParseDecimalInt(rank, value) || value < 1) {
        return {};
    }
    return {true, value, {}};
}

std::string fUploadRefusal(const std::string& reply) {
    constexpr std::string_view kFailed = "UploadFailed?";
    if (!reply.starts_with(kFailed)) {
        return {};
    }
    std::string_view reason = std::string_view(reply).substr(kFailed.size());
    reason = reason.substr(0, reason.find_first_of("\r\n"));
    std::string shown;
    for (std::size_t i = 0; i < reason.size();) {
        const auto lead = static_cast<unsigned char>(reason[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
        const bool whole = length > 0 && i + length <= reason.size() &&
                           std::all_of(reason.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       reason.begin() + static_cast<std::ptrdiff_t>(i + length),
                                       [](char c) { return (static_cast<unsigned char>(c) & 0xc0) == 0x80; });
        if (!whole) {
            length = std::max<std::size_t>(length, 1); // a broken byte is skipped
        } else if (shown.size() + length > 120) {
            break;
        } else if (length > 1 || (lead >= 0x20 && lead != 0x7f)) {
            shown.append(reason.substr(i, length));
        }
        i += length;
    }
    return shown;
}

SUploadResult fUploadRanking(int score, const std::string& name) {
    const std::string url = fUploadRankingUrl(fGetRankingServer(), name, score);
    const CCurlWrapper::SExchange reply = CCurlWrapper::fExchange(url, fUserPath(kPackedReplayPath));
    if (!reply.transferred) {
        return {};
    }
    SUploadResult result;
    if (reply.status >= 200 && reply.status < 300) {
        result = fParseUploadReply(reply.body);
    }
    if (!result.ok) {
        // The server says why it refused; the player is shown it, and the log keeps the whole answer.
        result.refusal = fUploadRefusal(reply.body);
        fLogWarning("ranking: " + url + ": the upload was refused (HTTP " + std::to_string(reply.status) +
                    "): " + reply.body.substr(0, 200));
    }
    return result;
}

SRankingListResult fFetchRankingList() {
    const std::string reply =
        CCurlWrapper::fPost(fRankingListUrl(fGetRankingServer()), fUserPath(kEmptyBodyFile));
    SRankingListResult result;
    if (reply.empty()) {
        result.notice = kNoticeConnectionFailed;
    } else if (!fFirstLineHasFourFields(reply)) {
        result.notice = kNoticeNoRankingData;
    } else {
        result.ok = true;
        result.entries = fParseRankingList(reply);
        fAssignCompetitionRanks(result.entries);
    }
    return result;
}

std::string fDownloadedReplayPath(const std::string& replayId) {
    return fUserPath(kDownloadedReplayFolder) + replayId;
}

SDownloadResult fDownloadReplay(const std::string& replayId) {
    if (!fIsValidReplayId(replayId)) {
        std::fprintf(stderr, "ranking: refused to download a replay with the id \"%.80s\"\n",
                     replayId.c_str());
        return {false, {}, kNoticeDownloadFailed};
    }
    const std::string path = fDownloadedReplayPath(replayId);
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return {true, path, {}};
    }
    const std::string reply =
        CCurlWrapper::fPost(fDownloadReplayUrl(fGetRankingServer(), replayId), fUserPath(kEmptyBodyFile));
    if (reply.empty()) {
        return {false, {}, kNoticeConnectionFailed};
    }
    // "~" never appears in an id, so the partial file cannot be taken for a finished download.
    std::filesystem::create_directories(fUserPath(kDownloadedReplayFolder), error);
    const std::string partial = fUserPath(kDownloadedReplayFolder) + "~" + replayId + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reply.data(), static_cast<std::streamsize>(reply.size()));
        out.close();
        if (!out) {
            fRemoveIfPresent(partial);
            fLogWarning("cannot write the downloaded replay " + partial);
            return {false, {}, kNoticeDownloadFailed};
        }
    }
    try {
        CArchiver::fCheckReplay(partial);
    } catch (const CException& e) {
        fRemoveIfPresent(partial);
        std::fprintf(stderr, "ranking: the downloaded replay %s is refused: %s\n", replayId.c_str(),
                     e.what());
        return {false, {}, kNoticeDownloadFailed};
    }
    std::filesystem::rename(partial, path, error);
    if (error) {
        fRemoveIfPresent(partial);
        fLogWarning("cannot keep the downloaded replay " + path + ": " + error.message());
        return {false, {}, kNoticeDownloadFailed};
    }
    return {true, path, {}};
}

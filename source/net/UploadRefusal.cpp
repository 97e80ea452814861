#include "net/UploadRefusal.h"

#include "base/Translation.h"

#include <string>

namespace {

struct SKnownRefusal {
    std::string_view start; // the server's wording begins so
    const char* message;    // %s: the name in the reason's double quotes
};

constexpr const char* kBusy = fTrMark("サーバが混み合っています\n時間をおいてから送ってください");
constexpr const char* kCheckFailed =
    fTrMark("サーバでリプレイを確認できませんでした\n時間をおいてから送ってください");
constexpr const char* kStoreFailed = fTrMark("サーバで記録できませんでした\n時間をおいてから送ってください");

// In the order they are looked for: a longer start before a shorter one it begins with.
constexpr SKnownRefusal kKnown[] = {
    {"not a replay", fTrMark("リプレイファイルではありませんでした")},
    {"the replay does not reach the score", fTrMark("リプレイがそのスコアに届きませんでした")},
    {"this replay is registered with another score", fTrMark("このリプレイは別のスコアで登録されています")},
    {"this replay is registered under the name", fTrMark("このリプレイは%sさんの\n名前で登録されています")},
    {"this replay has been taken off", fTrMark("このリプレイはランキングから外されています")},
    {"this name is not allowed", fTrMark("この名前はランキングに使えません\n別の名前を入れてください")},
    {"the replay is larger than", fTrMark("リプレイファイルが大きすぎます")},
    {"too many uploads", fTrMark("送信が多すぎます\n時間をおいてから送ってください")},
    {"the ranking is under maintenance",
     fTrMark("ランキングはメンテナンス中です\n時間をおいてから送ってください")},
    {"the server is busy", kBusy},
    {"the check did not finish in time", kBusy},
    {"the replay took longer than", fTrMark("リプレイの確認に時間がかかりすぎました")},
    {"the game refused the replay", fTrMark("このリプレイはゲームで再生できませんでした")},
    {"the game ", kCheckFailed},
    {"the check ", kCheckFailed},
    {"the replay could not be checked", kCheckFailed},
    {"the server could not", kStoreFailed},
    {"the upload could not", kStoreFailed},
};

} // namespace

std::optional<std::string> fDescribeRefusal(std::string_view refusal) {
    for (const SKnownRefusal& known : kKnown) {
        if (!refusal.starts_with(known.start)) {
            continue;
        }
        const std::string_view message = fTr(known.message);
        if (message.find("%s") == std::string_view::npos) {
            return std::string(message);
        }
        const std::size_t open = refusal.find('"');
        const std::size_t close = refusal.rfind('"');
        const std::string_view name =
            open < close ? refusal.substr(open + 1, close - open - 1) : std::string_view("?");
        std::string text(message);
        text.replace(text.find("%s"), 2, name);
        return text;
    }
    return std::nullopt;
}

// The server's reasons for a refusal reach the player in the game's language, the quoted name kept; a
// reason the game does not know is left for the server's own words.
#include "net/UploadRefusal.h"
#include "ServerRefusals.h"
#include "base/Language.h"
#include "base/Translation.h"

#include <gtest/gtest.h>
#include <set>

namespace {

TEST(UploadRefusal, EveryKnownReasonIsToldInTheGamesLanguageAndOthersAreLeftAsTheyCame) {
    fSetLocaleFolder(TAVONI_LOCALE_DIR);
    const struct {
        const char* reason;
        const char* japanese;
        const char* english;
    } cases[] = {
        {"this replay is registered under the name \"Alice\"",
         "このリプレイはAliceさんの\n名前で登録されています", "This replay is in under the name Alice"},
        // "the check did not finish" is the server being busy, not a failed check.
        {"the check did not finish in time; try again later",
         "サーバが混み合っています\n時間をおいてから送ってください",
         "The server is busy\nTry again a little later"},
        {"the check failed with exit status 3",
         "サーバでリプレイを確認できませんでした\n時間をおいてから送ってください",
         "The server could not check the replay\nTry again a little later"},
        {"the game refused the replay", "このリプレイはゲームで再生できませんでした",
         "The game could not play this replay"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fSetLanguage(ELanguage::Japanese));
        EXPECT_EQ(fDescribeRefusal(c.reason), c.japanese);
        ASSERT_TRUE(fSetLanguage(ELanguage::English));
        EXPECT_EQ(fDescribeRefusal(c.reason), c.english);
    }
    // Every kind the server has is known, and none reads as another's.
    std::set<std::string> told;
    for (const char* reason : kServerRefusals) {
        const std::optional<std::string> text = fDescribeRefusal(reason);
        ASSERT_TRUE(text) << reason;
        EXPECT_EQ(text->find_first_of("%\""), std::string::npos) << *text;
        told.insert(*text);
    }
    EXPECT_GE(told.size(), 14u);
    fSetLanguage(ELanguage::Japanese);
    for (const char* unknown : {"", "a reason of a newer server", "the", "the gamer"}) {
        EXPECT_FALSE(fDescribeRefusal(unknown)) << unknown;
    }
}

} // namespace

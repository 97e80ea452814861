// The game's language seen from outside: the locale variables, --language and the key configuration's saved
// row each choose it, on a machine that has no locale but C.UTF-8.
#include "GameRunner.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Z opens the menu, DOWN to "ランキング表示", Z asks a server that is not there: two notices are traced.
const char* const kAskTheRanking = "10 tap Z\n20 tap Down\n30 tap Z\n";
const char* const kJapaneseNotice = "menu notice: ランキングサーバに接続中です...";
const char* const kEnglishNotice = "menu notice: Calling the ranking server...";

SGameResult fRun(const CGameFolder& folder, const std::string& script, const std::vector<std::string>& env,
                 std::vector<std::string> args = {}) {
    folder.fWrite("input.txt", script);
    std::vector<std::string> all{"--no-render",      "--no-wait",   "--frames", "60",       "--trace-menu",
                                 "--ranking-server", "127.0.0.1:9", "--input",  "input.txt"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<std::string> environment{"HOME=" + (folder / ".home").string(), "XDG_DATA_HOME",
                                         "TAVONI_DATA_DIR"};
    environment.insert(environment.end(), env.begin(), env.end());
    return fRunProgram(TAVONI_BINARY, all, folder.fPath(), environment);
}

bool fSpeaksEnglish(const SGameResult& r) {
    const bool english = r.out.find(kEnglishNotice) != std::string::npos;
    const bool japanese = r.out.find(kJapaneseNotice) != std::string::npos;
    EXPECT_NE(english, japanese) << r.out << r.err;
    return english;
}

} // namespace

TEST(LanguageGame, TheLocaleTheCommandLineAndTheSavedRowChooseTheLanguage) {
    struct Case {
        std::vector<std::string> env;
        std::vector<std::string> args;
        bool english;
    };
    const Case cases[] = {
        {{"LANG=en_US.UTF-8"}, {}, true},
        {{"LANG=ja_JP.UTF-8"}, {}, false},
        {{"LANG=C.UTF-8"}, {}, false},
        {{"LANG=de_DE.UTF-8", "LANGUAGE=en"}, {}, true},
        {{"LANG=en_US.UTF-8", "LC_ALL=ja_JP.UTF-8"}, {}, false},
        {{"LANG=en_US.UTF-8"}, {"--language", "ja"}, false},
        {{"LANG=C.UTF-8"}, {"--language", "en"}, true},
    };
    CGameFolder folder;
    for (const Case& c : cases) {
        const SGameResult r = fRun(folder, kAskTheRanking, c.env, c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(fSpeaksEnglish(r), c.english) << c.env.front() << (c.args.empty() ? "" : " --language");
    }

    // The key configuration ("キーコンフィグ", third): UP to the language row, RIGHT to 日本語, Z saves it.
    // The row then wins over an English locale, and --language over the row.
    const SGameResult set =
        fRun(folder, "10 tap Z\n20 tap Down\n30 tap Down\n40 tap Z\n46 tap Up\n50 tap Right\n56 tap Z\n",
             {"LANG=en_US.UTF-8"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_NE(set.out.find("option menu: language ja"), std::string::npos) << set.out;
    EXPECT_TRUE(folder.fExists("dat/language.dat"));
    EXPECT_FALSE(fSpeaksEnglish(fRun(folder, kAskTheRanking, {"LANG=en_US.UTF-8"})));
    EXPECT_TRUE(fSpeaksEnglish(fRun(folder, kAskTheRanking, {"LANG=en_US.UTF-8"}, {"--language", "en"})));

    // A damaged file is set aside with a warning, and the locale decides again.
    folder.fWrite("dat/language.dat", "not a setting");
    const SGameResult damaged = fRun(folder, kAskTheRanking, {"LANG=en_US.UTF-8"});
    EXPECT_TRUE(fSpeaksEnglish(damaged));
    EXPECT_NE(damaged.err.find("language.dat"), std::string::npos) << damaged.err;
}

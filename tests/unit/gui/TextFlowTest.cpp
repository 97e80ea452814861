// A text that grows past its lines flows again to the width, measured with the font; one that fits is kept.
#include "gui/TextFlow.h"
#include "GuiTestEnv.h"
#include "gui/GuiStyle.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

using TextFlowTest = GuiTest;

std::vector<std::string> fLinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST_F(TextFlowTest, LinesThatFitAreKeptAndOthersFlowAtSpacesOrBetweenCharacters) {
    const int font = gui::fStandardFont();
    const int width = 300;
    const struct {
        std::string text;
        bool keptAsWritten;
        std::string joined; // the lines joined again, each break read as written here
    } cases[] = {
        {"短い行\nもう一行", true, ""},
        {"Press RShift to swap heroines! Each one has her\nstrengths, so pick the right one.", false,
         "Press RShift to swap heroines! Each one has her strengths, so pick the right one."},
        {"RShiftキーを押すと操作キャラクターを変更することが\nできるぞ！", false,
         "RShiftキーを押すと操作キャラクターを変更することができるぞ！"},
    };
    for (const auto& c : cases) {
        const std::string fitted = fFitLines(c.text, width, font);
        const std::vector<std::string> lines = fLinesOf(fitted);
        std::string joined;
        for (const std::string& line : lines) {
            EXPECT_LE(dx_GetDrawStringWidthToHandle(line.c_str(), int(line.size()), font), width) << line;
            EXPECT_FALSE(line.starts_with(" ") || line.ends_with(" ")) << '"' << line << '"';
            const bool ascii = !joined.empty() && (joined.back() & 0x80) == 0 && (line.front() & 0x80) == 0;
            joined += (ascii ? " " : "") + line;
        }
        if (c.keptAsWritten) {
            EXPECT_EQ(fitted, c.text);
        } else {
            EXPECT_GT(lines.size(), fLinesOf(c.text).size()) << fitted;
            EXPECT_EQ(joined, c.joined) << "a word was cut or a character lost:\n" << fitted;
        }
    }
    // A closing mark that no longer fits takes the character before it down with it.
    const std::string line = "Spaceキーを押しっぱなしにすると溜め攻撃が可能だ";
    const int upToIt = dx_GetDrawStringWidthToHandle(line.c_str(), int(line.size()), font);
    EXPECT_EQ(fFitLines(line + "！", upToIt, font), "Spaceキーを押しっぱなしにすると溜め攻撃が可能\nだ！");
}

} // namespace

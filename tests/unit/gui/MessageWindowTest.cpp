// Message windows: one message in a box of three lines at least, and notices paged with Z.
#include "GuiTestEnv.h"
#include "gui/CCommonMessageWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace {

class MessageWindowTest : public GuiTest {
protected:
    static CMessageInfo fQueue(const std::vector<std::string>& messages) {
        CMessageInfo queue;
        for (const std::string& m : messages) {
            queue.fAddMessage(m);
        }
        return queue;
    }

    // The texts of line0, line1, ... as far as they go.
    static std::vector<std::string> fLines(CWindowBase& window) {
        std::vector<std::string> lines;
        for (int i = 0;; ++i) {
            auto* label = window.fGetWindow().fGetTextLabel("line" + std::to_string(i));
            if (!label) {
                return lines;
            }
            lines.push_back(label->fGetText());
        }
    }

    static constexpr int kThreeLines = 3 * 24 + 2 * 12 + 2 * 20;
};

TEST_F(MessageWindowTest, OneMessageFillsThreeLinesAtLeast) {
    CMessageWindow two(fQueue({"一行目\n二行目"}));
    EXPECT_EQ(fLines(two), (std::vector<std::string>{"一行目", "二行目", ""}));
    EXPECT_EQ(two.fGetWindow().fGetHeight(), kThreeLines);
    EXPECT_EQ(two.fGetWindow().fGetWidth(), 620);
    EXPECT_EQ(two.fGetWindow().fGetRect().x, 10);
    EXPECT_EQ(two.fGetWindow().fGetRect().y, 330);
    EXPECT_EQ(two.fGetWindow().fGetFocusName(), "") << "no line is highlighted";
    EXPECT_EQ(two.fGetWindow().fGetWidget("nextIcon"), nullptr);

    CMessageWindow four(fQueue({"1\n2\n3\n4"}), 380, std::nullopt);
    EXPECT_EQ(fLines(four).size(), 4u);
    EXPECT_EQ(four.fGetWindow().fGetHeight(), kThreeLines + 36);
    EXPECT_EQ(four.fGetWindow().fGetWidth(), 380);

    // No input is taken.
    mKeys->fPress(EGameKey::KEY_Z);
    two.fInput();
    EXPECT_TRUE(mKeys->fIsPush(EGameKey::KEY_Z, true)) << "the push is left for the owner";
}

TEST_F(MessageWindowTest, NoticesPageOnZAndFinishOnce) {
    struct Case {
        std::vector<std::string> messages;
        int pressesToFinish;
    };
    for (const Case& c : {Case{{"first", "second"}, 2}, Case{{}, 1}, Case{{"a", "b", "c"}, 3}}) {
        auto notice = std::make_unique<CPagedMessageWindow>(fQueue(c.messages));
        int finished = 0;
        notice->fSetOnFinish([&finished] { ++finished; });
        if (c.messages.empty()) {
            EXPECT_EQ(fLines(*notice), (std::vector<std::string>{"", "", ""}));
        }
        for (int press = 1; press <= c.pressesToFinish + 1; ++press) {
            notice->fInput(); // Z not held: nothing happens
            fTap(EGameKey::KEY_Z, [&] { notice->fInput(); });
            const bool done = press >= c.pressesToFinish;
            EXPECT_EQ(notice->fIsFinished(), done) << c.messages.size() << " messages, press " << press;
            EXPECT_EQ(finished, done ? 1 : 0) << c.messages.size() << " messages, press " << press;
            if (!done) {
                EXPECT_EQ(fLines(*notice).front(), c.messages[std::size_t(press)]);
            }
        }
    }
}

TEST_F(MessageWindowTest, TheOwnerMayDropTheNoticeWhenItFinishes) {
    auto notice = std::make_unique<CPagedMessageWindow>(fQueue({"only"}));
    notice->fSetOnFinish([&notice] { notice.reset(); });
    fTap(EGameKey::KEY_Z, [&] { notice->fInput(); });
    EXPECT_EQ(notice, nullptr);
}

TEST_F(MessageWindowTest, ALongerLaterPageAddsLinesAndTheWindowKeepsItsSize) {
    CPagedMessageWindow notice(fQueue({"a\nb", "1\n2\n3\n4", "x"}));
    const int height = notice.fGetWindow().fGetHeight();
    fTap(EGameKey::KEY_Z, [&] { notice.fInput(); });
    EXPECT_EQ(fLines(notice), (std::vector<std::string>{"1", "2", "3", "4"}));
    auto* fourth = notice.fGetWindow().fGetTextLabel("line3");
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(fourth->fGetRect().y, 20 + 3 * 36) << "below the three lines, on the first page's spacing";
    EXPECT_EQ(notice.fGetWindow().fGetHeight(), height);
    fTap(EGameKey::KEY_Z, [&] { notice.fInput(); });
    EXPECT_EQ(fLines(notice), std::vector<std::string>{"x"}) << "the old lines are gone";
}

TEST_F(MessageWindowTest, TheNextArrowBobsAndAHiddenNoticeWaits) {
    CPagedMessageWindow notice(fQueue({"a", "b"}));
    CMainWindow::CWidget* arrow = notice.fGetWindow().fGetWidget("nextIcon");
    ASSERT_NE(arrow, nullptr);
    const SWindowRect at = arrow->fGetRect();
    EXPECT_EQ(at.x + at.w / 2, 310) << "centred";
    EXPECT_EQ(at.y + at.h, kThreeLines - 15);
    std::vector<int> ys;
    for (int frame = 1; frame <= 120; ++frame) {
        notice.fUpdate();
        if (frame % 30 == 29 || frame % 30 == 0) {
            ys.push_back(arrow->fGetRect().y - at.y);
        }
    }
    EXPECT_EQ(ys, (std::vector<int>{0, 3, 3, 0, 0, 3, 3, 0}));

    notice.fSetShown(false);
    fTap(EGameKey::KEY_Z, [&] { notice.fInput(); });
    notice.fUpdate();
    EXPECT_EQ(fLines(notice).front(), "a");
    EXPECT_EQ(arrow->fGetRect().y, at.y);
    notice.fSetShown(true);
    fTap(EGameKey::KEY_Z, [&] { notice.fInput(); });
    EXPECT_EQ(fLines(notice).front(), "b");
}

} // namespace

// The command line's options with a value: whole decimal values in their range, a language code, or a
// refusal naming the option.
#include "LaunchOptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(LaunchOptions, NumberValuesAreWholeDecimalsInTheirRange) {
    struct Case {
        const char* option;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {"--frames", "12", true},
        {"--frames", "12x", false},
        {"--frames", "", false},
        {"--frames", " 12", false},
        {"--seed", "0", true},
        {"--seed", "-1", false},
        {"--seed", "+1", false},
        {"--frames", "2147483647", true},
        {"--frames", "2147483648", false},
        {"--frames", "99999999999999999999", false},
        {"--digest-every", "0", false},
        {"--digest-every", "1", true},
        {"--screenshot", "x:shot.png", false},
        {"--screenshot", "-1:shot.png", false},
        {"--language", "en", true},
        {"--language", "ja", true},
        {"--language", "fr", false},
        {"--language", "EN", false},
    };
    for (const Case& c : cases) {
        const std::vector<const char*> argv = {"tavoni", c.option, c.value};
        SLaunchOptions options;
        SOptionError error;
        const bool accepted = fParseLaunchOptions(static_cast<int>(argv.size()), argv.data(), options, error);
        EXPECT_EQ(accepted, c.accepted) << c.option << " " << c.value;
        if (!c.accepted) {
            EXPECT_EQ(error.message.rfind(std::string(c.option) + " needs ", 0), 0u) << error.message;
            EXPECT_NE(error.message.find("\"" + std::string(c.value)), std::string::npos) << error.message;
        }
    }
}

// The replay theater's options: frames to jump to go with --replay; a file alone is watched.
TEST(LaunchOptions, JumpFramesGoWithAReplayAndAFileAloneIsWatched) {
    struct Case {
        std::vector<const char*> args;
        bool accepted;
        std::vector<int> jumps;
        const char* watch;
    };
    const Case cases[] = {
        {{"--replay", "r", "--jump-to", "0,60,7199"}, true, {0, 60, 7199}, ""},
        {{"--replay", "r", "--jump-to", "60,,120"}, false, {}, ""},
        {{"--replay", "r", "--jump-to", "60,-1"}, false, {}, ""},
        {{"--replay", "r", "--jump-to", "60,"}, false, {}, ""},
        {{"--jump-to", "60"}, false, {}, ""},
        {{"AYA-2050.tavoni-replay"}, true, {}, "AYA-2050.tavoni-replay"},
        {{"--headless", "--watch", "b"}, true, {}, "b"},
        {{"--watch", "b", "--replay", "r"}, false, {}, ""},
        {{"a", "b"}, false, {}, ""},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"tavoni"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        SLaunchOptions options;
        SOptionError error;
        const bool accepted = fParseLaunchOptions(static_cast<int>(argv.size()), argv.data(), options, error);
        EXPECT_EQ(accepted, c.accepted) << c.args.back() << ": " << error.message;
        if (accepted) {
            EXPECT_EQ(options.jumpTo, c.jumps);
            EXPECT_EQ(options.watch, c.watch);
        }
    }
}

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

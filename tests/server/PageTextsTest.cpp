// Which language the ranking's pages speak: the Accept-Language header by its quality values, the query
// before it.
#include "PageTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(PageTexts, AcceptLanguageIsReadByQualityAndTheQueryComesFirst) {
    const EPageLanguage ja = EPageLanguage::Japanese;
    const EPageLanguage en = EPageLanguage::English;
    const struct {
        const char* header;
        EPageLanguage expected;
    } cases[] = {
        {"", ja},
        {"*", ja},
        {"ja", ja},
        {"ja-JP,ja;q=0.9", ja},
        {"en-US,en;q=0.9", en},
        {"EN-gb", en},
        {"de-DE", en},                     // a language we have no page in: English
        {"fr-FR, ja;q=0.8, en;q=0.5", ja}, // the first we have, by quality
        {"en;q=0.5, ja;q=0.8", ja},        // quality before position
        {"ja;q=0.5, en;q=0.5", ja},        // the earlier among equals
        {"ja;q=0, en;q=0.1", en},          // q=0 means "not this one"
        {"ja;q=0.000, de", en},
        {"en;q=1.0, ja", en},
        {"ja;q=2, en;q=0.3", en}, // an impossible quality is passed over
        {"ja;q=abc, en", en},
        {"ja;level=1;q=0.9, en;q=0.95", en}, // other parameters do not hide q
        {"ja;q=0.9;level=1, en;q=0.5", ja},
        {" , ;q=0.5, ja", ja}, // empty ranges are passed over
        {"jam, ja;q=0.1", ja}, // "jam" is not "ja"
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fLanguageOfAcceptHeader(c.header), c.expected) << c.header;
    }
    EXPECT_EQ(fChoosePageLanguage("en", "ja").language, en);
    EXPECT_TRUE(fChoosePageLanguage("en", "ja").fromQuery);
    EXPECT_EQ(fChoosePageLanguage("ja", "en").language, ja);
    EXPECT_EQ(fChoosePageLanguage("fr", "en").language, en); // an unknown value is ignored
    EXPECT_FALSE(fChoosePageLanguage("", "en").fromQuery);
    EXPECT_EQ(fChoosePageLanguage("", "en").fLinkSuffix(true), "");
    EXPECT_EQ(fChoosePageLanguage("en", "").fLinkSuffix(false), "&amp;lang=en");
}

TEST(PageTexts, PatternsAreFilledInOrderAndOtherBracesStay) {
    EXPECT_EQ(fFill("{0} entries (page {1} of {2})", {"7", "1", "2"}), "7 entries (page 1 of 2)");
    EXPECT_EQ(fFill("{1}{0}{3}{x}", {"a", "b"}), "ba{3}{x}");
    EXPECT_EQ(fFill("{0}", {"{1}", "b"}), "{1}");
}

} // namespace

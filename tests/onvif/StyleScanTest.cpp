// The mapping's reading of a UI style: controls by key, their bounds and choices, without an XML library.
#include <gtest/gtest.h>

#include "StyleScan.h"

namespace {

TEST(StyleScan, ReadsControlsBoundsAndChoices) {
    auto mapControls = onvifstyle::scan(
        "<?xml version=\"1.0\"?>\n<!-- <param id=\"1\"/> -->\n<Style><tab key=\"t\">"
        "<param id=\"34\" type='slider' min=\"-5\" max=\"90\" value=\"1\"/>"
        "<param id=\"49\" type=\"combo\"><item index=\"25\" name=\"1/25\"/><item index=\"30\" name=\"a &amp; b\"/>"
        "</param><param id=\"2\" type=\"slider\" min=\"x\" max=\"9\"/></tab></Style>");
    ASSERT_EQ(3u, mapControls.size()) << "the comment's element is no control";
    EXPECT_EQ("slider", mapControls[34].strType);
    EXPECT_TRUE(mapControls[34].bHasRange);
    EXPECT_EQ(-5, mapControls[34].nMin);
    EXPECT_EQ(90, mapControls[34].nMax);
    ASSERT_EQ(2u, mapControls[49].vecChoices.size());
    EXPECT_EQ(25, mapControls[49].vecChoices[0].first);
    EXPECT_EQ("a & b", mapControls[49].vecChoices[1].second);
    EXPECT_FALSE(mapControls[2].bHasRange) << "a bound that is not a number";
}

TEST(StyleScan, TheLastControlOfAKeyWinsAndChoicesStayWithTheirControl) {
    auto mapControls = onvifstyle::scan(
        "<S><p id=\"7\" type=\"a\"><i index=\"1\" name=\"x\"/></p><i index=\"9\" name=\"stray\"/>"
        "<p id=\"7\" type=\"b\"><g><i index=\"2\" name=\"y\"/></g></p><p id=\"8\" type=\"c\"></p></S>");
    ASSERT_EQ(1u, mapControls.count(7));
    EXPECT_EQ("b", mapControls[7].strType);
    ASSERT_EQ(1u, mapControls[7].vecChoices.size());
    EXPECT_EQ(2, mapControls[7].vecChoices[0].first);
    EXPECT_TRUE(mapControls[8].vecChoices.empty());
}

TEST(StyleScan, TextThatIsNotWholeKeepsWhatWasRead) {
    const char* CASES[] = {
        "<S><p id=\"1\" type=\"a\"/><p id=\"2\" type=\"b",
        "<S><p id=\"1\" type=\"a\"/><p id=\"2\" type=b/>",
        "<S><p id=\"1\" type=\"a\"/><p id=\"2\" /",
        "<S><p id=\"1\" type=\"a\"/><!-- never closed <p id=\"2\"/>",
    };
    for (const char* sz : CASES) {
        auto mapControls = onvifstyle::scan(sz);
        EXPECT_EQ(1u, mapControls.size()) << sz;
        EXPECT_EQ(1u, mapControls.count(1)) << sz;
    }
    EXPECT_TRUE(onvifstyle::scan("").empty());
    EXPECT_TRUE(onvifstyle::scan("<p id=\"99999999999\" type=\"a\"/>").empty());
}

}  // namespace

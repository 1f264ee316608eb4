#include "engine/settings/search_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dw::splitMaskPatterns;
using Strings = std::vector<std::string>;

namespace {

TEST(MaskPatterns, SeparatorsAndBlanksLeaveOnlyTrimmedPatterns)
{
    EXPECT_EQ(splitMaskPatterns("*.a;;*.b;"), (Strings{"*.a", "*.b"}));
    EXPECT_EQ(splitMaskPatterns("  *.a ;\t*.b  ; ;"), (Strings{"*.a", "*.b"}));
    EXPECT_EQ(splitMaskPatterns("*.a;*.a"), (Strings{"*.a", "*.a"}));
    EXPECT_TRUE(splitMaskPatterns("").empty());
    EXPECT_TRUE(splitMaskPatterns(" ; ;\t").empty());
}

TEST(MaskPatterns, QuotesProtectSemicolonsAndAreDropped)
{
    EXPECT_EQ(splitMaskPatterns("\"a;b\";c"), (Strings{"a;b", "c"}));
    EXPECT_EQ(splitMaskPatterns("x\"1;2\"y;z"), (Strings{"x1;2y", "z"}));
    EXPECT_EQ(splitMaskPatterns("\" *.q \""), (Strings{"*.q"}));
    // A doubled quote inside quotes is one literal quote and closes the quotes.
    EXPECT_EQ(splitMaskPatterns("\"say \"\"hi\"\"\""), (Strings{"say \"hi\""}));
    EXPECT_EQ(splitMaskPatterns("\"a\"\";b"), (Strings{"a\"", "b"}));
    // An unterminated quote runs to the end.
    EXPECT_EQ(splitMaskPatterns("a;\"b;c"), (Strings{"a", "b;c"}));
}

TEST(MaskPatterns, RebuildFlattensEveryMaskAndSortsWithoutCaseStably)
{
    dw::SearchSettings s;
    s.masks = {"Upper\t*.B;*.a;*.b", "no tab *.c", "Lower\t*.A", "Empty name\t", "Кириллица\t*.Жук;*.абв;*.ёж"};
    s.rebuildPatterns();
    EXPECT_EQ(s.patterns,
              (Strings{"*.a", "*.A", "*.B", "*.b", "*.абв", "*.Жук", "*.ёж", "no tab *.c"}));
}

}  // namespace

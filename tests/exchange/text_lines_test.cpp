#include "exchange/text_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(TextLines, EveryKindOfLineEndEndsOneLine) {
    LineCursor lines("a\r\nb\nc\rd\r\re");
    std::vector<std::string> got;
    std::string_view line;
    while (lines.Next(line))
        got.emplace_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(lines.LineNumber(), 6);
}

// The int range ends just below 2^31: that value and everything past it is
// refused rather than converted out of range.
TEST(TextLines, TruncationStopsAtTheEdgesOfTheIntRange) {
    int v = 0;
    EXPECT_TRUE(TruncateToInt(2147483647.9, v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_FALSE(TruncateToInt(2147483648.0, v));
    EXPECT_TRUE(TruncateToInt(-2147483648.9, v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_FALSE(TruncateToInt(-2147483649.0, v));
    EXPECT_FALSE(TruncateToInt(std::nan(""), v));
    EXPECT_FALSE(TruncateToInt(INFINITY, v));
    EXPECT_TRUE(TruncateToInt(-0.9, v));
    EXPECT_EQ(v, 0);
}

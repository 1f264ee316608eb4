#include "engine/results/result_list.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatSize, ThreeDecimalsWithTrailingZerosDropped)
{
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0"},
        {512, "512"},
        {1000, "1000"},
        {1001, "0.978 KB"},
        {1024, "1 KB"},
        {1536, "1.5 KB"},
        {1024000, "1000 KB"},
        {1025000, "0.978 MB"},
        {123456789, "117.738 MB"},
        {4294967295ull, "4 GB"},
        {5ull << 30, "5 GB"},
        {3ull << 40, "3 TB"},
        {7ull << 50, "7 PB"},
        {~0ull, "16 EB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(dw::FormatSize(bytes, 3), text) << bytes;
}

TEST(FormatSize, KeepsTheZerosOfAWholeNumber)
{
    EXPECT_EQ(dw::FormatSize(1000, 0), "1000");
    EXPECT_EQ(dw::FormatSize(1001, 1), "1 KB");
}

}  // namespace

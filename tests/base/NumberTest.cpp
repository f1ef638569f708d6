#include <gtest/gtest.h>
#include "common/base/Number.h"

using Base_ns::ParseNumber;

TEST(ParseNumber, DecimalUntilTheFirstLetterThenHexadecimal)
{
    EXPECT_EQ(ParseNumber(L"120"), 120);
    EXPECT_EQ(ParseNumber(L"1A"), 26);
    EXPECT_EQ(ParseNumber(L"12A"), 202);
    EXPECT_EQ(ParseNumber(L"FF"), 255);
    EXPECT_EQ(ParseNumber(L"ff"), 255);
}

TEST(ParseNumber, SignsAndASignAlone)
{
    EXPECT_EQ(ParseNumber(L"-7"), -7);
    EXPECT_EQ(ParseNumber(L"+7"), 7);
    EXPECT_EQ(ParseNumber(L"-"), 0);
    EXPECT_EQ(ParseNumber(L"+"), 0);
}

TEST(ParseNumber, RefusesOtherCharactersAndEmptyText)
{
    EXPECT_FALSE(ParseNumber(L""));
    EXPECT_FALSE(ParseNumber(L"0x10"));
    EXPECT_FALSE(ParseNumber(L"12 "));
    EXPECT_FALSE(ParseNumber(L"1G"));
}

TEST(ParseNumber, RefusesValuesPast32BitsInsteadOfWrapping)
{
    EXPECT_EQ(ParseNumber(L"2147483647"), 2147483647);
    EXPECT_EQ(ParseNumber(L"-2147483647"), -2147483647);
    EXPECT_FALSE(ParseNumber(L"2147483648"));
    EXPECT_FALSE(ParseNumber(L"4294967296"));
    EXPECT_FALSE(ParseNumber(L"99999999999999999999"));
}

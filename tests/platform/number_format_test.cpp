#include "platform/number_format.h"

#include <gtest/gtest.h>

#include <cstdlib>

using valmuri::format_float;
using valmuri::format_integer;
using valmuri::NumberFormat;

namespace {

const NumberFormat brazil = NumberFormat::brazilian();
const NumberFormat english{",", "."};

TEST(NumberFormat, MegabytesWithTwoDecimals)
{
    EXPECT_EQ(format_float("#,##0.00", 650.0, brazil), "650,00");
    EXPECT_EQ(format_float("#,##0.00", 4567890.125, brazil), "4.567.890,13");
    EXPECT_EQ(format_float("#,##0.00", 0.0, brazil), "0,00");
    EXPECT_EQ(format_float("#,##0.00", 0.004, brazil), "0,00");
    EXPECT_EQ(format_float("#,##0.00", 0.005, english), "0.01");
    EXPECT_EQ(format_float("#,##0.00", -12.5, english), "-12.50");
    EXPECT_EQ(format_float("#,##0.00", -0.001, english), "0.00");
    EXPECT_EQ(format_float("#,##0.00", 999.999, english), "1,000.00");
}

TEST(NumberFormat, BytesWithGroupingOnly)
{
    EXPECT_EQ(format_integer("#,##", 4567890, brazil), "4.567.890");
    EXPECT_EQ(format_integer("#,##", 999, brazil), "999");
    EXPECT_EQ(format_integer("#,##", 1000, english), "1,000");
    EXPECT_EQ(format_integer("#,##", 9007199254740993LL, english), "9,007,199,254,740,993");
    EXPECT_EQ(format_integer("#,##", INT64_MIN, english), "-9,223,372,036,854,775,808");
    // No mandatory digit: zero prints nothing.
    EXPECT_EQ(format_integer("#,##", 0, english), "");
    EXPECT_EQ(format_float("#,##", 4567890.0, brazil), "4.567.890");
}

TEST(NumberFormat, LiteralsAroundTheNumber)
{
    EXPECT_EQ(format_float("0X ", 24.0, english), "24X ");
    EXPECT_EQ(format_float("0X ", 23.6, english), "24X ");
    EXPECT_EQ(format_float("0.0X ", 7.9365, brazil), "7,9X ");
    EXPECT_EQ(format_float("0.0X ", 52.0, brazil), "52,0X ");
    EXPECT_EQ(format_float("(#,##0 KB/s)", 7056.0, brazil), "(7.056 KB/s)");
    EXPECT_EQ(format_float("(#,##0 KB/s)", 0.0, brazil), "(0 KB/s)");
    EXPECT_EQ(format_float("'#'0", 5.0, english), "#5");
}

TEST(NumberFormat, OptionalFractionDigitsAndSections)
{
    EXPECT_EQ(format_float("0.##", 1.5, english), "1.5");
    EXPECT_EQ(format_float("0.##", 2.0, english), "2");
    EXPECT_EQ(format_float("0.0#", 2.0, english), "2.0");
    EXPECT_EQ(format_float("000", 7.0, english), "007");
    EXPECT_EQ(format_float("0;(0);zero", -5.0, english), "(5)");
    EXPECT_EQ(format_float("0;(0);zero", 0.0, english), "zero");
}

TEST(NumberFormat, SystemSeparatorsFollowTheLocaleAndCanBeReplaced)
{
    // C locale has no grouping: "," stands in for it.
    ::setenv("LC_ALL", "C", 1);
    NumberFormat c = NumberFormat::system();
    ::unsetenv("LC_ALL");
    EXPECT_EQ(c.decimal_separator, ".");
    EXPECT_EQ(c.thousands_separator, ",");

    NumberFormat saved = valmuri::current_number_format();
    valmuri::set_current_number_format(brazil);
    EXPECT_EQ(format_float("#,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(format_integer("#,##", 1234), "1.234");
    valmuri::set_current_number_format(saved);
}

} // namespace

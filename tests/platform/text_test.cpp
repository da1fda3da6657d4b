#include "platform/text.h"

#include <gtest/gtest.h>

using namespace valmuri;

namespace {

TEST(Text, UpperCaseChangesOnlyAsciiLetters)
{
    EXPECT_EQ(upper_ascii("portugues_br.ini"), "PORTUGUES_BR.INI");
    EXPECT_EQ(upper_ascii("ação ü 1-z"), "AçãO ü 1-Z");
    EXPECT_EQ(lower_ascii("ÁBC"), "Ábc");
    EXPECT_TRUE(equals_ignore_ascii_case("Portugues_BR.ini", "PORTUGUES_BR.INI"));
    EXPECT_FALSE(equals_ignore_ascii_case("ç", "Ç"));
    EXPECT_LT(compare_ignore_ascii_case("abc", "ABD"), 0);
    EXPECT_EQ(compare_ignore_ascii_case("English.ini", "ENGLISH.INI"), 0);
    EXPECT_GT(compare_ignore_ascii_case("abcd", "ABC"), 0);
    // "_" sorts after letters once letters are upper case, as on Windows.
    EXPECT_LT(compare_ignore_ascii_case("Zulu", "_x"), 0);
}

TEST(Text, CaseFoldingCoversAccentsAndSpecialCases)
{
    EXPECT_EQ(case_fold("AÇÃO"), "ação");
    EXPECT_EQ(case_fold("Straße"), case_fold("STRASSE"));
    EXPECT_EQ(case_fold("ΣΊΣΥΦΟΣ"), case_fold("σίσυφος"));
    EXPECT_TRUE(contains_folded("001;CORAÇÃO VALENTE;4.567.890;/m/c.mp3", "coração"));
    EXPECT_FALSE(contains_folded("abc", "abd"));
    EXPECT_EQ(case_fold("a\xFF" "B"), "a\xEF\xBF\xBD" "b");
}

TEST(Text, TrimRemovesBlanksAndControls)
{
    EXPECT_EQ(trim(" \t\r\n abc \x01\n"), "abc");
    EXPECT_EQ(trim_left("  a b "), "a b ");
    EXPECT_EQ(trim_right("  a b \t"), "  a b");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trim("ção "), "ção");
}

TEST(Text, PlaceholdersAreReplacedInOnePass)
{
    EXPECT_EQ(replace_placeholders("%1 arquivo(s) encontrados", {"12"}), "12 arquivo(s) encontrados");
    EXPECT_EQ(replace_placeholders("%1 %2 %1", {"a", "b"}), "a b a");
    EXPECT_EQ(replace_placeholders("%1-%2", {"%2", "x"}), "%2-x");
    EXPECT_EQ(replace_placeholders("%3 and 100%", {"a"}), "%3 and 100%");
    EXPECT_EQ(replace_all("a%b%c", "%", "\n"), "a\nb\nc");
    EXPECT_EQ(replace_all("aaa", "aa", "b"), "ba");
}

TEST(Text, FormatTakesArgumentsInOrder)
{
    EXPECT_EQ(format_text("%d MB", {std::int64_t(8)}), "8 MB");
    EXPECT_EQ(format_text("%s %s / %s %s", {"650,00", "MB", "700,00", "MB"}), "650,00 MB / 700,00 MB");
    EXPECT_EQ(format_text("%d %s", {std::int64_t(0), "faixas"}), "0 faixas");
    EXPECT_EQ(format_text("100%% %5d|%-4s|%.3d", {std::int64_t(42), "ab", std::int64_t(7)}), "100%    42|ab  |007");
    EXPECT_EQ(format_text("%.1f", {2.25}), "2.2");
    EXPECT_EQ(format_text("%x", {std::int64_t(255)}), "FF");
    // Missing or mismatched arguments never read past the list.
    EXPECT_EQ(format_text("%d and %s", {std::int64_t(1)}), "1 and %s");
    EXPECT_EQ(format_text("%d", {"text"}), "text");
    EXPECT_EQ(format_text("50%", {}), "50%");
}

TEST(Text, Utf8ValidationAndConversion)
{
    EXPECT_TRUE(is_valid_utf8("ação €"));
    EXPECT_FALSE(is_valid_utf8("a\xE7\xE3o"));          // Windows-1252 "ação"
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));            // overlong
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));        // surrogate
    EXPECT_FALSE(is_valid_utf8("\xE2\x82"));            // cut short
    EXPECT_EQ(windows1252_to_utf8("a\xE7\xE3o \x80\x96\x81"), "ação €–\xC2\x81");
    EXPECT_EQ(text_from_file_bytes("\xEF\xBB\xBFok"), "ok");
    EXPECT_EQ(text_from_file_bytes("Portugu\xEAs"), "Português");
    EXPECT_EQ(utf8_length("ação😀"), 5u);
    EXPECT_EQ(decode_utf8("a😀"), U"a😀");
    EXPECT_EQ(encode_utf8(U"ç😀"), "ç😀");
    EXPECT_EQ(decode_utf8("\xFF"), U"\uFFFD");
}

} // namespace

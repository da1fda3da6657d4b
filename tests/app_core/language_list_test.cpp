#include "app/core/builtin_language.h"
#include "app/core/capacity_texts.h"
#include "app/core/language_list.h"
#include "app/core/translation_table.h"

#include "app_test_folder.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

std::string language_file(const std::string& name)
{
    return "[info]\nidioma=" + name + "\nautor=Autor " + name + "\n[traducao]\na1=" + name + " a1\n";
}

class LanguageListTest : public ::testing::Test {
protected:
    void add(const std::string& file, const std::string& name) const
    {
        folder_.write("idiomas/" + file, language_file(name));
    }
    LanguageList scan() const { return LanguageList::scan(folder_.paths().language_folders()); }
    IniFile options() const { return IniFile(folder_.paths().options_file()); }

    testing::ProgramFolder folder_;
};

TEST_F(LanguageListTest, DefaultIsPortuguesBrInAnyLetterCase)
{
    add("English.ini", "English");
    add("portugues_br.INI", "Português");
    add("Zulu.ini", "Zulu");
    LanguageList list = scan();
    ASSERT_EQ(list.entries().size(), 3u);
    EXPECT_EQ(list.default_index(), 1);
    EXPECT_EQ(list.entries()[1].language, "Português");
    EXPECT_EQ(list.entries()[1].author, "Autor Português");
}

TEST_F(LanguageListTest, WithoutPortugueseTheFirstFileIsTheDefault)
{
    add("b.ini", "B");
    add("a.ini", "A");
    LanguageList list = scan();
    EXPECT_EQ(list.default_index(), 0);
    IniFile ini = options();
    ASSERT_TRUE(list.write_ids(ini));
    EXPECT_EQ(list.choose(ini, "GONE.INI"), 0);
    EXPECT_EQ(list.choose(ini, ""), 0);
}

TEST_F(LanguageListTest, SortedListAndIdKeysFollowTheSameOrder)
{
    add("PORTUGUES_BR.INI", "Português");
    add("ENGLISH.INI", "English");
    add(".hidden.ini", "Hidden");
    add("notes.txt", "Notes");
    folder_.write("idiomas/folder.ini/x", "");
    LanguageList list = scan();
    ASSERT_EQ(list.entries().size(), 2u);
    EXPECT_EQ(list.entries()[0].file_name, "ENGLISH.INI");
    EXPECT_EQ(list.entries()[1].file_name, "PORTUGUES_BR.INI");
    IniFile ini = options();
    ASSERT_TRUE(list.write_ids(ini));
    EXPECT_EQ(ini.read_string("idiomas", "ID0"), "ENGLISH.INI");
    EXPECT_EQ(ini.read_string("idiomas", "ID1"), "PORTUGUES_BR.INI");
    EXPECT_EQ(list.choose(ini, "english.ini"), 0);
    EXPECT_EQ(list.file_for_index(ini, 1), folder_.idiomas() / "PORTUGUES_BR.INI");
    EXPECT_FALSE(list.file_for_index(ini, 2).has_value());
}

TEST_F(LanguageListTest, ChosenLanguageIsFoundByNameAfterAFileSortsBeforeIt)
{
    add("PORTUGUES_BR.INI", "Português");
    add("ENGLISH.INI", "English");
    IniFile ini = options();
    LanguageList first = scan();
    first.write_ids(ini);
    store_language_index(ini, 0); // English
    ASSERT_TRUE(ini.read_integer("options", "idiomasID", -1) == 0);

    // Next start: a new file sorts first and shifts every index by one.
    add("ALEMAO.INI", "Deutsch");
    std::string previous = take_previous_language(ini);
    EXPECT_EQ(previous, "ENGLISH.INI");
    EXPECT_FALSE(ini.section_exists("idiomas"));
    LanguageList second = scan();
    second.write_ids(ini);
    EXPECT_EQ(second.choose(ini, previous), 1);
    EXPECT_EQ(second.default_index(), 2);
}

TEST_F(LanguageListTest, PreviousLanguageThatNoLongerExistsFallsBackToTheDefault)
{
    add("PORTUGUES_BR.INI", "Português");
    add("ENGLISH.INI", "English");
    IniFile ini = options();
    folder_.write("options.ini", "[options]\nidiomasID=7\n[idiomas]\nID7=KLINGON.INI\n");
    std::string previous = take_previous_language(ini);
    EXPECT_EQ(previous, "KLINGON.INI");
    LanguageList list = scan();
    list.write_ids(ini);
    EXPECT_EQ(list.choose(ini, previous), 1);
    // idiomasID missing or out of range gives no previous name at all.
    folder_.write("options.ini", "[idiomas]\nID0=ENGLISH.INI\n");
    EXPECT_EQ(take_previous_language(ini), "");
}

TEST_F(LanguageListTest, EmptyOrMissingFolderGivesAnEmptyList)
{
    EXPECT_TRUE(scan().empty());
    std::filesystem::create_directories(folder_.idiomas());
    LanguageList list = scan();
    EXPECT_TRUE(list.empty());
    IniFile ini = options();
    EXPECT_TRUE(list.write_ids(ini));
    EXPECT_EQ(list.choose(ini, "PORTUGUES_BR.INI"), 0);
    EXPECT_FALSE(list.file_for_index(ini, 0).has_value());
}

TEST_F(LanguageListTest, NamesFromOptionsNeverLeaveTheLanguageFolders)
{
    add("ENGLISH.INI", "English");
    folder_.write("secret.ini", language_file("Secret"));
    IniFile ini = options();
    folder_.write("options.ini", "[idiomas]\nID0=../secret.ini\n");
    EXPECT_FALSE(scan().file_for_index(ini, 0).has_value());
}

TEST_F(LanguageListTest, LanguagesStillLoadWhenOptionsCannotBeWritten)
{
    add("PORTUGUES_BR.INI", "Português");
    add("ENGLISH.INI", "English");
    IniFile unwritable(folder_.folder() / "no-such-folder" / "options.ini");
    LanguageList list = scan();
    EXPECT_FALSE(list.write_ids(unwritable));
    EXPECT_FALSE(unwritable.last_error().empty());
    EXPECT_EQ(list.choose(unwritable, "english.ini"), 0);
    EXPECT_EQ(list.choose(unwritable, "gone.ini"), 1);
    EXPECT_EQ(list.file_for_index(unwritable, 0), folder_.idiomas() / "ENGLISH.INI");
    EXPECT_FALSE(list.file_for_index(unwritable, 2).has_value());
}

TEST(TranslationTable, MissingKeysAreEmptyAndIndexesAreChecked)
{
    TranslationTable table;
    table.load(IniFile::from_text("[traducao]\na1=&Arquivo\na210=Fim\na220=Vazio\na300=extra\n"), "x.ini");
    EXPECT_EQ(table[1], "&Arquivo");
    EXPECT_EQ(table[2], "");
    EXPECT_EQ(table[210], "Fim");
    EXPECT_EQ(table[0], "");
    EXPECT_EQ(table[220], "Vazio");
    EXPECT_EQ(table[300], "");
    EXPECT_EQ(table.path(), "x.ini");
}

TEST(TranslationTable, BuiltInPortugueseHoldsEveryText)
{
    TranslationTable table;
    table.load(builtin_language(), {});
    EXPECT_EQ(table[1], "&Arquivo");
    EXPECT_EQ(table[72], "Faixa");
    int filled = 0;
    for (int n = 1; n <= TranslationTable::kCount; ++n)
        filled += table[n].empty() ? 0 : 1;
    EXPECT_GT(filled, 200);
}

TEST(CapacityTexts, EmptyListAndLanguageNotice)
{
    TranslationTable table;
    table.load(IniFile::from_text("[traducao]\na141=Livres 650\na142=Total:\na143=arquivo(s)\na144=Livres 700\n"
                                  "a104=Idioma:\na105=Autor:\na206=Pronto.\n"),
               {});
    CapacityTexts texts = empty_capacity_texts(table);
    EXPECT_EQ(texts.project_total, "Total: 0 MB");
    EXPECT_EQ(texts.file_count, "0 arquivo(s)");
    EXPECT_EQ(texts.bar_caption, "650,00 Livres 650 / 700,00 Livres 700");
    EXPECT_EQ(language_notice_text(table, "English", "Someone"), "Idioma: English\nAutor: Someone\n\nPronto.");
}

} // namespace
} // namespace valmuri

#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using valmuri::IniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/valmuri-ini-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        path_ = dir_ / "options.ini";
    }
    void TearDown() override
    {
        ::chmod(dir_.c_str(), 0755);
        fs::remove_all(dir_);
    }
    void put(const std::string& content)
    {
        std::ofstream(path_, std::ios::binary) << content;
    }
    std::string content() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
    fs::path path_;
};

TEST_F(IniFileTest, SectionsAndKeysIgnoreCaseAndBlanks)
{
    put("[Options]\n  OpenCD = 0 \nBuffer=4194304\n[options]\nidiomasID=2\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.read_string("OPTIONS", "opencd"), "0");
    EXPECT_EQ(ini.read_integer("options", "BUFFER", -1), 4194304);
    // Sections "Options" and "options" are one section: the first one wins.
    EXPECT_EQ(ini.read_integer("options", "idiomasID", -1), -1);
    EXPECT_TRUE(ini.value_exists("Options", "Buffer"));
    EXPECT_FALSE(ini.value_exists("Options", "Missing"));
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesDefaults)
{
    IniFile ini(path_);
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.read_string("a", "b", "dflt"), "dflt");
    EXPECT_EQ(ini.read_integer("a", "b", -1), -1);
    EXPECT_TRUE(ini.read_bool("a", "b", true));
    EXPECT_TRUE(ini.read_section("a").empty());
    EXPECT_FALSE(fs::exists(path_)); // reading creates nothing
}

TEST_F(IniFileTest, NumbersAndBooleans)
{
    put("[n]\nneg=-12\nhex=$1F\nhex2=0x10\nspaced= 7 \nword=abc\ntrailing=12abc\nhuge=99999999999\n"
        "empty=\nzero=0\nthree=3\nminus=-1\nbig64=8589934592\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.read_integer("n", "neg", 0), -12);
    EXPECT_EQ(ini.read_integer("n", "hex", 0), 31);
    EXPECT_EQ(ini.read_integer("n", "hex2", 0), 16);
    EXPECT_EQ(ini.read_integer("n", "spaced", 0), 7);
    EXPECT_EQ(ini.read_integer("n", "word", 5), 5);
    EXPECT_EQ(ini.read_integer("n", "trailing", 5), 5);
    EXPECT_EQ(ini.read_integer("n", "huge", 5), 5);
    EXPECT_EQ(ini.read_integer("n", "empty", 5), 5);
    EXPECT_EQ(ini.read_int64("n", "big64", 0), 8589934592LL);
    EXPECT_FALSE(ini.read_bool("n", "zero", true));
    EXPECT_TRUE(ini.read_bool("n", "three", false));
    EXPECT_TRUE(ini.read_bool("n", "minus", false));
    EXPECT_TRUE(ini.read_bool("n", "word", true));
    EXPECT_FALSE(ini.read_bool("n", "word", false));
}

TEST_F(IniFileTest, WritesCreateFileSectionAndKeyAndKeepTheRest)
{
    put("; settings\n[Options]\nOpenCD=1\nnot a pair\n\n[Other]\nx=1\n");
    IniFile ini(path_);
    ASSERT_TRUE(ini.write_bool("options", "opencd", false));
    ASSERT_TRUE(ini.write_integer("Options", "Buffer", 2097152));
    ASSERT_TRUE(ini.write_string("New", "Key", "value with = sign"));
    EXPECT_EQ(content(), "; settings\n[Options]\nopencd=0\nnot a pair\nBuffer=2097152\n\n[Other]\nx=1\n\n"
                         "[New]\nKey=value with = sign\n");
    IniFile again(path_);
    EXPECT_EQ(again.read_string("new", "key"), "value with = sign");
    EXPECT_FALSE(again.read_bool("Options", "OpenCD", true));

    IniFile fresh(dir_ / "fresh.ini");
    ASSERT_TRUE(fresh.write_bool("Options", "SaveForm", true));
    EXPECT_TRUE(fresh.exists());
    EXPECT_EQ(fresh.read_string("Options", "SaveForm"), "1");
}

TEST_F(IniFileTest, LinesWithoutEqualsAreIgnored)
{
    put("[s]\njunk line\na=1\n=nokey\n;c=2\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.read_section("s"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(ini.read_string("s", "junk line", "d"), "d");
    EXPECT_EQ(ini.read_string("s", ";c", "d"), "d");
}

TEST_F(IniFileTest, EraseSectionRemovesAllItsKeysOnly)
{
    put("[idiomas]\nID0=A.ini\nID1=B.ini\n[options]\nidiomasID=1\n[IDIOMAS]\nID2=C.ini\n");
    IniFile ini(path_);
    ASSERT_TRUE(ini.erase_section("Idiomas"));
    EXPECT_FALSE(ini.section_exists("idiomas"));
    EXPECT_EQ(ini.read_integer("options", "idiomasID", -1), 1);
    EXPECT_EQ(content(), "[options]\nidiomasID=1\n");
    ASSERT_TRUE(ini.erase_section("absent"));
    ASSERT_TRUE(ini.write_string("idiomas", "ID0", "X.ini"));
    EXPECT_EQ(ini.read_section_values("idiomas"),
              (std::vector<std::pair<std::string, std::string>>{{"ID0", "X.ini"}}));
}

TEST_F(IniFileTest, SeesChangesMadeThroughAnotherObject)
{
    IniFile first(path_);
    IniFile second(path_);
    EXPECT_EQ(first.read_integer("Options", "Buffer", -1), -1);
    ASSERT_TRUE(second.write_integer("Options", "Buffer", 123));
    EXPECT_EQ(first.read_integer("Options", "Buffer", -1), 123);
    ASSERT_TRUE(first.write_integer("Options", "OpenCD", 0));
    EXPECT_EQ(second.read_integer("Options", "Buffer", -1), 123);
    EXPECT_EQ(second.read_integer("Options", "OpenCD", -1), 0);
    // Same size, written at once: still seen.
    ASSERT_TRUE(second.write_integer("Options", "Buffer", 456));
    EXPECT_EQ(first.read_integer("Options", "Buffer", -1), 456);
}

TEST_F(IniFileTest, FailedWriteIsReportedAndKeepsTheFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into read-only folders";
    put("[Options]\nOpenCD=1\n");
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    IniFile ini(path_);
    EXPECT_FALSE(ini.write_bool("Options", "OpenCD", false));
    EXPECT_FALSE(ini.last_error().empty());
    EXPECT_EQ(content(), "[Options]\nOpenCD=1\n");
    EXPECT_TRUE(ini.read_bool("Options", "OpenCD", false)); // the change is not pretended
    EXPECT_FALSE(ini.erase_section("Options"));
}

TEST_F(IniFileTest, WriteOnAFullDiskKeepsTheOldFileWhole)
{
    put("[Options]\nOpenCD=1\n");
    // A file size limit makes the write fail as a full disk would, also for root.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 32;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    IniFile ini(path_);
    bool written = ini.write_string("Options", "Comment", std::string(200, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(ini.last_error().empty());
    EXPECT_EQ(content(), "[Options]\nOpenCD=1\n");
    EXPECT_EQ(ini.read_string("Options", "Comment", "none"), "none");
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(IniFileTest, WriteIntoMissingFolderFails)
{
    IniFile ini(dir_ / "no" / "such" / "options.ini");
    EXPECT_FALSE(ini.write_string("a", "b", "c"));
    EXPECT_NE(ini.last_error().find("options.ini"), std::string::npos);
}

TEST_F(IniFileTest, FailedWriteLeavesNoTemporaryFile)
{
    // A folder in place of the file makes the final rename fail.
    fs::create_directory(path_);
    IniFile ini(path_);
    EXPECT_FALSE(ini.write_string("a", "b", "c"));
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(IniFileTest, HeldWritesGoToDiskOnceOnRelease)
{
    IniFile ini(path_);
    ini.set_line_break("\r\n");
    ini.hold_writes();
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(ini.write_integer("tracks", "t" + std::to_string(i), i));
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_EQ(ini.read_integer("tracks", "t99", -1), 99);
    ASSERT_TRUE(ini.release_writes());
    IniFile reread(path_);
    EXPECT_EQ(reread.read_section("tracks").size(), 100u);
    EXPECT_EQ(content().substr(0, 14), "[tracks]\r\nt0=0");
}

TEST_F(IniFileTest, KeepsCrLfOfExistingFilesAndDropsLineBreaksInValues)
{
    put("[a]\r\nx=1\r\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.read_string("a", "x"), "1");
    ASSERT_TRUE(ini.write_string("a", "y", "two\nlines"));
    EXPECT_EQ(content(), "[a]\r\nx=1\r\ny=two lines\r\n");
}

TEST_F(IniFileTest, Windows1252FilesAreReadAsUtf8)
{
    put("[info]\nidioma=Portugu\xEAs\nautor=Jo\xE3o \x80\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.read_string("info", "idioma"), "Portugu\xC3\xAAs");
    EXPECT_EQ(ini.read_string("info", "autor"), "Jo\xC3\xA3o \xE2\x82\xAC");
    put("\xEF\xBB\xBF[info]\nidioma=Portugu\xC3\xAAs\n");
    IniFile bom(path_);
    EXPECT_EQ(bom.read_string("INFO", "idioma"), "Portugu\xC3\xAAs");
}

TEST_F(IniFileTest, DeleteKeyAndListSections)
{
    put("[a]\nx=1\ny=2\n[b]\n[A]\nz=3\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.read_sections(), (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(ini.delete_key("A", "X"));
    EXPECT_EQ(ini.read_section("a"), (std::vector<std::string>{"y"}));
}

} // namespace

TEST(IniFileText, TextInMemoryReadsAndWritesWithoutAFile)
{
    IniFile ini = IniFile::from_text("[traducao]\r\na1=&Arquivo\r\na2=&Edi\xE7\xF5" "es\r\n");
    EXPECT_TRUE(ini.exists());
    EXPECT_EQ(ini.read_string("TRADUCAO", "A1"), "&Arquivo");
    EXPECT_EQ(ini.read_string("traducao", "a2"), "&Edições");
    EXPECT_TRUE(ini.write_string("traducao", "a3", "CD"));
    EXPECT_EQ(ini.read_string("traducao", "a3"), "CD");
}

// valmuri-cli image run as a user runs it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class VerbImageTest : public ::testing::Test {
protected:
    VerbImageTest()
    {
        std::random_device random;
        dir = fs::temp_directory_path() / ("valmuri-cli-test-" + std::to_string(random()));
        fs::create_directories(dir);
    }
    ~VerbImageTest() override { fs::remove_all(dir); }

    std::string file(const std::string& name, std::size_t size)
    {
        const fs::path path = dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
        return path.string();
    }

    static std::string quote(const std::string& text)
    {
        std::string quoted = "'";
        for (char c : text)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }

    static std::string slurp(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    Outcome image(const std::vector<std::string>& args)
    {
        std::string command = quote(std::string(VALMURI_BINARY_DIR) + "/valmuri-cli") + " image";
        for (const auto& a : args)
            command += " " + quote(a);
        command += " >" + quote((dir / "stdout").string()) + " 2>" + quote((dir / "stderr").string());
        Outcome outcome;
        const int status = std::system(command.c_str());
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = slurp(dir / "stdout");
        outcome.err = slurp(dir / "stderr");
        return outcome;
    }

    fs::path dir;
};

TEST_F(VerbImageTest, WritesTheImageAndPrintsItsSize)
{
    const std::string a = file("a.mp3", 5000);
    const std::string out = (dir / "out.iso").string();
    const Outcome result = image({"--volume", "Minha Coletânea", "-o", out, a});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("300 sectors (614400 bytes)"), std::string::npos) << result.out;
    ASSERT_EQ(fs::file_size(out), 614400u);
    const std::string bytes = slurp(out);
    EXPECT_EQ(bytes.substr(16 * 2048 + 40, 16), "MINHA COLETâNEA");
    EXPECT_EQ(bytes.substr(150 * 2048, 5000), std::string(5000, 'x'));
    EXPECT_FALSE(fs::exists(out + ".part"));
}

TEST_F(VerbImageTest, RefusedFilesAreReportedAndTheImageIsStillWritten)
{
    const std::string a = file("a.mp3", 10);
    const std::string same = file("other/A.MP3", 20);
    const std::string long_name = file(std::string(106, 'l') + ".mp3", 1);
    const std::string missing = (dir / "missing.mp3").string();
    const std::string folder = (dir / "other").string();
    const std::string out = (dir / "out.iso").string();
    const std::vector<std::string> args{"-o", out, a, same, long_name, missing, folder};

    Outcome result = image(args);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find(same + ": duplicate name"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(long_name + ": name too long"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(missing + ": no such file"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(folder + ": not a regular file"), std::string::npos) << result.err;
    EXPECT_EQ(fs::file_size(out), 614400u);

    std::vector<std::string> strict = args;
    strict.insert(strict.begin(), "--strict");
    result = image(strict);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(fs::exists(out));

    result = image({"--strict", "-o", out, a});
    EXPECT_EQ(result.status, 0);
}

TEST_F(VerbImageTest, WithoutJolietThereIsNoSupplementaryDescriptor)
{
    const std::string out = (dir / "out.iso").string();
    ASSERT_EQ(image({"--no-joliet", "-o", out, file("a.mp3", 1)}).status, 0);
    const std::string bytes = slurp(out);
    EXPECT_EQ(static_cast<unsigned char>(bytes[17 * 2048]), 255) << "the terminator follows the primary descriptor";
}

TEST_F(VerbImageTest, BadArgumentsFail)
{
    EXPECT_EQ(image({file("a.mp3", 1)}).status, 1);
    EXPECT_EQ(image({"-o", (dir / "out.iso").string()}).status, 1);
    EXPECT_EQ(image({"--bogus", "-o", (dir / "out.iso").string(), file("b.mp3", 1)}).status, 1);
    EXPECT_EQ(image({"-o", (dir / "no/such/folder/out.iso").string(), file("c.mp3", 1)}).status, 1);
}

} // namespace

// Images checked by readers this project did not write: isoinfo, xorriso,
// bsdtar and pycdlib list them and extract every file, and the extracted
// bytes are compared with the sources.

#include "engine/burner.h"
#include "engine/image_file_writer.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace valmuri {
namespace {

namespace fs = std::filesystem;

std::string quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command; returns its exit status and standard output.
std::pair<int, std::string> run(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return {-1, output};
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// isoinfo speaks Latin-1; every name of these tests is Latin-1 text.
std::string to_latin1(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xC0 && i + 1 < utf8.size()) {
            out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string from_latin1(const std::string& latin1)
{
    std::string out;
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// How a reader shows a Joliet name: libarchive keeps at most 103 characters,
// libisofs drops the final dot of a name without extension.
using NameView = std::string (*)(const std::string&);

std::string as_stored(const std::string& name)
{
    return name;
}

std::string as_libarchive_shows(const std::string& path)
{
    const fs::path p(path);
    const std::string name = p.filename().string();
    std::size_t cut = 0;
    for (std::size_t chars = 0; cut < name.size() && chars < 103; ++chars)
        do
            ++cut;
        while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80);
    return (p.parent_path() / name.substr(0, cut)).string();
}

std::string as_libisofs_shows(const std::string& path)
{
    return path.ends_with('.') ? path.substr(0, path.size() - 1) : path;
}

bool have(const std::string& tool)
{
    return run("command -v " + tool).first == 0;
}

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Every regular file below root, by its path relative to root.
std::map<std::string, std::string> files_below(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file())
            files[fs::relative(it->path(), root).string()] = contents(it->path());
    return files;
}

class ImageReadersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = (folder.path() / "image.iso").string();
        burner.SetIdVolume("Coletânea 1");
    }

    // Puts a source into the root under its own name and expects it on the disc.
    void add_root(const std::string& relative, std::uint64_t size)
    {
        const std::string source = folder.file("src/" + relative, size);
        ASSERT_EQ(burner.InsertFile("\\", source, false), 1);
        const std::string name = fs::path(relative).filename().string();
        expected[name.find('.') == std::string::npos ? name + "." : name] = contents(source);
    }

    // Puts a source under its own folders (KeepSourcePath).
    void add_kept(const std::string& relative, std::uint64_t size)
    {
        const std::string source = folder.file("src/" + relative, size);
        ASSERT_EQ(burner.InsertFile("", source, true), 1);
        expected[fs::path(source).relative_path().string()] = contents(source);
    }

    void write_image()
    {
        burner.BuildLayout(true);
        burner.BuildImageHeader();
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const ImageFileResult result = write_image_file(burner, fd);
        ::close(fd);
        ASSERT_EQ(result.error, "");
        ASSERT_EQ(static_cast<std::int64_t>(fs::file_size(image)), burner.ImageSize() * 2048);
    }

    void expect_extracted(const fs::path& root, const std::string& reader, NameView view = as_stored)
    {
        const auto found = files_below(root);
        EXPECT_EQ(found.size(), expected.size()) << reader;
        for (const auto& [stored, bytes] : expected) {
            const std::string path = view(stored);
            const auto it = found.find(path);
            if (it == found.end()) {
                ADD_FAILURE() << reader << " did not extract " << path;
                continue;
            }
            EXPECT_TRUE(it->second == bytes) << reader << ": content of " << path << " differs";
        }
    }

    void check_with_every_reader()
    {
        if (!have("bsdtar") || !have("xorriso") || !have("isoinfo") || run("/usr/bin/python3 -c 'import pycdlib'").first)
            GTEST_SKIP() << "reader tools missing (scripts/deps installs them)";

        const fs::path by_bsdtar = folder.path() / "bsdtar";
        fs::create_directories(by_bsdtar);
        EXPECT_EQ(run("bsdtar -xf " + quote(image) + " -C " + quote(by_bsdtar.string())).first, 0);
        expect_extracted(by_bsdtar, "bsdtar", as_libarchive_shows);

        const fs::path by_xorriso = folder.path() / "xorriso";
        EXPECT_EQ(run("xorriso -osirrox on -indev " + quote(image) + " -extract / " + quote(by_xorriso.string())).first,
                  0);
        expect_extracted(by_xorriso, "xorriso", as_libisofs_shows);

        const fs::path by_pycdlib = folder.path() / "pycdlib";
        fs::create_directories(by_pycdlib);
        const std::string script = std::string(VALMURI_SOURCE_DIR) + "/tests/engine/pycdlib_extract.py";
        EXPECT_EQ(run("/usr/bin/python3 " + quote(script) + " " + quote(image) + " " + quote(by_pycdlib.string())).first,
                  0);
        expect_extracted(by_pycdlib, "pycdlib");

        // isoinfo: list the Joliet tree, then extract each file by its path.
        const auto [status, listing] = run("isoinfo -J -j iso8859-1 -f -i " + quote(image));
        EXPECT_EQ(status, 0);
        std::istringstream lines(from_latin1(listing));
        std::map<std::string, bool> listed;
        for (std::string line; std::getline(lines, line);)
            listed[line.substr(1)] = true;
        for (const auto& [path, bytes] : expected) {
            EXPECT_TRUE(listed.count(path + ";1")) << "isoinfo does not list " << path;
            const auto [x_status, extracted] =
                run("isoinfo -J -j iso8859-1 -i " + quote(image) + " -x " + quote(to_latin1("/" + path + ";1")));
            EXPECT_EQ(x_status, 0);
            EXPECT_TRUE(extracted == bytes) << "isoinfo: content of " << path << " differs";
        }
    }

    test::TempFolder folder;
    TVordaCDBurner burner;
    std::string image;
    std::map<std::string, std::string> expected; // path on the disc -> bytes
};

TEST_F(ImageReadersTest, RootFilesWithAwkwardNames)
{
    add_root("Canção de Ninar - João.mp3", 5000);
    add_root("faixa com espaços.mp3", 2048);
    add_root("LEIAME", 300);
    add_root(std::string(104, 'n') + ".mp3", 2049);
    add_root("vazio.mp3", 0);
    add_root(".oculto.mp3", 100);
    add_root("Ação & Reação (ao vivo) [2024].mp3", 70000);
    write_image();
    check_with_every_reader();
}

TEST_F(ImageReadersTest, NestedFoldersKeptFromTheSource)
{
    add_kept("Música/Rock/Banda Ótima/01 - Começo.mp3", 4096);
    add_kept("Música/Rock/02.mp3", 1);
    add_kept("Música/Samba/03 samba.mp3", 12345);
    add_kept("Outros/vazio.mp3", 0);
    add_root("raiz.mp3", 10);
    write_image();
    check_with_every_reader();
}

TEST_F(ImageReadersTest, ManyFilesSpillIntoASecondDirectorySector)
{
    for (int i = 0; i < 60; ++i)
        add_root("Faixa número " + std::to_string(i) + " de uma coletânea.mp3", static_cast<std::uint64_t>(i * 700));
    write_image();
    EXPECT_GT(burner.Tree().Root()->SizeJoliet, 2048);
    check_with_every_reader();
}

TEST_F(ImageReadersTest, ImageWithoutJoliet)
{
    burner.SetJolietFileSystem(false);
    add_root("a.mp3", 3000);
    write_image();
    if (run("/usr/bin/python3 -c 'import pycdlib'").first)
        GTEST_SKIP();
    const fs::path out = folder.path() / "iso";
    fs::create_directories(out);
    const std::string script = std::string(VALMURI_SOURCE_DIR) + "/tests/engine/pycdlib_extract.py";
    const auto [status, listing] =
        run("/usr/bin/python3 " + quote(script) + " --iso " + quote(image) + " " + quote(out.string()));
    EXPECT_EQ(status, 0);
    EXPECT_NE(listing.find("F /A.MP3;1 3000"), std::string::npos) << listing;
    EXPECT_TRUE(contents(out / "A.MP3") == expected["a.mp3"]);
}

TEST_F(ImageReadersTest, BootableImage)
{
    const std::string boot = folder.file("boot.img", 1474560);
    burner.SetBootImage(boot);
    burner.SetBootable(true);
    add_root("depois do boot.mp3", 9000);
    write_image();
    check_with_every_reader();
    if (!have("xorriso"))
        return;
    const auto [status, report] = run("xorriso -indev " + quote(image) + " -report_el_torito plain 2>&1");
    EXPECT_NE(report.find("El Torito catalog  : 26"), std::string::npos) << report;
    EXPECT_NE(report.find("BIOS  y  fd1.4  0x0000  0x00      1          27"), std::string::npos) << report;
    // The boot image lies where the catalog says, byte for byte.
    const std::string bytes = contents(image);
    const std::size_t at = std::size_t{burner.Layout().BootImageLocation} * 2048;
    EXPECT_TRUE(bytes.compare(at, 1474560, contents(boot)) == 0);
}

} // namespace
} // namespace valmuri

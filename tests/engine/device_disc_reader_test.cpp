// The session import over a drive: READ DISC INFORMATION, READ TRACK
// INFORMATION and READ (10) answered by a pass-through drive whose disc is
// a multi-session image.

#include "engine/burner.h"
#include "engine/device_disc_reader.h"
#include "engine/session_import.h"

#include "drive/aspi_library.h"
#include "drive/pass_through_system.h"
#include "drive/transport.h"
#include "platform/endian.h"
#include "session_image_tools.h"
#include "tests/drive/fake_pass_through.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace valmuri;

namespace {

class DriveSessionImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        folder.file("one/Música/faixa.mp3", "faixa");
        folder.file("one/README", "readme");
        folder.file("two/novo/nova.mp3", "nova");
        ASSERT_TRUE(folder.run("genisoimage -quiet -J -o s1.iso one"));
        second_start = static_cast<std::uint32_t>(folder.sectors("s1.iso"));
        ASSERT_TRUE(folder.run("xorriso -as mkisofs -quiet -J -C 0," + std::to_string(second_start)
            + " -M s1.iso -o s2.iso two && cat s1.iso s2.iso > disc.iso"));
        std::ifstream in(folder.path("disc.iso"), std::ios::binary);
        image.assign(std::istreambuf_iterator<char>(in), {});

        release_aspi_layers();
        set_pass_through_system(&system);
        set_program_folder("/nonexistent/valmuri-test");
        test::FakeDrive& drive = system.add("/dev/sr0", 0, 0);
        drive.answer = [this](sg_io_hdr& io) { return answer(io); };
        burner.OnDebugMessage = [this](TSCSIDevice*, const std::string& text, int type) {
            lines.push_back(std::to_string(type) + " " + text);
        };
        ASSERT_TRUE(burner.InitializeASPI(true, ""));
        ASSERT_FALSE(burner.Devices().empty());
        burner.SelectDevice(burner.Devices()[0]);
    }

    void TearDown() override
    {
        release_aspi_layers();
        set_pass_through_system(nullptr);
        set_program_folder("");
    }

    static bool fail(sg_io_hdr& io)
    {
        // CHECK CONDITION, ILLEGAL REQUEST / LOGICAL BLOCK ADDRESS OUT OF RANGE.
        io.status = 0x02;
        io.driver_status = 0x08;
        const std::uint8_t sense[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x21, 0x00};
        std::memcpy(io.sbp, sense, sizeof sense);
        io.sb_len_wr = sizeof sense;
        return true;
    }

    bool answer(sg_io_hdr& io)
    {
        const std::uint8_t* cdb = io.cmdp;
        auto* data = static_cast<std::uint8_t*>(io.dxferp);
        switch (cdb[0]) {
        case 0x28: {   // READ (10)
            const std::uint64_t offset = std::uint64_t{get_be32(cdb + 2)} * 2048;
            const std::uint64_t length = std::uint64_t{get_be16(cdb + 7)} * 2048;
            ++reads;
            if (offset + length > image.size())
                return fail(io);
            std::memcpy(data, image.data() + offset, std::min<std::uint64_t>(length, io.dxfer_len));
            return true;
        }
        case 0x51: {   // READ DISC INFORMATION: appendable, two closed sessions and an empty one
            std::uint8_t info[34] = {0, 32, 0x01, 1, 3, 3, 3};
            std::memcpy(data, info, std::min<unsigned>(sizeof info, io.dxfer_len));
            return true;
        }
        case 0x52: {   // READ TRACK INFORMATION by track number
            const std::uint8_t track = cdb[5];
            if (track < 1 || track > 2 || (track == 2 && track_fails))
                return fail(io);
            std::uint8_t info[40] = {0, 38};
            put_be32(info + 8, track == 1 ? 0 : second_start);
            std::memcpy(data, info, std::min<unsigned>(sizeof info, io.dxfer_len));
            return true;
        }
        default:
            return true;
        }
    }

    test::ImageFolder folder;
    std::vector<std::uint8_t> image;
    std::uint32_t second_start = 0;
    bool track_fails = false;
    int reads = 0;
    test::FakePassThrough system;
    TVordaCDBurner burner;
    std::vector<std::string> lines;
};

bool has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST_F(DriveSessionImport, ReaderAnswersFromTheDrive)
{
    DeviceDiscReader disc(burner);
    EXPECT_EQ(disc.session_count(), 2);
    EXPECT_EQ(disc.session_start(1), 0u);
    EXPECT_EQ(disc.session_start(2), second_start);
    EXPECT_FALSE(disc.session_start(3));

    // Longer runs go out as several READ (10) commands.
    std::vector<std::uint8_t> buffer(40 * 2048);
    reads = 0;
    ASSERT_TRUE(disc.read_sectors(0, 40, buffer.data()));
    EXPECT_EQ(reads, 3);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), image.begin()));
    EXPECT_FALSE(disc.read_sectors(static_cast<std::uint32_t>(image.size() / 2048), 1, buffer.data()));
}

TEST_F(DriveSessionImport, LastSessionIsImportedIntoTheBurnersTree)
{
    ASSERT_TRUE(ImportPreviousSession(burner, -1, nullptr));
    EXPECT_TRUE(has(lines, "1 >>> IMPORTING SESSION # 2"));
    DiscTree& tree = burner.Tree();
    const TFEntry* nova = tree.FindFileEntry(tree.FindDir("\\novo"), "nova.mp3");
    ASSERT_NE(nova, nullptr);
    EXPECT_TRUE(nova->Imported);
    EXPECT_EQ(std::string(image.begin() + nova->Location * 2048, image.begin() + nova->Location * 2048 + 4), "nova");
    EXPECT_NE(tree.FindFileEntry(tree.FindDir("\\Música"), "faixa.mp3"), nullptr);
}

TEST_F(DriveSessionImport, FirstSessionAndSessionsThatCannotBeRead)
{
    ASSERT_TRUE(ImportPreviousSession(burner, 1, nullptr));
    EXPECT_EQ(burner.Tree().FindDir("\\novo"), nullptr);
    EXPECT_NE(burner.Tree().FindFileEntry(burner.Tree().Root(), "README."), nullptr);
    const int files = burner.Tree().FileCount();

    // The track of session 2 cannot be read.
    lines.clear();
    track_fails = true;
    EXPECT_FALSE(ImportPreviousSession(burner, 2, nullptr));
    EXPECT_TRUE(has(lines, "4 >>> ERROR IMPORTING SESSION # 2"));

    // Session 2 lies beyond what the drive can read: no volume.
    lines.clear();
    track_fails = false;
    image.resize(std::size_t{second_start} * 2048);
    EXPECT_FALSE(ImportPreviousSession(burner, 2, nullptr));
    EXPECT_TRUE(has(lines, "4 >>> ERROR IMPORTING SESSION 2 (ISO IMAGE NOT FOUND)"));
    EXPECT_EQ(burner.Tree().FileCount(), files);
}

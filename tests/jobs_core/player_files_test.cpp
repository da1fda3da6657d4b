// The player files prepared for a disc burnt with autorun.

#include "jobs/core/payload.h"
#include "jobs/core/player_files.h"
#include "mp3_fixture.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

namespace {

using namespace valmuri::jobs;
using valmuri::test::frames;
using valmuri::test::mpeg1_layer3;
using valmuri::test::read_text;
using valmuri::test::ScratchFolder;

class PlayerFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(temporary);
        request.player = folder.write("program/orvik.exe", std::string(3000, 'P'));
        request.temporary_folder = temporary;
        request.language_file
            = folder.write("idiomas/ENGLISH.INI", "[traducao]\r\na1=x\r\n[traducao_mp3player]\r\nb1=Play\r\nb3=Stop\r\nzz=1\r\n");
        request.tracks = {
            {"01. Intro", folder.write("a.mp3", frames(4000000, mpeg1_layer3(9), 417))},
            {"Artista - Musica", folder.write("b.mp3", frames(48000, mpeg1_layer3(9), 417))},
            {"Gone", folder.path() / "gone.mp3"},
        };
    }
    ScratchFolder folder;
    std::filesystem::path temporary = folder.path() / "tmp";
    PlayerFilesRequest request;
};

TEST_F(PlayerFiles, PreparesTheThreeFilesInDiscOrder)
{
    std::vector<int> steps;
    const PlayerFilesResult result = prepare_player_files(request, [&steps](int percent) { steps.push_back(percent); });
    ASSERT_EQ(result.status, PlayerFilesStatus::Ready) << result.error;
    ASSERT_EQ(result.files.size(), 3u);
    EXPECT_EQ(result.files[0], temporary / "orvik.exe");
    EXPECT_EQ(result.files[1], temporary / "autorun.inf");
    EXPECT_EQ(result.files[2], temporary / "lista_player.lvlm");
    EXPECT_EQ(steps, (std::vector<int>{0, 33, 66}));

    EXPECT_EQ(read_text(result.files[2]), "01. Intro.mp3;04:10\r\nArtista - Musica.mp3;00:03\r\nGone.mp3;00:00\r\n");
    EXPECT_EQ(read_text(result.files[1]), "[autorun]\r\nOPEN=orvik.exe\r\nICON=orvik.exe,0\r\n");
    // Three keys in the section: b1, b2 (missing, an empty line), b3.
    const std::string player = read_text(result.files[0]);
    const std::string texts = "Play\r\n\r\nStop\r\n";
    ASSERT_EQ(player.size(), 3000 + texts.size() + 24);
    EXPECT_EQ(player.substr(3000, texts.size()), texts);
    EXPECT_EQ(read_text(request.player), std::string(3000, 'P')); // the original is untouched

    // A second job over the same folder leaves one payload in the copy.
    ASSERT_EQ(prepare_player_files(request).status, PlayerFilesStatus::Ready);
    EXPECT_EQ(read_text(result.files[0]), player);

    remove_player_files(temporary);
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

TEST_F(PlayerFiles, MissingPlayerIsReportedWithItsPathAndWritesNothing)
{
    request.player = folder.path() / "program" / "nothing" / "orvik.exe";
    const PlayerFilesResult result = prepare_player_files(request);
    EXPECT_EQ(result.status, PlayerFilesStatus::PlayerMissing);
    EXPECT_EQ(result.error, request.player.string());
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

TEST_F(PlayerFiles, EmptyPlayerSectionGivesNoPayloadAndUnwritableFolderFails)
{
    request.language_file = folder.write("idiomas/X.INI", "[traducao]\r\na1=x\r\n");
    ASSERT_EQ(prepare_player_files(request).status, PlayerFilesStatus::Ready);
    EXPECT_EQ(TPayload(temporary / "orvik.exe").read_payload_length(), 0u);

    request.temporary_folder = folder.path() / "no-such-folder";
    const PlayerFilesResult failed = prepare_player_files(request);
    EXPECT_EQ(failed.status, PlayerFilesStatus::WriteFailed);
    EXPECT_FALSE(failed.error.empty());
}

TEST(FileCopy, RefusesTheSamePathAndKeepsTheModificationTime)
{
    ScratchFolder folder;
    const auto source = folder.write("a.bin", std::string(5000, 'a'));
    std::filesystem::last_write_time(source, std::filesystem::file_time_type::clock::now() - std::chrono::hours(50));
    std::string error;
    EXPECT_FALSE(copy_file_blocks(source, source, error));
    ASSERT_TRUE(copy_file_blocks(source, folder.path() / "b.bin", error)) << error;
    EXPECT_EQ(read_text(folder.path() / "b.bin"), std::string(5000, 'a'));
    EXPECT_EQ(std::filesystem::last_write_time(folder.path() / "b.bin"), std::filesystem::last_write_time(source));
    EXPECT_FALSE(copy_file_blocks(folder.path() / "none", folder.path() / "c.bin", error));
}

} // namespace

// Choosing and loading a layer: the library order, the emulation's place
// before or after it, unloading and reloading.

#include "tests/drive/transport_fixture.h"

namespace valmuri::test {
namespace {

using LayerTest = TransportTest;

TEST_F(LayerTest, CandidatesAreThePathTheProgramFolderThenTheSearchPath)
{
    set_program_folder("/opt/valmuri");
    EXPECT_EQ(aspi_library_candidates("/x/libother.so"),
        (std::vector<std::string>{"/x/libother.so", "/opt/valmuri/libwnaspi32.so", "libwnaspi32.so"}));
    EXPECT_EQ(aspi_library_candidates(""),
        (std::vector<std::string>{"/opt/valmuri/libwnaspi32.so", "libwnaspi32.so"}));
}

TEST_F(LayerTest, LibraryFromTheGivenPath)
{
    load_peer();
    EXPECT_TRUE(aspi_loaded());
    EXPECT_EQ(aspi_layer_name(), "WNASPI32.DLL");
    EXPECT_EQ(peer_record().support_info_calls, 1) << "support info is asked once at load";
}

TEST_F(LayerTest, LibraryFromTheProgramFolderWhenNoDriveIsPresent)
{
    set_program_folder(ASPI_TEST_PEER_DIR);
    EXPECT_TRUE(LoadASPI(true, ""));
    EXPECT_EQ(aspi_layer_name(), "WNASPI32.DLL");
}

TEST_F(LayerTest, EmulationIsPreferredWhenItFindsADrive)
{
    set_program_folder(ASPI_TEST_PEER_DIR);
    system.add("/dev/sr0", 0, 0);
    EXPECT_TRUE(LoadASPI(true, ""));
    EXPECT_EQ(aspi_layer_name(), "KVASPI32");
}

TEST_F(LayerTest, WithoutPreferenceTheLibraryComesFirstAndTheEmulationAfter)
{
    set_program_folder(ASPI_TEST_PEER_DIR);
    system.add("/dev/sr0", 0, 0);
    EXPECT_TRUE(LoadASPI(false, ""));
    EXPECT_EQ(aspi_layer_name(), "WNASPI32.DLL");

    release_aspi_layers();
    set_program_folder("/nonexistent/valmuri-test");
    EXPECT_TRUE(LoadASPI(false, ""));
    EXPECT_EQ(aspi_layer_name(), "KVASPI32");
    // The enumeration ran once for this load.
    EXPECT_EQ(system.sent.size(), 1u);
}

TEST_F(LayerTest, LibraryWithoutTheEntryPointsIsNotALayer)
{
    system.add("/dev/sr0", 0, 0);
    // The first candidate loads but exports neither entry point; the search
    // stops there and the emulation takes over.
    EXPECT_TRUE(LoadASPI(false, "libm.so.6"));
    EXPECT_EQ(aspi_layer_name(), "KVASPI32");

    release_aspi_layers();
    system.drives.clear();
    EXPECT_FALSE(LoadASPI(false, "libm.so.6"));
    EXPECT_FALSE(aspi_loaded());
}

TEST_F(LayerTest, UnloadFreesTheLibraryButLeavesTheEmulation)
{
    load_peer();
    EXPECT_TRUE(UnloadASPI());
    EXPECT_FALSE(aspi_loaded());
    EXPECT_EQ(aspi_layer_name(), "");
    EXPECT_TRUE(UnloadASPI()) << "nothing to free";

    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));
    EXPECT_TRUE(UnloadASPI());
    EXPECT_TRUE(aspi_loaded());
    EXPECT_EQ(aspi_layer_name(), "KVASPI32");
}

TEST_F(LayerTest, ReloadUsesTheRememberedPreference)
{
    set_program_folder(ASPI_TEST_PEER_DIR);
    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));
    ASSERT_EQ(aspi_layer_name(), "KVASPI32");

    // The drive is gone at the reload: the library in the program folder
    // stands in.
    system.drives.clear();
    EXPECT_TRUE(ReloadASPI());
    EXPECT_EQ(aspi_layer_name(), "WNASPI32.DLL");
    EXPECT_EQ(emulation_device_path(0, 0, 0), "");

    // And back: the library is freed and the emulation found again.
    system.add("/dev/sr1", 0, 0);
    EXPECT_TRUE(ReloadASPI());
    EXPECT_EQ(aspi_layer_name(), "KVASPI32");
    EXPECT_EQ(emulation_device_path(0, 0, 0), "/dev/sr1");
}

TEST_F(LayerTest, NothingLoadedSendsNothing)
{
    SRB_HAInquiry block{};
    EXPECT_EQ(SendASPI32Command(&block), SS_NOT_SENT);
    EXPECT_EQ(block.SRB_Status, 0);
}

} // namespace
} // namespace valmuri::test

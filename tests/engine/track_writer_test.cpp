#include "engine/track_writer.h"

#include "drive/disc_type.h"
#include "drive/erase_plan.h"

#include "engine/burn_errors.h"
#include "engine/cache_thread.h"
#include "fake_writer_drive.h"

#include <gtest/gtest.h>

#include <memory>

namespace valmuri {
namespace {

using test::FakeWriterDrive;

// An image made of `sectors` header sectors; sector i is filled with i & 0xFF.
CacheJob image_job(std::int64_t sectors, std::uint32_t block_size, bool post_gap)
{
    CacheJob job;
    job.block_size = block_size;
    job.write_post_gap = post_gap;
    job.image_bytes = sectors * kSectorBytes;
    job.header.resize(static_cast<std::size_t>(job.image_bytes));
    for (std::int64_t i = 0; i < sectors; ++i)
        std::fill_n(job.header.begin() + i * kSectorBytes, kSectorBytes, static_cast<std::uint8_t>(i));
    return job;
}

struct WriterRun {
    FakeWriterDrive drive;
    VirtualClock clock;
    std::atomic<bool> abort{false};
    std::atomic<std::int64_t> bytes_written{0};
    WriterProgress progress{bytes_written};
    WriterSettings settings;
    std::unique_ptr<TCacheThread> cache;
    int finalizing = 0;
    std::string result;

    WriterRun(std::uint8_t disc_type, std::int64_t sectors, bool post_gap)
    {
        drive.disc_type = disc_type;
        settings.image_sectors = post_gap && sectors < 300 ? 300 : sectors;
        settings.number_format = NumberFormat{",", "."};
        settings.descriptor_copy.assign(65537, 0xFF);
        cache = std::make_unique<TCacheThread>(image_job(sectors, block_size_for_disc_type(disc_type), post_gap));
    }
    void run()
    {
        TrackWriter writer(drive, *cache, clock, abort, progress, settings);
        writer.OnFinalizingTrack = [this] { ++finalizing; };
        result = writer.run();
        cache->WaitFor();
    }
    std::vector<int> data_sectors(std::uint32_t from_lba = 0) const
    {
        std::vector<int> out;
        for (const auto& w : drive.writes)
            if (w.lba >= from_lba)
                out.push_back(w.sectors);
        return out;
    }
};

TEST(TrackWriter, OneByteCdImageIsWrittenInTwelveBlocksAndClosed)
{
    WriterRun run(2, 151, true);
    run.settings.start_sector = 0;
    run.settings.perform_opc = true;
    run.run();
    EXPECT_EQ(run.result, "");
    EXPECT_EQ(run.data_sectors(), (std::vector<int>{27, 27, 27, 27, 27, 16, 27, 27, 27, 27, 27, 14}));
    std::uint32_t lba = 0;
    for (const auto& w : run.drive.writes) {
        EXPECT_EQ(w.lba, lba);
        lba += w.sectors;
    }
    EXPECT_EQ(run.progress.bytes_written, 614400);
    EXPECT_EQ(run.drive.written[150 * kSectorBytes], 150);
    EXPECT_EQ(run.finalizing, 1);
    EXPECT_TRUE(run.drive.has("OPC"));
    EXPECT_TRUE(run.drive.has("DEBUG 1 >>> STARTING WRITE PROCESS ON CD-R AT 8X (1,411 KB/s)"));
    EXPECT_FALSE(run.drive.has("DEBUG 1 >>> TEST/DUMMY WRITE"));
    // The session is left open for another one, then closed with IMMED.
    EXPECT_EQ(run.drive.lines_starting("WP"), (std::vector<std::string>{"WP 01 2 1", "WP 01 2 0", "WP 00 1 0"}));
    EXPECT_EQ(run.drive.lines_starting("CLOSE"), (std::vector<std::string>{"CLOSE 2 0 1"}));
    EXPECT_EQ(run.drive.log[run.drive.log.size() - 2], "TUR 5000");
    EXPECT_TRUE(run.drive.has("SPEED 7056 2"));
    EXPECT_EQ(run.drive.shown_size, 0u);
}

TEST(TrackWriter, DvdImageGoesOutInWhole32SectorBlocks)
{
    WriterRun run(11, 200, false);
    run.settings.start_sector = 5000;
    run.settings.write_speed = 2770;
    run.run();
    EXPECT_EQ(run.result, "");
    EXPECT_EQ(run.data_sectors(), (std::vector<int>(7, 32)));
    EXPECT_EQ(run.drive.writes.front().lba, 5000u);
    EXPECT_EQ(run.progress.bytes_written, 200 * 2048);
    // The last block holds 8 sectors of data; the rest goes out as zeros.
    ASSERT_EQ(run.drive.written.size(), 224u * kSectorBytes);
    EXPECT_EQ(run.drive.written[199 * kSectorBytes], 199);
    for (std::size_t i = 200 * kSectorBytes; i < run.drive.written.size(); ++i)
        ASSERT_EQ(run.drive.written[i], 0) << i;
    EXPECT_EQ(run.drive.lines_starting("STREAM"), (std::vector<std::string>{"STREAM 5200 0 1000 2880 1000"}));
    EXPECT_TRUE(run.drive.has("LATCH"));
    EXPECT_EQ(run.drive.lines_starting("CLOSE"), (std::vector<std::string>{"CLOSE 1 1 0", "CLOSE 2 255 0"}));
    EXPECT_TRUE(run.drive.has("DEBUG 1 >>> STARTING WRITE PROCESS ON DVD+R AT 1.0X (1,411 KB/s)"));
}

TEST(TrackWriter, DvdRReservesTheTrackAndClosesThreeTimes)
{
    WriterRun run(5, 330, false);
    run.drive.sessions = 1;
    run.run();
    EXPECT_EQ(run.result, "");
    EXPECT_TRUE(run.drive.has("TIMESTAMP"));
    EXPECT_TRUE(run.drive.has("RESERVE 352"));
    EXPECT_EQ(run.drive.lines_starting("STREAM").size(), 2u);
    EXPECT_EQ(run.drive.lines_starting("SYNC"), (std::vector<std::string>{"SYNC 1800000 1"}));
    EXPECT_EQ(run.drive.lines_starting("CLOSE"),
              (std::vector<std::string>{"CLOSE 1 2 1", "CLOSE 1 3 1", "CLOSE 2 4 1"}));
    // No second write parameters page before closing a DVD-R.
    EXPECT_EQ(run.drive.lines_starting("WP").size(), 2u);
}

TEST(TrackWriter, SimulationAnnouncesItselfSkipsCalibrationAndLeavesTheTrackOpen)
{
    WriterRun run(2, 400, false);
    run.settings.test_write = true;
    run.settings.perform_opc = true;
    run.run();
    EXPECT_EQ(run.result, "");
    EXPECT_TRUE(run.drive.has("DEBUG 1 >>> TEST/DUMMY WRITE"));
    EXPECT_FALSE(run.drive.has("OPC"));
    EXPECT_FALSE(run.drive.has("CLOSE"));
    EXPECT_TRUE(run.drive.has("WP 11 2 1"));
}

TEST(TrackWriter, DvdRamIsWrittenInPlaceWithoutCalibrationBufferQueriesOrClosing)
{
    WriterRun run(6, 400, false);
    run.settings.perform_opc = true;
    run.settings.start_sector = 1000;
    run.settings.descriptor_copy.assign(65537, 0xD5);
    run.run();
    EXPECT_EQ(run.result, "");
    // The disc already holds a volume: the data goes first, then the
    // descriptor copy to sector 0, as long as the first block.
    ASSERT_GE(run.drive.writes.size(), 2u);
    EXPECT_EQ(run.drive.writes.front().lba, 1000u);
    EXPECT_EQ(run.drive.writes.back().lba, 0u);
    EXPECT_EQ(run.drive.writes.back().sectors, 32);
    EXPECT_EQ(run.drive.written[run.drive.written.size() - 32 * kSectorBytes], 0xD5);
    EXPECT_FALSE(run.drive.has("OPC"));
    EXPECT_FALSE(run.drive.has("CLOSE"));
    // Buffer queries run during writing only.
    const auto& log = run.drive.log;
    const auto last_write = std::find_if(log.rbegin(), log.rend(), [](const std::string& l) { return l.rfind("WRITE", 0) == 0; });
    EXPECT_EQ(std::find(log.rbegin(), last_write, "RBC"), last_write);
}

TEST(TrackWriter, SequentialDvdRwIsWrittenOnlyAtItsNextWritableAddress)
{
    // A blank sequential DVD-RW takes no descriptor copy at sector 0: the
    // first block would then go to a sector already written.
    WriterRun blank(dtDVDRWSequential, 200, false);
    blank.run();
    EXPECT_EQ(blank.result, "");
    EXPECT_EQ(blank.data_sectors(), (std::vector<int>{32, 32, 32, 32, 32, 32, 32}));
    ASSERT_FALSE(blank.drive.writes.empty());
    EXPECT_EQ(blank.drive.writes.front().lba, 0u);

    // An appendable one: every write lies in the new session.
    WriterRun appendable(dtDVDRWSequential, 200, false);
    appendable.settings.start_sector = 5000;
    appendable.run();
    EXPECT_EQ(appendable.result, "");
    for (const auto& write : appendable.drive.writes)
        EXPECT_GE(write.lba, 5000u);

    // Restricted overwrite keeps its copy at the start of the disc.
    WriterRun restricted(dtDVDRWRestricted, 200, false);
    restricted.run();
    ASSERT_EQ(restricted.drive.writes.size(), 8u);
    EXPECT_EQ(restricted.drive.writes[0].lba, 0u);
    EXPECT_EQ(restricted.drive.writes[1].lba, 0u);
}

TEST(TrackWriter, BufferIsQueriedEveryFifthBlockFromTheSixth)
{
    WriterRun run(2, 27 * 12, false);
    run.drive.buffer_free = 123456;
    run.run();
    std::vector<int> queried_before_write;
    int writes = 0;
    bool pending = false;
    for (const auto& line : run.drive.log) {
        if (line == "RBC" && writes > 0)
            pending = true;
        if (line.rfind("WRITE", 0) == 0) {
            ++writes;
            if (pending)
                queried_before_write.push_back(writes);
            pending = false;
        }
    }
    EXPECT_EQ(queried_before_write, (std::vector<int>{6, 11}));
    EXPECT_TRUE(run.drive.has("SHOW 2097152 123456"));
    EXPECT_EQ(run.drive.lines_starting("SHOW").back(), "SHOW 0 0");
}

TEST(TrackWriter, FreeBufferReportedAsAllOnesIsTheWholeBuffer)
{
    WriterRun run(2, 27 * 7, false);
    run.run();
    EXPECT_TRUE(run.drive.has("SHOW 2097152 2097152"));
}

TEST(TrackWriter, DvdRClosingLowersTheShownFreeBufferUntilTheDriveAnswers)
{
    WriterRun run(5, 64, false);
    int polls = 0;
    run.drive.on_read_disc_information = [&] { return ++polls > 3; };
    run.run();
    EXPECT_EQ(run.result, "");
    const std::uint32_t size = 2097152;
    const std::uint32_t step = size / 960;
    const auto shown = run.drive.lines_starting("SHOW");
    EXPECT_NE(std::find(shown.begin(), shown.end(), "SHOW 2097152 " + std::to_string(size - 3 * step)), shown.end());
    EXPECT_EQ(shown.back(), "SHOW 0 0");
    EXPECT_EQ(run.clock.slept_ms(), 3000u);
}

TEST(TrackWriter, AbortStopsBeforeTheNextWriteFlushesAndLeavesTheTrackOpen)
{
    WriterRun run(2, 2000, false);
    run.drive.on_write = [&](std::uint32_t, std::uint16_t, const std::uint8_t*) -> const FakeWriterDrive::Failure* {
        if (run.drive.writes.size() == 2)
            run.abort = true;
        return nullptr;
    };
    run.run();
    EXPECT_EQ(run.result, burn_error::kAborted);
    EXPECT_EQ(run.drive.writes.size(), 3u);
    EXPECT_EQ(run.finalizing, 1);
    EXPECT_TRUE(run.drive.has("SYNC 120000 0"));
    EXPECT_FALSE(run.drive.has("CLOSE"));
    EXPECT_FALSE(run.drive.has("ALLOW"));
}

TEST(TrackWriter, AbortedSessionOnAGrownDvdPlusRwLeavesTheOldDescriptors)
{
    WriterRun run(10, 2000, false);
    run.settings.start_sector = 5000;
    run.drive.on_write = [&](std::uint32_t, std::uint16_t, const std::uint8_t*) -> const FakeWriterDrive::Failure* {
        if (run.drive.writes.size() == 2)
            run.abort = true;
        return nullptr;
    };
    run.run();
    EXPECT_EQ(run.result, burn_error::kAborted);
    for (const auto& write : run.drive.writes)
        EXPECT_GE(write.lba, 5000u) << "sector 0 was overwritten";
}

TEST(TrackWriter, DriveBusyForEverEndsAfterTenThousandRetries)
{
    WriterRun run(2, 400, false);
    const FakeWriterDrive::Failure not_ready{0x04, false, "NOT READY"};
    run.drive.on_write = [&](std::uint32_t, std::uint16_t, const std::uint8_t*) { return &not_ready; };
    run.run();
    EXPECT_EQ(run.result, "WRITER BUSY/BUFFER FULL");
    EXPECT_EQ(run.drive.lines_starting("WRITE").size(), 10001u);
    EXPECT_EQ(run.clock.slept_ms(), 10000u * 600u);
    EXPECT_EQ(run.finalizing, 1);
    EXPECT_FALSE(run.drive.has("CLOSE"));
}

TEST(TrackWriter, BusyDriveThatRecoversLosesNoBlock)
{
    WriterRun run(2, 400, false);
    int failures = 3;
    const FakeWriterDrive::Failure busy{0, true, "BUSY"};
    run.drive.on_write = [&](std::uint32_t, std::uint16_t, const std::uint8_t*) -> const FakeWriterDrive::Failure* {
        return run.drive.writes.size() == 4 && failures-- > 0 ? &busy : nullptr;
    };
    run.run();
    EXPECT_EQ(run.result, "");
    std::int64_t sectors = 0;
    for (const auto& w : run.drive.writes)
        sectors += w.sectors;
    EXPECT_EQ(sectors, 400);
    EXPECT_EQ(run.clock.slept_ms(), 3u * 600u);
}

TEST(TrackWriter, MediumErrorEndsWithTheDrivesText)
{
    WriterRun run(2, 400, false);
    const FakeWriterDrive::Failure medium{0x0C, false, "MEDIUM ERROR (WRITE ERROR)"};
    run.drive.on_write = [&](std::uint32_t lba, std::uint16_t, const std::uint8_t*) {
        return lba >= 100 ? &medium : nullptr;
    };
    run.run();
    EXPECT_EQ(run.result, "WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]");
    EXPECT_FALSE(run.drive.has("CLOSE"));
    EXPECT_EQ(run.finalizing, 1);
}

TEST(TrackWriter, HostAdapterErrorStopsAtOnceInsteadOfRetrying)
{
    // No sense data, as with a busy drive, but the host adapter reported it.
    const FakeWriterDrive::Failure lost{0, false, "SELECTION TIMEOUT", true};
    for (const std::uint8_t disc_type : {std::uint8_t{2}, std::uint8_t{5}}) {
        WriterRun run(disc_type, 400, false);
        run.drive.on_write = [&](std::uint32_t lba, std::uint16_t, const std::uint8_t*) {
            return lba >= 100 ? &lost : nullptr;
        };
        run.run();
        EXPECT_EQ(run.result, "WRITER ERROR [SELECTION TIMEOUT]");
        std::size_t failed_writes = 0;
        for (const auto& line : run.drive.lines_starting("WRITE"))
            failed_writes += std::stoul(line.substr(6)) >= 100;
        EXPECT_EQ(failed_writes, 1u) << "disc type " << int(disc_type);
        EXPECT_EQ(run.clock.slept_ms(), 0u);
        EXPECT_FALSE(run.drive.has("CLOSE"));
    }
}

TEST(TrackWriter, DvdTrackThatCannotBeClosedIsReportedAsAFailure)
{
    const FakeWriterDrive::Failure broken{0x72, false, "SESSION FIXATION ERROR"};
    for (const std::uint8_t disc_type : {std::uint8_t{5}, std::uint8_t{10}, std::uint8_t{11}}) {
        WriterRun run(disc_type, 400, false);
        run.drive.on_close = [&](std::uint8_t, std::uint8_t) { return &broken; };
        run.run();
        EXPECT_EQ(run.result, "WRITER ERROR [SESSION FIXATION ERROR]") << "disc type " << int(disc_type);
        // The first refused step ends the closing; nothing is tried blindly after it.
        EXPECT_EQ(run.drive.lines_starting("CLOSE").size(), 1u);
    }
}

TEST(TrackWriter, WithoutFinalizeTrackTheDataIsFlushedButNothingClosed)
{
    WriterRun run(3, 400, false);
    run.settings.finalize_track = false;
    run.run();
    EXPECT_EQ(run.result, "");
    EXPECT_TRUE(run.drive.has("SYNC 120000 0"));
    EXPECT_FALSE(run.drive.has("CLOSE"));
    EXPECT_TRUE(run.drive.has("ALLOW"));
}

TEST(TrackWriter, CdSessionThatCannotBeClosedIsReportedAsAFailure)
{
    WriterRun run(2, 400, false);
    run.drive.immediate = false;
    const FakeWriterDrive::Failure busy{0x04, false, "NOT READY"};
    const FakeWriterDrive::Failure broken{0x73, false, "POWER CALIBRATION AREA ERROR"};
    int closes = 0;
    run.drive.on_close = [&](std::uint8_t, std::uint8_t) { return ++closes < 5 ? &busy : &broken; };
    run.run();
    EXPECT_EQ(run.result, "WRITER ERROR [POWER CALIBRATION AREA ERROR]");
    // Four busy answers waited out, then one more try after the other failure.
    EXPECT_EQ(run.drive.lines_starting("CLOSE"), std::vector<std::string>(6, "CLOSE 2 0 0"));
}

TEST(TrackWriter, UnformattedDvdPlusRwIsFormattedBeforeTheDescriptorCopy)
{
    WriterRun run(10, 400, false);
    const FakeWriterDrive::Failure incompatible{0x30, false, "INCOMPATIBLE MEDIUM"};
    int polls = 0;
    run.drive.on_write = [&](std::uint32_t, std::uint16_t, const std::uint8_t*) {
        return run.drive.has("FORMAT") ? nullptr : &incompatible;
    };
    run.drive.on_read_disc_information = [&] {
        run.drive.set_sense(++polls < 3 ? 0x04 : 0);
        return polls >= 3;
    };
    run.run();
    EXPECT_EQ(run.result, "");
    EXPECT_TRUE(run.drive.has("FORMAT 12"));
    const FormatList expected{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
    EXPECT_EQ(dvd_plus_rw_format_list(), expected);
    EXPECT_EQ(polls, 3);
    // A DVD+RW is not rezeroed while it is prepared, only on the way back to idle.
    EXPECT_EQ(run.drive.lines_starting("REZERO").size(), 2u);
    EXPECT_EQ(run.drive.lines_starting("CLOSE"), (std::vector<std::string>{"CLOSE 3 255 0"}));
}

TEST(TrackWriter, CacheFailureEndsTheBurnWithItsText)
{
    CacheJob job = image_job(150, kCdBlockBytes, false);
    job.files.push_back({"/nonexistent/valmuri/gone.mp3", 5000});
    job.image_bytes += 3 * kSectorBytes;
    WriterRun run(2, 153, false);
    run.cache = std::make_unique<TCacheThread>(std::move(job));
    run.run();
    EXPECT_EQ(run.result, "CAN'T OPEN FILE \"/nonexistent/valmuri/gone.mp3\" OR FILE IS IN USES BY OTHER SOFTWARE");
    EXPECT_FALSE(run.drive.has("CLOSE"));
    std::int64_t sectors = 0;
    for (const auto& w : run.drive.writes)
        sectors += w.sectors;
    EXPECT_LE(sectors, 150);
}

} // namespace
} // namespace valmuri

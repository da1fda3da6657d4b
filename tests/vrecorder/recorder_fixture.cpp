#include "recorder_fixture.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace valmuri::vrecorder::test {

namespace {

void* library()
{
    static void* handle = [] {
        std::string path = std::string(VALMURI_BINARY_DIR) + "/libwnaspi32.so";
        void* loaded = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (loaded == nullptr)
            ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
        return loaded;
    }();
    return handle;
}

SRB_ExecSCSICmd make_block(const std::vector<std::uint8_t>& cdb, std::uint8_t flags, void* data,
                           std::uint32_t length, std::uint8_t target)
{
    SRB_ExecSCSICmd block;
    std::memset(&block, 0, sizeof block);
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_Flags = flags;
    block.SRB_Target = target;
    block.SRB_BufLen = length;
    auto address = reinterpret_cast<std::uintptr_t>(data);
    block.SRB_BufPointer = static_cast<std::uint32_t>(address);
    block.SRB_BufPointer64 = address;
    block.SRB_SenseLen = 24;
    block.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
    std::memcpy(block.CDBByte, cdb.data(), cdb.size());
    return block;
}

} // namespace

std::string Reply::sense_text() const
{
    char text[32];
    std::snprintf(text, sizeof text, "status %02X %X/%02X/%02X", status, key(), asc(), ascq());
    return text;
}

void RecorderTest::SetUp()
{
    void* handle = library();
    ASSERT_NE(handle, nullptr);
    support_info_ = reinterpret_cast<GetASPI32SupportInfoFn>(dlsym(handle, "GetASPI32SupportInfo"));
    send_command_ = reinterpret_cast<SendASPI32CommandFn>(dlsym(handle, "SendASPI32Command"));
    ASSERT_NE(support_info_, nullptr);
    ASSERT_NE(send_command_, nullptr);
    std::string pattern = (fs::temp_directory_path() / "vrecorder-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
}

void RecorderTest::TearDown()
{
    // Drop the recorders (they save their discs now, not at exit into a
    // folder that is gone) by switching to a configuration without any.
    fs::path empty = folder_ / "empty.ini";
    std::ofstream(empty) << "; no recorders\n";
    setenv("VALMURI_VRECORDER", empty.c_str(), 1);
    if (support_info_ != nullptr)
        support_info_();
    std::error_code error;
    fs::remove_all(folder_, error);
}

void RecorderTest::configure(const std::string& ini)
{
    ini_ = ini;
    generation_ = 0;
    fs::path file = folder_ / "vrecorder.ini";
    std::ofstream(file) << ini;
    setenv("VALMURI_VRECORDER", file.c_str(), 1);
    support_info_();
}

void RecorderTest::restart()
{
    // A changed file makes the library drop its recorders and read the discs again.
    std::ofstream(folder_ / "vrecorder.ini") << ini_ << "\n; restart " << ++generation_ << "\n";
    support_info_();
}

Reply RecorderTest::send(SRB_ExecSCSICmd& block)
{
    send_command_(&block);
    Reply reply;
    reply.status = block.SRB_Status;
    reply.host_status = block.SRB_HaStat;
    reply.target_status = block.SRB_TargStat;
    std::memcpy(reply.sense.data(), block.SenseArea, reply.sense.size());
    return reply;
}

Reply RecorderTest::none(std::vector<std::uint8_t> cdb, std::uint8_t target)
{
    SRB_ExecSCSICmd block = make_block(cdb, SRB_EVENT_NOTIFY, nullptr, 0, target);
    return send(block);
}

Reply RecorderTest::in(std::vector<std::uint8_t> cdb, std::vector<std::uint8_t>& data, std::uint8_t target)
{
    SRB_ExecSCSICmd block = make_block(cdb, SRB_EVENT_NOTIFY | SRB_DIR_IN, data.data(),
                                       static_cast<std::uint32_t>(data.size()), target);
    return send(block);
}

Reply RecorderTest::out(std::vector<std::uint8_t> cdb, const std::vector<std::uint8_t>& data, std::uint8_t target)
{
    SRB_ExecSCSICmd block = make_block(cdb, SRB_EVENT_NOTIFY | SRB_DIR_OUT, const_cast<std::uint8_t*>(data.data()),
                                       static_cast<std::uint32_t>(data.size()), target);
    return send(block);
}

Reply RecorderTest::flagged(std::vector<std::uint8_t> cdb, std::uint8_t flags, std::vector<std::uint8_t>& data,
                            std::uint8_t target)
{
    SRB_ExecSCSICmd block = make_block(cdb, flags, data.data(), static_cast<std::uint32_t>(data.size()), target);
    return send(block);
}

std::vector<std::uint8_t> RecorderTest::disc_information(std::uint8_t target)
{
    std::vector<std::uint8_t> data(56, 0);
    Reply reply = in({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, data, target);
    EXPECT_TRUE(reply.good()) << reply.sense_text();
    return data;
}

std::vector<std::uint8_t> RecorderTest::track_information(std::uint32_t track, std::uint8_t target)
{
    std::vector<std::uint8_t> data(40, 0);
    std::vector<std::uint8_t> cdb{0x52, 1, 0, 0, 0, 0, 0, 0, 40, 0};
    put_be32(&cdb[2], track);
    Reply reply = in(cdb, data, target);
    EXPECT_TRUE(reply.good()) << "track " << track << ": " << reply.sense_text();
    return data;
}

std::uint16_t RecorderTest::current_profile(std::uint8_t target)
{
    std::vector<std::uint8_t> data(114, 0);
    Reply reply = in({0x46, 2, 0, 0, 0, 0, 0, 0, 114, 0}, data, target);
    EXPECT_TRUE(reply.good()) << reply.sense_text();
    return get_be16(&data[6]);
}

Reply RecorderTest::write(std::uint32_t lba, std::uint32_t blocks, std::uint8_t fill, std::uint8_t target)
{
    std::vector<std::uint8_t> data(std::size_t{blocks} * 2048, fill);
    std::vector<std::uint8_t> cdb{0x2A, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put_be32(&cdb[2], lba);
    put_be16(&cdb[7], static_cast<std::uint16_t>(blocks));
    return out(cdb, data, target);
}

Reply RecorderTest::read(std::uint32_t lba, std::uint32_t blocks, std::vector<std::uint8_t>& data, std::uint8_t target)
{
    data.assign(std::size_t{blocks} * 2048, 0);
    std::vector<std::uint8_t> cdb{0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put_be32(&cdb[2], lba);
    put_be16(&cdb[7], static_cast<std::uint16_t>(blocks));
    return in(cdb, data, target);
}

Reply RecorderTest::synchronize_cache(std::uint8_t target)
{
    return none({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, target);
}

Reply RecorderTest::close(std::uint8_t function, std::uint16_t track, std::uint8_t target)
{
    std::vector<std::uint8_t> cdb{0x5B, 0, function, 0, 0, 0, 0, 0, 0, 0};
    put_be16(&cdb[4], track);
    return none(cdb, target);
}

Reply RecorderTest::set_write_parameters(std::uint8_t multisession, bool test_write, std::uint8_t target)
{
    std::vector<std::uint8_t> list(60, 0);
    std::uint8_t* page = &list[8];
    page[0] = 0x05;
    page[1] = 0x32;
    page[2] = static_cast<std::uint8_t>(0x01 | (test_write ? 0x10 : 0));
    page[3] = static_cast<std::uint8_t>((multisession << 6) | 0x04);
    page[4] = 0x08;
    put_be16(&page[14], 150);
    return out({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, list, target);
}

Reply RecorderTest::start_stop(std::uint8_t byte4, std::uint8_t target)
{
    return none({0x1B, 0, 0, 0, byte4, 0}, target);
}

} // namespace valmuri::vrecorder::test

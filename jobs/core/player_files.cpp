#include "jobs/core/player_files.h"

#include "jobs/core/file_info.h"
#include "jobs/core/payload.h"
#include "jobs/core/program_storage.h"
#include "platform/ini_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace valmuri::jobs {
namespace {

std::string system_error(const std::string& what, const std::filesystem::path& path)
{
    return what + " " + path.string() + ": " + std::strerror(errno);
}

bool write_whole_file(const std::filesystem::path& path, const std::string& content, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = system_error("cannot create", path);
        return false;
    }
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = done == content.size() && ::close(fd) == 0;
    if (!ok)
        error = system_error("cannot write", path);
    return ok;
}

} // namespace

std::filesystem::path default_player_path(const std::filesystem::path& program_folder)
{
    return program_folder / kPlayerProgram;
}

std::string player_texts(const IniFile& language)
{
    const std::size_t count = language.read_section("traducao_mp3player").size();
    std::string texts;
    for (std::size_t n = 1; n <= count; ++n)
        texts += language.read_string("traducao_mp3player", "b" + std::to_string(n)) + "\r\n";
    return texts;
}

std::string player_list_line(const std::string& disc_name, std::uint32_t duration)
{
    return disc_name + ".mp3;" + duration_mm_ss(duration);
}

bool copy_file_blocks(const std::filesystem::path& source, const std::filesystem::path& destination,
    std::string& error)
{
    if (source.string() == destination.string()) {
        error = "cannot copy " + source.string() + " onto itself";
        return false;
    }
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = system_error("cannot open", source);
        if (in >= 0)
            ::close(in);
        return false;
    }
    const int out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0) {
        error = system_error("cannot create", destination);
        ::close(in);
        return false;
    }
    char block[2048];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, block, sizeof block);
        if (n == 0)
            break;
        if (n < 0 || ::write(out, block, static_cast<std::size_t>(n)) != n) {
            ok = false;
            break;
        }
    }
    if (ok) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        ::fchmod(out, st.st_mode & 07777);
    }
    ::close(in);
    if (::close(out) != 0)
        ok = false;
    if (!ok)
        error = system_error("cannot copy to", destination);
    return ok;
}

PlayerFilesResult prepare_player_files(const PlayerFilesRequest& request, const PlayerProgress& progress)
{
    PlayerFilesResult result;
    const auto player = request.temporary_folder / kPlayerProgram;
    const auto autorun = request.temporary_folder / kAutorunFile;
    const auto list = request.temporary_folder / kPlayerList;

    std::error_code ec;
    if (!std::filesystem::is_regular_file(request.player, ec)) {
        result.status = PlayerFilesStatus::PlayerMissing;
        result.error = request.player.string();
        return result;
    }
    const auto fail = [&result](std::string error) {
        result.status = PlayerFilesStatus::WriteFailed;
        result.error = std::move(error);
        return result;
    };

    std::string texts;
    if (!request.language_file.empty())
        texts = player_texts(IniFile(request.language_file));
    std::string error;
    if (!copy_file_blocks(request.player, player, error))
        return fail(error);
    // The copy may carry a payload of its own (a player prepared earlier): one footer stays.
    if (!TPayload(player).write_payload(texts, error))
        return fail(error);

    std::string lines;
    const std::size_t n = request.tracks.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (progress)
            progress(static_cast<int>(i * 100 / n));
        const FrameInfo info = TFileInfo(request.tracks[i].source).read();
        lines += player_list_line(request.tracks[i].disc_name, info.duration) + "\r\n";
    }
    if (!write_whole_file(list, lines, error))
        return fail(error);
    if (!program_storage().item(static_cast<std::size_t>(ProgramItem::AutorunInf)).extract_to_file(autorun, error))
        return fail(error);
    result.files = {player, autorun, list};
    return result;
}

void remove_player_files(const std::filesystem::path& temporary_folder)
{
    std::error_code ec;
    for (const char* name : {kPlayerProgram, kAutorunFile, kPlayerList})
        std::filesystem::remove(temporary_folder / name, ec);
}

} // namespace valmuri::jobs

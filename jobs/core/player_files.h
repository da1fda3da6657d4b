#pragma once
// The three player files of a disc burnt with autorun, prepared in a
// temporary folder before the disc's file tree is built: the player program
// orvik.exe with the current language's player texts appended as a payload,
// autorun.inf, and the play list lista_player.lvlm.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace valmuri {
class IniFile;
}

namespace valmuri::jobs {

inline constexpr const char* kPlayerProgram = "orvik.exe";
inline constexpr const char* kAutorunFile = "autorun.inf";
inline constexpr const char* kPlayerList = "lista_player.lvlm";

struct PlayerTrack {
    std::string disc_name;        // the file's name on the disc without ".mp3"
    std::filesystem::path source; // the MP3 on the local disk
};

struct PlayerFilesRequest {
    std::filesystem::path player;           // the orvik.exe to copy
    std::filesystem::path temporary_folder; // private to this job, made by the caller
    std::filesystem::path language_file;    // the language file last loaded (may be empty)
    std::vector<PlayerTrack> tracks;        // in track-list order
};

enum class PlayerFilesStatus {
    Ready,
    PlayerMissing, // the player program is not there: offer to burn without autorun
    WriteFailed,   // a file in the temporary folder could not be written
};

struct PlayerFilesResult {
    PlayerFilesStatus status = PlayerFilesStatus::Ready;
    std::string error; // for WriteFailed (and the missing path for PlayerMissing)
    // orvik.exe, autorun.inf and lista_player.lvlm, in the order they go onto the disc.
    std::vector<std::filesystem::path> files;
};

// Called before each track with i × 100 div n, so a window can show it and
// let pending events run.
using PlayerProgress = std::function<void(int percent)>;

PlayerFilesResult prepare_player_files(const PlayerFilesRequest& request, const PlayerProgress& progress = {});

// Deletes the three files from the folder (those that exist).
void remove_player_files(const std::filesystem::path& temporary_folder);

// The player program of a program folder.
std::filesystem::path default_player_path(const std::filesystem::path& program_folder);

// The values of b1 … bN of [traducao_mp3player], N being the number of keys
// in that section, each followed by CR LF (a missing key gives an empty line).
std::string player_texts(const IniFile& language);

// "disc name.mp3;mm:ss".
std::string player_list_line(const std::string& disc_name, std::uint32_t duration);

// Copies in blocks of 2048 bytes, then gives the copy the source's
// modification time and permissions. False when the paths are the same text,
// the source cannot be opened or the copy cannot be written.
bool copy_file_blocks(const std::filesystem::path& source, const std::filesystem::path& destination,
    std::string& error);

} // namespace valmuri::jobs

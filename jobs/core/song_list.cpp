#include "jobs/core/song_list.h"

#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace valmuri::jobs {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return pieces;
        start = end + 1;
    }
}

bool is_mp3(const std::filesystem::path& path)
{
    return equals_ignore_ascii_case(path.extension().string(), ".mp3");
}

bool collect(const std::filesystem::path& folder, std::vector<std::string>& names)
{
    std::error_code ec;
    std::vector<std::filesystem::path> files, folders;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_error;
        if (it->is_directory(type_error))
            folders.push_back(it->path());
        else if (is_mp3(it->path()) && it->is_regular_file(type_error))
            files.push_back(it->path());
    }
    if (ec)
        return false;
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const auto& file : files)
        names.push_back(song_name_of_file(file));
    for (const auto& sub : folders)
        collect(sub, names); // an unreadable subfolder is passed over
    return true;
}

std::string font_rule(std::string_view cls, const std::string& font, int size, std::uint32_t colour)
{
    return format_text(".%s {  font-family: %s; font-size: %spx; color: %s}",
        {cls, font, std::to_string(size), html_colour(colour)});
}

} // namespace

std::string filter_song_name(std::string_view name, std::string_view filter_text)
{
    std::string result(name);
    for (std::string_view piece : split(filter_text, ';'))
        if (!piece.empty())
            result = replace_all(result, piece, " ");
    return trim_left(result);
}

std::string song_name_of_file(const std::filesystem::path& path)
{
    return path.stem().string();
}

std::string track_number(std::size_t n)
{
    std::string text = std::to_string(n);
    return text.size() < 3 ? std::string(3 - text.size(), '0') + text : text;
}

std::vector<std::string> song_list_text(const std::vector<std::string>& names)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < names.size(); ++i)
        lines.push_back(track_number(i + 1) + ". " + names[i]);
    return lines;
}

std::string html_colour(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
    return text;
}

std::string escape_html(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::vector<std::string> song_list_html(const std::vector<std::string>& names, const SongListStyle& style)
{
    const std::string font = escape_html(style.font);
    std::vector<std::string> lines = {"<html>", "<head>", "<title>Valmuri MP3</title>", "<style type=\"text/css\">",
        font_rule("font_pista", font, style.size, style.track_colour),
        font_rule("font_musica", font, style.size, style.song_colour),
        font_rule("font_artista", font, style.size, style.artist_colour),
        format_text(".preto {  font-family: %s; color: #000000}", {font}), "</style>", "</head>",
        "<body bgcolor=\"#FFFFFF\" text=\"#000000\">"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto parts = split(names[i], '-');
        const std::string artist = escape_html(trim(parts[0]));
        const std::string song = parts.size() > 1 ? escape_html(trim(parts[1])) : std::string();
        const std::string number = track_number(i + 1);
        if (i == 0)
            lines.push_back(format_text("<p class=\"font_pista\"> %s<span class=\"preto\">. </span><span "
                                        "class=\"font_artista\">%s</span><span class=\"preto\">",
                {number, artist}));
        else
            lines.push_back(format_text(
                "</span>%s<span class=\"preto\">. </span><span class=\"font_artista\">%s</span><span class=\"preto\">",
                {number, artist}));
        if (!song.empty())
            lines.push_back(format_text("  - </span><span class=\"font_musica\">%s</span><span class=\"preto\"><br>", {song}));
        else
            lines.push_back(format_text("   </span><span class=\"font_musica\">%s</span><span class=\"preto\"><br>", {song}));
    }
    if (!names.empty())
        lines.insert(lines.end(), {"<br>", "<br>", "</span></p>", "</body>", "</html>"});
    return lines;
}

bool read_disc_song_names(const std::filesystem::path& folder, std::vector<std::string>& names)
{
    return collect(folder, names);
}

bool save_lines(const std::filesystem::path& path, const std::vector<std::string>& lines, std::string& error)
{
    const std::filesystem::path temporary = path.string() + ".part-" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const auto& line : lines)
            out << line << "\r\n";
        out.close();
        if (!out) {
            error = "cannot write " + path.string() + ": " + std::strerror(errno);
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = "cannot write " + path.string() + ": " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

std::string mount_point_of(std::string_view device, std::string_view mounts)
{
    const auto unescape = [](std::string_view field) {
        std::string out;
        for (std::size_t i = 0; i < field.size(); ++i) {
            const auto octal = [&field](std::size_t at) { return field[at] >= '0' && field[at] <= '7'; };
            if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
                out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
                i += 3;
            } else {
                out += field[i];
            }
        }
        return out;
    };
    for (std::string_view line : split(mounts, '\n')) {
        const auto fields = split(line, ' ');
        if (fields.size() >= 2 && unescape(fields[0]) == device)
            return unescape(fields[1]);
    }
    return {};
}

} // namespace valmuri::jobs

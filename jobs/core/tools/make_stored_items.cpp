// Build-time tool: makes the program's stored items (a short synthesised
// sound, the drag cursor, autorun.inf and two 24-pixel button pictures),
// writes each into OUT_FOLDER so they can be looked at, and writes a C++
// source that holds their saved "StoredItem" properties at the best level.
//
// Usage: make_stored_items OUT_FOLDER OUT.cpp
// The output is the same on every run, so the build stays reproducible.

#include "jobs/core/stored_item.h"
#include "platform/endian.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using valmuri::put_le16;
using valmuri::put_le32;
using valmuri::jobs::Bytes;

void append_le16(Bytes& out, std::uint16_t v)
{
    out.resize(out.size() + 2);
    put_le16(out.data() + out.size() - 2, v);
}

void append_le32(Bytes& out, std::uint32_t v)
{
    out.resize(out.size() + 4);
    put_le32(out.data() + out.size() - 4, v);
}

void append_text(Bytes& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

// A second and a half of a power chord (E2 and B2 with overtones) plucked
// twice, 22050 Hz, 16-bit mono PCM.
Bytes rock_wav()
{
    constexpr std::uint32_t kRate = 22050;
    constexpr std::uint32_t kSamples = kRate * 3 / 2;
    Bytes pcm;
    for (std::uint32_t i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double since_pluck = std::fmod(t, 0.75);
        const double envelope = std::exp(-4.0 * since_pluck);
        double v = 0;
        for (double f : {82.41, 123.47}) {
            v += std::sin(2 * M_PI * f * t) + 0.5 * std::sin(4 * M_PI * f * t) + 0.25 * std::sin(6 * M_PI * f * t);
        }
        v = std::tanh(2.5 * v / 3.5) * envelope; // a little overdrive
        append_le16(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 24000))));
    }
    Bytes wav;
    append_text(wav, "RIFF");
    append_le32(wav, static_cast<std::uint32_t>(36 + pcm.size()));
    append_text(wav, "WAVEfmt ");
    append_le32(wav, 16);
    append_le16(wav, 1); // PCM
    append_le16(wav, 1); // mono
    append_le32(wav, kRate);
    append_le32(wav, kRate * 2);
    append_le16(wav, 2);
    append_le16(wav, 16);
    append_text(wav, "data");
    append_le32(wav, static_cast<std::uint32_t>(pcm.size()));
    wav.insert(wav.end(), pcm.begin(), pcm.end());
    return wav;
}

// A 32×32 cursor (CUR, hot spot at the arrow's tip): a black-edged white
// arrow with a small sheet of paper below it, the sign of files dragged.
Bytes drag_cursor()
{
    constexpr int kSide = 32;
    std::vector<std::uint32_t> argb(kSide * kSide, 0);
    const auto set = [&](int x, int y, std::uint32_t colour) {
        if (x >= 0 && x < kSide && y >= 0 && y < kSide)
            argb[y * kSide + x] = colour;
    };
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x <= y * 7 / 11 && x < 11; ++x)
            set(x, y, (x == 0 || x == y * 7 / 11 || y == 16) ? 0xFF000000 : 0xFFFFFFFF);
    for (int y = 18; y < 30; ++y)
        for (int x = 12; x < 22; ++x)
            set(x, y, (y == 18 || y == 29 || x == 12 || x == 21) ? 0xFF000000 : (y % 3 == 0 && x > 13 && x < 20 ? 0xFF404040 : 0xFFFFFFFF));

    Bytes image;
    append_le32(image, 40);
    append_le32(image, kSide);
    append_le32(image, kSide * 2); // colour and mask rows
    append_le16(image, 1);
    append_le16(image, 32);
    for (int i = 0; i < 6; ++i)
        append_le32(image, 0);
    for (int y = kSide - 1; y >= 0; --y)
        for (int x = 0; x < kSide; ++x) {
            const std::uint32_t c = argb[y * kSide + x];
            image.push_back(static_cast<std::uint8_t>(c));
            image.push_back(static_cast<std::uint8_t>(c >> 8));
            image.push_back(static_cast<std::uint8_t>(c >> 16));
            image.push_back(static_cast<std::uint8_t>(c >> 24));
        }
    for (int y = kSide - 1; y >= 0; --y)
        for (int byte = 0; byte < kSide / 8; ++byte) {
            std::uint8_t mask = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (argb[y * kSide + byte * 8 + bit] == 0)
                    mask |= static_cast<std::uint8_t>(0x80 >> bit);
            image.push_back(mask);
        }

    Bytes cur;
    append_le16(cur, 0);
    append_le16(cur, 2); // cursor
    append_le16(cur, 1);
    cur.push_back(kSide);
    cur.push_back(kSide);
    cur.push_back(0);
    cur.push_back(0);
    append_le16(cur, 0); // hot spot x
    append_le16(cur, 0); // hot spot y
    append_le32(cur, static_cast<std::uint32_t>(image.size()));
    append_le32(cur, 22);
    cur.insert(cur.end(), image.begin(), image.end());
    return cur;
}

// A 24×24 24-bit BMP drawn by paint(x, y) -> 0xRRGGBB.
template <typename Paint>
Bytes bitmap24(Paint paint)
{
    constexpr int kSide = 24;
    constexpr int kRow = kSide * 3; // already a multiple of 4
    Bytes bmp;
    append_text(bmp, "BM");
    append_le32(bmp, 54 + kRow * kSide);
    append_le32(bmp, 0);
    append_le32(bmp, 54);
    append_le32(bmp, 40);
    append_le32(bmp, kSide);
    append_le32(bmp, kSide);
    append_le16(bmp, 1);
    append_le16(bmp, 24);
    append_le32(bmp, 0);
    append_le32(bmp, kRow * kSide);
    append_le32(bmp, 2835);
    append_le32(bmp, 2835);
    append_le32(bmp, 0);
    append_le32(bmp, 0);
    for (int y = kSide - 1; y >= 0; --y)
        for (int x = 0; x < kSide; ++x) {
            const std::uint32_t c = paint(x, y);
            bmp.push_back(static_cast<std::uint8_t>(c));
            bmp.push_back(static_cast<std::uint8_t>(c >> 8));
            bmp.push_back(static_cast<std::uint8_t>(c >> 16));
        }
    return bmp;
}

// Three round bullets with text lines beside them: "the songs of the project".
Bytes bullets_bitmap()
{
    return bitmap24([](int x, int y) -> std::uint32_t {
        constexpr std::uint32_t kBackground = 0xC0C0C0; // the button face
        for (int row = 0; row < 3; ++row) {
            const int cy = 5 + row * 7;
            const int dx = x - 4, dy = y - cy;
            if (dx * dx + dy * dy <= 5)
                return 0x0050C8;
            if (x >= 9 && x <= 21 && (y == cy || y == cy + 1) && !(row == 1 && x > 17))
                return 0x202020;
        }
        return kBackground;
    });
}

// A compact disc seen from above: "the songs on the disc".
Bytes cd_bitmap()
{
    return bitmap24([](int x, int y) -> std::uint32_t {
        const double dx = x - 11.5, dy = y - 11.5;
        const double r = std::sqrt(dx * dx + dy * dy);
        if (r > 11.2)
            return 0xC0C0C0;
        if (r > 10.3)
            return 0x404040;
        if (r < 1.8)
            return 0xC0C0C0;
        if (r < 3.6)
            return 0x808080;
        const double angle = std::atan2(dy, dx);
        const int shine = static_cast<int>(40 * std::cos(2 * angle));
        const int base = 200 + shine;
        return (static_cast<std::uint32_t>(base - 20) << 16) | (static_cast<std::uint32_t>(base) << 8)
            | static_cast<std::uint32_t>(std::min(255, base + 30));
    });
}

Bytes autorun_inf()
{
    Bytes inf;
    append_text(inf, "[autorun]\r\nOPEN=orvik.exe\r\nICON=orvik.exe,0\r\n");
    return inf;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_stored_items OUT_FOLDER OUT.cpp\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    struct Asset {
        const char* file_name;
        Bytes bytes;
    };
    // Index order is the program's: the code refers to items by position.
    const Asset assets[] = {
        {"Rock.wav", rock_wav()},
        {"mouse2.ico", drag_cursor()},
        {"autorun.inf", autorun_inf()},
        {"bullets24_h.bmp", bullets_bitmap()},
        {"cd24_h.bmp", cd_bitmap()},
    };

    std::string source = "// Made by jobs/core/tools/make_stored_items.cpp at build time.\n"
                         "#include \"jobs/core/program_storage_data.h\"\n\n"
                         "namespace valmuri::jobs {\nnamespace {\n";
    for (std::size_t i = 0; i < std::size(assets); ++i) {
        std::ofstream(folder / assets[i].file_name, std::ios::binary)
            .write(reinterpret_cast<const char*>(assets[i].bytes.data()), static_cast<std::streamsize>(assets[i].bytes.size()));
        valmuri::jobs::TmxStoredItem item;
        item.SetCompression(valmuri::jobs::TCompressionLevel::clMax);
        item.load_from_bytes(assets[i].bytes);
        const Bytes property = item.save_property();
        source += "const unsigned char kProperty" + std::to_string(i) + "[] = {";
        for (std::size_t b = 0; b < property.size(); ++b) {
            if (b % 20 == 0)
                source += "\n   ";
            source += " " + std::to_string(property[b]) + ",";
        }
        source += "\n};\n";
    }
    source += "} // namespace\n\nconst StoredItemRecord kProgramStoredItems[kProgramStoredItemCount] = {\n";
    for (std::size_t i = 0; i < std::size(assets); ++i)
        source += "    {\"" + std::string(assets[i].file_name) + "\", " + std::to_string(assets[i].bytes.size())
            + "u, kProperty" + std::to_string(i) + ", sizeof kProperty" + std::to_string(i) + "},\n";
    source += "};\n\n} // namespace valmuri::jobs\n";

    const std::filesystem::path out = argv[2];
    const std::filesystem::path temporary = out.string() + ".part";
    {
        std::ofstream file(temporary, std::ios::binary);
        file << source;
        if (!file)
            return 1;
    }
    std::filesystem::rename(temporary, out);
    return 0;
}

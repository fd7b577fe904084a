// Lays out the seed corpora of the fuzz targets from the game folder that the
// build made, the level sources, the committed seeds, the inputs of past
// findings and files written here with the game's own writers and the tests'
// helpers:
//
//   make_seeds OUT GAME_DIR SOURCE_DIR
//
// gives OUT/level, OUT/level_text, OUT/recording, OUT/highscore, OUT/player,
// OUT/font, OUT/png, OUT/sound and OUT/settings. Run it with the game folder as the working directory,
// as the targets run.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "render/font_maker.hpp"
#include "sound/sound_settings.hpp"
#include "storage/file_storage.hpp"
#include "storage/log.hpp"
#include "storage/memory_storage.hpp"
#include "support/png_writer.hpp"
#include "support/txf_builder.hpp"
#include "world/level_text.hpp"
#include "world/recording_world.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace fs = std::filesystem;

namespace {

fs::path out_dir;

fs::path folder(const std::string& target)
{
    const fs::path path = out_dir / target;
    fs::create_directories(path);
    return path;
}

std::string read_text(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_seed(const std::string& target, const std::string& name, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(folder(target) / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Every file of `from` (not below it) whose extension is `extension` and
// that is at most max_bytes long.
void copy_files(const fs::path& from, const std::string& extension, const std::string& target,
                std::uintmax_t max_bytes = UINTMAX_MAX)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(from, error))
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension) &&
            entry.file_size() <= max_bytes)
            fs::copy_file(entry.path(), folder(target) / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
}

void levels(const fs::path& game, const fs::path& source)
{
    copy_files(game / "levels", ".lev", "level");
    copy_files(source / "data" / "levels", ".txt", "level_text");
    {
        OutFileStorage out((folder("level") / "empty.lev").string());
        World().save(out);
    }
    // The hand-made level texts as level files too.
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(source / "fuzz" / "seeds" / "level_text", missing)) {
        World world;
        std::string error;
        if (!build_level(read_text(entry.path()), world, error))
            continue;
        OutFileStorage out((folder("level") / (entry.path().stem().string() + ".lev")).string());
        world.save(out);
    }
    // Played for a while, levels hold moving bodies and wall contacts.
    for (const auto& entry : fs::directory_iterator(source / "data" / "levels")) {
        if (entry.path().extension() != ".txt")
            continue;
        World world;
        std::string error;
        if (!build_level(read_text(entry.path()), world, error))
            continue;
        for (int frame = 0; frame < 60; ++frame) {
            double dt = 0.016;
            world.update(dt);
        }
        const std::string name = entry.path().stem().string() + "-played";
        OutFileStorage out((folder("level") / (name + ".lev")).string());
        world.save(out);
        const std::string text = dump_level(world);
        write_seed("level_text", name + ".txt", std::vector<unsigned char>(text.begin(), text.end()));
    }
}

// The first frames of the tests' winning games, recorded as the game records.
void recordings(const fs::path& game, const fs::path& source)
{
    if (fs::exists(game / "opening.rec"))
        fs::copy_file(game / "opening.rec", folder("recording") / "opening.rec", fs::copy_options::overwrite_existing);
    for (const char* name : {"Delivery", "Slice", "Hurry"}) {
        World level;
        std::string error;
        if (!build_level(read_text(source / "data" / "levels" / (std::string(name) + ".txt")), level, error))
            continue;
        MemoryStorage storage;
        level.save(storage);
        RecordingWorld world(storage, "");
        world.file_name = std::string("levels/") + name + ".lev";
        std::ifstream script_text(source / "tests" / "levels" / (std::string(name) + ".script"));
        InputScript script;
        if (!parse_input_script(script_text, script, error))
            continue;
        RunOptions options;
        options.frames = 120;
        run_world(world, script, options);
        world.dump_recording((folder("recording") / (std::string(name) + ".rec")).string());
    }
}

void progress()
{
    HighScoreTable empty;
    empty.save((folder("highscore") / "empty.list").string());
    HighScoreTable table;
    table.submit("R-Delivery", "Player", 12.5, false);
    table.submit("P-Delivery", "Ann", 9.25, false);
    table.submit("R-Hurry", "Bob", 3.0, true);
    table.save((folder("highscore") / "three.list").string());

    PlayerInfo fresh("fresh");
    {
        OutFileStorage out((folder("player") / "fresh.player").string());
        fresh.save(out);
    }
    PlayerInfo played("played");
    played.unlock("Edit");
    played.submit("R-Delivery", 12.5, false);
    played.submit("R-Hurry", 3.0, true);
    OutFileStorage out((folder("player") / "played.player").string());
    played.save(out);
}

void fonts(const fs::path& game)
{
    copy_files(game, ".txf", "font");
    std::string error;
    if (auto small = make_texture_font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 7, error))
        save_texture_font((folder("font") / "small.txf").string(), *small);
    else
        std::cerr << "make_seeds: no small font: " << error << '\n';

    // Both byte orders and both atlas formats, a few glyphs each.
    for (const bool big_endian : {false, true}) {
        for (const int format : {0, 1}) {
            TxfBuilder b;
            b.big_endian = big_endian;
            b.format = format;
            b.width = 16;
            b.height = 8;
            b.glyph('A', 5, 6, 0, 0, 6, 0, 0).glyph('b', 4, 7, 0, -1, 5, 6, 0).glyph(' ', 0, 0, 0, 0, 3, 12, 0);
            b.fill_atlas(0x5A);
            write_seed("font", std::string(big_endian ? "big" : "little") + "-format" + std::to_string(format) + ".txf",
                       b.bytes());
        }
    }
}

void pngs(const fs::path& game)
{
    copy_files(game / "textures", ".png", "png", 12000);
    copy_files(game / "styles" / "polygon" / "goal", ".png", "png", 12000);

    // Every colour type and bit depth, with and without interlacing.
    struct Kind {
        int color_type;
        int bit_depth;
        int channels;
    };
    const Kind kinds[] = {{PNG_COLOR_TYPE_GRAY, 1, 1},   {PNG_COLOR_TYPE_GRAY, 4, 1},       {PNG_COLOR_TYPE_GRAY, 16, 1},
                          {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2}, {PNG_COLOR_TYPE_RGB, 8, 3},    {PNG_COLOR_TYPE_RGB, 16, 3},
                          {PNG_COLOR_TYPE_RGBA, 16, 4},  {PNG_COLOR_TYPE_PALETTE, 2, 1}, {PNG_COLOR_TYPE_PALETTE, 8, 1}};
    for (const Kind& kind : kinds) {
        for (const bool interlaced : {false, true}) {
            TestPng image;
            image.width = 5;
            image.height = 3;
            image.color_type = kind.color_type;
            image.bit_depth = kind.bit_depth;
            image.interlaced = interlaced;
            const std::size_t row_bytes = (image.width * kind.channels * kind.bit_depth + 7) / 8;
            for (std::uint32_t y = 0; y < image.height; ++y) {
                std::vector<png_byte> row(row_bytes);
                for (std::size_t x = 0; x < row_bytes; ++x)
                    row[x] = static_cast<png_byte>(37 * (x + 1) + 101 * y);
                image.rows.push_back(row);
            }
            if (kind.color_type == PNG_COLOR_TYPE_PALETTE) {
                for (int i = 0; i < (1 << kind.bit_depth); ++i)
                    image.palette.push_back(
                        {static_cast<png_byte>(i), static_cast<png_byte>(3 * i), static_cast<png_byte>(255 - i)});
                image.palette_alpha = {0, 128};
            }
            const std::string name = "type" + std::to_string(kind.color_type) + "-depth" + std::to_string(kind.bit_depth) +
                                     (interlaced ? "-interlaced" : "") + ".png";
            write_test_png((folder("png") / name).string(), image);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: make_seeds OUT GAME_DIR SOURCE_DIR\n";
        return 2;
    }
    out_dir = argv[1];
    const fs::path game = argv[2];
    const fs::path source = argv[3];
    set_log_streams(nullptr, &std::cerr);
    try {
        levels(game, source);
        recordings(game, source);
        progress();
        fonts(game);
        pngs(game);
        // The short effects, and settings as the game writes them.
        copy_files(game / "sounds", ".snd", "sound", 8000);
        for (const SoundSettings& settings : {SoundSettings{}, SoundSettings{true, 0}, SoundSettings{false, 100}})
            save_sound_settings((folder("settings") / ("volume" + std::to_string(settings.volume) + ".txt")).string(),
                                settings);
        // Seeds written by hand and the inputs of past findings, one folder
        // per target.
        for (const fs::path& dir : {source / "fuzz" / "seeds", source / "tests" / "data" / "fuzz_regressions"}) {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(dir, error))
                if (entry.is_directory())
                    copy_files(entry.path(), "", entry.path().filename().string());
        }
    } catch (const std::exception& e) {
        std::cerr << "make_seeds: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

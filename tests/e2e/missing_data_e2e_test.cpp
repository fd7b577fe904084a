#include "e2e/e2e_support.hpp"

namespace fs = std::filesystem;
using namespace e2e;

namespace {

enum class Damage {
    remove,    // the file or folder is gone
    truncate,  // the first half of the file is left
    clip,      // the last three bytes are gone, which no record is as short as
    garble,    // the right magic number, then a count far larger than the file
};

// How far the game is taken before it is quit: groups of key presses, each
// followed by a pause for the screen it opens, then a last pause. The first
// key only reveals the opening menu. A game that must not start gets none:
// it has to end by itself.
struct Route {
    std::vector<std::vector<std::string>> presses;
    double settle = 0;
};
const Route refused{};
const Route menu{{{"Right"}}};
const Route level_list{{{"Right"}, {"space"}}};
// The first listed level started and begun, or chosen twice from the list.
const Route level{{{"Right"}, {"space"}, {"space"}, {"space"}}, 1.0};
const Route level_twice{{{"Right"}, {"space"}, {"space"}, {"space"}}};
// Perfect Mode unlocked, a recording opened on the playback screen.
const Route playback{{{"Right"}, {"Up", "Up", "u", "Down", "Down", "Down"}, {"space"}, {"space"}}, 1.0};
// "Unlock Everything" for the default player, so its record changes.
const Route unlock{{{"Right"}, {"Up", "Up", "u"}}};

struct DataCase {
    const char* name;
    std::vector<std::string> damaged;  // paths in the game folder
    Damage damage;
    const Route& route;
    std::string report;  // the line (or the start of it) that names the problem
    int times = 1;       // how often it must be printed; 0: for every screen that needs it,
                         // which is more than once but never once a frame
    int exit_code = 0;
    bool kept_aside = false;  // the damaged bytes must survive as path + ".bad"
    // The player is told on the screen: a screenshot of it, into the build folder.
    std::string notice_shot = {};
};

void PrintTo(const DataCase& c, std::ostream* os) { *os << c.name; }

// Pixels of the notices' strip across the top of the window that are the
// notices' red: strong red, little green and blue.
int red_notice_pixels(const std::string& shot)
{
    const std::vector<unsigned char> rgb = screenshot_pixels(shot, 100, 14, 823, 34);
    int red = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        red += rgb[i] > 100 && rgb[i + 1] * 3 < rgb[i] && rgb[i + 2] * 3 < rgb[i];
    return red;
}

void damage(const fs::path& path, Damage how)
{
    ASSERT_TRUE(how == Damage::garble || fs::exists(path)) << path;
    // Garbled: the right magic number, then a count of 2^31 - 1.
    std::vector<unsigned char> bytes{0xED, 0x55, 0x5E, 0x0B, 0xFF, 0xFF, 0xFF, 0x7F};
    if (how == Damage::truncate || how == Damage::clip) {
        bytes = read_file_bytes(path);
        ASSERT_GT(bytes.size(), 8u) << path;
        bytes.resize(how == Damage::truncate ? bytes.size() / 2 : bytes.size() - 3);
    }
    if (how == Damage::remove)
        fs::remove_all(path);
    else
        write_file_bytes(path, bytes);
}

class MissingData : public FreshGame, public ::testing::WithParamInterface<DataCase> {};

}  // namespace

TEST_P(MissingData, IsReportedOnceAndTheGameCarriesOnOrRefusesToStart)
{
    const DataCase& c = GetParam();
    // Something for the recording list to offer.
    fs::copy_file(folder.file("opening.rec"), folder.file("recordings/R-Slice.Player.9.999.rec"));
    std::vector<std::vector<unsigned char>> originals;
    for (const std::string& path : c.damaged) {
        damage(folder.path() + "/" + path, c.damage);
        originals.push_back(read_file_bytes(folder.path() + "/" + path));
    }

    GameProcess game(display, {}, folder.path());
    if (c.route.presses.empty()) {
        EXPECT_EQ(game.wait_exit(15), c.exit_code) << game.err();
    } else {
        ASSERT_TRUE(window_up(game, 1.0)) << game.err();
        for (const auto& group : c.route.presses)
            press(display, group, 0.8, 300);
        pause_for(c.route.settle);
        ASSERT_TRUE(game.running()) << game.out() << game.err();
        if (!c.notice_shot.empty()) {
            ASSERT_TRUE(screenshot(display, c.notice_shot));
            EXPECT_GT(red_notice_pixels(c.notice_shot), 300) << "no notice in " << c.notice_shot;
            pause_for(6.0);
            const std::string faded = "faded_" + c.notice_shot;
            ASSERT_TRUE(screenshot(display, faded));
            EXPECT_LT(red_notice_pixels(faded), 30) << "the notice stays in " << faded;
            ASSERT_TRUE(game.running());
        }
        xdotool(display, {"key", "alt+F4"});
        EXPECT_EQ(game.wait_exit(), c.exit_code) << game.err();
    }

    const std::string out = game.out(), err = game.err();
    const int reports = count_of(out, c.report) + count_of(err, c.report);
    if (c.times > 0)
        EXPECT_EQ(reports, c.times) << "report: " << c.report << "\n--- out:\n" << out << "--- err:\n" << err;
    else
        EXPECT_TRUE(reports > 1 && reports < 60) << reports << " times: " << c.report;
    for (const char* fault : {"Assertion", "runtime error", "Sanitizer", "Segmentation"})
        EXPECT_EQ(err.find(fault), std::string::npos) << err;
    if (c.kept_aside) {
        const std::string path = folder.path() + "/" + c.damaged[0];
        EXPECT_EQ(read_file_bytes(path + ".bad"), originals[0]) << "the damaged file must not be lost";
        // Written afresh at exit, in place of the damaged one.
        EXPECT_TRUE(fs::exists(path));
        EXPECT_NE(read_file_bytes(path), originals[0]);
    } else {
        for (std::size_t i = 0; i < c.damaged.size(); ++i)
            EXPECT_EQ(read_file_bytes(folder.path() + "/" + c.damaged[i]), originals[i]) << "overwritten";
    }
}

// Text of the texture cache's report for a file it could not load.
std::string texture_failure(const std::string& path)
{
    return "We're trying to load " + path + "\nDidn't work.\n";
}

INSTANTIATE_TEST_SUITE_P(
    OneThingAtATime, MissingData,
    ::testing::Values(
        DataCase{"PlayTexture", {"textures/play.png"}, Damage::remove, playback,
                 texture_failure("textures/play.png")},
        DataCase{"ScrollTexture", {"textures/scroll.png"}, Damage::truncate, menu,
                 "  png interal error.\n"},
        DataCase{"MenuFont", {"menu.txf"}, Damage::remove, level_list,
                 "Can't find font menu.txf using default instead.\n", 0},
        DataCase{"DefaultFont", {"default.txf"}, Damage::remove, refused,
                 "Cannot load the font default.txf", 1, 1},
        DataCase{"DefaultPolygonStyle", {"styles/polygon/default"}, Damage::remove, level,
                 "Polygon style \"default\" is missing"},
        DataCase{"SwordStyle", {"styles/sword/default"}, Damage::remove, level,
                 texture_failure("styles/sword/default/sword.png")},
        DataCase{"LevelList", {"levels/levels.list"}, Damage::remove, level_list,
                 "Cannot read levels/levels.list"},
        DataCase{"ListedLevelDamaged", {"levels/Slice.lev"}, Damage::truncate, level_twice,
                 "Cannot open level levels/Slice.lev", 2, 0, false, "e2e_notice_level.png"},
        DataCase{"RecordingDamaged", {"recordings/R-Slice.Player.9.999.rec"}, Damage::garble, playback,
                 "Cannot replay recordings/R-Slice.Player.9.999.rec", 1, 0, false, "e2e_notice_recording.png"},
        DataCase{"OpeningDemoMissing", {"opening.rec"}, Damage::remove, menu, "No opening.rec"},
        DataCase{"OpeningDemoDamaged", {"opening.rec"}, Damage::clip, menu,
                 "Recording opening.rec is cut short"},
        DataCase{"HighScores", {"highscores.list"}, Damage::garble, menu,
                 "High score list highscores.list is damaged", 1, 0, true},
        DataCase{"PlayerFile", {"playerinfo/Player.player"}, Damage::garble, unlock,
                 "Player file playerinfo/Player.player is damaged", 1, 0, true},
        // Without its sounds, as without a device, the game plays silent.
        DataCase{"SoundEffect", {"sounds/win.snd"}, Damage::truncate, level,
                 "No sound: sounds/win.snd: its length is damaged; the game runs silent"},
        DataCase{"SoundSettings", {"settings.txt"}, Damage::garble, menu,
                 "The settings file settings.txt is damaged"}),
    [](const ::testing::TestParamInfo<DataCase>& p) { return std::string(p.param.name); });

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One cached texture. Names and wrap modes are GL's GLuint and GLenum values,
// kept as plain integers so that this header does not pull in GL.
struct TextureInfo {
    std::uint32_t texture_object = 0;  // 0 when the file did not load
    double aspect = 0;                 // width / height of the image
    std::int32_t wrap_s = 0;           // wrap modes of the first request
    std::int32_t wrap_t = 0;
    bool opaque = false;               // every pixel's alpha is full
};

// Sides of a texture on which the picture lies inside a transparent margin.
struct Margins {
    bool s = false;
    bool t = false;
};

// Loads a PNG file into a mipmapped RGBA texture whose first row is the top row
// of the picture (t = 0 on the top edge), inside the margins asked for.
// Uploads into `texture_name`, or into a new name when it is 0. Returns the
// name, or 0 when the file did not load; `aspect` (the picture's, without
// margins) is written only on success.
std::uint32_t load_texture_file(const char* path, double& aspect, std::uint32_t texture_name, Margins margins = {});

// Starts reading and decoding pictures on another thread, to be taken by
// load_texture_file when each is first asked for; the first such request
// waits for them all. A picture that cannot be read quietly there is read
// again when it is asked for, with every word the reading has to say.
void read_pictures_ahead(std::vector<std::string> paths);

// The texture of a file, loaded on the first request and cached for the whole
// process, failures included (as 0). The wrap modes of the first request stay
// in force; `aspect` gets the cached aspect whenever one is known. On a side
// asked to clamp (GL_CLAMP) the picture lies inside a transparent margin:
// there its 0..1 is clamped_coordinate(0)..clamped_coordinate(1). GL_CLAMP
// fades into the transparent border within half a texel of the edge of
// whichever mipmap level it reads; the margin makes that fade part of the
// picture, so that it looks the same under any wrap mode, at every level
// that keeps two texels across the picture.
std::uint32_t get_texture(const std::string& path, double& aspect, std::int32_t wrap_s, std::int32_t wrap_t);

// Where the picture of a side asked to clamp lies in its texture.
constexpr double clamped_coordinate(double picture) { return 0.25 + 0.5 * picture; }

// Uploads every cached texture again under its old name, after the window's
// GL context was recreated.
void reload_textures();

// How a picture meets the screen at the game's scale: never smaller than
// texel for pixel (polygon interiors), shrunk (bands, icons), letters: shrunk,
// but always blending two levels, as the outline of a glyph shows the
// difference, or soft: a picture with no detail finer than a few texels,
// made about as fine as the screen shows it (sparks).
enum class Sampling { enlarged, shrunk, letters, soft };

// Binds a texture (a 2-D texture with mipmaps) with the filtering its drawing
// needs: trilinear on a graphics card. With lean drawing, where every texel
// read costs, an enlarged picture reads its full-size level alone (all that
// trilinear filtering reads from it there) and a shrunk one the nearest
// level; letters stay trilinear.
void bind_texture(std::uint32_t texture, Sampling sampling);

// The same for a texture read at one scale all over what is drawn next (a
// straight band, a line of text): `s_per_unit` and `t_per_unit` texture
// coordinates to one unit of the current drawing coordinates. With lean
// drawing the level, or blend of levels, that scale reads is worked out here
// once instead of for every four pixels: the same texels, for less. A soft
// picture shown at most about 1.4 times its size reads its nearest texel of
// its nearest level: blending four texels of a picture that changes little
// from one to the next gives all but the same colour, at a good part of the
// cost of drawing it.
void bind_texture_at(std::uint32_t texture, Sampling sampling, double s_per_unit, double t_per_unit);

// While one lives, a texture bound at a scale reads the level of detail it
// would on a screen `finer` times coarser than what is drawn into: for a
// picture drawn finer than the screen to be laid on it, which then blends
// what the screen would show.
class ScreenLevels {
public:
    explicit ScreenLevels(double finer);
    ~ScreenLevels();
    ScreenLevels(const ScreenLevels&) = delete;
    ScreenLevels& operator=(const ScreenLevels&) = delete;

private:
    double previous_;
};

// Pixels one unit of the current drawing coordinates covers on the screen,
// along the shorter of its two axes. The game's matrices only move, turn and
// scale, so this holds everywhere in what is drawn next.
double pixels_per_unit();

// Whether the cached texture of a file has full alpha everywhere; false for a
// file not loaded yet or that did not load.
bool texture_opaque(const std::string& path);

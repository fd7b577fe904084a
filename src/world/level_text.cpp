#include "world/level_text.hpp"

#include <bit>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "geometry/plausible.hpp"
#include "geometry/polygon_faults.hpp"
#include "storage/memory_storage.hpp"
#include "world/world.hpp"

namespace {

// The bits of the NaN that plain "nan" stands for; any other NaN is written
// with its bits so that it reads back the same.
constexpr std::uint64_t plain_nan_bits = 0x7ff8000000000000u;

// Doubles compare by their bits: -0 is not 0, and a NaN equals itself.
bool same(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}
bool same(const Vector2& a, const Vector2& b) { return same(a.x, b.x) && same(a.y, b.y); }
bool same(const Rotation& a, const Rotation& b)
{
    return same(a.m00, b.m00) && same(a.m10, b.m10) && same(a.m01, b.m01) && same(a.m11, b.m11);
}

// What a polygon's rotation is when the text gives only its angle: the
// matrix motion builds from the angle, or the exact identity for angle 0.
Rotation rotation_for(double angle)
{
    if (angle == 0)
        return Rotation{};
    return Rotation{std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle)};
}

// The edges a polygon has when the text gives none: a ring in point order.
std::multimap<int, int> ring_edges(std::size_t point_count)
{
    std::multimap<int, int> edges;
    if (point_count >= 3)
        for (std::size_t i = 0; i < point_count; ++i)
            edges.emplace(static_cast<int>(i), static_cast<int>((i + 1) % point_count));
    return edges;
}

// The box of the points, or the empty box of a new polygon when there are none.
std::pair<Vector2, Vector2> box_of(const std::vector<Vector2>& points)
{
    Polygon probe;
    probe.points = points;
    if (!points.empty())
        probe.compute_bbox();
    return {probe.bbox_min, probe.bbox_max};
}

Vector2 bbox_centre(const Polygon& polygon)
{
    Polygon probe = polygon;
    return probe.world_bbox_centre();
}

// Whether the game's loader refuses the object's record, and why.
template <typename T>
bool refused_alone(const T& object, std::string& reason)
{
    MemoryStorage storage;
    object.save(storage);
    T copy;
    if (copy.load(storage) && storage.bytes_left() == 0)
        return false;
    reason = storage.refusal();
    return true;
}

std::vector<unsigned char> record(const BaseStorable& object)
{
    MemoryStorage storage;
    object.save(storage);
    return storage.bytes();
}

std::string number_text(double value)
{
    if (std::isnan(value)) {
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
        if (bits == plain_nan_bits)
            return "nan";
        char text[32];
        std::snprintf(text, sizeof text, "nan:%016llx", static_cast<unsigned long long>(bits));
        return text;
    }
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);  // shortest form that reads back exactly
    return std::string(text, result.ptr);
}

std::string vector_text(const Vector2& v) { return number_text(v.x) + ' ' + number_text(v.y); }

bool bare_char(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == '+';
}

// Bare when it is one plain word; otherwise quoted, with control bytes escaped
// so that every line stays one line. Bytes from 0x80 up pass as they are.
std::string string_text(const std::string& s)
{
    bool bare = !s.empty();
    for (unsigned char c : s)
        bare = bare && bare_char(c);
    if (bare)
        return s;
    std::string text = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': text += "\\\""; break;
        case '\\': text += "\\\\"; break;
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        case '\r': text += "\\r"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\x%02x", c);
                text += escape;
            } else {
                text += static_cast<char>(c);
            }
        }
    }
    return text + '"';
}

class Dump {
public:
    explicit Dump(const char* indent) : indent_(indent) {}
    void line(std::string_view key, const std::string& values = {})
    {
        text += indent_;
        text += key;
        if (!values.empty()) {
            text += ' ';
            text += values;
        }
        text += '\n';
    }
    // A field compared with its default; written only when it differs.
    void number(std::string_view key, double value, double fallback)
    {
        if (!same(value, fallback))
            line(key, number_text(value));
    }
    void vector(std::string_view key, const Vector2& value, const Vector2& fallback)
    {
        if (!same(value, fallback))
            line(key, vector_text(value));
    }
    void flag(std::string_view key, bool value)
    {
        if (value)
            line(key);
    }

    std::string text;

private:
    const char* indent_;
};

void dump_shape(Dump& out, const Polygon& p)
{
    if (!p.style_name.empty())
        out.line("style", string_text(p.style_name));
    for (std::size_t i = 0; i < p.points.size(); i += 4) {
        std::string values;
        for (std::size_t j = i; j < std::min(i + 4, p.points.size()); ++j)
            values += (values.empty() ? "" : "  ") + vector_text(p.points[j]);
        out.line("points", values);
    }
    if (p.edges != ring_edges(p.points.size())) {
        if (p.edges.empty())
            out.line("edges");
        std::string values;
        int on_line = 0;
        for (const auto& [start, end] : p.edges) {
            values += (values.empty() ? "" : "  ") + std::to_string(start) + ' ' + std::to_string(end);
            if (++on_line == 8) {
                out.line("edges", values);
                values.clear();
                on_line = 0;
            }
        }
        if (!values.empty())
            out.line("edges", values);
    }
    out.vector("position", p.position, Vector2());
    out.number("angle", p.angle, 0.0);
    if (!same(p.rotation, rotation_for(p.angle)))
        out.line("rotation", number_text(p.rotation.m00) + ' ' + number_text(p.rotation.m10) + ' ' +
                                 number_text(p.rotation.m01) + ' ' + number_text(p.rotation.m11));
}

// last_sword_pos_default: where the sword was last seen when the text does not say.
void dump_polygon_state(Dump& out, const Polygon& p, double default_cut_drag, const Vector2& last_sword_pos_default)
{
    out.number("cut_drag", p.cut_drag, default_cut_drag);
    out.vector("texture_offset", p.texture_offset, Vector2());
    const auto [box_min, box_max] = box_of(p.points);
    if (!same(p.bbox_min, box_min) || !same(p.bbox_max, box_max))
        out.line("bbox", vector_text(p.bbox_min) + ' ' + vector_text(p.bbox_max));
    out.vector("last_sword_pos", p.last_sword_pos, last_sword_pos_default);
    if (p.sword_inside)
        out.line("sword_inside", std::to_string(p.inside_point_count));
    out.flag("cut_pending", p.cut_pending);
}

// True when computing the mass properties from the shape gives back exactly
// this body, so the text can leave mass and moment out.
bool mass_is_computed(const PhysicsPolygon& p)
{
    if (!(p.signed_area() > 0))
        return false;
    PhysicsPolygon copy = p;
    copy.update_mass_properties();
    return record(copy) == record(p);
}

void dump_body(std::string& text, const PhysicsPolygon& p, const Vector2& sword_start)
{
    const PhysicsPolygon fresh;
    Dump out("  ");
    dump_shape(out, p);
    out.vector("velocity", p.velocity, fresh.velocity);
    out.number("angular_velocity", p.angular_velocity, fresh.angular_velocity);
    out.number("density", p.density, fresh.density);
    out.number("toughness", p.toughness, fresh.toughness);
    if (p.item.name != fresh.item.name || !same(p.item.amount, fresh.item.amount))
        out.line("item", string_text(p.item.name) +
                             (same(p.item.amount, fresh.item.amount) ? "" : ' ' + number_text(p.item.amount)));
    out.flag("item_flag", p.item.flag);
    dump_polygon_state(out, p, fresh.cut_drag, p.to_local(sword_start));
    if (!mass_is_computed(p)) {
        out.line("mass", number_text(p.mass));
        out.line("moment", number_text(p.moment));
    }
    out.number("torque", p.torque, fresh.torque);
    out.vector("force", p.force, fresh.force);
    out.number("angular_impulse", p.angular_impulse, fresh.angular_impulse);
    out.vector("impulse", p.impulse, fresh.impulse);
    for (const Contact& c : p.contacts)
        out.line("contact", vector_text(c.point) + ' ' + vector_text(c.normal));
    text += "\nbody\n" + out.text;
}

void dump_wall(std::string& text, const StaticPolygon& p)
{
    Dump out("  ");
    dump_shape(out, p);
    dump_polygon_state(out, p, StaticPolygon().cut_drag, Vector2());
    text += "\nwall\n" + out.text;
}

void dump_goal(std::string& text, const GoalPolygon& g)
{
    const GoalTargetInfoBit fresh_bit;
    Dump out("  ");
    dump_shape(out, g);
    out.flag("required", g.target.required);
    out.flag("losing", g.target.losing);
    out.flag("unlocks", g.target.unlocks);
    if (!g.target.name.empty())
        out.line("name", string_text(g.target.name));
    for (const GoalTargetInfoBit& bit : g.target.bits) {
        std::string values = string_text(bit.name);
        if (bit.count != fresh_bit.count)
            values += " count " + std::to_string(bit.count);
        if (!same(bit.amount, fresh_bit.amount))
            values += " amount " + number_text(bit.amount);
        if (!same(bit.tolerance, fresh_bit.tolerance))
            values += " tolerance " + number_text(bit.tolerance);
        if (bit.matched != fresh_bit.matched)
            values += " matched " + std::to_string(bit.matched);
        out.line("bit", values);
    }
    out.flag("target_flag", g.target.flag);
    out.flag("done", g.done);
    dump_polygon_state(out, g, GoalPolygon().cut_drag, Vector2());
    text += "\ngoal\n" + out.text;
}

void dump_sword(std::string& text, const Sword& s)
{
    const Sword fresh;
    Dump out("  ");
    out.vector("position", s.position, fresh.position);
    out.vector("velocity", s.velocity, fresh.velocity);
    out.vector("direction", s.direction, fresh.direction);
    out.number("total_drag", s.total_drag, fresh.total_drag);
    if (s.inside_count != fresh.inside_count)
        out.line("inside_count", std::to_string(s.inside_count));
    out.flag("cannot_cut", s.cannot_cut);
    out.number("cannot_cut_fade", s.cannot_cut_fade, fresh.cannot_cut_fade);
    if (!(s.trail.size() == 1 && same(s.trail[0].point, s.position) && same(s.trail[0].age, 0.0)))
        for (const TrailEntry& entry : s.trail)
            out.line("trail", vector_text(entry.point) + ' ' + number_text(entry.age));
    if (!out.text.empty())
        text += "\nsword\n" + out.text;
}

struct ParseError {
    int line;  // 0: the line being read
    std::string message;
};

[[noreturn]] void fail(std::string message, int line = 0)
{
    throw ParseError{line, std::move(message)};
}

struct Token {
    std::string text;
    bool quoted = false;
};

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Words and quoted strings up to a '#' outside quotes.
std::vector<Token> split_line(std::string_view line)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && blank(line[i]))
            ++i;
        if (i == line.size() || line[i] == '#')
            return tokens;
        Token token;
        if (line[i] != '"') {
            while (i < line.size() && !blank(line[i]) && line[i] != '#') {
                if (line[i] == '"')
                    fail("a quote inside the word '" + token.text + "'; put a space before the string");
                token.text += line[i++];
            }
            tokens.push_back(std::move(token));
            continue;
        }
        token.quoted = true;
        ++i;
        while (true) {
            if (i == line.size())
                fail("a string is not closed (write a line break inside a string as \\n)");
            const char c = line[i++];
            if (c == '"')
                break;
            if (c != '\\') {
                token.text += c;
                continue;
            }
            const char e = i < line.size() ? line[i++] : '\0';
            switch (e) {
            case '"': token.text += '"'; break;
            case '\\': token.text += '\\'; break;
            case 'n': token.text += '\n'; break;
            case 't': token.text += '\t'; break;
            case 'r': token.text += '\r'; break;
            case 'x': {
                const int high = i < line.size() ? hex_digit(line[i]) : -1;
                const int low = i + 1 < line.size() ? hex_digit(line[i + 1]) : -1;
                if (high < 0 || low < 0)
                    fail("\\x in a string needs two hex digits");
                token.text += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: fail(std::string("unknown escape \\") + e + " in a string (known: \\\" \\\\ \\n \\t \\r \\xHH)");
            }
        }
        if (i < line.size() && !blank(line[i]) && line[i] != '#')
            fail("text right after a closing quote; put a space between");
        tokens.push_back(std::move(token));
    }
}

bool parse_number(const std::string& text, double& value)
{
    if (text == "nan") {
        value = std::bit_cast<double>(plain_nan_bits);
        return true;
    }
    if (text == "inf" || text == "-inf") {
        value = text[0] == '-' ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    if (text.starts_with("nan:")) {
        std::uint64_t bits = 0;
        const char* end = text.data() + text.size();
        const auto [ptr, ec] = std::from_chars(text.data() + 4, end, bits, 16);
        value = std::bit_cast<double>(bits);
        return text.size() == 20 && ec == std::errc() && ptr == end && std::isnan(value);
    }
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    // from_chars also reads its own spellings of infinities and NaNs; only ours are accepted.
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

// The values after a field's name, taken one by one.
class Fields {
public:
    Fields(std::string key, std::vector<Token> tokens) : key_(std::move(key)), tokens_(std::move(tokens)) {}

    const std::string& key() const { return key_; }
    bool more() const { return next_ < tokens_.size(); }

    double number()
    {
        const Token& t = take("a number");
        double value = 0;
        if (t.quoted || !parse_number(t.text, value))
            fail("'" + key_ + "' needs a number, not '" + t.text + "' (numbers: 0.25, -1e-3, inf, -inf, nan)");
        return value;
    }
    Vector2 vector()
    {
        const double x = number();
        return Vector2(x, number());
    }
    int integer()
    {
        const Token& t = take("a whole number");
        int value = 0;
        const char* end = t.text.data() + t.text.size();
        const auto [ptr, ec] = std::from_chars(t.text.data(), end, value);
        if (t.quoted || ec != std::errc() || ptr != end)
            fail("'" + key_ + "' needs a whole number from " + std::to_string(INT_MIN) + " to " +
                 std::to_string(INT_MAX) + ", not '" + t.text + "'");
        return value;
    }
    std::string text()
    {
        const Token& t = take("a string");
        if (t.text.size() >= static_cast<std::size_t>(max_string_length))
            fail("a string of " + std::to_string(t.text.size()) + " bytes is too long (at most " +
                 std::to_string(max_string_length - 1) + ")");
        return t.text;
    }
    std::string word()
    {
        const Token& t = take("a word");
        if (t.quoted)
            fail("'" + key_ + "' needs a word here, not the string \"" + t.text + "\"");
        return t.text;
    }
    void end() const
    {
        if (more())
            fail("'" + key_ + "' has extra text '" + tokens_[next_].text + "'");
    }

private:
    const Token& take(const char* what)
    {
        if (!more())
            fail("'" + key_ + "' needs " + what + (next_ > 0 ? " after '" + tokens_[next_ - 1].text + "'" : ""));
        return tokens_[next_++];
    }

    std::string key_;
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
};

bool repeatable(const std::string& key)
{
    return key == "points" || key == "edges" || key == "contact" || key == "trail" || key == "bit";
}

bool level_key(const std::string& key)
{
    return key == "gravity" || key == "bounds" || key == "camera" || key == "time" || key == "countdown" ||
           key == "front_matter" || key == "end_matter";
}

struct PendingEdge {
    int start;
    int end;
    int line;
};

class LevelParser {
public:
    void read_line(int line, std::string_view text)
    {
        line_ = line;
        std::vector<Token> tokens = split_line(text);
        if (tokens.empty())
            return;
        if (tokens[0].quoted)
            fail("a line starts with a field name, not a string");
        const std::string key = tokens[0].text;
        tokens.erase(tokens.begin());

        if (key == "sword" || key == "body" || key == "wall" || key == "goal") {
            if (!tokens.empty())
                fail("'" + key + "' starts a block and takes nothing after it");
            if (key == "sword" && sword_given_)
                fail("a level has one sword block");
            close_block();
            start_block(key);
            return;
        }
        if (section_ != Section::level && level_key(key))
            fail("'" + key + "' is a level field; level fields come before the first block");

        Block& block = section_ == Section::level ? level_ : block_;
        auto [it, first] = block.given.emplace(key, line);
        if (!first && !repeatable(key))
            fail("'" + key + "' is given twice (first on line " + std::to_string(it->second) + ")");
        Fields fields(key, std::move(tokens));
        bool known = false;
        switch (section_) {
        case Section::level: known = level_field(fields); break;
        case Section::sword: known = sword_field(fields); break;
        case Section::body: known = polygon_field(body_, fields) || body_field(fields); break;
        case Section::wall: known = polygon_field(wall_, fields); break;
        case Section::goal: known = polygon_field(goal_, fields) || goal_field(fields); break;
        }
        if (!known)
            fail("unknown field '" + key + "' in " + section_name());
        fields.end();
    }

    // Closes the last block and fills `out` with the level, which the game's
    // loader must accept.
    void finish(World& out)
    {
        close_block();
        if (level_.has("time") && level_.has("countdown"))
            fail("give either 'time' or 'countdown', not both", level_.given["countdown"]);

        // A body starts out knowing where the sword is; left at its origin,
        // which lies inside it, the first frame would find the sword inside.
        for (std::size_t i = 0; i < bodies_.size(); ++i)
            if (!last_sword_pos_given_[i])
                bodies_[i].last_sword_pos = bodies_[i].to_local(sword_.position);

        out.hover_selection.reset();
        out.timer.time = time_;
        out.timer.countdown = countdown_;
        out.sword = std::move(sword_);
        out.physics_polygons = std::move(bodies_);
        out.static_polygons = std::move(walls_);
        out.goals = std::move(goals_);
        out.gravity = gravity_;
        out.bounds_min = bounds_min_;
        out.bounds_max = bounds_max_;
        out.camera = camera_;
        if (!level_.has("camera")) {
            out.camera = Vector2();
            out.clamp_camera();
        }
        out.front_matter = std::move(front_matter_);
        out.end_matter = std::move(end_matter_);
        out.edit_view_centre = Vector2((bounds_min_.x + bounds_max_.x) / 2, (bounds_min_.y + bounds_max_.y) / 2);
        out.outcome = Outcome::none;
        refuse_what_the_game_refuses(out);
    }

private:
    enum class Section { level, sword, body, wall, goal };

    struct Block {
        int line = 0;
        std::map<std::string, int> given;  // field name, line of its first appearance
        bool has(const char* key) const { return given.count(key) != 0; }
        int line_of(const char* key) const
        {
            const auto it = given.find(key);
            return it != given.end() ? it->second : line;
        }
    };

    // A closed block: which of the level's lists it went to, and where.
    struct Part {
        Section section;
        std::size_t index;
        Block block;
        std::vector<PendingEdge> edges;

        // The line of the field at fault; of several `edges` lines, the one
        // that repeats an edge.
        int line_of(const Fault& fault) const
        {
            if (!fault)
                return block.line;
            std::set<std::pair<int, int>> seen;
            if (std::string_view(fault.field) == "edges")
                for (const PendingEdge& e : edges)
                    if (!seen.emplace(e.start, e.end).second)
                        return e.line;
            return block.line_of(fault.field);
        }
    };

    // The loader is the one judge of what a level may hold, so a text builds
    // exactly the levels the game opens. What it refuses is put down to the
    // first block (in the text's order) that it refuses alone, at the line of
    // the field at fault; what no block explains is a level field's.
    void refuse_what_the_game_refuses(const World& built)
    {
        MemoryStorage storage;
        built.save(storage);
        const World loaded(storage);
        if (loaded.loaded() && storage.bytes_left() == 0)
            return;

        for (const Part& part : parts_) {
            std::string reason;
            Fault fault;
            bool refused = false;
            switch (part.section) {
            case Section::level: break;
            case Section::sword: refused = refused_alone(built.sword, reason); break;
            case Section::body: {
                const PhysicsPolygon& body = built.physics_polygons[part.index];
                refused = refused_alone(body, reason);
                fault = body_fault(body);
                break;
            }
            case Section::wall: {
                const StaticPolygon& wall = built.static_polygons[part.index];
                refused = refused_alone(wall, reason);
                fault = polygon_fault(wall);
                break;
            }
            case Section::goal: {
                const GoalPolygon& goal = built.goals[part.index];
                refused = refused_alone(goal, reason);
                fault = polygon_fault(goal);
                break;
            }
            }
            if (refused)
                fail(reason.empty() ? std::string("the game cannot load this ") + section_word(part.section) : reason,
                     part.line_of(fault));
        }

        const std::string& reason = storage.refusal();
        int line = 1;
        for (const auto& [key, at] : level_.given)
            if (reason.rfind(key == "countdown" ? "time" : key, 0) == 0)
                line = at;
        fail(reason.empty() ? "the game cannot load this level" : reason, line);
    }

    static const char* section_word(Section section)
    {
        switch (section) {
        case Section::level: return "level";
        case Section::sword: return "sword";
        case Section::body: return "body";
        case Section::wall: return "wall";
        case Section::goal: return "goal";
        }
        return "";
    }

    const char* section_name() const
    {
        switch (section_) {
        case Section::level: return "the level fields";
        case Section::sword: return "the sword block";
        case Section::body: return "a body block";
        case Section::wall: return "a wall block";
        case Section::goal: return "a goal block";
        }
        return "";
    }

    void start_block(const std::string& key)
    {
        block_ = Block{line_, {}};
        edges_.clear();
        if (key == "sword") {
            section_ = Section::sword;
            sword_given_ = true;
        } else if (key == "body") {
            section_ = Section::body;
            body_ = PhysicsPolygon();
        } else if (key == "wall") {
            section_ = Section::wall;
            wall_ = StaticPolygon();
        } else {
            section_ = Section::goal;
            goal_ = GoalPolygon();
        }
    }

    bool level_field(Fields& f)
    {
        const std::string& k = f.key();
        if (k == "gravity")
            gravity_ = f.vector();
        else if (k == "bounds") {
            bounds_min_ = f.vector();
            bounds_max_ = f.vector();
        } else if (k == "camera")
            camera_ = f.vector();
        else if (k == "time")
            time_ = f.number();
        else if (k == "countdown") {
            time_ = f.number();
            countdown_ = true;
        } else if (k == "front_matter")
            front_matter_ = f.text();
        else if (k == "end_matter")
            end_matter_ = f.text();
        else
            return false;
        return true;
    }

    bool sword_field(Fields& f)
    {
        const std::string& k = f.key();
        Sword& s = sword_;
        if (k == "position")
            s.position = f.vector();
        else if (k == "velocity")
            s.velocity = f.vector();
        else if (k == "direction")
            s.direction = f.vector();
        else if (k == "total_drag")
            s.total_drag = f.number();
        else if (k == "inside_count")
            s.inside_count = f.integer();
        else if (k == "cannot_cut")
            s.cannot_cut = true;
        else if (k == "cannot_cut_fade")
            s.cannot_cut_fade = f.number();
        else if (k == "trail") {
            const Vector2 point = f.vector();
            trail_.push_back(TrailEntry{point, f.number()});
        } else
            return false;
        return true;
    }

    bool polygon_field(Polygon& p, Fields& f)
    {
        const std::string& k = f.key();
        if (k == "style")
            p.style_name = f.text();
        else if (k == "points") {
            do {
                const Vector2 point = f.vector();
                // The loader refuses these, and the mass computed from huge
                // ones is not a number, which leaves no bounding box.
                if (!plausible(point))
                    fail("points must be finite and below " + number_text(max_stored_magnitude) + " in size");
                p.points.push_back(point);
            } while (f.more());
        } else if (k == "edges") {
            while (f.more()) {
                const int start = f.integer();
                edges_.push_back(PendingEdge{start, f.integer(), line_});
            }
        } else if (k == "position")
            p.position = f.vector();
        else if (k == "angle")
            p.angle = f.number();
        else if (k == "rotation") {
            p.rotation.m00 = f.number();
            p.rotation.m10 = f.number();
            p.rotation.m01 = f.number();
            p.rotation.m11 = f.number();
        } else if (k == "cut_drag")
            p.cut_drag = f.number();
        else if (k == "texture_offset")
            p.texture_offset = f.vector();
        else if (k == "bbox") {
            p.bbox_min = f.vector();
            p.bbox_max = f.vector();
        } else if (k == "last_sword_pos")
            p.last_sword_pos = f.vector();
        else if (k == "sword_inside") {
            p.sword_inside = true;
            p.inside_point_count = f.integer();
        } else if (k == "cut_pending")
            p.cut_pending = true;
        else
            return false;
        return true;
    }

    bool body_field(Fields& f)
    {
        const std::string& k = f.key();
        PhysicsPolygon& p = body_;
        if (k == "velocity")
            p.velocity = f.vector();
        else if (k == "angular_velocity")
            p.angular_velocity = f.number();
        else if (k == "density")
            p.density = f.number();
        else if (k == "toughness")
            p.toughness = f.number();
        else if (k == "item") {
            p.item.name = f.text();
            if (f.more())
                p.item.amount = f.number();
        } else if (k == "item_flag")
            p.item.flag = true;
        else if (k == "mass")
            p.mass = f.number();
        else if (k == "moment")
            p.moment = f.number();
        else if (k == "torque")
            p.torque = f.number();
        else if (k == "force")
            p.force = f.vector();
        else if (k == "angular_impulse")
            p.angular_impulse = f.number();
        else if (k == "impulse")
            p.impulse = f.vector();
        else if (k == "contact") {
            const Vector2 point = f.vector();
            p.contacts.push_back(Contact{point, f.vector()});
        } else
            return false;
        return true;
    }

    bool goal_field(Fields& f)
    {
        const std::string& k = f.key();
        GoalTargetInfo& t = goal_.target;
        if (k == "required")
            t.required = true;
        else if (k == "losing")
            t.losing = true;
        else if (k == "unlocks")
            t.unlocks = true;
        else if (k == "name")
            t.name = f.text();
        else if (k == "target_flag")
            t.flag = true;
        else if (k == "done")
            goal_.done = true;
        else if (k == "bit")
            t.bits.push_back(read_bit(f));
        else
            return false;
        return true;
    }

    GoalTargetInfoBit read_bit(Fields& f)
    {
        GoalTargetInfoBit bit;
        bit.name = f.text();
        std::map<std::string, bool> seen;
        while (f.more()) {
            const std::string option = f.word();
            if (seen[option])
                fail("'bit' gives '" + option + "' twice");
            seen[option] = true;
            if (option == "count")
                bit.count = f.integer();
            else if (option == "amount")
                bit.amount = f.number();
            else if (option == "tolerance")
                bit.tolerance = f.number();
            else if (option == "matched")
                bit.matched = f.integer();
            else
                fail("'bit' knows count, amount, tolerance and matched, not '" + option + "'");
        }
        // The loader refuses a bit whose next match would overflow its counter.
        if (bit.matched == INT_MAX && bit.matched <= bit.count)
            fail("'bit' with matched " + std::to_string(INT_MAX) + " must be full (count below it)");
        return bit;
    }

    // Edges, rotation and box from what the block gave or left out.
    void finish_shape(Polygon& p, const char* kind)
    {
        if (block_.has("edges")) {
            p.edges.clear();
            const int count = static_cast<int>(p.points.size());
            for (const PendingEdge& e : edges_) {
                if (e.start < 0 || e.start >= count || e.end < 0 || e.end >= count)
                    fail("edge " + std::to_string(e.start) + ' ' + std::to_string(e.end) + " names a point the " +
                             kind + " does not have (it has " + std::to_string(count) + ", numbered from 0)",
                         e.line);
                p.edges.emplace(e.start, e.end);
            }
        } else {
            p.edges = ring_edges(p.points.size());
        }
        if (!block_.has("rotation"))
            p.rotation = rotation_for(p.angle);
    }

    void finish_box(Polygon& p)
    {
        if (!block_.has("bbox"))
            std::tie(p.bbox_min, p.bbox_max) = box_of(p.points);
        // As loading leaves it: the style read, the outline traced.
        p.style.load_style(p.style_name);
        p.bbox_valid = false;
        p.trace_loops(p.style);
    }

    void close_block()
    {
        switch (section_) {
        case Section::level: return;
        case Section::sword:
            if (!block_.has("trail"))
                sword_.trail = {TrailEntry{sword_.position, 0.0}};
            else
                sword_.trail.assign(trail_.begin(), trail_.end());
            parts_.push_back(Part{section_, 0, block_, {}});
            break;
        case Section::body: {
            finish_shape(body_, "body");
            if (!block_.has("mass") || !block_.has("moment")) {
                if (!(body_.signed_area() > 0))
                    fail("the body's outline runs clockwise or encloses nothing, so its mass cannot be "
                         "computed; give 'mass' and 'moment'",
                         block_.line);
                const double mass = body_.mass;
                const double moment = body_.moment;
                body_.update_mass_properties();
                if (block_.has("mass"))
                    body_.mass = mass;
                if (block_.has("moment"))
                    body_.moment = moment;
            }
            finish_box(body_);
            body_.item.tag_position = bbox_centre(body_);
            parts_.push_back(Part{section_, bodies_.size(), block_, edges_});
            bodies_.push_back(std::move(body_));
            last_sword_pos_given_.push_back(block_.has("last_sword_pos"));
            break;
        }
        case Section::wall:
            finish_shape(wall_, "wall");
            finish_box(wall_);
            parts_.push_back(Part{section_, walls_.size(), block_, edges_});
            walls_.push_back(std::move(wall_));
            break;
        case Section::goal:
            finish_shape(goal_, "goal");
            finish_box(goal_);
            goal_.fade = goal_.done ? 1.0 : 0.0;
            goal_.target.tag_position = bbox_centre(goal_);
            parts_.push_back(Part{section_, goals_.size(), block_, edges_});
            goals_.push_back(std::move(goal_));
            break;
        }
    }

    Section section_ = Section::level;
    int line_ = 0;
    Block block_;
    Block level_;
    std::vector<Part> parts_;
    std::vector<PendingEdge> edges_;

    double time_ = 0.0;
    bool countdown_ = false;
    Sword sword_;
    bool sword_given_ = false;
    std::vector<TrailEntry> trail_;
    PhysicsPolygon body_;
    StaticPolygon wall_;
    GoalPolygon goal_;
    std::vector<PhysicsPolygon> bodies_;
    std::vector<bool> last_sword_pos_given_;
    std::vector<StaticPolygon> walls_;
    std::vector<GoalPolygon> goals_;
    Vector2 gravity_{0, -1};
    Vector2 bounds_min_{-1.998046875, -1.1};
    Vector2 bounds_max_{1.998046875, 1.1};
    Vector2 camera_;
    std::string front_matter_;
    std::string end_matter_;
};

}  // namespace

std::string dump_level(const World& world)
{
    const World fresh;
    Dump level("");
    level.vector("gravity", world.gravity, fresh.gravity);
    if (!same(world.bounds_min, fresh.bounds_min) || !same(world.bounds_max, fresh.bounds_max))
        level.line("bounds", vector_text(world.bounds_min) + ' ' + vector_text(world.bounds_max));
    World clamped;
    clamped.bounds_min = world.bounds_min;
    clamped.bounds_max = world.bounds_max;
    clamped.clamp_camera();
    level.vector("camera", world.camera, clamped.camera);
    if (world.timer.countdown)
        level.line("countdown", number_text(world.timer.time));
    else
        level.number("time", world.timer.time, 0.0);
    if (!world.front_matter.empty())
        level.line("front_matter", string_text(world.front_matter));
    if (!world.end_matter.empty())
        level.line("end_matter", string_text(world.end_matter));

    std::string text = "# Slivermere level\n" + level.text;
    dump_sword(text, world.sword);
    for (const PhysicsPolygon& p : world.physics_polygons)
        dump_body(text, p, world.sword.position);
    for (const StaticPolygon& p : world.static_polygons)
        dump_wall(text, p);
    for (const GoalPolygon& g : world.goals)
        dump_goal(text, g);
    return text;
}

namespace {

// Moves what a level file holds from one world to another.
void take_level(World& out, World& built)
{
    out.hover_selection.reset();
    out.timer.time = built.timer.time;
    out.timer.countdown = built.timer.countdown;
    out.sword = std::move(built.sword);
    out.physics_polygons = std::move(built.physics_polygons);
    out.static_polygons = std::move(built.static_polygons);
    out.goals = std::move(built.goals);
    out.gravity = built.gravity;
    out.bounds_min = built.bounds_min;
    out.bounds_max = built.bounds_max;
    out.camera = built.camera;
    out.front_matter = std::move(built.front_matter);
    out.end_matter = std::move(built.end_matter);
    out.edit_view_centre = built.edit_view_centre;
    out.outcome = built.outcome;
}

}  // namespace

bool build_level(const std::string& text, World& out, std::string& error)
{
    LevelParser parser;
    // Filled apart, so that a refused text leaves `out` as it was.
    World built;
    int line = 0;
    try {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            ++line;
            parser.read_line(line, std::string_view(text).substr(start, end - start));
            start = end + 1;
        }
        parser.finish(built);
    } catch (const ParseError& e) {
        error = "line " + std::to_string(e.line != 0 ? e.line : line) + ": " + e.message;
        return false;
    }
    take_level(out, built);
    return true;
}

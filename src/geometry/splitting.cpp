#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/physics_polygon.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

namespace {

using EdgeMap = std::multimap<int, int>;

// One closed walk of the edge graph, in its own numbering.
struct Piece {
    std::vector<Vector2> points;
    EdgeMap edges;
    int sword_index = -1;
    std::vector<int> index;     // polygon point -> piece point, -1 until met
    std::vector<int> original;  // piece point -> polygon point
    double area = 0.0;
};

// Copies a polygon point into the piece the first time it is met.
int piece_point(Piece& piece, const std::vector<Vector2>& points, int i, const Vector2& sword_point)
{
    if (piece.index[i] == -1) {
        piece.index[i] = static_cast<int>(piece.points.size());
        piece.points.push_back(points[i]);
        piece.original.push_back(i);
        if (points[i] == sword_point)
            piece.sword_index = piece.index[i];
    }
    return piece.index[i];
}

void add_edge(Piece& piece, const std::vector<Vector2>& points, int a, int b, const Vector2& sword_point)
{
    const int fp = piece_point(piece, points, a, sword_point);
    const int sp = piece_point(piece, points, b, sword_point);
    INVARIANT(fp != sp);
    piece.edges.emplace(fp, sp);
}

std::vector<EdgeMap::iterator> edges_leaving(EdgeMap& edges, int point)
{
    std::vector<EdgeMap::iterator> leaving;
    auto [first, last] = edges.equal_range(point);
    for (auto it = first; it != last; ++it)
        if (it->second != point)
            leaving.push_back(it);
    return leaving;
}

// The position in `choices` (edges leaving end, offered after `first` when
// given, which is position 0 then) of the most right turn from start->end.
std::optional<std::size_t> most_right_choice(const std::vector<Vector2>& points,
                                             const std::vector<EdgeMap::iterator>& choices,
                                             std::optional<int> first, int start, int end)
{
    EdgeMap candidates;
    if (first)
        candidates.emplace(end, *first);
    for (const auto& it : choices)
        candidates.emplace(end, it->second);
    auto best = most_right_successor(points, candidates, start, end);
    if (best == candidates.end())
        return std::nullopt;
    return static_cast<std::size_t>(std::distance(candidates.begin(), best));
}

// Walks one piece off `edges`, starting with the first edge; false (after
// saying why) when it cannot be closed.
bool trace_piece(const std::vector<Vector2>& points, EdgeMap& edges, const Vector2& sword_point, Piece& piece)
{
    piece.index.assign(points.size(), -1);
    auto current = edges.begin();
    const int s = current->first;
    const int first_end = current->second;
    for (;;) {
        // Move the edge into the piece.
        const int a = current->first;
        const int b = current->second;
        add_edge(piece, points, a, b, sword_point);
        edges.erase(current);

        // A boundary can pass its start more than once (a hole or a slit
        // touching it there): the piece is only closed when the walk would
        // turn into its first edge again.
        if (b == s) {
            const std::vector<EdgeMap::iterator> others = edges_leaving(edges, s);
            if (others.empty())
                return true;
            const std::optional<std::size_t> best = most_right_choice(points, others, first_end, a, s);
            if (!best || *best == 0)
                return true;
            current = others[*best - 1];
            continue;
        }
        if (edges.count(b) == 0) {
            log_out() << "Failed to find sucessor\n";
            return false;
        }
        const std::vector<EdgeMap::iterator> choices = edges_leaving(edges, b);
        const std::optional<std::size_t> best = most_right_choice(points, choices, std::nullopt, a, b);
        if (!best) {
            log_out() << "Failed to find most right\n";
            return false;
        }
        current = choices[*best];
    }
}

// Joins walk w to the first other walk with material that it touches and
// that keeps material with it, preferring walks that will not be slivers.
// Returns whether some walk took it.
template <typename Small>
bool join_touching_piece(std::vector<Piece>& walks, const std::vector<bool>& joined, std::size_t w,
                         const std::vector<Vector2>& points, const Vector2& sword_point, Small small)
{
    const Piece& walk = walks[w];
    for (bool allow_small : {false, true}) {
        for (std::size_t h = 0; h < walks.size(); ++h) {
            Piece& host = walks[h];
            if (h == w || joined[h] || host.area <= 0.0 || host.area + walk.area <= 0.0 || (small(host) && !allow_small))
                continue;
            bool touches = false;
            for (int i : walk.original)
                touches = touches || host.index[i] != -1;
            if (!touches)
                continue;
            for (const auto& [start, end] : walk.edges)
                add_edge(host, points, walk.original[start], walk.original[end], sword_point);
            host.area += walk.area;
            return true;
        }
    }
    return false;
}

// Renumbers the piece so that the sword's point is the last one.
void move_sword_point_last(Piece& piece)
{
    const int last = static_cast<int>(piece.points.size()) - 1;
    const int sword = piece.sword_index;
    std::swap(piece.points[sword], piece.points[last]);
    auto renumber = [&](int i) { return i == sword ? last : i == last ? sword : i; };
    EdgeMap renumbered;
    for (const auto& [start, end] : piece.edges) {
        const std::pair<int, int> t(renumber(start), renumber(end));
        INVARIANT(t.first != t.second);
        renumbered.insert(t);
    }
    piece.edges = std::move(renumbered);
    piece.sword_index = last;
}

}  // namespace

bool is_sliver(const PhysicsPolygon& body)
{
    return body.mass < sliver_mass || body.item.amount < sliver_amount || body.edges.size() < 3;
}

void PhysicsPolygon::split_into_pieces(std::vector<PhysicsPolygon>& pieces)
{
    // The cut is handled; pieces share the mass and item by area.
    cut_pending = false;
    const bool was_inside = sword_inside;
    const double old_mass = mass;
    INVARIANT(old_mass > 0);

    // Walk the edges into closed walks, skipping edges from a point to itself;
    // the whole is kept in case no proper piece comes out.
    const EdgeMap whole = edges;
    std::vector<Piece> walks;
    while (!edges.empty()) {
        while (!edges.empty() && edges.begin()->first == edges.begin()->second)
            edges.erase(edges.begin());
        if (edges.empty())
            break;
        Piece piece;
        if (trace_piece(points, edges, last_sword_pos, piece)) {
            piece.area = outline_area(piece.points, piece.edges);
            walks.push_back(std::move(piece));
        } else {
            log_out() << "Edges wasted...\n";
        }
    }

    // Walks that enclose no material (a slit walked on its own, a hole walked
    // apart from its piece, a loop around points that coincide after a stroke
    // through a corner) would become bodies of the stand-in mass for a zero
    // area; they join a piece they touch instead. So does a sliver holding the
    // sword's tip when no other walk does: removed at once, it would leave the
    // sword counted inside a body that is gone, which only the caller could
    // correct.
    auto small = [&](const Piece& piece) {
        const double m = density * piece.area;
        return m < sliver_mass || item.amount * (m / old_mass) < sliver_amount || piece.edges.size() < 3;
    };
    bool tip_kept = false;
    for (const Piece& walk : walks)
        tip_kept = tip_kept || (walk.sword_index != -1 && walk.area > 0.0 && !small(walk));
    std::vector<bool> joined(walks.size(), false);
    for (std::size_t w = 0; w < walks.size(); ++w) {
        const Piece& walk = walks[w];
        if (walk.area <= 0.0 || (was_inside && !tip_kept && walk.sword_index != -1 && small(walk)))
            joined[w] = join_touching_piece(walks, joined, w, points, last_sword_pos, small);
    }

    // The sword's point goes last in the piece holding it, then the area as
    // update_mass_properties will find it.
    for (std::size_t w = 0; w < walks.size(); ++w) {
        Piece& piece = walks[w];
        if (joined[w])
            continue;
        if (was_inside && piece.sword_index != -1 && piece.sword_index != static_cast<int>(piece.points.size()) - 1)
            move_sword_point_last(piece);
        piece.area = outline_area(piece.points, piece.edges);
    }

    // The polygon becomes the first piece, the others new bodies.
    auto build = [&](Piece& piece) {
        PhysicsPolygon body = *this;
        body.sword_inside = false;
        body.points = std::move(piece.points);
        body.edges = std::move(piece.edges);
        body.update_mass_properties();
        body.item.amount *= body.mass / old_mass;
        body.trace_loops(body.style);
        return body;
    };
    // The tip can sit where several pieces meet (the sword has just crossed a
    // slit); only the first of them that is kept takes the sword, so that the
    // sword's inside count keeps matching the bodies it is inside.
    bool sword_placed = false;
    std::optional<PhysicsPolygon> self;
    for (std::size_t w = 0; w < walks.size(); ++w) {
        Piece& piece = walks[w];
        if (joined[w] || piece.area <= 0.0)
            continue;
        const bool holds_sword = piece.sword_index != -1 && was_inside;
        PhysicsPolygon body = build(piece);
        // A walk over points that coincide (strokes again and again through
        // the same corners) can enclose material without being an outline;
        // its moment of inertia comes out negative, and such a body would gain
        // energy from every push. It goes with the slivers.
        if (!(body.moment > 0.0))
            continue;
        if (!self) {
            body.sword_inside = holds_sword;
            sword_placed = holds_sword;
            self = std::move(body);
            continue;
        }
        if (is_sliver(body))
            continue;
        if (holds_sword && !sword_placed) {
            body.sword_inside = true;
            sword_placed = true;
        }
        pieces.push_back(std::move(body));
    }

    // The polygon becomes the first kept piece.
    INVARIANT(!walks.empty() && "did_self");
    if (self) {
        *this = std::move(*self);
        return;
    }
    // No walk gave a proper piece: the polygon stays whole, slits and all.
    edges = whole;
    update_mass_properties();
    item.amount *= mass / old_mass;
    trace_loops(style);
}

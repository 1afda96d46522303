#include "cli/plot_paths.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <unordered_map>
#include <utility>

#include "render/projection.h"

namespace {

constexpr double MM_PER_INCH = 25.4;
constexpr double POINTS_PER_INCH = 72.0;
constexpr double PIXELS_PER_INCH = 96.0;

struct Segment {
    GridPoint a, b;
};

// Collects the walk's segments, projected and put on the page, by colour.
class PlotSink {
public:
    PlotSink(const Projection& projection, const PaperLayout& page, std::vector<Segment> (&layers)[2])
        : projection_(projection), page_(page), layers_(layers) {}

    void colour(const SegmentColour& c) {
        layer_ = c.r == LEAF_COLOUR.r && c.g == LEAF_COLOUR.g && c.b == LEAF_COLOUR.b ? 1 : 0;
    }

    void vertex(double x, double y, double z) {
        if (!have_start_) {
            start_[0] = x;
            start_[1] = y;
            start_[2] = z;
            have_start_ = true;
            return;
        }
        have_start_ = false;
        const double end[3] = {x, y, z};
        PicturePoint from{}, to{};
        if (projection_.segment(start_, end, from, to)) layers_[layer_].push_back({on_grid(from), on_grid(to)});
    }

private:
    GridPoint on_grid(const PicturePoint& p) const {
        return GridPoint{std::llround((page_.left + page_.scale * p.x) * page_.steps),
                         std::llround((page_.top + page_.scale * p.y) * page_.steps)};
    }

    const Projection& projection_;
    const PaperLayout& page_;
    std::vector<Segment> (&layers_)[2];
    int layer_ = 0;
    double start_[3] = {};
    bool have_start_ = false;
};

std::uint64_t key_of(const GridPoint& p) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.x)) << 32) | static_cast<std::uint32_t>(p.y);
}

// Joins segments into the fewest paths: each connected piece of the
// segments' graph is drawn in max(1, odd / 2) paths, where odd counts its
// points with an odd number of segments. Pairing those points with made-up
// edges makes every degree even; one Euler circuit (Hierholzer's) through
// each piece then covers it, and cutting the circuits at the made-up edges
// leaves the paths.
std::vector<PlotPath> join(const std::vector<Segment>& segments, std::size_t& drawn) {
    std::unordered_map<std::uint64_t, int> index;
    index.reserve(segments.size() * 2);
    std::vector<GridPoint> points;
    const auto id = [&](const GridPoint& p) {
        const auto found = index.emplace(key_of(p), static_cast<int>(points.size()));
        if (found.second) points.push_back(p);
        return found.first->second;
    };
    std::vector<std::pair<int, int>> edges;
    edges.reserve(segments.size());
    for (const Segment& s : segments) {
        const int a = id(s.a), b = id(s.b);
        if (a != b) edges.emplace_back(std::min(a, b), std::max(a, b));
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    drawn = edges.size();
    const int real = static_cast<int>(edges.size());
    const int n = static_cast<int>(points.size());

    std::vector<int> first(n + 1, 0);
    for (const auto& e : edges) {
        ++first[e.first + 1];
        ++first[e.second + 1];
    }
    int pending = -1;
    for (int v = 0; v < n; ++v) {
        if (first[v + 1] % 2 == 0) continue;
        if (pending < 0) {
            pending = v;
        } else {
            edges.emplace_back(pending, v);
            ++first[pending + 1];
            ++first[v + 1];
            pending = -1;
        }
    }
    for (int v = 0; v < n; ++v) first[v + 1] += first[v];
    std::vector<int> adjacent(first[n]);
    std::vector<int> next(first.begin(), first.end() - 1);
    for (int e = 0; e < static_cast<int>(edges.size()); ++e) {
        adjacent[next[edges[e].first]++] = e;
        adjacent[next[edges[e].second]++] = e;
    }
    std::copy(first.begin(), first.end() - 1, next.begin());

    std::vector<char> used(edges.size(), 0);
    std::vector<PlotPath> paths;
    // (point, edge it was reached by); the circuit comes off the stack in
    // order, each entry's edge joining it to the entry after it.
    std::vector<std::pair<int, int>> stack, circuit;
    for (int start = 0; start < n; ++start) {
        stack.assign(1, {start, -1});
        circuit.clear();
        while (!stack.empty()) {
            const int v = stack.back().first;
            int& k = next[v];
            while (k < first[v + 1] && used[adjacent[k]]) ++k;
            if (k == first[v + 1]) {
                circuit.push_back(stack.back());
                stack.pop_back();
                continue;
            }
            const int e = adjacent[k++];
            used[e] = 1;
            stack.emplace_back(edges[e].first == v ? edges[e].second : edges[e].first, e);
        }
        const int m = static_cast<int>(circuit.size()) - 1;  // edges in the circuit
        if (m < 1) continue;
        int cut = -1;
        for (int i = 0; i < m && cut < 0; ++i) {
            if (circuit[i].second >= real) cut = i;
        }
        PlotPath path;
        if (cut < 0) {
            for (int i = 0; i < m; ++i) path.points.push_back(points[circuit[i].first]);
            path.closed = true;
            paths.push_back(std::move(path));
            continue;
        }
        // Around the circuit from the end of one made-up edge to the start of it.
        path.points.push_back(points[circuit[(cut + 1) % m].first]);
        for (int step = 1; step < m; ++step) {
            const int i = (cut + step) % m;
            const GridPoint& reached = points[circuit[i + 1].first];
            if (circuit[i].second >= real) {
                paths.push_back(std::move(path));
                path = PlotPath{};
            }
            path.points.push_back(reached);
        }
        paths.push_back(std::move(path));
    }
    return paths;
}

double distance(const GridPoint& a, const GridPoint& b) {
    return std::hypot(static_cast<double>(a.x - b.x), static_cast<double>(a.y - b.y));
}

// The paths' ends in a k-d tree kept implicitly in an array (each range's
// middle element splits it), with counts of the ends still in each range so
// that the search for the nearest skips ranges already taken.
class EndTree {
public:
    explicit EndTree(std::vector<GridPoint> ends) : ends_(std::move(ends)), order_(ends_.size()), place_(ends_.size()),
                                                    alive_(ends_.size()), taken_(ends_.size(), 0) {
        for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
        build(0, static_cast<int>(order_.size()), 0);
        for (std::size_t p = 0; p < order_.size(); ++p) place_[order_[p]] = static_cast<int>(p);
    }

    // The end nearest to p that is still there, or -1.
    int nearest(const GridPoint& p) const {
        int best = -1;
        double best_squared = INFINITY;
        search(0, static_cast<int>(order_.size()), 0, p, best, best_squared);
        return best;
    }

    void take(int end) {
        const int p = place_[end];
        int lo = 0, hi = static_cast<int>(order_.size());
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            --alive_[mid];
            if (p == mid) {
                taken_[mid] = 1;
                return;
            }
            if (p < mid) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
    }

private:
    std::int64_t coordinate(int end, int axis) const { return axis == 0 ? ends_[end].x : ends_[end].y; }

    void build(int lo, int hi, int axis) {
        if (lo >= hi) return;
        const int mid = lo + (hi - lo) / 2;
        std::nth_element(order_.begin() + lo, order_.begin() + mid, order_.begin() + hi,
                         [&](int a, int b) { return coordinate(a, axis) < coordinate(b, axis); });
        alive_[mid] = hi - lo;
        build(lo, mid, 1 - axis);
        build(mid + 1, hi, 1 - axis);
    }

    void search(int lo, int hi, int axis, const GridPoint& p, int& best, double& best_squared) const {
        if (lo >= hi) return;
        const int mid = lo + (hi - lo) / 2;
        if (alive_[mid] == 0) return;
        const int end = order_[mid];
        if (!taken_[mid]) {
            const double dx = static_cast<double>(ends_[end].x - p.x), dy = static_cast<double>(ends_[end].y - p.y);
            const double squared = dx * dx + dy * dy;
            if (squared < best_squared || (squared == best_squared && end < best)) {
                best_squared = squared;
                best = end;
            }
        }
        const double across = static_cast<double>(coordinate(end, axis) - (axis == 0 ? p.x : p.y));
        const bool left_first = across > 0;
        for (int side = 0; side < 2; ++side) {
            const bool left = (side == 0) == left_first;
            if (side == 1 && across * across > best_squared) return;
            if (left) {
                search(lo, mid, 1 - axis, p, best, best_squared);
            } else {
                search(mid + 1, hi, 1 - axis, p, best, best_squared);
            }
        }
    }

    std::vector<GridPoint> ends_;
    std::vector<int> order_;
    std::vector<int> place_;
    std::vector<int> alive_;
    std::vector<char> taken_;
};

// Greedy nearest next: from the pen's place the path with the nearest end
// goes next, turned round when that end is its last point. A closed path
// can start at any of its points, so each is an end, and the path is
// rotated to start at the nearest. Each search visits about log n of the
// tree's ranges, so the whole takes n log n.
std::vector<PlotPath> order(std::vector<PlotPath> paths) {
    std::vector<GridPoint> ends;
    std::vector<std::size_t> owner, first(paths.size() + 1, 0);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::vector<GridPoint>& points = paths[i].points;
        if (paths[i].closed) {
            ends.insert(ends.end(), points.begin(), points.end());
        } else {
            ends.push_back(points.front());
            ends.push_back(points.back());
        }
        first[i + 1] = ends.size();
        owner.resize(ends.size(), i);
    }
    EndTree tree(std::move(ends));
    std::vector<PlotPath> ordered;
    ordered.reserve(paths.size());
    GridPoint pen{0, 0};
    for (int end; (end = tree.nearest(pen)) >= 0;) {
        const std::size_t i = owner[static_cast<std::size_t>(end)];
        PlotPath& path = paths[i];
        const std::size_t k = static_cast<std::size_t>(end) - first[i];
        if (path.closed) {
            std::rotate(path.points.begin(), path.points.begin() + static_cast<std::ptrdiff_t>(k), path.points.end());
        } else if (k == 1) {
            std::reverse(path.points.begin(), path.points.end());
        }
        for (std::size_t e = first[i]; e < first[i + 1]; ++e) tree.take(static_cast<int>(e));
        pen = path.closed ? path.points.front() : path.points.back();
        ordered.push_back(std::move(path));
    }
    return ordered;
}

}  // namespace

PaperLayout paper_layout(int width, int height, const std::optional<Paper>& paper, double margin_mm) {
    if (!paper) {
        return PaperLayout{false, static_cast<double>(width), static_cast<double>(height), 0.0, 0.0, 1.0, 100,
                    POINTS_PER_INCH / PIXELS_PER_INCH};
    }
    double page_width = paper->width_mm, page_height = paper->height_mm;
    const auto fit = [&](double w, double h) {
        return std::min((w - 2.0 * margin_mm) / width, (h - 2.0 * margin_mm) / height);
    };
    if (fit(page_height, page_width) > fit(page_width, page_height)) std::swap(page_width, page_height);
    const double scale = fit(page_width, page_height);
    return PaperLayout{true, page_width, page_height, (page_width - scale * width) / 2.0,
                (page_height - scale * height) / 2.0, scale, 1000, POINTS_PER_INCH / MM_PER_INCH};
}

std::vector<PlotLayer> plot_layers(const Figure& figure, const Camera& camera, int width, int height,
                                   const PaperLayout& page) {
    const Projection projection(camera, width, height, figure.scale);
    std::vector<Segment> segments[2];
    PlotSink sink(projection, page, segments);
    emit_figure(sink, figure);
    std::vector<PlotLayer> layers(2);
    layers[0].colour = TRUNK_COLOUR;
    layers[0].label = "1 trunks";
    layers[1].colour = LEAF_COLOUR;
    layers[1].label = "2 leaves";
    for (int i = 0; i < 2; ++i) layers[i].paths = order(join(segments[i], layers[i].segments));
    return layers;
}

double pen_up_travel(const PlotLayer& layer, const PaperLayout& page) {
    double travel = 0.0;
    GridPoint pen{0, 0};
    for (const PlotPath& path : layer.paths) {
        travel += distance(pen, path.points.front());
        pen = path.closed ? path.points.front() : path.points.back();
    }
    return travel / page.steps;
}

#pragma once
// The figure as a pen plotter wants it: the segments of a frame projected
// as the viewer projects them, put on a page, joined into paths where they
// meet end to end and ordered to cut the pen's travel between paths, one
// layer per colour.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/camera.h"
#include "render/polygon_tree.h"

struct Paper {
    double width_mm;
    double height_mm;
};

// The page and the picture on it: the page's size, where the picture lies
// on it, and in which units the file measures both: millimetres on paper,
// else the picture's pixels (96 to the inch).
struct PaperLayout {
    bool on_paper;
    double width, height;  // the page, in its units
    // A pixel (x, y) of the picture lies at (left + scale * x, top + scale * y).
    double left, top, scale;
    // The file's resolution: steps to a unit. Coordinates are whole steps,
    // and ends on the same step are the same point.
    int steps;
    double points_per_unit;  // PDF's points (1/72 inch) in a unit
};

// Paper of the given size (portrait or landscape, whichever takes the
// picture larger), the picture fitted inside the margin with its aspect
// kept and centred; without paper, the picture's own pixels.
PaperLayout paper_layout(int width, int height, const std::optional<Paper>& paper, double margin_mm);

struct GridPoint {
    std::int64_t x, y;  // in steps from the page's top left
};

// A polyline; a closed one goes back to its first point at the end.
struct PlotPath {
    std::vector<GridPoint> points;
    bool closed = false;
};

struct PlotLayer {
    SegmentColour colour;
    std::string label;  // starts with its number, as plotters' layer control reads it
    std::vector<PlotPath> paths;
    std::size_t segments = 0;  // drawn: duplicates and those shorter than a step left out
};

// The frame's layers, trunks first, then leaves: every segment as the
// picture of that size shows it, clipped to it; each layer's segments
// joined into as few paths as its graph allows (duplicates drawn once), the
// paths in greedy nearest-next order from the page's corner.
std::vector<PlotLayer> plot_layers(const Figure& figure, const Camera& camera, int width, int height,
                                   const PaperLayout& page);

// The pen's travel with the pen up, from the page's corner through the
// paths in their order, in the page's units.
double pen_up_travel(const PlotLayer& layer, const PaperLayout& page);

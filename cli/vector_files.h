#pragma once
// The plot's layers written as a file: an SVG that plotters' tools read
// (each layer an Inkscape layer, numbered), or a PDF through cairo, on the
// same page with the same paths.

#include <string>
#include <vector>

#include "cli/plot_paths.h"

struct VectorStyle {
    double stroke_mm;     // the lines' width
    bool background;      // a black picture under the lines (for print)
    std::string view;     // the frame's view, kept in the file
    std::string creator;  // what wrote it
};

// Both write the whole file to fd. False, with error set, when a write fails.
bool write_svg(int fd, const std::vector<PlotLayer>& layers, const PaperLayout& page, int width, int height,
               const VectorStyle& style, std::string& error);
bool write_pdf(int fd, const std::vector<PlotLayer>& layers, const PaperLayout& page, int width, int height,
               const VectorStyle& style, std::string& error);

// A CSS pixel (1/96 inch) in millimetres: the stroke's default off paper.
constexpr double MM_PER_PIXEL = 25.4 / 96.0;

#include "render/figure_arrays.h"

void FigureArrays::fill(const Figure& figure) {
    filled_ = false;
    vertices_.clear();
    vertices_.reserve(2 * static_cast<std::size_t>(segments_per_frame(figure.branches, figure.levels)));
    emit_figure(*this, figure);
    figure_ = figure;
    filled_ = true;
}

#include "viewer/saver_frame.h"

#include "core/work_bound.h"
#include "render/scene.h"

namespace {

View saver_view(const SaverSettings& settings) {
    View view{};
    view.branches = settings.branches;
    view.levels = bounded_levels(settings.branches, settings.levels);
    view.camera = start_camera(START_SCALE);
    return view;
}

}  // namespace

SaverFrame::SaverFrame(const SaverSettings& settings)
    : frames_(saver_view(settings), Turning::by_time, settings.degrees_per_second) {}

void SaverFrame::hold(double twist) {
    View view = frames_.current();
    view.twist = twist;
    frames_.replace(view);
    held_ = true;
}

void SaverFrame::reshape(const std::vector<Viewport>& viewports) { viewports_ = viewports; }

void SaverFrame::draw(double seconds) {
    if (!held_) frames_.at(seconds);
    const View& view = frames_.current();
    const Figure figure = figure_of(view);
    // Walked once into arrays, drawn once per viewport; a figure held still
    // is not walked again.
    if (!arrays_.holds(figure)) arrays_.fill(figure);
    clear_frame();
    for (const Viewport& viewport : viewports_) {
        set_view(viewport.x, viewport.y, viewport.width, viewport.height, figure.scale);
        place_camera(view.camera);
        draw_figure(arrays_);
    }
    frames_.drawn();
}

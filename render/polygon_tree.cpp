#include "render/polygon_tree.h"

#include "render/gl_api.h"

namespace {

struct GlSink {
    void colour(const SegmentColour& c) { glColor3f(c.r, c.g, c.b); }
    void vertex(double x, double y, double z) { glVertex3d(x, y, z); }
};

}  // namespace

void draw_polygon_tree(const Figure& figure) {
    GlSink sink;
    emit_figure(sink, figure);
}

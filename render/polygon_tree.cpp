#include "render/polygon_tree.h"

#include "render/gl_api.h"

namespace {

struct GlSink {
    void colour(const SegmentColour& c) { glColor3f(c.r, c.g, c.b); }
    void vertex(double x, double y, double z) { glVertex3d(x, y, z); }
};

}  // namespace

void draw_polygon_tree(int depth, int n, double twist, double cx, double cy, double cz, double direction,
                       double length) {
    GlSink sink;
    emit_polygon_tree(sink, depth, n, twist, cx, cy, cz, direction, length);
}

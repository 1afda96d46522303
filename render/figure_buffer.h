#pragma once
// The figure drawn through OpenGL ES 3 (WebGL 2 in a browser), which has no
// immediate mode and no matrix stack: the walk's vertices go into one vertex
// buffer, drawn with one call through a GLSL ES 3.00 shader pair, with the
// matrices the GL 1.1 path gets from gluPerspective, glRotatef and
// glTranslatef made here with GLM, in the same precision, so that both
// paths light the same pixels.

#include <cstddef>
#include <string>

#include <glm/mat4x4.hpp>

#include "core/camera.h"
#include "render/figure_arrays.h"
#include "render/polygon_tree.h"

// gluPerspective's matrix for a viewport of that size (a height of 0 counts
// as 1) at the scene's scale: computed in double as GLU does, then rounded to
// the floats GL keeps.
glm::mat4 perspective_matrix(int width, int height, double scale);

// glRotatef(pitch, 1, 0, 0), glRotatef(yaw, 0, 1, 0), glTranslatef(x, y, z)
// from the identity: the angles and offsets narrowed to float as those
// calls take them, turned and multiplied in float.
glm::mat4 camera_matrix(const Camera& camera);

class FigureBuffer {
public:
    // Compiles the shader pair, makes the vertex buffer in the current
    // context and gives it the viewer's fixed state (black clear, depth
    // test). False, with why() set, when the driver refuses any of it.
    bool create();
    const std::string& why() const { return why_; }

    // Hands the shader pair to the driver without asking how it went, which
    // would wait for it: a browser compiles them in its GPU process while
    // the page goes on. create() takes them up; without this call it
    // starts them itself.
    void start_shaders();

    // The context was lost, and every object in it: forgets their names
    // without deleting them, so that create() starts over in the restored
    // context. The figure is uploaded again on the next draw.
    void forget();

    // The viewport and gluPerspective's projection for that size, at the
    // scene's scale.
    void resize(int width, int height, double scale);

    // One frame: cleared, then the figure's segments seen from the camera.
    // The walk runs and the buffer is written only when the figure differs
    // from the one drawn last; after the first frame of the largest figure
    // yet, nothing is allocated, on either side.
    void draw_scene(const Figure& figure, const Camera& camera);

    // The same from arrays filled elsewhere (ahead of time, or on another
    // thread): written to the buffer only when they hold another figure
    // than it does.
    void draw_scene(const FigureArrays& arrays, const Camera& camera);

    // The segments of the frame drawn last.
    int segments() const { return drawn_segments_; }

private:
    FigureArrays arrays_;
    std::string why_;
    unsigned program_ = 0;
    unsigned vertex_shader_ = 0;    // started, not yet taken up by create()
    unsigned fragment_shader_ = 0;
    unsigned buffer_ = 0;
    unsigned vertex_array_ = 0;
    int transform_location_ = -1;
    std::size_t capacity_ = 0;  // bytes the buffer holds room for
    bool uploaded_ = false;     // the buffer holds uploaded_figure_
    Figure uploaded_figure_{};
    int drawn_segments_ = 0;
    glm::mat4 projection_{1.0f};
};

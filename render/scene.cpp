#include "render/scene.h"

#include "core/viewer_state.h"
#include "render/gl_api.h"
#include "render/math_constants.h"
#include "render/polygon_tree.h"

bool setup_gl_state() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    return true;
}

void resize_view(int width, int height) { set_view(0, 0, width, height); }

void set_view(int x, int y, int width, int height) {
    if (height == 0) height = 1;
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The plane factors are single precision on purpose: near is float(0.01).
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 0.01f * viewer.scale,
                   16.0f * viewer.scale);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void begin_frame() {
    clear_frame();
    place_camera();
}

void clear_frame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void place_camera() {
    glLoadIdentity();
    glRotatef(static_cast<GLfloat>(viewer.pitch), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<GLfloat>(viewer.yaw), 0.0f, 1.0f, 0.0f);
    glTranslatef(static_cast<GLfloat>(viewer.cam_x), static_cast<GLfloat>(viewer.cam_y),
                 static_cast<GLfloat>(viewer.cam_z));
}

void draw_scene() {
    begin_frame();
    draw_figure();
}

void draw_figure() {
    glBegin(GL_LINES);
    draw_polygon_tree(viewer.levels, viewer.branches, viewer.twist, 0.0, -viewer.scale, 0.0, PI / 2.0,
                      2.0 * viewer.scale);
    glEnd();
}

bool draw_frame() {
    draw_scene();
    if (!viewer.paused) advance_twist();
    return true;
}

void advance_twist() { viewer.twist = viewer.twist + ONE_DEGREE; }

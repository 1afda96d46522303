#include "render/scene.h"

#include "render/gl_api.h"
#include "render/perspective.h"

bool setup_gl_state() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    return true;
}

void set_view(int x, int y, int width, int height, double scale) {
    if (height == 0) height = 1;
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, static_cast<double>(width) / static_cast<double>(height), near_plane(scale),
                   far_plane(scale));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void clear_frame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void place_camera(const Camera& camera) {
    glLoadIdentity();
    glRotatef(static_cast<GLfloat>(camera.pitch), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<GLfloat>(camera.yaw), 0.0f, 1.0f, 0.0f);
    glTranslatef(static_cast<GLfloat>(camera.x), static_cast<GLfloat>(camera.y), static_cast<GLfloat>(camera.z));
}

void draw_figure(const Figure& figure) {
    glBegin(GL_LINES);
    draw_polygon_tree(figure);
    glEnd();
}

void draw_figure(const FigureArrays& arrays) {
    if (arrays.vertex_count() == 0) return;
    const FigureVertex* v = arrays.vertices();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(FigureVertex), &v->x);
    glColorPointer(3, GL_FLOAT, sizeof(FigureVertex), &v->r);
    glDrawArrays(GL_LINES, 0, arrays.vertex_count());
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void draw_scene(const Figure& figure, const Camera& camera) {
    clear_frame();
    place_camera(camera);
    draw_figure(figure);
}

void draw_scene(const FigureArrays& arrays, const Camera& camera) {
    clear_frame();
    place_camera(camera);
    draw_figure(arrays);
}

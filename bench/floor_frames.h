#pragma once
// The recorded frames (bench/floor_recordings.h) replayed through GL 1.1:
// shared by the floor of polytree.exe (Win32) and that of the native viewer
// (SDL2). The native floor can replay the figure's arrays instead, as the
// native programs draw them.

#include "bench/floor_recordings.h"
#include "render/gl_api.h"
#include "render/scene.h"

// The arrays drawn as the native programs draw them: one glDrawArrays.
inline void replay(const FigureArrays& frame) { draw_scene(frame, start_camera(START_SCALE)); }

inline void replay(const Recording& frame) {
    // What draw_scene calls, in its order, with the viewer's start camera.
    clear_frame();
    place_camera(start_camera(START_SCALE));
    glBegin(GL_LINES);
    const double* v = frame.vertices.data();
    for (const SegmentColour& c : frame.colours) {
        glColor3f(c.r, c.g, c.b);
        glVertex3d(v[0], v[1], v[2]);
        glVertex3d(v[3], v[4], v[5]);
        v += 6;
    }
    glEnd();
}

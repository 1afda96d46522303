#pragma once
// The scene's projection as values, in double precision and free of any
// graphics API: where the camera and the perspective put a segment of the
// figure on a picture, clipped as GL clips it. For drawings made without GL
// (vector files) that must lie on the pixels GL draws.

#include "core/camera.h"
#include "render/perspective.h"

// A point on the picture, in pixels from its top left corner.
struct PicturePoint {
    double x;
    double y;
};

class Projection {
public:
    // The camera's turns and offsets are narrowed to float, as glRotatef and
    // glTranslatef take them, so that both see the same scene.
    Projection(const Camera& camera, int width, int height, double scale);

    // The part of the segment from a to b (scene coordinates) that the
    // picture shows: clipped in the eye's space to the near and far planes,
    // then to the picture's edges. False when nothing of it shows.
    bool segment(const double a[3], const double b[3], PicturePoint& from, PicturePoint& to) const;

private:
    void to_eye(const double p[3], double eye[3]) const;
    PicturePoint on_picture(const double eye[3]) const;

    double turn_[3][3];
    double offset_[3];
    Perspective perspective_;
    double width_;
    double height_;
};
